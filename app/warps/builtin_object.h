// BuiltinObject: what every built-in object class shares: parameter block 0 held as
// reference 0 and built from the class description, identity from the class
// descriptor, cloning, and display, picking and bounds through the class's icon.
//
// A change of a parameter reaches the object from its block and travels on, through the
// reference system, to the object's dependents (the nodes showing it) and theirs.
#pragma once

#include <new>

#include "app/warps/icon.h"
#include "host/classdesc.h"
#include "host/node.h"
#include "host/object.h"
#include "host/paramblock.h"

namespace zg::warps {

// `Base` is host::WSMObject or host::HelperObject.
template <class Base>
class BuiltinObject : public Base {
public:
    explicit BuiltinObject(host::ClassDesc2* desc) : desc_(desc) { desc_->MakeAutoParamBlocks(this); }
    ~BuiltinObject() override { this->DeleteAllRefsFromMe(); }

    host::SClass_ID SuperClassID() override { return desc_->SuperClassID(); }
    host::Class_ID ClassID() override { return desc_->ClassID(); }
    void GetClassName(host::CStr& name) override { name = desc_->ClassName(); }
    const char* GetObjectName() override { return desc_->ClassName(); }
    int UsesWireColor() override { return 1; }

    int NumSubs() override { return 1; }
    host::Animatable* SubAnim(int i) override { return i == 0 ? pblock_ : nullptr; }
    host::CStr SubAnimName(int i) override { return i == 0 ? "Parameters" : ""; }
    int NumParamBlocks() override { return 1; }
    host::ParamBlock* GetParamBlock(int i) override { return i == 0 ? pblock_ : nullptr; }
    host::ParamBlock* GetParamBlockByID(int16_t id) override {
        return pblock_ != nullptr && pblock_->ID() == id ? pblock_ : nullptr;
    }

    // Editing: the host's own layout of the block in the command panel.
    void BeginEditParams(host::IObjParam* ip, unsigned long flags, host::Animatable* prev) override {
        desc_->BeginEditParams(ip, this, flags, prev);
    }
    void EndEditParams(host::IObjParam* ip, unsigned long flags, host::Animatable* next) override {
        desc_->EndEditParams(ip, this, flags, next);
    }

    int NumRefs() override { return 1; }
    host::ReferenceTarget* GetReference(int i) override { return i == 0 ? pblock_ : nullptr; }
    void SetReference(int i, host::ReferenceTarget* target) override {
        if (i != 0) return;
        const bool isBlock = target != nullptr && target->SuperClassID() == host::kParamBlockSuperClassId;
        pblock_ = isBlock ? static_cast<host::ParamBlock*>(target) : nullptr;
    }

    // A new object of the same class with a copy of this one's parameters.
    host::ReferenceTarget* Clone(host::RemapDir& remap) override {
        host::Animatable* made = desc_->Create(0);
        if (made == nullptr) return nullptr;
        auto* copy = static_cast<BuiltinObject*>(made);
        if (pblock_ != nullptr) {
            host::ReferenceTarget* block = pblock_->Clone(remap);
            if (block == nullptr) {
                copy->DeleteThis();
                return nullptr;
            }
            copy->ReplaceReference(0, block, true);
        }
        this->BaseClone(this, copy, remap);
        return copy;
    }

    int Display(host::TimeValue t, host::SceneNode* node, host::ViewportContext* vpt, int) override {
        if (node == nullptr) return 0;
        Icon icon;
        BuildIcon(t, icon);
        return DisplayIcon(icon, IconTransform(t, node), node, vpt);
    }
    int HitTest(host::TimeValue t, host::SceneNode* node, int type, int crossing, int, host::IPoint2* p,
                host::ViewportContext* vpt) override {
        if (node == nullptr) return 0;
        Icon icon;
        BuildIcon(t, icon);
        return HitTestIcon(icon, IconTransform(t, node), type, crossing, p, vpt);
    }
    // The world box of the icon; the viewport is not used.
    void GetWorldBoundBox(host::TimeValue t, host::SceneNode* node, host::ViewportContext*, host::Box3& box) override {
        box.Init();
        if (node == nullptr) return;
        Icon icon;
        BuildIcon(t, icon);
        box = icon.Bounds() * IconTransform(t, node);
    }
    // The box of the icon in the node's object space; the viewport is not used.
    void GetLocalBoundBox(host::TimeValue t, host::SceneNode* node, host::ViewportContext*, host::Box3& box) override {
        box.Init();
        if (node == nullptr) return;
        Icon icon;
        BuildIcon(t, icon);
        box = icon.Bounds();
        if (IconFollowsNode()) return;
        box = box * (IconTransform(t, node) * host::Inverse(node->GetObjectTM(t)));
    }

protected:
    host::ParamBlock* Block() const { return pblock_; }
    host::ClassDesc2* Desc() const { return desc_; }

    // The icon at t in icon space.
    virtual void BuildIcon(host::TimeValue t, Icon& icon) = 0;
    // The transform the icon is drawn through: the node's by default.
    virtual host::Matrix3 IconTransform(host::TimeValue t, host::SceneNode* node) { return node->GetObjectTM(t); }
    // True when IconTransform is the node's own transform.
    virtual bool IconFollowsNode() { return true; }

private:
    host::ClassDesc2* desc_;
    host::ParamBlock* pblock_ = nullptr;
};

}  // namespace zg::warps
