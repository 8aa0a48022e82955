#include "app/plugins/plugin_listing.h"

#include <fmt/format.h>
#include <fmt/ostream.h>

#include <nlohmann/json.hpp>
#include <ostream>

#include "app/text/one_line.h"

namespace zg::plugins {

PluginListing ListPlugins(const ClassDirectory& directory) {
    PluginListing listing;
    for (const auto& module : directory.Modules()) {
        ModuleListing entry;
        entry.file = module->File().string();
        entry.description = module->Description();
        entry.version = module->Version();
        for (const ClassEntry* cls : directory.ClassesOf(module.get())) entry.classes.push_back(cls->facts);
        listing.modules.push_back(std::move(entry));
    }
    return listing;
}

void WritePluginListingText(const PluginListing& listing, std::ostream& out) {
    std::size_t classCount = 0;
    for (const ModuleListing& module : listing.modules) {
        fmt::print(out, "{}\n", text::OneLine(module.file));
        fmt::print(out, "  description  {}\n", module.description.empty() ? "(none)" : text::OneLine(module.description));
        fmt::print(out, "  version      {:#x}\n", module.version);
        if (module.classes.empty()) fmt::print(out, "  no classes\n");
        for (const ClassFacts& cls : module.classes) {
            fmt::print(out, "  class {}  category {}  super class {:#x}  class id (0x{:08X}, 0x{:08X})  {}\n",
                       cls.name.empty() ? "(unnamed)" : text::OneLine(cls.name),
                       cls.category.empty() ? "(none)" : text::OneLine(cls.category),
                       cls.superClassId, cls.classId.PartA(), cls.classId.PartB(),
                       cls.isPublic ? "public" : "not public");
        }
        classCount += module.classes.size();
    }
    const std::size_t moduleCount = listing.modules.size();
    fmt::print(out, "{} module{}, {} class{}\n", moduleCount, moduleCount == 1 ? "" : "s", classCount,
               classCount == 1 ? "" : "es");
}

text::Json PluginListingJson(const PluginListing& listing) {
    text::Json modules = text::Json::array();
    for (const ModuleListing& module : listing.modules) {
        text::Json classes = text::Json::array();
        for (const ClassFacts& cls : module.classes) {
            classes.push_back({{"name", cls.name},
                               {"internalName", cls.internalName},
                               {"category", cls.category},
                               {"superClassId", cls.superClassId},
                               {"classId", {cls.classId.PartA(), cls.classId.PartB()}},
                               {"public", cls.isPublic}});
        }
        modules.push_back({{"file", module.file},
                           {"description", module.description},
                           {"version", module.version},
                           {"classes", std::move(classes)}});
    }
    return {{"modules", std::move(modules)}};
}

void WritePluginListingJson(const PluginListing& listing, std::ostream& out) {
    out << PluginListingJson(listing).dump(2, ' ', false, text::Json::error_handler_t::replace) << '\n';
}

}  // namespace zg::plugins
