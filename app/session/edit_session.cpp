#include "app/session/edit_session.h"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>
#include <cctype>
#include <cstdlib>
#include <functional>
#include <utility>

#include "app/scene/scene_file.h"
#include "app/session/node_edits.h"
#include "app/session/scene_classes.h"
#include "app/viewport/construction_grid.h"
#include "app/viewport/scene_view.h"
#include "app/viewport/view_camera.h"
#include "app/viewport/view_navigation.h"

namespace zg::session {

namespace {

// An empty scene is framed as if it held a box this many units across, so the first
// objects have room.
constexpr float kEmptySceneHalfExtent = 5.0f;
// The image shape default views are framed for before a front end reports its own.
constexpr double kDefaultAspect = 1.6;

bool IsClick(const host::IPoint2& a, const host::IPoint2& b) {
    return std::abs(static_cast<long long>(a.x) - b.x) < kClickSlop &&
           std::abs(static_cast<long long>(a.y) - b.y) < kClickSlop;
}

// A turn with grid snap on goes in steps of this many degrees.
constexpr double kRotationSnapDegrees = 5.0;
// The grid spacing a user may set, at most.
constexpr double kMaxGridSpacing = 1e6;

Channel ChannelOf(Tool tool) {
    switch (tool) {
        case Tool::kMove: return Channel::kPosition;
        case Tool::kRotate: return Channel::kRotation;
        case Tool::kScale: return Channel::kScale;
    }
    return Channel::kPosition;
}

void SetNodeChannel(scene::Node& node, Channel channel, scene::AnimatedPoint value) {
    switch (channel) {
        case Channel::kPosition: node.SetPosition(std::move(value)); break;
        case Channel::kRotation: node.SetRotation(std::move(value)); break;
        case Channel::kScale: node.SetScale(std::move(value)); break;
    }
}

// The name after `name` in `names`, round to the first.
std::string NextAfter(const std::vector<std::string>& names, const std::string& name) {
    const auto at = std::find(names.begin(), names.end(), name);
    return at == names.end() || at + 1 == names.end() ? names.front() : *(at + 1);
}

std::string NodeList(const std::vector<std::string>& names) {
    if (names.size() == 1) return names.front();
    return fmt::format("{} nodes", names.size());
}

}  // namespace

EditSession::EditSession(plugins::ClassDirectory& classes, std::unique_ptr<scene::Scene> scene,
                         std::filesystem::path file)
    : classes_(classes), panel_([this] { return time_; }), scene_(std::move(scene)), file_(std::move(file)) {
    if (!scene_) scene_ = std::make_unique<scene::Scene>();
    frame_ = scene_->StartFrame();
    time_ = scene_->Rate().FrameToTicks(frame_).value_or(0);
    views_ = scene_->Views();
    if (views_.empty()) views_ = viewport::DefaultQuadViews(FramingBounds(false), kDefaultAspect);
    scene_->SetChangeListener([this](host::PartID part) { SceneChanged(part); });
    std::string why;
    if (std::optional<SceneState> state = Capture(why)) {
        history_.Reset(*state);
        saved_ = std::move(*state);
    } else {
        historyOff_ = true;
    }
    status_ = file_.empty() ? "New scene" : fmt::format("Opened {}", file_.filename().string());
    UpdateEditing();
}

EditSession::~EditSession() {
    LeaveCreateMode();
    EndEditing(nullptr);
    scene_->SetChangeListener(nullptr);
    scene_.reset();
}

void EditSession::SetStatus(std::string status) {
    status_ = std::move(status);
    Changed();
}

void EditSession::SceneChanged(host::PartID part) {
    if (selecting_) {
        Changed();
        return;
    }
    unsaved_ = true;
    sceneEdited_ = true;
    // A node came or went: an edit that named one may not be undone any more.
    if (part == host::PART_ALL) panel_.ClearHistory();
    Changed();
}

// ---- Command panel ----

scene::Node* EditSession::EditedNode() const { return edited_ != nullptr ? scene_->FindNode(editedName_) : nullptr; }

void EditSession::EndEditing(host::Object* next) {
    if (edited_ == nullptr) return;
    host::Object* ending = edited_;
    edited_ = nullptr;
    editedName_.clear();
    ending->EndEditParams(&panel_, 0, next);
    Changed();
}

void EditSession::UpdateEditing() {
    const std::vector<scene::Node*> selected = Selection();
    scene::Node* node = selected.size() == 1 && !(creation_ && creation_->Dragging()) ? selected.front() : nullptr;
    host::Object* object = node != nullptr ? node->GetObjectRef() : nullptr;
    if (object == edited_ && (node == nullptr || node->Name() == editedName_)) return;
    host::Object* previous = edited_;
    EndEditing(object);
    if (object == nullptr) return;
    edited_ = object;
    editedName_ = node->Name();
    object->BeginEditParams(&panel_, 0, previous);
    Changed();
}

viewport::Viewport EditSession::MakeViewport(int view, int width, int height) const {
    const scene::ViewDefinition& def = views_[static_cast<std::size_t>(view)];
    viewport::Viewport vp(def.name, viewport::MakeCamera(def, width, height));
    if (gridSnap_)
        vp.SetGridSnap(true, gridSpacing_ > 0.0 ? gridSpacing_
                                                : viewport::GridSpacing(vp.GetCamera(), viewport::SceneBounds(*scene_, time_)));
    return vp;
}

// ---- Views ----

bool EditSession::Orbit(int view, double dx, double dy) {
    if (view < 0 || view >= static_cast<int>(views_.size())) return false;
    if (viewport::Orbit(views_[static_cast<std::size_t>(view)], dx, dy)) ShownChanged();
    return true;
}

bool EditSession::Pan(int view, int width, int height, double dx, double dy) {
    if (view < 0 || view >= static_cast<int>(views_.size())) return false;
    if (viewport::Pan(views_[static_cast<std::size_t>(view)], width, height, dx, dy)) ShownChanged();
    return true;
}

bool EditSession::Zoom(int view, int width, int height, double factor, double x, double y) {
    if (view < 0 || view >= static_cast<int>(views_.size())) return false;
    if (viewport::Zoom(views_[static_cast<std::size_t>(view)], width, height, factor, {x, y})) ShownChanged();
    return true;
}

bool EditSession::SetCamera(int view, const scene::ViewDefinition& camera) {
    if (view < 0 || view >= static_cast<int>(views_.size())) return false;
    scene::ViewDefinition& shown = views_[static_cast<std::size_t>(view)];
    const scene::ViewDefinition before = shown;
    if (!viewport::PlaceCamera(shown, camera)) return false;
    if (!(shown == before)) ShownChanged();
    return true;
}

host::Box3 EditSession::FramingBounds(bool selectedOnly) {
    host::Box3 bounds = selectedOnly ? viewport::SceneBounds(*scene_, time_, true) : host::Box3();
    if (bounds.IsEmpty()) bounds = viewport::SceneBounds(*scene_, time_);
    if (bounds.IsEmpty())
        bounds = host::Box3({-kEmptySceneHalfExtent, -kEmptySceneHalfExtent, -kEmptySceneHalfExtent},
                            {kEmptySceneHalfExtent, kEmptySceneHalfExtent, kEmptySceneHalfExtent});
    return bounds;
}

bool EditSession::SetViewKind(int view, scene::ViewKind kind, double aspect) {
    if (view < 0 || view >= static_cast<int>(views_.size())) return false;
    scene::ViewDefinition& shown = views_[static_cast<std::size_t>(view)];
    viewport::SetViewKind(shown, kind, FramingBounds(false), aspect);
    const std::string title = scene::ProjectionTitle(kind);
    bool taken = false;
    for (const scene::ViewDefinition& other : views_) taken = taken || (&other != &shown && other.name == title);
    if (!taken) shown.name = title;
    SetStatus(fmt::format("{} shows the {} view", shown.name, scene::ProjectionName(kind)));
    return true;
}

bool EditSession::FrameNodes(int view, bool all, double aspect) {
    if (view < 0 || view >= static_cast<int>(views_.size())) return false;
    viewport::FrameBounds(views_[static_cast<std::size_t>(view)], FramingBounds(!all), aspect);
    ShownChanged();
    return true;
}

std::pair<double, double> EditSession::ZoomRange() {
    const host::Box3 bounds = FramingBounds(false);
    double size = std::max(1.0, Length(Vec3d(bounds.pmax) - Vec3d(bounds.pmin)));
    if (!std::isfinite(size)) size = viewport::kMaxViewExtent;
    return {std::clamp(size / 100.0, viewport::kMinViewExtent, viewport::kMaxViewExtent),
            std::clamp(size * 100.0, viewport::kMinViewExtent, viewport::kMaxViewExtent)};
}

void EditSession::SetGridSnap(bool on) {
    if (gridSnap_ == on) return;
    gridSnap_ = on;
    SetStatus(on ? "Grid snap on" : "Grid snap off");
}

bool EditSession::SetGridSpacing(double spacing, std::string& error) {
    if (!std::isfinite(spacing) || spacing < 0.0 || spacing > kMaxGridSpacing) {
        error = fmt::format("grid spacing: expected a number from 0 (the view's grid) to {}", kMaxGridSpacing);
        return false;
    }
    if (spacing == gridSpacing_) return true;
    gridSpacing_ = spacing;
    SetStatus(spacing > 0.0 ? fmt::format("Grid spacing {}", spacing) : "Grid spacing follows the view");
    return true;
}

void EditSession::SetTool(Tool tool) {
    if (tool == tool_) return;
    LeaveCreateMode();
    tool_ = tool;
    SetStatus(fmt::format("{} tool: drag a selected object or an axis of the gizmo",
                          ChannelVerb(ChannelOf(tool))));
}

void EditSession::SetAxes(const Axes& axes) {
    if (axes == axes_) return;
    axes_ = axes;
    std::string name = AxesName(axes);
    for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    SetStatus(axes.Free() ? "No axis constraint" : fmt::format("Constrained to {}", name));
}

std::optional<host::Point3> EditSession::GizmoPivot() {
    if (creation_) return std::nullopt;
    const std::vector<scene::Node*> selected = Selection();
    if (selected.empty()) return std::nullopt;
    Vec3d sum;
    for (scene::Node* node : selected) sum = sum + Vec3d(node->Position().At(time_));
    return (sum * (1.0 / static_cast<double>(selected.size()))).ToPoint3();
}

viewport::DisplayList EditSession::Draw(int view, int width, int height) {
    if (view < 0 || view >= static_cast<int>(views_.size()) || width < 1 || height < 1) return {};
    const scene::ViewDefinition& def = views_[static_cast<std::size_t>(view)];
    viewport::DisplayList list =
        viewport::DrawSceneView(*scene_, def, time_, width, height, viewport::SceneBounds(*scene_, time_));
    if (const std::optional<host::Point3> mark = SnapPreviewMark(view)) {
        viewport::PixelPoint at;
        if (viewport::MakeCamera(def, width, height).WorldToPixel(Vec3d(*mark), at))
            list.Marker(viewport::kSnapPreviewColor, at, host::kMarkerPlus);
    }
    return list;
}

std::optional<host::Point3> EditSession::SnapPreviewMark(int view) const {
    if (!preview_ || preview_->first != view || !creation_ || creation_->Dragging()) return std::nullopt;
    return preview_->second;
}

// ---- Time ----

bool EditSession::SetFrame(double frame, std::string& error) {
    const std::optional<host::TimeValue> t = scene_->Rate().FrameToTicks(frame, error);
    if (!t) return false;
    if (frame == frame_) return true;
    frame_ = frame;
    time_ = *t;
    Changed();
    return true;
}

// ---- Modes ----

bool EditSession::EnterCreateMode(const std::string& name, std::string& error) {
    const plugins::ClassEntry* entry = classes_.Find(name);
    if (entry == nullptr) {
        for (const plugins::ClassEntry& e : classes_.Classes())
            if (e.facts.name == name && !name.empty()) entry = &e;
    }
    if (entry == nullptr || !entry->facts.isPublic) {
        error = fmt::format("no class named \"{}\" can be created", name);
        return false;
    }
    LeaveCreateMode();
    move_.reset();
    rect_.reset();
    creation_ = std::make_unique<Creation>(*scene_, *entry);
    if (!creation_->Error().empty()) {
        error = creation_->Error();
        creation_.reset();
        return false;
    }
    SetStatus(fmt::format("Drag in a viewport to create a {}", entry->facts.name));
    return true;
}

void EditSession::LeaveCreateMode() {
    if (!creation_) return;
    if (views_.empty()) {
        creation_->Leave(nullptr);
    } else {
        viewport::Viewport vp = MakeViewport(creationView_, 1, 1);
        creation_->Leave(&vp);
    }
    creation_.reset();
    preview_.reset();
    SetStatus("Select mode");
}

const plugins::ClassEntry* EditSession::CreateClass() const {
    return creation_ ? &creation_->Entry() : nullptr;
}

EditSession::Drag EditSession::CurrentDrag() const {
    if (creation_ && creation_->Dragging()) return Drag::kCreate;
    if (move_) return Drag::kMove;
    if (rect_) return Drag::kRectangle;
    return Drag::kNone;
}

// ---- Events ----

bool EditSession::Pointer(const PointerEvent& event, std::string& error) {
    if (event.view < 0 || event.view >= static_cast<int>(views_.size())) {
        error = fmt::format("there is no view {}", event.view);
        return false;
    }
    if (event.width < 1 || event.height < 1) {
        error = fmt::format("bad view size {}x{}", event.width, event.height);
        return false;
    }
    if (creation_)
        CreationPointer(event);
    else
        SelectPointer(event);
    return true;
}

void EditSession::CreationPointer(const PointerEvent& event) {
    // A creation stays in the view it started in.
    if (creation_->Dragging() && event.view != creationView_) return;
    viewport::Viewport vp = MakeViewport(event.view, event.width, event.height);
    if (event.button == 2) {
        if (event.phase == PointerPhase::kDown) AfterCreation(creation_->Abort(vp));
        return;
    }
    switch (event.phase) {
        case PointerPhase::kDown:
            creationView_ = event.view;
            preview_.reset();
            AfterCreation(creation_->Down(vp, event.at));
            // The panel lets go of the object edited before: it no longer shows what
            // the drag is about.
            UpdateEditing();
            break;
        case PointerPhase::kMove: {
            AfterCreation(creation_->Move(vp, event.at));
            if (!creation_->Dragging()) {
                creationView_ = event.view;
                if (vp.PreviewPoint()) preview_ = std::pair{event.view, *vp.PreviewPoint()};
                Changed();
            }
            break;
        }
        case PointerPhase::kUp:
            AfterCreation(creation_->Up(vp, event.at));
            break;
    }
}

void EditSession::AfterCreation(Creation::Outcome outcome) {
    switch (outcome) {
        case Creation::Outcome::kNothing:
        case Creation::Outcome::kContinuing:
            break;
        case Creation::Outcome::kCompleted: {
            scene::Node* node = creation_->CompletedNode();
            if (node != nullptr) {
                SelectOnly({node}, false);
                Commit(fmt::format("Create {}", node->Name()));
                SetStatus(fmt::format("Created {}", node->Name()));
            }
            break;
        }
        case Creation::Outcome::kDiscarded:
            SetStatus("Creation cancelled");
            break;
        case Creation::Outcome::kFailed:
            SetStatus(creation_->Error());
            break;
    }
}

void EditSession::SelectPointer(const PointerEvent& event) {
    if (event.button != 0) return;
    switch (event.phase) {
        case PointerPhase::kDown: {
            move_.reset();
            rect_.reset();
            // A press on an axis of the gizmo drags the selection along that axis.
            if (const std::optional<host::Point3> pivot = GizmoPivot(); pivot && !panel_.Picking()) {
                viewport::Viewport vp = MakeViewport(event.view, event.width, event.height);
                const viewport::PixelPoint at{static_cast<double>(event.at.x), static_cast<double>(event.at.y)};
                if (const std::optional<int> axis = GizmoAxisAt(tool_, vp.GetCamera(), Vec3d(*pivot), at)) {
                    StartDrag(event, vp, axis);
                    return;
                }
            }
            const std::vector<std::string> hits = viewport::PickNodesNearestFirst(
                *scene_, views_[static_cast<std::size_t>(event.view)], time_, event.width, event.height, event.at);
            // What a click here selects, asked before this press becomes the last one.
            const std::string takes = ClickTakes(event.view, event.at, hits);
            lastClick_ = LastClick{event.view, event.at, hits};
            if (panel_.Picking()) {
                if (hits.empty())
                    SetStatus(fmt::format("Click a node to add it to {}, or press Esc", panel_.PickingFor()));
                else
                    PickNode(PickFor(hits));
                return;
            }
            if (hits.empty()) {
                rect_ = RectDrag{event.view, event.at};
                ShownChanged();  // the page shows the rectangle's band
                return;
            }
            // A press on a selected node keeps the selection, so that a drag moves all of
            // it; otherwise the nearest node is selected.
            scene::Node* hit = nullptr;
            for (const std::string& name : hits)
                if (scene::Node* node = scene_->FindNode(name); node != nullptr && node->IsSelected() != 0 && hit == nullptr)
                    hit = node;
            if (hit == nullptr) {
                hit = scene_->FindNode(hits.front());
                if (hit == nullptr) return;
                SelectOnly({hit}, event.additive);
            }
            viewport::Viewport vp = MakeViewport(event.view, event.width, event.height);
            StartDrag(event, vp, std::nullopt);
            move_->then = takes;
            return;
        }
        case PointerPhase::kMove: {
            if (!move_ || event.view != move_->view) return;
            if (!move_->moved && IsClick(event.at, move_->start)) return;
            viewport::Viewport vp = MakeViewport(event.view, event.width, event.height);
            move_->moved = true;
            move_->refused = DragTo(*move_, vp, event.at);
            return;
        }
        case PointerPhase::kUp: {
            if (move_) {
                const MoveDrag drag = std::move(*move_);
                move_.reset();
                if (drag.moved) {
                    std::vector<std::string> names;
                    for (const DraggedNode& node : drag.original) names.push_back(node.name);
                    const char* verb = ChannelVerb(ChannelOf(drag.tool));
                    Commit(fmt::format("{} {}", verb, NodeList(names)));
                    SetStatus(drag.refused.empty() ? fmt::format("{}d {}", verb, NodeList(names)) : drag.refused);
                } else if (!event.additive && !drag.then.empty()) {
                    if (scene::Node* node = scene_->FindNode(drag.then)) SelectOnly({node}, false);
                }
                return;
            }
            if (!rect_) return;
            const RectDrag drag = *rect_;
            rect_.reset();
            ShownChanged();
            if (event.view != drag.view) return;
            if (IsClick(event.at, drag.start)) {
                if (!event.additive) SelectOnly({}, false);
                return;
            }
            std::vector<scene::Node*> inside;
            for (const std::string& name :
                 viewport::PickNodesInRect(*scene_, views_[static_cast<std::size_t>(event.view)], time_, event.width,
                                           event.height, drag.start, event.at, host::kHitWindow)) {
                if (scene::Node* node = scene_->FindNode(name)) inside.push_back(node);
            }
            SelectOnly(inside, event.additive);
            return;
        }
    }
}

void EditSession::StartDrag(const PointerEvent& event, viewport::Viewport& vp, std::optional<int> axis) {
    MoveDrag drag;
    drag.view = event.view;
    drag.start = event.at;
    drag.tool = tool_;
    drag.axis = axis;
    host::IPoint2 snapped = event.at;
    drag.startWorld = vp.SnapPoint(event.at, snapped);
    for (scene::Node* node : Selection())
        drag.original.push_back({node->Name(), node->Position(), node->Rotation(), node->Scale()});
    if (const std::optional<host::Point3> pivot = GizmoPivot()) drag.pivot = Vec3d(*pivot);
    move_ = std::move(drag);
}

std::string EditSession::DragTo(const MoveDrag& drag, viewport::Viewport& vp, const host::IPoint2& at) {
    const viewport::Camera& camera = vp.GetCamera();
    const viewport::PixelPoint from{static_cast<double>(drag.start.x), static_cast<double>(drag.start.y)};
    const viewport::PixelPoint to{static_cast<double>(at.x), static_cast<double>(at.y)};
    const std::optional<int> axis = drag.axis ? drag.axis : axes_.Single();
    const double spacing = vp.GridSpacing();
    // What the drag does to one value of the tool's channel.
    std::function<host::Point3(const host::Point3&)> change;
    switch (drag.tool) {
        case Tool::kMove: {
            Vec3d offset;
            if (axis) {
                double along = AlongAxis(camera, drag.pivot, *axis, from, to);
                if (gridSnap_ && spacing > 0.0) along = std::round(along / spacing) * spacing;
                offset = Vec3d(*axis == 0, *axis == 1, *axis == 2) * along;
            } else {
                host::IPoint2 snapped = at;
                offset = Vec3d(vp.SnapPoint(at, snapped) - drag.startWorld);
                for (int i = 0; i < 3; ++i)
                    if (!axes_.on[static_cast<std::size_t>(i)]) (i == 0 ? offset.x : i == 1 ? offset.y : offset.z) = 0.0;
            }
            if (!IsFinite(offset)) return {};
            change = [offset](const host::Point3& p) { return (Vec3d(p) + offset).ToPoint3(); };
            break;
        }
        case Tool::kRotate: {
            double degrees = RotationDegrees(to.x - from.x);
            if (gridSnap_) degrees = std::round(degrees / kRotationSnapDegrees) * kRotationSnapDegrees;
            const int about = axis ? *axis : ViewAxis(camera);
            change = [degrees, about](host::Point3 r) {
                (about == 0 ? r.x : about == 1 ? r.y : r.z) += static_cast<float>(degrees);
                return r;
            };
            break;
        }
        case Tool::kScale: {
            const double factor = ScaleFactor(to.x - from.x);
            std::array<bool, 3> on = axes_.on;
            if (drag.axis) on = {*drag.axis == 0, *drag.axis == 1, *drag.axis == 2};
            change = [factor, on](host::Point3 s) {
                if (on[0]) s.x = static_cast<float>(s.x * factor);
                if (on[1]) s.y = static_cast<float>(s.y * factor);
                if (on[2]) s.z = static_cast<float>(s.z * factor);
                return s;
            };
            break;
        }
    }
    std::string refused;
    const Channel channel = ChannelOf(drag.tool);
    for (const DraggedNode& dragged : drag.original) {
        scene::Node* node = scene_->FindNode(dragged.name);
        if (node == nullptr) continue;
        const scene::AnimatedPoint& was = dragged.Channel(channel);
        // An animated node changes its key at this frame, never its whole path.
        std::string why;
        std::optional<scene::AnimatedPoint> changed =
            ChannelWithValueAt(was, time_, change(was.At(time_)), scene_->Rate(), why);
        if (changed)
            SetNodeChannel(*node, channel, std::move(*changed));
        else if (refused.empty())
            refused = fmt::format("{} did not {}: {}", dragged.name, ToolName(drag.tool), why);
    }
    return refused;
}

void EditSession::RestoreDrag(const MoveDrag& drag) {
    for (const DraggedNode& dragged : drag.original) {
        scene::Node* node = scene_->FindNode(dragged.name);
        if (node == nullptr) continue;
        node->SetPosition(dragged.position);
        node->SetRotation(dragged.rotation);
        node->SetScale(dragged.scale);
    }
}

std::string EditSession::ClickTakes(int view, const host::IPoint2& at, const std::vector<std::string>& hits) {
    if (hits.empty()) return {};
    const bool again = lastClick_ && lastClick_->view == view && IsClick(at, lastClick_->at) && lastClick_->hits == hits;
    if (!again) return hits.front();
    for (const std::string& name : hits)
        if (scene::Node* node = scene_->FindNode(name); node != nullptr && node->IsSelected() != 0)
            return NextAfter(hits, name);
    return hits.front();
}

void EditSession::Hover(const std::optional<PointerEvent>& event) {
    std::string hovered;
    if (event && !creation_ && !Dragging() && event->view >= 0 && event->view < static_cast<int>(views_.size()) &&
        event->width >= 1 && event->height >= 1) {
        hovered = ClickTakes(event->view, event->at,
                             viewport::PickNodesNearestFirst(*scene_, views_[static_cast<std::size_t>(event->view)],
                                                             time_, event->width, event->height, event->at));
    }
    if (hovered == hovered_) return;
    hovered_ = std::move(hovered);
    ShownChanged();  // the page shows it; what the views draw stays
}

std::string EditSession::PickFor(const std::vector<std::string>& hits) {
    // The nearest node the list would take; the nearest one, to hear why not, when none.
    for (const std::string& name : hits)
        if (scene::Node* node = scene_->FindNode(name); node != nullptr && panel_.WouldTake(node)) return name;
    return hits.front();
}

bool EditSession::PickNode(const std::string& name) {
    scene::Node* node = scene_->FindNode(name);
    const std::string list = panel_.PickingFor();
    std::string refusal;
    if (!panel_.Pick(node, refusal)) {
        SetStatus(refusal);
        return false;
    }
    Commit(fmt::format("Add {} to {}", name, list));
    SetStatus(fmt::format("Added {} to {}", name, list));
    return true;
}

void EditSession::Escape() {
    if (panel_.Picking()) {
        panel_.CancelPick();
        SetStatus("Picking cancelled");
        return;
    }
    if (creation_) {
        if (creation_->Dragging()) {
            viewport::Viewport vp = MakeViewport(creationView_, 1, 1);
            AfterCreation(creation_->Abort(vp));
        } else {
            LeaveCreateMode();
        }
        return;
    }
    if (move_) {
        RestoreDrag(*move_);
        move_.reset();
        SetStatus("Drag cancelled");
        return;
    }
    if (rect_) ShownChanged();
    rect_.reset();
}

void EditSession::AbandonAfterFault() {
    rect_.reset();
    if (move_) {
        const MoveDrag drag = std::move(*move_);
        move_.reset();
        try {
            RestoreDrag(drag);
        } catch (...) {
            // The positions went back as far as the scene let them.
        }
    }
    if (creation_) {
        try {
            LeaveCreateMode();
        } catch (...) {
            creation_->Drop();
            creation_.reset();
            preview_.reset();
        }
    }
    panel_.CancelPick();
    SetStatus("A plug-in failed: what it was doing was abandoned");
}

void EditSession::DeleteSelection() {
    if (Dragging()) return;
    const std::vector<scene::Node*> selected = Selection();
    if (selected.empty()) return;
    // The panel lets go of an object before it goes.
    EndEditing(nullptr);
    std::vector<std::string> names;
    for (scene::Node* node : selected) {
        names.push_back(node->Name());
        scene_->DeleteNode(node);
    }
    Commit(fmt::format("Delete {}", NodeList(names)));
    SetStatus(fmt::format("Deleted {}", NodeList(names)));
}

// ---- Selection ----

std::vector<scene::Node*> EditSession::Selection() const {
    std::vector<scene::Node*> selected;
    for (int i = 0; i < scene_->NodeCount(); ++i) {
        scene::Node* node = scene_->NodeAt(i);
        if (node != nullptr && node->IsSelected() != 0) selected.push_back(node);
    }
    return selected;
}

void EditSession::SelectOnly(const std::vector<scene::Node*>& nodes, bool additive) {
    selecting_ = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{selecting_};
    for (int i = 0; i < scene_->NodeCount(); ++i) {
        scene::Node* node = scene_->NodeAt(i);
        if (node == nullptr) continue;
        const bool wanted = std::find(nodes.begin(), nodes.end(), node) != nodes.end();
        if (wanted)
            node->SetSelected(true);
        else if (!additive)
            node->SetSelected(false);
    }
    UpdateEditing();
    const std::vector<scene::Node*> selected = Selection();
    if (selected.empty()) {
        SetStatus("Nothing selected");
    } else {
        std::vector<std::string> names;
        for (scene::Node* node : selected) names.push_back(node->Name());
        SetStatus(fmt::format("Selected {}", NodeList(names)));
    }
}

void EditSession::Select(const std::vector<std::string>& names) {
    std::vector<scene::Node*> nodes;
    for (const std::string& name : names)
        if (scene::Node* node = scene_->FindNode(name)) nodes.push_back(node);
    SelectOnly(nodes, false);
}

// ---- Node edits ----

bool EditSession::Rename(const std::string& node, const std::string& name, std::string& error) {
    scene::Node* found = scene_->FindNode(node);
    if (found == nullptr) {
        error = fmt::format("there is no node named \"{}\"", node);
        return false;
    }
    if (name == node) return true;
    if (const std::optional<std::string> problem = scene::NodeNameProblem(name)) {
        error = fmt::format("\"{}\" cannot be a node's name: {}", name, *problem);
        return false;
    }
    if (scene_->FindNode(name) != nullptr) {
        error = fmt::format("another node is named \"{}\" already", name);
        return false;
    }
    if (!scene_->RenameNode(found, name)) {
        error = fmt::format("{} could not be renamed", node);
        return false;
    }
    if (editedName_ == node) editedName_ = name;
    unsaved_ = true;
    sceneEdited_ = true;
    Commit(fmt::format("Rename {} to {}", node, name));
    SetStatus(fmt::format("Renamed {} to {}", node, name));
    return true;
}

bool EditSession::SetWireColor(const std::string& node, uint32_t bgr, std::string& error) {
    scene::Node* found = scene_->FindNode(node);
    if (found == nullptr) {
        error = fmt::format("there is no node named \"{}\"", node);
        return false;
    }
    found->SetWireColor(bgr & 0xFFFFFFu);
    Commit(fmt::format("Wire Colour of {}", node));
    return true;
}

bool EditSession::SetChannel(const std::string& node, Channel channel, const host::Point3& value, std::string& error) {
    scene::Node* found = scene_->FindNode(node);
    if (found == nullptr) {
        error = fmt::format("there is no node named \"{}\"", node);
        return false;
    }
    if (Dragging()) {
        error = "finish the drag first";
        return false;
    }
    const scene::AnimatedPoint& now = channel == Channel::kPosition   ? found->Position()
                                      : channel == Channel::kRotation ? found->Rotation()
                                                                      : found->Scale();
    std::string why;
    std::optional<scene::AnimatedPoint> changed = ChannelWithValueAt(now, time_, value, scene_->Rate(), why);
    if (!changed) {
        error = fmt::format("{} cannot be changed: {}", node, why);
        return false;
    }
    SetNodeChannel(*found, channel, std::move(*changed));
    Commit(fmt::format("{} {}", ChannelVerb(channel), node));
    SetStatus(fmt::format("{}d {}", ChannelVerb(channel), node));
    return true;
}

// ---- Undo ----

std::optional<SceneState> EditSession::Capture(std::string& error) {
    std::optional<scene::SceneParts> parts = scene::WriteSceneParts(*scene_, session::ResolverFor(classes_), error);
    if (!parts) return std::nullopt;
    return history_.Share(std::move(parts->head), std::move(parts->nodes));
}

void EditSession::Commit(const std::string& name, const std::string& mergeKey) {
    if (!sceneEdited_) return;
    sceneEdited_ = false;
    std::string why;
    std::optional<SceneState> state = Capture(why);
    if (!state) {
        // Undo cannot lead past a state it cannot hold: the history starts again at the
        // next state that can be captured.
        history_.Reset({});
        historyOff_ = true;
        SetStatus(fmt::format("Undo history cleared: {}", why));
        return;
    }
    if (historyOff_) {
        history_.Reset(std::move(*state));
        historyOff_ = false;
    } else {
        history_.Record(name, std::move(*state), mergeKey);
    }
    Changed();
}

void EditSession::CommitPanelEdit(host::HWND control) {
    // Edits of one control in quick succession (a spinner dragged, arrows held) are one
    // step; any other step in between starts a new one.
    constexpr auto kJoinWithin = std::chrono::milliseconds(1500);
    const auto now = std::chrono::steady_clock::now();
    // The history joins a step to the last one only when their keys agree.
    if (control != lastPanelControl_ || now - lastPanelEdit_ >= kJoinWithin) ++panelStep_;
    lastPanelControl_ = control;
    lastPanelEdit_ = now;
    const std::string param = panel_.ParamNameOf(control);
    Commit(fmt::format("Change {}", param.empty() ? std::string("parameters") : param),
           fmt::format("panel {}", panelStep_));
}

bool EditSession::Undo() { return Travel(true); }

bool EditSession::Redo() { return Travel(false); }

bool EditSession::Travel(bool back) {
    if (Dragging()) {
        SetStatus(back ? "Finish the drag before undoing" : "Finish the drag before redoing");
        return false;
    }
    Commit("Change");
    const SceneState* target = back ? history_.UndoTarget() : history_.RedoTarget();
    if (target == nullptr) {
        SetStatus(back ? "Nothing to undo" : "Nothing to redo");
        return false;
    }
    const std::string name = back ? history_.UndoName() : history_.RedoName();
    std::string error;
    if (!Restore(*target, error)) {
        SetStatus(fmt::format("Cannot {} {}: {}", back ? "undo" : "redo", name, error));
        return false;
    }
    if (back)
        history_.Undone();
    else
        history_.Redone();
    lastPanelControl_ = nullptr;
    unsaved_ = !history_.Current().SameAs(saved_);
    SetStatus(fmt::format("{} {}", back ? "Undo" : "Redo", name));
    return true;
}

bool EditSession::Restore(const SceneState& state, std::string& error) {
    std::unique_ptr<scene::Scene> restored =
        scene::ReadScene(state.Text(), "the undo history", session::ResolverFor(classes_), error);
    if (!restored) return false;
    // The selection keeps the nodes that stay selected, and takes those that come back.
    std::vector<std::string> selected;
    for (int i = 0; i < restored->NodeCount(); ++i) {
        const scene::Node* node = restored->NodeAt(i);
        if (node == nullptr) continue;
        scene::Node* now = scene_->FindNode(node->Name());
        if (now == nullptr || now->IsSelected() != 0) selected.push_back(node->Name());
    }
    const plugins::ClassEntry* creating = creation_ ? &creation_->Entry() : nullptr;
    LeaveCreateMode();
    panel_.CancelPick();
    EndEditing(nullptr);
    move_.reset();
    rect_.reset();
    restored->SetViews(scene_->Views());
    scene_->SetChangeListener(nullptr);
    std::unique_ptr<scene::Scene> replaced = std::exchange(scene_, std::move(restored));
    scene_->SetChangeListener([this](host::PartID part) { SceneChanged(part); });
    replaced.reset();
    panel_.ClearHistory();
    Select(selected);
    if (creating != nullptr) {
        std::string ignored;
        EnterCreateMode(creating->facts.internalName.empty() ? creating->facts.name : creating->facts.internalName,
                        ignored);
    }
    sceneEdited_ = false;
    Changed();
    return true;
}

// ---- Saving ----

bool EditSession::Save(const std::filesystem::path& file, std::string& error) {
    const std::filesystem::path target = file.empty() ? file_ : file;
    if (target.empty()) {
        error = "the scene has no file yet: choose one";
        return false;
    }
    scene_->SetViews(views_);
    if (!scene::SaveSceneFile(*scene_, target, session::ResolverFor(classes_), error)) return false;
    file_ = target;
    unsaved_ = false;
    Commit("Change");
    saved_ = history_.Current();
    SetStatus(fmt::format("Saved {}", target.filename().string()));
    return true;
}

}  // namespace zg::session
