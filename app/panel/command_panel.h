// CommandPanel: the host's command panel while objects are edited. It is the
// IObjParam that plug-ins add rollouts through, builds each rollout from its dialog
// template (or lays out a block that has none), binds the controls of generated
// rollouts to their block's parameters, keeps them showing the values at the current
// time, and turns the user's edits into stores through the block (accessor, validator,
// change message). It is the platform's window service too: GetDlgItem and
// SetWindowTextA reach its controls.
//
// Spinners: a scale of 1 steps by 1; a scale of -1 steps by a hundredth of the value
// (at least 0.001), so small and large values move at a useful pace. Typed values and
// steps are kept within the parameter's range.
//
// Used on the UI thread only. Front ends draw Rollouts() and report the user's actions.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/panel/rollout.h"
#include "host/objparam.h"
#include "host/paramblock.h"
#include "host/platform.h"

namespace zg::panel {

class CommandPanel final : public host::IObjParam, public host::WindowService {
public:
    // `time` gives the current time, at which controls show and store values.
    explicit CommandPanel(std::function<host::TimeValue()> time);
    // Installs itself as the platform's window service, and removes itself at the end.
    ~CommandPanel() override;
    CommandPanel(const CommandPanel&) = delete;
    CommandPanel& operator=(const CommandPanel&) = delete;

    // host::CoreInterface
    host::HWND GetMainWindow() override;
    host::TimeValue GetTime() override { return time_(); }
    // host::IObjParam
    host::HWND AddRollupPage(host::HINSTANCE instance, int dialogId, host::DlgProc proc, const char* title,
                             host::LPARAM param, host::DWORD flags, int category) override;
    void DeleteRollupPage(host::HWND rollup) override;
    host::HWND CreateParamRollout(host::ClassDesc2* cd, host::ParamBlockDesc2* desc, host::ParamBlock* block) override;
    void DestroyParamRollout(host::HWND rollup) override;
    // host::WindowService
    host::HWND GetDlgItem(host::HWND dialog, int id) override;
    bool SetWindowText(host::HWND window, const char* text) override;

    // Rollouts in panel order: by category, then in the order they came.
    const std::vector<Rollout>& Rollouts() const { return rollouts_; }
    // Rises with every change of what the panel shows.
    uint64_t Revision() const { return revision_; }
    // Reads every bound control's parameter again at the current time.
    void Refresh();

    // ---- What the user does. Each answers whether it was done; when not, `error` says
    // why in one line. ----
    // Typed text committed in an edit field.
    bool EnterText(host::HWND control, const std::string& text, std::string& error);
    // Spinner arrows or drags: `steps` (may be fractional) of the spinner's step.
    bool Spin(host::HWND control, double steps, std::string& error);
    // A push button or a check box.
    bool Click(host::HWND control, std::string& error);
    // A list box's selection (-1: none).
    bool SelectItem(host::HWND control, int index, std::string& error);
    void SetOpen(host::HWND rollup, bool open);

    // Picking a node for a node list, started by its Add button.
    bool Picking() const { return picking_.has_value(); }
    // The name of the list being picked for ("Force Nodes"), or "".
    std::string PickingFor();
    // The display name of the parameter `control` is bound to ("Size X"), or "".
    std::string ParamNameOf(host::HWND control);
    // Offers `node`; the list's validator decides. False, with the reason in `error`,
    // when it was not taken.
    bool Pick(host::SceneNode* node, std::string& error);
    // True when Pick would take `node`: it is not listed yet and the list's validator
    // accepts it.
    bool WouldTake(host::SceneNode* node);
    void CancelPick();

    // Undo and redo of the edits made through the panel since the rollouts it edits
    // last changed. False when there is nothing to undo or redo.
    bool Undo();
    bool Redo();
    // Forgets every edit: the nodes an edit named may be gone.
    void ClearHistory();

private:
    struct PickTarget {
        host::HWND list;
    };
    struct Edit {
        host::ParamBlock* block;
        host::ParamID param;
        std::vector<host::PB2Value> before, after;  // every entry of the parameter
    };

    host::HWND NewHandle() { return reinterpret_cast<host::HWND>(nextHandle_++); }
    Rollout* FindRollout(host::HWND handle);
    // The control and its rollout; none for an unknown handle.
    std::pair<Rollout*, Control*> FindControl(host::HWND handle);
    host::HWND Insert(Rollout rollout);
    void Remove(host::HWND rollup);
    void Changed() { ++revision_; }
    // The list control bound to `param` in `rollout`.
    Control* ListOf(Rollout& rollout, host::ParamID param);
    bool Store(Rollout& rollout, const Control& control, double value, std::string& error);
    std::vector<host::PB2Value> Values(host::ParamBlock& block, host::ParamID param);
    bool Accepts(host::ParamBlock& block, host::ParamID param, host::SceneNode* node);
    void Restore(host::ParamBlock& block, host::ParamID param, const std::vector<host::PB2Value>& values);
    void Record(host::ParamBlock& block, host::ParamID param, std::vector<host::PB2Value> before);
    // Runs `change` on a parameter whole or not at all: when plug-in code throws during
    // it, the parameter goes back to `before` and the exception goes on.
    template <class Change>
    auto Whole(host::ParamBlock& block, host::ParamID param, const std::vector<host::PB2Value>& before, Change change);
    // Takes the last edit of `from`, puts its values of before (or after) it back, and
    // keeps it in `to`.
    bool Replay(std::vector<Edit>& from, std::vector<Edit>& to, bool backwards);

    std::function<host::TimeValue()> time_;
    std::vector<Rollout> rollouts_;
    uintptr_t nextHandle_ = 0x1000;
    host::HWND mainWindow_;
    uint64_t revision_ = 1;
    std::optional<PickTarget> picking_;
    std::vector<Edit> undo_, redo_;
};

}  // namespace zg::panel
