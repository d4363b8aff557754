// What the list and header tests share: a dialog that hosts one list of the test resources, the
// install page's way of setting the list up, and snapshots of painted pixels to probe.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "controls/x_list_ctrl.h"
#include "list_test_resources.h"
#include "wcl/dialog.h"
#include "wcl/gdi.h"

namespace list_test {

inline constexpr COLORREF kWhite = RGB(255, 255, 255);
inline constexpr COLORREF kFrameBorder = RGB(200, 200, 200);
inline constexpr COLORREF kRunningBar = RGB(135, 200, 66);
inline constexpr COLORREF kFinishedBar = RGB(208, 206, 188);
inline constexpr COLORREF kReportedText = RGB(120, 120, 120);

// A popup dialog of the test resources whose one list is bound to `list`. It logs the data word
// of every row the list reports deleted, as the list's parent sees it.
class ListHost : public wcl::CDialog {
public:
    ListHost(UINT templateId, int listId, wcl::CWnd& list)
        : CDialog(templateId), m_templateId(templateId), m_listId(listId), m_list(list) {}

    // Creates the dialog, places it at the screen's top left and shows it without activating it.
    bool Open();

    std::vector<LPARAM> deletedRowData;

protected:
    void DoDataExchange(wcl::CDataExchange& dx) override;
    bool OnNotify(WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    UINT m_templateId;
    int m_listId;
    wcl::CWnd& m_list;
};

// The install page's preparation of its list: the row-height font, an Arial 8-point cell font
// (kept in `cellFont`), the place (23, 115) and size 525 x 153, and two centred columns of 157
// and 341 pixels.
void SetUpLikeInstallPage(CXListCtrl& list, wcl::CFont& cellFont);

// A file's row as the install run adds it: the row, its progress cell, the first report of 0
// percent (which changes nothing) and a scroll to the end.
int AddFileRow(CXListCtrl& list, int row, const wchar_t* label);

// Invalidates and repaints the window and its children now.
void Repaint(const wcl::CWindow& window);

// Handles every message waiting for this thread.
void PumpWaitingMessages();

// A copy of painted pixels.
class Snapshot {
public:
    // The window's client area as it is on the screen now.
    static Snapshot OfClient(const wcl::CWindow& window);
    // The area (0, 0, width, height) of a DC.
    static Snapshot OfDC(const wcl::CDC& dc, int width, int height);

    int Width() const { return m_width; }
    int Height() const { return m_height; }
    COLORREF At(int x, int y) const;
    // Pixels of exactly `colour` in the area.
    int Count(const RECT& area, COLORREF colour) const;
    // Pixels in the area that are not `background`.
    int Marked(const RECT& area, COLORREF background) const;
    // The smallest rectangle holding every pixel of the area that is not `background`; empty
    // (all zero) when there is none.
    RECT MarkedBounds(const RECT& area, COLORREF background) const;
    bool operator==(const Snapshot& other) const = default;

private:
    int m_width = 0;
    int m_height = 0;
    std::vector<COLORREF> m_pixels;
};

std::string Describe(COLORREF colour);
std::string Describe(const RECT& rect);

} // namespace list_test
