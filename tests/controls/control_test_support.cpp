#include "control_test_support.h"

#include <memory>

#include "wcl/window_test_support.h"

namespace controls_test {

HostWindow::HostWindow(int width, int height) {
    CreateEx(WS_EX_TOOLWINDOW, L"STATIC", L"", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN,
             RECT{0, 0, width, height}, nullptr, 0);
}

Pixels::Pixels(int width, int height) : m_width(width), m_height(height), m_dc(wcl::CDC()) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height; // top-down: row 0 first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    m_bitmap.reset(::CreateDIBSection(m_dc.GetSafeHdc(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    m_bits = static_cast<const DWORD*>(bits);
    m_selected = m_dc.SelectObject(m_bitmap.get());
}

COLORREF Pixels::At(int x, int y) const {
    if (!m_bits || x < 0 || y < 0 || x >= m_width || y >= m_height)
        return CLR_INVALID;
    ::GdiFlush(); // drawing may still be queued
    const DWORD pixel = m_bits[static_cast<size_t>(y) * m_width + x];
    return RGB(GetBValue(pixel), GetGValue(pixel), GetRValue(pixel)); // stored as 0x00RRGGBB
}

int Pixels::RunFrom(int left, int y, COLORREF colour) const {
    int x = left;
    while (x < m_width && At(x, y) == colour)
        ++x;
    return x - left;
}

std::unique_ptr<Pixels> PrintClient(const wcl::CWindow& window) {
    const RECT client = window.GetClientRect();
    auto pixels = std::make_unique<Pixels>(client.right, client.bottom);
    window.SendMessage(WM_PRINTCLIENT, reinterpret_cast<WPARAM>(pixels->dc().GetSafeHdc()),
                       PRF_CLIENT);
    return pixels;
}

std::unique_ptr<Pixels> OnScreen(const wcl::CWindow& window) {
    window.UpdateWindow();
    wcl_test::PumpWaitingMessages();
    const RECT client = window.GetClientRect();
    auto pixels = std::make_unique<Pixels>(client.right, client.bottom);
    const wcl::CClientDC screen(window);
    pixels->dc().BitBlt(0, 0, client.right, client.bottom, screen, 0, 0, SRCCOPY);
    return pixels;
}

void PrintTo(const Run& run, std::ostream* out) {
    *out << "(" << static_cast<int>(GetRValue(run.colour)) << ","
         << static_cast<int>(GetGValue(run.colour)) << ","
         << static_cast<int>(GetBValue(run.colour)) << ")x" << run.length;
}

std::vector<Run> RunsOfRow(const Pixels& pixels, int y) {
    std::vector<Run> runs;
    for (int x = 0; x < pixels.Width(); ++x) {
        const COLORREF colour = pixels.At(x, y);
        if (!runs.empty() && runs.back().colour == colour)
            ++runs.back().length;
        else
            runs.push_back(Run{colour, 1});
    }
    return runs;
}

} // namespace controls_test
