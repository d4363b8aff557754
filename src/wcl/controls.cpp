#include "wcl/controls.h"

namespace wcl {

bool CStatic::Create(const wchar_t* text, DWORD style, const RECT& rect, CWnd* parent, UINT id) {
    return CreateEx(0, L"STATIC", text, style, rect, parent, id);
}

} // namespace wcl
