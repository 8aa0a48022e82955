#include "app/session/edit_session.h"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "app/scene/scene_file.h"
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
    unsaved_ = true;
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
    if (gridSnap_) vp.SetGridSnap(true, viewport::GridSpacing(vp.GetCamera(), viewport::SceneBounds(*scene_, time_)));
    return vp;
}

// ---- Views ----

bool EditSession::Orbit(int view, double dx, double dy) {
    if (view < 0 || view >= static_cast<int>(views_.size())) return false;
    if (!viewport::Orbit(views_[static_cast<std::size_t>(view)], dx, dy)) return false;
    CameraChanged();
    return true;
}

bool EditSession::Pan(int view, int width, int height, double dx, double dy) {
    if (view < 0 || view >= static_cast<int>(views_.size())) return false;
    if (!viewport::Pan(views_[static_cast<std::size_t>(view)], width, height, dx, dy)) return false;
    CameraChanged();
    return true;
}

bool EditSession::Zoom(int view, int width, int height, double factor, double x, double y) {
    if (view < 0 || view >= static_cast<int>(views_.size())) return false;
    if (!viewport::Zoom(views_[static_cast<std::size_t>(view)], width, height, factor, {x, y})) return false;
    CameraChanged();
    return true;
}

bool EditSession::SetCamera(int view, const scene::ViewDefinition& camera) {
    if (view < 0 || view >= static_cast<int>(views_.size())) return false;
    scene::ViewDefinition& shown = views_[static_cast<std::size_t>(view)];
    const scene::ViewDefinition before = shown;
    if (!viewport::PlaceCamera(shown, camera)) return false;
    if (!(shown == before)) CameraChanged();
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
    CameraChanged();
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
            const auto hits =
                viewport::PickNodes(*scene_, views_[static_cast<std::size_t>(event.view)], time_, event.width,
                                    event.height, event.at);
            if (panel_.Picking()) {
                if (hits.empty())
                    SetStatus(fmt::format("Click a node to add it to {}, or press Esc", panel_.PickingFor()));
                else
                    PickNode(hits.back());
                return;
            }
            if (hits.empty()) {
                rect_ = RectDrag{event.view, event.at};
                return;
            }
            // The node drawn last lies on top.
            scene::Node* hit = scene_->FindNode(hits.back());
            if (hit == nullptr) return;
            if (hit->IsSelected() == 0) SelectOnly({hit}, event.additive);
            MoveDrag drag;
            drag.view = event.view;
            drag.start = event.at;
            drag.clicked = hit->Name();
            viewport::Viewport vp = MakeViewport(event.view, event.width, event.height);
            host::IPoint2 snapped = event.at;
            drag.startWorld = vp.SnapPoint(event.at, snapped);
            for (scene::Node* node : Selection()) drag.original.emplace_back(node->Name(), node->Position());
            move_ = std::move(drag);
            return;
        }
        case PointerPhase::kMove: {
            if (!move_ || event.view != move_->view) return;
            if (!move_->moved && IsClick(event.at, move_->start)) return;
            viewport::Viewport vp = MakeViewport(event.view, event.width, event.height);
            host::IPoint2 snapped = event.at;
            const host::Point3 offset = vp.SnapPoint(event.at, snapped) - move_->startWorld;
            if (!host::IsFinite(offset)) return;
            move_->moved = true;
            MoveSelection(*move_, offset);
            return;
        }
        case PointerPhase::kUp: {
            if (move_) {
                const MoveDrag drag = std::move(*move_);
                move_.reset();
                if (drag.moved) {
                    std::vector<std::string> names;
                    for (const auto& [name, position] : drag.original) names.push_back(name);
                    SetStatus(fmt::format("Moved {}", NodeList(names)));
                } else if (!event.additive) {
                    // A click on a node of a larger selection selects that node alone.
                    if (scene::Node* node = scene_->FindNode(drag.clicked)) SelectOnly({node}, false);
                }
                return;
            }
            if (!rect_) return;
            const RectDrag drag = *rect_;
            rect_.reset();
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

void EditSession::MoveSelection(const MoveDrag& drag, const host::Point3& offset) {
    for (const auto& [name, position] : drag.original) {
        scene::Node* node = scene_->FindNode(name);
        if (node == nullptr) continue;
        // Every key moves by the same offset, so an animated path keeps its shape.
        std::vector<scene::PointKey> keys = position.Keys();
        for (scene::PointKey& key : keys) key.value += offset;
        bool finite = true;
        for (const scene::PointKey& key : keys) finite = finite && host::IsFinite(key.value);
        if (!finite) continue;
        node->SetPosition(position.IsAnimated() ? scene::AnimatedPoint(std::move(keys))
                                                : scene::AnimatedPoint(keys.front().value));
    }
}

bool EditSession::PickNode(const std::string& name) {
    scene::Node* node = scene_->FindNode(name);
    const std::string list = panel_.PickingFor();
    const std::string refusal = panel_.Pick(node);
    if (!refusal.empty()) {
        SetStatus(refusal);
        return false;
    }
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
        MoveSelection(*move_, host::Point3());
        move_.reset();
        SetStatus("Move cancelled");
        return;
    }
    rect_.reset();
}

void EditSession::AbandonAfterFault() {
    rect_.reset();
    if (move_) {
        const MoveDrag drag = std::move(*move_);
        move_.reset();
        try {
            MoveSelection(drag, host::Point3());
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

// ---- Saving ----

bool EditSession::Save(const std::filesystem::path& file, std::string& error) {
    const std::filesystem::path target = file.empty() ? file_ : file;
    if (target.empty()) {
        error = "the scene has no file yet: choose one";
        return false;
    }
    scene_->SetViews(views_);
    if (!scene::SaveSceneFile(*scene_, target, plugins::ResolverFor(classes_), error)) return false;
    file_ = target;
    unsaved_ = false;
    SetStatus(fmt::format("Saved {}", target.filename().string()));
    return true;
}

}  // namespace zg::session
