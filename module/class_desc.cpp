#include "module/class_desc.h"

#include <new>

#include "module/instance.h"
#include "object/zentrograph.h"
#include "resources/resource_ids.h"

namespace zentrograph {

int ZentrographClassDesc::IsPublic() { return 1; }

host::Animatable* ZentrographClassDesc::Create(int /*loading*/) {
    Zentrograph* object = new (std::nothrow) Zentrograph();
    if (object == nullptr) return nullptr;
    if (object->pblock == nullptr) {
        object->DeleteThis();
        return nullptr;
    }
    return object;
}

const char* ZentrographClassDesc::ClassName() { return GetString(IDS_CLASS_NAME); }

host::SClass_ID ZentrographClassDesc::SuperClassID() { return host::kHelperSuperClassId; }

host::Class_ID ZentrographClassDesc::ClassID() { return kZentrographClassID; }

const char* ZentrographClassDesc::Category() { return GetString(IDS_CATEGORY); }

// A fixed name that does not depend on the string table.
const char* ZentrographClassDesc::InternalName() { return "Zentrograph"; }

host::HINSTANCE ZentrographClassDesc::HInstance() { return hInstance; }

ZentrographClassDesc& TheZentrographClassDesc() {
    static ZentrographClassDesc classDesc;
    return classDesc;
}

}  // namespace zentrograph
