#include "app/panel/dialog_layout.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <string_view>

namespace zg::panel {

namespace {

// Button styles (the low four bits) and static styles.
constexpr uint32_t kButtonTypeMask = 0xF;
constexpr uint32_t kGroupBoxType = 0x7;
constexpr uint32_t kLeftText = 0x20;
constexpr uint32_t kStaticTypeMask = 0x1F;
constexpr uint32_t kStaticBitmap = 0xE;
constexpr uint32_t kStaticCenter = 0x1;
constexpr uint32_t kStaticRight = 0x2;
constexpr uint32_t kStaticSunken = 0x1000;
constexpr uint32_t kExStaticEdge = 0x20000;
constexpr uint32_t kExClientEdge = 0x200;

bool IsCheckBoxType(uint32_t type) { return type == 0x2 || type == 0x3 || type == 0x5 || type == 0x6; }

bool ClassIs(const char* windowClass, std::string_view name) {
    if (windowClass == nullptr || std::strlen(windowClass) != name.size()) return false;
    for (std::size_t i = 0; i < name.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(windowClass[i])) != std::tolower(static_cast<unsigned char>(name[i])))
            return false;
    return true;
}

// The bitmap's pixels through its palette; empty when there is none or it is malformed.
// An index past the palette is black.
Picture BitmapPicture(const host::BitmapResource* bitmap) {
    if (bitmap == nullptr || bitmap->bitsPerPixel != 8 || bitmap->width < 1 || bitmap->height < 1 ||
        bitmap->width > 4096 || bitmap->height > 4096 || bitmap->pixels == nullptr || bitmap->palette == nullptr)
        return {};
    Picture picture;
    picture.width = bitmap->width;
    picture.height = bitmap->height;
    picture.pixels.resize(static_cast<std::size_t>(bitmap->width) * bitmap->height);
    for (std::size_t i = 0; i < picture.pixels.size(); ++i) {
        const int index = bitmap->pixels[i];
        if (index >= bitmap->paletteCount) continue;
        const uint8_t* entry = bitmap->palette + static_cast<std::ptrdiff_t>(index) * 4;  // blue, green, red
        picture.pixels[i] = (uint32_t{entry[2]} << 16) | (uint32_t{entry[1]} << 8) | entry[0];
    }
    return picture;
}

// "directionX" as "Direction X", for parameters without a display name.
std::string Spaced(std::string_view internalName) {
    std::string out;
    for (std::size_t i = 0; i < internalName.size(); ++i) {
        const char c = internalName[i];
        if (i == 0) {
            out += static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
            continue;
        }
        if (std::isupper(static_cast<unsigned char>(c))) out += ' ';
        out += c;
    }
    return out;
}


Binding RangeOf(const host::ParamDef& def, Binding binding) {
    if (def.range) {
        binding.lo = def.range->lo;
        binding.hi = def.range->hi;
        binding.limited = true;
    }
    return binding;
}

}  // namespace

std::string DisplayName(const host::ParamDef& def, host::HINSTANCE instance) {
    char buffer[256] = "";
    if (def.nameStringId > 0 && instance != nullptr &&
        host::LoadStringA(instance, static_cast<host::UINT>(def.nameStringId), buffer, sizeof buffer) > 0)
        return buffer;
    return Spaced(def.internalName != nullptr ? def.internalName : "");
}

ControlKind KindOf(const host::DialogControl& control) {
    if (ClassIs(control.windowClass, "CustEdit")) return ControlKind::kEdit;
    if (ClassIs(control.windowClass, "SpinnerControl")) return ControlKind::kSpinner;
    if (ClassIs(control.windowClass, "CustButton")) return ControlKind::kPushButton;
    if (ClassIs(control.windowClass, "ListBox")) return ControlKind::kListBox;
    if (ClassIs(control.windowClass, "Button")) {
        const uint32_t type = control.style & kButtonTypeMask;
        if (type == kGroupBoxType) return ControlKind::kGroupBox;
        if (IsCheckBoxType(type)) return ControlKind::kCheckBox;
        return ControlKind::kPushButton;
    }
    if (ClassIs(control.windowClass, "Static") && (control.style & kStaticTypeMask) == kStaticBitmap)
        return ControlKind::kPicture;
    return ControlKind::kStatic;
}

Rollout LayOutTemplate(const host::DialogTemplate& dialog, host::HINSTANCE instance) {
    Rollout rollout;
    rollout.width = DialogMetrics::X(dialog.width);
    rollout.height = DialogMetrics::Y(dialog.height);
    for (int i = 0; dialog.controls != nullptr && i < dialog.controlCount; ++i) {
        const host::DialogControl& t = dialog.controls[i];
        Control c;
        c.id = t.id;
        c.kind = KindOf(t);
        c.x = DialogMetrics::X(t.x);
        c.y = DialogMetrics::Y(t.y);
        c.width = DialogMetrics::X(t.width);
        c.height = DialogMetrics::Y(t.height);
        c.text = t.text != nullptr ? t.text : "";
        if (c.kind == ControlKind::kStatic) {
            const uint32_t type = t.style & kStaticTypeMask;
            c.align = type == kStaticRight ? TextAlign::kRight : type == kStaticCenter ? TextAlign::kCenter : TextAlign::kLeft;
        } else if (c.kind == ControlKind::kPushButton) {
            c.align = TextAlign::kCenter;
        }
        c.textOnLeft = c.kind == ControlKind::kCheckBox && (t.style & kLeftText) != 0;
        c.sunken = (t.style & kStaticSunken) != 0 || (t.exStyle & (kExStaticEdge | kExClientEdge)) != 0;
        if (c.kind == ControlKind::kPicture) c.picture = BitmapPicture(host::FindBitmap(instance, t.imageId));
        rollout.controls.push_back(std::move(c));
    }
    return rollout;
}

Rollout LayOutBlock(const host::ParamBlockDesc2& desc, host::HINSTANCE instance) {
    // Rows in the template's own units: labels on the left, controls on the right.
    constexpr int kWidth = 108, kRow = 12, kTop = 4, kLabelX = 6, kLabelW = 58, kEditX = 66, kEditW = 28;
    constexpr int kSpinX = 95, kSpinW = 7, kListRows = 4;
    Rollout rollout;
    int y = kTop;
    int nextId = 2000;
    auto add = [&](ControlKind kind, int id, int x, int top, int w, int h, std::string text, Binding binding) {
        Control c;
        c.id = id;
        c.kind = kind;
        c.x = DialogMetrics::X(x);
        c.y = DialogMetrics::Y(top);
        c.width = DialogMetrics::X(w);
        c.height = DialogMetrics::Y(h);
        c.text = std::move(text);
        c.align = kind == ControlKind::kPushButton ? TextAlign::kCenter : TextAlign::kLeft;
        c.binding = binding;
        rollout.controls.push_back(std::move(c));
    };
    for (const host::ParamDef& def : desc.Params()) {
        const std::string name = DisplayName(def, instance);
        switch (def.type) {
            case host::TYPE_FLOAT:
            case host::TYPE_INT: {
                const bool isFloat = def.type == host::TYPE_FLOAT;
                Binding value = RangeOf(def, {BindingRole::kValue, def.id, isFloat ? host::EDITTYPE_FLOAT : host::EDITTYPE_INT,
                                              isFloat ? -1.0f : 1.0f});
                Binding arrows = value;
                arrows.role = BindingRole::kSpinner;
                add(ControlKind::kStatic, -1, kLabelX, y + 1, kLabelW, 8, name, {});
                add(ControlKind::kEdit, nextId++, kEditX, y, kEditW, 10, "", value);
                add(ControlKind::kSpinner, nextId++, kSpinX, y, kSpinW, 10, "", arrows);
                y += kRow;
                break;
            }
            case host::TYPE_BOOL:
                add(ControlKind::kCheckBox, nextId++, kLabelX, y + 1, kWidth - 2 * kLabelX, 8, name,
                    {BindingRole::kValue, def.id});
                rollout.controls.back().textOnLeft = true;
                y += kRow;
                break;
            case host::TYPE_INODE_TAB: {
                add(ControlKind::kStatic, -1, kLabelX, y + 1, kLabelW, 8, name, {});
                y += 10;
                add(ControlKind::kPushButton, nextId++, kLabelX, y, 46, 12, "Add", {BindingRole::kAdd, def.id});
                add(ControlKind::kPushButton, nextId++, kLabelX + 48, y, 46, 12, "Remove", {BindingRole::kRemove, def.id});
                y += 14;
                add(ControlKind::kListBox, nextId++, kLabelX, y, kWidth - 2 * kLabelX, kListRows * 10, "",
                    {BindingRole::kNodeList, def.id});
                y += kListRows * 10 + 4;
                break;
            }
            default:
                break;
        }
    }
    rollout.width = DialogMetrics::X(kWidth);
    rollout.height = DialogMetrics::Y(y + kTop);
    return rollout;
}

}  // namespace zg::panel
