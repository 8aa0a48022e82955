#include "app/web/page_state.h"

#include <fmt/format.h>
#include <nlohmann/json.hpp>

#include <cstdint>

#include "app/text/float_text.h"
#include "app/viewport/marker_shape.h"
#include "app/viewport/view_camera.h"
#include "app/web/picture_png.h"
#include "host/graphics.h"

namespace zg::web {

namespace {

using text::Json;

std::string WireColor(uint32_t bgr) {
    return fmt::format("#{:02x}{:02x}{:02x}", bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}

uint64_t HandleNumber(host::HWND handle) { return static_cast<uint64_t>(reinterpret_cast<uintptr_t>(handle)); }

std::string Base64(const std::string& bytes) {
    static constexpr char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        uint32_t n = static_cast<uint8_t>(bytes[i]) << 16;
        if (i + 1 < bytes.size()) n |= static_cast<uint8_t>(bytes[i + 1]) << 8;
        if (i + 2 < bytes.size()) n |= static_cast<uint8_t>(bytes[i + 2]);
        out += kDigits[(n >> 18) & 63];
        out += kDigits[(n >> 12) & 63];
        out += i + 1 < bytes.size() ? kDigits[(n >> 6) & 63] : '=';
        out += i + 2 < bytes.size() ? kDigits[n & 63] : '=';
    }
    return out;
}

const char* KindName(panel::ControlKind kind) {
    switch (kind) {
        case panel::ControlKind::kEdit: return "edit";
        case panel::ControlKind::kSpinner: return "spinner";
        case panel::ControlKind::kPushButton: return "button";
        case panel::ControlKind::kCheckBox: return "check";
        case panel::ControlKind::kGroupBox: return "group";
        case panel::ControlKind::kStatic: return "static";
        case panel::ControlKind::kPicture: return "picture";
        case panel::ControlKind::kListBox: return "list";
    }
    return "static";
}

const char* RoleName(panel::BindingRole role) {
    switch (role) {
        case panel::BindingRole::kNone: return "none";
        case panel::BindingRole::kValue: return "value";
        case panel::BindingRole::kSpinner: return "spinner";
        case panel::BindingRole::kNodeList: return "list";
        case panel::BindingRole::kAdd: return "add";
        case panel::BindingRole::kRemove: return "remove";
    }
    return "none";
}

// The node a click would select where the pointer rests, or null.
Json HoverJson(const session::EditSession& session) {
    return session.Hovered().empty() ? Json(nullptr) : Json(session.Hovered());
}

Json RolloutJson(const panel::Rollout& r) {
    Json controls = Json::array();
    for (const panel::Control& c : r.controls) {
        Json j{{"handle", HandleNumber(c.handle)}, {"id", c.id},          {"kind", KindName(c.kind)},
               {"x", c.x},                         {"y", c.y},            {"w", c.width},
               {"h", c.height},                    {"text", c.text},      {"role", RoleName(c.binding.role)},
               {"param", c.binding.param}};
        if (c.align != panel::TextAlign::kLeft) j["align"] = c.align == panel::TextAlign::kRight ? "right" : "center";
        if (c.textOnLeft) j["textOnLeft"] = true;
        if (c.sunken) j["sunken"] = true;
        if (c.kind == panel::ControlKind::kCheckBox) j["checked"] = c.checked;
        if (c.kind == panel::ControlKind::kListBox) {
            j["items"] = c.items;
            j["selected"] = c.selected;
        }
        if (const std::string png = PicturePng(c.picture); !png.empty()) j["image"] = "data:image/png;base64," + Base64(png);
        // The range a field or spinner takes, for its tooltip.
        const bool valued = c.binding.role == panel::BindingRole::kValue || c.binding.role == panel::BindingRole::kSpinner;
        if (valued && c.kind != panel::ControlKind::kCheckBox && c.binding.limited) {
            j["range"] = Json::array({c.binding.lo, c.binding.hi});
            if (c.binding.editType == host::EDITTYPE_INT) j["whole"] = true;
        }
        controls.push_back(std::move(j));
    }
    return Json{{"handle", HandleNumber(r.handle)}, {"title", r.title}, {"open", r.open},
                {"width", r.width},                  {"height", r.height}, {"controls", std::move(controls)}};
}

Json Triple(const Vec3d& v) { return Json::array({v.x, v.y, v.z}); }

// Where a view's camera is, as the page moves it: eye, target, up and the horizontal
// field of view of a perspective view; centre, width and the image's right and up
// directions of an orthographic one.
Json CameraJson(const scene::ViewDefinition& view) {
    if (view.kind == scene::ViewKind::kPerspective)
        return Json{{"eye", Triple(view.eye)}, {"target", Triple(view.target)}, {"up", Triple(view.up)}, {"fov", view.fov}};
    const viewport::Camera camera = viewport::MakeCamera(view, 1, 1);
    return Json{{"center", Triple(view.center)},
                {"width", view.width},
                {"right", Triple(camera.ViewToWorld().rows[0])},
                {"up", Triple(camera.ViewToWorld().rows[1])}};
}

// The views as the page shows them: name, projection, the world axes as image
// directions (x right, y down) and the camera.
Json ViewsJson(const std::vector<scene::ViewDefinition>& defined) {
    Json views = Json::array();
    for (const scene::ViewDefinition& view : defined) {
        const viewport::Camera camera = viewport::MakeCamera(view, 1, 1);
        Json axes = Json::array();
        for (int i = 0; i < 3; ++i) {
            const Vec3d axis = camera.WorldToView().rows[i];
            axes.push_back(Json::array({axis.x, -axis.y}));
        }
        views.push_back(Json{{"name", view.name},
                             {"projection", scene::ProjectionName(view.kind)},
                             {"axes", axes},
                             {"camera", CameraJson(view)}});
    }
    return views;
}

// The kind of drag under way, or null.
Json DragJson(const session::EditSession& session) {
    switch (session.CurrentDrag()) {
        case session::EditSession::Drag::kNone: break;
        case session::EditSession::Drag::kCreate: return "create";
        case session::EditSession::Drag::kMove: return "move";
        case session::EditSession::Drag::kRectangle: return "rectangle";
    }
    return nullptr;
}

}  // namespace

std::string ViewsMessage(const session::EditSession& session) {
    return text::DumpJson(Json{{"type", "views"},
                                 {"revision", session.Revision()},
                                 {"views", ViewsJson(session.Views())},
                                 {"hover", HoverJson(session)},
                                 {"drag", DragJson(session)}});
}

std::string StateMessage(session::EditSession& session, const std::vector<std::string>& warnings, bool withClasses,
                         bool withRollouts) {
    Json state = Json::object();
    state["type"] = "state";
    state["revision"] = session.Revision();
    state["file"] = session.File().empty() ? Json(nullptr) : Json(session.File().filename().string());
    state["unsaved"] = session.Unsaved();
    state["status"] = session.Status();
    state["frame"] = session.Frame();
    scene::Scene& scene = session.Scene();
    state["start"] = scene.StartFrame();
    state["end"] = scene.EndFrame();
    state["fps"] = scene.Rate().Fps();
    const plugins::ClassEntry* creating = session.CreateClass();
    state["create"] = creating != nullptr ? Json(creating->facts.internalName.empty() ? creating->facts.name
                                                                                     : creating->facts.internalName)
                                          : Json(nullptr);
    state["drag"] = DragJson(session);
    state["gridSnap"] = session.GridSnap();
    state["gridSpacing"] = session.GridSpacingSetting();
    state["tool"] = session::ToolName(session.CurrentTool());
    state["axes"] = session::AxesName(session.Constraint());
    // The gizmo the page draws over the views, at the selection's pivot.
    if (const std::optional<host::Point3> pivot = session.GizmoPivot())
        state["gizmo"] = Json{{"pivot", Triple(Vec3d(*pivot))},
                              {"pixels", session::kGizmoPixels},
                              {"segments", session::kGizmoCircleSegments},
                              {"tick", session::kGizmoTick}};
    else
        state["gizmo"] = nullptr;
    state["warnings"] = warnings;
    state["hover"] = HoverJson(session);
    state["undo"] = session.UndoName();
    state["redo"] = session.RedoName();
    state["views"] = ViewsJson(session.Views());
    const auto [least, most] = session.ZoomRange();
    state["zoomRange"] = Json::array({least, most});
    const host::Point3 selection = host::GetUIColor(host::COLOR_SELECTION);
    state["selectionColor"] = Json::array({selection.x, selection.y, selection.z});
    Json nodes = Json::array();
    for (int i = 0; i < scene.NodeCount(); ++i) {
        scene::Node* node = scene.NodeAt(i);
        if (node == nullptr) continue;
        host::Object* object = node->GetObjectRef();
        host::CStr className;
        if (object != nullptr) object->GetClassName(className);
        nodes.push_back(Json{{"name", node->Name()},
                             {"class", className},
                             {"selected", node->IsSelected() != 0},
                             {"color", WireColor(node->GetWireColor())}});
    }
    state["nodes"] = std::move(nodes);
    Json panel = Json::object();
    scene::Node* edited = session.EditedNode();
    panel["edited"] = edited != nullptr ? Json(edited->Name()) : Json(nullptr);
    if (const std::vector<scene::Node*> selected = session.Selection(); selected.size() == 1) {
        // The selected node's name, colour and transform at this frame, for typing.
        scene::Node& node = *selected.front();
        const host::TimeValue t = session.Time();
        panel["node"] = Json{{"name", node.Name()},
                             {"color", WireColor(node.GetWireColor())},
                             {"position", Triple(Vec3d(node.Position().At(t)))},
                             {"rotation", Triple(Vec3d(node.Rotation().At(t)))},
                             {"scale", Triple(Vec3d(node.Scale().At(t)))}};
    }
    panel["picking"] = session.Panel().Picking() ? Json(session.Panel().PickingFor()) : Json(nullptr);
    if (session.Panel().Picking()) {
        // The nodes the list would take, for the page's pick list.
        Json pickable = Json::array();
        for (int i = 0; i < scene.NodeCount(); ++i)
            if (scene::Node* node = scene.NodeAt(i); node != nullptr && session.Panel().WouldTake(node))
                pickable.push_back(node->Name());
        panel["pickable"] = std::move(pickable);
    }
    if (withRollouts) {
        Json rollouts = Json::array();
        for (const panel::Rollout& r : session.Panel().Rollouts()) rollouts.push_back(RolloutJson(r));
        panel["rollouts"] = std::move(rollouts);
    }
    state["panel"] = std::move(panel);
    if (withClasses) {
        Json categories = Json::array();
        for (const auto& [category, entries] : session.Classes().ByCategory()) {
            Json classes = Json::array();
            for (const plugins::ClassEntry* entry : entries) {
                if (!entry->facts.isPublic) continue;
                classes.push_back(Json{{"name", entry->facts.name},
                                       {"id", entry->facts.internalName.empty() ? entry->facts.name
                                                                                : entry->facts.internalName}});
            }
            if (!classes.empty()) categories.push_back(Json{{"category", category}, {"classes", std::move(classes)}});
        }
        state["classes"] = std::move(categories);
        Json markers = Json::array();
        for (const viewport::MarkerShape& shape : viewport::kMarkerShapes)
            markers.push_back(Json{{"code", shape.code}, {"form", viewport::MarkerFormName(shape.form)}, {"radius", shape.radius}});
        state["markerShapes"] = std::move(markers);
    }
    return text::DumpJson(state);
}

}  // namespace zg::web
