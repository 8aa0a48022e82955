// A class descriptor and a command panel for the parameter-block tests: the descriptor
// offers FakeHelperObject, the panel records the rollouts it was asked to show.
#pragma once

#include <vector>

#include "host/classdesc.h"
#include "host/objparam.h"
#include "host/paramblock.h"
#include "tests/support/host_fakes.h"

namespace hosttest {

class TestClassDesc : public host::ClassDesc2 {
public:
    int IsPublic() override { return 1; }
    host::Animatable* Create(int) override { return new (std::nothrow) hostfakes::FakeHelperObject; }
    const char* ClassName() override { return "FakeHelper"; }
    host::SClass_ID SuperClassID() override { return host::kHelperSuperClassId; }
    host::Class_ID ClassID() override { return hostfakes::FakeHelperObject::kClassId; }
    const char* Category() override { return "Tests"; }
};

// One CreateParamRollout call as the panel saw it.
struct RolloutRequest {
    host::ClassDesc2* cd;
    host::ParamBlockDesc2* desc;
    host::ParamBlock* block;
    host::HWND window;
};

class RecordingPanel : public host::IObjParam {
public:
    host::HWND GetMainWindow() override { return nullptr; }
    host::TimeValue GetTime() override { return 0; }
    host::HWND AddRollupPage(host::HINSTANCE, int, host::DlgProc, const char*, host::LPARAM, host::DWORD,
                             int) override {
        return NextWindow();
    }
    void DeleteRollupPage(host::HWND) override {}
    host::HWND CreateParamRollout(host::ClassDesc2* cd, host::ParamBlockDesc2* desc,
                                  host::ParamBlock* block) override {
        const host::HWND w = NextWindow();
        created.push_back({cd, desc, block, w});
        return w;
    }
    void DestroyParamRollout(host::HWND rollup) override { destroyed.push_back(rollup); }

    std::vector<RolloutRequest> created;
    std::vector<host::HWND> destroyed;

private:
    host::HWND NextWindow() { return reinterpret_cast<host::HWND>(++windows_ * 16); }
    uintptr_t windows_ = 0;
};

}  // namespace hosttest
