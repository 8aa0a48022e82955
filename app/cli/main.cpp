// zentrograph: the host application's command line.
#include "app/cli/program.h"

int main(int argc, char** argv) { return zg::cli::RunProgram(argc, argv); }
