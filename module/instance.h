// Module-wide state of the plug-in: its instance handle and the string reader that
// every part of the module uses to read the string table.
#pragma once

#include "host/platform.h"

namespace zentrograph {

// The module's instance handle, stored by the entry routine on load; none before.
extern host::HINSTANCE hInstance;

// The text of string `id` of the module's string table, or none when the module has
// no instance handle yet or the string is missing or empty. The text lives in one
// shared buffer of 256 characters that the next call overwrites: a caller that keeps
// the text copies it first.
const char* GetString(int id);

}  // namespace zentrograph
