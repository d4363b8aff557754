// The busy indicator's animation thread: it steps the position and invalidates the window; Start
// and Stop hand over so that no thread object is let go while its thread runs (a stop before the
// thread has begun, a stop that outlives its 2 × period wait, the control's destruction), the wait
// stays bounded, and many rapid cycles leave no thread or handle behind.
#include <gtest/gtest.h>

#include <windows.h>
#include <chrono>
#include <cstdio>
#include <memory>
#include <thread>

#include "control_test_support.h"
#include "controls/busy_progress_ctrl.h"
#include "wcl/handle.h"
#include "wcl/window_test_support.h"

namespace {

using Clock = std::chrono::steady_clock;
using controls_test::HostWindow;

long long MillisecondsSince(Clock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
}

// A handle of our own on the control's animation thread, to see it end after the control has let
// go of its object.
wcl::UniqueHandle WatchThread(const CBusyProgressCtrl& ctrl) {
    HANDLE copy = nullptr;
    if (ctrl.thread)
        ::DuplicateHandle(::GetCurrentProcess(), ctrl.thread->GetHandle(), ::GetCurrentProcess(),
                          &copy, SYNCHRONIZE, FALSE, 0);
    return wcl::UniqueHandle(copy);
}

bool HasEnded(const wcl::UniqueHandle& thread) {
    return ::WaitForSingleObject(thread.get(), 0) == WAIT_OBJECT_0;
}

template <typename Condition>
bool WaitUntil(Condition condition, int milliseconds = 10000) {
    const auto start = Clock::now();
    while (!condition()) {
        if (MillisecondsSince(start) > milliseconds)
            return false;
        wcl_test::PumpWaitingMessages();
        ::Sleep(1);
    }
    return true;
}

bool HasInvalidArea(const CBusyProgressCtrl& ctrl) {
    return ::GetUpdateRect(ctrl.GetSafeHwnd(), nullptr, FALSE) != 0;
}

// The thread has made its first step and invalidated the window, and now waits out a long
// period: a safe place to suspend it (it holds no lock of the system's there).
void WaitForTheFirstStep(CBusyProgressCtrl& ctrl) {
    // No message is handled meanwhile: a paint would validate the area again.
    const auto start = Clock::now();
    while (!(ctrl.position != 0 && HasInvalidArea(ctrl)) && MillisecondsSince(start) < 10000)
        ::Sleep(1);
    ASSERT_TRUE(ctrl.position != 0 && HasInvalidArea(ctrl));
    ::Sleep(30);
}

class BusyAnimation : public testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(host.GetSafeHwnd());
        ASSERT_TRUE(ctrl->Create(WS_CHILD | WS_VISIBLE, RECT{10, 10, 220, 24}, &host, 1));
        ctrl->UpdateWindow();
    }
    void TearDown() override {
        if (ctrl && ctrl->thread)
            ::ResumeThread(ctrl->thread->GetHandle()); // a failed test must not leave it suspended
    }

    HostWindow host;
    std::unique_ptr<CBusyProgressCtrl> ctrl = std::make_unique<CBusyProgressCtrl>();
};

TEST_F(BusyAnimation, TheThreadStepsAndInvalidatesUntilStopped) {
    ctrl->period = 5;
    ::ValidateRect(ctrl->GetSafeHwnd(), nullptr);
    ctrl->SendMessage(BPM_START);
    ASSERT_TRUE(ctrl->thread);
    EXPECT_TRUE(ctrl->running);
    // Nothing here pumps messages: the invalid area comes from the thread itself.
    const auto start = Clock::now();
    while (!HasInvalidArea(*ctrl) && MillisecondsSince(start) < 10000)
        ::Sleep(1);
    EXPECT_TRUE(HasInvalidArea(*ctrl));
    // Bounce over ten blocks: the position runs 0..9 and back.
    ASSERT_TRUE(WaitUntil([&] { return ctrl->position == 9; }));
    ASSERT_TRUE(WaitUntil([&] { return ctrl->position == 0; }));

    ctrl->SendMessage(BPM_STOP);
    EXPECT_FALSE(ctrl->thread);
    EXPECT_FALSE(ctrl->running);
    const int stoppedAt = ctrl->position;
    ::Sleep(50);
    EXPECT_EQ(ctrl->position, stoppedAt);
}

TEST_F(BusyAnimation, StartRunsInBusyModeOnly) {
    ctrl->SetMode(CBusyProgressCtrl::kModeProgress);
    ctrl->Start();
    EXPECT_FALSE(ctrl->thread);
    EXPECT_FALSE(ctrl->running);
}

TEST_F(BusyAnimation, StopWithoutAThreadOnlyClearsRunning) {
    ctrl->running = true;
    ctrl->position = 4;
    ctrl->Stop();
    EXPECT_FALSE(ctrl->running);
    EXPECT_FALSE(ctrl->thread);
    EXPECT_EQ(ctrl->position, 4);
}

TEST_F(BusyAnimation, StartWhileRunningEndsTheOldThreadFirst) {
    ctrl->period = 5000;
    ctrl->Start();
    const auto first = WatchThread(*ctrl);
    ASSERT_TRUE(first);
    const DWORD firstId = ctrl->thread->GetThreadId();
    ctrl->Start();
    EXPECT_TRUE(HasEnded(first));
    ASSERT_TRUE(ctrl->thread);
    EXPECT_NE(ctrl->thread->GetThreadId(), firstId);
    ctrl->Stop();
}

TEST_F(BusyAnimation, AModeChangeStopsTheThread) {
    ctrl->period = 5000;
    ctrl->Start();
    const auto watched = WatchThread(*ctrl);
    ctrl->SendMessage(BPM_SETMODE, CBusyProgressCtrl::kModeProgress);
    EXPECT_TRUE(HasEnded(watched));
    EXPECT_FALSE(ctrl->thread);
}

TEST_F(BusyAnimation, TheStopIsBoundedAndTheObjectKeptWhileTheThreadOutlivesTheWait) {
    ctrl->period = 5000;
    ctrl->Start();
    WaitForTheFirstStep(*ctrl);
    const auto watched = WatchThread(*ctrl);
    // The test freezes the thread from outside, which the program itself never does.
    ASSERT_EQ(::SuspendThread(ctrl->thread->GetHandle()), 0u);

    // The period lowered while the thread sleeps: the stop waits 2 × 20 ms, not for the thread.
    ctrl->period = 20;
    const auto start = Clock::now();
    ctrl->Stop();
    const long long waited = MillisecondsSince(start);
    EXPECT_LT(waited, 2000);
    std::printf("stop with a thread that cannot end came back after %lld ms (bound 40 ms)\n",
                waited);
    EXPECT_FALSE(ctrl->running);
    ASSERT_TRUE(ctrl->thread); // kept: its thread still runs
    EXPECT_FALSE(HasEnded(watched));

    ::ResumeThread(ctrl->thread->GetHandle());
    ASSERT_TRUE(WaitUntil([&] { return HasEnded(watched); }));
    ctrl->Stop();
    EXPECT_FALSE(ctrl->thread); // released once its thread has ended

    // And the control animates again.
    ctrl->period = 5;
    const int before = ctrl->position;
    ctrl->Start();
    EXPECT_TRUE(WaitUntil([&] { return ctrl->position != before; }));
    ctrl->Stop();
    EXPECT_FALSE(ctrl->thread);
}

TEST_F(BusyAnimation, AStartAfterAStopThatOutlivedTheWaitWaitsForTheOldThread) {
    ctrl->period = 5000;
    ctrl->Start();
    WaitForTheFirstStep(*ctrl);
    const auto old = WatchThread(*ctrl);
    ::SuspendThread(ctrl->thread->GetHandle());
    ctrl->period = 20;
    ctrl->Stop();
    ASSERT_TRUE(ctrl->thread);

    // The old thread is let go 200 ms from now; the new start must not run beside it.
    std::thread resumer([handle = ctrl->thread->GetHandle()] {
        ::Sleep(200);
        ::ResumeThread(handle);
    });
    ctrl->Start();
    resumer.join();
    EXPECT_TRUE(HasEnded(old));
    ASSERT_TRUE(ctrl->thread);
    EXPECT_TRUE(ctrl->running);
    ctrl->Stop();
    EXPECT_FALSE(ctrl->thread);
}

TEST_F(BusyAnimation, DestroyingTheControlEndsItsThreadFirst) {
    const struct {
        const char* name;
        bool suspended; // and let go only while the control is being destroyed
    } cases[] = {{"thread waiting", false}, {"thread held up", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        auto doomed = std::make_unique<CBusyProgressCtrl>();
        ASSERT_TRUE(doomed->Create(WS_CHILD | WS_VISIBLE, RECT{10, 30, 220, 44}, &host, 2));
        doomed->period = 5000;
        doomed->Start();
        WaitForTheFirstStep(*doomed);
        const auto watched = WatchThread(*doomed);
        std::thread resumer;
        if (c.suspended) {
            ::SuspendThread(doomed->thread->GetHandle());
            resumer = std::thread([handle = doomed->thread->GetHandle()] {
                ::Sleep(200);
                ::ResumeThread(handle);
            });
        }
        doomed.reset();
        EXPECT_TRUE(HasEnded(watched)); // before the control was gone
        if (resumer.joinable())
            resumer.join();
    }
}

TEST_F(BusyAnimation, ManyRapidStartsAndStopsLeaveNoThreadOrHandleBehind) {
    // Warm-up: the first threads and waits of a process make lasting things.
    for (int i = 0; i < 10; ++i) {
        ctrl->Start();
        ctrl->Stop();
    }
    const int threadsBefore = wcl_test::ThreadCount();
    const int handlesBefore = wcl_test::KernelHandleCount();
    ASSERT_GT(threadsBefore, 0);
    ASSERT_GT(handlesBefore, 0);

    constexpr int kCycles = 1000;
    int stoppedBeforeTheFirstStep = 0;
    int keptPastTheWait = 0;
    for (int i = 0; i < kCycles; ++i) {
        ctrl->period = i % 4; // 0 to 3 ms: the 2 × period wait is often shorter than a start
        ctrl->position = 0;
        switch (i % 4) {
        case 0:
            ctrl->SendMessage(BPM_START);
            ctrl->SendMessage(BPM_STOP);
            break;
        case 1:
            ctrl->Start();
            ctrl->Start();
            ctrl->Stop();
            break;
        case 2:
            ctrl->Start();
            ctrl->Step();
            ctrl->SetMode(CBusyProgressCtrl::kModeBusy); // stops it
            break;
        default:
            ctrl->Start();
            ::Sleep(1);
            ctrl->Stop();
            break;
        }
        EXPECT_FALSE(ctrl->running);
        stoppedBeforeTheFirstStep += i % 4 == 0 && ctrl->position == 0;
        keptPastTheWait += ctrl->thread != nullptr;
        wcl_test::PumpWaitingMessages();
    }
    ctrl->period = 1000; // a last stop with room to end whatever is still running
    ctrl->Stop();
    EXPECT_FALSE(ctrl->thread);
    std::printf("%d cycles: %d of %d plain start-stops ended before the first step, %d stops "
                "came back before their thread had ended\n",
                kCycles, stoppedBeforeTheFirstStep, kCycles / 4, keptPastTheWait);

    // Thread ends are seen by the snapshot a moment after the wait: give it that moment.
    EXPECT_TRUE(WaitUntil([&] { return wcl_test::ThreadCount() == threadsBefore; }, 5000))
        << wcl_test::ThreadCount() << " threads, " << threadsBefore << " before";
    EXPECT_EQ(wcl_test::KernelHandleCount(), handlesBefore);
}

} // namespace
