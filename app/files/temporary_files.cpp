#include "app/files/temporary_files.h"

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <mutex>

namespace zg::files {
namespace {

constexpr int kCleanedSignals[] = {SIGINT, SIGTERM, SIGHUP};
constexpr int kSignalCount = static_cast<int>(std::size(kCleanedSignals));

// A slot is claimed, its path written, then listed; the signal handler reads listed
// slots only. Forgetting unlists a slot before it is released for reuse.
char g_paths[kMaxTemporaryFiles][kMaxPathBytes];
std::atomic<bool> g_claimed[kMaxTemporaryFiles];
std::atomic<bool> g_listed[kMaxTemporaryFiles];
struct sigaction g_previous[kSignalCount];
std::once_flag g_installed;

void PassOn(int signal, siginfo_t* info, void* context, const struct sigaction& previous) {
    if ((previous.sa_flags & SA_SIGINFO) != 0 && previous.sa_sigaction != nullptr) {
        previous.sa_sigaction(signal, info, context);
    } else if (previous.sa_handler != SIG_DFL && previous.sa_handler != SIG_IGN) {
        previous.sa_handler(signal);
    } else {
        ::signal(signal, SIG_DFL);
        ::raise(signal);
    }
}

// Async-signal-safe: unlink, signal and raise only.
void RemoveListedFiles(int signal, siginfo_t* info, void* context) {
    for (int i = 0; i < kMaxTemporaryFiles; ++i) {
        if (g_listed[i].load()) ::unlink(g_paths[i]);
    }
    for (int s = 0; s < kSignalCount; ++s) {
        if (kCleanedSignals[s] == signal) PassOn(signal, info, context, g_previous[s]);
    }
}

void InstallHandlers() {
    for (int s = 0; s < kSignalCount; ++s) {
        if (::sigaction(kCleanedSignals[s], nullptr, &g_previous[s]) != 0) continue;
        if ((g_previous[s].sa_flags & SA_SIGINFO) == 0 && g_previous[s].sa_handler == SIG_IGN) continue;
        struct sigaction action {};
        action.sa_sigaction = RemoveListedFiles;
        // Without SA_RESTART: a call the signal interrupts (an open waiting for a FIFO's
        // reader) returns, so that the program can act on the handler it passed the
        // signal to and stop.
        action.sa_flags = SA_SIGINFO;
        sigemptyset(&action.sa_mask);
        ::sigaction(kCleanedSignals[s], &action, nullptr);
    }
    struct sigaction fileSize {};
    if (::sigaction(SIGXFSZ, nullptr, &fileSize) == 0 && (fileSize.sa_flags & SA_SIGINFO) == 0 &&
        fileSize.sa_handler == SIG_DFL) {
        ::signal(SIGXFSZ, SIG_IGN);
    }
}

}  // namespace

int ListTemporaryFile(const char* path) {
    std::call_once(g_installed, InstallHandlers);
    const std::size_t length = std::strlen(path);
    if (length >= static_cast<std::size_t>(kMaxPathBytes)) return -1;
    for (int i = 0; i < kMaxTemporaryFiles; ++i) {
        bool free = false;
        if (!g_claimed[i].compare_exchange_strong(free, true)) continue;
        std::memcpy(g_paths[i], path, length + 1);
        g_listed[i].store(true);
        return i;
    }
    return -1;
}

void ForgetTemporaryFile(int slot) {
    if (slot < 0 || slot >= kMaxTemporaryFiles) return;
    g_listed[slot].store(false);
    g_claimed[slot].store(false);
}

}  // namespace zg::files
