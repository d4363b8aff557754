// Messages of the install run to the Install page, in the user range (2025 to 2027).
#pragma once

#include <windows.h>

// The last file is done: the page registers the product. wParam 0, lParam 0.
inline constexpr UINT WM_INSTALL_FINISH = WM_USER + 1001;
// A download worker has ended. wParam: its parameter block; lParam: 1 when the file was written.
inline constexpr UINT WM_INSTALL_FILE_DONE = WM_USER + 1002;
// Download progress. wParam: the file's row; lParam: whole percent received, 0 to 100.
inline constexpr UINT WM_INSTALL_PROGRESS = WM_USER + 1003;
