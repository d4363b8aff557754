// Message maps: each window class lists, in one table, which window message, command or
// notification goes to which of its member functions. The entry makers below check the handler's
// type when the table is compiled and crack WPARAM/LPARAM into typed arguments once, here, so
// handlers never see raw parameters (except for the program's own WM_USER messages, whose meaning
// only the program knows).
//
//     const wcl::MessageMap& CFrameDlg::GetMessageMap() const {
//         using Self = CFrameDlg;
//         static constexpr wcl::MessageEntry entries[] = {
//             wcl::MapMessage<WM_ERASEBKGND, &Self::OnEraseBkgnd>(), // bool (CDC&)
//             wcl::MapBnClicked<1001, &Self::OnBnClickedNext>(),     // void ()
//             wcl::MapMessage<WM_USER + 2, &Self::OnDone>(),         // LRESULT (WPARAM, LPARAM)
//         };
//         static const wcl::MessageMap map(CDialog::GetMessageMap(), entries);
//         return map;
//     }
//
// A class's table is searched first, then its base class's, so a class answers for itself and
// inherits the rest.
#pragma once

#include <windows.h>

#include <span>
#include <tuple>
#include <type_traits>

#include "wcl/gdi.h"

namespace wcl {

class CWnd;

enum class MessageKind {
    Message,          // a window message to the window itself
    Command,          // WM_COMMAND from a menu, an accelerator or a plain SendMessage (code 0 or 1)
    Control,          // WM_COMMAND with one notification code from a child control
    Notify,           // WM_NOTIFY with one code from one child control
    ReflectedMessage, // a message the parent got about this control (WM_DRAWITEM), handed back
    ReflectedNotify,  // a WM_NOTIFY the parent got from this control, handed back to it
};

struct MessageEntry {
    MessageKind kind;
    UINT message; // Message, ReflectedMessage
    UINT id;      // Command, Control, Notify: the control or command id
    UINT code;    // Control, Notify, ReflectedNotify: the notification code
    LRESULT (*invoke)(CWnd& window, WPARAM wParam, LPARAM lParam);
};

// One class's table and the table of its base class.
class MessageMap {
public:
    // The table of a class that has no base class with a map.
    constexpr explicit MessageMap(std::span<const MessageEntry> entries) noexcept
        : m_base(nullptr), m_entries(entries) {}
    MessageMap(const MessageMap& base, std::span<const MessageEntry> entries) noexcept
        : m_base(&base), m_entries(entries) {}

    const MessageMap* Base() const noexcept { return m_base; }
    std::span<const MessageEntry> Entries() const noexcept { return m_entries; }

private:
    const MessageMap* m_base;
    std::span<const MessageEntry> m_entries;
};

namespace detail {

template <typename Member>
struct HandlerTraits;
template <typename C, typename R, typename... A>
struct HandlerTraits<R (C::*)(A...)> {
    using Class = C;
    using Result = R;
    template <size_t N>
    using Arg = std::tuple_element_t<N, std::tuple<A...>>;
};
template <typename C, typename R, typename... A>
struct HandlerTraits<R (C::*)(A...) noexcept> : HandlerTraits<R (C::*)(A...)> {};

template <typename R>
LRESULT ToResult(R value) noexcept {
    if constexpr (std::is_pointer_v<R>)
        return reinterpret_cast<LRESULT>(value);
    else
        return static_cast<LRESULT>(value);
}

// Calls the handler on the object the window belongs to. A handler without a result answers
// `ifVoid`.
template <auto Handler, LRESULT IfVoid = 0, typename... A>
LRESULT Call(CWnd& window, A&&... args) {
    using Traits = HandlerTraits<decltype(Handler)>;
    auto& self = static_cast<typename Traits::Class&>(window);
    if constexpr (std::is_void_v<typename Traits::Result>) {
        (self.*Handler)(static_cast<A&&>(args)...);
        return IfVoid;
    } else {
        return ToResult((self.*Handler)(static_cast<A&&>(args)...));
    }
}

inline POINT PointOf(LPARAM lParam) noexcept {
    // Signed: a point left of or above the window's origin has negative coordinates.
    return POINT{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
}

} // namespace detail

// How each message's parameters reach its handler. A message without a specialisation here is
// one of the program's own (WM_USER and above) and its handler takes LRESULT (WPARAM, LPARAM).
template <UINT Message>
struct Cracker {
    static_assert(Message >= WM_USER, "no cracker for this system message yet; add one here");
    template <auto H>
    static LRESULT Invoke(CWnd& w, WPARAM wParam, LPARAM lParam) {
        return detail::Call<H>(w, wParam, lParam);
    }
};

// Messages whose handlers take nothing: void OnX().
template <auto H>
LRESULT InvokeWithoutArguments(CWnd& w, WPARAM, LPARAM) {
    return detail::Call<H>(w);
}
template <>
struct Cracker<WM_PAINT> {
    template <auto H>
    static constexpr auto Invoke = &InvokeWithoutArguments<H>;
};
template <>
struct Cracker<WM_DESTROY> {
    template <auto H>
    static constexpr auto Invoke = &InvokeWithoutArguments<H>;
};
template <>
struct Cracker<WM_CLOSE> {
    template <auto H>
    static constexpr auto Invoke = &InvokeWithoutArguments<H>;
};
template <>
struct Cracker<WM_MOUSELEAVE> {
    template <auto H>
    static constexpr auto Invoke = &InvokeWithoutArguments<H>;
};
template <>
struct Cracker<WM_SYSCOLORCHANGE> {
    template <auto H>
    static constexpr auto Invoke = &InvokeWithoutArguments<H>;
};
// bool OnInitDialog(): true lets the dialog manager focus the first control.
template <>
struct Cracker<WM_INITDIALOG> {
    template <auto H>
    static constexpr auto Invoke = &InvokeWithoutArguments<H>;
};
// HICON/HCURSOR OnQueryDragIcon().
template <>
struct Cracker<WM_QUERYDRAGICON> {
    template <auto H>
    static constexpr auto Invoke = &InvokeWithoutArguments<H>;
};

// bool OnEraseBkgnd(CDC& dc): true when the background is erased.
template <>
struct Cracker<WM_ERASEBKGND> {
    template <auto H>
    static LRESULT Invoke(CWnd& w, WPARAM wParam, LPARAM) {
        CDC dc(reinterpret_cast<HDC>(wParam));
        return detail::Call<H>(w, dc);
    }
};

// void OnPrintClient(CDC& dc, UINT flags): the client area drawn into dc (PRF_* flags).
template <>
struct Cracker<WM_PRINTCLIENT> {
    template <auto H>
    static LRESULT Invoke(CWnd& w, WPARAM wParam, LPARAM lParam) {
        CDC dc(reinterpret_cast<HDC>(wParam));
        return detail::Call<H>(w, dc, static_cast<UINT>(lParam));
    }
};

// int OnCreate(CREATESTRUCTW& create): -1 refuses the creation.
template <>
struct Cracker<WM_CREATE> {
    template <auto H>
    static LRESULT Invoke(CWnd& w, WPARAM, LPARAM lParam) {
        return detail::Call<H>(w, *reinterpret_cast<CREATESTRUCTW*>(lParam));
    }
};

// void OnSize(UINT type, int cx, int cy).
template <>
struct Cracker<WM_SIZE> {
    template <auto H>
    static LRESULT Invoke(CWnd& w, WPARAM wParam, LPARAM lParam) {
        return detail::Call<H>(w, static_cast<UINT>(wParam), static_cast<int>(LOWORD(lParam)),
                               static_cast<int>(HIWORD(lParam)));
    }
};

// void OnKeyDown(UINT key, UINT repeatCount, UINT flags).
template <>
struct Cracker<WM_KEYDOWN> {
    template <auto H>
    static LRESULT Invoke(CWnd& w, WPARAM wParam, LPARAM lParam) {
        return detail::Call<H>(w, static_cast<UINT>(wParam), static_cast<UINT>(LOWORD(lParam)),
                               static_cast<UINT>(HIWORD(lParam)));
    }
};

// void OnXButtonY(UINT keyFlags, POINT point), client coordinates.
template <auto H>
LRESULT InvokeMouse(CWnd& w, WPARAM wParam, LPARAM lParam) {
    return detail::Call<H>(w, static_cast<UINT>(wParam), detail::PointOf(lParam));
}
template <>
struct Cracker<WM_LBUTTONDOWN> {
    template <auto H>
    static constexpr auto Invoke = &InvokeMouse<H>;
};
template <>
struct Cracker<WM_LBUTTONUP> {
    template <auto H>
    static constexpr auto Invoke = &InvokeMouse<H>;
};
template <>
struct Cracker<WM_MOUSEMOVE> {
    template <auto H>
    static constexpr auto Invoke = &InvokeMouse<H>;
};

// void OnDrawItem(DRAWITEMSTRUCT& item); the control id is item.CtlID. Answers TRUE, "drawn".
template <>
struct Cracker<WM_DRAWITEM> {
    template <auto H>
    static LRESULT Invoke(CWnd& w, WPARAM, LPARAM lParam) {
        return detail::Call<H, TRUE>(w, *reinterpret_cast<DRAWITEMSTRUCT*>(lParam));
    }
};

namespace detail {

// void OnX() for commands and control notifications.
template <auto H>
LRESULT InvokeCommand(CWnd& w, WPARAM, LPARAM) {
    return Call<H>(w);
}

// LRESULT or void OnX(NMxxx& notification): the handler names the notification's structure.
template <auto H>
LRESULT InvokeNotify(CWnd& w, WPARAM, LPARAM lParam) {
    using Param = std::remove_reference_t<typename HandlerTraits<decltype(H)>::template Arg<0>>;
    static_assert(std::is_lvalue_reference_v<typename HandlerTraits<decltype(H)>::template Arg<0>>,
                  "a notification handler takes its structure by reference");
    return Call<H>(w, *reinterpret_cast<Param*>(lParam));
}

} // namespace detail

// A window message, its parameters cracked as above.
template <UINT Message, auto Handler>
constexpr MessageEntry MapMessage() {
    return {MessageKind::Message, Message, 0, 0, Cracker<Message>::template Invoke<Handler>};
}

// A command: a menu item, an accelerator, a button click, or WM_COMMAND sent with just the id
// (as IsDialogMessage and other threads send IDOK and IDCANCEL). void OnX().
template <UINT Id, auto Handler>
constexpr MessageEntry MapCommand() {
    return {MessageKind::Command, WM_COMMAND, Id, 0, &detail::InvokeCommand<Handler>};
}

// One notification code of WM_COMMAND from one control. void OnX().
template <UINT Code, UINT Id, auto Handler>
constexpr MessageEntry MapControl() {
    return {MessageKind::Control, WM_COMMAND, Id, Code, &detail::InvokeCommand<Handler>};
}

template <UINT Id, auto Handler>
constexpr MessageEntry MapBnClicked() {
    return MapControl<BN_CLICKED, Id, Handler>();
}

// One WM_NOTIFY code from one control. LRESULT OnX(NMxxx&) (or void: result 0).
template <UINT Code, UINT Id, auto Handler>
constexpr MessageEntry MapNotify() {
    return {MessageKind::Notify, WM_NOTIFY, Id, Code, &detail::InvokeNotify<Handler>};
}

// In a control's own table: a WM_NOTIFY code that the control sent its parent, handled by the
// control (custom draw, column clicks). The parent's own table is not consulted when the control
// handles it; the handler's result is the parent's answer.
template <UINT Code, auto Handler>
constexpr MessageEntry MapNotifyReflect() {
    return {MessageKind::ReflectedNotify, WM_NOTIFY, 0, Code, &detail::InvokeNotify<Handler>};
}

// In a control's own table: a message its parent got about it (WM_DRAWITEM), cracked as for the
// parent.
template <UINT Message, auto Handler>
constexpr MessageEntry MapMessageReflect() {
    return {MessageKind::ReflectedMessage, Message, 0, 0,
            Cracker<Message>::template Invoke<Handler>};
}

} // namespace wcl
