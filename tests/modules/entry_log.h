// For the test modules: each entry-routine call appends "<reason> <instance>" as one
// line to the file named by ZENTROGRAPH_TEST_MODULE_LOG, so that a test can see the
// calls a module received after the module is gone.
#pragma once

#include <cstdio>
#include <cstdlib>

#include "host/platform.h"

namespace test_module {

inline void LogEntry(host::HINSTANCE instance, host::DWORD reason) {
    const char* path = std::getenv("ZENTROGRAPH_TEST_MODULE_LOG");
    if (path == nullptr || *path == '\0') return;
    if (std::FILE* log = std::fopen(path, "a")) {
        std::fprintf(log, "%u %p\n", static_cast<unsigned>(reason), static_cast<void*>(instance));
        std::fclose(log);
    }
}

}  // namespace test_module
