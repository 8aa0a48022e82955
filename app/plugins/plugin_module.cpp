#include "app/plugins/plugin_module.h"

#include <dlfcn.h>

#include <fmt/format.h>
#include <fmt/ranges.h>

#include <algorithm>
#include <string_view>
#include <vector>

#include "app/plugins/module_file.h"

namespace zg::plugins {

namespace {

// dlerror() usually begins with the path it was given; the caller's message already
// names the file, so that prefix is dropped.
std::string LoaderError(const std::string& openedPath) {
    const char* raw = dlerror();
    std::string_view message = raw != nullptr ? raw : "unknown loader error";
    const std::string prefix = openedPath + ": ";
    if (message.starts_with(prefix)) message.remove_prefix(prefix.size());
    return std::string(message);
}

// dlopen searches the library path for a bare file name; a module is always named by
// its own path, so a bare name becomes ./name.
std::string PathForLoader(const std::filesystem::path& file) {
    std::string path = file.string();
    if (path.find('/') == std::string::npos) path = "./" + path;
    return path;
}

template <typename Fn>
Fn Export(void* handle, const char* name) {
    return reinterpret_cast<Fn>(dlsym(handle, name));
}

}  // namespace

void PluginModule::LibraryClose::operator()(void* handle) const { dlclose(handle); }

void PluginModule::Unregister::operator()(host::HINSTANCE instance) const { host::UnregisterModule(instance); }

void PluginModule::Detach::operator()(host::HINSTANCE instance) const {
    entry(instance, host::DLL_PROCESS_DETACH, nullptr);
}

std::unique_ptr<PluginModule> PluginModule::Load(const std::filesystem::path& file, std::string& error) {
    error.clear();
    const std::string shown = file.string();
    const std::string opened = PathForLoader(file);
    if (!CheckModuleFile(file, error)) return nullptr;

    // Built up step by step; on any failure the steps taken are undone, last first, as
    // the module goes.
    std::unique_ptr<PluginModule> module(new PluginModule());
    module->file_ = file;
    module->handle_.reset(dlopen(opened.c_str(), RTLD_NOW | RTLD_LOCAL));
    void* handle = module->handle_.get();
    if (handle == nullptr) {
        error = fmt::format("{}: not a loadable module: {}", shown, LoaderError(opened));
        return nullptr;
    }

    auto resources = Export<host::ModuleResourcesFn>(handle, host::kModuleResourcesSymbol);
    auto entry = Export<host::DllMainFn>(handle, "DllMain");
    auto description = Export<host::LibDescriptionFn>(handle, "LibDescription");
    auto numberClasses = Export<host::LibNumberClassesFn>(handle, "LibNumberClasses");
    auto classDesc = Export<host::LibClassDescFn>(handle, "LibClassDesc");
    auto version = Export<host::LibVersionFn>(handle, "LibVersion");

    std::vector<std::string_view> missing;
    if (resources == nullptr) missing.push_back(host::kModuleResourcesSymbol);
    if (entry == nullptr) missing.push_back("DllMain");
    if (description == nullptr) missing.push_back("LibDescription");
    if (numberClasses == nullptr) missing.push_back("LibNumberClasses");
    if (classDesc == nullptr) missing.push_back("LibClassDesc");
    if (version == nullptr) missing.push_back("LibVersion");
    if (!missing.empty()) {
        error = fmt::format("{}: missing export{} {}", shown, missing.size() > 1 ? "s" : "",
                            fmt::join(missing, ", "));
        return nullptr;
    }

    const host::HINSTANCE instance = host::RegisterModule(resources(), shown);
    if (instance == nullptr) {
        error = fmt::format("{}: the host could not register the module", shown);
        return nullptr;
    }
    module->registration_.reset(instance);

    // The platform's rule: a module that refuses to attach is detached again and
    // unloaded, and so is one that turns out to be built for another interface.
    const bool attached = entry(instance, host::DLL_PROCESS_ATTACH, nullptr) != 0;
    module->attachment_ = Attachment(instance, Detach{entry});
    if (!attached) {
        error = fmt::format("{}: the module refused to attach (its entry routine answered 0)", shown);
        return nullptr;
    }
    const unsigned long declared = version();
    if (declared != host::kHostInterfaceVersion) {
        error = fmt::format("{}: built for host interface version {:#x}, this host is {:#x}", shown, declared,
                            host::kHostInterfaceVersion);
        return nullptr;
    }

    module->classDesc_ = classDesc;
    // The module may hand back a shared buffer that its next call overwrites: copy now.
    const char* text = description();
    module->description_ = text != nullptr ? text : "";
    module->version_ = declared;
    module->numClasses_ = std::max(0, numberClasses());
    return module;
}

host::ClassDesc2* PluginModule::ClassAt(int i) const { return classDesc_(i); }

void* PluginModule::Symbol(const char* name) const {
    if (name == nullptr) return nullptr;
    return dlsym(handle_.get(), name);
}

}  // namespace zg::plugins
