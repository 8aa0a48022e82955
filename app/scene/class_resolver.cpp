#include "app/scene/class_resolver.h"

#include <string>

namespace zg::scene {

std::string FileClassName(host::ClassDesc2* desc) {
    if (desc == nullptr) return {};
    if (const char* internal = desc->InternalName(); internal != nullptr && *internal != '\0') return internal;
    const char* name = desc->ClassName();
    return name != nullptr ? name : "";
}

}  // namespace zg::scene
