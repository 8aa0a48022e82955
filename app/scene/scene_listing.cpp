#include "app/scene/scene_listing.h"

#include "app/text/one_line.h"

#include <fmt/format.h>

#include <algorithm>

#include "app/text/json_numbers.h"

namespace zg::scene {
namespace {

std::string PointText(const host::Point3& p) { return fmt::format("({}, {}, {})", p.x, p.y, p.z); }

text::Json PointJson(const host::Point3& p) {
    return text::Json::array({text::FloatForJson(p.x), text::FloatForJson(p.y), text::FloatForJson(p.z)});
}

}  // namespace

std::vector<NodeListing> ListNodes(Scene& scene, host::TimeValue t, const ClassResolver& classes) {
    std::vector<NodeListing> listing;
    for (int i = 0; i < scene.NodeCount(); ++i) {
        Node* node = scene.NodeAt(i);
        if (node == nullptr) continue;
        NodeListing entry;
        entry.name = node->Name();
        entry.position = node->GetObjectTM(t).GetTrans();
        if (host::Object* object = node->GetObjectRef(); object != nullptr) {
            host::ClassDesc2* desc = classes.byId ? classes.byId(object->SuperClassID(), object->ClassID()) : nullptr;
            entry.className = FileClassName(desc);
            if (entry.className.empty()) {
                host::CStr name;
                object->GetClassName(name);
                entry.className = name;
            }
            host::Box3 box;
            object->GetWorldBoundBox(t, node, nullptr, box);
            if (!box.IsEmpty() && host::IsFinite(box.pmin) && host::IsFinite(box.pmax)) entry.worldBox = box;
        }
        listing.push_back(std::move(entry));
    }
    return listing;
}

std::string ListingText(const std::vector<NodeListing>& nodes) {
    struct Row {
        std::string name, className, position, box;
    };
    std::vector<Row> rows{{"NAME", "CLASS", "POSITION", "WORLD BOX"}};
    for (const NodeListing& n : nodes) {
        // Names from the file or a module may hold line breaks and escape sequences.
        rows.push_back({text::OneLine(n.name), n.className.empty() ? "-" : text::OneLine(n.className), PointText(n.position),
                        n.worldBox ? fmt::format("{} to {}", PointText(n.worldBox->pmin), PointText(n.worldBox->pmax))
                                   : "-"});
    }
    std::size_t nameWidth = 0, classWidth = 0, positionWidth = 0;
    for (const Row& r : rows) {
        nameWidth = std::max(nameWidth, r.name.size());
        classWidth = std::max(classWidth, r.className.size());
        positionWidth = std::max(positionWidth, r.position.size());
    }
    std::string text;
    for (const Row& r : rows)
        text += fmt::format("{:<{}}  {:<{}}  {:<{}}  {}\n", r.name, nameWidth, r.className, classWidth, r.position,
                            positionWidth, r.box);
    return text;
}

text::Json ListingJson(const std::vector<NodeListing>& nodes) {
    auto list = text::Json::array();
    for (const NodeListing& n : nodes) {
        text::Json entry;
        entry["name"] = n.name;
        entry["class"] = n.className;
        entry["position"] = PointJson(n.position);
        if (n.worldBox)
            entry["worldBox"] = {{"min", PointJson(n.worldBox->pmin)}, {"max", PointJson(n.worldBox->pmax)}};
        else
            entry["worldBox"] = nullptr;
        list.push_back(std::move(entry));
    }
    return {{"nodes", std::move(list)}};
}

}  // namespace zg::scene
