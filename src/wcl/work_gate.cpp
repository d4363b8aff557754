#include "wcl/work_gate.h"

#include <algorithm>

namespace wcl {

namespace {

class Locked {
public:
    explicit Locked(CRITICAL_SECTION& lock) : m_lock(lock) { ::EnterCriticalSection(&m_lock); }
    ~Locked() { ::LeaveCriticalSection(&m_lock); }
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;

private:
    CRITICAL_SECTION& m_lock;
};

} // namespace

CWorkGate::CWorkGate()
    : m_stopEvent(::CreateEventW(nullptr, TRUE, FALSE, nullptr)),
      m_idleEvent(::CreateEventW(nullptr, TRUE, TRUE, nullptr)) {
    ::InitializeCriticalSection(&m_lock);
    ::InitializeConditionVariable(&m_released);
}

CWorkGate::~CWorkGate() {
    ::DeleteCriticalSection(&m_lock);
}

bool CWorkGate::Enter() {
    const Locked locked(m_lock);
    while (m_held && !m_stopped)
        ::SleepConditionVariableCS(&m_released, &m_lock, INFINITE);
    if (m_stopped)
        return false;
    if (m_inside++ == 0)
        ::ResetEvent(m_idleEvent.get());
    return true;
}

void CWorkGate::Leave() {
    const Locked locked(m_lock);
    if (--m_inside == 0)
        ::SetEvent(m_idleEvent.get());
}

bool CWorkGate::WaitWhileHeld() {
    if (!Enter())
        return false;
    Leave();
    return true;
}

void CWorkGate::Hold() {
    {
        const Locked locked(m_lock);
        if (m_stopped)
            return;
        m_held = true;
        ++m_holdCount;
    }
    // A step under way may be sending to this thread's windows: its message is handled here, and
    // the step can end. A stop made meanwhile (by such a message) ends the wait as well.
    const HANDLE events[] = {m_idleEvent.get(), m_stopEvent.get()};
    for (;;) {
        const DWORD woken =
            ::MsgWaitForMultipleObjectsEx(2, events, INFINITE, QS_SENDMESSAGE, MWMO_INPUTAVAILABLE);
        if (woken != WAIT_OBJECT_0 + 2)
            return;
        MSG msg;
        ::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

void CWorkGate::Release() {
    const Locked locked(m_lock);
    m_held = false;
    ::WakeAllConditionVariable(&m_released);
}

void CWorkGate::Stop() {
    const Locked locked(m_lock);
    m_stopped = true;
    ::SetEvent(m_stopEvent.get());
    ::WakeAllConditionVariable(&m_released);
}

bool CWorkGate::IsStopped() const {
    const Locked locked(m_lock);
    return m_stopped;
}

bool CWorkGate::IsHeld() const {
    const Locked locked(m_lock);
    return m_held;
}

unsigned CWorkGate::HoldCount() const {
    const Locked locked(m_lock);
    return m_holdCount;
}

bool WaitHandlingSentMessages(HANDLE handle, DWORD milliseconds) {
    const ULONGLONG start = ::GetTickCount64();
    for (;;) {
        DWORD left = INFINITE;
        if (milliseconds != INFINITE) {
            const ULONGLONG spent = ::GetTickCount64() - start;
            left = static_cast<DWORD>(milliseconds - std::min<ULONGLONG>(spent, milliseconds));
        }
        const DWORD woken =
            ::MsgWaitForMultipleObjectsEx(1, &handle, left, QS_SENDMESSAGE, MWMO_INPUTAVAILABLE);
        if (woken == WAIT_OBJECT_0)
            return true;
        if (woken != WAIT_OBJECT_0 + 1)
            return false; // timed out or failed
        MSG msg;
        ::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

} // namespace wcl
