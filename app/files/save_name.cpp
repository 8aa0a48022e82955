#include "app/files/save_name.h"

#include <fmt/format.h>

#include <array>
#include <cctype>
#include <system_error>

#include "app/text/one_line.h"

namespace zg::files {
namespace {

namespace fs = std::filesystem;

// As the kernel's own limit on symlinks followed in one path.
constexpr int kMaxSaveLinksFollowed = 40;

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i]))) return false;
    return true;
}

// Whether `stem` (a name before its first dot, trailing spaces dropped) is a device.
bool IsDeviceName(std::string_view stem) {
    static constexpr std::array<std::string_view, 4> kDevices{"CON", "PRN", "AUX", "NUL"};
    for (std::string_view device : kDevices)
        if (EqualsIgnoringCase(stem, device)) return true;
    if (stem.size() == 4 && stem[3] >= '1' && stem[3] <= '9')
        return EqualsIgnoringCase(stem.substr(0, 3), "COM") || EqualsIgnoringCase(stem.substr(0, 3), "LPT");
    return false;
}

// Whether `path` lies in `folder` (both resolved and lexically normal), or is it.
bool Within(const fs::path& path, const fs::path& folder) {
    const fs::path relative = path.lexically_relative(folder);
    return !relative.empty() && *relative.begin() != "..";
}

// `path` with every symlink that exists resolved, the last one included even when
// what it leads to does not exist yet (OutputFile writes through it).
fs::path Resolved(fs::path path) {
    std::error_code ec;
    for (int hops = 0; hops <= kMaxSaveLinksFollowed; ++hops) {
        path = fs::weakly_canonical(path, ec);
        if (ec) return {};
        if (!fs::is_symlink(fs::symlink_status(path, ec))) return path;
        const fs::path to = fs::read_symlink(path, ec);
        if (ec) return {};
        path = to.is_absolute() ? to : path.parent_path() / to;
    }
    return {};
}

}  // namespace

fs::path NormalFolder(const fs::path& folder) {
    std::error_code ec;
    fs::path normal = fs::absolute(folder, ec).lexically_normal();
    if (!normal.has_filename() && normal != normal.root_path()) normal = normal.parent_path();
    return normal;
}

std::optional<std::string> SaveNamePartProblem(std::string_view part) {
    if (part.empty()) return "a name between slashes is empty";
    if (part.size() > kMaxSaveNamePartBytes) return fmt::format("a name is longer than {} bytes", kMaxSaveNamePartBytes);
    for (const char c : part) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F || std::string_view(R"(<>:"\|?*)").find(c) != std::string_view::npos)
            return R"(a file name may not hold <>:"\|?* or control characters)";
    }
    if (part.back() == '.' || part.back() == ' ') return "a file name may not end in a dot or a space";
    std::string_view stem = part.substr(0, part.find('.'));
    while (!stem.empty() && stem.back() == ' ') stem.remove_suffix(1);
    if (IsDeviceName(stem)) return fmt::format("{} names a device on some systems: choose another name", stem);
    return std::nullopt;
}

std::optional<fs::path> RelativeSaveName(const fs::path& folder, std::string_view requested, std::string& error) {
    if (requested.empty()) {
        error = "the file name is empty";
        return std::nullopt;
    }
    if (requested.size() > kMaxSaveNameBytes) {
        error = fmt::format("{}...: a file name is at most {} bytes", text::OneLine(requested.substr(0, 40)),
                            kMaxSaveNameBytes);
        return std::nullopt;
    }
    std::string relative(requested);
    if (requested.front() == '/') {
        relative = fs::path(relative).lexically_normal().lexically_relative(folder).string();
        if (relative.empty() || relative == "." || relative.starts_with("../") || relative == "..") {
            error = fmt::format("{}: outside the scene's folder: save inside it",
                                text::OneLine(relative.empty() ? std::string(requested) : relative));
            return std::nullopt;
        }
    }
    const std::string shown = text::OneLine(relative);
    for (std::size_t start = 0;;) {
        const std::size_t end = std::min(relative.find('/', start), relative.size());
        const std::string_view part = std::string_view(relative).substr(start, end - start);
        if (part == "..") {
            error = fmt::format("{}: outside the scene's folder: save inside it", shown);
            return std::nullopt;
        }
        if (const std::optional<std::string> problem = SaveNamePartProblem(part)) {
            error = fmt::format("{}: {}", shown, *problem);
            return std::nullopt;
        }
        if (end == relative.size()) break;
        start = end + 1;
    }
    const std::string_view name = std::string_view(relative).substr(relative.rfind('/') + 1);
    if (!name.ends_with(".json") || name.size() == 5) {
        error = fmt::format("{}: a scene file name ends in .json", shown);
        return std::nullopt;
    }
    return fs::path(relative);
}

std::optional<fs::path> SavePathInFolder(const fs::path& folder, std::string_view requested, std::string& error) {
    const std::optional<fs::path> relative = RelativeSaveName(folder, requested, error);
    if (!relative) return std::nullopt;
    const fs::path target = folder / *relative;
    const fs::path resolvedFolder = Resolved(folder);
    const fs::path resolved = Resolved(target);
    if (resolvedFolder.empty() || resolved.empty() || !Within(resolved, resolvedFolder) || resolved == resolvedFolder) {
        error = fmt::format("{}: leads outside the scene's folder through a link: save inside it",
                            text::OneLine(relative->string()));
        return std::nullopt;
    }
    return target;
}

std::string RelativeToFolder(std::string message, const fs::path& folder) {
    for (const fs::path& form : {folder, Resolved(folder)}) {
        if (form.empty()) continue;
        const std::string prefix = form.string() + "/";
        for (std::size_t at = message.find(prefix); at != std::string::npos; at = message.find(prefix, at))
            message.erase(at, prefix.size());
    }
    return message;
}

}  // namespace zg::files
