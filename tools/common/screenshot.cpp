#include "common/screenshot.h"

#include "wcl/file.h"
#include "wcl/gdi.h"

namespace tools {

namespace {

RECT OnScreen(const wcl::CWindow& window, ScreenArea area) {
    if (area == ScreenArea::WholeWindow)
        return window.GetWindowRect();
    RECT client = window.GetClientRect();
    window.ClientToScreen(client);
    return client;
}

// Rows of a 24-bit BMP are padded to whole 4-byte words.
DWORD RowBytes(int width) {
    return (static_cast<DWORD>(width) * 3 + 3) & ~DWORD{3};
}

} // namespace

bool WriteScreenshot(const wcl::CWindow& window, ScreenArea area, const std::wstring& path) {
    const RECT rect = OnScreen(window, area);
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0)
        return false;

    BITMAPINFOHEADER header{};
    header.biSize = sizeof(header);
    header.biWidth = width;
    header.biHeight = height; // bottom row first, as BMP files store it
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    header.biSizeImage = RowBytes(width) * static_cast<DWORD>(height);

    const wcl::CClientDC screen{wcl::CWindow()};
    void* bits = nullptr;
    const wcl::UniqueBitmap picture(::CreateDIBSection(screen.GetSafeHdc(),
                                                       reinterpret_cast<BITMAPINFO*>(&header),
                                                       DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!picture)
        return false;
    {
        const wcl::CCompatibleDC copy(screen);
        const auto selected = copy.SelectObject(picture.get());
        if (!selected || !copy.BitBlt(0, 0, width, height, screen, rect.left, rect.top, SRCCOPY))
            return false;
    }
    ::GdiFlush(); // the copy is in `bits` once GDI has done its queued work

    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42; // "BM"
    file.bfOffBits = sizeof(file) + sizeof(header);
    file.bfSize = file.bfOffBits + header.biSizeImage;
    wcl::CFile out;
    return out.Open(path,
                    wcl::CFile::modeCreate | wcl::CFile::modeWrite | wcl::CFile::typeBinary) &&
           out.Write(&file, sizeof(file)) && out.Write(&header, sizeof(header)) &&
           out.Write(bits, header.biSizeImage) && out.Close();
}

} // namespace tools
