#include "object/param_rules.h"

#include "object/param_desc.h"

namespace zentrograph {

int IsForceNode(host::SceneNode* node) {
    if (node == nullptr) return 0;
    host::SceneObject* object = node->GetObjectRef();
    if (object == nullptr) return 0;
    host::Object* base = object->FindBaseObject();
    if (base == nullptr) return 0;
    const host::Class_ID classId = base->ClassID();
    const host::SClass_ID superClass = base->SuperClassID();
    if (superClass != host::kWSMObjectSuperClassId) return 0;
    if (classId == host::kBarrierClassId || classId == host::kRippleClassId) return 0;
    return 1;
}

void ZentrographAccessor::Set(host::PB2Value& v, host::ReferenceMaker* /*owner*/, host::ParamID id,
                              int /*tabIndex*/, host::TimeValue /*t*/) {
    switch (id) {
        case kSizeX:
        case kSizeY:
        case kSizeZ:
            // Written so that a value that is not a number passes unchanged.
            if (kSizeMin > v.f) {
                v.f = kSizeMin;
            } else if (v.f > kSizeMax) {
                v.f = kSizeMax;
            }
            break;
        case kResolutionX:
        case kResolutionY:
        case kResolutionZ:
            if (v.i < kResolutionMin) {
                v.i = kResolutionMin;
            } else if (v.i > kResolutionMax) {
                v.i = kResolutionMax;
            }
            break;
        default:
            break;
    }
}

int ZentrographValidator::Validate(host::PB2Value& v, host::ReferenceMaker* /*owner*/, host::ParamID /*id*/,
                                   int /*tabIndex*/) {
    return Validate(v);
}

int ZentrographValidator::Validate(host::PB2Value& v) {
    if (v.node == nullptr) return 0;
    return IsForceNode(v.node);
}

}  // namespace zentrograph
