#include "app/plugins/class_directory.h"

#include <fmt/format.h>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <system_error>

#include "app/text/one_line.h"

namespace zg::plugins {

namespace fs = std::filesystem;

namespace {

std::string Text(const char* s) { return s != nullptr ? std::string(s) : std::string(); }

std::string Identity(const ClassFacts& facts) {
    return fmt::format("super class {:#x}, class id (0x{:08X}, 0x{:08X})", facts.superClassId,
                       facts.classId.PartA(), facts.classId.PartB());
}

std::string Origin(const PluginModule* module) {
    return module != nullptr ? module->File().string() : std::string("the host's built-in classes");
}

// While it lives, what is written to standard output goes to standard error, so that
// a module printing as it loads cannot mix its words into a command's output.
class OutputToErrors {
public:
    OutputToErrors() {
        std::cout.flush();
        std::fflush(stdout);
        saved_ = ::dup(STDOUT_FILENO);
        if (saved_ >= 0) ::dup2(STDERR_FILENO, STDOUT_FILENO);
    }
    ~OutputToErrors() {
        std::cout.flush();
        std::fflush(stdout);
        if (saved_ < 0) return;
        ::dup2(saved_, STDOUT_FILENO);
        ::close(saved_);
    }
    OutputToErrors(const OutputToErrors&) = delete;
    OutputToErrors& operator=(const OutputToErrors&) = delete;

private:
    int saved_ = -1;
};

}  // namespace

ClassFacts ReadClassFacts(host::ClassDesc2& desc) {
    ClassFacts facts;
    facts.name = Text(desc.ClassName());
    facts.internalName = Text(desc.InternalName());
    facts.category = Text(desc.Category());
    facts.superClassId = desc.SuperClassID();
    facts.classId = desc.ClassID();
    facts.isPublic = desc.IsPublic() != 0;
    return facts;
}

ClassDirectory::~ClassDirectory() {
    classes_.clear();
    while (!modules_.empty()) modules_.pop_back();
}

std::optional<std::vector<fs::path>> ModuleFiles(const fs::path& folder, std::string& error) {
    if (folder.empty()) {
        error = "no plug-in folder given";
        return std::nullopt;
    }
    const std::string shown = folder.string();
    std::error_code ec;
    const fs::file_status status = fs::status(folder, ec);
    if (status.type() == fs::file_type::not_found) {
        error = fmt::format("{}: plug-in folder does not exist", shown);
        return std::nullopt;
    }
    if (ec) {
        error = fmt::format("{}: cannot read plug-in folder: {}", shown, ec.message());
        return std::nullopt;
    }
    if (!fs::is_directory(status)) {
        error = fmt::format("{}: plug-in folder is not a folder", shown);
        return std::nullopt;
    }

    std::vector<fs::path> files;
    fs::directory_iterator it(folder, ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        std::error_code typeError;
        if (it->path().extension() == ".dlo" && !it->is_directory(typeError)) files.push_back(it->path());
    }
    if (ec) {
        error = fmt::format("{}: cannot read plug-in folder: {}", shown, ec.message());
        return std::nullopt;
    }
    std::sort(files.begin(), files.end(),
              [](const fs::path& a, const fs::path& b) { return a.filename().string() < b.filename().string(); });
    return files;
}

bool ClassDirectory::LoadFolder(const fs::path& folder) {
    std::string error;
    const std::optional<std::vector<fs::path>> files = ModuleFiles(folder, error);
    if (!files) {
        AddProblem(error);
        return false;
    }
    std::optional<ModuleScanner> scanner;
    if (scan_) scanner.emplace(*scan_);
    for (const fs::path& file : *files) {
        if (scanner) {
            const ScanVerdict verdict = scanner->Scan(file);
            if (!verdict.usable) {
                AddProblem(verdict.problem);
                ++skippedModules_;
                continue;
            }
        }
        LoadModule(file);
    }
    return true;
}

bool ClassDirectory::LoadModule(const fs::path& file) {
    // Opening a loaded module again would run its entry routine a second time and move
    // its instance handle, so the first copy stands.
    for (const auto& loaded : modules_) {
        std::error_code ec;
        if (fs::equivalent(file, loaded->File(), ec)) {
            AddProblem(fmt::format("{}: already loaded as {}", file.string(), loaded->File().string()));
            ++skippedModules_;
            return false;
        }
    }

    const OutputToErrors quiet;
    std::string error;
    std::unique_ptr<PluginModule> module;
    try {
        module = PluginModule::Load(file, error);
    } catch (...) {
        error = fmt::format("{}: the module threw an exception while it was loaded", file.string());
    }
    if (module == nullptr) {
        AddProblem(error);
        ++skippedModules_;
        return false;
    }
    const PluginModule* loaded = module.get();
    modules_.push_back(std::move(module));

    int count = loaded->NumClasses();
    if (count > kMaxClassesPerModule) {
        AddProblem(fmt::format("{}: offers {} classes; only the first {} are listed", file.string(),
                                        count, kMaxClassesPerModule));
        count = kMaxClassesPerModule;
    }
    for (int i = 0; i < count; ++i) {
        try {
            host::ClassDesc2* desc = loaded->ClassAt(i);
            if (desc == nullptr) {
                AddProblem(fmt::format("{}: LibClassDesc({}) answered none", file.string(), i));
                continue;
            }
            List(desc, loaded, file.string());
        } catch (...) {
            AddProblem(fmt::format("{}: class {} threw an exception as it was listed; the module's later classes "
                                   "are not listed", file.string(), i));
            break;
        }
    }
    return true;
}

void ClassDirectory::AddProblem(std::string_view line) { problems_.push_back(text::OneLine(line)); }

void ClassDirectory::AddBuiltin(host::ClassDesc2* desc) {
    if (desc != nullptr) List(desc, nullptr, Origin(nullptr));
}

void ClassDirectory::List(host::ClassDesc2* desc, const PluginModule* module, const std::string& origin) {
    ClassFacts facts = ReadClassFacts(*desc);
    if (const ClassEntry* taken = Find(facts.superClassId, facts.classId)) {
        AddProblem(fmt::format("{}: class \"{}\" ({}) is already offered as \"{}\" by {}; skipped", origin,
                                        facts.name, Identity(facts), taken->facts.name, Origin(taken->module)));
        return;
    }
    classes_.push_back(ClassEntry{desc, module, std::move(facts)});
}

std::vector<const ClassEntry*> ClassDirectory::ClassesOf(const PluginModule* module) const {
    std::vector<const ClassEntry*> found;
    for (const ClassEntry& entry : classes_) {
        if (entry.module == module) found.push_back(&entry);
    }
    return found;
}

std::map<std::string, std::vector<const ClassEntry*>> ClassDirectory::ByCategory() const {
    std::map<std::string, std::vector<const ClassEntry*>> groups;
    for (const ClassEntry& entry : classes_) groups[entry.facts.category].push_back(&entry);
    return groups;
}

const ClassEntry* ClassDirectory::Find(std::string_view internalName) const {
    if (internalName.empty()) return nullptr;
    for (const ClassEntry& entry : classes_) {
        if (entry.facts.internalName == internalName) return &entry;
    }
    return nullptr;
}

const ClassEntry* ClassDirectory::Find(host::SClass_ID superClassId, host::Class_ID classId) const {
    for (const ClassEntry& entry : classes_) {
        if (entry.facts.superClassId == superClassId && entry.facts.classId == classId) return &entry;
    }
    return nullptr;
}

}  // namespace zg::plugins
