// How quickly the wizard's window thread answers while the downloads run: starts the setup,
// sends its frame a probe (WM_NULL by SendMessageTimeoutW, from this other process) every few
// milliseconds, first with the wizard idle on the Welcome page, then from the moment the Install
// page holds its rows until the Complete page shows, and prints the 50th and 99th percentile and
// the longest answer of each phase. The OK at the end is not pressed: the close box ends the
// wizard without starting anything.
//
//   ui_latency_bench SETUP.EXE
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "common/wizard_window.h"
#include "wcl/handle.h"

namespace {

using tools::WaitFor;

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr int kNextButton = 1001;
constexpr int kFileList = 1005;
constexpr auto kProbeInterval = 5ms;
constexpr UINT kProbeBound = 5000;

// The Install page's file list: the visible child with the list's id.
HWND VisibleFileList(HWND frame) {
    for (HWND page = ::GetWindow(frame, GW_CHILD); page; page = ::GetWindow(page, GW_HWNDNEXT)) {
        const HWND list = ::GetDlgItem(page, kFileList);
        if (list && ::IsWindowVisible(page))
            return list;
    }
    return nullptr;
}

// Answer times in milliseconds of probes sent until `stop` holds; a probe that is not answered
// within the bound counts as the bound.
std::vector<double> Probe(HWND frame, const std::function<bool()>& stop) {
    std::vector<double> answers;
    while (!stop()) {
        const auto sent = Clock::now();
        DWORD_PTR result = 0;
        ::SendMessageTimeoutW(frame, WM_NULL, 0, 0, SMTO_NORMAL, kProbeBound, &result);
        answers.push_back(std::chrono::duration<double, std::milli>(Clock::now() - sent).count());
        std::this_thread::sleep_for(kProbeInterval);
    }
    return answers;
}

void Print(const char* phase, std::vector<double> answers) {
    if (answers.empty()) {
        std::printf("%-34s no probe\n", phase);
        return;
    }
    std::sort(answers.begin(), answers.end());
    const auto at = [&answers](double share) {
        return answers[std::min(answers.size() - 1, static_cast<size_t>(share * answers.size()))];
    };
    std::printf("%-34s %6zu probes: p50 %7.3f ms, p99 %7.3f ms, longest %8.3f ms\n", phase,
                answers.size(), at(0.50), at(0.99), answers.back());
}

int Fail(const char* why) {
    std::printf("ui_latency_bench: %s\n", why);
    return 1;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2)
        return Fail("usage: ui_latency_bench SETUP.EXE");
    std::wstring commandLine = L"\"" + std::wstring(argv[1]) + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION started{};
    if (!::CreateProcessW(argv[1], commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &started))
        return Fail("the setup did not start");
    const wcl::UniqueHandle process(started.hProcess);
    const wcl::UniqueHandle thread(started.hThread);

    HWND frame = nullptr;
    if (!WaitFor([&] { return (frame = tools::FindWizardFrame(started.dwProcessId)) != nullptr; },
                 30s))
        return Fail("no wizard window appeared");

    const auto idleEnd = Clock::now() + 3s;
    Print("idle, Welcome page:", Probe(frame, [&] { return Clock::now() > idleEnd; }));

    const HWND next = ::GetDlgItem(frame, kNextButton);
    ::PostMessageW(frame, WM_COMMAND, MAKEWPARAM(kNextButton, BN_CLICKED),
                   reinterpret_cast<LPARAM>(next));
    HWND list = nullptr;
    if (!WaitFor(
            [&] {
                list = VisibleFileList(frame);
                return list && ::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) == 5;
            },
            120s))
        return Fail("the Install page did not show its five rows");
    const auto installStart = Clock::now();
    const std::vector<double> installing =
        Probe(frame, [&] { return ::IsWindowEnabled(next) || !::IsWindow(frame); });
    const double seconds = std::chrono::duration<double>(Clock::now() - installStart).count();
    if (!::IsWindowEnabled(next))
        return Fail("the wizard ended before the Complete page");
    Print("installing, rows to Complete page:", installing);
    std::printf("%-34s %.2f s\n", "install (rows to Complete page):", seconds);

    ::PostMessageW(frame, WM_CLOSE, 0, 0);
    if (::WaitForSingleObject(process.get(), 30000) != WAIT_OBJECT_0)
        return Fail("the wizard did not end");
    return 0;
}
