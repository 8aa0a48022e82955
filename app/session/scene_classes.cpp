#include "app/session/scene_classes.h"

namespace zg::session {

scene::ClassResolver ResolverFor(const plugins::ClassDirectory& directory) {
    scene::ClassResolver resolver;
    resolver.byName = [&directory](std::string_view name) -> host::ClassDesc2* {
        const plugins::ClassEntry* entry = directory.Find(name);
        return entry != nullptr ? entry->desc : nullptr;
    };
    resolver.byId = [&directory](host::SClass_ID superClassId, host::Class_ID classId) -> host::ClassDesc2* {
        const plugins::ClassEntry* entry = directory.Find(superClassId, classId);
        return entry != nullptr ? entry->desc : nullptr;
    };
    return resolver;
}

}  // namespace zg::session
