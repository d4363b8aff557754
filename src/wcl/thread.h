// A thread of the program, owned by one object. The object starts the thread on a callable and
// keeps its kernel handle; it is never released while its thread runs: its destructor waits for
// the thread to end, so whatever the thread's callable refers to must outlive the object or be
// told to stop first (wait with Join, which takes a bound).
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
