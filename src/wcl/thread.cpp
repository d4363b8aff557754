#include "wcl/thread.h"

#include <process.h>

#include <memory>
#include <utility>

namespace wcl {

namespace {

// The thread's entry: it owns the body from here on, so the body lives exactly as long as the
// thread needs it, whatever happens to the object that started it.
unsigned __stdcall ThreadEntry(void* parameter) noexcept {
    std::unique_ptr<CThread::Body> body(static_cast<CThread::Body*>(parameter));
    try {
        return (*body)();
    } catch (...) {
        return CThread::kFailedExitCode;
    }
}

} // namespace

CThread::~CThread() {
    // Closing the handle of a thread that still runs leaves the thread alone (see thread.h).
    Join(kDestructorWaitMs);
}

bool CThread::Start(Body body, int priority) {
    if (m_hThread || !body)
        return false;
    auto owned = std::make_unique<Body>(std::move(body));
    // Created suspended, so the priority is set before the body's first instruction. The C
    // runtime's thread start, not CreateThread, so the runtime's per-thread data is set up.
    unsigned id = 0;
    const auto handle = reinterpret_cast<HANDLE>(
        ::_beginthreadex(nullptr, 0, &ThreadEntry, owned.get(), CREATE_SUSPENDED, &id));
    if (!handle)
        return false;
    owned.release(); // the thread's now
    m_hThread.reset(handle);
    m_nThreadID = id;
    ::SetThreadPriority(handle, priority);
    ::ResumeThread(handle);
    return true;
}

bool CThread::Join(DWORD milliseconds) const {
    return !m_hThread || ::WaitForSingleObject(m_hThread.get(), milliseconds) == WAIT_OBJECT_0;
}

bool CThread::GetExitCode(DWORD& code) const {
    return m_hThread && ::GetExitCodeThread(m_hThread.get(), &code) != 0;
}

int CThread::GetThreadPriority() const {
    return m_hThread ? ::GetThreadPriority(m_hThread.get()) : THREAD_PRIORITY_ERROR_RETURN;
}

bool CThread::SetThreadPriority(int priority) const {
    return m_hThread && ::SetThreadPriority(m_hThread.get(), priority) != 0;
}

} // namespace wcl
