// A module without LibClassDesc: the host cannot reach its classes and refuses it.
#include "host/module.h"

namespace {
const host::ResourceDirectory kResources = {nullptr, 0, nullptr, 0, nullptr, 0};
}

HOST_MODULE_EXPORT const host::ResourceDirectory* HostModuleResources() { return &kResources; }
HOST_MODULE_EXPORT host::BOOL DllMain(host::HINSTANCE, host::DWORD, void*) { return 1; }
HOST_MODULE_EXPORT const char* LibDescription() { return "lacks LibClassDesc"; }
HOST_MODULE_EXPORT int LibNumberClasses() { return 0; }
HOST_MODULE_EXPORT unsigned long LibVersion() { return host::kHostInterfaceVersion; }
