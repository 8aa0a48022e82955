// The resource directory that the platform registers under the module's instance
// handle: the string table; the module has no dialog templates or bitmaps yet.
#include "host/module.h"
#include "host/platform.h"
#include "resources/string_table.h"

HOST_MODULE_EXPORT const host::ResourceDirectory* HostModuleResources() {
    static const host::ResourceDirectory directory{
        zentrograph::kStringTable, zentrograph::kStringTableCount, nullptr, 0, nullptr, 0,
    };
    return &directory;
}
