#include "app/plugins/module_scan.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fmt/format.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <memory>
#include <optional>
#include <set>
#include <sstream>

#include "app/files/child_report.h"
#include "app/files/input_file.h"
#include "app/files/output_file.h"
#include "app/plugins/class_directory.h"
#include "app/plugins/plugin_module.h"
#include "app/text/json.h"
#include "app/text/json_reader.h"
#include "app/text/one_line.h"
#include "host/platform.h"

namespace zg::plugins {

namespace fs = std::filesystem;

namespace {

using text::Json;

// A cache larger than this was not written by this program.
constexpr std::size_t kMaxCacheBytes = std::size_t{4} << 20;
// The cache nests three levels: the document, its module list, each module.
constexpr std::size_t kMaxCacheNesting = 8;
constexpr int kCacheFormat = 1;

std::string HostKey() { return fmt::format("{} {:#x}", ZENTROGRAPH_VERSION, host::kHostInterfaceVersion); }

void Send(int fd, std::string_view line) {
    const std::string text = fmt::format("{}\n", text::OneLine(line));
    for (std::size_t done = 0; done < text.size();) {
        const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
        done += static_cast<std::size_t>(n);
    }
}

// The child's side: loads and lists the module as the host would, then unloads it.
// Lines: "step WHAT" before each step, then "pass", "fail LINE" or "throw".
[[noreturn]] void ScanChild(const fs::path& file, int fd) {
    // Nothing the module prints reaches the parent's output.
    const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (null >= 0) {
        ::dup2(null, STDOUT_FILENO);
        ::dup2(null, STDERR_FILENO);
    }
    // A module that faults ends this child by that signal, whatever handlers the parent
    // had installed, so the report names the fault rather than a handler's exit.
    for (int fault : {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT}) ::signal(fault, SIG_DFL);
    try {
        Send(fd, "step loading");
        std::string error;
        std::unique_ptr<PluginModule> module = PluginModule::Load(file, error);
        if (module == nullptr) {
            Send(fd, "fail " + error);
            _exit(0);
        }
        Send(fd, "step listing its classes");
        const int count = std::min(module->NumClasses(), kMaxClassesPerModule);
        for (int i = 0; i < count; ++i)
            if (host::ClassDesc2* desc = module->ClassAt(i)) ReadClassFacts(*desc);
        Send(fd, "step unloading");
        module.reset();
        Send(fd, "pass");
    } catch (...) {
        Send(fd, "throw");
    }
    std::fflush(nullptr);
    // No exit handlers: they belong to the parent.
    _exit(0);
}

std::string SignalName(int signal) {
    const char* abbrev = sigabbrev_np(signal);
    return abbrev != nullptr ? fmt::format("SIG{}", abbrev) : fmt::format("signal {}", signal);
}

}  // namespace

fs::path DefaultScanCacheFile() {
    const char* cache = std::getenv("XDG_CACHE_HOME");
    fs::path folder;
    if (cache != nullptr && *cache == '/') {
        folder = cache;
    } else if (const char* home = std::getenv("HOME"); home != nullptr && *home == '/') {
        folder = fs::path(home) / ".cache";
    } else {
        return {};
    }
    return folder / "zentrograph" / "module-scan.json";
}

ScanVerdict ScanInChild(const fs::path& file, std::chrono::milliseconds limit) {
    const std::string shown = file.string();
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0)
        return {false, fmt::format("{}: skipped: no pipe to scan it in a child process: {}", shown, std::strerror(errno))};
    // What is buffered now must not be written twice, once by each process.
    std::cout.flush();
    std::cerr.flush();
    std::fflush(nullptr);
    const pid_t pid = ::fork();
    if (pid < 0) {
        ::close(fds[0]);
        ::close(fds[1]);
        return {false, fmt::format("{}: skipped: no child process to scan it in: {}", shown, std::strerror(errno))};
    }
    if (pid == 0) {
        ::close(fds[0]);
        ScanChild(file, fds[1]);
    }
    ::close(fds[1]);

    std::string step;
    std::optional<std::string> result;
    const files::ChildEnd end = files::ReadChildReport(fds[0], pid, limit, [&](const std::string& line) {
        if (line.starts_with("step "))
            step = line.substr(5);
        else if (!result)
            result = line;
    });
    const bool timedOut = end.timedOut;
    const int status = end.status;

    const std::string where = step.empty() ? std::string() : fmt::format(" while {}", step);
    if (timedOut)
        return {false, fmt::format("{}: skipped: the module was still {} after {} and was stopped", shown,
                                   step.empty() ? "starting" : step, files::LimitText(limit))};
    if (WIFSIGNALED(status))
        return {false, fmt::format("{}: skipped: the module crashed with {}{}", shown, SignalName(WTERMSIG(status)), where)};
    if (result == "pass" && WIFEXITED(status) && WEXITSTATUS(status) == 0) return {true, {}};
    if (result && result->starts_with("fail ")) return {false, result->substr(5)};
    if (result == "throw") return {false, fmt::format("{}: skipped: the module threw an exception{}", shown, where)};
    return {false, fmt::format("{}: skipped: the module ended the process (exit status {}){}", shown,
                               WIFEXITED(status) ? WEXITSTATUS(status) : -1, where)};
}

ModuleScanner::ModuleScanner(ScanSettings settings) : settings_(std::move(settings)) { ReadCache(); }

ModuleScanner::~ModuleScanner() {
    if (changed_) WriteCache();
}

ScanVerdict ModuleScanner::Scan(const fs::path& file) {
    std::error_code ec;
    const std::string key = fs::absolute(file, ec).lexically_normal().string();
    struct stat info {};
    if (ec || ::stat(file.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return ScanInChild(file, settings_.limit);
    Entry identity;
    identity.size = static_cast<std::uintmax_t>(info.st_size);
    identity.mtime = static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
    if (const auto it = entries_.find(key);
        it != entries_.end() && it->second.size == identity.size && it->second.mtime == identity.mtime)
        return it->second.verdict;
    identity.verdict = ScanInChild(file, settings_.limit);
    ++childrenRun_;
    if (!settings_.cacheFile.empty()) {
        entries_[key] = identity;
        changed_ = true;
    }
    return identity.verdict;
}

void ModuleScanner::ReadCache() {
    if (settings_.cacheFile.empty()) return;
    std::string error;
    std::istringstream none;
    const std::optional<std::string> contents =
        files::ReadInputFile(settings_.cacheFile, kMaxCacheBytes, none, error);
    if (!contents) return;
    text::JsonTextError refused;
    const std::optional<Json> read = text::ReadJsonText(*contents, kMaxCacheNesting, refused);
    // Anything but this build's own cache is ignored as a whole.
    if (!read) return;
    const Json& doc = *read;
    if (!doc.is_object() || doc.value("zentrographModuleScan", 0) != kCacheFormat || doc.value("host", "") != HostKey() ||
        !doc.contains("modules") || !doc["modules"].is_array())
        return;
    for (const Json& m : doc["modules"]) {
        if (!m.is_object() || !m.contains("path") || !m["path"].is_string() || !m.contains("size") ||
            !m["size"].is_number_unsigned() || !m.contains("mtime") || !m["mtime"].is_number_integer() ||
            !m.contains("usable") || !m["usable"].is_boolean() || !m.contains("problem") || !m["problem"].is_string())
            continue;
        Entry entry;
        entry.size = m["size"].get<std::uintmax_t>();
        entry.mtime = m["mtime"].get<std::int64_t>();
        entry.verdict = {m["usable"].get<bool>(), m["problem"].get<std::string>()};
        entries_[m["path"].get<std::string>()] = std::move(entry);
    }
}

void ModuleScanner::WriteCache() const {
    Json modules = Json::array();
    for (const auto& [path, entry] : entries_) {
        // Verdicts on files that are gone are dropped.
        std::error_code ec;
        if (!fs::exists(path, ec)) continue;
        modules.push_back({{"path", path},
                           {"size", entry.size},
                           {"mtime", entry.mtime},
                           {"usable", entry.verdict.usable},
                           {"problem", entry.verdict.problem}});
    }
    const Json doc = {{"zentrographModuleScan", kCacheFormat}, {"host", HostKey()}, {"modules", std::move(modules)}};
    std::error_code ec;
    fs::create_directories(settings_.cacheFile.parent_path(), ec);
    // A cache that cannot be written costs a scan at the next start, nothing else.
    std::string error;
    files::WriteFile(settings_.cacheFile, doc.dump(1, ' ', false, Json::error_handler_t::replace) + "\n", error);
}

}  // namespace zg::plugins
