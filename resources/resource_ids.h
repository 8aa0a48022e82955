// Resource ids of the module: its string table, its dialog templates and the
// controls that the parameter block binds.
#pragma once

namespace zentrograph {

// String table. Id 2 is not defined.
inline constexpr int IDS_LIBDESCRIPTION = 1;
inline constexpr int IDS_CLASS_NAME = 3;
inline constexpr int IDS_PARAMETERS = 4;
inline constexpr int IDS_SIZE_X = 5;
inline constexpr int IDS_SIZE_Y = 6;
inline constexpr int IDS_SIZE_Z = 7;
inline constexpr int IDS_RESOLUTION_X = 8;
inline constexpr int IDS_RESOLUTION_Y = 9;
inline constexpr int IDS_RESOLUTION_Z = 10;
inline constexpr int IDS_VECTOR_SCALE = 11;
inline constexpr int IDS_FORCE_NODES = 12;
inline constexpr int IDS_DISPLAY_LATTICE = 13;
inline constexpr int IDS_DISPLAY_VECTOR_BASES = 14;
inline constexpr int IDS_BUILD_DATE = 15;
inline constexpr int IDS_TOOL_LINE_NAME = 16;
inline constexpr int IDS_CATEGORY = 17;

// Dialog templates: the generated Parameters rollout and the About rollout.
inline constexpr int IDD_PARAMETERS = 101;
inline constexpr int IDD_ABOUT = 103;

// Bitmaps: the maker's logo on the About rollout.
inline constexpr int IDB_LOGO = 101;

// Controls of the About rollout.
inline constexpr int IDC_ABOUT_WEB_PAGE = 1022;
inline constexpr int IDC_ABOUT_DATE = 1026;

// Controls of the Parameters rollout.
inline constexpr int IDC_DISPLAY_VECTOR_BASES = 1001;
inline constexpr int IDC_DISPLAY_LATTICE = 1002;
inline constexpr int IDC_FORCE_NODE_LIST = 1009;
inline constexpr int IDC_FORCE_NODE_ADD = 1010;
inline constexpr int IDC_FORCE_NODE_REMOVE = 1011;
inline constexpr int IDC_SIZE_X_EDIT = 1490;
inline constexpr int IDC_RESOLUTION_X_EDIT = 1491;
inline constexpr int IDC_RESOLUTION_Y_EDIT = 1492;
inline constexpr int IDC_RESOLUTION_Z_EDIT = 1493;
inline constexpr int IDC_SIZE_Y_EDIT = 1494;
inline constexpr int IDC_SIZE_Z_EDIT = 1495;
inline constexpr int IDC_SIZE_X_SPINNER = 1496;
inline constexpr int IDC_RESOLUTION_X_SPINNER = 1497;
inline constexpr int IDC_RESOLUTION_Y_SPINNER = 1498;
inline constexpr int IDC_RESOLUTION_Z_SPINNER = 1499;
inline constexpr int IDC_SIZE_Y_SPINNER = 1500;
inline constexpr int IDC_SIZE_Z_SPINNER = 1501;
inline constexpr int IDC_VECTOR_SCALE_EDIT = 1502;
inline constexpr int IDC_VECTOR_SCALE_SPINNER = 1503;

}  // namespace zentrograph
