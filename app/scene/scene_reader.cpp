// Reading scene files (app/scene/scene_file.h).
#include <fmt/format.h>
#include <nlohmann/json.hpp>

#include <cmath>
#include <iostream>
#include <limits>
#include <map>
#include <memory>
#include <unordered_set>

#include "app/files/input_file.h"
#include "app/scene/param_access.h"
#include "app/scene/placeholder.h"
#include "app/scene/scene_file.h"
#include "app/text/json_numbers.h"
#include "app/text/one_line.h"
#include "host/heap.h"
#include "host/paramblock.h"

namespace zg::scene {
namespace {

using Json = nlohmann::ordered_json;

// A problem with one value of the document: its JSON path (empty for the document
// itself) and what is wrong with it. Thrown inside the reader only.
struct ReadError {
    std::string path;
    std::string message;
};

[[noreturn]] void Fail(const std::string& path, std::string message) { throw ReadError{path, std::move(message)}; }

// What the reader says about values it kept but could not use as given: path and message.
using Notes = std::vector<ReadError>;

std::string Member(std::string_view base, std::string_view key) {
    return base.empty() ? std::string(key) : fmt::format("{}.{}", base, key);
}

std::string Element(std::string_view base, std::size_t i) { return fmt::format("{}[{}]", base, i); }

[[noreturn]] void FailType(const std::string& path, std::string_view expected, const Json& got) {
    Fail(path, fmt::format("expected {}, got {}", expected, got.type_name()));
}

// Refuses every key of `object` that is not in `allowed`.
void CheckKeys(const Json& object, const std::string& path, std::initializer_list<std::string_view> allowed) {
    for (const auto& item : object.items()) {
        bool known = false;
        for (std::string_view name : allowed) known = known || item.key() == name;
        if (!known) Fail(Member(path, item.key()), "unknown key");
    }
}

// ---- Values -----------------------------------------------------------------------------

float ReadFloat(const Json& v, const std::string& path) {
    if (!v.is_number()) FailType(path, "a number", v);
    const std::optional<float> f = text::JsonToFloat(v.get<double>());
    if (!f) Fail(path, "number is not finite or lies beyond the single-precision range");
    return *f;
}

// A whole number within [lo, hi]; a number written with a fraction of zero counts.
long long ReadWhole(const Json& v, const std::string& path, long long lo, long long hi) {
    if (!v.is_number()) FailType(path, "a whole number", v);
    long long value = 0;
    if (v.is_number_unsigned()) {
        const auto u = v.get<unsigned long long>();
        if (u > static_cast<unsigned long long>(hi)) Fail(path, fmt::format("{} is above {}", u, hi));
        value = static_cast<long long>(u);
    } else if (v.is_number_integer()) {
        value = v.get<long long>();
    } else {
        const double d = v.get<double>();
        if (!std::isfinite(d) || d != std::floor(d)) Fail(path, "expected a whole number");
        if (d < static_cast<double>(lo) || d > static_cast<double>(hi))
            Fail(path, fmt::format("{} lies outside {} to {}", d, lo, hi));
        value = static_cast<long long>(d);
    }
    if (value < lo || value > hi) Fail(path, fmt::format("{} lies outside {} to {}", value, lo, hi));
    return value;
}

bool ReadBool(const Json& v, const std::string& path) {
    if (!v.is_boolean()) FailType(path, "true or false", v);
    return v.get<bool>();
}

host::Point3 ReadPoint(const Json& v, const std::string& path) {
    if (!v.is_array() || v.size() != 3) Fail(path, "expected [x, y, z]");
    host::Point3 p;
    for (int i = 0; i < 3; ++i) p[i] = ReadFloat(v[static_cast<std::size_t>(i)], Element(path, static_cast<std::size_t>(i)));
    return p;
}

AnimatedPoint ReadAnimated(const Json& v, const std::string& path, FrameRate rate) {
    if (v.is_array()) return AnimatedPoint(ReadPoint(v, path));
    if (!v.is_object()) Fail(path, fmt::format("expected [x, y, z] or {{\"keys\": [...]}}, got {}", v.type_name()));
    CheckKeys(v, path, {"keys"});
    const std::string keysPath = Member(path, "keys");
    if (!v.contains("keys")) Fail(keysPath, "missing");
    const Json& keys = v["keys"];
    if (!keys.is_array() || keys.empty()) Fail(keysPath, "expected a non-empty list of [frame, [x, y, z]]");
    std::vector<PointKey> read;
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const std::string keyPath = Element(keysPath, i);
        const Json& key = keys[i];
        if (!key.is_array() || key.size() != 2) Fail(keyPath, "expected [frame, [x, y, z]]");
        const std::string framePath = Element(keyPath, 0);
        if (!key[0].is_number()) FailType(framePath, "a frame number", key[0]);
        const std::optional<host::TimeValue> ticks = rate.FrameToTicks(key[0].get<double>());
        if (!ticks) Fail(framePath, "frame lies outside the time range");
        if (!read.empty() && *ticks <= read.back().time)
            Fail(framePath, "frames must increase from key to key");
        read.push_back({*ticks, ReadPoint(key[1], Element(keyPath, 1))});
    }
    return AnimatedPoint(std::move(read));
}

// "#rrggbb" as 0x00BBGGRR.
uint32_t ReadWireColor(const Json& v, const std::string& path) {
    if (!v.is_string()) FailType(path, "a colour \"#rrggbb\"", v);
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
    if (!valid) Fail(path, fmt::format("\"{}\" is not a colour \"#rrggbb\"", text));
    const uint32_t r = (rgb >> 16) & 0xFF, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
    return r | (g << 8) | (b << 16);
}

// ---- Views ------------------------------------------------------------------------------

Vec3d ReadVector(const Json& v, const std::string& path) {
    if (!v.is_array() || v.size() != 3) Fail(path, "expected [x, y, z]");
    double c[3] = {0.0, 0.0, 0.0};
    for (std::size_t i = 0; i < 3; ++i) {
        if (!v[i].is_number()) FailType(Element(path, i), "a number", v[i]);
        c[i] = v[i].get<double>();
        if (!std::isfinite(c[i])) Fail(Element(path, i), "number is not finite");
    }
    return {c[0], c[1], c[2]};
}

double ReadDouble(const Json& v, const std::string& path) {
    if (!v.is_number()) FailType(path, "a number", v);
    const double d = v.get<double>();
    if (!std::isfinite(d)) Fail(path, "number is not finite");
    return d;
}

ViewDefinition ReadView(const Json& v, const std::string& path) {
    if (!v.is_object()) FailType(path, "a viewport object", v);
    ViewDefinition view;
    const std::string namePath = Member(path, "name");
    if (!v.contains("name")) Fail(namePath, "missing: every viewport needs a name");
    if (!v["name"].is_string()) FailType(namePath, "a string", v["name"]);
    view.name = v["name"].get<std::string>();
    const std::string projectionPath = Member(path, "projection");
    if (!v.contains("projection")) Fail(projectionPath, "missing: every viewport needs a projection");
    const Json& projection = v["projection"];
    const std::optional<ViewKind> kind =
        projection.is_string() ? ViewKindNamed(projection.get_ref<const std::string&>()) : std::nullopt;
    if (!kind)
        Fail(projectionPath,
             "expected \"perspective\", \"top\", \"bottom\", \"front\", \"back\", \"left\" or \"right\"");
    view.kind = *kind;

    if (view.kind == ViewKind::kPerspective) {
        CheckKeys(v, path, {"name", "projection", "eye", "target", "up", "fov", "boxOnly"});
        for (const char* key : {"eye", "target"})
            if (!v.contains(key)) Fail(Member(path, key), "missing: a perspective view needs an eye and a target");
        view.eye = ReadVector(v["eye"], Member(path, "eye"));
        view.target = ReadVector(v["target"], Member(path, "target"));
        if (v.contains("up")) view.up = ReadVector(v["up"], Member(path, "up"));
        if (v.contains("fov")) view.fov = ReadDouble(v["fov"], Member(path, "fov"));
    } else {
        CheckKeys(v, path, {"name", "projection", "center", "width", "boxOnly"});
        for (const char* key : {"center", "width"})
            if (!v.contains(key)) Fail(Member(path, key), "missing: an orthographic view needs a center and a width");
        view.center = ReadVector(v["center"], Member(path, "center"));
        view.width = ReadDouble(v["width"], Member(path, "width"));
    }
    if (v.contains("boxOnly")) view.boxOnly = ReadBool(v["boxOnly"], Member(path, "boxOnly"));
    if (const std::optional<ViewProblem> problem = FindViewProblem(view))
        Fail(Member(path, problem->key), problem->reason);
    return view;
}

std::vector<ViewDefinition> ReadViews(const Json& list, const std::string& path) {
    if (!list.is_array()) FailType(path, "a list of viewports", list);
    if (list.size() > kMaxSceneViews)
        Fail(path, fmt::format("{} viewports, more than the {} a scene may hold", list.size(), kMaxSceneViews));
    std::vector<ViewDefinition> views;
    for (std::size_t i = 0; i < list.size(); ++i) {
        const std::string viewPath = Element(path, i);
        ViewDefinition view = ReadView(list[i], viewPath);
        for (std::size_t j = 0; j < views.size(); ++j) {
            if (views[j].name == view.name)
                Fail(Member(viewPath, "name"),
                     fmt::format("duplicate viewport name \"{}\" (also {})", view.name, Element(path, j)));
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
        default: Fail(path, "parameters of this type cannot be read from a file");
    }
    if (!stored) Fail(path, "the parameter refused the value");
}

void ReadParams(host::Object* object, const std::string& className, const Json& params, const std::string& path,
                std::vector<PendingTable>& tables) {
    if (!params.is_object()) FailType(path, "an object of parameter values", params);
    for (const auto& item : params.items()) {
        const std::string paramPath = Member(path, item.key());
        const FoundParam found = FindParam(object, item.key());
        if (found.def == nullptr) Fail(paramPath, fmt::format("class {} has no parameter \"{}\"", className, item.key()));
        if (found.def->type == host::TYPE_INODE_TAB) {
            if (!item.value().is_array()) FailType(paramPath, "a list of node names", item.value());
            tables.push_back({found.block, found.def->id, &item.value(), paramPath});
        } else {
            ReadScalarParam(found, item.value(), paramPath);
        }
    }
}

void ReadTable(Scene& scene, const PendingTable& table) {
    const Json& names = *table.names;
    if (names.size() > kMaxSceneNodes)
        Fail(table.path, fmt::format("{} entries, more than the {} a node table may hold", names.size(), kMaxSceneNodes));
    if (!table.block->SetCount(table.id, static_cast<int>(names.size())))
        Fail(table.path, fmt::format("the memory budget of {} bytes has no room for a table of {} entries",
                                     host::MemoryBudget(), names.size()));
    for (std::size_t j = 0; j < names.size(); ++j) {
        const std::string entryPath = Element(table.path, j);
        const Json& entry = names[j];
        if (entry.is_null()) continue;
        if (!entry.is_string()) FailType(entryPath, "a node name or null", entry);
        const std::string& name = entry.get_ref<const std::string&>();
        Node* node = scene.FindNode(name);
        if (node == nullptr) Fail(entryPath, fmt::format("no node named \"{}\"", name));
        if (!table.block->SetNode(table.id, 0, node, static_cast<int>(j)))
            Fail(entryPath, fmt::format("node \"{}\" is refused by the parameter", name));
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
    if (made == nullptr) Fail(classPath, fmt::format("class {} could not make an object", className));
    if (!IsObjectSuperClass(made)) {
        made->DeleteThis();
        Fail(classPath, fmt::format("class {} makes nothing a node can show", className));
    }
    return static_cast<host::Object*>(made);
}

void ReadNode(Scene& scene, const Json& v, const std::string& path, const ClassResolver& classes,
              std::map<std::string, std::size_t, std::less<>>& seen, std::size_t index,
              std::vector<PendingTable>& tables, Notes& notes) {
    if (!v.is_object()) FailType(path, "a node object", v);
    CheckKeys(v, path,
              {"name", "class", "params", "position", "rotation", "scale", "wireColor", "selected", "frozen"});

    const std::string namePath = Member(path, "name");
    if (!v.contains("name")) Fail(namePath, "missing: every node needs a name");
    if (!v["name"].is_string()) FailType(namePath, "a string", v["name"]);
    const std::string& name = v["name"].get_ref<const std::string&>();
    if (std::optional<std::string> problem = NodeNameProblem(name)) Fail(namePath, *problem);
    if (auto it = seen.find(name); it != seen.end())
        Fail(namePath, fmt::format("duplicate node name \"{}\" (also nodes[{}])", name, it->second));
    seen.emplace(name, index);

    const std::string classPath = Member(path, "class");
    if (!v.contains("class")) Fail(classPath, "missing: every node needs a class");
    if (!v["class"].is_string()) FailType(classPath, "a class name", v["class"]);
    const std::string& className = v["class"].get_ref<const std::string&>();
    host::ClassDesc2* desc = classes.byName ? classes.byName(className) : nullptr;
    host::Object* object =
        desc != nullptr ? MakeObject(*desc, className, classPath) : MakePlaceholder(className, v, classPath, notes);
    std::string why;
    Node* node = scene.AddNode(name, object, why);
    if (node == nullptr) {
        object->DeleteThis();
        Fail(namePath, why);
    }

    if (v.contains("params") && desc != nullptr)
        ReadParams(object, className, v["params"], Member(path, "params"), tables);
    if (v.contains("position")) node->SetPosition(ReadAnimated(v["position"], Member(path, "position"), scene.Rate()));
    if (v.contains("rotation")) node->SetRotation(ReadAnimated(v["rotation"], Member(path, "rotation"), scene.Rate()));
    if (v.contains("scale")) node->SetScale(ReadAnimated(v["scale"], Member(path, "scale"), scene.Rate()));
    if (v.contains("wireColor")) node->SetWireColor(ReadWireColor(v["wireColor"], Member(path, "wireColor")));
    if (v.contains("selected")) node->SetSelected(ReadBool(v["selected"], Member(path, "selected")));
    if (v.contains("frozen")) node->SetFrozen(ReadBool(v["frozen"], Member(path, "frozen")));
}

std::unique_ptr<Scene> ReadDocument(const Json& doc, const ClassResolver& classes, Notes& notes) {
    if (!doc.is_object()) Fail("", "not a Zentrograph scene: expected a JSON object");
    if (!doc.contains("zentrographScene")) Fail("", "not a Zentrograph scene: \"zentrographScene\" is missing");
    CheckKeys(doc, "", {"zentrographScene", "fps", "frames", "nodes", "viewports"});
    const Json& version = doc["zentrographScene"];
    if (!version.is_number() || version.get<double>() != 1.0)
        Fail("zentrographScene", fmt::format("version {} is not supported (this program reads version 1)", version.dump()));

    FrameRate rate;
    if (doc.contains("fps")) {
        const long long fps = ReadWhole(doc["fps"], "fps", std::numeric_limits<long long>::min(),
                                        std::numeric_limits<long long>::max());
        std::string why;
        const std::optional<FrameRate> chosen = FrameRate::FromFps(fps, why);
        if (!chosen) Fail("fps", why);
        rate = *chosen;
    }

    auto scene = std::make_unique<Scene>(rate);
    if (doc.contains("frames")) {
        const Json& frames = doc["frames"];
        if (!frames.is_array() || frames.size() != 2) Fail("frames", "expected [first, last]");
        int ends[2] = {0, 0};
        for (std::size_t i = 0; i < 2; ++i) {
            const std::string path = Element("frames", i);
            const long long frame = ReadWhole(frames[i], path, std::numeric_limits<int>::min(),
                                              std::numeric_limits<int>::max());
            if (!rate.FrameToTicks(static_cast<double>(frame))) Fail(path, "frame lies outside the time range");
            ends[i] = static_cast<int>(frame);
        }
        if (!scene->SetFrameRange(ends[0], ends[1])) Fail("frames", "the first frame comes after the last");
    }

    std::vector<PendingTable> tables;
    if (doc.contains("nodes")) {
        const Json& nodes = doc["nodes"];
        if (!nodes.is_array()) FailType("nodes", "a list of nodes", nodes);
        if (nodes.size() > kMaxSceneNodes)
            Fail("nodes", fmt::format("{} nodes, more than the {} a scene may hold", nodes.size(), kMaxSceneNodes));
        std::map<std::string, std::size_t, std::less<>> seen;
        for (std::size_t i = 0; i < nodes.size(); ++i)
            ReadNode(*scene, nodes[i], Element("nodes", i), classes, seen, i, tables, notes);
    }
    // Node tables last: they may name nodes that come later in the file.
    for (const PendingTable& table : tables) ReadTable(*scene, table);

    if (doc.contains("viewports")) scene->SetViews(ReadViews(doc["viewports"], "viewports"));
    return scene;
}

// ---- Parsing ----------------------------------------------------------------------------

// Builds the document from the parser's events. Unlike the library's own builder it
// refuses a key that appears twice in one object (a scene file must not silently lose
// one of the two values) and keeps the byte position of any error, a number too large
// for a double included.
class DocumentBuilder final : public nlohmann::json_sax<Json> {
public:
    explicit DocumentBuilder(Json& root) : root_(root) {}

    bool null() override { return Put(Json(nullptr)) != nullptr; }
    bool boolean(bool v) override { return Put(Json(v)) != nullptr; }
    bool number_integer(number_integer_t v) override { return Put(Json(v)) != nullptr; }
    bool number_unsigned(number_unsigned_t v) override { return Put(Json(v)) != nullptr; }
    bool number_float(number_float_t v, const string_t&) override { return Put(Json(v)) != nullptr; }
    bool string(string_t& v) override { return Put(Json(std::move(v))) != nullptr; }
    bool binary(binary_t& v) override { return Put(Json::binary(std::move(v))) != nullptr; }

    bool start_object(std::size_t) override { return Open(Json::object()); }
    bool start_array(std::size_t) override { return Open(Json::array()); }
    bool end_object() override { return Close(); }
    bool end_array() override { return Close(); }

    bool key(string_t& k) override {
        // Each object's keys so far, hashed: looking them up in the object itself would
        // make reading an object quadratic in its number of keys.
        if (!open_.back().keys.insert(k).second) {
            duplicate_ = k;
            return false;
        }
        open_.back().key = std::move(k);
        return true;
    }

    bool parse_error(std::size_t position, const std::string& lastToken, const nlohmann::detail::exception& ex) override {
        // The position counts the bytes read: a syntax error lies at the last of them;
        // a number too large is named by its first character.
        constexpr int kNumberOverflow = 406;
        const std::size_t back = ex.id == kNumberOverflow ? lastToken.size() : 1;
        errorOffset_ = position >= back ? position - back : 0;
        errorText_ = ex.what();
        return false;
    }

    // The key read twice, and the JSON path of the object that holds it.
    const std::optional<std::string>& Duplicate() const { return duplicate_; }
    std::string OpenPath() const {
        std::string path;
        for (std::size_t i = 0; i + 1 < open_.size(); ++i)
            path = open_[i].value->is_object() ? Member(path, open_[i].key) : Element(path, open_[i].value->size() - 1);
        return path;
    }
    // True when the document nests deeper than kMaxSceneNesting.
    bool TooDeep() const { return tooDeep_; }
    // The 0-based byte offset of the error.
    std::size_t ErrorOffset() const { return errorOffset_; }
    const std::string& ErrorText() const { return errorText_; }

private:
    struct Level {
        Json* value;
        std::string key;                      // objects: the key whose value comes next
        std::unordered_set<std::string> keys;  // objects: the keys read so far
    };

    // Places a value in the open container (or as the document) and answers where it
    // now lives. Pointers to open containers stay valid: only the innermost one grows.
    Json* Put(Json&& v) {
        if (open_.empty()) {
            root_ = std::move(v);
            return &root_;
        }
        Json& parent = *open_.back().value;
        if (parent.is_array()) {
            parent.push_back(std::move(v));
            return &parent.back();
        }
        // The key is new (key() saw to that): append it without the search that
        // operator[] makes through an ordered object.
        auto& members = parent.get_ref<Json::object_t&>();
        members.Container::emplace_back(open_.back().key, std::move(v));
        return &members.back().second;
    }
    bool Open(Json&& container) {
        if (open_.size() >= kMaxSceneNesting) {
            tooDeep_ = true;
            return false;
        }
        open_.push_back({Put(std::move(container)), {}, {}});
        return true;
    }
    bool Close() {
        open_.pop_back();
        return true;
    }

    Json& root_;
    std::vector<Level> open_;
    std::optional<std::string> duplicate_;
    bool tooDeep_ = false;
    std::size_t errorOffset_ = 0;
    std::string errorText_;
};

// The 0-based offset of the bracket that opens level kMaxSceneNesting + 1 of `text`, a
// JSON document the parser read that far; the end when there is none.
std::size_t TooDeepOffset(std::string_view text) {
    std::size_t depth = 0;
    bool inString = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (inString) {
            if (c == '\\') ++i;
            else if (c == '"') inString = false;
        } else if (c == '"') {
            inString = true;
        } else if (c == '[' || c == '{') {
            if (++depth > kMaxSceneNesting) return i;
        } else if (c == ']' || c == '}') {
            --depth;
        }
    }
    return text.size();
}

// The parser's own words without its exception tag and position prefix.
std::string ParserWords(std::string what) {
    if (what.rfind("[json.exception.", 0) == 0) {
        const std::size_t tagEnd = what.find("] ");
        if (tagEnd != std::string::npos) what.erase(0, tagEnd + 2);
    }
    if (what.rfind("parse error", 0) == 0) {
        const std::size_t colon = what.find(": ");
        if (colon != std::string::npos) what.erase(0, colon + 2);
    }
    return what;
}

std::string Located(const std::string& source, const std::string& path, const std::string& message) {
    return path.empty() ? fmt::format("{}: {}", source, message) : fmt::format("{}: {}: {}", source, path, message);
}

// ReadScene, with messages as they are made; names from the file may hold line breaks.
std::unique_ptr<Scene> ReadSceneLines(std::string_view text, const std::string& sourceName,
                                      const ClassResolver& classes, std::string& error, SceneWarnings& warnings) {
    // The parser takes a NUL byte for the end of the text and would drop what follows.
    if (const std::size_t nul = text.find('\0'); nul != std::string_view::npos) {
        error = fmt::format("{}:{}: a NUL byte, which a scene file cannot hold", sourceName, text::LineColumn(text, nul));
        return nullptr;
    }
    Json doc;
    DocumentBuilder builder(doc);
    bool parsed = false;
    try {
        parsed = Json::sax_parse(text.begin(), text.end(), &builder);
    } catch (const std::bad_alloc&) {
        error = fmt::format("{}: not enough memory to read the scene", sourceName);
        return nullptr;
    }
    if (!parsed) {
        if (builder.TooDeep())
            error = fmt::format("{}:{}: values nested deeper than {} levels", sourceName,
                                text::LineColumn(text, TooDeepOffset(text)), kMaxSceneNesting);
        else if (builder.Duplicate())
            error = Located(sourceName, builder.OpenPath(), fmt::format("duplicate key \"{}\"", *builder.Duplicate()));
        else
            error = fmt::format("{}:{}: {}", sourceName,
                                text::LineColumn(text, builder.ErrorOffset()),
                                ParserWords(builder.ErrorText()));
        return nullptr;
    }

    try {
        Notes notes;
        std::unique_ptr<Scene> scene = ReadDocument(doc, classes, notes);
        for (const ReadError& note : notes) warnings.push_back(Located(sourceName, note.path, note.message));
        return scene;
    } catch (const ReadError& e) {
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
