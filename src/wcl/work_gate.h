// A gate through which worker threads do their work in steps, and which one owner thread can hold
// (no step runs until it is released) or close for good (a stop). Nothing is suspended or killed
// from outside: a worker asks the gate before each step and honours the answer.
//
//     // worker                                    // owner (the window thread)
//     while (more) {                               gate.Hold();    // returns when no step runs
//         wcl::WorkStep step(&gate);               ...ask the user...
//         if (!step)                               gate.Release(); // or gate.Stop();
//             return; // stopped
//         DoOneStep(); // may send to the owner's windows
//     }
//
// A step may send messages to the owner's windows: while Hold waits for the steps under way to
// end, it handles the messages other threads send to its thread, so such a step cannot deadlock
// against it.
#pragma once

#include <windows.h>

#include "wcl/handle.h"

namespace wcl {

class CWorkGate {
public:
    CWorkGate();
    ~CWorkGate();
    CWorkGate(const CWorkGate&) = delete;
    CWorkGate& operator=(const CWorkGate&) = delete;

    // Worker side. Begins a step: waits while the gate is held; false once it is stopped (the
    // caller then does nothing more). Each true is paired with one Leave.
    bool Enter();
    void Leave();
    // Waits while the gate is held without beginning a step; false once it is stopped.
    bool WaitWhileHeld();

    // Owner side. Hold: no step begins from now on, and the call returns when none is under
    // way. Release: steps may begin again. Stop: for good; waiting workers are woken and every
    // later Enter fails. Hold on a stopped gate returns at once.
    void Hold();
    void Release();
    void Stop();

    bool IsStopped() const;
    bool IsHeld() const;
    // The number of holds so far: a worker that saw it change knows it was held meanwhile.
    unsigned HoldCount() const;
    // Signalled by Stop, for waits of the workers that must end on a stop (a socket's).
    HANDLE StopEvent() const noexcept { return m_stopEvent.get(); }

private:
    mutable CRITICAL_SECTION m_lock;
    CONDITION_VARIABLE m_released;
    bool m_held = false;
    bool m_stopped = false;
    unsigned m_holdCount = 0;
    int m_inside = 0;
    UniqueHandle m_stopEvent; // manual reset
    UniqueHandle m_idleEvent; // manual reset, set while no step is under way
};

// One step through the gate, as a scope: converts to false when the gate was stopped. Without a
// gate (null) the step is always taken: work that nobody holds or stops.
class WorkStep {
public:
    explicit WorkStep(CWorkGate* gate) : m_gate(gate), m_entered(!gate || gate->Enter()) {}
    ~WorkStep() {
        if (m_gate && m_entered)
            m_gate->Leave();
    }
    WorkStep(const WorkStep&) = delete;
    WorkStep& operator=(const WorkStep&) = delete;
    explicit operator bool() const noexcept { return m_entered; }

private:
    CWorkGate* m_gate;
    bool m_entered;
};

// Waits up to `milliseconds` for `handle` while handling the messages that other threads send to
// this thread (not the posted ones), so that a thread waited for can finish a SendMessage to one
// of this thread's windows. True when the handle was signalled.
bool WaitHandlingSentMessages(HANDLE handle, DWORD milliseconds);

} // namespace wcl
