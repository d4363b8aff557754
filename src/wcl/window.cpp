#include "wcl/window.h"

#include <utility>

#include "wcl/app.h"

namespace wcl {

// A message an object is handling now. Handlers may cause further messages to the same window,
// so these nest.
struct CWnd::Dispatch {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    Dispatch* outer;
    bool defaulted = false;  // the window's own procedure has seen this message
    bool objectGone = false; // a handler deleted the object: touch nothing of it any more
};

namespace {

// Names a window's object. It finds the object of any window (a parent, a notifying control)
// without trusting GWLP_USERDATA, which windows of other code use for their own ends.
constexpr wchar_t kObjectProperty[] = L"wcl.CWnd";

// The object whose window CreateEx is creating, until the system announces that window.
thread_local CWnd* t_windowBeingCreated = nullptr;

struct HookTraits {
    using pointer = HHOOK;
    static pointer invalid() noexcept { return nullptr; }
    static void close(pointer hook) noexcept { ::UnhookWindowsHookEx(hook); }
};
using UniqueHook = Unique<HookTraits>;

// The first entry of the class's table, then of its base classes' tables, that matches.
template <typename Match>
const MessageEntry* FindEntry(const MessageMap& map, Match match) {
    for (const MessageMap* table = &map; table; table = table->Base()) {
        for (const MessageEntry& entry : table->Entries()) {
            if (match(entry))
                return &entry;
        }
    }
    return nullptr;
}

bool IsChildWindow(HWND window) {
    return (::GetWindowLongPtrW(window, GWL_STYLE) & WS_CHILD) != 0;
}

} // namespace

// The one procedure of every window attached to an object. The object was stored in the window
// when it was attached; this finds it and hands the message over.
LRESULT CALLBACK WindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    auto* object = reinterpret_cast<CWnd*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!object)
        return ::DefWindowProcW(window, message, wParam, lParam);
    return object->Route(message, wParam, lParam);
}

// Attaches CreateEx's object to its window when the system announces it, before WM_NCCREATE.
LRESULT CALLBACK CreationHook(int code, WPARAM wParam, LPARAM lParam) noexcept {
    if (code == HCBT_CREATEWND && t_windowBeingCreated) {
        CWnd* object = std::exchange(t_windowBeingCreated, nullptr);
        try {
            object->AttachAndSubclass(reinterpret_cast<HWND>(wParam));
        } catch (...) {
            // Not attached: CreateEx sees that and destroys the window.
        }
    }
    return ::CallNextHookEx(nullptr, code, wParam, lParam);
}

// CWindow

bool CWindow::MoveWindow(int x, int y, int width, int height, bool repaint) const {
    return ::MoveWindow(m_hWnd, x, y, width, height, repaint) != 0;
}

bool CWindow::MoveWindow(const RECT& rect, bool repaint) const {
    return MoveWindow(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, repaint);
}

bool CWindow::SetWindowPos(HWND insertAfter, int x, int y, int width, int height,
                           UINT flags) const {
    return ::SetWindowPos(m_hWnd, insertAfter, x, y, width, height, flags) != 0;
}

bool CWindow::ShowWindow(int command) const {
    return ::ShowWindow(m_hWnd, command) != 0;
}

bool CWindow::IsWindowVisible() const {
    return ::IsWindowVisible(m_hWnd) != 0;
}

bool CWindow::EnableWindow(bool enable) const {
    return ::EnableWindow(m_hWnd, enable) != 0;
}

bool CWindow::IsWindowEnabled() const {
    return ::IsWindowEnabled(m_hWnd) != 0;
}

bool CWindow::IsIconic() const {
    return ::IsIconic(m_hWnd) != 0;
}

DWORD CWindow::GetStyle() const {
    return static_cast<DWORD>(::GetWindowLongPtrW(m_hWnd, GWL_STYLE));
}

bool CWindow::SetWindowText(const wchar_t* text) const {
    return ::SetWindowTextW(m_hWnd, text) != 0;
}

std::wstring CWindow::GetWindowText() const {
    const int length = ::GetWindowTextLengthW(m_hWnd);
    if (length <= 0)
        return {};
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    const int copied = ::GetWindowTextW(m_hWnd, text.data(), length + 1);
    text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
    return text;
}

HICON CWindow::SetIcon(HICON icon, bool big) const {
    return reinterpret_cast<HICON>(
        SendMessage(WM_SETICON, big ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(icon)));
}

RECT CWindow::GetClientRect() const {
    RECT rect{};
    ::GetClientRect(m_hWnd, &rect);
    return rect;
}

RECT CWindow::GetWindowRect() const {
    RECT rect{};
    ::GetWindowRect(m_hWnd, &rect);
    return rect;
}

void CWindow::ScreenToClient(RECT& rect) const {
    ::MapWindowPoints(nullptr, m_hWnd, reinterpret_cast<POINT*>(&rect), 2);
}

void CWindow::ClientToScreen(RECT& rect) const {
    ::MapWindowPoints(m_hWnd, nullptr, reinterpret_cast<POINT*>(&rect), 2);
}

bool CWindow::Invalidate(bool erase) const {
    return InvalidateRect(nullptr, erase);
}

bool CWindow::InvalidateRect(const RECT* rect, bool erase) const {
    return m_hWnd && ::InvalidateRect(m_hWnd, rect, erase) != 0;
}

bool CWindow::UpdateWindow() const {
    return ::UpdateWindow(m_hWnd) != 0;
}

bool CWindow::RedrawWindow(const RECT* rect, HRGN region, UINT flags) const {
    return m_hWnd && ::RedrawWindow(m_hWnd, rect, region, flags) != 0;
}

LRESULT CWindow::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) const {
    return ::SendMessageW(m_hWnd, message, wParam, lParam);
}

bool CWindow::PostMessage(UINT message, WPARAM wParam, LPARAM lParam) const {
    return ::PostMessageW(m_hWnd, message, wParam, lParam) != 0;
}

CWindow CWindow::GetDlgItem(int id) const {
    return CWindow(::GetDlgItem(m_hWnd, id));
}

int CWindow::GetDlgCtrlID() const {
    return ::GetDlgCtrlID(m_hWnd);
}

CWindow CWindow::GetParent() const {
    return CWindow(::GetParent(m_hWnd));
}

CWindow CWindow::SetFocus() const {
    return CWindow(::SetFocus(m_hWnd));
}

int CWindow::MessageBox(const wchar_t* text, const wchar_t* caption, UINT type) const {
    return ::MessageBoxW(m_hWnd, text, caption, type);
}

// CWnd

CWnd::~CWnd() {
    for (Dispatch* dispatch = m_dispatch; dispatch; dispatch = dispatch->outer)
        dispatch->objectGone = true;
    m_dispatch = nullptr;
    if (m_hWnd)
        ::DestroyWindow(m_hWnd); // WM_NCDESTROY detaches the object
    if (m_hWnd)
        Detach(); // a window of another thread, which this one cannot destroy
}

CWnd* CWnd::FromHandlePermanent(HWND window) noexcept {
    return window ? static_cast<CWnd*>(::GetPropW(window, kObjectProperty)) : nullptr;
}

bool CWnd::CreateEx(DWORD exStyle, const wchar_t* className, const wchar_t* windowName, DWORD style,
                    const RECT& rect, CWnd* parent, UINT id) {
    if (m_hWnd)
        return false;
    UniqueHook hook(::SetWindowsHookExW(WH_CBT, &CreationHook, nullptr, ::GetCurrentThreadId()));
    if (!hook)
        return false;
    t_windowBeingCreated = this;
    const HWND window = ::CreateWindowExW(
        exStyle, className, windowName, style, rect.left, rect.top, rect.right - rect.left,
        rect.bottom - rect.top, parent ? parent->m_hWnd : nullptr,
        reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)), AfxGetResourceHandle(), nullptr);
    t_windowBeingCreated = nullptr;
    if (window && window != m_hWnd) {
        ::DestroyWindow(window); // created, but the object could not be attached
        return false;
    }
    return window != nullptr;
}

bool CWnd::SubclassWindow(HWND window) {
    return window && ::IsWindow(window) && AttachAndSubclass(window);
}

bool CWnd::SubclassDlgItem(UINT id, const CWindow& parent) {
    return SubclassWindow(::GetDlgItem(parent.GetSafeHwnd(), static_cast<int>(id)));
}

HWND CWnd::UnsubclassWindow() noexcept {
    if (!m_hWnd ||
        reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(m_hWnd, GWLP_WNDPROC)) != &WindowProcedure)
        return nullptr;
    const HWND window = m_hWnd;
    Detach();
    return window;
}

bool CWnd::DestroyWindow() noexcept {
    return m_hWnd && ::DestroyWindow(m_hWnd);
}

bool CWnd::PreTranslateMessage(MSG&) {
    return false;
}

bool CWnd::Attach(HWND window) noexcept {
    if (m_hWnd || !window || FromHandlePermanent(window))
        return false;
    if (!::SetPropW(window, kObjectProperty, this))
        return false;
    m_hWnd = window;
    ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    return true;
}

bool CWnd::AttachAndSubclass(HWND window) {
    if (!Attach(window))
        return false;
    try {
        PreSubclassWindow();
    } catch (...) {
        Detach();
        throw;
    }
    m_ownProcedure = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WindowProcedure)));
    return true;
}

void CWnd::Detach() noexcept {
    if (!m_hWnd)
        return;
    const auto current = reinterpret_cast<WNDPROC>(::GetWindowLongPtrW(m_hWnd, GWLP_WNDPROC));
    if (current == &WindowProcedure && m_ownProcedure)
        ::SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_ownProcedure));
    ::SetWindowLongPtrW(m_hWnd, GWLP_USERDATA, 0);
    ::RemovePropW(m_hWnd, kObjectProperty);
    m_hWnd = nullptr;
    m_ownProcedure = nullptr;
}

LRESULT CWnd::Route(UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    Dispatch current{message, wParam, lParam, m_dispatch};
    m_dispatch = &current;
    LRESULT result = 0;
    try {
        result = WindowProc(message, wParam, lParam);
    } catch (...) {
        // No exception may return into the system, which called this procedure. The failed
        // message gets the window's own processing instead, unless that has run already.
        if (!current.objectGone && !current.defaulted) {
            current.defaulted = true;
            result = CallOwnProcedure(message, wParam, lParam);
        }
    }
    if (current.objectGone)
        return result;
    m_dispatch = current.outer;
    if (message == WM_NCDESTROY) {
        // The window's own procedure frees what it holds on its last message.
        if (!current.defaulted)
            CallOwnProcedure(message, wParam, lParam);
        Detach();
    }
    return result;
}

LRESULT CWnd::CallOwnProcedure(UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    if (!m_hWnd)
        return 0;
    if (m_ownProcedure)
        return ::CallWindowProcW(m_ownProcedure, m_hWnd, message, wParam, lParam);
    return ::DefWindowProcW(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    LRESULT result = 0;
    if (OnWndMsg(message, wParam, lParam, result))
        return result;
    return DefWindowProc(message, wParam, lParam);
}

LRESULT CWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (m_dispatch && m_dispatch->message == message)
        m_dispatch->defaulted = true;
    return CallOwnProcedure(message, wParam, lParam);
}

LRESULT CWnd::Default() {
    if (!m_dispatch)
        return 0;
    return DefWindowProc(m_dispatch->message, m_dispatch->wParam, m_dispatch->lParam);
}

bool CWnd::OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    const MessageEntry* entry = nullptr;
    if (message == WM_COMMAND) {
        const UINT id = LOWORD(wParam);
        const UINT code = HIWORD(wParam);
        entry = FindEntry(GetMessageMap(), [&](const MessageEntry& e) {
            return e.id == id && ((e.kind == MessageKind::Command && code <= 1) ||
                                  (e.kind == MessageKind::Control && e.code == code));
        });
    } else if (message == WM_NOTIFY) {
        if (OnNotify(wParam, lParam, result))
            return true;
    } else if (message == WM_DRAWITEM) {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (item && item->CtlType != ODT_MENU &&
            Reflect(item->hwndItem, message, wParam, lParam, result))
            return true;
    }
    if (!entry) {
        entry = FindEntry(GetMessageMap(), [&](const MessageEntry& e) {
            return e.kind == MessageKind::Message && e.message == message;
        });
    }
    if (!entry)
        return false;
    result = entry->invoke(*this, wParam, lParam);
    return true;
}

bool CWnd::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT& result) {
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    if (!header)
        return false;
    if (Reflect(header->hwndFrom, WM_NOTIFY, wParam, lParam, result))
        return true;
    const MessageEntry* entry = FindEntry(GetMessageMap(), [&](const MessageEntry& e) {
        return e.kind == MessageKind::Notify && e.id == header->idFrom && e.code == header->code;
    });
    if (!entry)
        return false;
    result = entry->invoke(*this, wParam, lParam);
    return true;
}

bool CWnd::OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    const MessageEntry* entry = nullptr;
    if (message == WM_NOTIFY) {
        const UINT code = reinterpret_cast<const NMHDR*>(lParam)->code;
        entry = FindEntry(GetMessageMap(), [&](const MessageEntry& e) {
            return e.kind == MessageKind::ReflectedNotify && e.code == code;
        });
    } else {
        entry = FindEntry(GetMessageMap(), [&](const MessageEntry& e) {
            return e.kind == MessageKind::ReflectedMessage && e.message == message;
        });
    }
    if (!entry)
        return false;
    result = entry->invoke(*this, wParam, lParam);
    return true;
}

bool CWnd::Reflect(HWND control, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    CWnd* child = FromHandlePermanent(control);
    return child && child != this && child->OnChildNotify(message, wParam, lParam, result);
}

void CWnd::PreSubclassWindow() {}

const MessageMap& CWnd::GetMessageMap() const {
    static constexpr MessageMap map{std::span<const MessageEntry>{}};
    return map;
}

bool PreTranslateChain(MSG& msg, HWND top) {
    for (HWND window = msg.hwnd; window;) {
        // The next window is taken first: a filter may delete its own window's object (a click
        // it sends can end the page it sits on).
        const HWND next = (window == top || !IsChildWindow(window)) ? nullptr : ::GetParent(window);
        if (CWnd* object = CWnd::FromHandlePermanent(window)) {
            try {
                if (object->PreTranslateMessage(msg))
                    return true;
            } catch (...) {
                return true; // a filter that failed has not let the message through
            }
        }
        window = next;
    }
    return false;
}

} // namespace wcl
