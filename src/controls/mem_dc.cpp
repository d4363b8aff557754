#include "controls/mem_dc.h"

bool IsPrinterDC(HDC dc) {
    const DWORD kind = ::GetObjectType(dc);
    if (kind == OBJ_METADC || kind == OBJ_ENHMETADC)
        return true;
    const int technology = ::GetDeviceCaps(dc, TECHNOLOGY);
    return technology == DT_RASPRINTER || technology == DT_PLOTTER || technology == DT_METAFILE;
}

CMemDC::CMemDC(const wcl::CDC& target) : targetDC(target) {
    if (!IsPrinterDC(target.GetSafeHdc()) && MakeOffScreen())
        return;
    // A printer, or no memory for the bitmap: draw straight into the target, which stays its
    // owner's.
    m_hDC = target.GetSafeHdc();
}

bool CMemDC::MakeOffScreen() {
    targetDC.GetClipBox(area);
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    if (width <= 0 || height <= 0)
        return false;
    wcl::UniqueCompatibleDC dc(::CreateCompatibleDC(targetDC.GetSafeHdc()));
    if (!dc || !bitmap.CreateCompatibleBitmap(targetDC, width, height))
        return false;
    wcl::SelectedObject selected = wcl::CDC(dc.get()).SelectObject(bitmap);
    if (!selected)
        return false;
    m_offScreenDC = std::move(dc);
    oldBitmap = std::move(selected);
    m_hDC = m_offScreenDC.get();
    SetWindowOrg(area.left, area.top);
    offScreen = true;
    return true;
}

CMemDC::~CMemDC() {
    if (offScreen) {
        targetDC.BitBlt(area.left, area.top, area.right - area.left, area.bottom - area.top, *this,
                        area.left, area.top, SRCCOPY);
    }
    // The selection, the bitmap and the off-screen DC go in that order with the members; a shared
    // target DC is only forgotten.
    m_hDC = nullptr;
}
