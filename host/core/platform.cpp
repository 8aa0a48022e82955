#include "host/platform.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace host {
namespace {

// A registered module: its resources and the path that names it in messages.
struct ModuleRecord {
    HINSTANCE handle;
    const ResourceDirectory* resources;
    std::string path;
};

struct ModuleRegistry {
    std::vector<ModuleRecord> modules;
    // Handles are never reused, so a stale handle of an unregistered module cannot
    // reach a module registered later.
    uintptr_t nextHandle = 1;
};

ModuleRegistry& Registry() {
    static ModuleRegistry registry;
    return registry;
}

const ModuleRecord* FindModule(HINSTANCE instance) {
    if (instance == nullptr) return nullptr;
    for (const ModuleRecord& m : Registry().modules)
        if (m.handle == instance) return &m;
    return nullptr;
}

// The entry of a module's resource table (`count` entries, none when null) with `id`.
template <class Resource>
const Resource* FindById(const Resource* table, int count, int id) {
    if (table == nullptr) return nullptr;
    for (int i = 0; i < count; ++i)
        if (table[i].id == id) return &table[i];
    return nullptr;
}

WindowService* g_windows = nullptr;
ShellService* g_shell = nullptr;
MessageBoxService* g_messageBoxes = nullptr;

}  // namespace

// ---- Module resources --------------------------------------------------------------

HINSTANCE RegisterModule(const ResourceDirectory* resources, const std::string& path) {
    ModuleRegistry& registry = Registry();
    auto* handle = reinterpret_cast<HINSTANCE>(registry.nextHandle++);
    registry.modules.push_back({handle, resources, path});
    return handle;
}

void UnregisterModule(HINSTANCE instance) {
    auto& modules = Registry().modules;
    for (auto it = modules.begin(); it != modules.end(); ++it) {
        if (it->handle == instance) {
            modules.erase(it);
            return;
        }
    }
}

const ResourceDirectory* ModuleResources(HINSTANCE instance) {
    const ModuleRecord* m = FindModule(instance);
    return m != nullptr ? m->resources : nullptr;
}

const DialogTemplate* FindDialog(HINSTANCE instance, int id) {
    const ResourceDirectory* dir = ModuleResources(instance);
    return dir != nullptr ? FindById(dir->dialogs, dir->dialogCount, id) : nullptr;
}

const BitmapResource* FindBitmap(HINSTANCE instance, int id) {
    const ResourceDirectory* dir = ModuleResources(instance);
    return dir != nullptr ? FindById(dir->bitmaps, dir->bitmapCount, id) : nullptr;
}

// ---- Services ------------------------------------------------------------------------

WindowService::~WindowService() = default;
ShellService::~ShellService() = default;
MessageBoxService::~MessageBoxService() = default;

void InstallWindowService(WindowService* service) { g_windows = service; }
void InstallShellService(ShellService* service) { g_shell = service; }
void InstallMessageBoxService(MessageBoxService* service) { g_messageBoxes = service; }

// ---- Platform calls ------------------------------------------------------------------

int LoadStringA(HINSTANCE instance, UINT id, char* buffer, int bufferMax) {
    if (buffer == nullptr || bufferMax <= 0) return 0;
    buffer[0] = '\0';
    const ResourceDirectory* dir = ModuleResources(instance);
    if (dir == nullptr || dir->strings == nullptr) return 0;
    for (int i = 0; i < dir->stringCount; ++i) {
        const StringResource& s = dir->strings[i];
        if (s.id < 0 || static_cast<UINT>(s.id) != id) continue;
        if (s.text == nullptr) return 0;
        std::size_t n = std::strlen(s.text);
        const auto room = static_cast<std::size_t>(bufferMax - 1);
        if (n > room) n = room;
        std::memcpy(buffer, s.text, n);
        buffer[n] = '\0';
        return static_cast<int>(n);
    }
    return 0;
}

BOOL DisableThreadLibraryCalls(HINSTANCE instance) { return FindModule(instance) != nullptr ? 1 : 0; }

HWND GetDlgItem(HWND dialog, int id) { return g_windows != nullptr ? g_windows->GetDlgItem(dialog, id) : nullptr; }

BOOL SetWindowTextA(HWND window, const char* text) {
    if (g_windows == nullptr) return 0;
    return g_windows->SetWindowText(window, text != nullptr ? text : "") ? 1 : 0;
}

INT_PTR ShellExecuteA(HWND parent, const char* verb, const char* file, const char* parameters,
                      const char* directory, int show) {
    if (g_shell == nullptr) return SE_ERR_NOASSOC;
    return g_shell->Open(parent, verb, file, parameters, directory, show);
}

int MessageBoxA(HWND owner, const char* text, const char* caption, UINT type) {
    if (g_messageBoxes != nullptr) return g_messageBoxes->Show(owner, text, caption, type);
    std::fprintf(stderr, "%s: %s\n", caption != nullptr ? caption : "", text != nullptr ? text : "");
    return IDOK;
}

}  // namespace host
