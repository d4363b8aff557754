#include "frame_driver.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <thread>

#include "app/common_controls.h"
#include "window_finding.h"

namespace setup_test {
namespace {

constexpr UINT kRunStep = WM_APP + 1;
constexpr UINT kTimeUp = WM_APP + 2;
constexpr auto kWatchdogTime = std::chrono::seconds(30);

// True while posted messages (the keys and commands of a step among them) wait for this thread.
// Input from the system (mouse moves) does not count: the loop takes posted messages first.
bool QueueBusy() {
    MSG waiting;
    return ::PeekMessageW(&waiting, nullptr, 0, 0, PM_NOREMOVE | PM_QS_POSTMESSAGE) != 0;
}

} // namespace

// Ends a run whose step hung: answers any box the frame still shows, then ends the frame.
class DrivenFrame::Watchdog {
public:
    explicit Watchdog(HWND frame)
        : m_thread([this, frame] {
              std::unique_lock<std::mutex> hold(m_mutex);
              if (m_stop.wait_for(hold, kWatchdogTime, [this] { return m_stopped; }))
                  return;
              for (HWND box; (box = FindMessageBox(frame)) != nullptr; ::Sleep(100)) {
                  AnswerMessageBox(box, IDNO);
                  AnswerMessageBox(box, IDOK);
              }
              ::PostMessageW(frame, kTimeUp, 0, 0);
          }) {}
    ~Watchdog() {
        {
            std::lock_guard<std::mutex> hold(m_mutex);
            m_stopped = true;
        }
        m_stop.notify_one();
        m_thread.join();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_stop;
    bool m_stopped = false;
    std::thread m_thread;
};

DrivenFrame::DrivenFrame() {
    // Nothing listens on this address: an installation started by a frame test fails its
    // version step at once, whatever servers other tests run meanwhile.
    InstallRunSettings nowhere;
    nowhere.host = kNoServerHost;
    nowhere.client.updateHost = kNoServerHost;
    SetInstallSettings(nowhere);
}
DrivenFrame::~DrivenFrame() = default;

INT_PTR DrivenFrame::Run(std::vector<Action> steps) {
    app::RegisterCommonControls(); // as start-up does, for the Install page's controls
    m_steps = std::move(steps);
    m_next = 0;
    const INT_PTR result = DoModal();
    m_watchdog.reset();
    return result;
}

bool DrivenFrame::OnInitDialog() {
    if (!CKestrelSetupDlg::OnInitDialog())
        return false;
    m_watchdog = std::make_unique<Watchdog>(m_hWnd);
    PostMessage(kRunStep);
    return true;
}

LRESULT DrivenFrame::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case kRunStep:
        RunStepWhenIdle();
        return 0;
    case kTimeUp:
        ADD_FAILURE() << "a step of the frame's script did not end";
        EndDialog(kTimedOut);
        return 0;
    case WM_COMMAND:
        commands.push_back(LOWORD(wParam));
        break;
    case WM_HELP:
        ++helpRequests;
        break;
    default:
        break;
    }
    return CKestrelSetupDlg::WindowProc(message, wParam, lParam);
}

void DrivenFrame::RunStepWhenIdle() {
    if (QueueBusy()) {
        PostMessage(kRunStep); // behind what is waiting
        return;
    }
    if (FindMessageBox(m_hWnd)) {
        // This runs inside the box's own loop: the next step waits until it is answered.
        ::Sleep(5);
        PostMessage(kRunStep);
        return;
    }
    if (m_next == m_steps.size()) {
        EndDialog(kScriptEnded);
        return;
    }
    m_steps[m_next++](*this);
    PostMessage(kRunStep);
}

void DrivenFrame::Click(int buttonId) const {
    ::SendMessageW(Button(buttonId), BM_CLICK, 0, 0);
}

void DrivenFrame::PressKey(HWND target, UINT key) const {
    ::SetFocus(target);
    ::PostMessageW(target, WM_KEYDOWN, key, 1);
    ::PostMessageW(target, WM_KEYUP, key, static_cast<LPARAM>(0xC0000001));
}

} // namespace setup_test
