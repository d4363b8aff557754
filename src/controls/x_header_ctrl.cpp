#include "controls/x_header_ctrl.h"

#include <algorithm>

#include "controls/image_list_calls.h"
#include "controls/mem_dc.h"

namespace {

constexpr COLORREF kHeaderBackground = RGB(255, 255, 255);
// The title's top, from the header's top whatever the item's rectangle says.
constexpr int kTitleTop = 5;
// The gap between a bitmap's bottom edge and the item's bottom edge.
constexpr int kBitmapBottomGap = 10;

} // namespace

CXHeaderCtrl::CXHeaderCtrl() : faceColour(::GetSysColor(COLOR_BTNFACE)) {}

const wcl::MessageMap& CXHeaderCtrl::GetMessageMap() const {
    using Self = CXHeaderCtrl;
    static constexpr wcl::MessageEntry entries[] = {
        wcl::MapMessage<WM_PAINT, &Self::OnPaint>(),
        wcl::MapMessage<WM_ERASEBKGND, &Self::OnEraseBkgnd>(),
        wcl::MapMessage<WM_SYSCOLORCHANGE, &Self::OnSysColorChange>(),
        wcl::MapMessage<WM_MOUSEMOVE, &Self::OnMouseMove>(),
        wcl::MapMessage<WM_MOUSELEAVE, &Self::OnMouseLeave>(),
        wcl::MapMessage<WM_LBUTTONDOWN, &Self::OnLButtonDown>(),
        wcl::MapMessage<WM_LBUTTONUP, &Self::OnLButtonUp>(),
        wcl::MapMessage<HDM_SETIMAGELIST, &Self::OnSetImageList>(),
        wcl::MapMessage<HDM_LAYOUT, &Self::OnLayout>(),
    };
    static const wcl::MessageMap map(CHeaderCtrl::GetMessageMap(), entries);
    return map;
}

void CXHeaderCtrl::OnPaint() {
    wcl::CPaintDC paint(*this);
    if (!paint.GetSafeHdc())
        return;
    if (doubleBuffer) {
        CMemDC buffer(paint);
        DrawHeader(buffer);
    } else {
        DrawHeader(paint);
    }
}

bool CXHeaderCtrl::OnEraseBkgnd(wcl::CDC&) {
    return true; // every paint fills what it repaints
}

void CXHeaderCtrl::OnSysColorChange() {
    Default();
    faceColour = ::GetSysColor(COLOR_BTNFACE);
}

LRESULT CXHeaderCtrl::OnMouseMove(UINT, POINT) {
    if (mouseTracking) {
        Invalidate(true);
    } else {
        TRACKMOUSEEVENT track{};
        track.cbSize = sizeof(track);
        track.dwFlags = TME_LEAVE;
        track.hwndTrack = m_hWnd;
        track.dwHoverTime = 0;
        if (::TrackMouseEvent(&track))
            mouseTracking = true;
    }
    return Default();
}

void CXHeaderCtrl::OnMouseLeave() {
    mouseTracking = false;
    Invalidate(true);
}

LRESULT CXHeaderCtrl::OnLButtonDown(UINT, POINT) {
    buttonDown = true;
    return Default();
}

LRESULT CXHeaderCtrl::OnLButtonUp(UINT, POINT) {
    buttonDown = false;
    return Default();
}

LRESULT CXHeaderCtrl::OnSetImageList(WPARAM, LPARAM lParam) {
    IMAGEINFO info{};
    if (const auto images = reinterpret_cast<HIMAGELIST>(lParam);
        images && controls::ImageListGetImageInfo(images, 0, info)) {
        imageWidth = info.rcImage.right - info.rcImage.left;
        imageHeight = info.rcImage.bottom - info.rcImage.top;
    }
    return Default();
}

LRESULT CXHeaderCtrl::OnLayout(WPARAM, LPARAM lParam) {
    const LRESULT result = Default();
    const auto* layout = reinterpret_cast<const HDLAYOUT*>(lParam);
    if (headerHeight > 0 && layout && layout->prc && layout->pwpos) {
        layout->pwpos->cy = headerHeight;
        layout->prc->top = headerHeight;
    }
    return result;
}

void CXHeaderCtrl::DrawHeader(const wcl::CDC& dc) {
    RECT clip{};
    if (dc.GetClipBox(clip) == ERROR)
        return;
    dc.FillSolidRect(clip, kHeaderBackground);
    wcl::SelectedObject font;
    if (headerFont)
        font = dc.SelectObject(headerFont);
    dc.SetBkColor(faceColour);

    const int count = GetItemCount();
    for (int order = 0; order < count; ++order) {
        const int index = OrderToIndex(order);
        wchar_t title[kTitleCapacity] = {};
        HDITEMW item{};
        item.mask = HDI_WIDTH | HDI_TEXT | HDI_FORMAT | HDI_BITMAP | HDI_IMAGE | HDI_LPARAM;
        item.pszText = title;
        item.cchTextMax = kTitleCapacity;
        RECT rect{};
        if (!GetItem(index, item) || !GetItemRect(index, rect))
            continue;
        if (item.fmt & HDF_OWNERDRAW) {
            DrawOwnerDrawnItem(dc, index, rect, item);
            continue;
        }
        rect.left += itemSpacing;
        rect.right -= itemSpacing;
        DrawHeaderItem(dc, rect, item);
    }
}

void CXHeaderCtrl::DrawOwnerDrawnItem(const wcl::CDC& dc, int index, const RECT& rect,
                                      const HDITEMW& item) {
    DRAWITEMSTRUCT draw{};
    draw.CtlType = ODT_HEADER;
    draw.CtlID = static_cast<UINT>(GetDlgCtrlID());
    draw.itemID = static_cast<UINT>(index);
    draw.itemAction = ODA_DRAWENTIRE;
    draw.hwndItem = m_hWnd;
    draw.hDC = dc.GetSafeHdc();
    draw.rcItem = rect;
    draw.itemData = static_cast<ULONG_PTR>(item.lParam);
    DrawItem(draw);
}

void CXHeaderCtrl::DrawHeaderItem(const wcl::CDC& dc, RECT rect, const HDITEMW& item) {
    BITMAP bitmapSize{};
    if ((item.fmt & HDF_BITMAP) && item.hbm)
        ::GetObjectW(item.hbm, sizeof(bitmapSize), &bitmapSize);
    if (const int used = DrawImage(dc, item, rect))
        rect.left += used + itemSpacing;
    if (const int used = DrawBitmap(dc, item, rect, bitmapSize))
        rect.right -= used + itemSpacing;
    DrawTitle(dc, item, rect);
}

int CXHeaderCtrl::DrawImage(const wcl::CDC& dc, const HDITEMW& item, const RECT& rect) {
    const HIMAGELIST images = GetImageList();
    // Image 0 stands for "no image".
    if (!images || item.iImage == 0 || rect.right - rect.left <= 0)
        return 0;
    IMAGELISTDRAWPARAMS draw{};
    draw.cbSize = sizeof(draw);
    draw.himl = images;
    draw.i = item.iImage;
    draw.hdcDst = dc.GetSafeHdc();
    draw.x = rect.left;
    draw.y = (rect.top + rect.bottom) / 2 - imageHeight / 2;
    draw.cx = std::min(static_cast<int>(rect.right - rect.left), imageWidth);
    draw.cy = imageHeight;
    draw.rgbBk = CLR_DEFAULT;
    draw.rgbFg = CLR_DEFAULT;
    draw.fStyle = ILD_NORMAL;
    draw.dwRop = SRCCOPY;
    // The images sit on the DC's background colour; the list's own colour is put back after.
    const COLORREF listBackground =
        controls::ImageListSetBkColor(images, ::GetBkColor(draw.hdcDst));
    controls::ImageListDrawIndirect(draw);
    controls::ImageListSetBkColor(images, listBackground);
    return imageWidth; // the room the image takes, also when it was cut
}

int CXHeaderCtrl::DrawBitmap(const wcl::CDC& dc, const HDITEMW& item, const RECT& rect,
                             const BITMAP& size) {
    const int room = rect.right - rect.left;
    if (!(item.fmt & HDF_BITMAP) || !item.hbm || room <= 0 || size.bmWidth > room)
        return 0;
    wcl::CCompatibleDC source(dc);
    const auto selected = source.SelectObject(item.hbm);
    if (!selected)
        return 0;
    const bool copied =
        dc.BitBlt(rect.right - size.bmWidth, rect.bottom - size.bmHeight - kBitmapBottomGap,
                  size.bmWidth, size.bmHeight, source, 0, 0, SRCCOPY);
    return copied ? size.bmWidth : 0;
}

void CXHeaderCtrl::DrawTitle(const wcl::CDC& dc, const HDITEMW& item, const RECT& rect) {
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(itemTextColour);
    if (rect.right - rect.left <= 0 || !(item.mask & HDI_TEXT) || !(item.fmt & HDF_STRING) ||
        !item.pszText)
        return;
    RECT box{rect.left, kTitleTop, rect.right, rect.bottom};
    // Centred whatever the item's own alignment.
    dc.DrawText(item.pszText, box, DT_CENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
}
