// ModuleScan: a plug-in module is first loaded in a child process, so that one that
// crashes, hangs, ends the process or throws while it is loaded and listed takes the
// child down and not the host. The child does what loading does (the module file's
// checks, dlopen, the entry routine, LibVersion, LibDescription, LibNumberClasses,
// every LibClassDesc and each descriptor's answers) and unloads the module again;
// only a module that came through is loaded in the host itself.
//
// Verdicts are kept in a cache file by the module file's identity (path, size and
// modification time), so that a module is scanned once, not at every start. The cache
// is written atomically and ignored when it cannot be read or was written by another
// build of the host.
#pragma once

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <map>
#include <string>

namespace zg::plugins {

struct ScanSettings {
    // How long the child may take before it is killed and the module skipped.
    std::chrono::milliseconds limit{10000};
    // Where verdicts are kept; empty: nowhere, every module is scanned.
    std::filesystem::path cacheFile;
};

// $XDG_CACHE_HOME/zentrograph/module-scan.json, else ~/.cache/zentrograph/...; empty
// when neither is known.
std::filesystem::path DefaultScanCacheFile();

struct ScanVerdict {
    bool usable = false;
    // When not usable: one line naming the file and what went wrong.
    std::string problem;
};

// Used on the UI thread only, before any other thread is started: the child is forked.
class ModuleScanner {
public:
    explicit ModuleScanner(ScanSettings settings);
    // Writes the cache when a verdict was added.
    ~ModuleScanner();
    ModuleScanner(const ModuleScanner&) = delete;
    ModuleScanner& operator=(const ModuleScanner&) = delete;

    // The cached verdict on `file`, or one from a child process.
    ScanVerdict Scan(const std::filesystem::path& file);
    // Children run so far.
    int ChildrenRun() const { return childrenRun_; }

private:
    struct Entry {
        std::uintmax_t size = 0;
        std::int64_t mtime = 0;  // nanoseconds
        ScanVerdict verdict;
    };
    void ReadCache();
    void WriteCache() const;

    ScanSettings settings_;
    std::map<std::string, Entry> entries_;  // by absolute path
    bool changed_ = false;
    int childrenRun_ = 0;
};

// Runs the scan of `file` in a child process now, whatever any cache says.
ScanVerdict ScanInChild(const std::filesystem::path& file, std::chrono::milliseconds limit);

}  // namespace zg::plugins
