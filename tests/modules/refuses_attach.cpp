// A module whose entry routine answers failure when it is attached.
#include "host/module.h"
#include "tests/modules/entry_log.h"

namespace {
const host::ResourceDirectory kResources = {nullptr, 0, nullptr, 0, nullptr, 0};
}

HOST_MODULE_EXPORT const host::ResourceDirectory* HostModuleResources() { return &kResources; }
HOST_MODULE_EXPORT host::BOOL DllMain(host::HINSTANCE instance, host::DWORD reason, void*) {
    test_module::LogEntry(instance, reason);
    return reason == host::DLL_PROCESS_ATTACH ? 0 : 1;
}
HOST_MODULE_EXPORT const char* LibDescription() { return "refuses to attach"; }
HOST_MODULE_EXPORT int LibNumberClasses() { return 0; }
HOST_MODULE_EXPORT host::ClassDesc2* LibClassDesc(int) { return nullptr; }
HOST_MODULE_EXPORT unsigned long LibVersion() { return host::kHostInterfaceVersion; }
