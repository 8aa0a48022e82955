// A module whose entry routine dies of a bad memory access when it is attached.
#include <csignal>

#define MISBEHAVE_AT 1
#include "tests/modules/misbehaving.h"

void Misbehave() { std::raise(SIGSEGV); }
