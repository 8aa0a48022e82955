// A sound module that prints on standard output while it is loaded: from a static
// constructor and from its entry routine.
#include <cstdio>

#define MISBEHAVE_AT 1
#include "tests/modules/misbehaving.h"

namespace {
struct Chatty {
    Chatty() { std::printf("prints_loading: hello from a static constructor\n"); }
} gChatty;
}  // namespace

void Misbehave() {
    std::printf("prints_loading: attached\n");
    std::fflush(stdout);
}
