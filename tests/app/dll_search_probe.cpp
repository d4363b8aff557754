// Loads a system DLL by name, as a program does after start-up. Built twice: on the setup's own
// entry, which limits the search to the system folder, and on the runtime's plain entry. Exit
// code 0 when the DLL was loaded.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    return ::LoadLibraryW(L"msimg32.dll") ? 0 : 1;
}
