// Replacing a file so that readers see either the old or the new contents, never a
// half-written file: write a temporary file in the same folder, flush it to disk,
// rename it over the target and flush the folder.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace zg::scene {

// False, with a one-line reason naming the file in `error`, when any step fails; the
// temporary file is then removed and the target left as it was. A new file gets mode
// 0644, a replaced one keeps its mode.
bool WriteFileAtomically(const std::filesystem::path& path, std::string_view contents, std::string& error);

}  // namespace zg::scene
