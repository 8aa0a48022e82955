// EditSession: a scene as a person works on it in an interactive host. It keeps the
// classes that can be created, the file the scene belongs to, the frame shown, the
// views and their cameras, the selection and the mode (selecting, or creating objects
// of one class), and turns pointer and key events in a view into clicks, rectangle
// selections, moves and creations. It knows nothing of the front end that feeds it.
//
// Used on the UI thread only: every call may reach into plug-in code.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/panel/command_panel.h"
#include "app/plugins/class_directory.h"
#include "app/scene/scene.h"
#include "app/session/creation.h"
#include "app/session/node_edits.h"
#include "app/session/pointer_event.h"
#include "app/session/scene_history.h"
#include "app/session/transform_tools.h"
#include "app/viewport/display_list.h"
#include "app/viewport/viewport.h"

namespace zg::session {

// A pixel radius within which a press and release count as a click, not a drag.
inline constexpr int kClickSlop = 3;

class EditSession {
public:
    // Works on `scene`, which belongs to `file` (empty: not saved yet). `classes` must
    // outlive the session: it owns the modules the scene's objects come from.
    EditSession(plugins::ClassDirectory& classes, std::unique_ptr<scene::Scene> scene, std::filesystem::path file);
    // Leaves create mode and destroys the scene.
    ~EditSession();
    EditSession(const EditSession&) = delete;
    EditSession& operator=(const EditSession&) = delete;

    scene::Scene& Scene() { return *scene_; }
    const plugins::ClassDirectory& Classes() const { return classes_; }

    // Rises with every change a front end shows: the scene, the selection, the views,
    // the frame, the mode or the status line.
    uint64_t Revision() const { return revision_; }
    // Rises with every change that may change what the views draw: every change
    // Revision() counts but a camera's.
    uint64_t DrawingRevision() const { return drawingRevision_; }
    // One line for the status bar about the last thing done.
    const std::string& Status() const { return status_; }
    void SetStatusLine(std::string status) { SetStatus(std::move(status)); }

    // ---- Views ----
    const std::vector<scene::ViewDefinition>& Views() const { return views_; }
    // Navigation of view `view` on a width x height image (viewport/view_navigation.h):
    // the camera moves when the result is a usable view, and the revision rises when it
    // moved. False for a view that does not exist.
    bool Orbit(int view, double dx, double dy);
    bool Pan(int view, int width, int height, double dx, double dy);
    bool Zoom(int view, int width, int height, double factor, double x, double y);
    // Puts a view's camera where a front end moved it (viewport::PlaceCamera); the
    // revision rises when it moved. False, changing nothing, for a view that does not
    // exist or a camera that is not usable.
    bool SetCamera(int view, const scene::ViewDefinition& camera);
    // Turns view `view` into a view of `kind`, framed on the scene for an image whose
    // width is `aspect` times its height; it takes the kind's name ("Front") unless
    // another view has it. False for a view that does not exist.
    bool SetViewKind(int view, scene::ViewKind kind, double aspect);
    // Frames the selected nodes in view `view` (every node when none is selected, and
    // the whole scene with `all`), keeping the view's direction.
    bool FrameNodes(int view, bool all, double aspect);
    // The zoom range a front end keeps to in this scene: [least, most] distance to the
    // target or view width, from a hundredth to a hundred times the scene's size, so
    // that no zoom flies through the scene or shrinks it to a dot.
    std::pair<double, double> ZoomRange();
    // Grid snapping of the points that creation and moves find on a view's plane, of
    // moves along an axis, and of turns (to 5 degrees).
    void SetGridSnap(bool on);
    bool GridSnap() const { return gridSnap_; }
    // The grid's spacing in scene units; 0 follows the view's own grid. False, changing
    // nothing, for a spacing that is negative, not finite or beyond the coordinate range.
    bool SetGridSpacing(double spacing, std::string& error);
    double GridSpacingSetting() const { return gridSpacing_; }

    // ---- Transform tools ----
    // What a drag on the selection does (move, rotate, scale) and the axes it keeps to.
    void SetTool(Tool tool);
    session::Tool CurrentTool() const { return tool_; }
    void SetAxes(const Axes& axes);
    const Axes& Constraint() const { return axes_; }
    // Where the gizmo stands: the middle of the selected nodes at the current frame;
    // none with nothing selected or in create mode.
    std::optional<host::Point3> GizmoPivot();
    // What view `view` shows at the current frame on a width x height image, with the
    // snap preview mark where the pointer last was in create mode.
    viewport::DisplayList Draw(int view, int width, int height);
    // Where the snap preview mark shows in view `view` (world space), if it does.
    std::optional<host::Point3> SnapPreviewMark(int view) const;

    // ---- Time ----
    double Frame() const { return frame_; }
    host::TimeValue Time() const { return time_; }
    // False, with a one-line reason, for a frame outside the host's time range.
    bool SetFrame(double frame, std::string& error);

    // ---- Modes ----
    // Enters create mode for the class whose internal name (or class name) is `name`.
    bool EnterCreateMode(const std::string& name, std::string& error);
    void LeaveCreateMode();
    // The class being created (its directory entry), or none in select mode.
    const plugins::ClassEntry* CreateClass() const;
    // What the drag under way does, if anything.
    enum class Drag { kNone, kCreate, kMove, kRectangle };
    Drag CurrentDrag() const;
    bool Dragging() const { return CurrentDrag() != Drag::kNone; }

    // ---- Events ----
    // False, with a reason, for a view that does not exist or a size below one pixel.
    bool Pointer(const PointerEvent& event, std::string& error);
    // The pointer resting at `event` (none: it left the views): the node a click there
    // would select becomes Hovered(); nothing while creating or dragging.
    void Hover(const std::optional<PointerEvent>& event);
    const std::string& Hovered() const { return hovered_; }
    // Cancels the drag under way; with none, leaves create mode.
    void Escape();
    // Deletes the selected nodes.
    void DeleteSelection();
    // After plug-in code threw: abandons whatever gesture was under way (a move goes
    // back, a node being created goes, create mode ends, a pick is cancelled), asking
    // the plug-in as little as it can, so the scene stays as it was before.
    void AbandonAfterFault();

    // ---- Selection ----
    std::vector<scene::Node*> Selection() const;
    // Selects exactly the nodes named (unknown names are skipped).
    void Select(const std::vector<std::string>& names);

    // ---- Node edits, each one step of the history ----
    // False, with a one-line reason, changing nothing, for a node that does not exist
    // or a value the node cannot take.
    bool Rename(const std::string& node, const std::string& name, std::string& error);
    bool SetWireColor(const std::string& node, uint32_t bgr, std::string& error);
    // Position, rotation (degrees) or scale typed for the current frame (see
    // ChannelWithValueAt: an animated channel changes its key at this frame only).
    bool SetChannel(const std::string& node, Channel channel, const host::Point3& value, std::string& error);

    // ---- Undo ----
    // Every change of the scene is a step of one history, whichever object it touched
    // and however the selection changed since: creations, deletions, moves, panel edits.
    // Undo puts the scene back as it was before the last step (a created node goes, a
    // deleted one comes back with the lists that named it); the selection keeps the
    // nodes that remain and takes those that came back. False, with the status line
    // saying why, when there is nothing to undo or a drag is under way.
    bool Undo();
    bool Redo();
    // The names of the steps Undo and Redo would take: "Move Box01"; "" for none.
    std::string UndoName() const { return history_.UndoName(); }
    std::string RedoName() const { return history_.RedoName(); }
    // Ends a step: when the scene changed since the last one, the change becomes the
    // step `name`. A step with the same non-empty `mergeKey` as the one before joins it.
    void Commit(const std::string& name, const std::string& mergeKey = {});
    // Ends the step a panel action on `control` made, named after its parameter.
    void CommitPanelEdit(host::HWND control);

    // ---- Command panel ----
    // The panel that shows the rollouts of the object being edited: the selected
    // node's, when exactly one is selected.
    panel::CommandPanel& Panel() { return panel_; }
    // The node whose object the panel edits, or none.
    scene::Node* EditedNode() const;
    // Brings the panel's controls up to the current values.
    void RefreshPanel() { panel_.Refresh(); }
    // While the panel is picking a node for a list: offers the node named. The status
    // line says whether the list took it.
    bool PickNode(const std::string& name);

    // ---- Saving ----
    const std::filesystem::path& File() const { return file_; }
    // True when the scene changed since it was loaded or last saved.
    bool Unsaved() const { return unsaved_; }
    // The scene holds changes its file lacks (it was recovered from a copy): no state
    // the history returns to is the file's.
    void MarkUnsaved() {
        unsaved_ = true;
        saved_ = {};
        Changed();
    }
    // Writes the scene, with the views as they are now, to `file` (empty: the file it
    // belongs to), through a temporary file and a rename; the scene then belongs to that
    // file. False, with a one-line reason, when there is no file or the write failed:
    // the scene stays unsaved and no file changes.
    bool Save(const std::filesystem::path& file, std::string& error);

private:
    // A dragged node as the drag found it.
    struct DraggedNode {
        std::string name;
        scene::AnimatedPoint position, rotation, scale;
        const scene::AnimatedPoint& Channel(session::Channel c) const {
            return c == Channel::kPosition ? position : c == Channel::kRotation ? rotation : scale;
        }
    };
    struct MoveDrag {
        int view = 0;
        host::IPoint2 start;
        host::Point3 startWorld;
        Tool tool = Tool::kMove;
        std::optional<int> axis;  // the gizmo axis the drag started on
        Vec3d pivot;              // the gizmo's pivot when it started
        std::vector<DraggedNode> original;
        bool moved = false;
        std::string then;     // the node a click (a press and release without a drag) selects
        std::string refused;  // why a node of the selection did not move, if one did not
    };
    // Where the last click in select mode was and the nodes it found, nearest first.
    struct LastClick {
        int view = 0;
        host::IPoint2 at;
        std::vector<std::string> hits;
    };
    struct RectDrag {
        int view = 0;
        host::IPoint2 start;
    };

    void Changed() {
        ++revision_;
        ++drawingRevision_;
    }
    // What the pages show changed, not what the views draw: a camera, the hover, the
    // kind of drag under way.
    void ShownChanged() { ++revision_; }
    // The scene as the history keeps it; none, with the reason, when it cannot be written.
    std::optional<SceneState> Capture(std::string& error);
    // Replaces the scene with `state`, read back; false, changing nothing, when it
    // cannot be read.
    bool Restore(const SceneState& state, std::string& error);
    bool Travel(bool back);
    void SetStatus(std::string status);
    void SceneChanged(host::PartID part);
    viewport::Viewport MakeViewport(int view, int width, int height) const;
    // What framing frames: the selected nodes' boxes (with `selectedOnly`, when any is
    // selected), else the scene's, else the box an empty scene is framed on.
    host::Box3 FramingBounds(bool selectedOnly);
    void CreationPointer(const PointerEvent& event);
    void SelectPointer(const PointerEvent& event);
    void AfterCreation(Creation::Outcome outcome);
    void SelectOnly(const std::vector<scene::Node*>& nodes, bool additive);
    // Starts a drag of the selection with the current tool, along the gizmo axis
    // `axis` when it started on one.
    void StartDrag(const PointerEvent& event, viewport::Viewport& vp, std::optional<int> axis);
    // Moves, turns or scales the dragged nodes as the pointer at `at` says, from where
    // the drag found them; the reason one of them could not change, or "".
    std::string DragTo(const MoveDrag& drag, viewport::Viewport& vp, const host::IPoint2& at);
    // Puts the dragged nodes back where the drag found them.
    void RestoreDrag(const MoveDrag& drag);
    std::string PickFor(const std::vector<std::string>& hits);
    // Of `hits` (nearest first) at `at`, the node a click selects: the next one after the
    // selected one when the last click was there, else the nearest.
    std::string ClickTakes(int view, const host::IPoint2& at, const std::vector<std::string>& hits);
    // Ends and begins editing so that the panel edits the selected node, if exactly one
    // is selected and nothing is being dragged out.
    void UpdateEditing();
    void EndEditing(host::Object* next);

    plugins::ClassDirectory& classes_;
    panel::CommandPanel panel_;
    std::unique_ptr<scene::Scene> scene_;
    std::string editedName_;             // the node being edited
    host::Object* edited_ = nullptr;     // its object
    std::filesystem::path file_;
    std::vector<scene::ViewDefinition> views_;
    double frame_ = 0.0;
    host::TimeValue time_ = 0;
    bool gridSnap_ = false;
    double gridSpacing_ = 0.0;
    Tool tool_ = Tool::kMove;
    Axes axes_;
    std::unique_ptr<Creation> creation_;
    int creationView_ = 0;
    std::optional<MoveDrag> move_;
    std::optional<RectDrag> rect_;
    std::optional<LastClick> lastClick_;
    std::string hovered_;
    // Where the last free move in create mode showed the snap: view and world point.
    std::optional<std::pair<int, host::Point3>> preview_;
    bool unsaved_ = false;
    SceneHistory history_;
    SceneState saved_;           // the state last loaded or saved
    bool historyOff_ = false;    // the last state could not be captured: no steps until one is
    bool sceneEdited_ = false;   // the scene changed since the last step ended
    bool selecting_ = false;     // selection changes are not edits
    // The control of the last panel step and when it was made: spinner drags join.
    host::HWND lastPanelControl_ = nullptr;
    std::chrono::steady_clock::time_point lastPanelEdit_;
    uint64_t panelStep_ = 0;
    uint64_t revision_ = 1;
    uint64_t drawingRevision_ = 1;
    std::string status_;
};

}  // namespace zg::session
