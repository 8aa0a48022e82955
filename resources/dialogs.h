// The module's dialog templates: the Parameters rollout (101) and the About rollout
// (103), positions and sizes in dialog units of their 8-point "MS Sans Serif".
#pragma once

#include "host/platform.h"

namespace zentrograph {

// The maker's web address, as the About button shows it, and the about page of this
// plug-in on it.
inline constexpr const char* kMakerAddress = "www.tarnwick.example";
inline constexpr const char* kAboutPage = "http://www.tarnwick.example/aboutplugin/zentrograph.html";

extern const host::DialogTemplate kDialogs[];
extern const int kDialogCount;

}  // namespace zentrograph
