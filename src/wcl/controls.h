// The system's controls as the program uses them: objects bound to a dialog template's controls
// (DDX_Control) or created by the program, with everything they need from CWnd.
#pragma once

#include <windows.h>

#include "wcl/window.h"

namespace wcl {

// A push button. Texts, places, enabling and BM_CLICK go through CWnd.
class CButton : public CWnd {};

// A static control; also the base of controls that paint themselves on a static window.
class CStatic : public CWnd {
public:
    bool Create(const wchar_t* text, DWORD style, const RECT& rect, CWnd* parent, UINT id = 0xFFFF);
};

} // namespace wcl
