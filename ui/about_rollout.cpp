#include "ui/about_rollout.h"

#include <string>

#include "host/objparam.h"
#include "module/instance.h"
#include "resources/dialogs.h"
#include "resources/resource_ids.h"

namespace zentrograph {

namespace {

constexpr const char* kNoInternet = "Internet access not available.";
constexpr const char* kErrorCaption = "Error";
// Shell results of 32 or less are failures.
constexpr host::INT_PTR kLastShellError = 32;

// Opens the about page; tells the user when the shell could not.
void OpenAboutPage(host::HWND window) {
    const host::INT_PTR result = host::ShellExecuteA(window, nullptr, kAboutPage, nullptr, nullptr, host::SW_HIDE);
    if (result > kLastShellError) return;
    host::CoreInterface* core = host::GetCOREInterface();
    host::HWND owner = core != nullptr ? core->GetMainWindow() : nullptr;
    host::MessageBoxA(owner, kNoInternet, kErrorCaption, host::MB_OK | host::MB_ICONERROR);
}

}  // namespace

host::INT_PTR AboutDlgProc(host::HWND window, host::UINT message, host::WPARAM wParam, host::LPARAM /*lParam*/) {
    switch (message) {
        case host::WM_INITDIALOG: {
            // Copied out of the shared string buffer before anything else reads it.
            const char* date = GetString(IDS_BUILD_DATE);
            const std::string text = date != nullptr ? date : "";
            host::SetWindowTextA(host::GetDlgItem(window, IDC_ABOUT_DATE), text.c_str());
            return 1;
        }
        case host::WM_COMMAND:
            if (host::LOWORD(wParam) == IDC_ABOUT_WEB_PAGE) OpenAboutPage(window);
            return 1;
        default:
            return 0;
    }
}

}  // namespace zentrograph
