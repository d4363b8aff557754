#include "controls/x_list_ctrl.h"

#include "controls/percent_text.h"

#include <algorithm>
#include <new>

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kFrameBorder = RGB(200, 200, 200);
// The percentage text once a download has reported progress.
constexpr COLORREF kReportedText = RGB(120, 120, 120);
// A header change that would leave a column narrower than this is refused.
constexpr int kMinimumColumnWidth = 20;
// Left-aligned cell text keeps this far from the cell's left edge.
constexpr int kTextInset = 4;
// The empty-list message stands this far below the header.
constexpr int kEmptyMessageGap = 10;

// A header item change that would make a column too narrow; HDITEMA and HDITEMW begin alike.
template <typename Notification>
bool NarrowsAColumn(const NMHDR* header) {
    const auto* change = reinterpret_cast<const Notification*>(header);
    return change->pitem && (change->pitem->mask & HDI_WIDTH) &&
           change->pitem->cxy < kMinimumColumnWidth;
}

// The right edge of a progress bar in a cell from `left` to `right`: the bar grows with the
// percent over the frame's inside, is at least 2 pixels wide while q is below 3, and never
// leaves the frame (a percent above 100 stops at its edge).
int BarRight(int left, int right, int32_t percent) {
    const int64_t q = static_cast<int64_t>(right - left - 3) * percent / 100;
    const int64_t bar = q < 3 ? left + 6 : left + q;
    return static_cast<int>(std::min<int64_t>(bar, right - 3));
}

} // namespace

CXListCtrl::CXListCtrl()
    : frameFill(::GetSysColor(COLOR_WINDOW)), defaultText(::GetSysColor(COLOR_WINDOWTEXT)) {}

CXListCtrl::~CXListCtrl() {
    if (m_hWnd)
        ::DestroyWindow(m_hWnd);
}

const wcl::MessageMap& CXListCtrl::GetMessageMap() const {
    using Self = CXListCtrl;
    static constexpr wcl::MessageEntry entries[] = {
        wcl::MapMessage<WM_CREATE, &Self::OnCreate>(),
        wcl::MapNotifyReflect<NM_CUSTOMDRAW, &Self::OnCustomDraw>(),
        wcl::MapNotifyReflect<LVN_COLUMNCLICK, &Self::OnColumnClick>(),
        wcl::MapNotifyReflect<LVN_DELETEITEM, &Self::OnDeleteItem>(),
        wcl::MapMessage<WM_PAINT, &Self::OnPaint>(),
        wcl::MapMessage<WM_ERASEBKGND, &Self::OnEraseBkgnd>(),
        wcl::MapMessage<WM_LBUTTONDOWN, &Self::OnLButtonDown>(),
        wcl::MapMessage<WM_DESTROY, &Self::OnDestroy>(),
        wcl::MapMessage<WM_SYSCOLORCHANGE, &Self::OnSysColorChange>(),
        wcl::MapMessage<WM_MOUSELEAVE, &Self::OnMouseLeave>(),
    };
    static const wcl::MessageMap map(CListCtrl::GetMessageMap(), entries);
    return map;
}

// Operations

int CXListCtrl::InsertItem(int index, const wchar_t* text, COLORREF textColour,
                           COLORREF backColour) {
    if (index < 0)
        return -1;
    const int row = CListCtrl::InsertItem(index, text);
    if (row < 0)
        return row;
    const int columns = GetColumns();
    if (columns <= 0)
        return -1; // nothing to hold records for: the row stays without
    try {
        std::vector<CellRecord> records(static_cast<size_t>(columns));
        records[0].textColour = textColour;
        records[0].backColour = backColour;
        const CellRecord* first = records.data();
        m_records.emplace(first, std::move(records));
        if (!SetItemData(row, reinterpret_cast<DWORD_PTR>(first))) {
            m_records.erase(first);
            return -1;
        }
    } catch (const std::bad_alloc&) {
        return -1;
    }
    return row;
}

void CXListCtrl::SetProgress(int item) {
    CellRecord* record = ProgressRecord(item);
    if (!record)
        return;
    record->showProgress = true;
    record->showProgressText = true;
    record->percent = 0;
    record->progressText.clear();
    RedrawProgressCell(item);
}

void CXListCtrl::UpdateProgress(int item, int32_t percent, COLORREF barColour,
                                std::wstring_view text) {
    CellRecord* record = ProgressRecord(item);
    // Repeated reports of the same progress cost no painting; a new colour alone waits for them.
    if (!record || (percent == record->percent && text == record->progressText))
        return;
    record->percent = percent;
    record->barColour = barColour;
    record->textColour = kReportedText;
    record->progressText = text;
    RedrawProgressCell(item);
}

void CXListCtrl::RedrawProgressCell(int item) {
    RECT cell{};
    if (GetColumns() < 2 || !GetCellRect(item, 1, cell))
        return;
    InvalidateRect(&cell, true);
    UpdateWindow();
}

bool CXListCtrl::DeleteAllItems() {
    FreeRecords();
    return CListCtrl::DeleteAllItems();
}

int CXListCtrl::GetColumns() const {
    return headerCtrl.GetSafeHwnd() ? headerCtrl.GetItemCount() : 0;
}

bool CXListCtrl::GetCellRect(int item, int column, RECT& rect) const {
    const int columns = GetColumns();
    if (!IsRow(item) || column < 0 || column >= columns)
        return false;
    RECT cell{};
    bool found = GetSubItemRect(item, column, LVIR_BOUNDS, cell);
    if (column == 0 && columns > 1) {
        // The list's bounds of column 0 span the whole row.
        RECT next{};
        found = GetSubItemRect(item, 1, LVIR_BOUNDS, next);
        cell.right = next.left;
    }
    cell.bottom -= 1;
    rect = cell;
    return found;
}

void CXListCtrl::SetRowHeightFont() {
    int dpi = USER_DEFAULT_SCREEN_DPI;
    if (wcl::CWindowDC dc(*this); dc.GetSafeHdc())
        dpi = dc.GetDeviceCaps(LOGPIXELSY);
    wcl::CFont font;
    if (!font.CreateFont(-::MulDiv(13, dpi, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                         ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, PROOF_QUALITY, 0,
                         L"System"))
        return;
    SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(font.GetSafeHandle()), TRUE);
    // The list goes on referring to its font; the one it used before is released now.
    m_rowHeightFont = std::move(font);
}

std::span<CellRecord> CXListCtrl::GetRecords(int item) {
    return IsRow(item) ? RecordsOf(static_cast<LPARAM>(GetItemData(item)))
                       : std::span<CellRecord>{};
}

// Records

bool CXListCtrl::IsRow(int item) const {
    return item >= 0 && item < GetItemCount();
}

std::span<CellRecord> CXListCtrl::RecordsOf(LPARAM data) {
    const auto found = m_records.find(reinterpret_cast<const CellRecord*>(data));
    if (found == m_records.end())
        return {};
    return found->second;
}

CellRecord* CXListCtrl::ProgressRecord(int item) {
    if (!IsRow(item) || GetColumns() < 2)
        return nullptr;
    // A row made while the list had one column has no record for column 1.
    const std::span<CellRecord> records = RecordsOf(static_cast<LPARAM>(GetItemData(item)));
    return records.size() >= 2 ? &records[1] : nullptr;
}

void CXListCtrl::FreeRecords() {
    // Rows point at nothing any more, so a deletion notification that follows finds no records.
    const int rows = GetItemCount();
    for (int row = 0; row < rows; ++row) {
        if (!RecordsOf(static_cast<LPARAM>(GetItemData(row))).empty())
            SetItemData(row, 0);
    }
    m_records.clear();
}

// Window

void CXListCtrl::AttachHeader() {
    if (headerSubclassed)
        return;
    if (const HWND header = GetHeaderCtrl(); header && headerCtrl.SubclassWindow(header))
        headerSubclassed = true;
}

void CXListCtrl::PreSubclassWindow() {
    CListCtrl::PreSubclassWindow();
    AttachHeader();
}

int CXListCtrl::OnCreate(CREATESTRUCTW&) {
    if (Default() == -1)
        return -1;
    AttachHeader(); // the list makes its header while it is created
    return 0;
}

bool CXListCtrl::OnNotify(WPARAM wParam, LPARAM lParam, LRESULT& result) {
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    if (header && ((header->code == HDN_ITEMCHANGINGW && NarrowsAColumn<NMHEADERW>(header)) ||
                   (header->code == HDN_ITEMCHANGINGA && NarrowsAColumn<NMHEADERA>(header)))) {
        result = TRUE; // refused
        return true;
    }
    return CListCtrl::OnNotify(wParam, lParam, result);
}

LRESULT CXListCtrl::OnColumnClick(NMLISTVIEW& click) {
    // The header image of a column that shows a sort state flips between 1 and 2; image 0 is
    // "no state". The rows stay in their order.
    const int column = click.iSubItem;
    if (column < 0 || column >= GetColumns())
        return 0;
    HDITEMW item{};
    item.mask = HDI_IMAGE;
    if (!headerCtrl.GetItem(column, item) || item.iImage == 0)
        return 0;
    item.iImage = item.iImage == 1 ? 2 : 1;
    headerCtrl.SetItem(column, item);
    headerCtrl.RedrawWindow();
    return 0;
}

LRESULT CXListCtrl::OnDeleteItem(NMLISTVIEW& deleted) {
    m_records.erase(reinterpret_cast<const CellRecord*>(deleted.lParam));
    return 0;
}

void CXListCtrl::OnDestroy() {
    FreeRecords();
    Default();
}

void CXListCtrl::OnSysColorChange() {
    Default();
    defaultBackground = kWhite;
    defaultText = ::GetSysColor(COLOR_WINDOWTEXT);
}

LRESULT CXListCtrl::OnLButtonDown(UINT, POINT point) {
    const int rows = GetItemCount();
    for (int row = 0; row < rows; ++row) {
        RECT bounds{};
        if (!GetItemRect(row, bounds, LVIR_BOUNDS) || !::PtInRect(&bounds, point))
            continue;
        if (RecordsOf(static_cast<LPARAM>(GetItemData(row))).empty())
            return 0; // a row without records takes no clicks
        break;
    }
    return Default();
}

bool CXListCtrl::OnEraseBkgnd(wcl::CDC& dc) {
    // The header paints its own strip while it is shown; a hidden one keeps its place but paints
    // nothing, so its strip is erased with the rest.
    const HWND header = GetHeaderCtrl();
    if (header && (::GetWindowLongPtrW(header, GWL_STYLE) & WS_VISIBLE)) {
        RECT area = wcl::CWindow(header).GetWindowRect();
        ScreenToClient(area);
        dc.ExcludeClipRect(area);
    }
    RECT clip{};
    dc.GetClipBox(clip);
    dc.FillSolidRect(clip, defaultBackground);
    return true;
}

void CXListCtrl::OnPaint() {
    Default();
    if (GetItemCount() == 0)
        DrawEmptyMessage();
    if (const HWND header = GetHeaderCtrl())
        ::RedrawWindow(header, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

void CXListCtrl::DrawEmptyMessage() {
    wcl::CClientDC dc(*this);
    if (!dc.GetSafeHdc())
        return;
    const int saved = dc.SaveDC();
    RECT area = GetWindowRect();
    ScreenToClient(area);
    if (RECT first{}; GetColumns() > 0 && headerCtrl.GetItemRect(0, first))
        area.top += first.bottom;
    dc.SetTextColor(defaultText);
    dc.SetBkColor(defaultBackground);
    {
        const auto font = dc.SelectStockObject(ANSI_VAR_FONT);
        dc.FillSolidRect(area, defaultBackground);
        area.top += kEmptyMessageGap;
        dc.DrawText(emptyMessage, area, DT_CENTER | DT_WORDBREAK | DT_NOCLIP | DT_NOPREFIX);
    }
    dc.RestoreDC(saved);
}

// Cells

LRESULT CXListCtrl::OnCustomDraw(NMLVCUSTOMDRAW& draw) {
    switch (draw.nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
    case CDDS_ITEMPREPAINT:
        return CDRF_NOTIFYSUBITEMDRAW;
    case CDDS_ITEMPREPAINT | CDDS_SUBITEM: {
        const std::span<CellRecord> records = RecordsOf(draw.nmcd.lItemlParam);
        const int column = draw.iSubItem;
        if (column >= 0 && static_cast<size_t>(column) < records.size())
            DrawCell(wcl::CDC(draw.nmcd.hdc), static_cast<int>(draw.nmcd.dwItemSpec), column,
                     records[static_cast<size_t>(column)]);
        return CDRF_SKIPDEFAULT;
    }
    default:
        return CDRF_DODEFAULT;
    }
}

void CXListCtrl::DrawCell(const wcl::CDC& dc, int item, int column, const CellRecord& record) {
    RECT cell{};
    if (!GetCellRect(item, column, cell))
        return;
    wcl::SelectedObject font;
    if (drawFont)
        font = dc.SelectObject(drawFont);
    const wcl::CPen pen(PS_SOLID, 1, gridColour);
    const auto selectedPen = dc.SelectObject(pen);
    if (record.showProgress)
        DrawProgressCell(dc, record, cell);
    else
        DrawTextCell(dc, item, column, record, cell);
}

void CXListCtrl::DrawTextCell(const wcl::CDC& dc, int item, int column, const CellRecord& record,
                              const RECT& cell) {
    dc.FillSolidRect(cell, record.backColour);
    if (const std::wstring text = GetItemText(item, column); !text.empty()) {
        HDITEMW format{};
        format.mask = HDI_FORMAT;
        headerCtrl.GetItem(column, format);
        RECT box = cell;
        UINT alignment = DT_RIGHT;
        switch (format.fmt & HDF_JUSTIFYMASK) {
        case HDF_CENTER:
            alignment = DT_CENTER;
            break;
        case HDF_LEFT:
            alignment = DT_LEFT;
            box.left += kTextInset;
            break;
        default:
            break;
        }
        ::OffsetRect(&box, 0, 1);
        dc.SetBkMode(TRANSPARENT);
        dc.SetTextColor(record.textColour);
        dc.SetBkColor(record.backColour);
        dc.DrawText(text, box, DT_SINGLELINE | DT_VCENTER | alignment);
    }
    DrawGridLine(dc, cell);
}

void CXListCtrl::DrawProgressCell(const wcl::CDC& dc, const CellRecord& record, const RECT& cell) {
    const auto [left, top, right, bottom] = cell;
    dc.FillSolidRect(cell, defaultBackground);
    DrawGridLine(dc, cell);
    const RECT frame{left + 3, top + 3, right - 2, bottom - 3};
    dc.FillSolidRect(frame, frameFill);
    dc.Draw3dRect(frame, kFrameBorder, kFrameBorder);
    if (record.percent < 0)
        return;
    if (const int barRight = BarRight(left, right, record.percent);
        record.percent != 0 && barRight > left + 4)
        dc.FillSolidRect(RECT{left + 4, top + 4, barRight, bottom - 4}, record.barColour);
    if (!record.showProgressText)
        return;
    RECT box{left - 1, top + 2, right - 2, bottom - 1};
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(record.textColour);
    dc.DrawText(FormatPercentText(record.progressText, record.percent), box,
                DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

void CXListCtrl::DrawGridLine(const wcl::CDC& dc, const RECT& cell) const {
    if (!gridLines)
        return;
    dc.MoveTo(cell.left - 1, cell.bottom);
    dc.LineTo(cell.right + 1, cell.bottom);
}
