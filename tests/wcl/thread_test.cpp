// Threads: the body runs with the priority asked for and its result becomes the exit code, an
// exception ends only the thread, the body is freed when the thread ends, a bounded join comes
// back, the object waits for its thread for a bounded time and then lets it run on, and starting
// and joining many leaves no handle behind.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <stdexcept>

#include "wcl/handle.h"
#include "wcl/thread.h"
#include "window_test_support.h"

namespace {

wcl::UniqueHandle ManualEvent() {
    return wcl::UniqueHandle(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
}

TEST(Thread, TheBodysResultIsTheExitCode) {
    wcl::CThread thread;
    DWORD ranOn = 0;
    ASSERT_TRUE(thread.Start([&] {
        ranOn = ::GetCurrentThreadId();
        return DWORD{42};
    }));
    ASSERT_TRUE(thread.Join());
    DWORD code = 0;
    ASSERT_TRUE(thread.GetExitCode(code));
    EXPECT_EQ(code, 42u);
    EXPECT_EQ(ranOn, thread.GetThreadId());
    EXPECT_NE(ranOn, ::GetCurrentThreadId());
}

TEST(Thread, TheBodyRunsWithThePriorityAskedForFromItsFirstInstruction) {
    for (int priority : {THREAD_PRIORITY_LOWEST, THREAD_PRIORITY_BELOW_NORMAL,
                         THREAD_PRIORITY_NORMAL, THREAD_PRIORITY_ABOVE_NORMAL}) {
        SCOPED_TRACE(priority);
        wcl::CThread thread;
        ASSERT_TRUE(thread.Start(
            [] { return static_cast<DWORD>(::GetThreadPriority(::GetCurrentThread())); },
            priority));
        ASSERT_TRUE(thread.Join());
        DWORD seen = 0;
        ASSERT_TRUE(thread.GetExitCode(seen));
        EXPECT_EQ(static_cast<int>(seen), priority);
        EXPECT_EQ(thread.GetThreadPriority(), priority);
    }
}

TEST(Thread, AnExceptionEndsOnlyTheThread) {
    wcl::CThread thread;
    ASSERT_TRUE(thread.Start([]() -> DWORD { throw std::runtime_error("body failed"); }));
    ASSERT_TRUE(thread.Join());
    DWORD code = 0;
    ASSERT_TRUE(thread.GetExitCode(code));
    EXPECT_EQ(code, wcl::CThread::kFailedExitCode);
}

TEST(Thread, TheBodyIsFreedWhenTheThreadEnds) {
    const auto captured = std::make_shared<int>(0);
    const auto go = ManualEvent();
    wcl::CThread thread;
    ASSERT_TRUE(thread.Start([captured, event = go.get()] {
        ::WaitForSingleObject(event, INFINITE);
        return DWORD{0};
    }));
    EXPECT_EQ(captured.use_count(), 2); // one copy, held by the running thread
    ::SetEvent(go.get());
    ASSERT_TRUE(thread.Join());
    EXPECT_EQ(captured.use_count(), 1);
}

TEST(Thread, ABoundedJoinComesBackWhileTheThreadRuns) {
    const auto go = ManualEvent();
    wcl::CThread thread;
    ASSERT_TRUE(thread.Start([event = go.get()] {
        ::WaitForSingleObject(event, INFINITE);
        return DWORD{0};
    }));
    EXPECT_FALSE(thread.Join(30));
    DWORD code = 0;
    ASSERT_TRUE(thread.GetExitCode(code));
    EXPECT_EQ(code, static_cast<DWORD>(STILL_ACTIVE));
    ::SetEvent(go.get());
    EXPECT_TRUE(thread.Join(10000));
}

TEST(Thread, OneObjectStartsOneThread) {
    wcl::CThread thread;
    EXPECT_TRUE(thread.Join(0)); // nothing started: nothing to wait for
    EXPECT_FALSE(thread.Start(nullptr));
    ASSERT_TRUE(thread.Start([] { return DWORD{1}; }));
    EXPECT_FALSE(thread.Start([] { return DWORD{2}; }));
    ASSERT_TRUE(thread.Join());
    DWORD code = 0;
    ASSERT_TRUE(thread.GetExitCode(code));
    EXPECT_EQ(code, 1u);
}

TEST(Thread, TheObjectWaitsForItsThreadBeforeItGoes) {
    std::atomic<bool> finished{false};
    {
        wcl::CThread thread;
        ASSERT_TRUE(thread.Start([&finished] {
            ::Sleep(100);
            finished = true;
            return DWORD{0};
        }));
    }
    EXPECT_TRUE(finished);
}

// A thread that does not end in time is let go, not waited for without end: it runs on with the
// body it owns and ends when it is done.
TEST(Thread, TheObjectLetsGoOfAThreadThatOutlivesItsBoundedWait) {
    const auto captured = std::make_shared<int>(0);
    const auto go = ManualEvent();
    wcl::UniqueHandle watched;
    const auto start = std::chrono::steady_clock::now();
    {
        wcl::CThread thread;
        ASSERT_TRUE(thread.Start([captured, event = go.get()] {
            ::WaitForSingleObject(event, INFINITE);
            return DWORD{7};
        }));
        HANDLE duplicate = nullptr;
        ASSERT_TRUE(::DuplicateHandle(::GetCurrentProcess(), thread.GetHandle(),
                                      ::GetCurrentProcess(), &duplicate, 0, FALSE,
                                      DUPLICATE_SAME_ACCESS));
        watched.reset(duplicate);
    }
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GE(waited, std::chrono::milliseconds(wcl::CThread::kDestructorWaitMs - 100));
    EXPECT_LT(waited, std::chrono::milliseconds(wcl::CThread::kDestructorWaitMs + 3000));
    EXPECT_EQ(::WaitForSingleObject(watched.get(), 0), static_cast<DWORD>(WAIT_TIMEOUT));
    EXPECT_EQ(captured.use_count(), 2) << "the running thread keeps its body";

    ::SetEvent(go.get());
    ASSERT_EQ(::WaitForSingleObject(watched.get(), 10000), static_cast<DWORD>(WAIT_OBJECT_0));
    DWORD code = 0;
    ASSERT_TRUE(::GetExitCodeThread(watched.get(), &code));
    EXPECT_EQ(code, 7u);
    EXPECT_EQ(captured.use_count(), 1);
}

TEST(Thread, StartingAndJoiningManyLeavesNoHandleBehind) {
    // Warm-up: the first threads of a process make lasting things (runtime tables, the loader's).
    for (int i = 0; i < 5; ++i) {
        wcl::CThread thread;
        thread.Start([] { return DWORD{0}; });
    }
    const int before = wcl_test::KernelHandleCount();
    {
        const auto kept = ManualEvent(); // the count sees a handle that stays open
        ASSERT_EQ(wcl_test::KernelHandleCount(), before + 1);
    }
    for (int i = 0; i < 300; ++i) {
        wcl::CThread thread;
        ASSERT_TRUE(thread.Start([] { return DWORD{0}; }));
        ASSERT_TRUE(thread.Join());
    }
    EXPECT_EQ(wcl_test::KernelHandleCount(), before);
}

} // namespace
