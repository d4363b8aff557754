// A DLL that only reports that it was loaded: on load it creates "<its own path>.loaded". Tests
// plant copies of it under the names of system DLLs beside a program.
#include <windows.h>

#include <string>

BOOL WINAPI DllMain(HINSTANCE self, DWORD reason, LPVOID) {
    if (reason != DLL_PROCESS_ATTACH)
        return TRUE;
    std::wstring path(MAX_PATH, L'\0');
    const DWORD length = ::GetModuleFileNameW(self, path.data(), MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return TRUE;
    path.resize(length);
    path += L".loaded";
    const HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE)
        ::CloseHandle(file);
    return TRUE;
}
