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

// The host interface version the module was written for, fixed in the module so that
// a host speaking another version refuses it.
HOST_MODULE_EXPORT unsigned long LibVersion() { return 0x23281500; }
