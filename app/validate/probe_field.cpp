#include "app/validate/probe_field.h"

#include <cmath>
#include <limits>
#include <new>

#include "host/forcefield.h"
#include "host/node.h"

namespace zg::validate {

class ProbeField::Field final : public host::ForceField {
public:
    Field(ProbeField& owner, host::SceneNode* node) : owner_(owner), kind_(owner.kind_), phase_(owner.phase_) {
        if (node != nullptr) origin_ = node->GetObjectTM(0).GetTrans();
        ++owner_.made_;
    }

    host::Point3 Force(host::TimeValue t, const host::Point3& pos, const host::Point3&, int index) override {
        if (kind_ == FieldKind::kHuge) return {1e37f, -1e37f, 5e36f};
        if (kind_ == FieldKind::kNonFinite && index % 3 == 0) return {std::numeric_limits<float>::quiet_NaN(), 0, 0};
        if (kind_ == FieldKind::kNonFinite && index % 3 == 1) return {0, std::numeric_limits<float>::infinity(), 0};
        const host::Point3 p = pos - origin_;
        const float seconds = static_cast<float>(t) / host::kTicksPerSecond;
        return host::Point3(std::sin(0.9f * p.y + phase_ + seconds), std::cos(0.7f * p.x - phase_),
                            0.25f + 0.5f * std::sin(0.3f * p.z + 2.0f * seconds)) *
               host::kForceUnit;
    }

private:
    ProbeField& owner_;
    FieldKind kind_;
    float phase_;
    host::Point3 origin_;
};

host::ForceField* ProbeField::GetForceField(host::SceneNode* node) { return new (std::nothrow) Field(*this, node); }

void ProbeField::SetKind(FieldKind kind) {
    kind_ = kind;
    NotifyDependents(host::FOREVER, host::PART_OBJECT, host::REFMSG_CHANGE);
}

void ProbeField::Shift() {
    phase_ += 0.75f;
    NotifyDependents(host::FOREVER, host::PART_OBJECT, host::REFMSG_CHANGE);
}

namespace {

class ProbeFieldDesc final : public host::ClassDesc2 {
public:
    int IsPublic() override { return 0; }
    host::Animatable* Create(int) override { return new (std::nothrow) ProbeField(); }
    const char* ClassName() override { return "Validation Field"; }
    host::SClass_ID SuperClassID() override { return host::kWSMObjectSuperClassId; }
    host::Class_ID ClassID() override { return kProbeFieldClassId; }
    const char* Category() override { return "Validation"; }
    const char* InternalName() override { return "ValidationField"; }
};

}  // namespace

host::ClassDesc2& ProbeFieldClass() {
    static ProbeFieldDesc desc;
    return desc;
}

}  // namespace zg::validate
