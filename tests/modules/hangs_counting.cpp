// A module that never answers how many classes it offers.
#include <unistd.h>

#define MISBEHAVE_AT 3
#include "tests/modules/misbehaving.h"

void Misbehave() {
    for (;;) pause();
}
