// What the window tests share: a dialog driven by a script from its OnInitDialog, with a watchdog
// that ends a modal run the test failed to end, and the count of the process's GDI objects.
#pragma once

#include <windows.h>

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "wcl/dialog.h"

namespace wcl_test {

// A modal run a test did not end ends with this result after kWatchdogSeconds, so a fault shows
// as a failed expectation instead of a hung test.
inline constexpr INT_PTR kWatchdogResult = 7777;
inline constexpr UINT kWatchdogCommand = 0x7777;
inline constexpr int kWatchdogSeconds = 20;

// Posts kWatchdogCommand to the window unless stopped first.
class Watchdog {
public:
    explicit Watchdog(HWND target);
    ~Watchdog();
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

private:
    std::mutex m_mutex;
    std::condition_variable m_stop;
    bool m_stopped = false;
    std::thread m_thread;
};

// A dialog whose test decides what happens once it is initialised (`onInit`, run at the end of
// OnInitDialog), and whose events the test reads from `log`.
class ScriptedDialog : public wcl::CDialog {
public:
    explicit ScriptedDialog(UINT templateId, wcl::CWnd* parent = nullptr)
        : CDialog(templateId, parent) {}

    std::function<void(ScriptedDialog&)> onInit;
    std::vector<std::string> log;

protected:
    bool OnInitDialog() override;
    const wcl::MessageMap& GetMessageMap() const override;

private:
    void OnWatchdog() { EndDialog(kWatchdogResult); }
    std::unique_ptr<Watchdog> m_watchdog;
};

// Live GDI objects of this process (fonts, brushes, pens, bitmaps, DCs, regions, ...).
int GdiObjectCount();

// Open kernel handles of this process (events, threads, files, ...).
int KernelHandleCount();

// Threads of this process, from a tool-help snapshot.
int ThreadCount();

// Handles every message waiting for this thread, without waiting for more.
void PumpWaitingMessages();

// Calls `find` every few milliseconds until it returns a window or about ten seconds have passed.
HWND WaitForWindow(const std::function<HWND()>& find);

} // namespace wcl_test
