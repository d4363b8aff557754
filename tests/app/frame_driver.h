// The wizard frame as the in-process tests run it: modal, on the test's thread, with a script of
// steps. Each step runs when the frame's queue holds nothing else, so whatever the step before
// posted (keys, commands) has been through the modal loop, filters included, before it looks.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <vector>

#include "app/setup_dlg.h"

namespace setup_test {

// DoModal's result when the script ran out with the frame still running, and when a step hung.
inline constexpr INT_PTR kScriptEnded = 4242;
inline constexpr INT_PTR kTimedOut = 4343;
// The update host of a driven frame unless the test gives another: no server listens there.
inline constexpr wchar_t kNoServerHost[] = L"127.0.0.19";

class DrivenFrame : public CKestrelSetupDlg {
public:
    using Action = std::function<void(DrivenFrame&)>;

    DrivenFrame();
    ~DrivenFrame() override;

    // Runs the frame modally through the steps; returns the modal result.
    INT_PTR Run(std::vector<Action> steps);

    // What reached the frame's window, for telling whether a key had an effect: the ids of
    // WM_COMMAND messages and the number of help requests (F1).
    std::vector<UINT> commands;
    int helpRequests = 0;

    // A click of one of the frame's buttons (1000 to 1002), as another program would send it.
    void Click(int buttonId) const;
    // Gives the window the focus and posts it a key press, as the keyboard would.
    void PressKey(HWND target, UINT key) const;
    HWND Button(int buttonId) const { return ::GetDlgItem(m_hWnd, buttonId); }

protected:
    bool OnInitDialog() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    class Watchdog;
    void RunStepWhenIdle();

    std::vector<Action> m_steps;
    size_t m_next = 0;
    std::unique_ptr<Watchdog> m_watchdog;
};

} // namespace setup_test
