#include "app/warps/builtin_classes.h"

#include "app/plugins/class_directory.h"
#include "app/warps/drag.h"
#include "app/warps/gravity.h"
#include "app/warps/inert_warps.h"
#include "app/warps/point_helper.h"
#include "app/warps/uniform_force.h"
#include "app/warps/vortex.h"
#include "app/warps/wind.h"

namespace zg::warps {

const std::vector<host::ClassDesc2*>& BuiltinClasses() {
    static const std::vector<host::ClassDesc2*> classes = {
        GravityClassDesc(), WindClassDesc(),    VortexClassDesc(), DragClassDesc(),  UniformForceClassDesc(),
        BarrierClassDesc(), RippleClassDesc(), AnchorClassDesc(), PointClassDesc(),
    };
    return classes;
}

void ListBuiltinClasses(plugins::ClassDirectory& directory) {
    for (host::ClassDesc2* desc : BuiltinClasses()) directory.AddBuiltin(desc);
}

}  // namespace zg::warps
