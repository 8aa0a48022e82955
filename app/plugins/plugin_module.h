// PluginModule: one plug-in module (.dlo) opened with the platform's dynamic loader,
// registered with the host under its own instance handle, and attached through its
// entry routine. Destroying it detaches, unregisters and closes the module, so every
// class descriptor and object of the module must be gone by then.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "host/classdesc.h"
#include "host/module.h"
#include "host/platform.h"

namespace zg::plugins {

// A loaded plug-in module; unloads on destruction. Used on the UI thread only.
class PluginModule {
public:
    // Checks the file (app/plugins/module_file.h) before anything maps it, opens it
    // (RTLD_NOW | RTLD_LOCAL), looks up every export of host/module.h,
    // registers the module's resources with the host, runs the entry routine with
    // DLL_PROCESS_ATTACH and checks LibVersion against host::kHostInterfaceVersion.
    // On failure answers null and fills `error` with one line naming the file; nothing
    // then stays loaded or registered.
    static std::unique_ptr<PluginModule> Load(const std::filesystem::path& file, std::string& error);

    // Entry routine with DLL_PROCESS_DETACH, unregister, then dlclose (the members'
    // own destructors, in that order).
    ~PluginModule() = default;
    PluginModule(const PluginModule&) = delete;
    PluginModule& operator=(const PluginModule&) = delete;

    const std::filesystem::path& File() const { return file_; }
    // LibDescription, copied at load; "" when the module gives none.
    const std::string& Description() const { return description_; }
    // The host interface version the module declares (LibVersion).
    unsigned long Version() const { return version_; }
    // LibNumberClasses, read at load; never negative.
    int NumClasses() const { return numClasses_; }
    // LibClassDesc(i), asked of the module for any i: its descriptor, owned by the
    // module, or none (the module's answer out of range).
    host::ClassDesc2* ClassAt(int i) const;
    host::HINSTANCE Instance() const { return registration_.get(); }
    // Any symbol the module exports; none when it has no such symbol.
    void* Symbol(const char* name) const;

private:
    // Each owns one step of loading and undoes it when it goes.
    struct LibraryClose {
        void operator()(void* handle) const;
    };
    struct Unregister {
        void operator()(host::HINSTANCE instance) const;
    };
    struct Detach {
        host::DllMainFn entry;  // value-initialised to none
        void operator()(host::HINSTANCE instance) const;
    };
    using Library = std::unique_ptr<void, LibraryClose>;
    using Registration = std::unique_ptr<host::HINSTANCE__, Unregister>;
    using Attachment = std::unique_ptr<host::HINSTANCE__, Detach>;

    PluginModule() = default;

    std::filesystem::path file_;
    Library handle_;
    Registration registration_;
    Attachment attachment_;
    host::LibClassDescFn classDesc_ = nullptr;
    std::string description_;
    unsigned long version_ = 0;
    int numClasses_ = 0;
};

}  // namespace zg::plugins
