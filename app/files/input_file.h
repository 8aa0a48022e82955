// Reading the files a command is given: a regular file, or standard input named "-",
// and never more than a limit, so that a device such as /dev/zero, a FIFO nobody
// writes to, or a huge file cannot make a command read without end.
#pragma once

#include <cstddef>
#include <filesystem>
#include <iosfwd>
#include <optional>
#include <string>

#include "app/files/unique_fd.h"

namespace zg::files {

// The name that stands for standard input, as input or output.
inline constexpr const char* kStandardStream = "-";

// The largest scene file read, and the largest plug-in module.
inline constexpr std::size_t kMaxSceneFileBytes = std::size_t{64} << 20;
inline constexpr std::size_t kMaxModuleFileBytes = std::size_t{256} << 20;

// How an input is named in messages: its path, or "standard input" for "-".
std::string InputName(const std::filesystem::path& path);

// A regular file opened for reading, and its size when it was opened.
struct OpenedInput {
    UniqueFd fd;
    std::size_t size = 0;
};

// `path` opened for reading, for a caller that reads only parts of it. None, with the
// reason in `error` (without the file's name, for the caller to put it in its own
// words), when it is not a regular file, cannot be opened, or is larger than `limit`
// bytes.
std::optional<OpenedInput> OpenInputFile(const std::filesystem::path& path, std::size_t limit, std::string& error);

// Fills `out` from `offset` in the file; false, with errno set or 0 at the file's
// end, when the file cannot give every byte.
bool ReadInputAt(const OpenedInput& input, std::size_t offset, std::size_t count, void* out);

// The whole content of `path`, or of `standardInput` when the path is "-". None, with
// one line naming the input in `error`, when it is not a regular file (a folder, a
// device, a FIFO, a socket), cannot be opened or read, or holds more than `limit`
// bytes.
std::optional<std::string> ReadInputFile(const std::filesystem::path& path, std::size_t limit,
                                         std::istream& standardInput, std::string& error);

}  // namespace zg::files
