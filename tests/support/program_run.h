// Running the built `zentrograph` program as a user runs it, for end-to-end tests:
// its own default plug-in folder, output on stdout and stderr, and an exit status.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace testsupport {

// What one run of the program left behind.
struct ProgramRun {
    int exitCode = -1;  // -1 when the program could not be started or did not exit
    std::string out;
    std::string err;
};

// Runs the program with `arguments`, each passed as one word, in `folder` (the test's
// own working folder when empty). ZENTROGRAPH_PLUGINS is unset, so the program loads
// its own plug-in folder unless the arguments name another. Nothing is left in
// `folder` but what the program itself writes there.
ProgramRun RunZentrograph(const std::vector<std::string>& arguments, const std::filesystem::path& folder = {});

// The whole content of `file`; empty when it cannot be read.
std::string ReadFile(const std::filesystem::path& file);

}  // namespace testsupport
