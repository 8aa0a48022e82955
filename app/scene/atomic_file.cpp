#include "app/scene/atomic_file.h"

#include <fcntl.h>
#include <fmt/format.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

namespace zg::scene {
namespace {

std::string Reason(int err) { return std::strerror(err); }

// Flushes a folder so that a rename in it survives a crash. Failure is not reported:
// some file systems cannot sync folders, and the data itself is already on disk.
void SyncFolder(const std::filesystem::path& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

}  // namespace

bool WriteFileAtomically(const std::filesystem::path& path, std::string_view contents, std::string& error) {
    const std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : std::filesystem::path(".");
    std::string tempName = ".";
    tempName += path.filename().string();
    tempName += ".tmp-XXXXXX";
    const std::string pattern = (folder / tempName).string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');

    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0) {
        error = fmt::format("{}: cannot create a temporary file in {}: {}", path.string(), folder.string(), Reason(errno));
        return false;
    }
    auto fail = [&](const char* step, int err) {
        ::close(fd);
        ::unlink(name.data());
        error = fmt::format("{}: {}: {}", path.string(), step, Reason(err));
        return false;
    };

    struct stat old {};
    const mode_t mode = ::stat(path.c_str(), &old) == 0 ? (old.st_mode & 07777) : 0644;
    if (::fchmod(fd, mode) != 0) return fail("cannot set the file mode", errno);

    std::size_t written = 0;
    while (written < contents.size()) {
        const ssize_t n = ::write(fd, contents.data() + written, contents.size() - written);
        if (n < 0) {
            if (errno == EINTR) continue;
            return fail("cannot write", errno);
        }
        written += static_cast<std::size_t>(n);
    }
    if (::fsync(fd) != 0) return fail("cannot flush to disk", errno);
    if (::close(fd) != 0) {
        const int err = errno;
        ::unlink(name.data());
        error = fmt::format("{}: cannot close: {}", path.string(), Reason(err));
        return false;
    }
    if (::rename(name.data(), path.c_str()) != 0) {
        const int err = errno;
        ::unlink(name.data());
        error = fmt::format("{}: cannot replace the file: {}", path.string(), Reason(err));
        return false;
    }
    SyncFolder(folder);
    return true;
}

}  // namespace zg::scene
