#include "app/scene/placeholder.h"

#include <new>

namespace zg::scene {

PlaceholderObject::PlaceholderObject(std::string className, text::Json params)
    : className_(std::move(className)), params_(std::move(params)) {}

host::ReferenceTarget* PlaceholderObject::Clone(host::RemapDir& remap) {
    PlaceholderObject* copy = nullptr;
    try {
        copy = new (std::nothrow) PlaceholderObject(className_, params_);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    if (copy != nullptr) BaseClone(this, copy, remap);
    return copy;
}

// By type, not by class identity: a module may offer a class of the same identity.
PlaceholderObject* AsPlaceholder(host::Animatable* object) { return dynamic_cast<PlaceholderObject*>(object); }

}  // namespace zg::scene
