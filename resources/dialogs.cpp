#include "resources/dialogs.h"

#include <iterator>

#include "resources/resource_ids.h"

namespace zentrograph {

namespace {

using host::DialogControl;

// Window classes: the host's own controls and the platform's standard ones.
constexpr const char* kCustEdit = "CustEdit";
constexpr const char* kCustButton = "CustButton";
constexpr const char* kSpinner = "SpinnerControl";
constexpr const char* kButton = "Button";  // push buttons, check boxes, group boxes
constexpr const char* kStatic = "Static";
constexpr const char* kListBox = "ListBox";

// Styles.
constexpr uint32_t kChildVisibleTabStop = 0x50010000;
constexpr uint32_t kChildVisible = 0x50000000;
constexpr uint32_t kLabelStartingGroup = 0x50020000;
constexpr uint32_t kRightLabelStartingGroup = 0x50020002;
constexpr uint32_t kGroupBox = 0x50000007;
constexpr uint32_t kLeftTextCheckBox = 0x50010023;
constexpr uint32_t kNotifyingListBox = 0x50B10001;
constexpr uint32_t kCentredPushButton = 0x50000300;
constexpr uint32_t kStaticEdge = 0x00020000;
constexpr uint32_t kSunkenBitmap = 0x5000180E;

constexpr uint32_t kChildWithOwnFont = 0x50000040;

// The Parameters rollout, in template (and tab) order.
const DialogControl kParametersControls[] = {
    {IDC_SIZE_X_EDIT, kCustEdit, "", 67, 11, 26, 10, kChildVisibleTabStop, 0, 0},
    {IDC_SIZE_Y_EDIT, kCustEdit, "", 67, 22, 26, 10, kChildVisibleTabStop, 0, 0},
    {IDC_SIZE_Z_EDIT, kCustEdit, "", 67, 33, 26, 10, kChildVisibleTabStop, 0, 0},
    {IDC_RESOLUTION_X_EDIT, kCustEdit, "", 67, 48, 26, 10, kChildVisibleTabStop, 0, 0},
    {IDC_RESOLUTION_Y_EDIT, kCustEdit, "", 67, 59, 26, 10, kChildVisibleTabStop, 0, 0},
    {IDC_RESOLUTION_Z_EDIT, kCustEdit, "", 67, 70, 26, 10, kChildVisibleTabStop, 0, 0},
    {IDC_VECTOR_SCALE_EDIT, kCustEdit, "", 67, 184, 26, 10, kChildVisibleTabStop, 0, 0},
    {IDC_FORCE_NODE_ADD, kCustButton, "Add", 5, 98, 47, 12, kChildVisibleTabStop, 0, 0},
    {IDC_FORCE_NODE_REMOVE, kCustButton, "Remove", 53, 98, 47, 12, kChildVisibleTabStop, 0, 0},
    {IDC_FORCE_NODE_LIST, kListBox, "", 5, 112, 95, 52, kNotifyingListBox, 0, 0},
    {IDC_SIZE_X_SPINNER, kSpinner, "", 94, 11, 7, 10, kChildVisible, 0, 0},
    {-1, kStatic, "X Size ...................", 6, 12, 60, 8, kLabelStartingGroup, 0, 0},
    {IDC_RESOLUTION_X_SPINNER, kSpinner, "", 94, 48, 7, 10, kChildVisible, 0, 0},
    {IDC_RESOLUTION_Y_SPINNER, kSpinner, "", 94, 59, 7, 10, kChildVisible, 0, 0},
    {IDC_RESOLUTION_Z_SPINNER, kSpinner, "", 94, 70, 7, 10, kChildVisible, 0, 0},
    {-1, kStatic, "X Resolution .........", 6, 50, 60, 8, kLabelStartingGroup, 0, 0},
    {-1, kStatic, "Y Resolution .........", 6, 60, 60, 8, kLabelStartingGroup, 0, 0},
    {-1, kStatic, "Z Resolution .........", 6, 71, 60, 8, kLabelStartingGroup, 0, 0},
    {IDC_SIZE_Y_SPINNER, kSpinner, "", 94, 22, 7, 10, kChildVisible, 0, 0},
    {-1, kStatic, "Y Size ...................", 6, 23, 60, 8, kLabelStartingGroup, 0, 0},
    {IDC_SIZE_Z_SPINNER, kSpinner, "", 94, 33, 7, 10, kChildVisible, 0, 0},
    {-1, kStatic, "Z Size ...................", 6, 33, 60, 8, kLabelStartingGroup, 0, 0},
    {IDC_VECTOR_SCALE_SPINNER, kSpinner, "", 94, 184, 7, 10, kChildVisible, 0, 0},
    {-1, kStatic, "Vector Scale ........", 7, 184, 60, 8, kLabelStartingGroup, 0, 0},
    {-1, kButton, "Forces", 2, 88, 104, 80, kGroupBox, 0, 0},
    {-1, kButton, "Dimensions", 2, 0, 104, 84, kGroupBox, 0, 0},
    {-1, kButton, "Display", 2, 172, 104, 49, kGroupBox, 0, 0},
    {IDC_DISPLAY_VECTOR_BASES, kButton, "Display Vector Bases ........", 5, 197, 96, 8, kLeftTextCheckBox, 0, 0},
    {IDC_DISPLAY_LATTICE, kButton, "Display Lattice ..................", 5, 208, 96, 8, kLeftTextCheckBox, 0, 0},
};

// The About rollout: logo, version line, the button with the maker's address.
const DialogControl kAboutControls[] = {
    {-1, kButton, "", 2, 0, 104, 55, kGroupBox, 0, 0},
    {IDC_ABOUT_DATE, kStatic, "0000.00.00", 62, 27, 37, 8, kRightLabelStartingGroup, 0, 0},
    {IDC_ABOUT_WEB_PAGE, kButton, kMakerAddress, 6, 38, 96, 13, kCentredPushButton, kStaticEdge, 0},
    {-1, kStatic, "Version ..............", 7, 27, 54, 8, kLabelStartingGroup, 0, 0},
    {-1, kStatic, nullptr, 25, 8, 57, 17, kSunkenBitmap, 0, IDB_LOGO},
};

}  // namespace

const host::DialogTemplate kDialogs[] = {
    {IDD_PARAMETERS, kChildWithOwnFont, false, 108, 224, "MS Sans Serif", 8, 0, false, 0, kParametersControls,
     static_cast<int>(std::size(kParametersControls))},
    {IDD_ABOUT, kChildWithOwnFont, true, 108, 58, "MS Sans Serif", 8, 0, false, 1, kAboutControls,
     static_cast<int>(std::size(kAboutControls))},
};

const int kDialogCount = static_cast<int>(std::size(kDialogs));

}  // namespace zentrograph
