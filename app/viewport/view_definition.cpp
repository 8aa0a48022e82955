#include "app/viewport/view_definition.h"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <set>

namespace zg::viewport {

namespace {

using Json = nlohmann::ordered_json;

// Room left around framed bounds, as a factor on their extent.
constexpr double kFrameMargin = 1.25;
// The smallest extent framed, so a scene of points still gets a usable view.
constexpr double kMinFramedExtent = 1.0;
// The default perspective looks at the bounds from the front right, from above.
constexpr Vec3d kDefaultViewDirection{1.0, -1.6, 1.1};

bool ReadNumber(const Json& entry, const char* key, const std::string& path, double& out, std::string& error) {
    const auto it = entry.find(key);
    if (it == entry.end()) return true;
    if (!it->is_number() || !std::isfinite(it->get<double>())) {
        error = fmt::format("{}.{}: expected a finite number", path, key);
        return false;
    }
    out = it->get<double>();
    return true;
}

bool ReadPoint(const Json& entry, const char* key, const std::string& path, Vec3d& out, std::string& error) {
    const auto it = entry.find(key);
    if (it == entry.end()) return true;
    const bool ok = it->is_array() && it->size() == 3 &&
                    std::all_of(it->begin(), it->end(), [](const Json& v) {
                        return v.is_number() && std::isfinite(v.get<double>());
                    });
    if (!ok) {
        error = fmt::format("{}.{}: expected an array of three finite numbers", path, key);
        return false;
    }
    out = {(*it)[0].get<double>(), (*it)[1].get<double>(), (*it)[2].get<double>()};
    return true;
}

bool Require(const Json& entry, const char* key, const std::string& path, std::string& error) {
    if (entry.contains(key)) return true;
    error = fmt::format("{}: missing \"{}\"", path, key);
    return false;
}

std::optional<ViewDefinition> ParseOne(const Json& entry, const std::string& path, std::string& error) {
    if (!entry.is_object()) {
        error = fmt::format("{}: expected an object", path);
        return std::nullopt;
    }
    ViewDefinition view;
    if (!Require(entry, "name", path, error) || !Require(entry, "projection", path, error)) return std::nullopt;
    if (!entry["name"].is_string() || entry["name"].get<std::string>().empty()) {
        error = fmt::format("{}.name: expected a non-empty string", path);
        return std::nullopt;
    }
    view.name = entry["name"].get<std::string>();
    const Json& projection = entry["projection"];
    const std::string kind = projection.is_string() ? projection.get<std::string>() : std::string();
    if (kind == "perspective") {
        view.kind = ViewKind::kPerspective;
    } else if (kind == "top") {
        view.kind = ViewKind::kTop;
    } else if (kind == "front") {
        view.kind = ViewKind::kFront;
    } else if (kind == "left") {
        view.kind = ViewKind::kLeft;
    } else {
        error = fmt::format("{}.projection: expected \"perspective\", \"top\", \"front\" or \"left\"", path);
        return std::nullopt;
    }

    static const std::set<std::string> kPerspectiveKeys{"name", "projection", "eye", "target", "up", "fov", "boxOnly"};
    static const std::set<std::string> kOrthoKeys{"name", "projection", "center", "width", "boxOnly"};
    const auto& allowed = view.kind == ViewKind::kPerspective ? kPerspectiveKeys : kOrthoKeys;
    for (const auto& item : entry.items()) {
        if (!allowed.contains(item.key())) {
            error = fmt::format("{}.{}: not a key of a {} view", path, item.key(), kind);
            return std::nullopt;
        }
    }
    if (const auto it = entry.find("boxOnly"); it != entry.end()) {
        if (!it->is_boolean()) {
            error = fmt::format("{}.boxOnly: expected true or false", path);
            return std::nullopt;
        }
        view.boxOnly = it->get<bool>();
    }

    if (view.kind == ViewKind::kPerspective) {
        if (!Require(entry, "eye", path, error) || !Require(entry, "target", path, error)) return std::nullopt;
        if (!ReadPoint(entry, "eye", path, view.eye, error) || !ReadPoint(entry, "target", path, view.target, error) ||
            !ReadPoint(entry, "up", path, view.up, error) || !ReadNumber(entry, "fov", path, view.fov, error)) {
            return std::nullopt;
        }
        if (!(Length(view.eye - view.target) > 0.0) || !std::isfinite(Length(view.eye - view.target))) {
            error = fmt::format("{}.target: must differ from eye", path);
            return std::nullopt;
        }
        if (!(Length(view.up) > 0.0) || !std::isfinite(Length(view.up))) {
            error = fmt::format("{}.up: must not be the zero vector", path);
            return std::nullopt;
        }
        if (!(view.fov > 0.0 && view.fov < 180.0)) {
            error = fmt::format("{}.fov: must lie strictly between 0 and 180 degrees", path);
            return std::nullopt;
        }
        return view;
    }
    if (!Require(entry, "center", path, error) || !Require(entry, "width", path, error)) return std::nullopt;
    if (!ReadPoint(entry, "center", path, view.center, error) || !ReadNumber(entry, "width", path, view.width, error)) {
        return std::nullopt;
    }
    if (!(view.width > 0.0)) {
        error = fmt::format("{}.width: must be above 0", path);
        return std::nullopt;
    }
    return view;
}

}  // namespace

const char* ViewDefinition::ProjectionName() const {
    switch (kind) {
        case ViewKind::kPerspective: return "perspective";
        case ViewKind::kTop: return "top";
        case ViewKind::kFront: return "front";
        case ViewKind::kLeft: return "left";
    }
    return "perspective";
}

Camera ViewDefinition::MakeCamera(int imageWidth, int imageHeight) const {
    switch (kind) {
        case ViewKind::kPerspective:
            return Camera::Perspective(eye, target, up, fov, imageWidth, imageHeight);
        case ViewKind::kTop:
            return Camera::Orthographic({1, 0, 0}, {0, 1, 0}, center, width, imageWidth, imageHeight);
        case ViewKind::kFront:
            return Camera::Orthographic({1, 0, 0}, {0, 0, 1}, center, width, imageWidth, imageHeight);
        case ViewKind::kLeft:
            return Camera::Orthographic({0, -1, 0}, {0, 0, 1}, center, width, imageWidth, imageHeight);
    }
    return Camera();
}

std::optional<std::vector<ViewDefinition>> ParseViewDefinitions(const nlohmann::ordered_json& list,
                                                                std::string& error) {
    if (list.is_null()) return std::vector<ViewDefinition>();
    if (!list.is_array()) {
        error = "viewports: expected an array";
        return std::nullopt;
    }
    std::vector<ViewDefinition> views;
    std::set<std::string> names;
    for (std::size_t i = 0; i < list.size(); ++i) {
        const std::string path = fmt::format("viewports[{}]", i);
        auto view = ParseOne(list[i], path, error);
        if (!view) return std::nullopt;
        if (!names.insert(view->name).second) {
            error = fmt::format("{}.name: another viewport is already named \"{}\"", path, view->name);
            return std::nullopt;
        }
        views.push_back(std::move(*view));
    }
    return views;
}

std::vector<ViewDefinition> DefaultViews(const host::Box3& bounds, double aspect) {
    Vec3d lo{-0.5, -0.5, -0.5};
    Vec3d hi{0.5, 0.5, 0.5};
    if (!bounds.IsEmpty() && IsFinite(Vec3d(bounds.pmin)) && IsFinite(Vec3d(bounds.pmax))) {
        lo = Vec3d(bounds.pmin);
        hi = Vec3d(bounds.pmax);
    }
    if (!(aspect > 0.0) || !std::isfinite(aspect)) aspect = 1.0;
    const Vec3d center = (lo + hi) * 0.5;
    const Vec3d extent{std::max(hi.x - lo.x, kMinFramedExtent), std::max(hi.y - lo.y, kMinFramedExtent),
                      std::max(hi.z - lo.z, kMinFramedExtent)};

    ViewDefinition perspective;
    perspective.name = "Perspective";
    perspective.kind = ViewKind::kPerspective;
    perspective.target = center;
    perspective.fov = 45.0;
    // Back away until the sphere around the bounds fits the narrower field of view.
    const double radius = 0.5 * Length(extent);
    const double halfH = perspective.fov * std::numbers::pi / 360.0;
    const double halfV = std::atan(std::tan(halfH) / aspect);
    const double distance = kFrameMargin * radius / std::sin(std::min(halfH, halfV));
    perspective.eye = center + Normalized(kDefaultViewDirection) * distance;

    ViewDefinition top;
    top.name = "Top";
    top.kind = ViewKind::kTop;
    top.center = center;
    top.width = kFrameMargin * std::max(extent.x, extent.y * aspect);

    return {perspective, top};
}

}  // namespace zg::viewport
