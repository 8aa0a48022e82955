// Rollouts as the command panel keeps them: titled, collapsible pages of controls laid
// out in pixels, each control with what it shows and, for generated rollouts, the
// parameter it is bound to. Front ends draw them from this model.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "host/paramblock.h"
#include "host/platform.h"

namespace zg::panel {

enum class ControlKind {
    kEdit,        // "CustEdit": a one-line text field
    kSpinner,     // "SpinnerControl": arrows beside an edit field
    kPushButton,  // "CustButton", or a platform button
    kCheckBox,
    kGroupBox,
    kStatic,      // text
    kPicture,     // a bitmap resource at its own size
    kListBox,
};

enum class TextAlign { kLeft, kCenter, kRight };

// What a control of a generated rollout stands for.
enum class BindingRole {
    kNone,
    kValue,     // the edit field of a spinner binding, or a check box
    kSpinner,   // the arrows of a spinner binding
    kNodeList,  // the list of a node table
    kAdd,       // its Add button: starts picking a node
    kRemove,    // its Remove button: removes the selected entry
};

struct Binding {
    BindingRole role = BindingRole::kNone;
    host::ParamID param = -1;
    host::EditType editType = host::EDITTYPE_NONE;
    float spinnerScale = 0.0f;
    double lo = 0.0, hi = 0.0;  // the parameter's range: the control's limits
    bool limited = false;
};

// A picture control's bitmap, its palette looked up: rows from the top, each pixel
// 0x00RRGGBB. Empty when the module has none for the control or it is malformed.
struct Picture {
    int width = 0, height = 0;
    std::vector<uint32_t> pixels;
    bool Empty() const { return pixels.empty(); }
};

struct Control {
    host::HWND handle = nullptr;
    int id = -1;
    ControlKind kind = ControlKind::kStatic;
    int x = 0, y = 0, width = 0, height = 0;  // pixels, within the rollout
    std::string text;
    TextAlign align = TextAlign::kLeft;
    bool textOnLeft = false;  // check boxes whose text stands left of the box
    bool sunken = false;      // a sunken or static edge
    bool checked = false;
    std::vector<std::string> items;  // list boxes
    int selected = -1;               // list boxes: the selected item, or -1
    Picture picture;                 // pictures: the bitmap
    Binding binding;
};

struct Rollout {
    host::HWND handle = nullptr;
    std::string title;
    int category = 0;
    bool open = true;
    int width = 0, height = 0;  // pixels
    std::vector<Control> controls;
    // A rollout added with a dialog procedure, and the value it was given.
    host::DlgProc proc = nullptr;
    host::LPARAM param = 0;
    // A generated rollout: the block its controls edit.
    host::ParamBlock* block = nullptr;
};

}  // namespace zg::panel
