// Durations handed to the system's waits (WaitForSingleObject, Sleep, timers), which take
// milliseconds in a DWORD where INFINITE means no bound at all.
#pragma once

#include <windows.h>

#include <algorithm>
#include <chrono>

namespace wcl {

// The wait of `duration` in the system's unit: a negative one is 0, and one too long for a DWORD
// is the longest bounded wait (INFINITE - 1), so that a long wait never turns into an endless one.
inline DWORD WaitMilliseconds(std::chrono::milliseconds duration) noexcept {
    using Count = std::chrono::milliseconds::rep;
    return static_cast<DWORD>(
        std::clamp<Count>(duration.count(), 0, static_cast<Count>(INFINITE - 1)));
}

} // namespace wcl
