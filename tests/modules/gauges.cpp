// A sound module with three class slots: a complete class, an empty slot, and a class
// whose descriptor answers none for every string. Its description comes from its own
// string table through the instance handle the entry routine received.
#include "host/module.h"
#include "tests/modules/entry_log.h"

namespace {

host::HINSTANCE gInstance = nullptr;
char gDescription[64];

const host::StringResource kStrings[] = {{1, "Gauges for the loader tests"}};
const host::ResourceDirectory kResources = {kStrings, 1, nullptr, 0, nullptr, 0};

class RingGaugeDesc : public host::ClassDesc2 {
public:
    int IsPublic() override { return 1; }
    host::Animatable* Create(int) override { return nullptr; }
    const char* ClassName() override { return "Ring Gauge"; }
    host::SClass_ID SuperClassID() override { return host::kHelperSuperClassId; }
    host::Class_ID ClassID() override { return host::Class_ID(0x11, 0x22); }
    const char* Category() override { return "Gauges"; }
    const char* InternalName() override { return "RingGauge"; }
    host::HINSTANCE HInstance() override { return gInstance; }
};

class SilentDesc : public host::ClassDesc2 {
public:
    int IsPublic() override { return 0; }
    host::Animatable* Create(int) override { return nullptr; }
    const char* ClassName() override { return nullptr; }
    host::SClass_ID SuperClassID() override { return host::kWSMObjectSuperClassId; }
    host::Class_ID ClassID() override { return host::Class_ID(0x33, 0x44); }
    const char* Category() override { return nullptr; }
    const char* InternalName() override { return nullptr; }
};

RingGaugeDesc gRingGauge;
SilentDesc gSilent;

}  // namespace

HOST_MODULE_EXPORT const host::ResourceDirectory* HostModuleResources() { return &kResources; }

HOST_MODULE_EXPORT host::BOOL DllMain(host::HINSTANCE instance, host::DWORD reason, void*) {
    test_module::LogEntry(instance, reason);
    if (reason == host::DLL_PROCESS_ATTACH) gInstance = instance;
    return 1;
}

HOST_MODULE_EXPORT const char* LibDescription() {
    return host::LoadStringA(gInstance, 1, gDescription, sizeof gDescription) > 0 ? gDescription : nullptr;
}

HOST_MODULE_EXPORT int LibNumberClasses() { return 3; }

HOST_MODULE_EXPORT host::ClassDesc2* LibClassDesc(int i) {
    switch (i) {
        case 0: return &gRingGauge;
        case 2: return &gSilent;
        default: return nullptr;
    }
}

HOST_MODULE_EXPORT unsigned long LibVersion() { return host::kHostInterfaceVersion; }
