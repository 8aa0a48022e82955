// The validation field: a space warp of the validator's own that objects under test
// list as a force node. Its force varies with position and time, so a drawing made
// from stale samples shows; it counts the fields and forces asked of it; and it can be
// told to answer forces far beyond any real field, or not finite at all.
#pragma once

#include "host/classdesc.h"
#include "host/object.h"

namespace zg::validate {

inline constexpr host::Class_ID kProbeFieldClassId{0x5A47F1E1, 0x7A11DA7E};

enum class FieldKind {
    kSmooth,     // about one force unit, varying smoothly in space and time
    kHuge,       // 1e37 scene units per tick squared everywhere
    kNonFinite,  // NaN at every third sample index, infinity at the next, else smooth
};

class ProbeField final : public host::WSMObject {
public:
    host::Class_ID ClassID() override { return kProbeFieldClassId; }
    void GetClassName(host::CStr& name) override { name = "Validation Field"; }
    host::ForceField* GetForceField(host::SceneNode* node) override;

    // Each tells the field's dependents that it changed (PART_OBJECT).
    void SetKind(FieldKind kind);
    void Shift();  // moves the pattern of its smooth force

    int FieldsMade() const { return made_; }

private:
    class Field;
    friend class Field;

    FieldKind kind_ = FieldKind::kSmooth;
    float phase_ = 0.0f;
    int made_ = 0;
};

// The class of the validation field, with the internal name "ValidationField", so
// that scene files can hold it. Lives until the program exits.
host::ClassDesc2& ProbeFieldClass();

}  // namespace zg::validate
