// The common controls, loaded from the system folder only once the process's DLL search has been
// limited to it, so that the setup's import table names no DLL that could be planted beside it.
#pragma once

namespace app {

// Loads comctl32 (version 6 through the manifest) and registers its window classes
// (ICC_WIN95_CLASSES). false when the DLL or its entry could not be had.
bool RegisterCommonControls();

} // namespace app
