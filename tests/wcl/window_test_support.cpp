#include "window_test_support.h"

#include <tlhelp32.h>

#include <chrono>

#include "wcl/handle.h"

namespace wcl_test {

Watchdog::Watchdog(HWND target)
    : m_thread([this, target] {
          std::unique_lock<std::mutex> hold(m_mutex);
          if (!m_stop.wait_for(hold, std::chrono::seconds(kWatchdogSeconds),
                               [this] { return m_stopped; }))
              ::PostMessageW(target, WM_COMMAND, kWatchdogCommand, 0);
      }) {}

Watchdog::~Watchdog() {
    {
        std::lock_guard<std::mutex> hold(m_mutex);
        m_stopped = true;
    }
    m_stop.notify_one();
    m_thread.join();
}

bool ScriptedDialog::OnInitDialog() {
    if (!CDialog::OnInitDialog())
        return false;
    m_watchdog = std::make_unique<Watchdog>(m_hWnd);
    if (onInit)
        onInit(*this);
    return true;
}

const wcl::MessageMap& ScriptedDialog::GetMessageMap() const {
    static constexpr wcl::MessageEntry entries[] = {
        wcl::MapCommand<kWatchdogCommand, &ScriptedDialog::OnWatchdog>(),
    };
    static const wcl::MessageMap map(CDialog::GetMessageMap(), entries);
    return map;
}

int GdiObjectCount() {
    // Windows counts them for GetGuiResources. Wine 8 does not implement that (it returns 0 with
    // ERROR_CALL_NOT_IMPLEMENTED), so there the handle table is walked: a GDI handle is an index
    // in its low 16 bits with a generation above, and Wine's GetObjectType takes a bare index for
    // the live object in that slot.
    const DWORD counted = ::GetGuiResources(::GetCurrentProcess(), GR_GDIOBJECTS);
    if (counted != 0)
        return static_cast<int>(counted);
    int live = 0;
    for (ULONG_PTR index = 1; index <= 0xFFFF; ++index) {
        if (::GetObjectType(reinterpret_cast<HGDIOBJ>(index)) != 0)
            ++live;
    }
    return live;
}

int KernelHandleCount() {
    // Wine 8 answers GetProcessHandleCount with 0; there the handle values are tried one by one
    // (Wine hands out the smallest free multiple of 4).
    DWORD counted = 0;
    if (::GetProcessHandleCount(::GetCurrentProcess(), &counted) && counted != 0)
        return static_cast<int>(counted);
    int open = 0;
    for (ULONG_PTR value = 4; value < 0x4000; value += 4) {
        DWORD flags = 0;
        if (::GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags))
            ++open;
    }
    return open;
}

int ThreadCount() {
    const wcl::UniqueFileHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
    THREADENTRY32 entry{};
    entry.dwSize = sizeof(entry);
    int count = 0;
    for (BOOL more = ::Thread32First(snapshot.get(), &entry); more;
         more = ::Thread32Next(snapshot.get(), &entry))
        count += entry.th32OwnerProcessID == ::GetCurrentProcessId() ? 1 : 0;
    return count;
}

void PumpWaitingMessages() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

HWND WaitForWindow(const std::function<HWND()>& find) {
    for (int attempt = 0; attempt < 1000; ++attempt) {
        if (HWND window = find())
            return window;
        ::Sleep(10);
    }
    return nullptr;
}

} // namespace wcl_test
