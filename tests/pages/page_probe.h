// What the page tests share: a window's erased background read back pixel by pixel, and the
// program's bitmap resources read the same way.
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "wcl/gdi.h"

namespace page_test {

inline constexpr COLORREF kSentinel = RGB(1, 2, 3);

// Pixels read back from a bitmap, top row first.
class Picture {
public:
    Picture(int width, int height)
        : m_width(width), m_height(height), m_pixels(static_cast<size_t>(width * height)) {}

    int Width() const { return m_width; }
    int Height() const { return m_height; }
    COLORREF At(int x, int y) const {
        const std::uint32_t pixel = m_pixels[static_cast<size_t>(y * m_width + x)];
        return RGB((pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF);
    }
    // How many pixels of the rectangle satisfy the test.
    int Count(RECT area, const std::function<bool(COLORREF)>& test) const {
        int count = 0;
        for (int y = area.top; y < area.bottom; ++y)
            for (int x = area.left; x < area.right; ++x)
                count += test(At(x, y)) ? 1 : 0;
        return count;
    }
    bool operator==(const Picture&) const = default;

    static Picture Read(const wcl::CDC& dc, const wcl::CBitmap& bitmap, int width, int height) {
        Picture picture(width, height);
        BITMAPINFO format{};
        format.bmiHeader.biSize = sizeof(format.bmiHeader);
        format.bmiHeader.biWidth = width;
        format.bmiHeader.biHeight = -height; // top row first
        format.bmiHeader.biPlanes = 1;
        format.bmiHeader.biBitCount = 32;
        format.bmiHeader.biCompression = BI_RGB;
        ::GetDIBits(dc.GetSafeHdc(), bitmap.GetSafeHandle(), 0, static_cast<UINT>(height),
                    picture.m_pixels.data(), &format, DIB_RGB_COLORS);
        return picture;
    }

private:
    int m_width;
    int m_height;
    std::vector<std::uint32_t> m_pixels;
};

inline bool IsWhite(COLORREF colour) {
    return colour == RGB(255, 255, 255);
}
inline bool IsRed(COLORREF colour) {
    return GetRValue(colour) >= 200 && GetGValue(colour) <= 120 && GetBValue(colour) <= 120;
}
inline bool IsDark(COLORREF colour) {
    return GetRValue(colour) < 100 && GetGValue(colour) < 100 && GetBValue(colour) < 100;
}

// Lets the window erase its background into a picture first filled with `fill`.
inline Picture Erase(HWND window, int width, int height, COLORREF fill = kSentinel) {
    const wcl::CClientDC screen{wcl::CWindow()};
    wcl::CCompatibleDC dc(screen);
    wcl::CBitmap bitmap;
    EXPECT_TRUE(bitmap.CreateCompatibleBitmap(screen, width, height));
    {
        const wcl::SelectedObject selected = dc.SelectObject(bitmap);
        dc.FillSolidRect(0, 0, width, height, fill);
        EXPECT_EQ(
            ::SendMessageW(window, WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), 0),
            TRUE);
    }
    return Picture::Read(dc, bitmap, width, height);
}

inline Picture ResourcePicture(UINT id) {
    wcl::CBitmap bitmap;
    EXPECT_TRUE(bitmap.LoadBitmap(id));
    BITMAP info{};
    bitmap.GetBitmap(info);
    const wcl::CClientDC screen{wcl::CWindow()};
    return Picture::Read(screen, bitmap, info.bmWidth, info.bmHeight);
}

} // namespace page_test
