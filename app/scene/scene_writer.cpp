// Writing scene files (app/scene/scene_file.h).
#include <fmt/format.h>
#include <nlohmann/json.hpp>

#include <cmath>
#include <unordered_set>

#include "app/files/input_file.h"
#include "app/files/output_file.h"
#include "app/scene/placeholder.h"
#include "app/scene/scene_file.h"
#include "app/text/json_numbers.h"
#include "host/paramblock.h"

namespace zg::scene {
namespace {

using text::Json;

// A value that cannot be written; thrown inside the writer only.
struct WriteError {
    std::string message;
};

Json FloatJson(float f, const std::string& what) {
    if (!std::isfinite(f)) throw WriteError{fmt::format("{} is not a finite number", what)};
    return text::FloatForJson(f);
}

Json PointJson(const host::Point3& p, const std::string& what) {
    return Json::array({FloatJson(p.x, what), FloatJson(p.y, what), FloatJson(p.z, what)});
}

// A constant as [x, y, z]; keys as {"keys": [[frame, [x, y, z]], ...]}, frames whole
// where the key lies on a frame's first tick.
Json AnimatedJson(const AnimatedPoint& value, FrameRate rate, const std::string& what) {
    if (!value.IsAnimated()) return PointJson(value.At(0), what);
    Json keys = Json::array();
    for (const PointKey& key : value.Keys()) {
        const Json frame = key.time % rate.TicksPerFrame() == 0 ? Json(key.time / rate.TicksPerFrame())
                                                                : Json(rate.TicksToFrame(key.time));
        keys.push_back(Json::array({frame, PointJson(key.value, what)}));
    }
    return Json{{"keys", std::move(keys)}};
}

std::string WireColorJson(uint32_t bgr) {
    return fmt::format("#{:02x}{:02x}{:02x}", bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF);
}

// The nodes of the scene being written, for telling table entries from nodes of
// another scene.
using SceneNodes = std::unordered_set<const host::SceneNode*>;

// The name a table entry is written with: the listed node's whole name, or null for an
// empty entry.
Json EntryJson(const SceneNodes& scene, host::SceneNode* listed, const std::string& what) {
    if (listed == nullptr) return Json(nullptr);
    if (!scene.contains(listed)) throw WriteError{fmt::format("{} lists a node that is not in the scene", what)};
    return Json(static_cast<Node*>(listed)->Name());
}

Json ParamsJson(const SceneNodes& scene, host::Object* object, const std::string& nodeName) {
    Json params = Json::object();
    for (int b = 0; b < object->NumParamBlocks(); ++b) {
        host::ParamBlock* block = object->GetParamBlock(b);
        if (block == nullptr || block->GetDesc() == nullptr) continue;
        for (const host::ParamDef& def : block->GetDesc()->Params()) {
            if (def.internalName == nullptr || *def.internalName == '\0' || params.contains(def.internalName)) continue;
            const std::string what = fmt::format("node \"{}\" parameter {}", nodeName, def.internalName);
            switch (def.type) {
                case host::TYPE_FLOAT: params[def.internalName] = FloatJson(block->GetFloat(def.id, 0), what); break;
                case host::TYPE_INT: params[def.internalName] = block->GetInt(def.id, 0); break;
                case host::TYPE_BOOL: params[def.internalName] = block->GetInt(def.id, 0) != 0; break;
                case host::TYPE_INODE_TAB: {
                    if (static_cast<std::size_t>(block->Count(def.id)) > kMaxSceneNodes)
                        throw WriteError{fmt::format("{} lists {} nodes, more than the {} a node table may hold", what,
                                                     block->Count(def.id), kMaxSceneNodes)};
                    Json names = Json::array();
                    for (int j = 0; j < block->Count(def.id); ++j)
                        names.push_back(EntryJson(scene, block->GetNode(def.id, 0, j), what));
                    params[def.internalName] = std::move(names);
                    break;
                }
                default: throw WriteError{fmt::format("{} has a type that cannot be written", what)};
            }
        }
    }
    return params;
}

Json NodeJson(const SceneNodes& scene, Node& node, FrameRate rate, const ClassResolver& classes,
              bool withSelection = true) {
    host::Object* object = node.GetObjectRef();
    if (object == nullptr) throw WriteError{fmt::format("node \"{}\" shows no object", node.Name())};
    const PlaceholderObject* placeholder = AsPlaceholder(object);
    host::ClassDesc2* desc = classes.byId ? classes.byId(object->SuperClassID(), object->ClassID()) : nullptr;
    const std::string className = placeholder != nullptr ? placeholder->MissingClass() : FileClassName(desc);
    if (className.empty()) throw WriteError{fmt::format("node \"{}\" shows an object of an unknown class", node.Name())};

    Json n = Json::object();
    n["name"] = node.Name();
    n["class"] = className;
    if (placeholder == nullptr)
        n["params"] = ParamsJson(scene, object, node.Name());
    else if (!placeholder->Params().is_null())
        n["params"] = placeholder->Params();
    n["position"] = AnimatedJson(node.Position(), rate, fmt::format("node \"{}\" position", node.Name()));
    n["rotation"] = AnimatedJson(node.Rotation(), rate, fmt::format("node \"{}\" rotation", node.Name()));
    n["scale"] = AnimatedJson(node.Scale(), rate, fmt::format("node \"{}\" scale", node.Name()));
    n["wireColor"] = WireColorJson(node.GetWireColor());
    if (withSelection) n["selected"] = node.IsSelected() != 0;
    n["frozen"] = node.IsFrozen() != 0;
    return n;
}

// A view with the keys its projection reads; doubles as they are, so a view read
// from a file is written back unchanged.
Json ViewJson(const ViewDefinition& view) {
    auto vector = [](const Vec3d& v) { return Json::array({v.x, v.y, v.z}); };
    Json v = Json::object();
    v["name"] = view.name;
    v["projection"] = ProjectionName(view.kind);
    if (view.kind == ViewKind::kPerspective) {
        v["eye"] = vector(view.eye);
        v["target"] = vector(view.target);
        v["up"] = vector(view.up);
        v["fov"] = view.fov;
    } else {
        v["center"] = vector(view.center);
        v["width"] = view.width;
    }
    if (view.boxOnly) v["boxOnly"] = true;
    return v;
}

// None when `text` reads back as a scene; else why not, in one line. Classes are not
// resolved (every node reads as a placeholder): the parameters were written from the
// nodes' own blocks, and what else the reader asks of a file is checked without
// making a single object of a module.
std::optional<std::string> ReadBackProblem(const std::string& text) {
    if (text.size() > files::kMaxSceneFileBytes)
        return fmt::format("the scene file would be {} bytes, more than the {} a scene file may hold", text.size(),
                           files::kMaxSceneFileBytes);
    std::string why;
    if (ReadScene(text, "the scene as written", ClassResolver{}, why) == nullptr)
        return fmt::format("cannot be written as it would not read back: {}", why);
    return std::nullopt;
}

// Runs `write`; a value that cannot be written, or a want of memory, is its error.
template <class Write>
auto Guarded(std::string& error, Write write) -> decltype(write()) {
    try {
        return write();
    } catch (const WriteError& e) {
        error = e.message;
    } catch (const std::bad_alloc&) {
        error = "not enough memory to write the scene";
    }
    return std::nullopt;
}

Json HeadJson(const Scene& scene) {
    Json root = Json::object();
    root["zentrographScene"] = 1;
    root["fps"] = scene.Rate().Fps();
    root["frames"] = Json::array({scene.StartFrame(), scene.EndFrame()});
    return root;
}

SceneNodes Members(const Scene& scene) {
    SceneNodes members;
    for (int i = 0; i < scene.NodeCount(); ++i) members.insert(scene.NodeAt(i));
    return members;
}

}  // namespace

std::optional<SceneParts> WriteSceneParts(Scene& scene, const ClassResolver& classes, std::string& error) {
    return Guarded(error, [&]() -> std::optional<SceneParts> {
        SceneParts parts;
        std::string head = HeadJson(scene).dump();
        head.pop_back();
        parts.head = head + ",\"nodes\":[";
        const SceneNodes members = Members(scene);
        for (int i = 0; i < scene.NodeCount(); ++i)
            if (Node* node = scene.NodeAt(i); node != nullptr)
                parts.nodes.push_back(NodeJson(members, *node, scene.Rate(), classes, false)
                                          .dump(-1, ' ', false, Json::error_handler_t::replace));
        return parts;
    });
}

std::string JoinSceneParts(const std::string& head, const std::vector<const std::string*>& nodes) {
    std::size_t size = head.size() + 2;
    for (const std::string* node : nodes) size += node->size() + 1;
    std::string text;
    text.reserve(size);
    text += head;
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        if (i != 0) text += ',';
        text += *nodes[i];
    }
    text += "]}";
    return text;
}

std::optional<std::string> WriteScene(Scene& scene, const ClassResolver& classes, std::string& error) {
    return Guarded(error, [&]() -> std::optional<std::string> {
        Json root = HeadJson(scene);
        const SceneNodes members = Members(scene);
        Json nodes = Json::array();
        for (int i = 0; i < scene.NodeCount(); ++i)
            if (Node* node = scene.NodeAt(i); node != nullptr) nodes.push_back(NodeJson(members, *node, scene.Rate(), classes));
        root["nodes"] = std::move(nodes);
        Json views = Json::array();
        for (const ViewDefinition& view : scene.Views()) views.push_back(ViewJson(view));
        root["viewports"] = std::move(views);
        std::string text = root.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
        if (const std::optional<std::string> problem = ReadBackProblem(text)) {
            error = *problem;
            return std::nullopt;
        }
        return text;
    });
}

bool SaveSceneFile(Scene& scene, const std::filesystem::path& path, const ClassResolver& classes,
                   std::string& error) {
    const std::optional<std::string> text = WriteScene(scene, classes, error);
    if (!text) {
        error = fmt::format("{}: {}", path.string(), error);
        return false;
    }
    return files::WriteFile(path, *text, error, files::OutputOptions{.keepBackup = true, .beforeStep = {}, .regularOnly = true});
}

}  // namespace zg::scene
