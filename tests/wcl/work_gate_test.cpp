// The work gate between an owner thread and its workers: a hold waits for the step under way,
// handling what that step sends to the owner; held workers wait; a stop wakes them for good.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <ostream>
#include <thread>

#include "wcl/work_gate.h"

namespace {

// A message-only window of the test's thread that counts what reaches it.
class CountingWindow {
public:
    CountingWindow()
        : m_window(::CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                     nullptr, nullptr)) {
        ::SetWindowLongPtrW(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        ::SetWindowLongPtrW(m_window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Procedure));
    }
    ~CountingWindow() { ::DestroyWindow(m_window); }
    CountingWindow(const CountingWindow&) = delete;
    CountingWindow& operator=(const CountingWindow&) = delete;

    HWND hwnd() const { return m_window; }
    std::atomic<int> received{0};

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_APP) {
            ++reinterpret_cast<CountingWindow*>(::GetWindowLongPtrW(window, GWLP_USERDATA))
                  ->received;
            return 1;
        }
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
    HWND m_window;
};

TEST(WorkGate, HoldWaitsForTheStepUnderWayAndHandlesWhatItSends) {
    wcl::CWorkGate gate;
    CountingWindow window;
    std::atomic<bool> inside{false};
    std::atomic<bool> left{false};
    std::thread worker([&] {
        const wcl::WorkStep step(&gate);
        ASSERT_TRUE(step);
        inside = true;
        ::Sleep(100);
        // Answered only by a thread that handles sent messages: the holding one.
        EXPECT_EQ(::SendMessageW(window.hwnd(), WM_APP, 0, 0), 1);
        left = true;
    });
    while (!inside)
        ::Sleep(1);
    gate.Hold();
    EXPECT_TRUE(left) << "the hold returned while a step was under way";
    EXPECT_EQ(window.received, 1);
    worker.join();
    EXPECT_TRUE(gate.IsHeld());
    EXPECT_EQ(gate.HoldCount(), 1u);
}

// Whether a held worker goes on (release) or gives up (stop), it waits meanwhile.
struct EndOfHold {
    const char* name;
    bool stop;
};

void PrintTo(const EndOfHold& c, std::ostream* out) {
    *out << c.name;
}

class HeldWorker : public ::testing::TestWithParam<EndOfHold> {};

TEST_P(HeldWorker, WaitsUntilReleasedOrStopped) {
    wcl::CWorkGate gate;
    gate.Hold();
    std::atomic<int> entered{-1};
    std::thread worker([&] { entered = gate.Enter() ? 1 : 0; });
    ::Sleep(200);
    EXPECT_EQ(entered, -1) << "a worker entered a held gate";
    if (GetParam().stop)
        gate.Stop();
    else
        gate.Release();
    worker.join();
    EXPECT_EQ(entered, GetParam().stop ? 0 : 1);
    if (!GetParam().stop)
        gate.Leave();
    EXPECT_EQ(::WaitForSingleObject(gate.StopEvent(), 0),
              GetParam().stop ? WAIT_OBJECT_0 : static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_EQ(gate.WaitWhileHeld(), !GetParam().stop) << "after the end of the hold";
}

INSTANTIATE_TEST_SUITE_P(Ends, HeldWorker,
                         ::testing::Values(EndOfHold{"Released", false},
                                           EndOfHold{"Stopped", true}),
                         [](const auto& row) { return std::string(row.param.name); });

TEST(WorkGate, AStepWithoutAGateIsAlwaysTaken) {
    const wcl::WorkStep step(nullptr);
    EXPECT_TRUE(step);
}

} // namespace
