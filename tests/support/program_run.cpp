#include "tests/support/program_run.h"

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "tests/support/temp_folder.h"

namespace testsupport {

namespace {

// `text` as one word for the shell.
std::string Quoted(const std::string& text) {
    std::string quoted = "'";
    for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

}  // namespace

ProgramRun RunZentrograph(const std::vector<std::string>& arguments, const std::filesystem::path& folder) {
    // Standard error goes to a file of a folder of its own, apart from the program's.
    TempFolder errFolder;
    const std::filesystem::path errFile = errFolder.Path() / "stderr";
    std::string command;
    if (!folder.empty()) command = "cd " + Quoted(folder.string()) + " && ";
    command += "env -u ZENTROGRAPH_PLUGINS " + Quoted(ZENTROGRAPH_BIN_DIR "/zentrograph");
    for (const std::string& a : arguments) command += " " + Quoted(a);
    command += " 2>" + Quoted(errFile.string());

    ProgramRun run;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return run;
    std::array<char, 4096> buffer;
    while (std::size_t n = std::fread(buffer.data(), 1, buffer.size(), pipe)) run.out.append(buffer.data(), n);
    const int status = pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.err = ReadFile(errFile);
    return run;
}

std::string ReadFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace testsupport
