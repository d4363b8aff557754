// An off-screen stand-in for a device context during one paint: drawing goes into a bitmap the
// size of the target's clip box, in the target's own logical coordinates, and reaches the target
// in one copy when the object ends. A printer or metafile target is drawn into directly, since a
// bitmap copy of a page would be both wrong in resolution and recorded as a bitmap.
#pragma once

#include <windows.h>

#include "wcl/gdi.h"

// True for a DC whose output is not the screen: a printer, a plotter or a metafile.
bool IsPrinterDC(HDC dc);

class CMemDC : public wcl::CDC {
public:
    explicit CMemDC(const wcl::CDC& target);
    ~CMemDC();
    CMemDC(const CMemDC&) = delete;
    CMemDC& operator=(const CMemDC&) = delete;

    // The target's clip box when the object was made, in the target's logical coordinates.
    const RECT& Area() const noexcept { return area; }
    // False when drawing goes straight into the target.
    bool IsOffScreen() const noexcept { return offScreen; }

private:
    bool MakeOffScreen();

    wcl::UniqueCompatibleDC m_offScreenDC;
    wcl::CBitmap bitmap;
    wcl::SelectedObject oldBitmap; // puts the replaced bitmap back before `bitmap` goes
    wcl::CDC targetDC;
    RECT area{};
    bool offScreen = false;
};
