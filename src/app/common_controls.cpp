#include "app/common_controls.h"

#include <windows.h>
#include <commctrl.h>

namespace app {

bool RegisterCommonControls() {
    // Never freed: the window classes it registers live in it for the whole run.
    const HMODULE comctl = ::LoadLibraryW(L"comctl32.dll");
    if (!comctl)
        return false;
    using InitFunction = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    const auto init = reinterpret_cast<InitFunction>(
        reinterpret_cast<void*>(::GetProcAddress(comctl, "InitCommonControlsEx")));
    if (!init)
        return false;
    INITCOMMONCONTROLSEX classes{};
    classes.dwSize = sizeof(classes);
    classes.dwICC = ICC_WIN95_CLASSES;
    return init(&classes) != FALSE;
}

} // namespace app
