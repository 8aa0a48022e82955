// The exports of a test module that misbehaves at one step of being loaded and
// listed: the including file defines Misbehave() and names the step it happens at
// with MISBEHAVE_AT before including this. Every other step answers as a sound
// module with one class would.
#pragma once

#include "host/module.h"

#ifndef MISBEHAVE_AT
#error "name the step: MISBEHAVE_AT_ATTACH, _DESCRIPTION, _COUNT or _CLASS"
#endif

void Misbehave();

namespace {

const host::ResourceDirectory kResources = {nullptr, 0, nullptr, 0, nullptr, 0};

class PlainDesc : public host::ClassDesc2 {
public:
    int IsPublic() override { return 1; }
    host::Animatable* Create(int) override { return nullptr; }
    const char* ClassName() override { return "Plain"; }
    host::SClass_ID SuperClassID() override { return host::kHelperSuperClassId; }
    host::Class_ID ClassID() override { return host::Class_ID(0x5CA1, 0x5CA2); }
    const char* Category() override { return "Misbehaving"; }
    const char* InternalName() override { return "Plain"; }
};

PlainDesc gPlain;

constexpr bool At(int step) { return MISBEHAVE_AT == step; }

}  // namespace

#define MISBEHAVE_AT_ATTACH 1
#define MISBEHAVE_AT_DESCRIPTION 2
#define MISBEHAVE_AT_COUNT 3
#define MISBEHAVE_AT_CLASS 4

HOST_MODULE_EXPORT const host::ResourceDirectory* HostModuleResources() { return &kResources; }
HOST_MODULE_EXPORT host::BOOL DllMain(host::HINSTANCE, host::DWORD reason, void*) {
    if (At(MISBEHAVE_AT_ATTACH) && reason == host::DLL_PROCESS_ATTACH) Misbehave();
    return 1;
}
HOST_MODULE_EXPORT const char* LibDescription() {
    if (At(MISBEHAVE_AT_DESCRIPTION)) Misbehave();
    return "misbehaves while it is loaded";
}
HOST_MODULE_EXPORT int LibNumberClasses() {
    if (At(MISBEHAVE_AT_COUNT)) Misbehave();
    return 1;
}
HOST_MODULE_EXPORT host::ClassDesc2* LibClassDesc(int i) {
    if (At(MISBEHAVE_AT_CLASS)) Misbehave();
    return i == 0 ? &gPlain : nullptr;
}
HOST_MODULE_EXPORT unsigned long LibVersion() { return host::kHostInterfaceVersion; }
