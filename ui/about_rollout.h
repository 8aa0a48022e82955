// The About rollout: the maker's logo, the build date, and a button that opens the
// maker's about page for this plug-in through the platform shell.
#pragma once

#include "host/platform.h"

namespace zentrograph {

// The title of the About rollout: a constant, not a string of the table.
inline constexpr const char* kAboutTitle = "About";

// The rollout's dialog procedure. WM_INITDIALOG fills the date field from the string
// table and answers 1; WM_COMMAND from the address button opens the about page
// (reporting "Internet access not available." when the shell cannot) and answers 1,
// as does every other WM_COMMAND; every other message answers 0.
host::INT_PTR AboutDlgProc(host::HWND window, host::UINT message, host::WPARAM wParam, host::LPARAM lParam);

}  // namespace zentrograph
