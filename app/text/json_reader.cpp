#include "app/text/json_reader.h"

#include <fmt/format.h>

#include <new>
#include <unordered_set>
#include <utility>
#include <vector>

namespace zg::text {
namespace {

// Builds the document from the parser's events. Unlike the library's own builder it
// refuses a key that appears twice in one object and a level past the nesting limit,
// and keeps the byte position of any error, a number too large for a double included.
class StrictBuilder final : public nlohmann::json_sax<Json> {
public:
    StrictBuilder(Json& root, std::size_t maxNesting) : root_(root), maxNesting_(maxNesting) {}

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
            path = open_[i].value->is_object() ? JsonMember(path, open_[i].key)
                                               : JsonElement(path, open_[i].value->size() - 1);
        return path;
    }
    bool TooDeep() const { return tooDeep_; }
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
        if (open_.size() >= maxNesting_) {
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
    std::size_t maxNesting_;
    std::vector<Level> open_;
    std::optional<std::string> duplicate_;
    bool tooDeep_ = false;
    std::size_t errorOffset_ = 0;
    std::string errorText_;
};

// The 0-based offset of the bracket that opens level maxNesting + 1 of `text`, a JSON
// document the parser read that far; the end when there is none.
std::size_t TooDeepOffset(std::string_view text, std::size_t maxNesting) {
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
            if (++depth > maxNesting) return i;
        } else if ((c == ']' || c == '}') && depth > 0) {
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

}  // namespace

std::optional<Json> ReadJsonText(std::string_view text, std::size_t maxNesting, JsonTextError& error) {
    error = {};
    // The parser takes a NUL byte for the end of the text and would drop what follows.
    if (const std::size_t nul = text.find('\0'); nul != std::string_view::npos) {
        error.kind = JsonTextError::Kind::kNulByte;
        error.offset = nul;
        return std::nullopt;
    }
    Json doc;
    StrictBuilder builder(doc, maxNesting);
    bool parsed = false;
    try {
        parsed = Json::sax_parse(text.begin(), text.end(), &builder);
    } catch (const std::bad_alloc&) {
        error.kind = JsonTextError::Kind::kNoMemory;
        return std::nullopt;
    }
    if (parsed) return doc;
    if (builder.TooDeep()) {
        error.kind = JsonTextError::Kind::kTooDeep;
        error.offset = TooDeepOffset(text, maxNesting);
    } else if (builder.Duplicate()) {
        error.kind = JsonTextError::Kind::kDuplicateKey;
        error.path = builder.OpenPath();
        error.detail = *builder.Duplicate();
    } else {
        error.kind = JsonTextError::Kind::kSyntax;
        error.offset = builder.ErrorOffset();
        error.detail = ParserWords(builder.ErrorText());
    }
    return std::nullopt;
}

std::string LineColumn(std::string_view text, std::size_t offset) {
    if (offset > text.size()) offset = text.size();
    std::size_t line = 1;
    std::size_t lineStart = 0;
    for (std::size_t i = 0; i < offset; ++i) {
        if (text[i] == '\n') {
            ++line;
            lineStart = i + 1;
        }
    }
    return fmt::format("{}:{}", line, offset - lineStart + 1);
}

std::string JsonMember(std::string_view base, std::string_view key) {
    return base.empty() ? std::string(key) : fmt::format("{}.{}", base, key);
}

std::string JsonElement(std::string_view base, std::size_t index) { return fmt::format("{}[{}]", base, index); }

std::string AtJsonPath(std::string_view path, std::string_view message) {
    return path.empty() ? std::string(message) : fmt::format("{}: {}", path, message);
}

void FailField(std::string path, std::string message) { throw JsonFieldError{std::move(path), std::move(message)}; }

void FailFieldType(std::string path, std::string_view expected, const Json& got) {
    FailField(std::move(path), fmt::format("expected {}, got {}", expected, got.type_name()));
}

void CheckJsonKeys(const Json& object, std::string_view path, std::initializer_list<std::string_view> allowed,
                   std::initializer_list<std::string_view> common) {
    for (const auto& item : object.items()) {
        bool known = false;
        for (std::string_view name : allowed) known = known || item.key() == name;
        for (std::string_view name : common) known = known || item.key() == name;
        if (!known) FailField(JsonMember(path, item.key()), "unknown key");
    }
}

}  // namespace zg::text
