// The setup's entry point, ahead of the C runtime's. An elevated setup is often started from a
// downloads folder, where anyone may have left a DLL named like a system one; a DLL loaded by
// name would then be taken from there. Limiting every later load to the system folder has to
// happen before anything can load a DLL: before the runtime's start-up, the global objects and
// wWinMain. The loader has resolved the import table before this runs, which is why the setup
// imports only DLLs that the system always takes from its own folder, and loads the rest (the
// common controls) afterwards. Where the system lacks the call that limits the search (a Windows
// 7 without its update), the current folder at least is taken out of it.
#include <windows.h>

#include "app/dll_search.h"

extern "C" {

// The C runtime's entry for a Unicode GUI program, which runs the global constructors and then
// wWinMain.
int WinMainCRTStartup();

int SetupEntryPoint() {
    app::LimitDllSearch(app::FindSetDefaultDllDirectories());
    return WinMainCRTStartup();
}

} // extern "C"
