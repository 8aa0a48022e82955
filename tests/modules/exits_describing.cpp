// A module that ends the whole process when asked for its description.
#include <cstdlib>

#define MISBEHAVE_AT 2
#include "tests/modules/misbehaving.h"

void Misbehave() { std::exit(3); }
