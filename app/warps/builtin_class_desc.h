// BuiltinClassDesc: the class descriptor of one of the host's own object classes.
// Built-in classes are public, offered in the create panel under their category, and
// use their class name as the internal name that scene files give.
#pragma once

#include "host/classdesc.h"

namespace zg::warps {

class BuiltinClassDesc : public host::ClassDesc2 {
public:
    // Makes a new object of the class, or none when memory ran out.
    using Factory = host::Animatable* (*)();

    BuiltinClassDesc(const char* name, host::SClass_ID superClassId, host::Class_ID classId, const char* category,
                     Factory factory)
        : name_(name), superClassId_(superClassId), classId_(classId), category_(category), factory_(factory) {}

    int IsPublic() override { return 1; }
    host::Animatable* Create(int) override { return factory_(); }
    const char* ClassName() override { return name_; }
    host::SClass_ID SuperClassID() override { return superClassId_; }
    host::Class_ID ClassID() override { return classId_; }
    const char* Category() override { return category_; }
    const char* InternalName() override { return name_; }

private:
    const char* name_;
    host::SClass_ID superClassId_;
    host::Class_ID classId_;
    const char* category_;
    Factory factory_;
};

// Categories of the create panel.
inline constexpr const char* kForcesCategory = "Forces";
inline constexpr const char* kSpaceWarpsCategory = "Space Warps";
inline constexpr const char* kHelpersCategory = "Helpers";

}  // namespace zg::warps
