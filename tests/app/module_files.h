// The module files the loader tests open, and a record of the entry-routine calls the
// test modules (tests/modules/) receive.
#pragma once

#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include "host/platform.h"
#include "tests/support/temp_folder.h"

namespace loadertest {

inline std::filesystem::path ZentrographModule() {
    return std::filesystem::path(ZENTROGRAPH_PLUGIN_DIR) / "Zentrograph.dlo";
}

// tests/modules/<name>.cpp, built.
inline std::filesystem::path TestModule(std::string_view name) {
    return std::filesystem::path(ZENTROGRAPH_TEST_MODULE_DIR) / (std::string(name) + ".dlo");
}

// Bytes that no loader takes for a shared object, long enough to hold an ELF header.
inline std::string Garbage() {
    std::string bytes;
    while (bytes.size() < 512) bytes += "not a module, just bytes ";
    return bytes;
}

// Whether the process still has `file` open as a shared object.
inline bool StillLoaded(const std::filesystem::path& file) {
    void* handle = dlopen(file.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (handle == nullptr) return false;
    dlclose(handle);
    return true;
}

struct EntryCall {
    unsigned reason;
    host::HINSTANCE instance;
    bool operator==(const EntryCall&) const = default;
};

// While it lives, the test modules log their entry-routine calls to a file of its own.
class EntryLog {
public:
    EntryLog() : file_(folder_.Path() / "entry.log") {
        setenv("ZENTROGRAPH_TEST_MODULE_LOG", file_.c_str(), 1);
    }
    ~EntryLog() { unsetenv("ZENTROGRAPH_TEST_MODULE_LOG"); }

    std::vector<EntryCall> Calls() const {
        std::vector<EntryCall> calls;
        std::ifstream in(file_);
        std::string line;
        while (std::getline(in, line)) {
            unsigned reason = 0;
            void* instance = nullptr;
            if (std::sscanf(line.c_str(), "%u %p", &reason, &instance) == 2) {
                calls.push_back({reason, static_cast<host::HINSTANCE>(instance)});
            }
        }
        return calls;
    }

private:
    testsupport::TempFolder folder_;
    std::filesystem::path file_;
};

}  // namespace loadertest
