// Windows. CWindow is any window by handle, owned by nobody; CWnd is an object of the program
// attached to one window, whose messages it answers through its message map.
//
// How a window finds its object: a dialog receives it as the creation parameter of WM_INITDIALOG,
// a window made by CreateEx when the system announces the new window (before its first message),
// and a control of a dialog template when it is bound (SubclassWindow, DDX_Control). The object is
// stored then, once (in GWLP_USERDATA, which an attached window leaves to the library, and in a
// window property for finding the object of any window), and the window's procedure is replaced
// by the library's one procedure, which forwards every message to the object and lets no
// exception out.
//
// Dialogs are attached the same way, so a handler's result, a custom-draw answer included, is
// returned straight from the window procedure to the sender: nothing needs DWLP_MSGRESULT.
#pragma once

#include <windows.h>

#include <string>

#include "wcl/gdi.h"
#include "wcl/message_map.h"

namespace wcl {

class CWindow {
public:
    CWindow() noexcept = default;
    explicit CWindow(HWND window) noexcept : m_hWnd(window) {}

    HWND GetSafeHwnd() const noexcept { return m_hWnd; }
    bool IsWindow() const { return m_hWnd && ::IsWindow(m_hWnd); }

    bool MoveWindow(int x, int y, int width, int height, bool repaint = true) const;
    bool MoveWindow(const RECT& rect, bool repaint = true) const;
    bool SetWindowPos(HWND insertAfter, int x, int y, int width, int height, UINT flags) const;
    // true when the window was visible before.
    bool ShowWindow(int command) const;
    bool IsWindowVisible() const;
    // true when the window was disabled before.
    bool EnableWindow(bool enable = true) const;
    bool IsWindowEnabled() const;
    bool IsIconic() const;
    DWORD GetStyle() const;

    bool SetWindowText(const wchar_t* text) const;
    std::wstring GetWindowText() const;
    HICON SetIcon(HICON icon, bool big) const;

    RECT GetClientRect() const;
    // In screen coordinates.
    RECT GetWindowRect() const;
    void ScreenToClient(RECT& rect) const;
    void ClientToScreen(RECT& rect) const;

    // Without a window these do nothing and return false: the system takes a null window for the
    // whole desktop and would repaint every window on it.
    bool Invalidate(bool erase = true) const;
    bool InvalidateRect(const RECT* rect, bool erase = true) const;
    bool UpdateWindow() const;
    bool RedrawWindow(const RECT* rect = nullptr, HRGN region = nullptr,
                      UINT flags = RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE) const;

    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    bool PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;

    CWindow GetDlgItem(int id) const;
    int GetDlgCtrlID() const;
    CWindow GetParent() const;
    // The window that had the focus.
    CWindow SetFocus() const;

    // A message box owned by this window; returns the button pressed (IDOK, IDYES, ...).
    int MessageBox(const wchar_t* text, const wchar_t* caption = nullptr, UINT type = MB_OK) const;

protected:
    HWND m_hWnd = nullptr;
};

class CWnd : public CWindow {
public:
    CWnd() noexcept = default;
    // Destroys the window the object is attached to (its own or a bound control): deleting a page
    // object takes its window with it. The window's messages during that destruction no longer
    // reach the derived class, which is gone by then.
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    // The object attached to the window, or null.
    static CWnd* FromHandlePermanent(HWND window) noexcept;

    // Creates a window of any class (a system class such as "STATIC" included) attached to this
    // object from before its first message, so WM_NCCREATE and WM_CREATE reach the map too.
    bool CreateEx(DWORD exStyle, const wchar_t* className, const wchar_t* windowName, DWORD style,
                  const RECT& rect, CWnd* parent, UINT id);
    // Attaches the object to an existing window, such as a control of a dialog template.
    bool SubclassWindow(HWND window);
    bool SubclassDlgItem(UINT id, const CWindow& parent);
    // Gives the window its own procedure back and forgets it; null when it cannot (another
    // procedure was put over the library's since).
    HWND UnsubclassWindow() noexcept;
    bool DestroyWindow() noexcept;

    // Runs before the message is translated and dispatched, in the modal loop and in the
    // application's loop, for the window the message is aimed at and then each of its parents in
    // turn: true swallows the message.
    virtual bool PreTranslateMessage(MSG& msg);

protected:
    // Every message of the window passes here first; the base runs the message map and gives
    // what it does not handle to DefWindowProc.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // The window's own processing: the procedure the window had before it was attached.
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // DefWindowProc for the message being handled now, from inside its handler.
    LRESULT Default();

    // Runs the message map; true when an entry handled the message.
    virtual bool OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // WM_NOTIFY: the base first hands the notification back to the sending control's object
    // (reflection), then looks in this window's map.
    virtual bool OnNotify(WPARAM wParam, LPARAM lParam, LRESULT& result);
    // A message the parent got about this control (WM_NOTIFY, WM_DRAWITEM); the base looks for a
    // reflected entry in this control's map.
    virtual bool OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // The object is attached to the window and its procedure is about to be replaced.
    virtual void PreSubclassWindow();

    virtual const MessageMap& GetMessageMap() const;

private:
    struct Dispatch;
    friend LRESULT CALLBACK WindowProcedure(HWND, UINT, WPARAM, LPARAM) noexcept;
    friend LRESULT CALLBACK CreationHook(int, WPARAM, LPARAM) noexcept;
    friend class CDialog;

    bool Attach(HWND window) noexcept;
    // Attach, PreSubclassWindow, then the window's procedure replaced by the library's.
    bool AttachAndSubclass(HWND window);
    void Detach() noexcept;
    LRESULT Route(UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    LRESULT CallOwnProcedure(UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    bool Reflect(HWND control, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

    WNDPROC m_ownProcedure = nullptr;
    Dispatch* m_dispatch = nullptr; // the innermost message being handled, for Default()
};

// Runs PreTranslateMessage for the message's window and its parents, innermost first, up to and
// including `top` (or the top-level window when `top` is not among them). true when one swallowed
// the message.
bool PreTranslateChain(MSG& msg, HWND top);

} // namespace wcl
