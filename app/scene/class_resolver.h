// ClassResolver: how scene files find classes without knowing where they come from
// (the host's built-ins or a plug-in module). The application wires it to its class
// directory; tests wire it to whatever classes they need.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "host/classdesc.h"

namespace zg::scene {

struct ClassResolver {
    // The class a scene file names: a built-in class name or a module class's
    // InternalName(). None when unknown.
    std::function<host::ClassDesc2*(std::string_view name)> byName;
    // The class of an object, for writing its name. None when unknown.
    std::function<host::ClassDesc2*(host::SClass_ID superClassId, host::Class_ID classId)> byId;
};

// The name a scene file gives `desc`: its InternalName(), or its ClassName() when it
// has none. Empty when it has neither.
std::string FileClassName(host::ClassDesc2* desc);

}  // namespace zg::scene
