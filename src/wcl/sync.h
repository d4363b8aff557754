// A lock for data shared between threads, and its scoped holder.
#pragma once

#include <windows.h>

#include <mutex>

namespace wcl {

// A critical section: recursive, so a thread that holds it may take it again. Lock and Unlock are
// the names the program uses; lock and unlock let std::lock_guard hold it:
//
//     std::lock_guard<wcl::CCriticalSection> hold(m_csStatus);
class CCriticalSection {
public:
    CCriticalSection() noexcept { ::InitializeCriticalSection(&m_section); }
    ~CCriticalSection() { ::DeleteCriticalSection(&m_section); }
    CCriticalSection(const CCriticalSection&) = delete;
    CCriticalSection& operator=(const CCriticalSection&) = delete;

    void Lock() noexcept { ::EnterCriticalSection(&m_section); }
    void Unlock() noexcept { ::LeaveCriticalSection(&m_section); }
    bool TryLock() noexcept { return ::TryEnterCriticalSection(&m_section) != 0; }

    void lock() noexcept { Lock(); }
    void unlock() noexcept { Unlock(); }
    bool try_lock() noexcept { return TryLock(); }

private:
    CRITICAL_SECTION m_section;
};

using ScopedLock = std::lock_guard<CCriticalSection>;

} // namespace wcl
