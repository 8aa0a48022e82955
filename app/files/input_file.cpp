#include "app/files/input_file.h"

#include <fcntl.h>
#include <fmt/format.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <istream>

#include "app/files/unique_fd.h"

namespace zg::files {
namespace {

const char* KindOf(mode_t mode) {
    if (S_ISDIR(mode)) return "a folder";
    if (S_ISFIFO(mode)) return "a FIFO";
    if (S_ISCHR(mode)) return "a character device";
    if (S_ISBLK(mode)) return "a block device";
    if (S_ISSOCK(mode)) return "a socket";
    return "not a regular file";
}

std::string TooLarge(std::size_t limit) {
    constexpr std::size_t kMiB = std::size_t{1} << 20;
    return limit % kMiB == 0 ? fmt::format("larger than the {} MiB this program reads", limit / kMiB)
                             : fmt::format("larger than the {} bytes this program reads", limit);
}

std::optional<std::string> ReadStream(std::istream& in, std::size_t limit, std::string& error) {
    std::string text;
    char buffer[65536];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        text.append(buffer, static_cast<std::size_t>(in.gcount()));
        if (text.size() > limit) {
            error = fmt::format("{}: {}", InputName(kStandardStream), TooLarge(limit));
            return std::nullopt;
        }
    }
    if (in.bad()) {
        error = fmt::format("{}: cannot read", InputName(kStandardStream));
        return std::nullopt;
    }
    return text;
}

}  // namespace

std::string InputName(const std::filesystem::path& path) {
    return path == kStandardStream ? std::string("standard input") : path.string();
}

std::optional<OpenedInput> OpenInputFile(const std::filesystem::path& path, std::size_t limit, std::string& error) {
    // Not blocking: opening a FIFO must not wait for a writer before it is refused.
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (!fd) {
        error = fmt::format("cannot open: {}", std::strerror(errno));
        return std::nullopt;
    }
    struct stat info {};
    if (::fstat(fd.Get(), &info) != 0) {
        error = fmt::format("cannot read: {}", std::strerror(errno));
        return std::nullopt;
    }
    if (!S_ISREG(info.st_mode)) {
        error = fmt::format("is {}, not a file this program reads", KindOf(info.st_mode));
        return std::nullopt;
    }
    if (static_cast<unsigned long long>(info.st_size) > limit) {
        error = TooLarge(limit);
        return std::nullopt;
    }
    return OpenedInput{std::move(fd), static_cast<std::size_t>(info.st_size)};
}

bool ReadInputAt(const OpenedInput& input, std::size_t offset, std::size_t count, void* out) {
    auto* bytes = static_cast<char*>(out);
    while (count > 0) {
        const ssize_t n = ::pread(input.fd.Get(), bytes, count, static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n == 0) errno = 0;
            return false;
        }
        bytes += n;
        offset += static_cast<std::size_t>(n);
        count -= static_cast<std::size_t>(n);
    }
    return true;
}

std::optional<std::string> ReadInputFile(const std::filesystem::path& path, std::size_t limit,
                                         std::istream& standardInput, std::string& error) {
    if (path == kStandardStream) return ReadStream(standardInput, limit, error);
    const std::string name = path.string();
    const std::optional<OpenedInput> input = OpenInputFile(path, limit, error);
    if (!input) {
        error = fmt::format("{}: {}", name, error);
        return std::nullopt;
    }
    const UniqueFd& fd = input->fd;
    // One byte more than the file holds, so that its end is seen without growing.
    std::string text(std::min(limit + 1, input->size + 1), '\0');
    std::size_t got = 0;
    // The file may grow while it is read: one byte more than the limit tells.
    while (true) {
        if (got == text.size()) {
            if (text.size() > limit) {
                error = fmt::format("{}: {}", name, TooLarge(limit));
                return std::nullopt;
            }
            text.resize(std::min(limit + 1, text.size() + 65536));
        }
        const ssize_t n = ::read(fd.Get(), text.data() + got, text.size() - got);
        if (n < 0) {
            if (errno == EINTR) continue;
            error = fmt::format("{}: cannot read: {}", name, std::strerror(errno));
            return std::nullopt;
        }
        if (n == 0) break;
        got += static_cast<std::size_t>(n);
    }
    text.resize(got);
    return text;
}

}  // namespace zg::files
