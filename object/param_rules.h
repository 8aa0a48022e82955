// The rules that parameter block 0 applies to stored values: the accessor clamps
// sizes and resolutions, the validator admits only force-field nodes to forceNodes.
#pragma once

#include "host/classid.h"
#include "host/node.h"
#include "host/paramblock.h"

namespace zentrograph {

// Nonzero when `node` may serve as a force node: the base object under its modifiers is
// a space warp whose class is neither host::kBarrierClassId nor host::kRippleClassId. A null node, or one without an object, is
// refused.
int IsForceNode(host::SceneNode* node);

// Clamps sizes (ids 0 to 2) to [0, 999999] and resolutions (ids 3 to 5) to [1, 999] as
// they are stored; other ids pass unchanged. Stateless: one instance serves every
// object.
class ZentrographAccessor : public host::PBAccessor {
public:
    void Set(host::PB2Value& v, host::ReferenceMaker* owner, host::ParamID id, int tabIndex,
             host::TimeValue t) override;
};

// Accepts the nodes of forceNodes that IsForceNode accepts; refuses an empty entry.
// Stateless: one instance serves every object.
class ZentrographValidator : public host::PBValidator {
public:
    int Validate(host::PB2Value& v, host::ReferenceMaker* owner, host::ParamID id, int tabIndex) override;
    int Validate(host::PB2Value& v) override;
};

}  // namespace zentrograph
