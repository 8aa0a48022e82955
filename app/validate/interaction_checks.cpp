// Checks of the user's ways in: creation with the mouse, driven by random messages,
// and the command panel's rollouts, opened, used and closed again and again.
#include <fmt/format.h>

#include <array>
#include <climits>

#include "app/panel/command_panel.h"
#include "app/validate/checks.h"
#include "app/validate/object_params.h"
#include "app/validate/probe_world.h"
#include "host/objparam.h"

namespace zg::validate {

namespace {

constexpr int kSequences = 200;
constexpr int kMaxMessages = 24;
constexpr int kOpenings = 100;

template <typename T, std::size_t N>
T Pick(const std::array<T, N>& choices, std::mt19937_64& rng) {
    return choices[rng() % N];
}

host::IPoint2 RandomPixel(std::mt19937_64& rng) {
    constexpr std::array<int, 5> kExtremes = {INT_MIN, INT_MAX, 0, -1, 1 << 30};
    if (rng() % 5 == 0) return {Pick(kExtremes, rng), Pick(kExtremes, rng)};
    return {100 + static_cast<int>(rng() % 600), static_cast<int>(rng() % 600)};
}

bool IsFinite(const host::Matrix3& m) {
    for (int i = 0; i < 4; ++i)
        if (!host::IsFinite(m.GetRow(i))) return false;
    return true;
}

// The shell and message boxes while rollouts are used: nothing opens, every message
// box is answered OK, and both are counted.
class CountingDialogs final : public host::ShellService, public host::MessageBoxService {
public:
    CountingDialogs() {
        host::InstallShellService(this);
        host::InstallMessageBoxService(this);
    }
    ~CountingDialogs() override {
        host::InstallShellService(nullptr);
        host::InstallMessageBoxService(nullptr);
    }
    host::INT_PTR Open(host::HWND, const char*, const char*, const char*, const char*, int) override {
        return host::SE_ERR_NOASSOC;
    }
    int Show(host::HWND, const char*, const char*, host::UINT) override {
        ++shown;
        return host::IDOK;
    }
    int shown = 0;
};

// The panel as the core interface for as long as it lives.
struct CoreInterfaceScope {
    explicit CoreInterfaceScope(host::CoreInterface* core) { host::SetCOREInterface(core); }
    ~CoreInterfaceScope() { host::SetCOREInterface(nullptr); }
};

// One random thing done with a control of the panel, as a user would.
void UseControl(panel::CommandPanel& panel, const panel::Rollout& rollout, const panel::Control& control,
                host::SceneNode* offer, std::mt19937_64& rng) {
    using Role = panel::BindingRole;
    const Role role = control.binding.role;
    std::string refusal;  // refusals are among the outcomes tried, not faults
    if (role == Role::kValue && control.kind == panel::ControlKind::kEdit) {
        const std::array<std::string, 8> texts = {
            fmt::format("{}", control.binding.lo + (control.binding.hi - control.binding.lo) * 0.37),
            "nan", "1e308", "-1e308", "abc", "", " 7 ", fmt::format("{}", control.binding.hi + 1)};
        panel.EnterText(control.handle, Pick(texts, rng), refusal);
    } else if (role == Role::kSpinner || role == Role::kValue) {
        if (control.kind == panel::ControlKind::kCheckBox)
            panel.Click(control.handle, refusal);
        else
            panel.Spin(control.handle, Pick(std::array<double, 5>{1.0, -1.0, 0.5, 1e6, -1e6}, rng), refusal);
    } else if (role == Role::kAdd) {
        panel.Click(control.handle, refusal);
        if (rng() % 3 == 0)
            panel.CancelPick();
        else
            panel.Pick(offer, refusal);
    } else if (role == Role::kRemove) {
        for (const panel::Control& list : rollout.controls)
            if (list.binding.role == Role::kNodeList && list.binding.param == control.binding.param)
                panel.SelectItem(list.handle, 0, refusal);
        panel.Click(control.handle, refusal);
    } else if (control.kind == panel::ControlKind::kPushButton || control.kind == panel::ControlKind::kCheckBox) {
        panel.Click(control.handle, refusal);
    } else if (control.kind == panel::ControlKind::kListBox) {
        panel.SelectItem(control.handle, static_cast<int>(rng() % 3) - 1, refusal);
    }
}

}  // namespace

std::string CheckCreation(CheckContext& context) {
    ProbeWorld world(context.module, context.rng);
    constexpr std::array<int, 12> kMessages = {host::MOUSE_POINT, host::MOUSE_POINT, host::MOUSE_MOVE,
                                               host::MOUSE_MOVE,  host::MOUSE_MOVE,  host::MOUSE_FREEMOVE,
                                               host::MOUSE_ABORT, host::MOUSE_DBLCLICK, host::MOUSE_INIT,
                                               host::MOUSE_UNINIT, 7, -1};
    constexpr std::array<int, 6> kPoints = {0, 0, 1, 1, 2, -1};
    std::size_t sent = 0;
    std::size_t deleted = 0;
    std::size_t withCallback = 0;
    for (const plugins::ClassEntry* entry : world.ObjectClasses()) {
        const std::string& name = entry->facts.name;
        for (int s = 0; s < kSequences; ++s) {
            scene::Node* node = world.Place(world.Create(*entry));
            host::CreateMouseCallBack* callback = node->GetObjectRef()->GetCreateMouseCallBack();
            if (callback == nullptr) {
                world.Delete(node);
                break;
            }
            if (s == 0) ++withCallback;
            context.report.Note(fmt::format("sending creation sequence {} to {}", s, name));
            host::Matrix3 matrix;
            int answer = host::CREATE_CONTINUE;
            const int length = 1 + static_cast<int>(context.rng() % kMaxMessages);
            for (int m = 0; m < length && answer == host::CREATE_CONTINUE; ++m) {
                if (context.rng() % 16 == 0) {
                    // The object goes while its creation is under way.
                    world.Delete(node);
                    node = nullptr;
                    ++deleted;
                    break;
                }
                const int message = Pick(kMessages, context.rng);
                const host::IPoint2 at = RandomPixel(context.rng);
                answer = callback->proc(&world.Viewport(), message, Pick(kPoints, context.rng),
                                        static_cast<int>(context.rng() % 8), at, matrix);
                ++sent;
                Require(answer == host::CREATE_CONTINUE || answer == host::CREATE_STOP || answer == host::CREATE_ABORT,
                        "{}: message {} of sequence {} answered {}", name, message, s, answer);
                Require(IsFinite(matrix), "{}: message {} at ({}, {}) of sequence {} left the creation matrix not finite",
                        name, message, at.x, at.y, s);
            }
            if (node == nullptr) continue;
            if (answer == host::CREATE_CONTINUE && context.rng() % 2 == 0) {
                // The user leaves create mode: the abort and the release, the object still there.
                callback->proc(&world.Viewport(), host::MOUSE_ABORT, 0, 0, {}, matrix);
                callback->proc(&world.Viewport(), host::MOUSE_UNINIT, 0, 0, {}, matrix);
                answer = host::CREATE_ABORT;
            }
            if (answer != host::CREATE_ABORT)
                world.Exercise(node, 0, fmt::format("{} after creation sequence {}", name, s));
            world.Delete(node);
        }
    }
    return fmt::format("{} random creation messages to {}, {} objects deleted mid-creation",
                       sent, withCallback == 1 ? "1 class" : fmt::format("{} classes", withCallback), deleted);
}

std::string CheckRollouts(CheckContext& context) {
    ProbeWorld world(context.module, context.rng);
    std::size_t used = 0;
    CountingDialogs dialogs;
    for (const plugins::ClassEntry* entry : world.ObjectClasses()) {
        const std::string& name = entry->facts.name;
        panel::CommandPanel panel([] { return host::TimeValue{0}; });
        CoreInterfaceScope core(&panel);
        scene::Node* field = world.AddField();
        scene::Node* nodes[2] = {world.Place(world.Create(*entry)), world.Place(world.Create(*entry))};
        std::optional<std::size_t> shown;
        for (int i = 0; i < kOpenings; ++i) {
            context.report.Note(fmt::format("opening the rollouts of {} for the {}th time", name, i + 1));
            scene::Node* node = nodes[i % 2];
            host::Object* object = node->GetObjectRef();
            host::Object* other = nodes[(i + 1) % 2]->GetObjectRef();
            const ParamState atOpening = ReadState(object);
            object->BeginEditParams(&panel, 0, i > 0 ? other : nullptr);
            const std::size_t count = panel.Rollouts().size();
            if (!shown) shown = count;
            Require(count == *shown, "{}: opening {} showed {} rollouts where the first showed {}", name, i + 1, count,
                    *shown);
            // Work on copies: a control may change the panel's rollouts.
            const std::vector<panel::Rollout> rollouts = panel.Rollouts();
            for (const panel::Rollout& rollout : rollouts)
                for (const panel::Control& control : rollout.controls) {
                    UseControl(panel, rollout, control, context.rng() % 2 ? field : node, context.rng);
                    ++used;
                }
            for (const ParamSlot& slot : ParamsOf(object)) {
                if (slot.IsTable() || !slot.def->range) continue;
                const double v = ReadNumber(slot);
                Require(v >= slot.def->range->lo && v <= slot.def->range->hi,
                        "{}: after edits in its rollouts, {} is {}, outside its range {}..{}", name, slot.Label(), v,
                        slot.def->range->lo, slot.def->range->hi);
            }
            while (panel.Undo()) {
            }
            std::string undone;
            Require(SameState(object, ReadState(object), atOpening, undone),
                    "{}: undoing every edit of opening {} left {}", name, i + 1, undone);
            object->EndEditParams(&panel, 0, i + 1 < kOpenings ? other : nullptr);
            Require(panel.Rollouts().empty(), "{}: closing left {} rollouts in the panel", name, panel.Rollouts().size());
        }
        for (scene::Node* node : nodes) world.Delete(node);
        world.Delete(field);
    }
    return fmt::format("rollouts opened, used ({} control actions, {} message boxes) and closed {} times per class",
                       used, dialogs.shown, kOpenings);
}

}  // namespace zg::validate
