#include "create/create_callback.h"

#include <cmath>
#include <cstdint>

#include "object/param_desc.h"

namespace zentrograph {

int savedDisplayLattice = 1;

namespace {

// Creation parameters are read and written at time 0, not the host's current time.
constexpr host::TimeValue kCreationTime = 0;

// The block the callback works through: the bound object's block 0, or none.
host::ParamBlock* CreationBlock(const ZentrographCreateCallBack& cb) {
    return cb.creatingObject != nullptr ? cb.creatingObject->GetParamBlock(0) : nullptr;
}

// The whole-pixel distance from `a` to `b`: the square root of the squared distance,
// truncated. Differences are taken in 64 bits and squares in double precision, so
// points far apart cannot overflow; every squared distance that fits 32 bits is exact
// and gives the answer it would there.
long long PixelDistance(const host::IPoint2& a, const host::IPoint2& b) {
    const double dx = static_cast<double>(static_cast<int64_t>(a.x) - b.x);
    const double dy = static_cast<double>(static_cast<int64_t>(a.y) - b.y);
    return static_cast<long long>(std::sqrt(dx * dx + dy * dy));
}

}  // namespace

ZentrographCreateCallBack& TheCreateCallBack() {
    static ZentrographCreateCallBack callback;
    return callback;
}

int ZentrographCreateCallBack::proc(host::ViewportContext* vpt, int msg, int point, int /*flags*/, host::IPoint2 m,
                                    host::Matrix3& mat) {
    switch (msg) {
        case host::MOUSE_ABORT: {
            host::ParamBlock* block = CreationBlock(*this);
            if (block == nullptr) return host::CREATE_ABORT;
            block->SetInt(kDisplayLattice, kCreationTime, savedDisplayLattice);
            return host::CREATE_ABORT;
        }
        case host::MOUSE_POINT:
        case host::MOUSE_MOVE: {
            host::ParamBlock* block = CreationBlock(*this);
            // Without a viewport there is no point to snap: the creation cannot go on.
            if (block == nullptr || vpt == nullptr) return host::CREATE_ABORT;
            if (point == 0) {
                firstScreenPoint = m;
                firstWorldPoint = vpt->SnapPoint(m, m, nullptr, 0);
                mat.SetTrans(firstWorldPoint);
                savedDisplayLattice = block->GetInt(kDisplayLattice, kCreationTime);
                // The lattice shows while the user drags.
                block->SetInt(kDisplayLattice, kCreationTime, 1);
                return host::CREATE_CONTINUE;
            }
            if (point != 1) return host::CREATE_CONTINUE;
            // The object stays at the first point; only its size follows the pointer.
            mat.SetTrans(firstWorldPoint);
            const host::Point3 p = vpt->SnapPoint(m, m, nullptr, 0);
            const float length = host::Length(p - firstWorldPoint);
            const float size = length + length;
            block->SetFloat(kSizeX, kCreationTime, size);
            block->SetFloat(kSizeY, kCreationTime, size);
            block->SetFloat(kSizeZ, kCreationTime, size * kSizeZFactor);
            if (msg == host::MOUSE_MOVE) return host::CREATE_CONTINUE;
            block->SetInt(kDisplayLattice, kCreationTime, savedDisplayLattice);
            return PixelDistance(m, firstScreenPoint) >= kMinCreationPixels ? host::CREATE_STOP : host::CREATE_ABORT;
        }
        case host::MOUSE_UNINIT:
            creatingObject = nullptr;
            return host::CREATE_CONTINUE;
        case host::MOUSE_FREEMOVE:
            if (vpt != nullptr) vpt->SnapPreview(m, m, nullptr, 0);
            return host::CREATE_CONTINUE;
        default:
            return host::CREATE_CONTINUE;
    }
}

host::CreateMouseCallBack* Zentrograph::GetCreateMouseCallBack() {
    TheCreateCallBack().creatingObject = this;
    return &TheCreateCallBack();
}

void ForgetCreation(Zentrograph* object) {
    ZentrographCreateCallBack& callback = TheCreateCallBack();
    if (callback.creatingObject == object) callback.creatingObject = nullptr;
}

}  // namespace zentrograph
