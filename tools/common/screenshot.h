// Pictures of what the screen shows where a window is, for the tools that show the setup's windows
// to people: the gallery and the demo's driver.
#pragma once

#include <string>

#include "wcl/window.h"

namespace tools {

enum class ScreenArea {
    WholeWindow, // frame and title bar included
    ClientArea,
};

// Writes the screen's pixels in the window's rectangle (or its client area's) to `path` as a 24-bit
// BMP file: what the user sees there, a window lying over it included. False when the window has
// no area or the picture could not be taken or written.
bool WriteScreenshot(const wcl::CWindow& window, ScreenArea area, const std::wstring& path);

} // namespace tools
