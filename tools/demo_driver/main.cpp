// Drives the setup through its pages for the demo, like a user would: it starts the setup, waits
// for each page, writes a picture of the wizard window as it stands on the screen, and presses
// Next until the wizard has finished.
//
//   demo_driver SETUP.EXE OUTPUT-FOLDER
//
// Pictures: welcome.bmp, install.bmp, complete.bmp in OUTPUT-FOLDER (24-bit BMP). At the end it
// prints the registry values and links the setup made. The exit code is 0 when the setup ran
// through all pages and ended, non-zero otherwise.
#include <windows.h>

#include <commctrl.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "common/screenshot.h"
#include "common/wizard_window.h"
#include "installed_report.h"
#include "wcl/handle.h"
#include "wcl/window.h"

namespace {

using tools::WaitFor;

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr int kNextButton = 1001;
constexpr int kWelcomeMarker = 1006; // the Welcome page's hidden static
constexpr int kInstallMarker = 1005; // the Install page's file list

// The visible page of the frame: the child dialog that is shown.
HWND VisiblePage(HWND frame) {
    for (HWND child = ::GetWindow(frame, GW_CHILD); child;
         child = ::GetWindow(child, GW_HWNDNEXT)) {
        wchar_t className[16] = {};
        ::GetClassNameW(child, className, static_cast<int>(std::size(className)));
        if (std::wstring(className) == L"#32770" && ::IsWindowVisible(child))
            return child;
    }
    return nullptr;
}

bool PageHas(HWND frame, int controlId) {
    HWND page = VisiblePage(frame);
    return page && ::GetDlgItem(page, controlId);
}

// Rows of the Install page's file list while that page shows; 0 otherwise.
LRESULT InstallPageRows(HWND frame) {
    const HWND page = VisiblePage(frame);
    const HWND list = page ? ::GetDlgItem(page, kInstallMarker) : nullptr;
    return list ? ::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) : 0;
}

bool CompletePageShown(HWND frame) {
    HWND page = VisiblePage(frame);
    HWND next = ::GetDlgItem(frame, kNextButton);
    return page && !::GetDlgItem(page, kWelcomeMarker) && !::GetDlgItem(page, kInstallMarker) &&
           next && ::IsWindowEnabled(next);
}

// Writes the window's rectangle of the screen, title bar included, as the user sees it.
bool CaptureWindow(HWND window, const std::wstring& path) {
    ::SetForegroundWindow(window);
    ::RedrawWindow(window, nullptr, nullptr,
                   RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    std::this_thread::sleep_for(300ms);
    return tools::WriteScreenshot(wcl::CWindow(window), tools::ScreenArea::WholeWindow, path);
}

void PressNext(HWND frame) {
    // Posted, as a click is: the Next handler runs for seconds (it stops a running product and
    // loads the version list), and the driver keeps watching meanwhile.
    ::PostMessageW(frame, WM_COMMAND, MAKEWPARAM(kNextButton, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(frame, kNextButton)));
}

int Fail(const char* what) {
    std::printf("demo: %s\n", what);
    return 1;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3) {
        std::printf("usage: demo_driver SETUP.EXE OUTPUT-FOLDER\n");
        return 2;
    }
    const std::wstring folder = argv[2];
    std::wstring commandLine = L"\"" + std::wstring(argv[1]) + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION started{};
    if (!::CreateProcessW(argv[1], commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &started))
        return Fail("the setup could not be started");
    wcl::UniqueHandle process(started.hProcess);
    wcl::UniqueHandle thread(started.hThread);

    HWND frame = nullptr;
    if (!WaitFor([&] { return (frame = tools::FindWizardFrame(started.dwProcessId)) != nullptr; },
                 30s))
        return Fail("no wizard window appeared");

    if (!WaitFor([&] { return PageHas(frame, kWelcomeMarker); }, 10s))
        return Fail("the Welcome page did not appear");
    std::printf("demo: Welcome page\n");
    if (!CaptureWindow(frame, folder + L"\\welcome.bmp"))
        return Fail("the picture of the Welcome page could not be written");

    PressNext(frame);
    if (!WaitFor([&] { return PageHas(frame, kInstallMarker); }, 60s))
        return Fail("the Install page did not appear");
    std::printf("demo: Install page\n");
    // The picture is taken as soon as the rows are there: a local server's files come quickly.
    WaitFor([&] { return InstallPageRows(frame) > 0 || CompletePageShown(frame); }, 60s);
    if (!CaptureWindow(frame, folder + L"\\install.bmp"))
        return Fail("the picture of the Install page could not be written");

    if (!WaitFor([&] { return CompletePageShown(frame); }, 60s))
        return Fail("the installation did not complete");
    std::printf("demo: Complete page\n");
    if (!CaptureWindow(frame, folder + L"\\complete.bmp"))
        return Fail("the picture of the Complete page could not be written");

    PressNext(frame);
    if (::WaitForSingleObject(process.get(), 30000) != WAIT_OBJECT_0)
        return Fail("the wizard did not end after OK");
    DWORD exitCode = 0;
    ::GetExitCodeProcess(process.get(), &exitCode);
    std::printf("demo: the wizard ended (exit code %lu)\n", exitCode);
    demo::PrintRegistration();
    return 0;
}
