// The library functions through which the host learns what the module offers.
#include "host/module.h"
#include "module/class_desc.h"
#include "module/instance.h"
#include "resources/resource_ids.h"

HOST_MODULE_EXPORT const char* LibDescription() {
    return zentrograph::GetString(zentrograph::IDS_LIBDESCRIPTION);
}

HOST_MODULE_EXPORT int LibNumberClasses() { return 1; }

HOST_MODULE_EXPORT host::ClassDesc2* LibClassDesc(int i) {
    return i == 0 ? &zentrograph::TheZentrographClassDesc() : nullptr;
}

// The host interface version the module was built against, taken from the SDK it was
// compiled with, so that a host speaking another version refuses it.
HOST_MODULE_EXPORT unsigned long LibVersion() { return host::kHostInterfaceVersion; }
