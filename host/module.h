// What a plug-in module exports, and the interface version this host speaks.
//
// A module is a shared object with the .dlo extension that exports, with C linkage:
//   DllMain(instance, reason, reserved)  entry routine; reason 1 on load, 0 before unload
//   LibDescription()                     a one-line description of the module
//   LibNumberClasses()                   how many classes it offers
//   LibClassDesc(i)                      the descriptor of class i, none out of range
//   LibVersion()                         the host interface version it was built for
//   HostModuleResources()                its resource directory (host/platform.h)
//
// The loader calls every export on the UI thread, one at a time. What an export returns
// (descriptors, strings, resources) stays the module's and lives until it is unloaded.
#pragma once

#include "host/classdesc.h"
#include "host/platform.h"

namespace host {

// The host interface version; a module declaring another one is not loaded.
inline constexpr unsigned long kHostInterfaceVersion = 0x23281500;

using DllMainFn = BOOL (*)(HINSTANCE instance, DWORD reason, void* reserved);
using LibDescriptionFn = const char* (*)();
using LibNumberClassesFn = int (*)();
using LibClassDescFn = ClassDesc2* (*)(int i);
using LibVersionFn = unsigned long (*)();

}  // namespace host

// Marks a module export: C linkage, visible although modules build with hidden
// visibility.
#define HOST_MODULE_EXPORT extern "C" __attribute__((visibility("default")))
