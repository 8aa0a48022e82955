// The platform calls a plug-in makes (string loading, dialog items, the shell, message
// boxes) with their platform semantics, and the module resources they read.
//
// Each call is backed by a service that the application, or a test, installs. With no
// service installed a call fails the way the platform reports failure. A module's
// resources travel inside the module: the module exports HostModuleResources, and the
// loader registers that directory under the module's instance handle.
//
// Every call runs on the UI thread. Resources stay the module's, and services stay
// owned by whoever installs them.
#pragma once

#include <cstdint>
#include <string>

namespace host {

struct HWND__;
struct HINSTANCE__;
using HWND = HWND__*;            // a window: a dialog, a control, the main window
using HINSTANCE = HINSTANCE__*;  // a loaded module
using BOOL = int;
using UINT = unsigned int;
using DWORD = uint32_t;
using WPARAM = uintptr_t;
using LPARAM = intptr_t;
using INT_PTR = intptr_t;

// A dialog procedure: the platform's form for handling a dialog's messages.
using DlgProc = INT_PTR (*)(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

inline constexpr DWORD DLL_PROCESS_DETACH = 0;
inline constexpr DWORD DLL_PROCESS_ATTACH = 1;
inline constexpr UINT WM_INITDIALOG = 272;
inline constexpr UINT WM_COMMAND = 273;
inline constexpr int SW_HIDE = 0;
inline constexpr UINT MB_OK = 0x0;
inline constexpr UINT MB_ICONERROR = 0x10;
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
// ShellExecuteA results of 32 or less are errors; this one: nothing can open the file.
inline constexpr INT_PTR SE_ERR_NOASSOC = 31;

constexpr unsigned LOWORD(WPARAM w) { return static_cast<unsigned>(w & 0xFFFF); }
constexpr unsigned HIWORD(WPARAM w) { return static_cast<unsigned>((w >> 16) & 0xFFFF); }

// ---- Module resources --------------------------------------------------------------

struct StringResource {
    int id;
    const char* text;
};

// One control of a dialog template. Positions and sizes are in dialog units.
struct DialogControl {
    int id;                   // -1 for a control without an id
    const char* windowClass;  // "Button", "Static", "ListBox", or a host class
    const char* text;         // nullptr for none
    int x, y, width, height;
    uint32_t style;
    uint32_t exStyle;
    int imageId;  // bitmap resource shown by a picture control, else 0
};

struct DialogTemplate {
    int id;
    uint32_t style;
    bool extended;  // the extended template form
    int width, height;
    const char* fontName;
    int pointSize;
    int weight;
    bool italic;
    int charset;
    const DialogControl* controls;
    int controlCount;
};

// An 8-bit palettised bitmap, rows top to bottom.
struct BitmapResource {
    int id;
    int width, height;
    int bitsPerPixel;
    const uint8_t* palette;  // paletteCount entries of blue, green, red, reserved
    int paletteCount;
    const uint8_t* pixels;   // width * height palette indices
};

struct ResourceDirectory {
    const StringResource* strings;
    int stringCount;
    const DialogTemplate* dialogs;
    int dialogCount;
    const BitmapResource* bitmaps;
    int bitmapCount;
};

// The export through which the platform finds a module's resources.
using ModuleResourcesFn = const ResourceDirectory* (*)();
inline constexpr const char* kModuleResourcesSymbol = "HostModuleResources";

// Gives a module its instance handle; called by the loader (or a test) once per loaded
// module. `path` names the module in messages.
HINSTANCE RegisterModule(const ResourceDirectory* resources, const std::string& path);
void UnregisterModule(HINSTANCE instance);
const ResourceDirectory* ModuleResources(HINSTANCE instance);
const DialogTemplate* FindDialog(HINSTANCE instance, int id);
const BitmapResource* FindBitmap(HINSTANCE instance, int id);

// ---- Services that front ends install ------------------------------------------

// Dialog windows and their controls.
class WindowService {
public:
    virtual ~WindowService();
    virtual HWND GetDlgItem(HWND dialog, int id) = 0;
    virtual bool SetWindowText(HWND window, const char* text) = 0;
};

// Opens documents and addresses.
class ShellService {
public:
    virtual ~ShellService();
    // Platform result: above 32 on success, an error code of 32 or less otherwise.
    virtual INT_PTR Open(HWND parent, const char* verb, const char* file, const char* parameters,
                         const char* directory, int show) = 0;
};

// Shows message boxes; answers the button pressed, 0 when none could be shown.
class MessageBoxService {
public:
    virtual ~MessageBoxService();
    virtual int Show(HWND owner, const char* text, const char* caption, UINT type) = 0;
};

// Installs a service (nullptr uninstalls); the caller keeps ownership.
void InstallWindowService(WindowService* service);
void InstallShellService(ShellService* service);
void InstallMessageBoxService(MessageBoxService* service);

// ---- The platform calls ------------------------------------------------------------

// Copies string `id` of the module's string table into `buffer`, truncated to
// bufferMax - 1 characters and terminated. Returns the characters copied, 0 when the
// string or the module is unknown (the buffer then holds an empty string if it has
// room).
int LoadStringA(HINSTANCE instance, UINT id, char* buffer, int bufferMax);
// Nothing to switch off on this platform; succeeds for a registered module.
BOOL DisableThreadLibraryCalls(HINSTANCE instance);
HWND GetDlgItem(HWND dialog, int id);
BOOL SetWindowTextA(HWND window, const char* text);
// Result above 32 on success; SE_ERR_NOASSOC when no shell service is installed.
INT_PTR ShellExecuteA(HWND parent, const char* verb, const char* file, const char* parameters,
                      const char* directory, int show);
// Answers the button pressed; without a service the message goes to standard error
// and the answer is IDOK.
int MessageBoxA(HWND owner, const char* text, const char* caption, UINT type);

}  // namespace host
