// Checks of objects and the values they hold: instances that keep to themselves,
// values at and beyond every limit, node tables in every state, and clones.
#include <fmt/format.h>

#include <cmath>
#include <limits>

#include "app/validate/checks.h"
#include "app/validate/object_params.h"
#include "app/validate/probe_world.h"
#include "host/heap.h"
#include "host/node.h"

namespace zg::validate {

namespace {

constexpr int kInstances = 4;

// A value to store and how a failure names it.
struct NamedValue {
    std::string name;
    double value;
};

std::vector<NamedValue> ExtremeValues(const host::ParamDef& def, std::mt19937_64& rng) {
    constexpr double inf = std::numeric_limits<double>::infinity();
    return {{"its minimum", LowOf(def)},
            {"its maximum", HighOf(def)},
            {"a random value", RandomNumber(def, rng)},
            {"inf", inf},
            {"-inf", -inf},
            {"NaN", std::numeric_limits<double>::quiet_NaN()},
            {"a subnormal", std::numeric_limits<float>::denorm_min()},
            {"1e308", 1e308},
            {"-1e308", -1e308}};
}

std::string Plural(std::size_t n, const char* one, const char* many) {
    return fmt::format("{} {}", n, n == 1 ? one : many);
}

std::vector<host::SceneNode*> AsNodes(const std::vector<scene::Node*>& nodes) {
    return {nodes.begin(), nodes.end()};
}

}  // namespace

std::string CheckInstances(CheckContext& context) {
    ProbeWorld world(context.module, context.rng);
    std::vector<scene::Node*> fields;
    for (int i = 0; i < kInstances; ++i) fields.push_back(world.AddField());
    for (const plugins::ClassEntry* entry : world.ObjectClasses()) {
        const std::string& name = entry->facts.name;
        context.report.Note(fmt::format("editing {} instances of {}", kInstances, name));
        host::Object* first = world.Create(*entry);
        const ParamState defaults = ReadState(first);
        first->DeleteThis();

        struct Instance {
            scene::Node* node;
            ParamState state;
            Drawing drawing;
        };
        std::vector<Instance> instances;
        for (int i = 0; i < kInstances; ++i) {
            scene::Node* node = world.Place(world.Create(*entry));
            host::Object* object = node->GetObjectRef();
            WriteState(object, RandomState(object, AsNodes(fields), context.rng));
            instances.push_back({node, ReadState(object), world.Display(node, 0, fmt::format("{} instance {}", name, i))});
        }
        for (int i = kInstances - 1; i >= 0; --i) {
            Instance& inst = instances[static_cast<std::size_t>(i)];
            host::Object* object = inst.node->GetObjectRef();
            std::string changed;
            Require(SameState(object, ReadState(object), inst.state, changed),
                    "{}: instance {} changed while the others were edited: {}", name, i, changed);
            Require(world.Display(inst.node, 0, fmt::format("{} instance {}", name, i)) == inst.drawing,
                    "{}: instance {} draws differently since the others were edited and drawn", name, i);
        }
        host::Object* fresh = world.Create(*entry);
        std::string inherited;
        const bool fromDefaults = SameState(fresh, ReadState(fresh), defaults, inherited);
        fresh->DeleteThis();
        Require(fromDefaults, "{}: a new object does not start from the defaults after others were edited: {}", name,
                inherited);
        for (Instance& inst : instances) world.Delete(inst.node);
    }
    return fmt::format("{} instances per class with different values kept to themselves ({})", kInstances,
                       Plural(world.ObjectClasses().size(), "class", "classes"));
}

std::string CheckExtremeValues(CheckContext& context) {
    ProbeWorld world(context.module, context.rng);
    scene::Node* field = world.AddField();
    std::size_t stores = 0;
    for (const plugins::ClassEntry* entry : world.ObjectClasses()) {
        const std::string& name = entry->facts.name;
        scene::Node* node = world.Place(world.Create(*entry));
        host::Object* object = node->GetObjectRef();
        // Everything that can be drawn is drawn: every switch on, a field in every table.
        const std::vector<ParamSlot> slots = ParamsOf(object);
        for (const ParamSlot& slot : slots)
            if (slot.def->type == host::TYPE_BOOL) StoreNumber(slot, 1);
        AppendToTables(object, field);
        const ParamState base = ReadState(object);
        world.Exercise(node, 0, fmt::format("{} with its defaults", name));

        for (std::size_t i = 0; i < slots.size(); ++i) {
            const ParamSlot& slot = slots[i];
            if (slot.IsTable()) continue;
            for (const NamedValue& v : ExtremeValues(*slot.def, context.rng)) {
                const std::string what = fmt::format("{} with {} stored at {} ({})", name, slot.Label(), v.name, v.value);
                context.report.Note(fmt::format("checking {}", what));
                StoreNumber(slot, v.value);
                const double read = ReadNumber(slot);
                Require(std::isfinite(read), "{}: {} reads {}", what, slot.Label(), read);
                world.Exercise(node, 0, what);
                StoreNumber(slot, base[i].number);
                ++stores;
            }
        }
        for (const bool high : {true, false}) {
            const std::string what = fmt::format("{} with every parameter at its {}", name, high ? "maximum" : "minimum");
            context.report.Note(fmt::format("checking {}", what));
            for (const ParamSlot& slot : slots)
                if (!slot.IsTable()) StoreNumber(slot, high ? HighOf(*slot.def) : LowOf(*slot.def));
            world.Exercise(node, 0, what);
            WriteState(object, base);
        }
        for (const auto& [kind, label] : {std::pair{FieldKind::kHuge, "forces of 1e37"},
                                          std::pair{FieldKind::kNonFinite, "forces that are not finite"}}) {
            const std::string what = fmt::format("{} listing a field that answers {}", name, label);
            context.report.Note(fmt::format("checking {}", what));
            ProbeWorld::FieldOf(field).SetKind(kind);
            // What a field answers is the object's input: points it makes not finite from
            // it are the host window's to drop, and everything else must stay sound.
            world.Viewport().Window().DropNonFinitePoints(true);
            world.Exercise(node, 0, what);
            world.Viewport().Window().DropNonFinitePoints(false);
        }
        ProbeWorld::FieldOf(field).SetKind(FieldKind::kSmooth);
        world.Delete(node);
    }
    return fmt::format("{} stores of limits, infinities, NaN, subnormals and 1e308, every parameter at both ends, and "
                       "fields answering huge and non-finite forces: drawing, picking and bounds stayed sound",
                       stores);
}

std::string CheckNodeTables(CheckContext& context) {
    ProbeWorld world(context.module, context.rng);
    std::size_t tables = 0;
    std::string taken;
    for (const plugins::ClassEntry* entry : world.ObjectClasses()) {
        const std::string& name = entry->facts.name;
        scene::Node* node = world.Place(world.Create(*entry));
        host::Object* object = node->GetObjectRef();
        for (const ParamSlot& slot : ParamsOf(object)) {
            if (!slot.IsTable()) continue;
            ++tables;
            const host::ParamID id = slot.def->id;
            host::ParamBlock& block = *slot.block;
            const std::string table = fmt::format("{}: {}", name, slot.Label());
            context.report.Note(fmt::format("offering nodes to {}", table));
            const std::pair<const char*, scene::Node*> offers[] = {
                {"a validation field", world.AddField()},      {"a Point helper", world.AddBuiltin("Point")},
                {"a Barrier space warp", world.AddBuiltin("Barrier")}, {"a node showing nothing", world.AddEmpty()},
                {"the object's own node", node},                {"no node", nullptr}};
            std::vector<scene::Node*> accepted;
            for (const auto& [label, offer] : offers) {
                const int before = block.Count(id);
                const bool took = block.Append(id, offer);
                const int after = block.Count(id);
                Require(after == before + (took ? 1 : 0), "{}: offered {}, the table {} and went from {} to {} entries",
                        table, label, took ? "took it" : "refused it", before, after);
                if (took) {
                    accepted.push_back(offer);
                    taken += fmt::format("{}{}", taken.empty() ? "" : ", ", label);
                    block.Append(id, offer);  // and once more: a duplicate
                }
                world.Exercise(node, 0, fmt::format("{} after it was offered {}", table, label));
            }
            const int count = block.Count(id);
            Require(block.SetCount(id, count + 2), "{}: the table cannot grow by two empty entries", table);
            world.Exercise(node, 0, fmt::format("{} with empty entries", table));
            for (scene::Node* gone : accepted) {
                if (gone == nullptr || gone == node) continue;
                const int held = block.Count(id);
                world.Delete(gone);
                Require(block.Count(id) == held, "{}: deleting a listed node changed the table's size", table);
                for (int e = 0; e < held; ++e)
                    Require(block.GetNode(id, 0, e) != gone, "{}: entry {} still lists a deleted node", table, e);
                world.Exercise(node, 0, fmt::format("{} after a listed node was deleted", table));
            }
            Require(!block.SetNode(id, 0, nullptr, block.Count(id)) && !block.Delete(id, block.Count(id), 1),
                    "{}: the table took a store beyond its end", table);
            if (block.Count(id) > 0) block.Delete(id, 0, 1);
            block.SetCount(id, 0);
            world.Exercise(node, 0, fmt::format("{} emptied", table));
        }
        world.Delete(node);
    }
    return fmt::format("{} took {}; refused and empty entries, duplicates and deleted nodes left drawing and "
                       "measuring sound",
                       Plural(tables, "node table", "node tables"), taken.empty() ? "nothing" : taken);
}

std::string CheckClone(CheckContext& context) {
    ProbeWorld world(context.module, context.rng);
    std::size_t clones = 0;
    for (const plugins::ClassEntry* entry : world.ObjectClasses()) {
        const std::string& name = entry->facts.name;
        context.report.Note(fmt::format("cloning {}", name));
        // The second round is measured: the first may set up what the module keeps.
        for (int round = 0; round < 2; ++round) {
            const host::HeapStats before = host::GetHeapStats();
            std::vector<scene::Node*> fields = {world.AddField(), world.AddField()};
            scene::Node* original = world.Place(world.Create(*entry));
            host::Object* a = original->GetObjectRef();
            WriteState(a, RandomState(a, {fields[0]}, context.rng));
            const ParamState stateA = ReadState(a);

            host::RemapDir remap;
            host::ReferenceTarget* made = a->Clone(remap);
            Require(made != nullptr, "{}: Clone answered none", name);
            Require(made->SuperClassID() == a->SuperClassID() && made->ClassID() == a->ClassID(),
                    "{}: Clone answered an object of another class", name);
            Require(remap.FindMapping(a) == made, "{}: Clone did not record its copy in the remap directory", name);
            auto* b = static_cast<host::Object*>(made);
            std::string copied;
            Require(SameState(b, ReadState(b), stateA, copied), "{}: the copy differs from the original: {}", name,
                    copied);
            for (const ParamSlot& slot : ParamsOf(b))
                for (int i = 0; i < a->NumParamBlocks(); ++i)
                    Require(slot.block != a->GetParamBlock(i), "{}: the copy shares a parameter block with the original",
                            name);
            scene::Node* copy = world.Place(b);
            copy->SetPosition(original->Position());
            const Drawing drawingA = world.Display(original, 0, fmt::format("{} original", name));
            Require(world.Display(copy, 0, fmt::format("{} copy", name)) == drawingA,
                    "{}: the copy draws differently from the original", name);

            WriteState(b, RandomState(b, AsNodes(fields), context.rng));
            const ParamState stateB = ReadState(b);
            std::string leaked;
            Require(SameState(a, ReadState(a), stateA, leaked), "{}: editing the copy changed the original: {}", name,
                    leaked);
            Require(world.Display(original, 0, name) == drawingA, "{}: editing the copy changed the original's drawing",
                    name);
            WriteState(a, RandomState(a, AsNodes(fields), context.rng));
            std::string back;
            Require(SameState(b, ReadState(b), stateB, back), "{}: editing the original changed the copy: {}", name,
                    back);
            world.Delete(original);
            std::string kept;
            Require(SameState(b, ReadState(b), stateB, kept), "{}: deleting the original changed the copy: {}", name,
                    kept);
            world.Exercise(copy, 0, fmt::format("{} copy after its original was deleted", name));
            world.Delete(copy);
            for (scene::Node* field : fields) world.Delete(field);
            const host::HeapStats after = host::GetHeapStats();
            Require(round == 0 || (after.liveBlocks == before.liveBlocks && after.budgetBytesHeld == before.budgetBytesHeld),
                    "{}: cloning and deleting left {} host-heap blocks behind", name,
                    static_cast<long long>(after.liveBlocks) - static_cast<long long>(before.liveBlocks));
            ++clones;
        }
    }
    return fmt::format("{} copies held their own values and drawings, apart from their originals and after them",
                       clones);
}

}  // namespace zg::validate
