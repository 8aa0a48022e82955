#include "host/object.h"

#include "host/forcefield.h"

namespace host {

// ---- CreateMouseCallBack ---------------------------------------------------------------

CreateMouseCallBack::~CreateMouseCallBack() = default;

int CreateMouseCallBack::OverrideMode(int mode) { return mode; }

int CreateMouseCallBack::StartNewCreation() { return 1; }

int CreateMouseCallBack::IgnoreSnap() { return 0; }

// ---- BaseObject ------------------------------------------------------------------------

int BaseObject::Display(TimeValue, SceneNode*, ViewportContext*, int) { return 0; }

int BaseObject::HitTest(TimeValue, SceneNode*, int, int, int, IPoint2*, ViewportContext*) { return 0; }

void BaseObject::GetWorldBoundBox(TimeValue, SceneNode*, ViewportContext*, Box3& box) { box.Init(); }

void BaseObject::GetLocalBoundBox(TimeValue, SceneNode*, ViewportContext*, Box3& box) { box.Init(); }

CreateMouseCallBack* BaseObject::GetCreateMouseCallBack() { return nullptr; }

const char* BaseObject::GetObjectName() { return ""; }

void BaseObject::InitNodeName(CStr& name) {
    const char* objectName = GetObjectName();
    name = objectName != nullptr ? objectName : "";
}

int BaseObject::UsesWireColor() { return 0; }

int BaseObject::DoOwnSelectHilite() { return 0; }

// ---- Object ----------------------------------------------------------------------------

ObjectState Object::Eval(TimeValue) { return ObjectState(this); }

int Object::CanCacheObject() { return 1; }

void Object::WSStateInvalidate() {}

int Object::IsWorldSpaceObject() { return 0; }

Interval Object::ObjectValidity(TimeValue) { return FOREVER; }

int Object::IsRenderable() { return 1; }

Object* Object::FindBaseObject() { return this; }

ForceField* Object::GetForceField(SceneNode*) { return nullptr; }

}  // namespace host
