// A thread of the program, owned by one object. The object starts the thread on a callable and
// keeps its kernel handle. Its owner tells the thread to stop and waits for it with Join (which
// takes a bound) before letting the object go. The destructor waits once more, for at most
// kDestructorWaitMs, and then lets go of a thread that still runs rather than hang its own thread
// for good: the thread keeps running on its callable, which it owns, and only what that callable
// refers to must then outlive it. Ending the thread by force instead would leave its locks and
// heap in whatever state it was stopped in.
//
//     wcl::CThread worker;
//     worker.Start([this] { return Run(); }, THREAD_PRIORITY_LOWEST);
//     ...
//     m_stop = true;
//     if (!worker.Join(200)) { /* still running: ask again later, the object stays */ }
#pragma once

#include <windows.h>

#include <functional>

#include "wcl/handle.h"

namespace wcl {

class CThread {
public:
    // The thread's work; its result is the thread's exit code. An exception that escapes it ends
    // the thread with kFailedExitCode instead of crossing the thread's entry.
    using Body = std::function<DWORD()>;
    static constexpr DWORD kFailedExitCode = static_cast<DWORD>(-1);
    // The longest the destructor waits for a thread that has not ended yet.
    static constexpr DWORD kDestructorWaitMs = 5000;

    CThread() noexcept = default;
    ~CThread();
    CThread(const CThread&) = delete;
    CThread& operator=(const CThread&) = delete;

    // Runs `body` on a new thread with the given priority (THREAD_PRIORITY_*), which it has from
    // its first instruction on. false when this object has started a thread already or the system
    // refused one.
    bool Start(Body body, int priority = THREAD_PRIORITY_NORMAL);

    // Waits at most `milliseconds` for the thread to end; true when it has ended (or none was
    // started).
    bool Join(DWORD milliseconds = INFINITE) const;

    HANDLE GetHandle() const noexcept { return m_hThread.get(); }
    DWORD GetThreadId() const noexcept { return m_nThreadID; }
    // STILL_ACTIVE while it runs; false when no thread was started.
    bool GetExitCode(DWORD& code) const;
    int GetThreadPriority() const;
    bool SetThreadPriority(int priority) const;

private:
    UniqueHandle m_hThread;
    DWORD m_nThreadID = 0;
};

} // namespace wcl
