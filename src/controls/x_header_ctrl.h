// The column header of the extended list control: it paints its items itself (an image, a bitmap
// and a centred title each) on white, through an off-screen buffer, and can force its height.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include "wcl/listview.h"

class CXHeaderCtrl : public wcl::CHeaderCtrl {
public:
    // Titles are read into a buffer of this many characters (the terminating zero included);
    // a longer title is cut to fit. Far wider than any column.
    static constexpr int kTitleCapacity = 1024;

    CXHeaderCtrl();

    bool doubleBuffer = true;
    // Pixels kept free at both ends of each item, and between image, title and bitmap.
    int itemSpacing = 6;
    // The size of the images of the header's image list, learnt when the list is set.
    int imageWidth = 0;
    int imageHeight = 0;
    // The DC's background colour while painting: the background the images are drawn on.
    COLORREF faceColour;
    bool mouseTracking = false;
    bool buttonDown = false;
    COLORREF itemTextColour = RGB(0, 0, 0);
    // Height forced on the header's layout; 0 keeps the height the header chooses.
    int headerHeight = 0;
    // Selected while painting when set; not owned.
    HFONT headerFont = nullptr;

    // Paints every item into `dc`, which the header's clip box limits.
    void DrawHeader(const wcl::CDC& dc);

protected:
    // Paints one item that is not owner-drawn into `rect` (the item's rectangle less the
    // spacing at both ends).
    virtual void DrawHeaderItem(const wcl::CDC& dc, RECT rect, const HDITEMW& item);

    const wcl::MessageMap& GetMessageMap() const override;

private:
    void OnPaint();
    bool OnEraseBkgnd(wcl::CDC& dc);
    void OnSysColorChange();
    LRESULT OnMouseMove(UINT flags, POINT point);
    void OnMouseLeave();
    LRESULT OnLButtonDown(UINT flags, POINT point);
    LRESULT OnLButtonUp(UINT flags, POINT point);
    LRESULT OnSetImageList(WPARAM wParam, LPARAM lParam);
    LRESULT OnLayout(WPARAM wParam, LPARAM lParam);

    void DrawOwnerDrawnItem(const wcl::CDC& dc, int index, const RECT& rect, const HDITEMW& item);
    // Each returns the width it took from the rectangle, 0 when it drew nothing.
    int DrawImage(const wcl::CDC& dc, const HDITEMW& item, const RECT& rect);
    int DrawBitmap(const wcl::CDC& dc, const HDITEMW& item, const RECT& rect, const BITMAP& size);
    void DrawTitle(const wcl::CDC& dc, const HDITEMW& item, const RECT& rect);
};
