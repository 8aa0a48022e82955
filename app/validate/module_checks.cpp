// Checks of the module and its class descriptors: loading and unloading, what the
// descriptors answer, making and deleting objects, and the defaults they start with.
#include <fmt/format.h>

#include <cmath>
#include <limits>
#include <set>

#include "app/plugins/plugin_module.h"
#include "app/validate/checks.h"
#include "app/validate/object_params.h"
#include "app/validate/probe_world.h"
#include "host/heap.h"
#include "host/module.h"
#include "host/paramblock.h"

namespace zg::validate {

namespace {

constexpr int kLoads = 100;
constexpr int kCycles = 1000;

bool SameHeap(const host::HeapStats& a, const host::HeapStats& b) {
    return a.liveBlocks == b.liveBlocks && a.budgetBytesHeld == b.budgetBytesHeld;
}

std::string HeapChange(const host::HeapStats& now, const host::HeapStats& before) {
    return fmt::format("{:+} host-heap blocks and {:+} budget bytes",
                       static_cast<long long>(now.liveBlocks) - static_cast<long long>(before.liveBlocks),
                       static_cast<long long>(now.budgetBytesHeld) - static_cast<long long>(before.budgetBytesHeld));
}

std::string FactsText(const plugins::ClassFacts& f) {
    return fmt::format("\"{}\" (internal \"{}\", category \"{}\", super class {:#x}, class id (0x{:08X}, 0x{:08X}), {})",
                       f.name, f.internalName, f.category, f.superClassId, f.classId.PartA(), f.classId.PartB(),
                       f.isPublic ? "public" : "not public");
}

std::unique_ptr<plugins::PluginModule> LoadOrFail(const std::filesystem::path& file) {
    std::string error;
    std::unique_ptr<plugins::PluginModule> module = plugins::PluginModule::Load(file, error);
    Require(module != nullptr, "{}", error);
    return module;
}

// The parameter descriptions of one class: unique ids and names, known types, sane
// ranges, and the dialog templates and controls their rollouts name. Answers how many
// blocks the class describes.
int CheckBlockDescriptions(host::ClassDesc2& desc, const std::string& className) {
    const int blocks = desc.NumParamBlockDescs();
    std::set<std::string> names;
    for (int b = 0; b < blocks; ++b) {
        host::ParamBlockDesc2* block = desc.GetParamBlockDesc(b);
        Require(block != nullptr, "{}: block description {} is missing", className, b);
        Require(block->ClassDescriptor() == &desc, "{}: block {} belongs to another class", className, block->ID());
        Require(desc.GetParamBlockDescByID(block->ID()) == block, "{}: two blocks have the id {}", className, block->ID());
        const host::DialogTemplate* dialog = nullptr;
        if (const auto& rollout = block->Block().rollout; rollout && rollout->dialogId != 0) {
            dialog = host::FindDialog(desc.HInstance(), rollout->dialogId);
            Require(dialog != nullptr, "{}: block {} names dialog template {}, which the module's resources lack",
                    className, block->ID(), rollout->dialogId);
        }
        std::set<host::ParamID> ids;
        for (const host::ParamDef& def : block->Params()) {
            const std::string label = fmt::format("{}: parameter {} of block {}", className, def.id, block->ID());
            Require(ids.insert(def.id).second, "{} is declared twice", label);
            if (def.internalName != nullptr && *def.internalName != '\0')
                Require(names.insert(def.internalName).second, "{}: two parameters are named \"{}\"", className,
                        def.internalName);
            Require(def.type == host::TYPE_FLOAT || def.type == host::TYPE_INT || def.type == host::TYPE_BOOL ||
                        def.type == host::TYPE_INODE_TAB,
                    "{} has a type the host does not know ({:#x})", label, static_cast<int>(def.type));
            if (def.range)
                Require(std::isfinite(def.range->lo) && std::isfinite(def.range->hi) && def.range->lo <= def.range->hi,
                        "{} has the range {}..{}", label, def.range->lo, def.range->hi);
            Require(def.tableSize >= 0, "{} starts with {} table entries", label, def.tableSize);
            for (int control : def.ui.controls) {
                if (dialog == nullptr || control == 0) continue;
                bool found = false;
                for (int c = 0; c < dialog->controlCount; ++c) found = found || dialog->controls[c].id == control;
                Require(found, "{} is bound to control {}, which dialog template {} lacks", label, control, dialog->id);
            }
        }
    }
    return blocks;
}

}  // namespace

std::string CheckLoadUnload(CheckContext& context) {
    std::optional<host::HeapStats> settled;
    int classes = 0;
    std::string description;
    for (int round = 1; round <= kLoads; ++round) {
        std::unique_ptr<plugins::PluginModule> module = LoadOrFail(context.module);
        const host::HINSTANCE instance = module->Instance();
        if (round == 1) {
            classes = module->NumClasses();
            description = module->Description();
        }
        Require(module->NumClasses() == classes, "load {}: {} classes where the first load offered {}", round,
                module->NumClasses(), classes);
        Require(module->Description() == description, "load {}: the description changed to \"{}\"", round,
                module->Description());
        for (int i = 0; i < classes; ++i) {
            host::ClassDesc2* desc = module->ClassAt(i);
            host::Animatable* made = desc != nullptr ? desc->Create(0) : nullptr;
            if (made != nullptr) made->DeleteThis();
        }
        module.reset();
        Require(host::ModuleResources(instance) == nullptr, "unload {}: the module's resources stay registered", round);
        const host::HeapStats now = host::GetHeapStats();
        if (!settled) settled = now;
        Require(SameHeap(now, *settled), "unload {}: {} since the first unload", round, HeapChange(now, *settled));
    }
    return fmt::format("loaded, used and unloaded {} times without leaving anything behind", kLoads);
}

std::string CheckDescriptors(CheckContext& context) {
    std::unique_ptr<plugins::PluginModule> module = LoadOrFail(context.module);
    auto numberClasses = reinterpret_cast<host::LibNumberClassesFn>(module->Symbol("LibNumberClasses"));
    const int n = numberClasses();
    Require(n >= 0 && n <= plugins::kMaxClassesPerModule, "LibNumberClasses answered {}", n);
    for (int k = 0; k < 3; ++k) {
        const int again = numberClasses();
        Require(again == n, "LibNumberClasses answered {}, then {}", n, again);
    }

    std::vector<plugins::ClassFacts> first;
    for (int i = 0; i < n; ++i) {
        host::ClassDesc2* desc = module->ClassAt(i);
        Require(desc != nullptr, "LibClassDesc({}) answered none, though the module offers {} classes", i, n);
        Require(module->ClassAt(i) == desc, "LibClassDesc({}) answered another descriptor the second time", i);
        first.push_back(plugins::ReadClassFacts(*desc));
        Require(!first.back().name.empty(), "class {} has no name", i);
    }
    // Read again backwards, so that a string kept in a shared buffer meets another class's.
    for (int i = n - 1; i >= 0; --i) {
        const plugins::ClassFacts again = plugins::ReadClassFacts(*module->ClassAt(i));
        Require(again == first[static_cast<std::size_t>(i)], "class {} answered {}, then {}", i,
                FactsText(first[static_cast<std::size_t>(i)]), FactsText(again));
    }
    for (int outside : {-1, n, n + 1, std::numeric_limits<int>::max(), std::numeric_limits<int>::min()})
        Require(module->ClassAt(outside) == nullptr, "LibClassDesc({}) answered a descriptor; the module offers {}",
                outside, n);
    int blocks = 0;
    for (int i = 0; i < n; ++i) {
        for (int j = 0; j < i; ++j) {
            const auto& a = first[static_cast<std::size_t>(i)];
            const auto& b = first[static_cast<std::size_t>(j)];
            Require(a.superClassId != b.superClassId || !(a.classId == b.classId), "classes {} and {} share the identity {}",
                    b.name, a.name, FactsText(a));
            Require(a.internalName.empty() || a.internalName != b.internalName,
                    "classes {} and {} share the internal name \"{}\"", b.name, a.name, a.internalName);
        }
        blocks += CheckBlockDescriptions(*module->ClassAt(i), first[static_cast<std::size_t>(i)].name);
    }
    return fmt::format("{} class{} and {} block description{} answer the same every time; out-of-range indexes "
                       "answer none",
                       n, n == 1 ? "" : "es", blocks, blocks == 1 ? "" : "s");
}

std::string CheckCreateDelete(CheckContext& context) {
    ProbeWorld world(context.module, context.rng);
    const auto classes = world.Classes().ClassesOf(&world.Module());
    for (const plugins::ClassEntry* entry : classes) {
        const std::string& name = entry->facts.name;
        context.report.Note(fmt::format("creating and deleting {}", name));
        auto create = [&](int loading) {
            host::Animatable* made = entry->desc->Create(loading);
            Require(made != nullptr, "{}: Create answered none", name);
            Require(made->SuperClassID() == entry->facts.superClassId && made->ClassID() == entry->facts.classId,
                    "{}: Create answered an object of another class", name);
            return made;
        };
        create(0)->DeleteThis();  // a first object may set up what the module keeps
        const host::HeapStats before = host::GetHeapStats();
        for (int i = 0; i < kCycles; ++i) create(i % 2)->DeleteThis();
        const host::HeapStats after = host::GetHeapStats();
        Require(SameHeap(after, before), "{}: {} create and delete cycles left {} behind", name, kCycles,
                HeapChange(after, before));

        // Every host-heap allocation of a creation, made to fail in turn.
        host::Animatable* one = create(0);
        const std::size_t blocks = host::GetHeapStats().liveBlocks - before.liveBlocks;
        one->DeleteThis();
        for (std::size_t k = 0; k <= blocks + 1; ++k) {
            host::FailHeapAllocations(k, 1);
            host::Animatable* made = nullptr;
            try {
                made = entry->desc->Create(0);
            } catch (...) {
                host::FailHeapAllocations(0, 0);
                Require(false, "{}: Create threw when host-heap allocation {} failed; it should answer none", name, k + 1);
            }
            host::FailHeapAllocations(0, 0);
            if (made != nullptr) made->DeleteThis();
            const host::HeapStats now = host::GetHeapStats();
            Require(SameHeap(now, before), "{}: a creation whose host-heap allocation {} failed left {} behind", name,
                    k + 1, HeapChange(now, before));
        }
    }
    return fmt::format("{} create and delete cycles per class ({} class{}), and creations with each allocation "
                       "failing, left nothing behind",
                       kCycles, classes.size(), classes.size() == 1 ? "" : "es");
}

std::string CheckDefaults(CheckContext& context) {
    ProbeWorld world(context.module, context.rng);
    int checked = 0;
    for (const plugins::ClassEntry* entry : world.ObjectClasses()) {
        const std::string& name = entry->facts.name;
        host::Object* object = world.Create(*entry);
        for (int b = 0; b < entry->desc->NumParamBlockDescs(); ++b) {
            host::ParamBlockDesc2* desc = entry->desc->GetParamBlockDesc(b);
            if (desc == nullptr || (desc->Block().flags & host::P_AUTO_CONSTRUCT) == 0) continue;
            host::ParamBlock* block = object->GetParamBlockByID(desc->ID());
            Require(block != nullptr && block->GetDesc() == desc, "{}: a new object lacks its block {}", name, desc->ID());
        }
        const std::vector<ParamSlot> slots = ParamsOf(object);
        const ParamState state = ReadState(object);
        for (std::size_t i = 0; i < slots.size(); ++i) {
            const host::ParamDef& def = *slots[i].def;
            const std::string label = fmt::format("{}: {}", name, slots[i].Label());
            if (slots[i].IsTable()) {
                Require(static_cast<int>(state[i].nodes.size()) == def.tableSize, "{} starts with {} entries, not {}",
                        label, state[i].nodes.size(), def.tableSize);
                continue;
            }
            const double declared = def.type == host::TYPE_FLOAT ? def.defaultFloat : def.defaultInt;
            const double read = state[i].number;
            Require(std::isfinite(declared) && std::isfinite(read), "{} starts at {} (declared {})", label, read, declared);
            if (def.type == host::TYPE_BOOL)
                Require(declared == 0 || declared == 1, "{} is a switch whose default is {}", label, declared);
            if (def.range) {
                for (double v : {declared, read})
                    Require(v >= def.range->lo && v <= def.range->hi, "{}: the default {} lies outside its range {}..{}",
                            label, v, def.range->lo, def.range->hi);
            }
            ++checked;
        }
        object->DeleteThis();
    }
    return fmt::format("{} parameter{} of {} class{} start at their defaults, within their ranges", checked,
                       checked == 1 ? "" : "s", world.ObjectClasses().size(),
                       world.ObjectClasses().size() == 1 ? "" : "es");
}

}  // namespace zg::validate
