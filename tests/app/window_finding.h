// Finding and answering the setup's windows from a test, in this process or another: top-level
// windows by title and process, message boxes by owner, and what a box says and offers.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace setup_test {

// Calls `find` every few milliseconds until it returns a window or timeoutMs have passed.
HWND WaitForWindow(const std::function<HWND()>& find, DWORD timeoutMs = 10000);

// A visible top-level window of the process with the given title (any process for id 0).
HWND FindTopLevelWindow(DWORD processId, const wchar_t* title);

// A visible message box ("#32770", but not the wizard frame, which is a dialog too) owned by
// `owner`; with a null owner, an unowned box of the given process (of any for id 0).
HWND FindMessageBox(HWND owner, DWORD processId = 0);

// What a message box shows: its caption, its text and the ids of its buttons.
struct SeenBox {
    bool shown = false;
    std::wstring caption;
    std::wstring text;
    std::vector<int> buttons;
};
SeenBox ReadMessageBox(HWND box);

// Presses one of a box's buttons.
void AnswerMessageBox(HWND box, int button);

// Waits on a thread of its own for a message box owned by `owner`, notes what it shows and
// answers it with `button`. The box is usually shown by the test's own thread, which is then
// inside the box's message loop.
class BoxAnswerer {
public:
    BoxAnswerer(HWND owner, int button, DWORD processId = 0);
    ~BoxAnswerer();
    BoxAnswerer(const BoxAnswerer&) = delete;
    BoxAnswerer& operator=(const BoxAnswerer&) = delete;

    // Waits until the box has been answered (or not seen within the time allowed).
    const SeenBox& Seen();

private:
    SeenBox m_seen;
    std::thread m_thread;
};

// Runs `trigger` while a BoxAnswerer waits for the box it shows; returns what the box showed.
SeenBox AnswerBoxShownBy(HWND owner, int button, const std::function<void()>& trigger);

// The text of a window.
std::wstring WindowText(HWND window);

} // namespace setup_test
