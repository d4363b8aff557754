// A report-view list that paints every cell itself: each row carries one record per column with
// the cell's colours and, for a progress cell, its bar and percentage. A list without rows shows
// a message instead of an empty area. Its column header is a CXHeaderCtrl.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "controls/x_header_ctrl.h"
#include "wcl/listview.h"

// The state of one cell.
struct CellRecord {
    // The cell's text, and the percentage of a progress cell.
    COLORREF textColour = ::GetSysColor(COLOR_WINDOWTEXT);
    // Background of a text cell.
    COLORREF backColour = RGB(255, 255, 255);
    COLORREF barColour = RGB(0, 200, 0);
    bool showProgress = false;
    // Below 0 shows neither bar nor text.
    int32_t percent = 0;
    // When not empty, the pattern of the percentage text (see FormatPercentText).
    std::wstring progressText;
    bool showProgressText = true;
};

class CXListCtrl : public wcl::CListCtrl {
public:
    CXListCtrl();
    // Destroys the window while this class still answers its messages, so its records go with
    // the rows.
    ~CXListCtrl() override;

    CXHeaderCtrl headerCtrl;
    // Each painted cell gets a 1-pixel line along its bottom edge.
    bool gridLines = true;
    std::wstring emptyMessage = L"There are no items to show in this view.";
    // Inside the frame of a progress cell.
    COLORREF frameFill;
    COLORREF gridColour = RGB(255, 255, 255);
    // The font of all cell text; the owner keeps it alive while the list may paint.
    HFONT drawFont = nullptr;
    bool headerSubclassed = false;
    // Background of progress cells, of the empty list and of the erased window.
    COLORREF defaultBackground = RGB(255, 255, 255);
    // Colour of the empty-list message.
    COLORREF defaultText;

    // Inserts a row with `text` in column 0 and one record per current column (so all columns
    // come first), the column-0 record with the given colours. Returns the row's index; -1 for a
    // negative index or when the records cannot be made, for want of memory or of a column (the
    // row then stays, without records); the list's own negative result when it refuses the row.
    int InsertItem(int index, const wchar_t* text, COLORREF textColour, COLORREF backColour);
    // Makes column 1 of the row a progress cell at 0 percent.
    void SetProgress(int item);
    // Sets column 1's percent, bar colour, text and grey text colour, and repaints the cell, but
    // only when the percent or the text differ from the record's.
    void UpdateProgress(int item, int32_t percent, COLORREF barColour, std::wstring_view text);
    // Repaints the cell (item, 1) at once.
    void RedrawProgressCell(int item);
    // Frees every row's records, then deletes the rows.
    bool DeleteAllItems();
    // The header's item count.
    int GetColumns() const;
    // The cell's rectangle, one pixel shorter than the row; column 0 ends where column 1
    // begins. False, and `rect` untouched, for a row or column out of range.
    bool GetCellRect(int item, int column, RECT& rect) const;
    // Gives the list a 13-point "System" font, so that its rows take that height. Cell text is
    // drawn in drawFont, never in this one.
    void SetRowHeightFont();

    // The row's records (one per column the list had when the row was made); empty for a row
    // without records.
    std::span<CellRecord> GetRecords(int item);
    // Rows whose records this list holds.
    size_t RecordCount() const noexcept { return m_records.size(); }

protected:
    void PreSubclassWindow() override;
    bool OnNotify(WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    const wcl::MessageMap& GetMessageMap() const override;

private:
    int OnCreate(CREATESTRUCTW& create);
    LRESULT OnCustomDraw(NMLVCUSTOMDRAW& draw);
    LRESULT OnColumnClick(NMLISTVIEW& click);
    LRESULT OnDeleteItem(NMLISTVIEW& deleted);
    void OnPaint();
    bool OnEraseBkgnd(wcl::CDC& dc);
    LRESULT OnLButtonDown(UINT flags, POINT point);
    void OnDestroy();
    void OnSysColorChange();
    void OnMouseLeave() {}

    void AttachHeader();
    bool IsRow(int item) const;
    // The records behind a row's data word, when they are this list's; empty otherwise.
    std::span<CellRecord> RecordsOf(LPARAM data);
    // Clears every row's data word and frees all records.
    void FreeRecords();
    // Column 1's record of a row in range, in a list of at least two columns; null otherwise.
    CellRecord* ProgressRecord(int item);

    void DrawCell(const wcl::CDC& dc, int item, int column, const CellRecord& record);
    void DrawTextCell(const wcl::CDC& dc, int item, int column, const CellRecord& record,
                      const RECT& cell);
    void DrawProgressCell(const wcl::CDC& dc, const CellRecord& record, const RECT& cell);
    void DrawGridLine(const wcl::CDC& dc, const RECT& cell) const;
    void DrawEmptyMessage();

    // Each row's records, keyed by the address of the first, which the row's data word holds. A
    // vector's elements keep their address when the vector moves.
    std::unordered_map<const CellRecord*, std::vector<CellRecord>> m_records;
    wcl::CFont m_rowHeightFont;
};
