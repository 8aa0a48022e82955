// Reading scene files (app/scene/scene_file.h).
#include <fmt/format.h>

#include <cmath>
#include <iostream>
#include <limits>
#include <map>
#include <memory>

#include "app/files/input_file.h"
#include "app/scene/param_access.h"
#include "app/scene/placeholder.h"
#include "app/scene/scene_file.h"
#include "app/text/json_numbers.h"
#include "app/text/json_reader.h"
#include "app/text/one_line.h"
#include "host/heap.h"
#include "host/paramblock.h"

namespace zg::scene {
namespace {

using text::CheckJsonKeys;
using text::FailField;
using text::FailFieldType;
using text::Json;
using text::JsonElement;
using text::JsonFieldError;
using text::JsonMember;

// What the reader says about values it kept but could not use as given: path and message.
using Notes = std::vector<JsonFieldError>;

// ---- Values -----------------------------------------------------------------------------

float ReadFloat(const Json& v, const std::string& path) {
    if (!v.is_number()) FailFieldType(path, "a number", v);
    const std::optional<float> f = text::JsonToFloat(v.get<double>());
    if (!f) FailField(path, "number is not finite or lies beyond the single-precision range");
    return *f;
}

// A whole number within [lo, hi]; a number written with a fraction of zero counts.
long long ReadWhole(const Json& v, const std::string& path, long long lo, long long hi) {
    if (!v.is_number()) FailFieldType(path, "a whole number", v);
    long long value = 0;
    if (v.is_number_unsigned()) {
        const auto u = v.get<unsigned long long>();
        if (u > static_cast<unsigned long long>(hi)) FailField(path, fmt::format("{} is above {}", u, hi));
        value = static_cast<long long>(u);
    } else if (v.is_number_integer()) {
        value = v.get<long long>();
    } else {
        const double d = v.get<double>();
        if (!std::isfinite(d) || d != std::floor(d)) FailField(path, "expected a whole number");
        if (d < static_cast<double>(lo) || d > static_cast<double>(hi))
            FailField(path, fmt::format("{} lies outside {} to {}", d, lo, hi));
        value = static_cast<long long>(d);
    }
    if (value < lo || value > hi) FailField(path, fmt::format("{} lies outside {} to {}", value, lo, hi));
    return value;
}

bool ReadBool(const Json& v, const std::string& path) {
    if (!v.is_boolean()) FailFieldType(path, "true or false", v);
    return v.get<bool>();
}

host::Point3 ReadPoint(const Json& v, const std::string& path) {
    if (!v.is_array() || v.size() != 3) FailField(path, "expected [x, y, z]");
    host::Point3 p;
    for (int i = 0; i < 3; ++i) p[i] = ReadFloat(v[static_cast<std::size_t>(i)], JsonElement(path, static_cast<std::size_t>(i)));
    return p;
}

AnimatedPoint ReadAnimated(const Json& v, const std::string& path, FrameRate rate) {
    if (v.is_array()) return AnimatedPoint(ReadPoint(v, path));
    if (!v.is_object()) FailField(path, fmt::format("expected [x, y, z] or {{\"keys\": [...]}}, got {}", v.type_name()));
    CheckJsonKeys(v, path, {"keys"});
    const std::string keysPath = JsonMember(path, "keys");
    if (!v.contains("keys")) FailField(keysPath, "missing");
    const Json& keys = v["keys"];
    if (!keys.is_array() || keys.empty()) FailField(keysPath, "expected a non-empty list of [frame, [x, y, z]]");
    std::vector<PointKey> read;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const std::string keyPath = JsonElement(keysPath, i);
        const Json& key = keys[i];
        if (!key.is_array() || key.size() != 2) FailField(keyPath, "expected [frame, [x, y, z]]");
        const std::string framePath = JsonElement(keyPath, 0);
        if (!key[0].is_number()) FailFieldType(framePath, "a frame number", key[0]);
        const std::optional<host::TimeValue> ticks = rate.FrameToTicks(key[0].get<double>());
        if (!ticks) FailField(framePath, "frame lies outside the time range");
        if (!read.empty() && *ticks <= read.back().time)
            FailField(framePath, "frames must increase from key to key");
        read.push_back({*ticks, ReadPoint(key[1], JsonElement(keyPath, 1))});
    }
    return AnimatedPoint(std::move(read));
}

// "#rrggbb" as 0x00BBGGRR.
uint32_t ReadWireColor(const Json& v, const std::string& path) {
    if (!v.is_string()) FailFieldType(path, "a colour \"#rrggbb\"", v);
    const std::string& text = v.get_ref<const std::string&>();
    auto hex = [](char c) -> int {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        return -1;
    };
    uint32_t rgb = 0;
    bool valid = text.size() == 7 && text[0] == '#';
    for (std::size_t i = 1; valid && i < 7; ++i) {
        const int digit = hex(text[i]);
        valid = digit >= 0;
        rgb = (rgb << 4) | static_cast<uint32_t>(digit < 0 ? 0 : digit);
    }
    if (!valid) FailField(path, fmt::format("\"{}\" is not a colour \"#rrggbb\"", text));
    const uint32_t r = (rgb >> 16) & 0xFF, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
    return r | (g << 8) | (b << 16);
}

// ---- Views ------------------------------------------------------------------------------

Vec3d ReadVector(const Json& v, const std::string& path) {
    if (!v.is_array() || v.size() != 3) FailField(path, "expected [x, y, z]");
    double c[3] = {0.0, 0.0, 0.0};
    for (std::size_t i = 0; i < 3; ++i) {
        if (!v[i].is_number()) FailFieldType(JsonElement(path, i), "a number", v[i]);
        c[i] = v[i].get<double>();
        if (!std::isfinite(c[i])) FailField(JsonElement(path, i), "number is not finite");
    }
    return {c[0], c[1], c[2]};
}

double ReadDouble(const Json& v, const std::string& path) {
    if (!v.is_number()) FailFieldType(path, "a number", v);
    const double d = v.get<double>();
    if (!std::isfinite(d)) FailField(path, "number is not finite");
    return d;
}

ViewDefinition ReadView(const Json& v, const std::string& path) {
    if (!v.is_object()) FailFieldType(path, "a viewport object", v);
    ViewDefinition view;
    const std::string namePath = JsonMember(path, "name");
    if (!v.contains("name")) FailField(namePath, "missing: every viewport needs a name");
    if (!v["name"].is_string()) FailFieldType(namePath, "a string", v["name"]);
    view.name = v["name"].get<std::string>();
    const std::string projectionPath = JsonMember(path, "projection");
    if (!v.contains("projection")) FailField(projectionPath, "missing: every viewport needs a projection");
    const Json& projection = v["projection"];
    const std::optional<ViewKind> kind =
        projection.is_string() ? ViewKindNamed(projection.get_ref<const std::string&>()) : std::nullopt;
    if (!kind)
        FailField(projectionPath,
             "expected \"perspective\", \"top\", \"bottom\", \"front\", \"back\", \"left\" or \"right\"");
    view.kind = *kind;

    if (view.kind == ViewKind::kPerspective) {
        CheckJsonKeys(v, path, {"name", "projection", "eye", "target", "up", "fov", "boxOnly"});
        for (const char* key : {"eye", "target"})
            if (!v.contains(key)) FailField(JsonMember(path, key), "missing: a perspective view needs an eye and a target");
        view.eye = ReadVector(v["eye"], JsonMember(path, "eye"));
        view.target = ReadVector(v["target"], JsonMember(path, "target"));
        if (v.contains("up")) view.up = ReadVector(v["up"], JsonMember(path, "up"));
        if (v.contains("fov")) view.fov = ReadDouble(v["fov"], JsonMember(path, "fov"));
    } else {
        CheckJsonKeys(v, path, {"name", "projection", "center", "width", "boxOnly"});
        for (const char* key : {"center", "width"})
            if (!v.contains(key)) FailField(JsonMember(path, key), "missing: an orthographic view needs a center and a width");
        view.center = ReadVector(v["center"], JsonMember(path, "center"));
        view.width = ReadDouble(v["width"], JsonMember(path, "width"));
    }
    if (v.contains("boxOnly")) view.boxOnly = ReadBool(v["boxOnly"], JsonMember(path, "boxOnly"));
    if (const std::optional<ViewProblem> problem = FindViewProblem(view))
        FailField(JsonMember(path, problem->key), problem->reason);
    return view;
}

std::vector<ViewDefinition> ReadViews(const Json& list, const std::string& path) {
    if (!list.is_array()) FailFieldType(path, "a list of viewports", list);
    if (list.size() > kMaxSceneViews)
        FailField(path, fmt::format("{} viewports, more than the {} a scene may hold", list.size(), kMaxSceneViews));
    std::vector<ViewDefinition> views;
    for (std::size_t i = 0; i < list.size(); ++i) {
        const std::string viewPath = JsonElement(path, i);
        ViewDefinition view = ReadView(list[i], viewPath);
        for (std::size_t j = 0; j < views.size(); ++j) {
            if (views[j].name == view.name)
                FailField(JsonMember(viewPath, "name"),
                     fmt::format("duplicate viewport name \"{}\" (also {})", view.name, JsonElement(path, j)));
        }
        views.push_back(std::move(view));
    }
    return views;
}

// ---- Parameters ---------------------------------------------------------------------------

// A node table waiting for every node of the file to exist.
struct PendingTable {
    host::ParamBlock* block;
    host::ParamID id;
    const Json* names;
    std::string path;
};

void ReadScalarParam(const FoundParam& p, const Json& v, const std::string& path) {
    host::ParamBlock* block = p.block;
    bool stored = false;
    switch (p.def->type) {
        case host::TYPE_FLOAT: stored = block->SetFloat(p.def->id, 0, ReadFloat(v, path)); break;
        case host::TYPE_INT: {
            const long long i = ReadWhole(v, path, std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
            stored = block->SetInt(p.def->id, 0, static_cast<int>(i));
            break;
        }
        case host::TYPE_BOOL: stored = block->SetInt(p.def->id, 0, ReadBool(v, path) ? 1 : 0); break;
        default: FailField(path, "parameters of this type cannot be read from a file");
    }
    if (!stored) FailField(path, "the parameter refused the value");
}

void ReadParams(host::Object* object, const std::string& className, const Json& params, const std::string& path,
                std::vector<PendingTable>& tables) {
    if (!params.is_object()) FailFieldType(path, "an object of parameter values", params);
    for (const auto& item : params.items()) {
        const std::string paramPath = JsonMember(path, item.key());
        const FoundParam found = FindParam(object, item.key());
        if (found.def == nullptr) FailField(paramPath, fmt::format("class {} has no parameter \"{}\"", className, item.key()));
        if (found.def->type == host::TYPE_INODE_TAB) {
            if (!item.value().is_array()) FailFieldType(paramPath, "a list of node names", item.value());
            tables.push_back({found.block, found.def->id, &item.value(), paramPath});
        } else {
            ReadScalarParam(found, item.value(), paramPath);
        }
    }
}

void ReadTable(Scene& scene, const PendingTable& table) {
    const Json& names = *table.names;
    if (names.size() > kMaxSceneNodes)
        FailField(table.path, fmt::format("{} entries, more than the {} a node table may hold", names.size(), kMaxSceneNodes));
    if (!table.block->SetCount(table.id, static_cast<int>(names.size())))
        FailField(table.path, fmt::format("the memory budget of {} bytes has no room for a table of {} entries",
                                     host::MemoryBudget(), names.size()));
    for (std::size_t j = 0; j < names.size(); ++j) {
        const std::string entryPath = JsonElement(table.path, j);
        const Json& entry = names[j];
        if (entry.is_null()) continue;
        if (!entry.is_string()) FailFieldType(entryPath, "a node name or null", entry);
        const std::string& name = entry.get_ref<const std::string&>();
        Node* node = scene.FindNode(name);
        if (node == nullptr) FailField(entryPath, fmt::format("no node named \"{}\"", name));
        if (!table.block->SetNode(table.id, 0, node, static_cast<int>(j)))
            FailField(entryPath, fmt::format("node \"{}\" is refused by the parameter", name));
    }
}

// ---- Nodes ------------------------------------------------------------------------------

// The object of a node whose class no loaded module offers: a placeholder holding the
// node's parameters as they are.
host::Object* MakePlaceholder(const std::string& className, const Json& v, const std::string& classPath,
                              Notes& notes) {
    auto* placeholder = new PlaceholderObject(className, v.contains("params") ? v["params"] : Json());
    notes.push_back({classPath, fmt::format("no loaded module offers class \"{}\"; the node is kept as a "
                                            "placeholder that draws nothing and is saved back unchanged",
                                            className)});
    return placeholder;
}

// A new object of the class the node names.
host::Object* MakeObject(host::ClassDesc2& desc, const std::string& className, const std::string& classPath) {
    host::Animatable* made = desc.Create(1);
    if (made == nullptr) FailField(classPath, fmt::format("class {} could not make an object", className));
    if (!IsObjectSuperClass(made)) {
        made->DeleteThis();
        FailField(classPath, fmt::format("class {} makes nothing a node can show", className));
    }
    return static_cast<host::Object*>(made);
}

void ReadNode(Scene& scene, const Json& v, const std::string& path, const ClassResolver& classes,
              std::map<std::string, std::size_t, std::less<>>& seen, std::size_t index,
              std::vector<PendingTable>& tables, Notes& notes) {
    if (!v.is_object()) FailFieldType(path, "a node object", v);
    CheckJsonKeys(v, path,
              {"name", "class", "params", "position", "rotation", "scale", "wireColor", "selected", "frozen"});

    const std::string namePath = JsonMember(path, "name");
    if (!v.contains("name")) FailField(namePath, "missing: every node needs a name");
    if (!v["name"].is_string()) FailFieldType(namePath, "a string", v["name"]);
    const std::string& name = v["name"].get_ref<const std::string&>();
    if (std::optional<std::string> problem = NodeNameProblem(name)) FailField(namePath, *problem);
    if (auto it = seen.find(name); it != seen.end())
        FailField(namePath, fmt::format("duplicate node name \"{}\" (also nodes[{}])", name, it->second));
    seen.emplace(name, index);

    const std::string classPath = JsonMember(path, "class");
    if (!v.contains("class")) FailField(classPath, "missing: every node needs a class");
    if (!v["class"].is_string()) FailFieldType(classPath, "a class name", v["class"]);
    const std::string& className = v["class"].get_ref<const std::string&>();
    host::ClassDesc2* desc = classes.byName ? classes.byName(className) : nullptr;
    host::Object* object =
        desc != nullptr ? MakeObject(*desc, className, classPath) : MakePlaceholder(className, v, classPath, notes);
    std::string why;
    Node* node = scene.AddNode(name, object, why);
    if (node == nullptr) {
        object->DeleteThis();
        FailField(namePath, why);
    }

    if (v.contains("params") && desc != nullptr)
        ReadParams(object, className, v["params"], JsonMember(path, "params"), tables);
    if (v.contains("position")) node->SetPosition(ReadAnimated(v["position"], JsonMember(path, "position"), scene.Rate()));
    if (v.contains("rotation")) node->SetRotation(ReadAnimated(v["rotation"], JsonMember(path, "rotation"), scene.Rate()));
    if (v.contains("scale")) node->SetScale(ReadAnimated(v["scale"], JsonMember(path, "scale"), scene.Rate()));
    if (v.contains("wireColor")) node->SetWireColor(ReadWireColor(v["wireColor"], JsonMember(path, "wireColor")));
    if (v.contains("selected")) node->SetSelected(ReadBool(v["selected"], JsonMember(path, "selected")));
    if (v.contains("frozen")) node->SetFrozen(ReadBool(v["frozen"], JsonMember(path, "frozen")));
}

std::unique_ptr<Scene> ReadDocument(const Json& doc, const ClassResolver& classes, Notes& notes) {
    if (!doc.is_object()) FailField("", "not a Zentrograph scene: expected a JSON object");
    if (!doc.contains("zentrographScene")) FailField("", "not a Zentrograph scene: \"zentrographScene\" is missing");
    CheckJsonKeys(doc, "", {"zentrographScene", "fps", "frames", "nodes", "viewports"});
    const Json& version = doc["zentrographScene"];
    if (!version.is_number() || version.get<double>() != 1.0)
        FailField("zentrographScene", fmt::format("version {} is not supported (this program reads version 1)", version.dump()));

    FrameRate rate;
    if (doc.contains("fps")) {
        const long long fps = ReadWhole(doc["fps"], "fps", std::numeric_limits<long long>::min(),
                                        std::numeric_limits<long long>::max());
        std::string why;
        const std::optional<FrameRate> chosen = FrameRate::FromFps(fps, why);
        if (!chosen) FailField("fps", why);
        rate = *chosen;
    }

    auto scene = std::make_unique<Scene>(rate);
    if (doc.contains("frames")) {
        const Json& frames = doc["frames"];
        if (!frames.is_array() || frames.size() != 2) FailField("frames", "expected [first, last]");
        int ends[2] = {0, 0};
        for (std::size_t i = 0; i < 2; ++i) {
            const std::string path = JsonElement("frames", i);
            const long long frame = ReadWhole(frames[i], path, std::numeric_limits<int>::min(),
                                              std::numeric_limits<int>::max());
            if (!rate.FrameToTicks(static_cast<double>(frame))) FailField(path, "frame lies outside the time range");
            ends[i] = static_cast<int>(frame);
        }
        if (!scene->SetFrameRange(ends[0], ends[1])) FailField("frames", "the first frame comes after the last");
    }

    std::vector<PendingTable> tables;
    if (doc.contains("nodes")) {
        const Json& nodes = doc["nodes"];
        if (!nodes.is_array()) FailFieldType("nodes", "a list of nodes", nodes);
        if (nodes.size() > kMaxSceneNodes)
            FailField("nodes", fmt::format("{} nodes, more than the {} a scene may hold", nodes.size(), kMaxSceneNodes));
        std::map<std::string, std::size_t, std::less<>> seen;
        for (std::size_t i = 0; i < nodes.size(); ++i)
            ReadNode(*scene, nodes[i], JsonElement("nodes", i), classes, seen, i, tables, notes);
    }
    // Node tables last: they may name nodes that come later in the file.
    for (const PendingTable& table : tables) ReadTable(*scene, table);

    if (doc.contains("viewports")) scene->SetViews(ReadViews(doc["viewports"], "viewports"));
    return scene;
}

// ---- Parsing ----------------------------------------------------------------------------

std::string Located(const std::string& source, const std::string& path, const std::string& message) {
    return fmt::format("{}: {}", source, text::AtJsonPath(path, message));
}

// ReadScene, with messages as they are made; names from the file may hold line breaks.
std::unique_ptr<Scene> ReadSceneLines(std::string_view text, const std::string& sourceName,
                                      const ClassResolver& classes, std::string& error, SceneWarnings& warnings) {
    text::JsonTextError refusal;
    const std::optional<Json> doc = text::ReadJsonText(text, kMaxSceneNesting, refusal);
    if (!doc) {
        const std::string where = text::LineColumn(text, refusal.offset);
        switch (refusal.kind) {
            case text::JsonTextError::Kind::kNulByte:
                error = fmt::format("{}:{}: a NUL byte, which a scene file cannot hold", sourceName, where);
                break;
            case text::JsonTextError::Kind::kTooDeep:
                error = fmt::format("{}:{}: values nested deeper than {} levels", sourceName, where, kMaxSceneNesting);
                break;
            case text::JsonTextError::Kind::kDuplicateKey:
                error = Located(sourceName, refusal.path, fmt::format("duplicate key \"{}\"", refusal.detail));
                break;
            case text::JsonTextError::Kind::kNoMemory:
                error = fmt::format("{}: not enough memory to read the scene", sourceName);
                break;
            case text::JsonTextError::Kind::kSyntax:
                error = fmt::format("{}:{}: {}", sourceName, where, refusal.detail);
                break;
        }
        return nullptr;
    }

    try {
        Notes notes;
        std::unique_ptr<Scene> scene = ReadDocument(*doc, classes, notes);
        for (const JsonFieldError& note : notes) warnings.push_back(Located(sourceName, note.path, note.message));
        return scene;
    } catch (const JsonFieldError& e) {
        error = Located(sourceName, e.path, e.message);
    } catch (const std::bad_alloc&) {
        error = fmt::format("{}: not enough memory to read the scene", sourceName);
    } catch (const Json::exception& e) {
        error = fmt::format("{}: {}", sourceName, e.what());
    }
    return nullptr;
}

}  // namespace

std::unique_ptr<Scene> ReadScene(std::string_view text, const std::string& sourceName,
                                 const ClassResolver& classes, std::string& error, SceneWarnings* warnings) {
    SceneWarnings notes;
    std::unique_ptr<Scene> scene = ReadSceneLines(text, sourceName, classes, error, notes);
    if (!scene) error = zg::text::OneLine(error);
    for (const std::string& note : notes) {
        if (warnings != nullptr) warnings->push_back(zg::text::OneLine(note));
    }
    return scene;
}

std::unique_ptr<Scene> LoadSceneFile(const std::filesystem::path& path, const ClassResolver& classes,
                                     std::string& error, SceneWarnings* warnings, std::istream* standardInput) {
    const std::optional<std::string> text =
        files::ReadInputFile(path, files::kMaxSceneFileBytes, standardInput != nullptr ? *standardInput : std::cin, error);
    if (!text) {
        error = zg::text::OneLine(error);
        return nullptr;
    }
    return ReadScene(*text, zg::text::OneLine(files::InputName(path)), classes, error, warnings);
}

}  // namespace zg::scene
