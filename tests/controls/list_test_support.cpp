#include "list_test_support.h"

#include <algorithm>
#include <cstdio>

namespace list_test {

bool ListHost::Open() {
    if (!Create(m_templateId))
        return false;
    MoveWindow(0, 0, 600, 320);
    ShowWindow(SW_SHOWNA);
    UpdateWindow();
    return true;
}

void ListHost::DoDataExchange(wcl::CDataExchange& dx) {
    wcl::DDX_Control(dx, m_listId, m_list);
}

bool ListHost::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT& result) {
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    if (header && header->code == LVN_DELETEITEM)
        deletedRowData.push_back(reinterpret_cast<const NMLISTVIEW*>(lParam)->lParam);
    return CDialog::OnNotify(wParam, lParam, result);
}

void SetUpLikeInstallPage(CXListCtrl& list, wcl::CFont& cellFont) {
    list.SetRowHeightFont();
    LOGFONTW description{};
    {
        wcl::CWindowDC dc(list);
        description.lfHeight = -::MulDiv(8, dc.GetDeviceCaps(LOGPIXELSY), 72);
    }
    description.lfWeight = FW_NORMAL;
    wcscpy(description.lfFaceName, L"Arial");
    cellFont.CreateFontIndirect(description);
    list.drawFont = cellFont.GetSafeHandle();
    list.MoveWindow(23, 115, 525, 153);
    list.InsertColumn(0, L"", LVCFMT_CENTER, 40);
    list.InsertColumn(1, L"", LVCFMT_CENTER, 70);
    list.SetColumnWidth(0, 157);
    list.SetColumnWidth(1, 341);
    Repaint(list);
}

int AddFileRow(CXListCtrl& list, int row, const wchar_t* label) {
    const int index = list.InsertItem(row, label, list.defaultText, list.defaultBackground);
    list.SetProgress(index);
    list.UpdateProgress(index, 0, kRunningBar, L"");
    list.SendMessage(WM_VSCROLL, SB_BOTTOM);
    return index;
}

void Repaint(const wcl::CWindow& window) {
    window.RedrawWindow(nullptr, nullptr,
                        RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
}

void PumpWaitingMessages() {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&msg);
        ::DispatchMessageW(&msg);
    }
}

Snapshot Snapshot::OfClient(const wcl::CWindow& window) {
    const RECT client = window.GetClientRect();
    wcl::CClientDC dc(window);
    return OfDC(dc, client.right, client.bottom);
}

Snapshot Snapshot::OfDC(const wcl::CDC& dc, int width, int height) {
    Snapshot shot;
    if (width <= 0 || height <= 0)
        return shot;
    BITMAPINFO format{};
    format.bmiHeader.biSize = sizeof(format.bmiHeader);
    format.bmiHeader.biWidth = width;
    format.bmiHeader.biHeight = -height; // top row first
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    format.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    wcl::UniqueBitmap copy(
        ::CreateDIBSection(dc.GetSafeHdc(), &format, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!copy)
        return shot;
    {
        wcl::CCompatibleDC memory(dc);
        const auto selected = memory.SelectObject(copy.get());
        memory.BitBlt(0, 0, width, height, dc, 0, 0, SRCCOPY);
    }
    ::GdiFlush();
    shot.m_width = width;
    shot.m_height = height;
    shot.m_pixels.resize(static_cast<size_t>(width) * static_cast<size_t>(height));
    const auto* source = static_cast<const BYTE*>(bits);
    for (size_t i = 0; i < shot.m_pixels.size(); ++i)
        shot.m_pixels[i] = RGB(source[4 * i + 2], source[4 * i + 1], source[4 * i]);
    return shot;
}

COLORREF Snapshot::At(int x, int y) const {
    if (x < 0 || y < 0 || x >= m_width || y >= m_height)
        return CLR_INVALID;
    return m_pixels[static_cast<size_t>(y) * static_cast<size_t>(m_width) + static_cast<size_t>(x)];
}

int Snapshot::Count(const RECT& area, COLORREF colour) const {
    int count = 0;
    for (LONG y = area.top; y < area.bottom; ++y)
        for (LONG x = area.left; x < area.right; ++x)
            count += At(x, y) == colour;
    return count;
}

int Snapshot::Marked(const RECT& area, COLORREF background) const {
    int count = 0;
    for (LONG y = area.top; y < area.bottom; ++y)
        for (LONG x = area.left; x < area.right; ++x)
            count += At(x, y) != background;
    return count;
}

RECT Snapshot::MarkedBounds(const RECT& area, COLORREF background) const {
    RECT bounds{area.right, area.bottom, area.left, area.top};
    for (LONG y = area.top; y < area.bottom; ++y) {
        for (LONG x = area.left; x < area.right; ++x) {
            if (At(x, y) == background)
                continue;
            bounds.left = std::min(bounds.left, x);
            bounds.top = std::min(bounds.top, y);
            bounds.right = std::max(bounds.right, x + 1);
            bounds.bottom = std::max(bounds.bottom, y + 1);
        }
    }
    if (bounds.left >= bounds.right)
        return RECT{};
    return bounds;
}

std::string Describe(COLORREF colour) {
    char text[32];
    std::snprintf(text, sizeof(text), "(%d, %d, %d)", GetRValue(colour), GetGValue(colour),
                  GetBValue(colour));
    return text;
}

std::string Describe(const RECT& rect) {
    char text[64];
    std::snprintf(text, sizeof(text), "(%ld, %ld, %ld, %ld)", rect.left, rect.top, rect.right,
                  rect.bottom);
    return text;
}

} // namespace list_test
