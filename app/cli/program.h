// The program's entry: the command line read and the command it names run. Kept apart
// from the command-line library's header, so that main() compiles in a moment.
#pragma once

namespace zg::cli {

// Runs the command `argv` names, writing to the standard streams; answers the
// process's exit status.
int RunProgram(int argc, char** argv);

}  // namespace zg::cli
