// The host's own object classes, to be listed in the class directory beside the
// classes of the plug-in modules.
#pragma once

#include <vector>

#include "host/classdesc.h"

namespace zg::warps {

// Gravity, Wind, Vortex, Drag, UniformForce, Barrier, Ripple, Anchor and Point, in
// that order. The descriptors live until the program exits.
const std::vector<host::ClassDesc2*>& BuiltinClasses();

}  // namespace zg::warps
