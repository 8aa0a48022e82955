// The description of parameter block 0, with the accessor and validator it names.
// Built at module load after the class descriptor, which it joins.
#include "object/param_desc.h"

#include <optional>

#include "module/class_desc.h"
#include "object/param_rules.h"
#include "resources/resource_ids.h"

namespace zentrograph {

namespace {

using host::BlockDef;
using host::ParamDef;
using host::ParamRange;
using host::RolloutDef;

ZentrographAccessor accessor;
ZentrographValidator validator;

constexpr ParamRange kSizeRange{kSizeMin, kSizeMax};
constexpr ParamRange kResolutionRange{kResolutionMin, kResolutionMax};
constexpr ParamRange kVectorScaleRange{kVectorScaleMin, kVectorScaleMax};

// Spinner scale -1 lets the host choose the step of a float spinner.
constexpr float kAutoSpinnerScale = -1.0f;
constexpr float kIntegerSpinnerScale = 1.0f;

host::ParamBlockDesc2 paramBlockDesc(
    &TheZentrographClassDesc(),
    BlockDef{
        .id = kParamBlockId,
        .internalName = "Parameters",
        .nameStringId = 0,
        .flags = host::P_AUTO_CONSTRUCT | host::P_AUTO_UI,
        .refNumber = 0,
        .rollout = RolloutDef{.dialogId = IDD_PARAMETERS,
                              .titleStringId = IDS_PARAMETERS,
                              .flagMask = 0,
                              .rolloutFlags = 0,
                              .userProc = nullptr},
    },
    {
        ParamDef{.id = kSizeX,
                 .internalName = "sizeX",
                 .type = host::TYPE_FLOAT,
                 .flags = host::P_RESET_DEFAULT,
                 .nameStringId = IDS_SIZE_X,
                 .defaultFloat = kDefaultSize,
                 .range = kSizeRange,
                 .accessor = &accessor,
                 .ui = host::SpinnerBinding(host::EDITTYPE_FLOAT, IDC_SIZE_X_EDIT, IDC_SIZE_X_SPINNER,
                                            kAutoSpinnerScale)},
        ParamDef{.id = kSizeY,
                 .internalName = "sizeY",
                 .type = host::TYPE_FLOAT,
                 .flags = host::P_RESET_DEFAULT,
                 .nameStringId = IDS_SIZE_Y,
                 .defaultFloat = kDefaultSize,
                 .range = kSizeRange,
                 .accessor = &accessor,
                 .ui = host::SpinnerBinding(host::EDITTYPE_FLOAT, IDC_SIZE_Y_EDIT, IDC_SIZE_Y_SPINNER,
                                            kAutoSpinnerScale)},
        ParamDef{.id = kSizeZ,
                 .internalName = "sizeZ",
                 .type = host::TYPE_FLOAT,
                 .flags = host::P_RESET_DEFAULT,
                 .nameStringId = IDS_SIZE_Z,
                 .defaultFloat = kDefaultSize,
                 .range = kSizeRange,
                 .accessor = &accessor,
                 .ui = host::SpinnerBinding(host::EDITTYPE_FLOAT, IDC_SIZE_Z_EDIT, IDC_SIZE_Z_SPINNER,
                                            kAutoSpinnerScale)},
        ParamDef{.id = kResolutionX,
                 .internalName = "resolutionX",
                 .type = host::TYPE_INT,
                 .flags = 0,
                 .nameStringId = IDS_RESOLUTION_X,
                 .defaultInt = kDefaultResolutionXY,
                 .range = kResolutionRange,
                 .accessor = &accessor,
                 .ui = host::SpinnerBinding(host::EDITTYPE_INT, IDC_RESOLUTION_X_EDIT, IDC_RESOLUTION_X_SPINNER,
                                            kIntegerSpinnerScale)},
        ParamDef{.id = kResolutionY,
                 .internalName = "resolutionY",
                 .type = host::TYPE_INT,
                 .flags = 0,
                 .nameStringId = IDS_RESOLUTION_Y,
                 .defaultInt = kDefaultResolutionXY,
                 .range = kResolutionRange,
                 .accessor = &accessor,
                 .ui = host::SpinnerBinding(host::EDITTYPE_INT, IDC_RESOLUTION_Y_EDIT, IDC_RESOLUTION_Y_SPINNER,
                                            kIntegerSpinnerScale)},
        ParamDef{.id = kResolutionZ,
                 .internalName = "resolutionZ",
                 .type = host::TYPE_INT,
                 .flags = 0,
                 .nameStringId = IDS_RESOLUTION_Z,
                 .defaultInt = kDefaultResolutionZ,
                 .range = kResolutionRange,
                 .accessor = &accessor,
                 .ui = host::SpinnerBinding(host::EDITTYPE_INT, IDC_RESOLUTION_Z_EDIT, IDC_RESOLUTION_Z_SPINNER,
                                            kIntegerSpinnerScale)},
        ParamDef{.id = kForceNodes,
                 .internalName = "forceNodes",
                 .type = host::TYPE_INODE_TAB,
                 .flags = host::P_VARIABLE_SIZE,
                 .nameStringId = IDS_FORCE_NODES,
                 .tableSize = 0,
                 .range = std::nullopt,
                 .validator = &validator,
                 .ui = host::NodeListBinding(IDC_FORCE_NODE_LIST, IDC_FORCE_NODE_ADD, 0, IDC_FORCE_NODE_REMOVE)},
        ParamDef{.id = kVectorScale,
                 .internalName = "vectorScale",
                 .type = host::TYPE_FLOAT,
                 .flags = 0,
                 .nameStringId = IDS_VECTOR_SCALE,
                 .defaultFloat = kDefaultVectorScale,
                 .range = kVectorScaleRange,
                 .ui = host::SpinnerBinding(host::EDITTYPE_FLOAT, IDC_VECTOR_SCALE_EDIT, IDC_VECTOR_SCALE_SPINNER,
                                            kAutoSpinnerScale)},
        ParamDef{.id = kDisplayVectorBases,
                 .internalName = "displayVectorBases",
                 .type = host::TYPE_BOOL,
                 .flags = 0,
                 .nameStringId = IDS_DISPLAY_VECTOR_BASES,
                 .defaultInt = 0,
                 .range = std::nullopt,
                 .ui = host::CheckBoxBinding(IDC_DISPLAY_VECTOR_BASES)},
        ParamDef{.id = kDisplayLattice,
                 .internalName = "displayLattice",
                 .type = host::TYPE_BOOL,
                 .flags = 0,
                 .nameStringId = IDS_DISPLAY_LATTICE,
                 .defaultInt = 0,
                 .range = std::nullopt,
                 .ui = host::CheckBoxBinding(IDC_DISPLAY_LATTICE)},
    });

}  // namespace

}  // namespace zentrograph
