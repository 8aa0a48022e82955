#include "host/viewport.h"

namespace host {

ViewportContext::~ViewportContext() = default;

}  // namespace host
