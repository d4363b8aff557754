// The stand-in browser: see stand_in_browser.h.
#include <windows.h>

#include <string>

#include "stand_in_browser/stand_in_browser.h"
#include "wcl/handle.h"
#include "wcl/text.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    wchar_t path[MAX_PATH] = {};
    const DWORD length =
        ::GetEnvironmentVariableW(stand_in::kBrowserRecordVariable, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH)
        return 1;
    wcl::UniqueFileHandle file(::CreateFileW(path, FILE_APPEND_DATA,
                                             FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                             OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file)
        return 2;
    const std::string line =
        stand_in::kBrowserStartLine + wcl::Utf16ToUtf8(::GetCommandLineW()) + "\n";
    DWORD written = 0;
    return ::WriteFile(file.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr)
               ? 0
               : 3;
}
