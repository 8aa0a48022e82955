// Bitmap 101: the maker's logo shown on the About rollout, 84 x 25 pixels, 8 bits per
// pixel with a colour table.
#pragma once

#include "host/platform.h"

namespace zentrograph {

extern const host::BitmapResource kLogoBitmap;

}  // namespace zentrograph
