// ClassDirectory: every class the host can create, from the plug-in modules of a
// folder and from the host itself, found by name or by class identity and listed by
// category. It owns the modules it loaded and unloads them, last loaded first, when
// it is destroyed.
#pragma once

#include <deque>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/plugins/module_scan.h"
#include "app/plugins/plugin_module.h"
#include "host/classdesc.h"
#include "host/classid.h"

namespace zg::plugins {

// What a class descriptor says about its class, read once when the class is listed
// (a module may answer its strings from one shared buffer). Missing strings are "".
struct ClassFacts {
    std::string name;          // ClassName
    std::string internalName;  // InternalName: the name scene files use
    std::string category;      // Category
    host::SClass_ID superClassId = 0;
    host::Class_ID classId;
    bool isPublic = false;
    bool operator==(const ClassFacts&) const = default;
};

// The descriptor's answers, each string copied before the next call: a module may
// answer every string from one shared buffer.
ClassFacts ReadClassFacts(host::ClassDesc2& desc);

struct ClassEntry {
    host::ClassDesc2* desc = nullptr;      // owned by its module, or by the host for built-ins
    const PluginModule* module = nullptr;  // none for the host's built-in classes
    ClassFacts facts;
};

// The *.dlo files of `folder` in file-name order; none, with a one-line reason in
// `error`, when the folder cannot be read.
std::optional<std::vector<std::filesystem::path>> ModuleFiles(const std::filesystem::path& folder, std::string& error);

// A module offering more classes than this is listed with its first ones only.
inline constexpr int kMaxClassesPerModule = 1024;

// Used on the UI thread only.
class ClassDirectory {
public:
    ClassDirectory() = default;
    ~ClassDirectory();
    ClassDirectory(const ClassDirectory&) = delete;
    ClassDirectory& operator=(const ClassDirectory&) = delete;

    // Has LoadFolder scan each module in a child process first (app/plugins/
    // module_scan.h) and skip those that do not come through.
    void EnableScan(ScanSettings settings) { scan_ = std::move(settings); }
    // Loads every *.dlo file of `folder` in file-name order. Each file that cannot be
    // loaded adds one line to Problems() and is skipped. Answers false, with a problem
    // line, when the folder itself cannot be read.
    bool LoadFolder(const std::filesystem::path& folder);
    // Loads one module and lists its classes; false, with a problem line, when it
    // cannot be loaded, is already loaded, or throws while it is loaded. What the
    // module prints on standard output meanwhile goes to standard error.
    bool LoadModule(const std::filesystem::path& file);
    // Lists one of the host's own classes; the caller keeps the descriptor alive for
    // the directory's lifetime. A duplicate class identity is a problem and skipped.
    void AddBuiltin(host::ClassDesc2* desc);

    // Loaded modules, in load order.
    const std::vector<std::unique_ptr<PluginModule>>& Modules() const { return modules_; }
    // Every listed class, in the order it was listed. Entries never move: pointers to
    // them stay valid for the directory's lifetime.
    const std::deque<ClassEntry>& Classes() const { return classes_; }
    // The classes one module offers (none: the built-in classes), in its own order.
    std::vector<const ClassEntry*> ClassesOf(const PluginModule* module) const;
    // Classes by Category(), categories in name order, classes in listing order.
    std::map<std::string, std::vector<const ClassEntry*>> ByCategory() const;

    // None when no class matches; an empty name matches nothing.
    const ClassEntry* Find(std::string_view internalName) const;
    const ClassEntry* Find(host::SClass_ID superClassId, host::Class_ID classId) const;

    // Module files that could not be loaded (each has its line in Problems()).
    int SkippedModules() const { return skippedModules_; }
    // One line per folder, module or class that could not be used, in the order met;
    // control characters of file names and module strings are shown escaped.
    const std::vector<std::string>& Problems() const { return problems_; }

private:
    void AddProblem(std::string_view line);
    // Lists `desc` unless its identity is taken; `origin` names it in a problem line.
    void List(host::ClassDesc2* desc, const PluginModule* module, const std::string& origin);

    std::vector<std::unique_ptr<PluginModule>> modules_;
    std::deque<ClassEntry> classes_;
    std::vector<std::string> problems_;
    int skippedModules_ = 0;
    std::optional<ScanSettings> scan_;
};

}  // namespace zg::plugins
