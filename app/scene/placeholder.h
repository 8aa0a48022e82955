// PlaceholderObject: stands in for a node whose class no loaded module offers, so that
// such a scene still loads. It keeps the class name and the node's "params" exactly as
// the file gave them and the scene writer saves them back unchanged. It draws
// nothing, measures nothing and exerts no force. It is a space warp, so that a
// force-node list that names its node keeps the entry (and samples nothing from it).
#pragma once

#include <nlohmann/json.hpp>

#include <string>

#include "app/text/json.h"
#include "host/object.h"

namespace zg::scene {

inline constexpr host::Class_ID kPlaceholderClassId{0x5A470000, 2};

class PlaceholderObject final : public host::WSMObject {
public:
    // `params` is the node's "params" value, or null when the file gave none.
    PlaceholderObject(std::string className, text::Json params);

    const std::string& MissingClass() const { return className_; }
    const text::Json& Params() const { return params_; }

    host::Class_ID ClassID() override { return kPlaceholderClassId; }
    // The missing class's name.
    void GetClassName(host::CStr& name) override { name = className_; }
    const char* GetObjectName() override { return className_.c_str(); }
    void DeleteThis() override { delete this; }
    host::ReferenceTarget* Clone(host::RemapDir& remap) override;

private:
    std::string className_;
    text::Json params_;
};

// The placeholder `object` is, or none when it is another object.
PlaceholderObject* AsPlaceholder(host::Animatable* object);

}  // namespace zg::scene
