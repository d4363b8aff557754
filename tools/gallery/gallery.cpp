// gallery OUTPUT-FOLDER: shows every scene of every control in a window of its own and writes
// what the screen shows as OUTPUT-FOLDER\<scene>.bmp (24-bit). Exits with 1 when a scene could
// not be shown or written. tools/gallery/make-gallery.sh runs it under Wine and makes PNGs.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>

#include "common/screenshot.h"
#include "gallery.h"

namespace {

constexpr int kMargin = 8;

// Every control's scenes; a new control adds its function here.
std::vector<Scene> AllScenes() {
    std::vector<Scene> all;
    for (auto scenes : {&BusyIndicatorScenes, &ListScenes}) {
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
    return tools::WriteScreenshot(host, tools::ScreenArea::ClientArea,
                                  folder + L"\\" + scene.name + L".bmp");
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
