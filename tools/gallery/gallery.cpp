// gallery OUTPUT-FOLDER: shows every scene of every control in a window of its own and writes
// what the screen shows as OUTPUT-FOLDER\<scene>.bmp (24-bit). Exits with 1 when a scene could
// not be shown or written. tools/gallery/make-gallery.sh runs it under Wine and makes PNGs.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <vector>

#include "gallery.h"
#include "wcl/file.h"
#include "wcl/gdi.h"

namespace {

constexpr int kMargin = 8;

// Every control's scenes; a new control adds its function here.
std::vector<Scene> AllScenes() {
    std::vector<Scene> all;
    for (auto scenes : {&BusyIndicatorScenes}) {
        for (Scene& scene : scenes())
            all.push_back(std::move(scene));
    }
    return all;
}

// A plain popup at the screen's top left, the colour of a dialog.
class HostWindow : public wcl::CWnd {
public:
    explicit HostWindow(SIZE size) {
        CreateEx(WS_EX_TOOLWINDOW, L"STATIC", L"", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN,
                 RECT{0, 0, size.cx + 2 * kMargin, size.cy + 2 * kMargin}, nullptr, 0);
    }
};

void HandleMessagesFor(int milliseconds) {
    const DWORD end = ::GetTickCount() + static_cast<DWORD>(milliseconds);
    do {
        MSG msg;
        while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
        ::Sleep(5);
    } while (static_cast<LONG>(end - ::GetTickCount()) > 0);
}

// The window's client area as the screen shows it, as a 24-bit bottom-up BMP file.
bool WriteScreenshot(const wcl::CWindow& window, const std::wstring& path) {
    const RECT client = window.GetClientRect();
    const int width = client.right;
    const int height = client.bottom;
    const int stride = (width * 3 + 3) & ~3;

    BITMAPINFOHEADER header{};
    header.biSize = sizeof(header);
    header.biWidth = width;
    header.biHeight = height; // bottom-up, as BMP files store it
    header.biPlanes = 1;
    header.biBitCount = 24;
    header.biCompression = BI_RGB;
    header.biSizeImage = static_cast<DWORD>(stride) * height;

    const wcl::CClientDC screen(window);
    const wcl::CMemoryDC copy(screen);
    wcl::CBitmap bitmap;
    if (!bitmap.CreateCompatibleBitmap(screen, width, height))
        return false;
    {
        const auto selected = copy.SelectObject(bitmap);
        if (!copy.BitBlt(0, 0, width, height, screen, 0, 0, SRCCOPY))
            return false;
    }
    std::vector<BYTE> pixels(header.biSizeImage);
    auto info = reinterpret_cast<BITMAPINFO*>(&header);
    if (::GetDIBits(copy.GetSafeHdc(), bitmap.GetSafeHandle(), 0, height, pixels.data(), info,
                    DIB_RGB_COLORS) != height)
        return false;

    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42; // "BM"
    file.bfOffBits = sizeof(file) + sizeof(header);
    file.bfSize = file.bfOffBits + header.biSizeImage;
    wcl::CFile out;
    return out.Open(path,
                    wcl::CFile::modeCreate | wcl::CFile::modeWrite | wcl::CFile::typeBinary) &&
           out.Write(&file, sizeof(file)) && out.Write(&header, sizeof(header)) &&
           out.Write(pixels.data(), pixels.size()) && out.Close();
}

bool ShowAndWrite(const Scene& scene, const std::wstring& folder) {
    HostWindow host(scene.size);
    if (!host.GetSafeHwnd())
        return false;
    const RECT place{kMargin, kMargin, kMargin + scene.size.cx, kMargin + scene.size.cy};
    const std::unique_ptr<wcl::CWnd> control = scene.make(host, place);
    if (!control || !control->GetSafeHwnd())
        return false;
    host.UpdateWindow();
    control->UpdateWindow();
    HandleMessagesFor(scene.runMilliseconds);
    control->UpdateWindow();
    return WriteScreenshot(host, folder + L"\\" + scene.name + L".bmp");
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: gallery OUTPUT-FOLDER\n");
        return 2;
    }
    INITCOMMONCONTROLSEX init{sizeof(init), ICC_WIN95_CLASSES};
    ::InitCommonControlsEx(&init);
    ::CreateDirectoryW(argv[1], nullptr);
    int failed = 0;
    for (const Scene& scene : AllScenes()) {
        const bool written = ShowAndWrite(scene, argv[1]);
        std::printf("%-40ls %s\n", scene.name.c_str(), written ? "written" : "FAILED");
        failed += !written;
    }
    return failed == 0 ? 0 : 1;
}
