// The messages a page sends the interactive host over its WebSocket, read into typed
// commands. Every message is a JSON object with a "type" and an optional whole-number
// "seq" that the host's acknowledgement repeats:
//   {"type": "hello", "views": [{"width": w, "height": h}, ...]}   the page's view sizes;
//       none before it knows how many views to lay out: the state, nothing drawn
//   {"type": "resize", "view": i, "width": w, "height": h}
//   {"type": "pointer", "view": i, "phase": "down" | "move" | "up", "x": px, "y": px,
//    "button": 0 | 2, "additive": bool}
//   {"type": "orbit", "view": i, "dx": px, "dy": px}
//   {"type": "pan", "view": i, "dx": px, "dy": px}
//   {"type": "zoom", "view": i, "factor": f, "x": px, "y": px}
//   {"type": "camera", "view": i, "eye": [x, y, z], "target": [x, y, z], "up": [x, y, z],
//    "fov": degrees}                        a perspective camera as the page moved it,
//   {"type": "camera", "view": i, "center": [x, y, z], "width": w}   an orthographic one
//   {"type": "key", "key": "Escape" | "Delete"}
//   {"type": "projection", "view": i, "projection": "top" | "bottom" | "front" | "back"
//    | "left" | "right" | "perspective"}    the view shows that projection, framed
//   {"type": "frameView", "view": i, "all": bool}   frames the selection (all: the scene)
//   {"type": "create", "class": name}      enter create mode for a class
//   {"type": "selectMode"}                  leave create mode
//   {"type": "select", "names": [name, ...]}
//   {"type": "frame", "frame": f}
//   {"type": "gridSnap", "on": bool}
//   {"type": "save", "file": path}          "file" only for the first save
//   {"type": "control", "control": handle, "action": "text", "text": t}   a rollout's
//   {"type": "control", "control": handle, "action": "spin", "steps": n}  controls
//   {"type": "control", "control": handle, "action": "click"}
//   {"type": "control", "control": handle, "action": "select", "index": i}
//   {"type": "rollout", "rollout": handle, "open": bool}
//   {"type": "pick", "node": name}          offer a node to the list picking one
//   {"type": "undo"}, {"type": "redo"}      the last step of the scene's history
//   {"type": "hover", "view": i, "x": px, "y": px}   the pointer rests over a view;
//   {"type": "hover"}                       it left the views
//   {"type": "tool", "tool": "move" | "rotate" | "scale"}
//   {"type": "constraint", "axes": "" | "x" | "y" | "z" | "xy" | "yz" | "zx"}
//   {"type": "gridSpacing", "spacing": units}   0: the view's own grid
//   {"type": "rename", "node": name, "name": new name}
//   {"type": "wireColor", "node": name, "color": "#rrggbb"}
//   {"type": "transform", "node": name, "channel": "position" | "rotation" | "scale",
//    "value": [x, y, z]}                    typed for the current frame
//   {"type": "dialogReply", "id": n, "button": b}   a message box was dismissed
// Anything else, and any message over the nesting, length or number limits below, is
// refused with a one-line reason naming the field.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "app/scene/view_definition.h"
#include "app/session/node_edits.h"
#include "app/session/pointer_event.h"
#include "app/session/transform_tools.h"

namespace zg::web {

// Limits on what a page may send; generous for a page, tight for anything else.
inline constexpr int kMaxViews = 8;
inline constexpr int kMaxViewSide = 16384;
inline constexpr std::size_t kMaxNesting = 8;
inline constexpr std::size_t kMaxNames = 4096;
inline constexpr double kMaxPixel = 1e6;
inline constexpr std::size_t kMaxText = 1024;
inline constexpr double kMaxCoordinate = 1e15;

struct ViewSize {
    int width = 1;
    int height = 1;
};

namespace command {
struct Hello {
    std::vector<ViewSize> views;
};
struct Resize {
    int view = 0;
    ViewSize size;
};
struct Pointer {
    int view = 0;
    session::PointerPhase phase = session::PointerPhase::kMove;
    host::IPoint2 at;
    int button = 0;
    bool additive = false;
};
struct Orbit {
    int view = 0;
    double dx = 0, dy = 0;
};
struct Pan {
    int view = 0;
    double dx = 0, dy = 0;
};
struct Zoom {
    int view = 0;
    double factor = 1, x = 0, y = 0;
};
struct Camera {
    int view = 0;
    // The camera's fields (eye, target, up, fov; or center, width); the rest unused.
    scene::ViewDefinition camera;
};
struct Key {
    std::string key;  // "Escape" or "Delete"
};
struct Projection {
    int view = 0;
    scene::ViewKind kind = scene::ViewKind::kPerspective;
};
struct FrameView {
    int view = 0;
    bool all = false;
};
struct Create {
    std::string className;
};
struct SelectMode {};
struct Select {
    std::vector<std::string> names;
};
struct Frame {
    double frame = 0;
};
struct GridSnap {
    bool on = false;
};
struct Save {
    std::optional<std::string> file;
};
struct Control {
    enum class Action { kText, kSpin, kClick, kSelect };
    uint64_t control = 0;
    Action action = Action::kClick;
    std::string text;
    double steps = 0;
    int index = -1;
};
struct Rollout {
    uint64_t rollout = 0;
    bool open = true;
};
struct Pick {
    std::string node;
};
struct Undo {
    bool redo = false;
};
struct Hover {
    std::optional<int> view;  // none: the pointer left the views
    host::IPoint2 at;
};
struct ToolChoice {
    session::Tool tool = session::Tool::kMove;
};
struct Constraint {
    session::Axes axes;
};
struct GridSpacing {
    double spacing = 0;
};
struct Rename {
    std::string node;
    std::string name;
};
struct WireColor {
    std::string node;
    uint32_t bgr = 0;  // 0x00BBGGRR
};
struct Transform {
    std::string node;
    session::Channel channel = session::Channel::kPosition;
    host::Point3 value;
};
struct DialogReply {
    int64_t id = 0;
    int button = 0;
};
}  // namespace command

using PageCommand =
    std::variant<command::Hello, command::Resize, command::Pointer, command::Orbit, command::Pan, command::Zoom,
                 command::Camera, command::Key, command::Create, command::SelectMode, command::Select, command::Frame,
                 command::GridSnap, command::Save, command::Control, command::Rollout, command::Pick, command::Undo,
                 command::Hover, command::ToolChoice, command::Constraint, command::GridSpacing, command::Rename,
                 command::WireColor, command::Transform, command::DialogReply, command::Projection, command::FrameView>;

struct PageMessage {
    std::optional<int64_t> seq;
    PageCommand command;
};

// A message as read: the message, or the one-line reason it was refused (anything that
// is not a well-formed message of the list above), and its sequence number whenever it
// could be read, so that a refusal can still be acknowledged.
struct ReadMessage {
    std::optional<PageMessage> message;
    std::optional<int64_t> seq;
    std::string error;
};
ReadMessage ReadPageMessage(std::string_view text);

}  // namespace zg::web
