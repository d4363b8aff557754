// The message the Install page sends the wizard frame when the installation and its registration
// have finished. It shares its number (2026) with the page's own done report, which goes to the
// page, not to the frame.
#pragma once

#include <windows.h>

// Sent (not posted) to the frame's window; wParam 0, lParam 0. The frame shows the Complete page.
inline constexpr UINT WM_INSTALL_COMPLETE = WM_USER + 1002;
