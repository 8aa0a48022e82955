#include "app/session/creation.h"

#include <fmt/format.h>

#include "app/scene/transform.h"
#include "host/paramblock.h"

namespace zg::session {

namespace {

// The parameter a host class is sized by, when it has one.
constexpr const char* kSizeParam = "size";

// The plane's rotation without its position: where a new node starts.
host::Matrix3 PlaneRotation(const viewport::Viewport& vpt) {
    const host::Matrix3& plane = vpt.ConstructionPlane();
    return host::Matrix3(plane.GetRow(0), plane.GetRow(1), plane.GetRow(2), host::Point3());
}

}  // namespace

Creation::Creation(scene::Scene& scene, const plugins::ClassEntry& entry) : scene_(scene), entry_(entry) {
    Prepare();
}

Creation::~Creation() {
    try {
        Leave(nullptr);
    } catch (...) {
        Drop();
    }
}

void Creation::Drop() {
    left_ = true;
    callback_ = nullptr;
    Discard();
    host::Object* waiting = waiting_;
    waiting_ = nullptr;
    if (waiting != nullptr) waiting->DeleteThis();
}

bool Creation::Prepare() {
    callback_ = nullptr;
    host::Animatable* made = entry_.desc != nullptr ? entry_.desc->Create(0) : nullptr;
    if (made != nullptr && !scene::IsObjectSuperClass(made)) {
        made->DeleteThis();
        made = nullptr;
    }
    if (made == nullptr) {
        error_ = fmt::format("{} could not make an object", entry_.facts.name);
        return false;
    }
    waiting_ = static_cast<host::Object*>(made);
    callback_ = waiting_->GetCreateMouseCallBack();
    return true;
}

Creation::Outcome Creation::Down(viewport::Viewport& vpt, host::IPoint2 at) {
    if (left_ || node_ != nullptr) return Outcome::kNothing;
    if (waiting_ == nullptr && !Prepare()) return Outcome::kFailed;
    host::CStr base;
    waiting_->InitNodeName(base);
    if (base.empty()) base = entry_.facts.name.empty() ? "Object" : entry_.facts.name;
    std::string why;
    node_ = scene_.AddNode(scene_.UniqueName(base), waiting_, why);
    if (node_ == nullptr) {
        error_ = why;
        return Outcome::kFailed;
    }
    waiting_ = nullptr;  // the node holds it now
    matrix_ = PlaneRotation(vpt);
    if (callback_ != nullptr) {
        const int result = callback_->proc(&vpt, host::MOUSE_POINT, 0, 0, at, matrix_);
        Place();
        return Answer(result);
    }
    firstPoint_ = vpt.SnapPoint(at, at);
    matrix_.SetTrans(firstPoint_);
    Place();
    return Outcome::kContinuing;
}

Creation::Outcome Creation::Move(viewport::Viewport& vpt, host::IPoint2 at) {
    if (left_) return Outcome::kNothing;
    if (node_ == nullptr) {
        if (callback_ != nullptr)
            callback_->proc(&vpt, host::MOUSE_FREEMOVE, 0, 0, at, matrix_);
        else
            vpt.SnapPreview(at, at);
        return Outcome::kNothing;
    }
    if (callback_ != nullptr) {
        const int result = callback_->proc(&vpt, host::MOUSE_MOVE, 1, 0, at, matrix_);
        Place();
        return Answer(result);
    }
    host::Object* object = node_->GetObjectRef();
    host::ParamBlock* block = object != nullptr ? object->GetParamBlock(0) : nullptr;
    const host::ParamDef* size = block != nullptr ? block->FindParamByName(kSizeParam) : nullptr;
    if (size != nullptr && size->type == host::TYPE_FLOAT) {
        const float length = host::Length(vpt.SnapPoint(at, at) - firstPoint_);
        block->SetFloat(size->id, 0, length + length);
    }
    return Outcome::kContinuing;
}

Creation::Outcome Creation::Up(viewport::Viewport& vpt, host::IPoint2 at) {
    if (left_ || node_ == nullptr) return Outcome::kNothing;
    if (callback_ != nullptr) {
        const int result = callback_->proc(&vpt, host::MOUSE_POINT, 1, 0, at, matrix_);
        Place();
        return Answer(result);
    }
    return Answer(host::CREATE_STOP);
}

Creation::Outcome Creation::Abort(viewport::Viewport& vpt) {
    if (left_ || node_ == nullptr) return Outcome::kNothing;
    if (callback_ != nullptr) callback_->proc(&vpt, host::MOUSE_ABORT, 0, 0, host::IPoint2(), matrix_);
    Discard();
    return Outcome::kDiscarded;
}

void Creation::Leave(viewport::Viewport* vpt) {
    if (left_) return;
    left_ = true;
    // The callback hears the abort and the release while its object still exists.
    if (node_ != nullptr && callback_ != nullptr)
        callback_->proc(vpt, host::MOUSE_ABORT, 0, 0, host::IPoint2(), matrix_);
    if (callback_ != nullptr) callback_->proc(vpt, host::MOUSE_UNINIT, 0, 0, host::IPoint2(), matrix_);
    callback_ = nullptr;
    Discard();
    if (waiting_ != nullptr) waiting_->DeleteThis();
    waiting_ = nullptr;
}

Creation::Outcome Creation::Answer(int result) {
    if (result == host::CREATE_CONTINUE) return Outcome::kContinuing;
    if (result == host::CREATE_STOP) {
        completed_ = node_;
        node_ = nullptr;
        return Prepare() ? Outcome::kCompleted : Outcome::kFailed;
    }
    Discard();
    return Outcome::kDiscarded;
}

void Creation::Place() {
    if (node_ == nullptr) return;
    const scene::AnimatedPoint position(matrix_.GetTrans());
    const scene::AnimatedPoint rotation(scene::RotationDegrees(matrix_));
    if (!(node_->Position() == position)) node_->SetPosition(position);
    if (!(node_->Rotation() == rotation)) node_->SetRotation(rotation);
}

void Creation::Discard() {
    scene::Node* node = node_;
    node_ = nullptr;
    if (node != nullptr) scene_.DeleteNode(node);
    if (completed_ == node) completed_ = nullptr;
    if (!left_) Prepare();
}

}  // namespace zg::session
