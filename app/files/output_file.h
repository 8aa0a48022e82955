// OutputFile: writing a file so that nothing already saved is lost.
//
// What the path names decides how it is written:
//   - a new file, or an existing regular file: the bytes go to a temporary file beside
//     it, which is flushed to disk and renamed over the target on Commit, so that
//     readers, a crash or a kill see the old file or the new one, whole. A replaced
//     file keeps its mode, a new one gets 0644. With keepBackup the previous file
//     stays as PATH.bak.
//   - a symlink: followed to its final target, which is written as above; the link
//     stays a link.
//   - a FIFO or a device: opened and written straight, never replaced (unless
//     regularOnly refuses it).
// The temporary file is named .NAME.tmp-PID-XXXXXX, NAME cut short where the whole
// would be longer than the folder allows a name; one that a process no longer running
// left behind (killed while it wrote) is removed when the same file is written next.
// With keepBackup, a PATH.bak that is not a file refuses the write before it starts.
// Signals and the file-size limit are handled as app/files/temporary_files.h says.
#pragma once

#include <filesystem>
#include <functional>
#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/files/byte_sink.h"
#include "app/files/unique_fd.h"

namespace zg::files {

// The steps of writing a file that change what is on disk.
enum class WriteStep { kCreateTemporary, kWrite, kSync, kKeepBackup, kReplace };

struct OutputOptions {
    // Replacing an existing regular file keeps it as PATH.bak (any older .bak goes).
    bool keepBackup = false;
    // Heard before each step is taken, kWrite once for every block of bytes; tests stop
    // the process there. May be empty.
    std::function<void(WriteStep)> beforeStep;
    // Refuses a path that names anything but a regular file (or none yet), such as a
    // FIFO or a device, which would be written straight and could block the writer.
    bool regularOnly = false;
};

class OutputFile final : public ByteSink {
public:
    // Opens `path` for writing. None, with one line naming the path in `error`, when it
    // names a folder or a socket, its folder is missing, or it cannot be opened. A FIFO
    // or device is opened without waiting for a reader when regularOnly is off.
    static std::unique_ptr<OutputFile> Open(const std::filesystem::path& path, std::string& error,
                                            OutputOptions options = {});
    // Without a successful Commit the temporary file is removed and the target is left
    // as it was.
    ~OutputFile() override;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Buffered; the first failure is kept and reported by Commit.
    void Write(std::string_view bytes) override;
    // Completes the file (flush, sync, backup, rename). False, with one line naming the
    // path in `error`, when any write or step failed; the target is then left as it was.
    bool Commit(std::string& error);

private:
    OutputFile() = default;
    bool Flush();
    void WriteBlocks(std::string_view bytes);
    bool Fail(const char* step, int err);
    void Step(WriteStep step) const;
    bool Replace();

    std::filesystem::path shown_;   // as the caller named it, for messages
    std::filesystem::path target_;  // after symlinks
    std::string temporary_;         // empty when written straight
    int listedSlot_ = -1;
    UniqueFd fd_;
    OutputOptions options_;
    std::string buffer_;
    std::string error_;
    bool committed_ = false;
};

// Writes `contents` to `path` through an OutputFile.
bool WriteFile(const std::filesystem::path& path, std::string_view contents, std::string& error,
               OutputOptions options = {});

// Writes what `write` makes to `path`, or to `standardOutput` when the path is "-".
// `write` answers false, with a one-line error, when it cannot complete; nothing is
// then left of a file output, and the target is as it was.
bool WriteOutput(const std::filesystem::path& path, std::ostream& standardOutput,
                 const std::function<bool(ByteSink& out, std::string& error)>& write, std::string& error);

// None when writing `output` overwrites none of `inputs`; else one line naming the
// input it would overwrite. "-" overwrites nothing.
std::optional<std::string> FindOverwrittenInput(const std::filesystem::path& output,
                                                const std::vector<std::filesystem::path>& inputs);

}  // namespace zg::files
