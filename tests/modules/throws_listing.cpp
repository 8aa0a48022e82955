// A module whose class descriptor lookup throws, with a message naming a private path.
#include <stdexcept>

#define MISBEHAVE_AT 4
#include "tests/modules/misbehaving.h"

void Misbehave() { throw std::runtime_error("cannot open /home/someone/secret.cfg"); }
