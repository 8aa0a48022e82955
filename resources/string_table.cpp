#include "resources/string_table.h"

#include "resources/resource_ids.h"

namespace zentrograph {

// The texts are the module's own, spelling included.
const host::StringResource kStringTable[] = {
    {IDS_LIBDESCRIPTION, "Direcly view the effect of spacewarps"},
    {IDS_CLASS_NAME, "Zentrograph"},
    {IDS_PARAMETERS, "Parameters"},
    {IDS_SIZE_X, "Size X"},
    {IDS_SIZE_Y, "Size Y"},
    {IDS_SIZE_Z, "Size Z"},
    {IDS_RESOLUTION_X, "Resolution X"},
    {IDS_RESOLUTION_Y, "Resolution Y"},
    {IDS_RESOLUTION_Z, "Resolution Z"},
    {IDS_VECTOR_SCALE, "Vector Scale"},
    {IDS_FORCE_NODES, "Force Nodes"},
    {IDS_DISPLAY_LATTICE, "Display Lattice"},
    {IDS_DISPLAY_VECTOR_BASES, "Display Vector Bases"},
    {IDS_BUILD_DATE, "2007.02.20"},
    {IDS_TOOL_LINE_NAME, "Zentrograph Tools"},
    {IDS_CATEGORY, "Tarnwick"},
};

const int kStringTableCount = static_cast<int>(sizeof(kStringTable) / sizeof(kStringTable[0]));

}  // namespace zentrograph
