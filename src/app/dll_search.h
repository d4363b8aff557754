// Where the setup lets the system look for DLLs loaded by name after start-up. The entry calls
// this before the C runtime starts, so it uses nothing but the system's own calls.
#pragma once

#include <windows.h>

namespace app {

// SetDefaultDllDirectories: Windows 8 has it, Windows 7 only with a later update.
using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);

// The system's SetDefaultDllDirectories, looked up at run time so the setup still starts where it
// is missing; null there.
SetDefaultDllDirectoriesFunction FindSetDefaultDllDirectories();

// Limits the search for DLLs loaded by name: to the system folder through setDefault where there
// is one; otherwise the current folder is taken out of the search (SetDllDirectoryW with an empty
// folder), which is what a system without it can do. true when the call succeeded.
bool LimitDllSearch(SetDefaultDllDirectoriesFunction setDefault);

} // namespace app
