// The application's start-up run in this process, as the setup's entry runs it: the window thread
// is a single-threaded apartment while the wizard runs, and leaves it when the wizard has ended.
#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>

#include <atomic>
#include <thread>

#include "app/setup_app.h"
#include "res/resource.h"
#include "window_finding.h"

namespace {

constexpr DWORD kTimeoutMs = 10000;

// What the window thread's apartment looked like from inside the wizard's message loop.
struct ApartmentSeen {
    std::atomic<bool> probed{false}; // read by the closing thread
    HRESULT typeResult = E_FAIL;
    APTTYPE type = APTTYPE_CURRENT;
    HRESULT joinStaResult = E_FAIL;
    HRESULT joinMtaResult = E_FAIL;
};

// Filled by the timer below, which runs on the window thread inside the wizard's loop; a timer
// procedure has no parameter of its own to carry it.
ApartmentSeen g_seen;

// Probes the calling thread's apartment: asking for a single-threaded one again is counted
// (S_FALSE) and undone; asking for the multithreaded one is refused.
void CALLBACK ProbeApartment(HWND, UINT, UINT_PTR timer, DWORD) {
    ::KillTimer(nullptr, timer);
    APTTYPEQUALIFIER qualifier{};
    g_seen.typeResult = ::CoGetApartmentType(&g_seen.type, &qualifier);
    g_seen.joinStaResult = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    if (SUCCEEDED(g_seen.joinStaResult))
        ::CoUninitialize();
    g_seen.joinMtaResult = ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    if (SUCCEEDED(g_seen.joinMtaResult))
        ::CoUninitialize();
    g_seen.probed = true;
}

// The result of joining the multithreaded apartment from the calling thread, undone at once:
// S_OK only when the thread is in no apartment.
HRESULT JoinMultithreadedApartment() {
    const HRESULT result = ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    if (SUCCEEDED(result))
        ::CoUninitialize();
    return result;
}

// The wizard frame of this process: its window with the Next button.
HWND FindFrame() {
    const HWND window = setup_test::FindTopLevelWindow(::GetCurrentProcessId(), L"Install ORIBEL");
    return window && ::GetDlgItem(window, IDC_NEXT) ? window : nullptr;
}

TEST(SetupApplication, TheWindowThreadIsASingleThreadedApartmentWhileTheWizardRuns) {
    ASSERT_EQ(JoinMultithreadedApartment(), S_OK) << "the thread was in an apartment already";

    // Once the wizard is up and the probe has run, the wizard is closed through its question.
    std::thread closer([] {
        const HWND frame = setup_test::WaitForWindow(FindFrame, kTimeoutMs);
        if (!frame)
            return;
        setup_test::WaitForWindow([frame] { return g_seen.probed ? frame : nullptr; }, kTimeoutMs);
        setup_test::BoxAnswerer answerer(frame, IDYES);
        ::PostMessageW(frame, WM_CLOSE, 0, 0);
        answerer.Seen();
    });
    ASSERT_NE(::SetTimer(nullptr, 0, 100, ProbeApartment), 0u);

    CKestrelSetupApp setup;
    EXPECT_FALSE(setup.InitInstance());
    closer.join();

    ASSERT_TRUE(g_seen.probed) << "the wizard's loop did not run the probe";
    EXPECT_EQ(g_seen.typeResult, S_OK);
    EXPECT_TRUE(g_seen.type == APTTYPE_MAINSTA || g_seen.type == APTTYPE_STA) << g_seen.type;
    EXPECT_EQ(g_seen.joinStaResult, S_FALSE);
    EXPECT_EQ(g_seen.joinMtaResult, RPC_E_CHANGED_MODE);
    // The wizard's end has left the apartment: nothing of it stays with the thread.
    EXPECT_EQ(JoinMultithreadedApartment(), S_OK);
}

} // namespace
