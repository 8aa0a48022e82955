#include "app/files/output_file.h"

#include <fcntl.h>
#include <signal.h>
#include <fmt/format.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ostream>

#include "app/files/input_file.h"
#include "app/files/temporary_files.h"

namespace zg::files {
namespace {

namespace fs = std::filesystem;

// Bytes gathered before they are written.
constexpr std::size_t kBlockBytes = 64 * 1024;
// As the kernel's own limit on symlinks followed in one path.
constexpr int kMaxLinksFollowed = 40;
constexpr mode_t kNewFileMode = 0644;

std::string Reason(int err) { return std::strerror(err); }

// Whether a path names an open file through its descriptor (/proc/self/fd/1,
// /dev/stdout): such a link must be written through, never replaced.
bool NamesDescriptor(const fs::path& path) {
    const std::string text = path.lexically_normal().string();
    return text.starts_with("/proc/") || text.starts_with("/dev/fd/") || text == "/dev/stdout" ||
           text == "/dev/stderr";
}

// `path` with a final symlink followed until it names something else, or nothing;
// `descriptor` tells whether the way passed through a descriptor's name. False, with
// errno set, for a loop or a link that cannot be read.
bool FollowLinks(fs::path& path, bool& descriptor) {
    descriptor = NamesDescriptor(path);
    for (int hops = 0; hops <= kMaxLinksFollowed; ++hops) {
        struct stat info {};
        if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return true;
        std::vector<char> link(static_cast<std::size_t>(info.st_size > 0 ? info.st_size : 255) + 1);
        const ssize_t n = ::readlink(path.c_str(), link.data(), link.size());
        if (n < 0) return false;
        const fs::path to(std::string(link.data(), static_cast<std::size_t>(n)));
        path = to.is_absolute() ? to : path.parent_path() / to;
        descriptor = descriptor || NamesDescriptor(path);
    }
    errno = ELOOP;
    return false;
}

// Flushes a folder so that a rename in it survives a crash. Failure is not reported:
// some file systems cannot sync folders, and the data itself is already on disk.
void SyncFolder(const fs::path& folder) {
    UniqueFd fd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd) ::fsync(fd.Get());
}

fs::path FolderOf(const fs::path& file) { return file.has_parent_path() ? file.parent_path() : fs::path("."); }

// What a path that is not a regular file names, in a word or two.
const char* NonFileKind(mode_t mode) {
    if (S_ISFIFO(mode)) return "a FIFO";
    if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
    if (S_ISDIR(mode)) return "a folder";
    if (S_ISSOCK(mode)) return "a socket";
    if (S_ISLNK(mode)) return "a link";
    return "not a regular file";
}

// The start of the names of `target`'s temporary files, ".NAME.tmp-", NAME cut so that
// the whole name, with a process id and the six characters mkostemp makes, fits the
// longest name `folder` allows.
std::string TemporaryPrefix(const fs::path& folder, const fs::path& target) {
    const long longest = ::pathconf(folder.c_str(), _PC_NAME_MAX);
    const std::size_t nameMax = longest > 0 ? static_cast<std::size_t>(longest) : 255;
    // "." + NAME + ".tmp-" + up to 10 digits + "-" + "XXXXXX"
    constexpr std::size_t kAround = 1 + 5 + 10 + 1 + 6;
    std::string name = target.filename().string();
    if (nameMax > kAround && name.size() > nameMax - kAround) name.resize(nameMax - kAround);
    return "." + name + ".tmp-";
}

// Removes the temporary files named from `prefix` in `folder` whose writer is no longer
// running. Files of a process still writing are left alone.
void RemoveStaleTemporaries(const fs::path& folder, const std::string& prefix) {
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec); !ec && it != fs::directory_iterator(); it.increment(ec)) {
        const std::string name = it->path().filename().string();
        if (!name.starts_with(prefix)) continue;
        const std::string rest = name.substr(prefix.size());
        const std::size_t dash = rest.find('-');
        if (dash == 0 || dash == std::string::npos || rest.size() != dash + 7) continue;
        if (rest.find_first_not_of("0123456789") != dash) continue;
        const long pid = std::strtol(rest.substr(0, dash).c_str(), nullptr, 10);
        if (pid <= 0 || pid == ::getpid() || ::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH) continue;
        struct stat info {};
        if (::lstat(it->path().c_str(), &info) == 0 && S_ISREG(info.st_mode)) ::unlink(it->path().c_str());
    }
}

}  // namespace

std::unique_ptr<OutputFile> OutputFile::Open(const fs::path& path, std::string& error, OutputOptions options) {
    std::unique_ptr<OutputFile> out(new OutputFile());
    out->shown_ = path;
    out->target_ = path;
    out->options_ = std::move(options);
    const std::string shown = path.string();

    struct stat info {};
    const bool exists = ::stat(path.c_str(), &info) == 0;
    if (exists && S_ISDIR(info.st_mode)) {
        error = fmt::format("{}: is a folder", shown);
        return nullptr;
    }
    if (exists && S_ISSOCK(info.st_mode)) {
        error = fmt::format("{}: is a socket", shown);
        return nullptr;
    }
    bool named = false;
    if (!FollowLinks(out->target_, named)) {
        error = fmt::format("{}: cannot follow the link: {}", shown, Reason(errno));
        return nullptr;
    }
    if (exists && (!S_ISREG(info.st_mode) || named) && out->options_.regularOnly) {
        error = fmt::format("{}: is {}, not a regular file: choose a file to save to",
                            shown, S_ISREG(info.st_mode) ? "an open file's descriptor" : NonFileKind(info.st_mode));
        return nullptr;
    }
    if (exists && (!S_ISREG(info.st_mode) || named)) {
        // A FIFO, a device, or an open file named by its descriptor (/dev/stdout): the
        // bytes go straight to it.
        out->target_ = path;
        out->fd_.Reset(::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NOCTTY | (S_ISREG(info.st_mode) ? O_TRUNC : 0)));
        if (!out->fd_) {
            error = fmt::format("{}: cannot open: {}", shown, Reason(errno));
            return nullptr;
        }
        return out;
    }

    if (out->options_.keepBackup && exists) {
        const fs::path backup = fs::path(out->target_).concat(".bak");
        struct stat kept {};
        if (::lstat(backup.c_str(), &kept) == 0 && !S_ISREG(kept.st_mode) && !S_ISLNK(kept.st_mode)) {
            error = fmt::format("{}: is {}, where the previous file would be kept: move it away to save",
                                backup.string(), NonFileKind(kept.st_mode));
            return nullptr;
        }
    }

    const fs::path folder = FolderOf(out->target_);
    const std::string prefix = TemporaryPrefix(folder, out->target_);
    RemoveStaleTemporaries(folder, prefix);
    std::string pattern = (folder / fmt::format("{}{}-XXXXXX", prefix, ::getpid())).string();
    out->Step(WriteStep::kCreateTemporary);
    out->fd_.Reset(::mkostemp(pattern.data(), O_CLOEXEC));
    if (!out->fd_) {
        error = fmt::format("{}: cannot create a temporary file in {}: {}", shown, folder.string(), Reason(errno));
        return nullptr;
    }
    out->temporary_ = pattern;
    out->listedSlot_ = ListTemporaryFile(out->temporary_.c_str());
    if (::fchmod(out->fd_.Get(), exists ? (info.st_mode & 07777) : kNewFileMode) != 0) {
        error = fmt::format("{}: cannot set the file mode: {}", shown, Reason(errno));
        return nullptr;
    }
    return out;
}

OutputFile::~OutputFile() {
    fd_.Reset();
    if (!temporary_.empty() && !committed_) ::unlink(temporary_.c_str());
    ForgetTemporaryFile(listedSlot_);
}

void OutputFile::Step(WriteStep step) const {
    if (options_.beforeStep) options_.beforeStep(step);
}

bool OutputFile::Fail(const char* step, int err) {
    if (error_.empty()) error_ = fmt::format("{}: {}: {}", shown_.string(), step, Reason(err));
    return false;
}

void OutputFile::Write(std::string_view bytes) {
    if (!error_.empty()) return;
    if (buffer_.size() + bytes.size() < kBlockBytes) {
        buffer_.append(bytes);
        return;
    }
    // A large write goes out as it is, without a copy.
    Flush();
    WriteBlocks(bytes);
}

bool OutputFile::Flush() {
    WriteBlocks(buffer_);
    buffer_.clear();
    return error_.empty();
}

void OutputFile::WriteBlocks(std::string_view bytes) {
    std::size_t written = 0;
    while (written < bytes.size() && error_.empty()) {
        Step(WriteStep::kWrite);
        const ssize_t n = ::write(fd_.Get(), bytes.data() + written, std::min(kBlockBytes, bytes.size() - written));
        if (n < 0) {
            if (errno != EINTR) Fail("cannot write", errno);
            continue;
        }
        written += static_cast<std::size_t>(n);
    }
}

bool OutputFile::Replace() {
    Step(WriteStep::kSync);
    if (::fsync(fd_.Get()) != 0) return Fail("cannot flush to disk", errno);
    if (fd_.Close() != 0) return Fail("cannot close", errno);
    struct stat old {};
    if (options_.keepBackup && ::stat(target_.c_str(), &old) == 0 && S_ISREG(old.st_mode)) {
        // A second name for the old file, so that the target itself never goes missing;
        // where links cannot be made, a copy.
        Step(WriteStep::kKeepBackup);
        const fs::path backup = fs::path(target_).concat(".bak");
        ::unlink(backup.c_str());
        if (::link(target_.c_str(), backup.c_str()) != 0) {
            std::error_code ec;
            if (!fs::copy_file(target_, backup, fs::copy_options::overwrite_existing, ec))
                return Fail("cannot keep the previous file as .bak", ec.value());
        }
    }
    Step(WriteStep::kReplace);
    if (::rename(temporary_.c_str(), target_.c_str()) != 0) return Fail("cannot replace the file", errno);
    committed_ = true;
    SyncFolder(FolderOf(target_));
    return true;
}

bool OutputFile::Commit(std::string& error) {
    const bool done = Flush() && (temporary_.empty() ? fd_.Close() == 0 || Fail("cannot close", errno) : Replace());
    if (!done) error = error_;
    return done;
}

bool WriteFile(const fs::path& path, std::string_view contents, std::string& error, OutputOptions options) {
    std::unique_ptr<OutputFile> out = OutputFile::Open(path, error, std::move(options));
    if (out == nullptr) return false;
    out->Write(contents);
    return out->Commit(error);
}

bool WriteOutput(const fs::path& path, std::ostream& standardOutput,
                 const std::function<bool(ByteSink& out, std::string& error)>& write, std::string& error) {
    if (path == kStandardStream) {
        StreamSink sink(standardOutput);
        if (!write(sink, error)) return false;
        if (!standardOutput.flush()) {
            error = "standard output: cannot write";
            return false;
        }
        return true;
    }
    std::unique_ptr<OutputFile> out = OutputFile::Open(path, error);
    return out != nullptr && write(*out, error) && out->Commit(error);
}

std::optional<std::string> FindOverwrittenInput(const fs::path& output, const std::vector<fs::path>& inputs) {
    // An output that is not there yet, as most are, overwrites nothing: one look each.
    struct stat written {};
    if (output == kStandardStream || ::stat(output.c_str(), &written) != 0) return std::nullopt;
    for (const fs::path& input : inputs) {
        struct stat read {};
        if (input != kStandardStream && ::stat(input.c_str(), &read) == 0 && read.st_dev == written.st_dev &&
            read.st_ino == written.st_ino)
            return fmt::format("{} would overwrite the input {}; choose another output", output.string(),
                               input.string());
    }
    return std::nullopt;
}


}  // namespace zg::files
