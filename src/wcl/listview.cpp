#include "wcl/listview.h"

namespace wcl {

int CHeaderCtrl::GetItemCount() const {
    return static_cast<int>(SendMessage(HDM_GETITEMCOUNT));
}

bool CHeaderCtrl::GetItem(int index, HDITEMW& item) const {
    return SendMessage(HDM_GETITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)) !=
           0;
}

bool CHeaderCtrl::SetItem(int index, const HDITEMW& item) const {
    return SendMessage(HDM_SETITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)) !=
           0;
}

int CHeaderCtrl::InsertItem(int index, const HDITEMW& item) const {
    return static_cast<int>(
        SendMessage(HDM_INSERTITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item)));
}

bool CHeaderCtrl::GetItemRect(int index, RECT& rect) const {
    return SendMessage(HDM_GETITEMRECT, static_cast<WPARAM>(index),
                       reinterpret_cast<LPARAM>(&rect)) != 0;
}

int CHeaderCtrl::OrderToIndex(int order) const {
    return static_cast<int>(SendMessage(HDM_ORDERTOINDEX, static_cast<WPARAM>(order)));
}

HIMAGELIST CHeaderCtrl::GetImageList() const {
    return reinterpret_cast<HIMAGELIST>(SendMessage(HDM_GETIMAGELIST));
}

HIMAGELIST CHeaderCtrl::SetImageList(HIMAGELIST images) const {
    return reinterpret_cast<HIMAGELIST>(
        SendMessage(HDM_SETIMAGELIST, HDSIL_NORMAL, reinterpret_cast<LPARAM>(images)));
}

void CHeaderCtrl::DrawItem(DRAWITEMSTRUCT&) {}

int CListCtrl::InsertColumn(int column, const wchar_t* heading, int format, int width) const {
    LVCOLUMNW description{};
    description.mask = LVCF_FMT | LVCF_TEXT | LVCF_SUBITEM;
    description.fmt = format;
    description.pszText = const_cast<wchar_t*>(heading);
    description.iSubItem = column;
    if (width >= 0) {
        description.mask |= LVCF_WIDTH;
        description.cx = width;
    }
    return static_cast<int>(SendMessage(LVM_INSERTCOLUMNW, static_cast<WPARAM>(column),
                                        reinterpret_cast<LPARAM>(&description)));
}

bool CListCtrl::SetColumnWidth(int column, int width) const {
    return SendMessage(LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column),
                       MAKELPARAM(static_cast<WORD>(width), 0)) != 0;
}

int CListCtrl::InsertItem(int item, const wchar_t* text) const {
    LVITEMW row{};
    row.mask = LVIF_TEXT;
    row.iItem = item;
    row.pszText = const_cast<wchar_t*>(text);
    return static_cast<int>(SendMessage(LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&row)));
}

bool CListCtrl::SetItemText(int item, int subItem, const wchar_t* text) const {
    LVITEMW cell{};
    cell.iSubItem = subItem;
    cell.pszText = const_cast<wchar_t*>(text);
    return SendMessage(LVM_SETITEMTEXTW, static_cast<WPARAM>(item),
                       reinterpret_cast<LPARAM>(&cell)) != 0;
}

std::wstring CListCtrl::GetItemText(int item, int subItem) const {
    // The list copies at most the buffer's size and says how much it copied; a full buffer may
    // have cut the text, so it is read again into a larger one.
    for (size_t capacity = 256; capacity <= (size_t{1} << 20); capacity *= 4) {
        std::wstring text(capacity, L'\0');
        LVITEMW cell{};
        cell.iSubItem = subItem;
        cell.pszText = text.data();
        cell.cchTextMax = static_cast<int>(capacity);
        const auto copied = static_cast<size_t>(SendMessage(
            LVM_GETITEMTEXTW, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&cell)));
        if (copied + 1 < capacity) {
            text.resize(copied);
            return text;
        }
    }
    return {};
}

bool CListCtrl::SetItemData(int item, DWORD_PTR data) const {
    LVITEMW row{};
    row.mask = LVIF_PARAM;
    row.iItem = item;
    row.lParam = static_cast<LPARAM>(data);
    return SendMessage(LVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&row)) != 0;
}

DWORD_PTR CListCtrl::GetItemData(int item) const {
    LVITEMW row{};
    row.mask = LVIF_PARAM;
    row.iItem = item;
    if (!SendMessage(LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&row)))
        return 0;
    return static_cast<DWORD_PTR>(row.lParam);
}

int CListCtrl::GetItemCount() const {
    return static_cast<int>(SendMessage(LVM_GETITEMCOUNT));
}

UINT CListCtrl::GetItemState(int item, UINT mask) const {
    return static_cast<UINT>(SendMessage(LVM_GETITEMSTATE, static_cast<WPARAM>(item), mask));
}

bool CListCtrl::GetItemRect(int item, RECT& rect, int area) const {
    rect.left = area;
    return SendMessage(LVM_GETITEMRECT, static_cast<WPARAM>(item),
                       reinterpret_cast<LPARAM>(&rect)) != 0;
}

bool CListCtrl::GetSubItemRect(int item, int subItem, int area, RECT& rect) const {
    rect.top = subItem;
    rect.left = area;
    return SendMessage(LVM_GETSUBITEMRECT, static_cast<WPARAM>(item),
                       reinterpret_cast<LPARAM>(&rect)) != 0;
}

HWND CListCtrl::GetHeaderCtrl() const {
    return reinterpret_cast<HWND>(SendMessage(LVM_GETHEADER));
}

bool CListCtrl::DeleteItem(int item) const {
    return SendMessage(LVM_DELETEITEM, static_cast<WPARAM>(item)) != 0;
}

bool CListCtrl::DeleteAllItems() const {
    return SendMessage(LVM_DELETEALLITEMS) != 0;
}

} // namespace wcl
