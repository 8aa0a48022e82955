#include "app/web/page_protocol.h"

#include <fmt/format.h>

#include <cmath>
#include <initializer_list>
#include <limits>

#include "app/text/json_reader.h"
#include "app/text/one_line.h"

namespace zg::web {

namespace {

using text::FailField;
using text::Json;
using text::JsonElement;
using text::JsonFieldError;

const Json& Field(const Json& message, const char* key) {
    const auto it = message.find(key);
    if (it == message.end()) FailField(key, "missing");
    return *it;
}

double Number(const Json& message, const char* key, double lo, double hi) {
    const Json& v = Field(message, key);
    if (!v.is_number()) FailField(key, "expected a number");
    const double d = v.get<double>();
    if (!std::isfinite(d) || d < lo || d > hi) FailField(key, fmt::format("expected a number from {} to {}", lo, hi));
    return d;
}

int Whole(const Json& message, const char* key, int lo, int hi) {
    const double d = Number(message, key, lo, hi);
    if (d != std::floor(d)) FailField(key, "expected a whole number");
    return static_cast<int>(d);
}

bool Switch(const Json& message, const char* key, std::optional<bool> fallback = std::nullopt) {
    const auto it = message.find(key);
    if (it == message.end() && fallback) return *fallback;
    const Json& v = Field(message, key);
    if (!v.is_boolean()) FailField(key, "expected true or false");
    return v.get<bool>();
}

std::string Text(const Json& v, const std::string& what) {
    if (!v.is_string()) FailField(what, "expected a string");
    return v.get<std::string>();
}

ViewSize Size(const Json& v, const std::string& what) {
    if (!v.is_object()) FailField(what, "expected {\"width\", \"height\"}");
    try {
        return {Whole(v, "width", 1, kMaxViewSide), Whole(v, "height", 1, kMaxViewSide)};
    } catch (const JsonFieldError& e) {
        FailField(text::JsonMember(what, e.path), e.message);
    }
}

int View(const Json& message) { return Whole(message, "view", 0, kMaxViews - 1); }

// A window handle of the command panel: a whole number that JavaScript holds exactly.
uint64_t Handle(const Json& message, const char* key) {
    const double d = Number(message, key, 0, 9007199254740991.0);
    if (d != std::floor(d)) FailField(key, "expected a whole number");
    return static_cast<uint64_t>(d);
}

// A point or direction of a camera: [x, y, z], each finite and within kMaxCoordinate.
Vec3d Triple(const Json& message, const char* key) {
    const Json& v = Field(message, key);
    if (!v.is_array() || v.size() != 3) FailField(key, "expected [x, y, z]");
    double c[3];
    for (std::size_t i = 0; i < 3; ++i) {
        if (!v[i].is_number()) FailField(JsonElement(key, i), "expected a number");
        c[i] = v[i].get<double>();
        if (!std::isfinite(c[i]) || std::fabs(c[i]) > kMaxCoordinate)
            FailField(JsonElement(key, i),
                      fmt::format("expected a number from {} to {}", -kMaxCoordinate, kMaxCoordinate));
    }
    return {c[0], c[1], c[2]};
}

int Pixel(const Json& message, const char* key) {
    return static_cast<int>(std::lround(Number(message, key, -kMaxPixel, kMaxPixel)));
}

// Refuses every key of `message` that is not `type`, `seq` or one of `allowed`.
void OnlyKeys(const Json& message, std::initializer_list<std::string_view> allowed) {
    text::CheckJsonKeys(message, "", allowed, {"type", "seq"});
}

PageCommand Command(const Json& m, const std::string& type) {
    if (type == "hello") {
        OnlyKeys(m, {"views"});
        const Json& views = Field(m, "views");
        if (!views.is_array() || views.size() > static_cast<std::size_t>(kMaxViews))
            FailField("views", fmt::format("expected a list of at most {} view sizes", kMaxViews));
        command::Hello hello;
        for (std::size_t i = 0; i < views.size(); ++i) hello.views.push_back(Size(views[i], fmt::format("views[{}]", i)));
        return hello;
    }
    if (type == "resize") {
        OnlyKeys(m, {"view", "width", "height"});
        return command::Resize{View(m), {Whole(m, "width", 1, kMaxViewSide), Whole(m, "height", 1, kMaxViewSide)}};
    }
    if (type == "pointer") {
        OnlyKeys(m, {"view", "phase", "x", "y", "button", "additive"});
        const std::string phase = Text(Field(m, "phase"), "phase");
        command::Pointer p;
        if (phase == "down")
            p.phase = session::PointerPhase::kDown;
        else if (phase == "move")
            p.phase = session::PointerPhase::kMove;
        else if (phase == "up")
            p.phase = session::PointerPhase::kUp;
        else
            FailField("phase", "expected \"down\", \"move\" or \"up\"");
        p.view = View(m);
        p.at = {Pixel(m, "x"), Pixel(m, "y")};
        p.button = m.contains("button") ? Whole(m, "button", 0, 2) : 0;
        p.additive = Switch(m, "additive", false);
        return p;
    }
    if (type == "orbit" || type == "pan") {
        OnlyKeys(m, {"view", "dx", "dy"});
        const int view = View(m);
        const double dx = Number(m, "dx", -kMaxPixel, kMaxPixel);
        const double dy = Number(m, "dy", -kMaxPixel, kMaxPixel);
        if (type == "orbit") return command::Orbit{view, dx, dy};
        return command::Pan{view, dx, dy};
    }
    if (type == "zoom") {
        OnlyKeys(m, {"view", "factor", "x", "y"});
        return command::Zoom{View(m), Number(m, "factor", 1e-3, 1e3), Number(m, "x", -kMaxPixel, kMaxPixel),
                             Number(m, "y", -kMaxPixel, kMaxPixel)};
    }
    if (type == "camera") {
        command::Camera c;
        c.view = View(m);
        if (m.contains("center") || m.contains("width")) {
            OnlyKeys(m, {"view", "center", "width"});
            c.camera.center = Triple(m, "center");
            c.camera.width = Number(m, "width", 0, kMaxCoordinate);
        } else {
            OnlyKeys(m, {"view", "eye", "target", "up", "fov"});
            c.camera.eye = Triple(m, "eye");
            c.camera.target = Triple(m, "target");
            c.camera.up = Triple(m, "up");
            c.camera.fov = Number(m, "fov", 0, 180);
        }
        return c;
    }
    if (type == "key") {
        OnlyKeys(m, {"key"});
        std::string key = Text(Field(m, "key"), "key");
        if (key != "Escape" && key != "Delete") FailField("key", "expected \"Escape\" or \"Delete\"");
        return command::Key{std::move(key)};
    }
    if (type == "projection") {
        OnlyKeys(m, {"view", "projection"});
        const std::optional<scene::ViewKind> kind = scene::ViewKindNamed(Text(Field(m, "projection"), "projection"));
        if (!kind)
            FailField("projection",
                      "expected \"top\", \"bottom\", \"front\", \"back\", \"left\", \"right\" or \"perspective\"");
        return command::Projection{View(m), *kind};
    }
    if (type == "frameView") {
        OnlyKeys(m, {"view", "all"});
        return command::FrameView{View(m), Switch(m, "all", false)};
    }
    if (type == "create") {
        OnlyKeys(m, {"class"});
        return command::Create{Text(Field(m, "class"), "class")};
    }
    if (type == "selectMode") {
        OnlyKeys(m, {});
        return command::SelectMode{};
    }
    if (type == "select") {
        OnlyKeys(m, {"names"});
        const Json& names = Field(m, "names");
        if (!names.is_array() || names.size() > kMaxNames) FailField("names", "expected a list of node names");
        command::Select select;
        for (std::size_t i = 0; i < names.size(); ++i) select.names.push_back(Text(names[i], fmt::format("names[{}]", i)));
        return select;
    }
    if (type == "frame") {
        OnlyKeys(m, {"frame"});
        return command::Frame{Number(m, "frame", -1e9, 1e9)};
    }
    if (type == "gridSnap") {
        OnlyKeys(m, {"on"});
        return command::GridSnap{Switch(m, "on")};
    }
    if (type == "save") {
        OnlyKeys(m, {"file"});
        command::Save save;
        if (m.contains("file")) {
            save.file = Text(m["file"], "file");
            if (save.file->empty() || save.file->size() > 4096 || save.file->find('\0') != std::string::npos)
                FailField("file", "expected a file name");
        }
        return save;
    }
    if (type == "control") {
        OnlyKeys(m, {"control", "action", "text", "steps", "index"});
        command::Control c;
        c.control = Handle(m, "control");
        const std::string action = Text(Field(m, "action"), "action");
        if (action == "text") {
            OnlyKeys(m, {"control", "action", "text"});
            c.action = command::Control::Action::kText;
            c.text = Text(Field(m, "text"), "text");
            if (c.text.size() > kMaxText) FailField("text", "too long");
        } else if (action == "spin") {
            OnlyKeys(m, {"control", "action", "steps"});
            c.action = command::Control::Action::kSpin;
            c.steps = Number(m, "steps", -kMaxPixel, kMaxPixel);
        } else if (action == "click") {
            OnlyKeys(m, {"control", "action"});
            c.action = command::Control::Action::kClick;
        } else if (action == "select") {
            OnlyKeys(m, {"control", "action", "index"});
            c.action = command::Control::Action::kSelect;
            c.index = Whole(m, "index", -1, 1 << 20);
        } else {
            FailField("action", "expected \"text\", \"spin\", \"click\" or \"select\"");
        }
        return c;
    }
    if (type == "rollout") {
        OnlyKeys(m, {"rollout", "open"});
        return command::Rollout{Handle(m, "rollout"), Switch(m, "open")};
    }
    if (type == "pick") {
        OnlyKeys(m, {"node"});
        return command::Pick{Text(Field(m, "node"), "node")};
    }
    if (type == "undo" || type == "redo") {
        OnlyKeys(m, {});
        return command::Undo{type == "redo"};
    }
    if (type == "hover") {
        OnlyKeys(m, {"view", "x", "y"});
        if (!m.contains("view")) {
            OnlyKeys(m, {});
            return command::Hover{};
        }
        return command::Hover{View(m), {Pixel(m, "x"), Pixel(m, "y")}};
    }
    if (type == "tool") {
        OnlyKeys(m, {"tool"});
        const std::optional<session::Tool> tool = session::ParseTool(Text(Field(m, "tool"), "tool"));
        if (!tool) FailField("tool", "expected \"move\", \"rotate\" or \"scale\"");
        return command::ToolChoice{*tool};
    }
    if (type == "constraint") {
        OnlyKeys(m, {"axes"});
        const std::optional<session::Axes> axes = session::ParseAxes(Text(Field(m, "axes"), "axes"));
        if (!axes) FailField("axes", "expected \"\", \"x\", \"y\", \"z\", \"xy\", \"yz\" or \"zx\"");
        return command::Constraint{*axes};
    }
    if (type == "gridSpacing") {
        OnlyKeys(m, {"spacing"});
        return command::GridSpacing{Number(m, "spacing", 0, kMaxCoordinate)};
    }
    if (type == "rename") {
        OnlyKeys(m, {"node", "name"});
        return command::Rename{Text(Field(m, "node"), "node"), Text(Field(m, "name"), "name")};
    }
    if (type == "wireColor") {
        OnlyKeys(m, {"node", "color"});
        const std::string color = Text(Field(m, "color"), "color");
        unsigned rgb = 0;
        const bool hex = color.size() == 7 && color[0] == '#' &&
                         color.find_first_not_of("0123456789abcdefABCDEF", 1) == std::string::npos;
        if (!hex) FailField("color", "expected \"#rrggbb\"");
        rgb = static_cast<unsigned>(std::stoul(color.substr(1), nullptr, 16));
        const uint32_t bgr = ((rgb >> 16) & 0xFF) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16);
        return command::WireColor{Text(Field(m, "node"), "node"), bgr};
    }
    if (type == "transform") {
        OnlyKeys(m, {"node", "channel", "value"});
        const std::string channel = Text(Field(m, "channel"), "channel");
        command::Transform t;
        t.node = Text(Field(m, "node"), "node");
        if (channel == "position")
            t.channel = session::Channel::kPosition;
        else if (channel == "rotation")
            t.channel = session::Channel::kRotation;
        else if (channel == "scale")
            t.channel = session::Channel::kScale;
        else
            FailField("channel", "expected \"position\", \"rotation\" or \"scale\"");
        const Vec3d v = Triple(m, "value");
        t.value = host::Point3(static_cast<float>(v.x), static_cast<float>(v.y), static_cast<float>(v.z));
        return t;
    }
    if (type == "dialogReply") {
        OnlyKeys(m, {"id", "button"});
        return command::DialogReply{Whole(m, "id", 0, std::numeric_limits<int>::max()), Whole(m, "button", 0, 100)};
    }
    FailField("type", fmt::format("unknown message type \"{}\"", type));
}

}  // namespace

ReadMessage ReadPageMessage(std::string_view text) {
    ReadMessage read;
    text::JsonTextError refused;
    const std::optional<Json> m = text::ReadJsonText(text, kMaxNesting, refused);
    if (!m) {
        switch (refused.kind) {
            case text::JsonTextError::Kind::kTooDeep: read.error = "message nested too deeply"; break;
            case text::JsonTextError::Kind::kDuplicateKey:
                read.error = text::OneLine(text::AtJsonPath(refused.path, fmt::format("duplicate key \"{}\"", refused.detail)));
                break;
            default: read.error = "message is not JSON"; break;
        }
        return read;
    }
    if (!m->is_object()) {
        read.error = "message is not a JSON object";
        return read;
    }
    try {
        if (const auto it = m->find("seq"); it != m->end()) {
            if (!it->is_number_integer()) FailField("seq", "expected a whole number");
            read.seq = it->get<int64_t>();
        }
        read.message = PageMessage{read.seq, Command(*m, Text(Field(*m, "type"), "type"))};
    } catch (const JsonFieldError& e) {
        // Field names and values come from the page: they may hold line breaks.
        read.error = text::OneLine(text::AtJsonPath(e.path, e.message));
    } catch (const Json::exception&) {
        read.error = "message could not be read";
    }
    return read;
}

}  // namespace zg::web
