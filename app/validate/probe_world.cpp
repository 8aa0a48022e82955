#include "app/validate/probe_world.h"

#include <fmt/format.h>

#include "app/validate/child_run.h"
#include "app/warps/builtin_classes.h"
#include "host/node.h"

namespace zg::validate {

namespace {

// Where placed nodes stand: turned and off the origin, so that a drawing that ignores
// the transform it was given shows.
const host::Point3 kPlacement{0.5f, -0.25f, 0.75f};
const host::Point3 kTurn{10.0f, -20.0f, 30.0f};  // degrees
constexpr uint32_t kWireColor = 0x00336699;

std::string BoxText(const host::Box3& b) {
    return fmt::format("({}, {}, {})..({}, {}, {})", b.pmin.x, b.pmin.y, b.pmin.z, b.pmax.x, b.pmax.y, b.pmax.z);
}

}  // namespace

ProbeWorld::ProbeWorld(const std::filesystem::path& module, std::mt19937_64& rng)
    : rng_(rng), scene_(std::make_unique<scene::Scene>()) {
    if (!classes_.LoadModule(module))
        Fail(classes_.Problems().empty() ? "the module cannot be loaded" : classes_.Problems().back());
    warps::ListBuiltinClasses(classes_);
    classes_.AddBuiltin(&ProbeFieldClass());
    for (const plugins::ClassEntry* entry : classes_.ClassesOf(&Module())) {
        host::Animatable* made = entry->desc->Create(0);
        if (made != nullptr && scene::IsObjectSuperClass(made)) objectClasses_.push_back(entry);
        if (made != nullptr) made->DeleteThis();
    }
    viewport_.Window().SetHitAnswer([this] { return static_cast<int>(rng_() % 4 == 0); });
}

ProbeWorld::~ProbeWorld() { scene_.reset(); }

host::Object* ProbeWorld::Create(const plugins::ClassEntry& entry) {
    host::Animatable* made = entry.desc->Create(0);
    if (made == nullptr) Fail(fmt::format("{}: Create answered none", entry.facts.name));
    if (!scene::IsObjectSuperClass(made)) {
        made->DeleteThis();
        Fail(fmt::format("{}: Create answered an object of another super class", entry.facts.name));
    }
    return static_cast<host::Object*>(made);
}

scene::Node* ProbeWorld::Place(host::Object* object) {
    std::string why;
    scene::Node* node = scene_->AddNode(scene_->UniqueName("Probe"), object, why);
    if (node == nullptr) {
        object->DeleteThis();
        Fail(fmt::format("the host could not place the object: {}", why));
    }
    const float shift = static_cast<float>(placed_++ % 8);
    node->SetPosition(scene::AnimatedPoint(kPlacement + host::Point3(shift, 0.0f, 0.0f)));
    node->SetRotation(scene::AnimatedPoint(kTurn));
    node->SetWireColor(kWireColor);
    return node;
}

scene::Node* ProbeWorld::AddField(FieldKind kind) {
    auto* field = static_cast<ProbeField*>(ProbeFieldClass().Create(0));
    if (field == nullptr) Fail("no memory for a validation field");
    scene::Node* node = Place(field);
    node->SetPosition(scene::AnimatedPoint(host::Point3(-1.0f, 2.0f, 0.5f)));
    field->SetKind(kind);
    return node;
}

ProbeField& ProbeWorld::FieldOf(scene::Node* node) { return *static_cast<ProbeField*>(node->GetObjectRef()); }

scene::Node* ProbeWorld::AddBuiltin(std::string_view className) {
    const plugins::ClassEntry* entry = classes_.Find(className);
    if (entry == nullptr) Fail(fmt::format("the host has no class {}", className));
    return Place(Create(*entry));
}

scene::Node* ProbeWorld::AddEmpty() {
    std::string why;
    scene::Node* node = scene_->AddNode(scene_->UniqueName("Empty"), nullptr, why);
    if (node == nullptr) Fail(fmt::format("the host could not add a node: {}", why));
    return node;
}

void ProbeWorld::AfterDrawing(uint32_t limits, const std::string& what, const char* call) {
    CheckingWindow& gw = viewport_.Window();
    if (!gw.Problem().empty()) Fail(fmt::format("{}: {} drew {}", what, call, gw.Problem()));
    if (gw.getRndLimits() != limits)
        Fail(fmt::format("{}: {} left the render limits at {:#x} where it found {:#x}", what, call,
                                       gw.getRndLimits(), limits));
    if (gw.BatchOpen()) Fail(fmt::format("{}: {} left a segment batch open", what, call));
}

void ProbeWorld::Draw(scene::Node* node, host::TimeValue t, const std::string& what, uint32_t limits, bool record) {
    viewport_.Window().Reset(limits, record);
    node->GetObjectRef()->Display(t, node, &viewport_, 0);
    AfterDrawing(limits, what, "Display");
}

Drawing ProbeWorld::Display(scene::Node* node, host::TimeValue t, const std::string& what) {
    Draw(node, t, what, kProbeLimits, true);
    return viewport_.Window().Recorded();
}

void ProbeWorld::Exercise(scene::Node* node, host::TimeValue t, const std::string& what) {
    Draw(node, t, what, kProbeLimits, false);
    Draw(node, t, what, kProbeLimits | host::kRndBoxOnly, false);
    host::Object* object = node->GetObjectRef();
    CheckingWindow& gw = viewport_.Window();
    const host::IPoint2 random(static_cast<int>(rng_() % 800), static_cast<int>(rng_() % 600));
    const host::IPoint2 points[][2] = {{{400, 300}, {400, 300}}, {random, random}, {{-5, 900}, {-5, 900}},
                                       {{300, 200}, {500, 420}}, {{0, 0}, {799, 599}}};
    for (const auto& p : points) {
        const bool rect = !(p[0] == p[1]);
        for (int crossing : {host::kHitCrossing, host::kHitWindow}) {
            host::IPoint2 at[2] = {p[0], p[1]};
            gw.Reset(kProbeLimits, false);
            object->HitTest(t, node, rect ? host::RECT_RGN : host::POINT_RGN, crossing, 0, at, &viewport_);
            AfterDrawing(kProbeLimits, what, "HitTest");
        }
    }
    host::Box3 boxes[2];
    object->GetLocalBoundBox(t, node, &viewport_, boxes[0]);
    object->GetWorldBoundBox(t, node, &viewport_, boxes[1]);
    for (int i = 0; i < 2; ++i) {
        if (!host::IsFinite(boxes[i].pmin) || !host::IsFinite(boxes[i].pmax))
            Fail(fmt::format("{}: the {} bounding box {} is not finite", what, i == 0 ? "local" : "world",
                                           BoxText(boxes[i])));
    }
}

}  // namespace zg::validate
