// ClassDesc2: how a module describes a class it offers, creates its objects and
// builds their parameter blocks and rollouts.
//
// The host calls a descriptor on the UI thread only, while the module is loaded. The
// descriptor does not own the block descriptions joined to it: each description leaves
// it when it is destroyed.
#pragma once

#include <cstdint>
#include <vector>

#include "host/classid.h"
#include "host/heap.h"
#include "host/platform.h"
#include "host/reference.h"

namespace host {

class ParamBlockDesc2;
class IObjParam;
using BlockID = int16_t;  // as in host/paramblock.h

// One per class, a module-global of the module that offers the class. The host reads
// it while the module is loaded; the module destroys it at unload.
class ClassDesc2 : public HostHeap {
public:
    ClassDesc2() = default;
    virtual ~ClassDesc2();
    ClassDesc2(const ClassDesc2&) = delete;
    ClassDesc2& operator=(const ClassDesc2&) = delete;

    // 1 when the class is offered in the create panel.
    virtual int IsPublic() = 0;
    // A new object of the class, owned by the caller (released with DeleteThis); none
    // when it cannot be made. `loading` is set while a scene file is read.
    virtual Animatable* Create(int loading = 0) = 0;
    virtual const char* ClassName() = 0;
    virtual SClass_ID SuperClassID() = 0;
    virtual Class_ID ClassID() = 0;
    virtual const char* Category() = 0;
    // A fixed name that scene files use; none when the class has none.
    virtual const char* InternalName();
    // The module that offers the class, whose resources its descriptions name.
    virtual HINSTANCE HInstance();

    // Parameter block descriptions joined to the class, in the order they joined.
    void AddParamBlockDesc(ParamBlockDesc2* desc);
    void RemoveParamBlockDesc(ParamBlockDesc2* desc);
    int NumParamBlockDescs() const { return static_cast<int>(descs_.size()); }
    ParamBlockDesc2* GetParamBlockDesc(int i) const;
    ParamBlockDesc2* GetParamBlockDescByID(BlockID id) const;

    // Builds every P_AUTO_CONSTRUCT block with its defaults and installs it in `owner`
    // through ReplaceReference(refNumber). A block that cannot be allocated is left out
    // and the owner's reference stays empty.
    void MakeAutoParamBlocks(ReferenceMaker* owner);

    // Shows, and removes, the generated rollouts of `owner`'s P_AUTO_UI blocks through
    // `ip`'s panel.
    virtual void BeginEditParams(IObjParam* ip, ReferenceMaker* owner, unsigned long flags, Animatable* prev);
    virtual void EndEditParams(IObjParam* ip, ReferenceMaker* owner, unsigned long flags, Animatable* next);

private:
    std::vector<ParamBlockDesc2*> descs_;
    struct OpenRollout {
        ReferenceMaker* owner;
        HWND window;
    };
    std::vector<OpenRollout> rollouts_;
};

}  // namespace host
