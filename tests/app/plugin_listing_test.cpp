// The plug-in listing: built from a class directory, written as text and as JSON of
// exactly the documented shape.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <set>
#include <sstream>
#include <string>

#include "app/plugins/class_directory.h"
#include "app/plugins/plugin_listing.h"
#include "tests/app/module_files.h"

using namespace zg::plugins;
using loadertest::TestModule;
using loadertest::ZentrographModule;

namespace {

std::set<std::string> Keys(const nlohmann::json& object) {
    std::set<std::string> keys;
    for (const auto& item : object.items()) keys.insert(item.key());
    return keys;
}

PluginListing HandMadeListing() {
    PluginListing listing;
    ModuleListing module{"/plugins/odd.dlo", "", 0x1, {}};
    ClassFacts unnamed;
    unnamed.superClassId = 0x830;
    unnamed.classId = host::Class_ID(0xABCDEF01, 0x2);
    module.classes.push_back(unnamed);
    listing.modules.push_back(module);
    listing.modules.push_back(ModuleListing{"/plugins/empty.dlo", "Nothing inside", 0x23281500, {}});
    return listing;
}

}  // namespace

TEST(PluginListing, ListsEachModuleWithItsClasses) {
    ClassDirectory directory;
    ASSERT_TRUE(directory.LoadModule(ZentrographModule()));
    ASSERT_TRUE(directory.LoadModule(TestModule("gauges")));
    const PluginListing listing = ListPlugins(directory);

    ASSERT_EQ(listing.modules.size(), 2u);
    EXPECT_EQ(listing.modules[0].file, ZentrographModule().string());
    EXPECT_EQ(listing.modules[0].description, "Direcly view the effect of spacewarps");
    EXPECT_EQ(listing.modules[0].version, 0x23281500u);
    ASSERT_EQ(listing.modules[0].classes.size(), 1u);
    EXPECT_EQ(listing.modules[0].classes[0].internalName, "Zentrograph");
    ASSERT_EQ(listing.modules[1].classes.size(), 2u);
    EXPECT_EQ(listing.modules[1].classes[0].name, "Ring Gauge");
    EXPECT_EQ(listing.modules[1].classes[1].name, "");
}

TEST(PluginListing, JsonHasExactlyTheDocumentedShape) {
    ClassDirectory directory;
    ASSERT_TRUE(directory.LoadModule(ZentrographModule()));
    std::ostringstream out;
    WritePluginListingJson(ListPlugins(directory), out);
    const auto json = nlohmann::json::parse(out.str());

    EXPECT_EQ(Keys(json), (std::set<std::string>{"modules"}));
    ASSERT_EQ(json["modules"].size(), 1u);
    const auto& module = json["modules"][0];
    EXPECT_EQ(Keys(module), (std::set<std::string>{"file", "description", "version", "classes"}));
    EXPECT_EQ(module["file"], ZentrographModule().string());
    EXPECT_EQ(module["description"], "Direcly view the effect of spacewarps");
    EXPECT_EQ(module["version"], 589829376);
    ASSERT_EQ(module["classes"].size(), 1u);
    const auto& cls = module["classes"][0];
    EXPECT_EQ(Keys(cls), (std::set<std::string>{"name", "internalName", "category", "superClassId", "classId",
                                                "public"}));
    EXPECT_EQ(cls["name"], "Zentrograph");
    EXPECT_EQ(cls["internalName"], "Zentrograph");
    EXPECT_EQ(cls["category"], "Tarnwick");
    EXPECT_EQ(cls["superClassId"], 80);
    EXPECT_EQ(cls["classId"], nlohmann::json::array({251750295, 1982531954}));
    EXPECT_TRUE(cls["public"].is_boolean());
    EXPECT_EQ(cls["public"], true);
}

TEST(PluginListing, JsonSurvivesStringsThatAreNotUtf8) {
    PluginListing listing = HandMadeListing();
    listing.modules[0].description = "bad \xff\xfe bytes";
    std::ostringstream out;
    WritePluginListingJson(listing, out);
    const auto json = nlohmann::json::parse(out.str());
    EXPECT_EQ(json["modules"][0]["description"], "bad \xEF\xBF\xBD\xEF\xBF\xBD bytes");
    EXPECT_EQ(json["modules"][1]["classes"], nlohmann::json::array());
}

TEST(PluginListing, TextNamesModulesAndClassesWithHexIds) {
    ClassDirectory directory;
    ASSERT_TRUE(directory.LoadModule(ZentrographModule()));
    std::ostringstream out;
    WritePluginListingText(ListPlugins(directory), out);
    EXPECT_EQ(out.str(), ZentrographModule().string() +
                             "\n"
                             "  description  Direcly view the effect of spacewarps\n"
                             "  version      0x23281500\n"
                             "  class Zentrograph  category Tarnwick  super class 0x50  class id (0x0F016797, "
                             "0x762B0972)  public\n"
                             "1 module, 1 class\n");
}

TEST(PluginListing, TextShowsWhatIsMissing) {
    std::ostringstream out;
    WritePluginListingText(HandMadeListing(), out);
    EXPECT_EQ(out.str(),
              "/plugins/odd.dlo\n"
              "  description  (none)\n"
              "  version      0x1\n"
              "  class (unnamed)  category (none)  super class 0x830  class id (0xABCDEF01, 0x00000002)  not public\n"
              "/plugins/empty.dlo\n"
              "  description  Nothing inside\n"
              "  version      0x23281500\n"
              "  no classes\n"
              "2 modules, 1 class\n");
}
