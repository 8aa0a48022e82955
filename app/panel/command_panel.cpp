#include "app/panel/command_panel.h"

#include <fmt/format.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

#include "app/panel/dialog_layout.h"
#include "host/classdesc.h"
#include "host/node.h"

namespace zg::panel {

namespace {

constexpr const char* kDefaultTitle = "Parameters";
constexpr double kMinAutoStep = 0.001;
constexpr double kAutoStepShare = 0.01;
// Notification codes of WM_COMMAND.
constexpr unsigned kClicked = 0;
constexpr unsigned kSelectionChanged = 1;

std::string FormatValue(const Binding& b, double v) {
    if (b.editType == host::EDITTYPE_INT) return fmt::format("{}", static_cast<long long>(std::llround(v)));
    std::string text = fmt::format("{:.3f}", v);
    // Trailing zeros go, but one decimal stays: "1.0", "0.196".
    while (text.size() > 1 && text.back() == '0' && text[text.size() - 2] != '.') text.pop_back();
    return text;
}

// The number typed, ignoring spaces around it; none for anything else.
std::optional<double> ParseNumber(std::string text) {
    const auto first = text.find_first_not_of(" \t");
    const auto last = text.find_last_not_of(" \t");
    if (first == std::string::npos) return std::nullopt;
    text = text.substr(first, last - first + 1);
    if (!text.empty() && text.front() == '+') text.erase(0, 1);
    double v = 0.0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(v)) return std::nullopt;
    return v;
}

host::HINSTANCE InstanceOf(host::ClassDesc2* cd) { return cd != nullptr ? cd->HInstance() : nullptr; }

// Why a list's validator may have refused `node`, in the user's words.
std::string KindRefused(host::SceneNode* node) {
    host::Object* object = node->GetObjectRef();
    host::CStr kind;
    if (object != nullptr) object->GetClassName(kind);
    return kind.empty() ? std::string("the list does not take it") : fmt::format("the list does not take a {}", kind);
}

// The name the user knows the parameter by: "Size X".
std::string ParamName(host::ParamBlock& block, host::ParamID id) {
    const host::ParamDef* def = block.FindParam(id);
    if (def == nullptr) return "the parameter";
    const std::string name = DisplayName(*def, InstanceOf(block.GetDesc()->ClassDescriptor()));
    return name.empty() ? "the parameter" : name;
}

// A user's action not done: `why` goes to the caller's error.
bool Refused(std::string& error, std::string why) {
    error = std::move(why);
    return false;
}

}  // namespace

CommandPanel::CommandPanel(std::function<host::TimeValue()> time) : time_(std::move(time)) {
    mainWindow_ = NewHandle();
    host::InstallWindowService(this);
}

CommandPanel::~CommandPanel() { host::InstallWindowService(nullptr); }

host::HWND CommandPanel::GetMainWindow() { return mainWindow_; }

// ---- Rollouts ----

host::HWND CommandPanel::Insert(Rollout rollout) {
    rollout.handle = NewHandle();
    for (Control& c : rollout.controls) c.handle = NewHandle();
    // After every rollout of the same or a lower category.
    const auto at = std::find_if(rollouts_.begin(), rollouts_.end(),
                                 [&](const Rollout& r) { return r.category > rollout.category; });
    const host::HWND handle = rollouts_.insert(at, std::move(rollout))->handle;
    Changed();
    return handle;
}

host::HWND CommandPanel::AddRollupPage(host::HINSTANCE instance, int dialogId, host::DlgProc proc, const char* title,
                                       host::LPARAM param, host::DWORD, int category) {
    const host::DialogTemplate* dialog = host::FindDialog(instance, dialogId);
    if (dialog == nullptr) return nullptr;
    Rollout rollout = LayOutTemplate(*dialog, instance);
    rollout.title = title != nullptr ? title : "";
    rollout.category = category;
    rollout.proc = proc;
    rollout.param = param;
    const host::HWND handle = Insert(std::move(rollout));
    if (proc != nullptr) proc(handle, host::WM_INITDIALOG, 0, param);
    return handle;
}

host::HWND CommandPanel::CreateParamRollout(host::ClassDesc2* cd, host::ParamBlockDesc2* desc, host::ParamBlock* block) {
    if (desc == nullptr || block == nullptr || !desc->Block().rollout) return nullptr;
    const host::RolloutDef& def = *desc->Block().rollout;
    const host::HINSTANCE instance = InstanceOf(cd);
    const host::DialogTemplate* dialog = def.dialogId != 0 ? host::FindDialog(instance, def.dialogId) : nullptr;
    Rollout rollout;
    if (dialog != nullptr) {
        rollout = LayOutTemplate(*dialog, instance);
        // The controls each parameter names, with its range as their limits.
        for (const host::ParamDef& p : desc->Params()) {
            const host::ControlBinding& ui = p.ui;
            auto bind = [&](std::size_t slot, BindingRole role) {
                if (slot >= ui.controls.size() || ui.controls[slot] == 0) return;
                for (Control& c : rollout.controls) {
                    if (c.id != ui.controls[slot]) continue;
                    c.binding = {role, p.id, ui.editType, ui.spinnerScale};
                    if (p.range) c.binding = {role, p.id, ui.editType, ui.spinnerScale, p.range->lo, p.range->hi, true};
                }
            };
            switch (ui.kind) {
                case host::CONTROL_SPINNER:
                    bind(0, BindingRole::kValue);
                    bind(1, BindingRole::kSpinner);
                    break;
                case host::CONTROL_SINGLE_CHECKBOX: bind(0, BindingRole::kValue); break;
                case host::CONTROL_NODE_LISTBOX:
                    bind(0, BindingRole::kNodeList);
                    bind(1, BindingRole::kAdd);
                    bind(3, BindingRole::kRemove);
                    break;
                default: break;
            }
        }
    } else {
        rollout = LayOutBlock(*desc, instance);
    }
    char title[256] = "";
    if (def.titleStringId <= 0 || instance == nullptr ||
        host::LoadStringA(instance, static_cast<host::UINT>(def.titleStringId), title, sizeof title) <= 0)
        fmt::format_to_n(title, sizeof title - 1, "{}", kDefaultTitle);
    rollout.title = title;
    rollout.category = host::ROLLUP_CAT_STANDARD;
    rollout.block = block;
    const host::HWND handle = Insert(std::move(rollout));
    undo_.clear();
    redo_.clear();
    Refresh();
    return handle;
}

void CommandPanel::Remove(host::HWND rollup) {
    const auto it = std::find_if(rollouts_.begin(), rollouts_.end(), [&](const Rollout& r) { return r.handle == rollup; });
    if (it == rollouts_.end()) return;
    if (picking_) {
        for (const Control& c : it->controls)
            if (c.handle == picking_->list) picking_.reset();
    }
    if (it->block != nullptr) {
        undo_.clear();
        redo_.clear();
    }
    rollouts_.erase(it);
    Changed();
}

void CommandPanel::DeleteRollupPage(host::HWND rollup) { Remove(rollup); }

void CommandPanel::DestroyParamRollout(host::HWND rollup) { Remove(rollup); }

Rollout* CommandPanel::FindRollout(host::HWND handle) {
    for (Rollout& r : rollouts_)
        if (r.handle == handle) return &r;
    return nullptr;
}

std::pair<Rollout*, Control*> CommandPanel::FindControl(host::HWND handle) {
    for (Rollout& r : rollouts_)
        for (Control& c : r.controls)
            if (c.handle == handle) return {&r, &c};
    return {nullptr, nullptr};
}

void CommandPanel::SetOpen(host::HWND rollup, bool open) {
    Rollout* r = FindRollout(rollup);
    if (r == nullptr || r->open == open) return;
    r->open = open;
    Changed();
}

// ---- Window service ----

host::HWND CommandPanel::GetDlgItem(host::HWND dialog, int id) {
    Rollout* r = FindRollout(dialog);
    if (r == nullptr) return nullptr;
    for (const Control& c : r->controls)
        if (c.id == id && id != -1) return c.handle;
    return nullptr;
}

bool CommandPanel::SetWindowText(host::HWND window, const char* text) {
    if (Rollout* r = FindRollout(window)) {
        r->title = text != nullptr ? text : "";
        Changed();
        return true;
    }
    auto [rollout, control] = FindControl(window);
    if (control == nullptr) return false;
    const std::string value = text != nullptr ? text : "";
    if (control->text != value) {
        control->text = value;
        Changed();
    }
    return true;
}

// ---- Showing values ----

void CommandPanel::Refresh() {
    const host::TimeValue t = time_();
    for (Rollout& r : rollouts_) {
        if (r.block == nullptr) continue;
        for (Control& c : r.controls) {
            const Binding& b = c.binding;
            std::string text = c.text;
            bool checked = c.checked;
            std::vector<std::string> items = c.items;
            if (b.role == BindingRole::kValue && c.kind == ControlKind::kCheckBox) {
                checked = r.block->GetInt(b.param, t) != 0;
            } else if (b.role == BindingRole::kValue) {
                text = FormatValue(b, b.editType == host::EDITTYPE_INT ? r.block->GetInt(b.param, t)
                                                                      : r.block->GetFloat(b.param, t));
            } else if (b.role == BindingRole::kNodeList) {
                items.clear();
                for (int i = 0; i < r.block->Count(b.param); ++i) {
                    host::SceneNode* node = r.block->GetNode(b.param, t, i);
                    const char* name = node != nullptr ? node->GetName() : nullptr;
                    items.push_back(name != nullptr ? name : "(none)");
                }
            } else {
                continue;
            }
            if (text == c.text && checked == c.checked && items == c.items) continue;
            c.text = std::move(text);
            c.checked = checked;
            c.items = std::move(items);
            if (c.selected >= static_cast<int>(c.items.size())) c.selected = -1;
            Changed();
        }
    }
}

// ---- Edits ----

std::vector<host::PB2Value> CommandPanel::Values(host::ParamBlock& block, host::ParamID param) {
    const host::TimeValue t = time_();
    const host::ParamDef* def = block.FindParam(param);
    std::vector<host::PB2Value> values;
    if (def == nullptr) return values;
    if (def->type == host::TYPE_INODE_TAB) {
        for (int i = 0; i < block.Count(param); ++i) values.push_back({0.0f, 0, block.GetNode(param, t, i)});
    } else {
        values.push_back({block.GetFloat(param, t), block.GetInt(param, t), nullptr});
    }
    return values;
}

void CommandPanel::Restore(host::ParamBlock& block, host::ParamID param, const std::vector<host::PB2Value>& values) {
    const host::TimeValue t = time_();
    const host::ParamDef* def = block.FindParam(param);
    if (def == nullptr) return;
    if (def->type == host::TYPE_INODE_TAB) {
        block.SetCount(param, static_cast<int>(values.size()));
        for (std::size_t i = 0; i < values.size(); ++i) block.SetNode(param, t, values[i].node, static_cast<int>(i));
    } else if (def->type == host::TYPE_FLOAT) {
        block.SetFloat(param, t, values.front().f);
    } else {
        block.SetInt(param, t, values.front().i);
    }
}

void CommandPanel::Record(host::ParamBlock& block, host::ParamID param, std::vector<host::PB2Value> before) {
    std::vector<host::PB2Value> after = Values(block, param);
    const auto same = [](const host::PB2Value& a, const host::PB2Value& b) {
        return a.f == b.f && a.i == b.i && a.node == b.node;
    };
    if (before.size() == after.size() && std::equal(before.begin(), before.end(), after.begin(), same)) return;
    undo_.push_back({&block, param, std::move(before), std::move(after)});
    redo_.clear();
}

template <class Change>
auto CommandPanel::Whole(host::ParamBlock& block, host::ParamID param, const std::vector<host::PB2Value>& before,
                         Change change) {
    try {
        return change();
    } catch (...) {
        try {
            Restore(block, param, before);
        } catch (...) {
            // The first fault is the one reported; the value stays as the block took it.
        }
        throw;
    }
}

bool CommandPanel::Store(Rollout& rollout, const Control& control, double value, std::string& error) {
    const Binding& b = control.binding;
    if (b.limited) value = std::clamp(value, b.lo, b.hi);
    host::ParamBlock& block = *rollout.block;
    std::vector<host::PB2Value> before = Values(block, b.param);
    bool stored = false;
    if (b.editType == host::EDITTYPE_INT) {
        const double whole = std::round(value);
        const double limit = std::numeric_limits<int>::max();
        stored = Whole(block, b.param, before, [&] {
            return block.SetInt(b.param, time_(), static_cast<int>(std::clamp(whole, -limit, limit)));
        });
    } else {
        if (std::fabs(value) > std::numeric_limits<float>::max()) return Refused(error, "the value is too large");
        stored = Whole(block, b.param, before, [&] { return block.SetFloat(b.param, time_(), static_cast<float>(value)); });
    }
    if (!stored) return Refused(error, fmt::format("{} refused the value", ParamName(block, b.param)));
    Record(block, b.param, std::move(before));
    Refresh();
    return true;
}

bool CommandPanel::EnterText(host::HWND handle, const std::string& text, std::string& error) {
    auto [rollout, control] = FindControl(handle);
    if (control == nullptr) return Refused(error, "that control is gone");
    if (rollout->block == nullptr || control->binding.role != BindingRole::kValue || control->kind != ControlKind::kEdit)
        return Refused(error, "this control takes no typed value");
    const std::optional<double> value = ParseNumber(text);
    if (!value) {
        Changed();  // the field goes back to the value it shows
        return Refused(error,
                       fmt::format("{}: \"{}\" is not a number", ParamName(*rollout->block, control->binding.param), text));
    }
    return Store(*rollout, *control, *value, error);
}

bool CommandPanel::Spin(host::HWND handle, double steps, std::string& error) {
    auto [rollout, control] = FindControl(handle);
    if (control == nullptr) return Refused(error, "that control is gone");
    const Binding& b = control->binding;
    if (rollout->block == nullptr || (b.role != BindingRole::kSpinner && b.role != BindingRole::kValue) ||
        control->kind == ControlKind::kCheckBox)
        return Refused(error, "this control does not spin");
    if (!std::isfinite(steps)) return Refused(error, "bad spinner steps");
    const bool isInt = b.editType == host::EDITTYPE_INT;
    const double current = isInt ? rollout->block->GetInt(b.param, time_()) : rollout->block->GetFloat(b.param, time_());
    const double step = b.spinnerScale < 0.0f
                            ? (isInt ? 1.0 : std::max(std::fabs(current) * kAutoStepShare, kMinAutoStep))
                            : std::max(static_cast<double>(b.spinnerScale), isInt ? 1.0 : 0.0);
    double change = steps * step;
    if (isInt) change = std::trunc(change);
    if (change == 0.0) return true;
    return Store(*rollout, *control, current + change, error);
}

bool CommandPanel::Click(host::HWND handle, std::string& error) {
    auto [rollout, control] = FindControl(handle);
    if (control == nullptr) return Refused(error, "that control is gone");
    if (rollout->proc != nullptr && control->id != -1 &&
        (control->kind == ControlKind::kPushButton || control->kind == ControlKind::kCheckBox)) {
        if (control->kind == ControlKind::kCheckBox) {
            control->checked = !control->checked;
            Changed();
        }
        rollout->proc(rollout->handle, host::WM_COMMAND, (kClicked << 16) | static_cast<unsigned>(control->id & 0xFFFF),
                      reinterpret_cast<host::LPARAM>(control->handle));
        return true;
    }
    if (rollout->block == nullptr) return true;
    const Binding& b = control->binding;
    host::ParamBlock& block = *rollout->block;
    switch (b.role) {
        case BindingRole::kValue:
            if (control->kind != ControlKind::kCheckBox) return true;
            {
                std::vector<host::PB2Value> before = Values(block, b.param);
                if (!Whole(block, b.param, before,
                           [&] { return block.SetInt(b.param, time_(), block.GetInt(b.param, time_()) != 0 ? 0 : 1); }))
                    return Refused(error, fmt::format("{} refused the value", ParamName(block, b.param)));
                Record(block, b.param, std::move(before));
            }
            Refresh();
            return true;
        case BindingRole::kAdd: {
            Control* list = ListOf(*rollout, b.param);
            if (list == nullptr) return Refused(error, "the list of this button is missing");
            picking_ = PickTarget{list->handle};
            Changed();
            return true;
        }
        case BindingRole::kRemove: {
            Control* list = ListOf(*rollout, b.param);
            if (list == nullptr || list->selected < 0 || list->selected >= block.Count(b.param))
                return Refused(error, "select an entry of the list to remove");
            std::vector<host::PB2Value> before = Values(block, b.param);
            if (!Whole(block, b.param, before, [&] { return block.Delete(b.param, list->selected, 1); }))
                return Refused(error, "the entry could not be removed");
            Record(block, b.param, std::move(before));
            list->selected = -1;
            Refresh();
            Changed();
            return true;
        }
        default:
            return true;
    }
}

bool CommandPanel::SelectItem(host::HWND handle, int index, std::string& error) {
    auto [rollout, control] = FindControl(handle);
    if (control == nullptr) return Refused(error, "that control is gone");
    if (control->kind != ControlKind::kListBox) return Refused(error, "this control has no items");
    if (index < -1 || index >= static_cast<int>(control->items.size())) index = -1;
    if (control->selected == index) return true;
    control->selected = index;
    Changed();
    if (rollout->proc != nullptr && control->id != -1)
        rollout->proc(rollout->handle, host::WM_COMMAND,
                      (kSelectionChanged << 16) | static_cast<unsigned>(control->id & 0xFFFF),
                      reinterpret_cast<host::LPARAM>(control->handle));
    return true;
}

Control* CommandPanel::ListOf(Rollout& rollout, host::ParamID param) {
    for (Control& c : rollout.controls)
        if (c.binding.role == BindingRole::kNodeList && c.binding.param == param) return &c;
    return nullptr;
}

// ---- Picking ----

std::string CommandPanel::PickingFor() {
    return picking_ ? ParamNameOf(picking_->list) : std::string();
}

std::string CommandPanel::ParamNameOf(host::HWND control) {
    auto [rollout, c] = FindControl(control);
    if (c == nullptr || rollout->block == nullptr || c->binding.param < 0) return {};
    return ParamName(*rollout->block, c->binding.param);
}

bool CommandPanel::Pick(host::SceneNode* node, std::string& error) {
    if (!picking_) return Refused(error, "no list is picking a node");
    auto [rollout, list] = FindControl(picking_->list);
    if (list == nullptr || rollout->block == nullptr) {
        picking_.reset();
        return Refused(error, "the list is gone");
    }
    if (node == nullptr) return Refused(error, "nothing there to pick");
    host::ParamBlock& block = *rollout->block;
    const host::ParamID param = list->binding.param;
    const std::string name = node->GetName() != nullptr ? node->GetName() : "the node";
    for (int i = 0; i < block.Count(param); ++i)
        if (block.GetNode(param, time_(), i) == node) return Refused(error, fmt::format("{} is listed already", name));
    if (!Accepts(block, param, node))
        return Refused(error,
                       fmt::format("{} cannot be added to {}: {}", name, ParamName(block, param), KindRefused(node)));
    std::vector<host::PB2Value> before = Values(block, param);
    if (!Whole(block, param, before, [&] { return block.Append(param, node); }))
        return Refused(error, fmt::format("{} cannot be added to {}: the list refused it", name, ParamName(block, param)));
    Record(block, param, std::move(before));
    picking_.reset();
    Refresh();
    Changed();
    return true;
}

bool CommandPanel::Accepts(host::ParamBlock& block, host::ParamID param, host::SceneNode* node) {
    const host::ParamDef* def = block.FindParam(param);
    if (def == nullptr || node == nullptr) return false;
    for (int i = 0; i < block.Count(param); ++i)
        if (block.GetNode(param, time_(), i) == node) return false;
    host::PB2Value v;
    v.node = node;
    return def->validator == nullptr || def->validator->Validate(v, block.GetOwner(), param, block.Count(param)) != 0;
}

bool CommandPanel::WouldTake(host::SceneNode* node) {
    if (!picking_) return false;
    auto [rollout, list] = FindControl(picking_->list);
    return list != nullptr && rollout->block != nullptr && Accepts(*rollout->block, list->binding.param, node);
}

void CommandPanel::CancelPick() {
    if (!picking_) return;
    picking_.reset();
    Changed();
}

// ---- Undo ----

bool CommandPanel::Replay(std::vector<Edit>& from, std::vector<Edit>& to, bool backwards) {
    if (from.empty()) return false;
    Edit edit = std::move(from.back());
    from.pop_back();
    Restore(*edit.block, edit.param, backwards ? edit.before : edit.after);
    to.push_back(std::move(edit));
    Refresh();
    Changed();
    return true;
}

bool CommandPanel::Undo() { return Replay(undo_, redo_, true); }

bool CommandPanel::Redo() { return Replay(redo_, undo_, false); }

void CommandPanel::ClearHistory() {
    undo_.clear();
    redo_.clear();
}

}  // namespace zg::panel
