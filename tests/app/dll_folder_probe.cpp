// Loads a DLL by a name that only the current folder holds, after limiting the DLL search as the
// setup's entry does when its argument is "found", and without any limit otherwise. Exit code 0
// when the DLL was loaded, 1 when it was not, 2 when limiting the search failed.
#include <windows.h>

#include <string_view>

#include "app/dll_search.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR commandLine, int) {
    const std::wstring_view mode(commandLine);
    if (mode == L"found" && !app::LimitDllSearch(app::FindSetDefaultDllDirectories()))
        return 2;
    return ::LoadLibraryW(L"folder_marker.dll") ? 0 : 1;
}
