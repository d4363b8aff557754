// Keys of the wizard's filters, shared by the frame and its pages.
#pragma once

#include <windows.h>

// Esc, Ctrl+Break, Space and F1 never act in the wizard: no key may close it or press a button
// behind the user's back.
inline bool IsIgnoredWizardKey(WPARAM key) {
    return key == VK_ESCAPE || key == VK_CANCEL || key == VK_SPACE || key == VK_F1;
}

// Clicks a button as the mouse would: a disabled one does nothing. A BM_CLICK reaching a disabled
// button still clicks it on some systems (Wine among them), so the state is asked first.
inline void ClickIfEnabled(HWND button) {
    if (button && ::IsWindow(button) && ::IsWindowEnabled(button))
        ::SendMessageW(button, BM_CLICK, 0, 0);
}
