// Where a front end may save a scene: a file inside one folder (the scene's own, or
// the one the program was started in), named so that every common file system can
// hold it. A browser page chooses the name, so the name is checked before anything is
// written: it may not climb out of the folder, leave it through a symlink, or use a
// name another platform reserves, and a refusal names the file as seen from the
// folder, never by the server's absolute path.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace zg::files {

// Longest part of a path between slashes, and longest whole name, in bytes.
inline constexpr std::size_t kMaxSaveNamePartBytes = 255;
inline constexpr std::size_t kMaxSaveNameBytes = 1024;

// `folder` made absolute and lexically normal, without a trailing slash: the form
// the functions below expect.
std::filesystem::path NormalFolder(const std::filesystem::path& folder);

// Why `part` (one name between slashes) cannot name a file on every platform, or
// none: empty, too long, a device name (CON, PRN, AUX, NUL, COM1-9, LPT1-9 in any
// case, with or without an extension), a character <>:"\|?* or a control character,
// a trailing dot or space ("." and ".." among them).
std::optional<std::string> SaveNamePartProblem(std::string_view part);

// The file `requested` names inside `folder` (absolute, lexically normal), as a path
// relative to it; none, with one line in `error` that names the file relative to the
// folder, when it is absolute outside the folder, climbs with "..", does not end in
// .json, or a part of it is refused by SaveNamePartProblem. Looks at the text alone.
std::optional<std::filesystem::path> RelativeSaveName(const std::filesystem::path& folder, std::string_view requested,
                                                      std::string& error);

// RelativeSaveName, then the file system: the folder/relative path with every symlink
// that exists resolved must still lie in the folder (also resolved). Answers the path
// to write, or none with one line in `error`.
std::optional<std::filesystem::path> SavePathInFolder(const std::filesystem::path& folder, std::string_view requested,
                                                      std::string& error);

// `message` with every mention of `folder` (as given, and resolved) and the slash
// after it removed: the files it names then read relative to that folder.
std::string RelativeToFolder(std::string message, const std::filesystem::path& folder);

}  // namespace zg::files
