// PluginListing: what the loaded plug-in modules offer, as plain values, and its two
// written forms: text for people and JSON for programs.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "app/plugins/class_directory.h"
#include "app/text/json.h"

namespace zg::plugins {

struct ModuleListing {
    std::string file;
    std::string description;
    unsigned long version = 0;  // the host interface version the module declares
    std::vector<ClassFacts> classes;
};

struct PluginListing {
    std::vector<ModuleListing> modules;  // in load order
};

// The directory's modules and their listed classes; the host's built-in classes are
// not plug-ins and are left out.
PluginListing ListPlugins(const ClassDirectory& directory);

// One block per module (file, description, version) with one line per class (name,
// category, super class id, class id, public), then a count.
void WritePluginListingText(const PluginListing& listing, std::ostream& out);

// {"modules": [{"file", "description", "version", "classes": [{"name", "internalName",
// "category", "superClassId", "classId": [w1, w2], "public"}]}]}, ids as numbers.
text::Json PluginListingJson(const PluginListing& listing);
// The JSON above, indented, with a final newline. Bytes of a module's strings that
// are not UTF-8 are written as U+FFFD.
void WritePluginListingJson(const PluginListing& listing, std::ostream& out);

}  // namespace zg::plugins
