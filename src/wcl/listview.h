// The system's list view (report view) and header control, with the operations the program uses.
// Both are CWnd objects, so a derived class can bind one to a dialog's control (DDX_Control) or to
// the header a list view made for itself (SubclassWindow), and answer its messages.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <string>

#include "wcl/window.h"

namespace wcl {

class CHeaderCtrl : public CWnd {
public:
    int GetItemCount() const;
    // Fills what item.mask asks for; a title goes into item.pszText, at most item.cchTextMax
    // characters with the terminating zero.
    bool GetItem(int index, HDITEMW& item) const;
    bool SetItem(int index, const HDITEMW& item) const;
    // The new item's index, or -1.
    int InsertItem(int index, const HDITEMW& item) const;
    // In the header's client coordinates.
    bool GetItemRect(int index, RECT& rect) const;
    // The index of the item shown at display position `order`.
    int OrderToIndex(int order) const;
    HIMAGELIST GetImageList() const;
    // The list that was set before; the header does not own either.
    HIMAGELIST SetImageList(HIMAGELIST images) const;

protected:
    // Paints an item whose format has HDF_OWNERDRAW; this base paints nothing.
    virtual void DrawItem(DRAWITEMSTRUCT& item);
};

class CListCtrl : public CWnd {
public:
    // The new column's index, or -1.
    int InsertColumn(int column, const wchar_t* heading, int format = LVCFMT_LEFT,
                     int width = -1) const;
    bool SetColumnWidth(int column, int width) const;
    // A row with `text` in column 0; the new row's index, or -1.
    int InsertItem(int item, const wchar_t* text) const;
    bool SetItemText(int item, int subItem, const wchar_t* text) const;
    std::wstring GetItemText(int item, int subItem) const;
    // The row's data word (LVIF_PARAM).
    bool SetItemData(int item, DWORD_PTR data) const;
    DWORD_PTR GetItemData(int item) const;
    int GetItemCount() const;
    UINT GetItemState(int item, UINT mask) const;
    // `area` is LVIR_BOUNDS, LVIR_ICON, LVIR_LABEL or LVIR_SELECTBOUNDS.
    bool GetItemRect(int item, RECT& rect, int area) const;
    bool GetSubItemRect(int item, int subItem, int area, RECT& rect) const;
    // The header window of a report view (null when there is none).
    HWND GetHeaderCtrl() const;
    bool DeleteItem(int item) const;
    bool DeleteAllItems() const;
};

} // namespace wcl
