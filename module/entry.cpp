// The module's entry routine, called by the host's loader.
#include "host/module.h"
#include "host/platform.h"
#include "module/instance.h"

namespace zentrograph {

host::HINSTANCE hInstance = nullptr;

}  // namespace zentrograph

// Reason 1 (attach) hands the module its instance handle; every reason succeeds.
HOST_MODULE_EXPORT host::BOOL DllMain(host::HINSTANCE instance, host::DWORD reason, void* /*reserved*/) {
    if (reason == host::DLL_PROCESS_ATTACH) {
        zentrograph::hInstance = instance;
        host::DisableThreadLibraryCalls(instance);
    }
    return 1;
}
