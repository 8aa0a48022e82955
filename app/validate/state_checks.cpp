// Checks of what an object keeps and what it shows of it: saving and loading through
// the host's scene file, and a drawing that follows every change.
#include <fmt/format.h>

#include <sstream>

#include "app/scene/scene_file.h"
#include "app/session/scene_classes.h"
#include "app/validate/checks.h"
#include "app/validate/object_params.h"
#include "app/validate/probe_world.h"
#include "host/node.h"

namespace zg::validate {

namespace {

constexpr int kSaves = 20;
// A time of the scene other than 0: a tenth of a second.
constexpr host::TimeValue kLaterTime = 480;

// The first line where two texts differ, with its number.
std::string FirstDifferentLine(const std::string& a, const std::string& b) {
    std::istringstream in1(a), in2(b);
    std::string l1, l2;
    for (int line = 1;; ++line) {
        const bool more1 = static_cast<bool>(std::getline(in1, l1));
        const bool more2 = static_cast<bool>(std::getline(in2, l2));
        if (!more1 && !more2) return "nowhere";
        if (!more1 || !more2 || l1 != l2) return fmt::format("line {}: \"{}\" became \"{}\"", line, l1, l2);
    }
}

// `state` of an object of another scene, its nodes replaced by the nodes of `scene`
// that have the same names.
ParamState WithNodesOf(scene::Scene& scene, ParamState state) {
    for (ParamValue& v : state)
        for (host::SceneNode*& node : v.nodes)
            if (node != nullptr) node = scene.FindNode(node->GetName());
    return state;
}

// A value of the parameter other than the one it holds, when one can be found.
double OtherValue(const ParamSlot& slot, double current, std::mt19937_64& rng) {
    if (slot.def->type == host::TYPE_BOOL) return current != 0 ? 0 : 1;
    double v = current;
    for (int tries = 0; tries < 16 && v == current; ++tries) v = RandomNumber(*slot.def, rng);
    return v;
}

}  // namespace

std::string CheckSaveLoad(CheckContext& context) {
    ProbeWorld world(context.module, context.rng);
    const scene::ClassResolver classes = session::ResolverFor(world.Classes());
    const std::vector<scene::Node*> fields = {world.AddField(), world.AddField()};
    const std::vector<host::SceneNode*> choices(fields.begin(), fields.end());
    for (const plugins::ClassEntry* entry : world.ObjectClasses()) {
        const std::string& name = entry->facts.name;
        context.report.Note(fmt::format("saving and loading {}", name));
        for (int round = 0; round < kSaves; ++round) {
            scene::Node* node = world.Place(world.Create(*entry));
            host::Object* object = node->GetObjectRef();
            WriteState(object, RandomState(object, choices, context.rng));
            const ParamState saved = ReadState(object);
            std::string error;
            const std::optional<std::string> first = scene::WriteScene(world.Scene(), classes, error);
            Require(first.has_value(), "{}: the scene could not be saved: {}", name, error);
            WriteState(object, RandomState(object, choices, context.rng));

            std::unique_ptr<scene::Scene> loaded = scene::ReadScene(*first, "the saved scene", classes, error);
            Require(loaded != nullptr, "{}: the saved scene could not be read back: {}", name, error);
            scene::Node* copy = loaded->FindNode(node->Name());
            Require(copy != nullptr && copy->GetObjectRef() != nullptr, "{}: the loaded scene lacks the object", name);
            std::string differs;
            Require(SameState(object, WithNodesOf(world.Scene(), ReadState(copy->GetObjectRef())), saved, differs),
                    "{}: loading gave other values than were saved: {}", name, differs);
            const std::optional<std::string> second = scene::WriteScene(*loaded, classes, error);
            Require(second.has_value(), "{}: the loaded scene could not be saved: {}", name, error);
            Require(*second == *first, "{}: saving the loaded scene gave other bytes: {}", name,
                    FirstDifferentLine(*first, *second));
            loaded.reset();
            world.Delete(node);
        }
    }
    return fmt::format("{} random states per class were saved, changed and loaded back, and saved again byte for byte",
                       kSaves);
}

std::string CheckCache(CheckContext& context) {
    ProbeWorld world(context.module, context.rng);
    std::size_t changes = 0;
    for (const plugins::ClassEntry* entry : world.ObjectClasses()) {
        const std::string& name = entry->facts.name;
        context.report.Note(fmt::format("changing {} and drawing it", name));
        scene::Node* field = world.AddField();
        scene::Node* node = world.Place(world.Create(*entry));
        host::Object* object = node->GetObjectRef();
        AppendToTables(object, field);
        ProbeField& probe = ProbeWorld::FieldOf(field);

        // What a new object with the same values, at the same place, draws at t.
        auto fresh = [&](host::TimeValue t) {
            scene::Node* twin = world.Place(world.Create(*entry));
            twin->SetPosition(node->Position());
            twin->SetRotation(node->Rotation());
            WriteState(twin->GetObjectRef(), ReadState(object));
            Drawing drawing = world.Display(twin, t, fmt::format("a new {}", name));
            world.Delete(twin);
            return drawing;
        };
        Drawing drawn = world.Display(node, 0, name);
        Require(drawn == fresh(0), "{}: draws differently from a new object with the same values", name);
        const bool samples = probe.FieldsMade() > 0;

        // After each change the next drawing must be what a new object draws.
        auto changed = [&](const std::string& change, host::TimeValue t) {
            const int asked = probe.FieldsMade();
            const Drawing now = world.Display(node, t, fmt::format("{} after {}", name, change));
            const bool resampled = probe.FieldsMade() > asked;
            const Drawing expected = fresh(t);
            Require(now == expected || !(now == drawn), "{}: after {}, Display drew what it drew before the change",
                    name, change);
            Require(now == expected, "{}: after {}, Display drew differently from a new object with the same values",
                    name, change);
            Require(!samples || resampled, "{}: after {}, Display drew without sampling its fields again",
                    name, change);
            drawn = now;
            ++changes;
        };
        for (const ParamSlot& slot : ParamsOf(object)) {
            if (slot.IsTable()) continue;
            const double current = ReadNumber(slot);
            const double next = OtherValue(slot, current, context.rng);
            if (next == current || !StoreNumber(slot, next)) continue;
            changed(fmt::format("{} changed from {} to {}", slot.Label(), current, next), 0);
        }
        if (samples) {
            field->SetPosition(scene::AnimatedPoint(host::Point3(1.5f, -0.5f, 2.0f)));
            changed("its force node moved", 0);
            probe.Shift();
            changed("its force node's field changed", 0);
        }
        node->SetPosition(scene::AnimatedPoint(host::Point3(-2.0f, 1.0f, 0.5f)));
        changed("its node moved", 0);
        changed("time moved on", kLaterTime);
        changed("time went back", 0);
        world.Delete(node);
        world.Delete(field);
    }
    return fmt::format("after {} changes of parameters, force nodes, transform and time, the next drawing matched a "
                       "new object's",
                       changes);
}

}  // namespace zg::validate
