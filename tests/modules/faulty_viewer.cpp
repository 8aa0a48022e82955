// A small field viewer for the validator's tests: right in every way the validator
// checks, unless ZENTROGRAPH_TEST_FAULT names one fault for it to commit. It draws a
// square of `size`, `count` markers when `show` is on, and the summed force of the
// space warps its `nodes` table lists, sampled at its pivot and kept until a change.
#include <cstdlib>
#include <cstring>
#include <new>
#include <stdexcept>
#include <string>

#include "host/forcefield.h"
#include "host/module.h"
#include "host/node.h"
#include "host/objparam.h"
#include "host/paramblock.h"
#include "host/viewport.h"

namespace {

bool Fault(const char* name) {
    const char* fault = std::getenv("ZENTROGRAPH_TEST_FAULT");
    return fault != nullptr && std::strcmp(fault, name) == 0;
}

// The throwing faults say where they were, as a module's own errors often do: in a
// path, with a control character for good measure.
[[noreturn]] void Throw(const char* where) {
    throw std::runtime_error(std::string("/home/someone/secret/") + where + "\x1b[2J failed");
}

constexpr host::Class_ID kViewerId{0x7E57FA01, 0x7E57FA02};
enum : host::ParamID { kSize = 0, kCount = 1, kShow = 2, kNodes = 3 };
constexpr int kAboutDialog = 100;
constexpr int kWebButton = 101;
constexpr float kDrawnForce = 1e5f;  // drawn length of a force, in scene units per force unit

host::HINSTANCE gInstance = nullptr;
float gLastSize = 0.0f;  // the size last stored by any viewer

const host::StringResource kStrings[] = {{1, "A field viewer with faults to order"}};
const host::DialogControl kAboutControls[] = {{kWebButton, "Button", "Web page", 5, 5, 60, 12, 0x50010000, 0, 0}};
const host::DialogTemplate kDialogs[] = {
    {kAboutDialog, 0x50000000, false, 108, 24, "MS Sans Serif", 8, 400, false, 0, kAboutControls, 1}};
const host::ResourceDirectory kResources = {kStrings, 1, kDialogs, 1, nullptr, 0};

host::INT_PTR AboutProc(host::HWND window, host::UINT message, host::WPARAM wParam, host::LPARAM) {
    if (message != host::WM_COMMAND || host::LOWORD(wParam) != kWebButton) return 0;
    if (Fault("throw-rollout")) Throw("rollout");
    if (host::ShellExecuteA(window, nullptr, "https://example.invalid/", nullptr, nullptr, 0) <= 32)
        host::MessageBoxA(nullptr, "No web page", "Error", host::MB_OK);
    return 1;
}

class Viewer;

class ViewerCreate final : public host::CreateMouseCallBack {
public:
    int proc(host::ViewportContext* vpt, int msg, int point, int, host::IPoint2 m, host::Matrix3& mat) override;
    Viewer* viewer = nullptr;
    host::Point3 first;
};
ViewerCreate gCreate;

class ViewerDesc final : public host::ClassDesc2 {
public:
    int IsPublic() override { return 1; }
    host::Animatable* Create(int) override;
    const char* ClassName() override { return "Faulty Viewer"; }
    host::SClass_ID SuperClassID() override { return host::kHelperSuperClassId; }
    host::Class_ID ClassID() override { return kViewerId; }
    const char* Category() override { return "Validator Tests"; }
    const char* InternalName() override { return "FaultyViewer"; }
    host::HINSTANCE HInstance() override { return gInstance; }
};
ViewerDesc gDesc;

class Rules final : public host::PBAccessor {
public:
    void Set(host::PB2Value& v, host::ReferenceMaker*, host::ParamID id, int, host::TimeValue) override {
        if (id == kSize) gLastSize = v.f = v.f < 0 ? 0 : (v.f > 100 ? 100 : v.f);
        if (id == kCount) v.i = v.i < 1 ? 1 : (v.i > 10 ? 10 : v.i);
    }
    void Get(host::PB2Value& v, host::ReferenceMaker*, host::ParamID id, int, host::TimeValue, host::Interval&) override {
        if (id == kSize && Fault("drifting-read")) v.f += 1.0f;
    }
};
class WarpsOnly final : public host::PBValidator {
public:
    int Validate(host::PB2Value& v) override {
        host::SceneObject* object = v.node != nullptr ? v.node->GetObjectRef() : nullptr;
        return object != nullptr && object->SuperClassID() == host::kWSMObjectSuperClassId ? 1 : 0;
    }
};
Rules gRules;
WarpsOnly gWarpsOnly;

host::ParamBlockDesc2 gBlockDesc(
    &gDesc,
    host::BlockDef{.id = 0, .internalName = "Parameters", .flags = host::P_AUTO_CONSTRUCT | host::P_AUTO_UI,
                   .refNumber = 0, .rollout = host::RolloutDef{}},
    {host::ParamDef{.id = kSize, .internalName = "size", .type = host::TYPE_FLOAT,
                    .defaultFloat = Fault("default-range") ? 150.0f : 10.0f, .range = host::ParamRange{0, 100},
                    .accessor = &gRules, .ui = {}},
     host::ParamDef{.id = kCount, .internalName = "count", .type = host::TYPE_INT, .defaultInt = 3,
                    .range = host::ParamRange{1, 10}, .accessor = &gRules, .ui = {}},
     host::ParamDef{.id = kShow, .internalName = "show", .type = host::TYPE_BOOL, .defaultInt = 1,
                    .range = std::nullopt, .ui = {}},
     host::ParamDef{.id = kNodes, .internalName = "nodes", .type = host::TYPE_INODE_TAB,
                    .flags = host::P_VARIABLE_SIZE, .range = std::nullopt, .validator = &gWarpsOnly, .ui = {}}});

class Viewer final : public host::HelperObject {
public:
    Viewer() { gDesc.MakeAutoParamBlocks(this); }
    ~Viewer() override {
        if (gCreate.viewer == this) gCreate.viewer = nullptr;
        DeleteAllRefsFromMe();
    }
    host::Class_ID ClassID() override { return kViewerId; }
    int NumRefs() override { return 1; }
    host::ReferenceTarget* GetReference(int i) override { return i == 0 ? block : nullptr; }
    void SetReference(int i, host::ReferenceTarget* target) override {
        if (i == 0) block = dynamic_cast<host::ParamBlock*>(target);
    }
    int NumParamBlocks() override { return 1; }
    host::ParamBlock* GetParamBlock(int i) override { return i == 0 ? block : nullptr; }
    host::ParamBlock* GetParamBlockByID(int16_t id) override { return block != nullptr && block->ID() == id ? block : nullptr; }
    host::RefResult NotifyRefChanged(const host::Interval&, host::ReferenceTarget*, host::PartID&,
                                     host::RefMessage message) override {
        if (message == host::REFMSG_CHANGE && Fault("throw-edit") && block != nullptr && block->GetFloat(kSize, 0) == 77)
            Throw("edit");
        if (message == host::REFMSG_CHANGE && !Fault("stale-cache")) cached_ = false;
        return host::REF_SUCCEED;
    }
    void WSStateInvalidate() override {
        if (!Fault("stale-cache")) cached_ = false;
    }
    int IsWorldSpaceObject() override { return 1; }
    host::ReferenceTarget* Clone(host::RemapDir& remap) override {
        auto* copy = new (std::nothrow) Viewer();
        if (copy == nullptr) return nullptr;
        copy->ReplaceReference(0, Fault("clone-shares") ? block : block->Clone(remap));
        BaseClone(this, copy, remap);
        return copy;
    }
    host::CreateMouseCallBack* GetCreateMouseCallBack() override {
        gCreate.viewer = this;
        return &gCreate;
    }
    void BeginEditParams(host::IObjParam* ip, unsigned long flags, host::Animatable* prev) override {
        gDesc.BeginEditParams(ip, this, flags, prev);
        about_ = ip->AddRollupPage(gInstance, kAboutDialog, AboutProc, "About");
    }
    void EndEditParams(host::IObjParam* ip, unsigned long flags, host::Animatable* next) override {
        gDesc.EndEditParams(ip, this, flags, next);
        if (!Fault("rollout-leak")) ip->DeleteRollupPage(about_);
    }

    int Display(host::TimeValue t, host::SceneNode* node, host::ViewportContext* vpt, int) override {
        host::GraphicsWindow* gw = Begin(t, node, vpt, 0);
        if (gw == nullptr) return 0;
        if (Fault("throw-display")) Throw("display");
        if (Fault("hang") && block->GetFloat(kSize, t) == 0) {
            for (volatile bool forever = true; forever;) {
            }
        }
        Draw(gw, t);
        gw->setRndLimits(saved_);
        return 0;
    }
    int HitTest(host::TimeValue t, host::SceneNode* node, int type, int crossing, int, host::IPoint2* p,
                host::ViewportContext* vpt) override {
        if (Fault("crash") && block->GetFloat(kSize, t) >= 100) std::abort();
        host::GraphicsWindow* gw = Begin(t, node, vpt, host::kRndPicking);
        if (gw == nullptr) return 0;
        host::HitRegion region;
        host::MakeHitRegion(region, type, crossing, 4, p);
        gw->setHitRegion(&region);
        gw->clearHitCode();
        Draw(gw, t);
        const int hit = gw->checkHitCode();
        gw->setRndLimits(saved_);
        return hit;
    }
    void GetLocalBoundBox(host::TimeValue t, host::SceneNode* node, host::ViewportContext*, host::Box3& box) override {
        Sample(t, node);
        const float half = block->GetFloat(kSize, t) * 0.5f;
        box = host::Box3(host::Point3(-half, -half, 0), host::Point3(half, half, 0));
        box += force_;
    }
    void GetWorldBoundBox(host::TimeValue t, host::SceneNode* node, host::ViewportContext* vpt, host::Box3& box) override {
        GetLocalBoundBox(t, node, vpt, box);
        if (node != nullptr) box = box * node->GetObjectTM(t);
    }

    host::ParamBlock* block = nullptr;

private:
    host::GraphicsWindow* Begin(host::TimeValue t, host::SceneNode* node, host::ViewportContext* vpt, uint32_t extra) {
        Sample(t, node);
        host::GraphicsWindow* gw = vpt != nullptr ? vpt->GetGraphicsWindow() : nullptr;
        if (gw == nullptr) return nullptr;
        gw->setTransform(node != nullptr ? node->GetObjectTM(t) : host::Matrix3());
        saved_ = gw->getRndLimits();
        gw->setRndLimits(saved_ | extra);
        return gw;
    }
    void Draw(host::GraphicsWindow* gw, host::TimeValue t) {
        const float size = Fault("shared-state") ? gLastSize : block->GetFloat(kSize, t);
        const float h = size * 0.5f;
        const host::Point3 square[4] = {{-h, -h, 0}, {h, -h, 0}, {h, h, 0}, {-h, h, 0}};
        gw->polyline(4, square, 1);
        const int count = block->GetInt(kCount, t);
        for (int i = 0; i < count && block->GetInt(kShow, t) != 0; ++i) {
            const float x = Fault("nan-draw") ? size / size * i : size * static_cast<float>(i) / count;
            const host::Point3 at{x, 0, 0};
            gw->marker(&at, host::kMarkerPlus);
        }
        const host::Point3 arrow[2] = {host::Point3(), force_};
        gw->startSegments();
        gw->segment(arrow, 1);
        gw->endSegments();
    }
    // The summed force of the listed warps at the pivot, kept for t until a change.
    void Sample(host::TimeValue t, host::SceneNode* node) {
        if (cached_ && cacheTime_ == t) return;
        force_ = host::Point3();
        const host::Point3 pivot = node != nullptr ? node->GetObjectTM(t).GetTrans() : host::Point3();
        for (int i = 0; i < block->Count(kNodes); ++i) {
            host::SceneNode* warp = block->GetNode(kNodes, t, i);
            if (Fault("stale-node") && warp != nullptr) warp = kept_ != nullptr ? kept_ : (kept_ = warp);
            host::SceneObject* object = warp != nullptr ? warp->GetObjectRef() : nullptr;
            host::ForceField* field = object != nullptr ? object->GetForceField(warp) : nullptr;
            if (field == nullptr) continue;
            force_ += field->Force(t, pivot, host::Point3(), 0) * kDrawnForce;
            field->DeleteThis();
        }
        if (!host::IsFinite(force_)) force_ = host::Point3();
        cached_ = true;
        cacheTime_ = t;
    }

    bool cached_ = false;
    host::TimeValue cacheTime_ = 0;
    host::Point3 force_;
    uint32_t saved_ = 0;
    host::HWND about_ = nullptr;
    host::SceneNode* kept_ = nullptr;  // the first warp listed, kept past its deletion
};

host::Animatable* ViewerDesc::Create(int) {
    if (Fault("create-leak")) host::HeapAlloc(8);
    if (Fault("throw-create")) Throw("create");
    auto* viewer = new (std::nothrow) Viewer();
    if (viewer != nullptr && viewer->block == nullptr) {
        viewer->DeleteThis();
        return nullptr;
    }
    return viewer;
}

int ViewerCreate::proc(host::ViewportContext* vpt, int msg, int point, int, host::IPoint2 m, host::Matrix3& mat) {
    // Once a drag is under way, every message but the points throws, the abort included.
    if (Fault("throw-creation") && msg != host::MOUSE_POINT && msg != host::MOUSE_FREEMOVE) Throw("creation");
    if (viewer == nullptr || msg == host::MOUSE_ABORT) return host::CREATE_ABORT;
    if (msg == host::MOUSE_UNINIT) viewer = nullptr;
    if ((msg != host::MOUSE_POINT && msg != host::MOUSE_MOVE) || viewer == nullptr) return host::CREATE_CONTINUE;
    if (vpt == nullptr) return host::CREATE_ABORT;
    const host::Point3 p = vpt->SnapPoint(m, m);
    if (point == 0) {
        first = p;
        mat.SetTrans(p);
        return host::CREATE_CONTINUE;
    }
    const float distance = host::Length(p - first);
    if (Fault("creation-matrix")) mat.SetRow(0, host::Point3::XAxis * (distance / static_cast<float>(point - 1)));
    viewer->block->SetFloat(kSize, 0, distance + distance);
    return msg == host::MOUSE_POINT && point == 1 ? host::CREATE_STOP : host::CREATE_CONTINUE;
}

}  // namespace

HOST_MODULE_EXPORT const host::ResourceDirectory* HostModuleResources() { return &kResources; }
HOST_MODULE_EXPORT host::BOOL DllMain(host::HINSTANCE instance, host::DWORD reason, void*) {
    if (reason == host::DLL_PROCESS_ATTACH) {
        gInstance = instance;
        if (Fault("unload-leak")) host::HeapAlloc(32);
    }
    return 1;
}
HOST_MODULE_EXPORT const char* LibDescription() { return "A field viewer with faults to order"; }
HOST_MODULE_EXPORT int LibNumberClasses() { return 1; }
HOST_MODULE_EXPORT host::ClassDesc2* LibClassDesc(int i) {
    return i == 0 || (Fault("descriptor-range") && i > 0) ? &gDesc : nullptr;
}
HOST_MODULE_EXPORT unsigned long LibVersion() { return host::kHostInterfaceVersion; }
