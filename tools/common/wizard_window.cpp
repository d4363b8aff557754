#include "common/wizard_window.h"

#include <iterator>
#include <string>
#include <thread>

namespace tools {

namespace {

constexpr wchar_t kFrameTitle[] = L"Install ORIBEL";

struct FrameSearch {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK FindFrame(HWND window, LPARAM lParam) {
    auto& search = *reinterpret_cast<FrameSearch*>(lParam);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    wchar_t title[64] = {};
    ::GetWindowTextW(window, title, static_cast<int>(std::size(title)));
    if (owner == search.processId && std::wstring(title) == kFrameTitle &&
        ::IsWindowVisible(window)) {
        search.found = window;
        return FALSE;
    }
    return TRUE;
}

} // namespace

HWND FindWizardFrame(DWORD processId) {
    FrameSearch search{processId, nullptr};
    ::EnumWindows(FindFrame, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return true;
}

} // namespace tools
