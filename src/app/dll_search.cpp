#include "app/dll_search.h"

namespace app {

SetDefaultDllDirectoriesFunction FindSetDefaultDllDirectories() {
    const HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
    if (!kernel)
        return nullptr;
    // Through the generic function type, which any function pointer may be cast to and from.
    const auto found =
        reinterpret_cast<void (*)()>(::GetProcAddress(kernel, "SetDefaultDllDirectories"));
    return reinterpret_cast<SetDefaultDllDirectoriesFunction>(found);
}

bool LimitDllSearch(SetDefaultDllDirectoriesFunction setDefault) {
    if (setDefault)
        return setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32) != FALSE;
    return ::SetDllDirectoryW(L"") != FALSE;
}

} // namespace app
