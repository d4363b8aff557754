// The image-list calls of the controls, reached in comctl32 at run time: the setup's import table
// names no DLL that could be planted beside it, so comctl32 is loaded only after the DLL search
// has been limited to the system folder. Each call does nothing (and reports failure) when the
// DLL or its entry cannot be had.
#pragma once

#include <windows.h>

#include <commctrl.h>

namespace controls {

bool ImageListGetImageInfo(HIMAGELIST images, int index, IMAGEINFO& info);
// The previous background colour; CLR_NONE when the call could not be made.
COLORREF ImageListSetBkColor(HIMAGELIST images, COLORREF colour);
bool ImageListDrawIndirect(IMAGELISTDRAWPARAMS& draw);

} // namespace controls
