// ZentrographClassDesc: the class descriptor through which the host lists and
// creates Zentrograph objects.
#pragma once

#include "host/classdesc.h"

namespace zentrograph {

class ZentrographClassDesc : public host::ClassDesc2 {
public:
    int IsPublic() override;
    // A new object with its parameter block; none, with nothing left allocated, when
    // the object or its block cannot be allocated. `loading` is not consulted.
    host::Animatable* Create(int loading) override;
    // The next two hand over the module's shared string buffer.
    const char* ClassName() override;
    host::SClass_ID SuperClassID() override;
    host::Class_ID ClassID() override;
    const char* Category() override;
    const char* InternalName() override;
    host::HINSTANCE HInstance() override;
};

// The module's one class descriptor. Built on first use, which is the construction
// of the parameter block description at module load, so it is built before that
// description and destroyed after it at unload.
ZentrographClassDesc& TheZentrographClassDesc();

}  // namespace zentrograph
