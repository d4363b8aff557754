// What the control tests share: a visible top-level window to hold controls under test, the
// pixels a window shows on screen or draws for WM_PRINTCLIENT, and rows of pixels as runs of one
// colour.
#pragma once

#include <windows.h>

#include <memory>
#include <ostream>
#include <vector>

#include "wcl/gdi.h"
#include "wcl/window.h"

namespace controls_test {

// A plain visible popup at the screen's top left, outside any window manager's reach.
class HostWindow : public wcl::CWnd {
public:
    explicit HostWindow(int width = 640, int height = 240);
};

// A 32-bit top-down picture in a memory DC.
class Pixels {
public:
    Pixels(int width, int height);
    Pixels(Pixels&&) = delete;

    const wcl::CDC& dc() const noexcept { return m_dc; }
    int Width() const noexcept { return m_width; }
    int Height() const noexcept { return m_height; }
    COLORREF At(int x, int y) const;
    // Pixels of `colour` from x = left, up to the first of another colour.
    int RunFrom(int left, int y, COLORREF colour) const;

private:
    int m_width;
    int m_height;
    const DWORD* m_bits = nullptr;
    wcl::CCompatibleDC m_dc;
    wcl::UniqueBitmap m_bitmap;
    wcl::SelectedObject m_selected;
};

// What the window draws into a DC handed to it with WM_PRINTCLIENT, client-sized.
std::unique_ptr<Pixels> PrintClient(const wcl::CWindow& window);
// What the window shows on screen after it has painted whatever was invalid.
std::unique_ptr<Pixels> OnScreen(const wcl::CWindow& window);

// A stretch of pixels of one colour.
struct Run {
    COLORREF colour;
    int length;
    friend bool operator==(const Run&, const Run&) = default;
};
void PrintTo(const Run& run, std::ostream* out);

// Row y of the picture as runs of one colour, left to right.
std::vector<Run> RunsOfRow(const Pixels& pixels, int y);

} // namespace controls_test
