// What a progress report costs the extended list control: a report with a new percent (which
// repaints its one cell at once), a report that repeats the percent with another colour (which
// paints nothing), and a whole repaint of the install page's list of five rows.
//   ./scripts/with-wine --xvfb ./scripts/wine-run build/windows/bin/list_progress_bench.exe
#include <windows.h>

#include <commctrl.h>

#include <chrono>
#include <cstdio>
#include <functional>

#include "controls/x_list_ctrl.h"
#include "wcl/window.h"

namespace {

constexpr COLORREF kRunningBar = RGB(135, 200, 66);
constexpr COLORREF kFinishedBar = RGB(208, 206, 188);

void Measure(const char* what, int times, const std::function<void(int)>& step) {
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < times; ++i)
        step(i);
    const std::chrono::duration<double, std::micro> spent =
        std::chrono::steady_clock::now() - start;
    std::printf("%-52s %8d calls %10.2f us each\n", what, times, spent.count() / times);
}

} // namespace

int main() {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&controls);
    wcl::CWnd page;
    if (!page.CreateEx(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, RECT{0, 0, 580, 300}, nullptr, 0))
        return 1;
    CXListCtrl list;
    if (!list.CreateEx(0, WC_LISTVIEWW, L"",
                       WS_CHILD | WS_VISIBLE | WS_BORDER | LVS_REPORT | LVS_SINGLESEL |
                           LVS_SHOWSELALWAYS | LVS_NOCOLUMNHEADER | LVS_NOSORTHEADER,
                       RECT{23, 115, 548, 268}, &page, 1005))
        return 1;
    list.SetRowHeightFont();
    wcl::CFont font;
    font.CreateFont(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0, L"Arial");
    list.drawFont = font.GetSafeHandle();
    list.InsertColumn(0, L"", LVCFMT_CENTER, 157);
    list.InsertColumn(1, L"", LVCFMT_CENTER, 341);
    for (int row = 0; row < 5; ++row) {
        list.InsertItem(row, L"- Installing Tool 01", list.defaultText, list.defaultBackground);
        list.SetProgress(row);
    }
    list.UpdateWindow();

    Measure("report with a new percent (one cell painted)", 2000,
            [&](int i) { list.UpdateProgress(i % 5, 1 + i % 100, kRunningBar, L""); });
    Measure("report repeating the percent, new colour", 200000, [&](int i) {
        list.UpdateProgress(i % 5, 50, i % 2 ? kRunningBar : kFinishedBar, L"");
    });
    Measure("whole list repainted (five rows)", 500, [&](int) {
        list.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    });
    return 0;
}
