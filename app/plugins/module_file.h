// Checks made on a plug-in module file before the platform's dynamic loader maps it.
// The loader trusts what an ELF file's headers say: a file cut short, or headers that
// point past its end or outside its own segments, make it read memory the file does
// not back, and the process dies (SIGBUS or SIGSEGV) with no message. These checks
// turn such a file into one line and a skip.
//
// What is checked: the file is a regular file of at most files::kMaxModuleFileBytes;
// it is an ELF shared object of this host's class (64- or 32-bit), byte order and
// machine; its program header table, section header table, every loadable segment
// and the dynamic segment lie within the file; the dynamic segment lies within a
// loadable one, mapped at the file offset it claims; and every address and string
// offset its entries give lies within what the segments map. A module's code and
// data themselves are not judged here: a module that crashes when it runs is the
// module's fault, not the file's.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace zg::plugins {

// None when `image`, the whole content of a module file, may be handed to the dynamic
// loader; else what is wrong with it, in a few words ("cut short: ...").
std::optional<std::string> FindModuleImageProblem(std::string_view image);

// False, with one line naming the file in `error`, when `file` cannot be read as a
// module or the checks of FindModuleImageProblem find a problem. Only the headers and
// the tables they point at are read, not the whole file.
bool CheckModuleFile(const std::filesystem::path& file, std::string& error);

}  // namespace zg::plugins
