// The validator's checks. Each runs in a child process of its own against one module
// file, loads the module itself, and answers a one-line summary or throws CheckFailure
// with the first thing that did not hold. Checks reach the module only through the
// host's interfaces, so any module can be checked the same way.
#pragma once

#include <filesystem>
#include <random>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <fmt/format.h>

#include "app/validate/child_run.h"

namespace zg::validate {

struct CheckContext {
    std::filesystem::path module;
    ChildReport& report;
    std::mt19937_64& rng;  // seeded from the run's seed and the check's name
};

struct Check {
    std::string_view name;
    std::string (*run)(CheckContext& context);
};

// Every check, in the order a run takes them.
const std::vector<Check>& Checks();

// Fails the check with the formatted message unless `holds`.
template <typename... Args>
void Require(bool holds, fmt::format_string<Args...> format, Args&&... args) {
    if (!holds) Fail(fmt::format(format, std::forward<Args>(args)...));
}

// The checks, by the file that holds them.
// module_checks.cpp: the module and its class descriptors.
std::string CheckLoadUnload(CheckContext& context);
std::string CheckDescriptors(CheckContext& context);
std::string CheckCreateDelete(CheckContext& context);
std::string CheckDefaults(CheckContext& context);
// object_checks.cpp: objects and the values they hold.
std::string CheckInstances(CheckContext& context);
std::string CheckExtremeValues(CheckContext& context);
std::string CheckNodeTables(CheckContext& context);
std::string CheckClone(CheckContext& context);
// state_checks.cpp: what an object keeps and what it shows of it.
std::string CheckSaveLoad(CheckContext& context);
std::string CheckCache(CheckContext& context);
// interaction_checks.cpp: the user's ways in.
std::string CheckCreation(CheckContext& context);
std::string CheckRollouts(CheckContext& context);

}  // namespace zg::validate
