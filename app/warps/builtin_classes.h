// The host's own object classes, to be listed in the class directory beside the
// classes of the plug-in modules.
#pragma once

#include <vector>

#include "host/classdesc.h"

namespace zg::plugins {
class ClassDirectory;
}

namespace zg::warps {

// Gravity, Wind, Vortex, Drag, UniformForce, Barrier, Ripple, Anchor and Point, in
// that order. The descriptors live until the program exits.
const std::vector<host::ClassDesc2*>& BuiltinClasses();

// Lists every one of them in `directory`, in that order: the one way the host's own
// classes join the classes of the loaded modules.
void ListBuiltinClasses(plugins::ClassDirectory& directory);

}  // namespace zg::warps
