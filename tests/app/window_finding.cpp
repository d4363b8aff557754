#include "window_finding.h"

#include <array>

namespace setup_test {
namespace {

constexpr DWORD kBoxTimeoutMs = 10000;
constexpr int kWizardNextId = 1001;

std::wstring ClassName(HWND window) {
    std::array<wchar_t, 64> name{};
    const int length = ::GetClassNameW(window, name.data(), static_cast<int>(name.size()));
    return std::wstring(name.data(), length > 0 ? static_cast<size_t>(length) : 0);
}

DWORD ProcessOf(HWND window) {
    DWORD process = 0;
    ::GetWindowThreadProcessId(window, &process);
    return process;
}

struct Search {
    std::function<bool(HWND)> match;
    HWND found = nullptr;
};

BOOL CALLBACK CheckTopLevel(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<Search*>(parameter);
    if (!search->match(window))
        return TRUE;
    search->found = window;
    return FALSE;
}

HWND FindTopLevel(std::function<bool(HWND)> match) {
    Search search{std::move(match)};
    ::EnumWindows(CheckTopLevel, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

BOOL CALLBACK CollectChild(HWND child, LPARAM parameter) {
    auto* seen = reinterpret_cast<SeenBox*>(parameter);
    const std::wstring kind = ClassName(child);
    if (_wcsicmp(kind.c_str(), L"Static") == 0) {
        const std::wstring text = WindowText(child);
        if (!text.empty())
            seen->text += text;
    } else if (_wcsicmp(kind.c_str(), L"Button") == 0 && ::IsWindowVisible(child)) {
        seen->buttons.push_back(::GetDlgCtrlID(child));
    }
    return TRUE;
}

} // namespace

std::wstring WindowText(HWND window) {
    const int length = ::GetWindowTextLengthW(window);
    std::wstring text(static_cast<size_t>(length > 0 ? length : 0) + 1, L'\0');
    const int copied = ::GetWindowTextW(window, text.data(), static_cast<int>(text.size()));
    text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
    return text;
}

HWND WaitForWindow(const std::function<HWND()>& find, DWORD timeoutMs) {
    const ULONGLONG until = ::GetTickCount64() + timeoutMs;
    for (;;) {
        if (HWND window = find())
            return window;
        if (::GetTickCount64() >= until)
            return nullptr;
        ::Sleep(10);
    }
}

HWND FindTopLevelWindow(DWORD processId, const wchar_t* title) {
    return FindTopLevel([&](HWND window) {
        return ::IsWindowVisible(window) && (processId == 0 || ProcessOf(window) == processId) &&
               WindowText(window) == title;
    });
}

HWND FindMessageBox(HWND owner, DWORD processId) {
    return FindTopLevel([&](HWND window) {
        // The wizard frame is a dialog too; its Next button tells it apart.
        if (!::IsWindowVisible(window) || ClassName(window) != L"#32770" ||
            ::GetWindow(window, GW_OWNER) != owner || ::GetDlgItem(window, kWizardNextId))
            return false;
        return owner != nullptr || processId == 0 || ProcessOf(window) == processId;
    });
}

SeenBox ReadMessageBox(HWND box) {
    SeenBox seen;
    if (!box)
        return seen;
    seen.shown = true;
    seen.caption = WindowText(box);
    ::EnumChildWindows(box, CollectChild, reinterpret_cast<LPARAM>(&seen));
    return seen;
}

void AnswerMessageBox(HWND box, int button) {
    ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED),
                   reinterpret_cast<LPARAM>(::GetDlgItem(box, button)));
}

BoxAnswerer::BoxAnswerer(HWND owner, int button, DWORD processId)
    : m_thread([this, owner, button, processId] {
          const HWND box =
              WaitForWindow([&] { return FindMessageBox(owner, processId); }, kBoxTimeoutMs);
          m_seen = ReadMessageBox(box);
          if (box)
              AnswerMessageBox(box, button);
      }) {}

BoxAnswerer::~BoxAnswerer() {
    if (m_thread.joinable())
        m_thread.join();
}

const SeenBox& BoxAnswerer::Seen() {
    if (m_thread.joinable())
        m_thread.join();
    return m_seen;
}

SeenBox AnswerBoxShownBy(HWND owner, int button, const std::function<void()>& trigger) {
    BoxAnswerer answerer(owner, button);
    trigger();
    return answerer.Seen();
}

} // namespace setup_test
