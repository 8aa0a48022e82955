// The module's string table, as the platform's string loader reads it.
#pragma once

#include "host/platform.h"

namespace zentrograph {

extern const host::StringResource kStringTable[];
extern const int kStringTableCount;

}  // namespace zentrograph
