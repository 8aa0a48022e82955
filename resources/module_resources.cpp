// The resource directory that the platform registers under the module's instance
// handle: the string table, the two dialog templates and the logo.
#include "host/module.h"
#include "host/platform.h"
#include "resources/dialogs.h"
#include "resources/logo_bitmap.h"
#include "resources/string_table.h"

HOST_MODULE_EXPORT const host::ResourceDirectory* HostModuleResources() {
    static const host::ResourceDirectory directory{
        zentrograph::kStringTable, zentrograph::kStringTableCount, zentrograph::kDialogs, zentrograph::kDialogCount,
        &zentrograph::kLogoBitmap, 1,
    };
    return &directory;
}
