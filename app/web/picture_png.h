// A panel picture (a module's logo) as the PNG the page shows.
#pragma once

#include <string>

#include "app/panel/rollout.h"

namespace zg::web {

// The PNG of `picture`; empty when the picture is empty or cannot be encoded.
std::string PicturePng(const panel::Picture& picture);

}  // namespace zg::web
