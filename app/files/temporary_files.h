// Temporary files that a signal must not leave behind. While an output is written
// through a temporary file beside its target, the file is listed here; SIGINT,
// SIGTERM and SIGHUP remove every listed file before the signal takes its usual
// course (the handler found installed before, or the default action). A signal that
// was ignored when the first file was listed stays ignored, and its files stay too.
//
// Listing the first file also sets SIGXFSZ to be ignored, unless a handler is already
// installed, so that a write beyond the file-size limit fails with EFBIG and is
// reported as an error instead of killing the process.
#pragma once

namespace zg::files {

// Lists `path` (at most kMaxPathBytes - 1 bytes). Answers the slot to forget it by,
// or -1 when the path is too long or every slot is in use: the file is then not
// removed on a signal, and nothing else changes.
int ListTemporaryFile(const char* path);
// Takes a file off the list (after it was renamed or removed); -1 does nothing.
void ForgetTemporaryFile(int slot);

inline constexpr int kMaxTemporaryFiles = 16;
inline constexpr int kMaxPathBytes = 4096;

}  // namespace zg::files
