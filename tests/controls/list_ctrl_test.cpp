// The extended list control on Wine's real list view: where the empty-list message stands, how
// progress cells and text cells paint (probed pixel by pixel on the window), what repaints, the
// cell geometry, the guards on rows and columns, and who frees the rows' records.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "controls/x_list_ctrl.h"
#include "list_test_support.h"
#include "window_test_support.h"

namespace {

using namespace list_test;

// Counts the list's paints and the area each one repainted.
class CountingList : public CXListCtrl {
public:
    int paints = 0;
    std::vector<RECT> paintedAreas;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == WM_PAINT) {
            ++paints;
            RECT area{};
            ::GetUpdateRect(m_hWnd, &area, FALSE);
            paintedAreas.push_back(area);
        }
        return CXListCtrl::WindowProc(message, wParam, lParam);
    }
};

COLORREF WindowText() {
    return ::GetSysColor(COLOR_WINDOWTEXT);
}

// The install page's list on a page of its own.
class InstallList : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES};
        ::InitCommonControlsEx(&controls);
    }
    void SetUp() override {
        ASSERT_TRUE(host.Open());
        SetUpLikeInstallPage(list, cellFont);
    }
    RECT Cell(int item, int column) {
        RECT cell{};
        EXPECT_TRUE(list.GetCellRect(item, column, cell));
        return cell;
    }
    Snapshot Painted() {
        Repaint(list);
        return Snapshot::OfClient(list);
    }

    wcl::CFont cellFont; // outlives the list, which paints with it
    CountingList list;
    ListHost host{IDD_FILE_LIST_HOST, IDC_TEST_FILE_LIST, list};
};

// --- The empty list

TEST(EmptyList, ShowsItsMessageTenPixelsBelowTheHeaderOrTheTopAndAgainAfterDeleteAllItems) {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&controls);
    const struct {
        const char* name;
        UINT templateId;
        int listId;
        bool headerShown;
    } cases[] = {
        {"no column header (the install page's)", IDD_FILE_LIST_HOST, IDC_TEST_FILE_LIST, false},
        {"a column header", IDD_HEADED_LIST_HOST, IDC_TEST_HEADED_LIST, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        wcl::CFont font;
        CXListCtrl list;
        ListHost host(c.templateId, c.listId, list);
        ASSERT_TRUE(host.Open());
        SetUpLikeInstallPage(list, font);

        RECT window = list.GetWindowRect();
        list.ScreenToClient(window);
        RECT firstColumn{};
        ASSERT_TRUE(list.headerCtrl.GetItemRect(0, firstColumn));
        EXPECT_EQ(firstColumn.bottom > 0, c.headerShown);
        const LONG top = window.top + firstColumn.bottom + 10;

        Repaint(list);
        const Snapshot empty = Snapshot::OfClient(list);
        const RECT client{0, 0, empty.Width(), empty.Height()};
        const RECT text = empty.MarkedBounds(client, list.defaultBackground);
        SCOPED_TRACE("message at " + Describe(text));
        ASSERT_GT(text.bottom, 0) << "no message";
        EXPECT_GE(text.top, top);
        EXPECT_LE(text.top, top + 5); // the font's leading above the letters
        EXPECT_LE(text.bottom, top + 20);
        EXPECT_NEAR((text.left + text.right) / 2.0, (window.left + window.right) / 2.0, 2.0);
        EXPECT_GT(empty.Count(text, list.defaultText), 20);

        // Rows in another colour: nothing in the message's colour may remain.
        for (int row = 0; row < 3; ++row)
            list.InsertItem(row, L"row", RGB(200, 0, 0), kWhite);
        Repaint(list);
        const Snapshot rows = Snapshot::OfClient(list);
        EXPECT_GT(rows.Count(client, RGB(200, 0, 0)), 0);
        EXPECT_EQ(rows.Count(client, list.defaultText), 0) << "the message shows over rows";
        ASSERT_TRUE(list.DeleteAllItems());
        Repaint(list);
        EXPECT_TRUE(Snapshot::OfClient(list) == empty) << "not the same after DeleteAllItems";
    }
}

// --- Progress cells

TEST_F(InstallList, ANewRowShowsAFrameWithZeroPercentUntilItsFirstReportColoursIt) {
    ASSERT_EQ(AddFileRow(list, 0, L"- Installing Tool 01"), 0);
    const RECT cell = Cell(0, 1);
    const auto [left, top, right, bottom] = cell;
    const RECT inside{left + 4, top + 4, right - 3, bottom - 4};
    const double textCentre = ((left - 1) + (right - 2)) / 2.0;

    Snapshot shot = Painted();
    EXPECT_EQ(shot.At(left + 3, top + 3), kFrameBorder);
    EXPECT_EQ(shot.At(right - 3, bottom - 4), kFrameBorder);
    EXPECT_EQ(shot.At(left + 4, top + 4), list.frameFill) << "a bar before any progress";
    EXPECT_EQ(shot.At(right - 2, top + 5), list.defaultBackground); // outside the frame
    const RECT zero = shot.MarkedBounds(inside, list.frameFill);
    EXPECT_NEAR((zero.left + zero.right) / 2.0, textCentre, 2.0) << Describe(zero);
    EXPECT_GT(shot.Count(inside, WindowText()), 0) << "\"0%\" not in the window-text colour";
    EXPECT_EQ(shot.Count(inside, kReportedText), 0);

    list.UpdateProgress(0, 30, kRunningBar, L"");
    shot = Snapshot::OfClient(list); // repainted by the report itself
    EXPECT_EQ(shot.At(left + 4, top + 4), kRunningBar);
    EXPECT_GT(shot.Count(inside, kReportedText), 0) << "the text did not turn grey";
    EXPECT_EQ(shot.Count(inside, WindowText()), 0);
}

TEST_F(InstallList, TheBarGrowsWithThePercentAndStaysInsideTheFrame) {
    const struct {
        const char* name;
        int cellWidth;
        int percent;
        int barWidth; // from the frame's inside left edge; 0: no bar
    } cases[] = {
        {"100 fills the frame exactly", 341, 100, 334},
        {"50: q = 169", 341, 50, 165},
        {"q below 3 gives 2 pixels", 200, 1, 2},
        {"q of 3 shows none", 341, 1, 0},
        {"q of 3, wider cell", 200, 2, 0},
        {"q of 4 shows none", 450, 1, 0},
        {"0 shows none", 341, 0, 0},
        {"above 100 stops at the frame", 341, 250, 334},
        {"negative: the frame only", 341, -5, 0},
    };
    ASSERT_EQ(AddFileRow(list, 0, L"- Installing Tool 01"), 0);
    list.SetColumnWidth(0, 40);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(list.SetColumnWidth(1, c.cellWidth));
        list.UpdateProgress(0, c.percent, kRunningBar, L"");
        list.GetRecords(0)[1].showProgressText = false; // the text would hide the bar's middle
        const auto [left, top, right, bottom] = Cell(0, 1);
        ASSERT_EQ(right - left, c.cellWidth);
        const Snapshot shot = Painted();
        const int middle = (top + bottom) / 2;
        EXPECT_EQ(shot.Count(RECT{left, middle, right, middle + 1}, kRunningBar), c.barWidth);
        EXPECT_EQ(shot.At(right - 3, middle), kFrameBorder);
        if (c.barWidth == 0) {
            EXPECT_EQ(shot.At(left + 4, middle), list.frameFill);
            continue;
        }
        EXPECT_EQ(shot.At(left + 4, middle), kRunningBar);
        EXPECT_EQ(shot.At(left + 4 + c.barWidth - 1, middle), kRunningBar);
        EXPECT_NE(shot.At(left + 4 + c.barWidth, middle), kRunningBar);
        // From T + 4 to B - 4, inside the frame's top and bottom lines.
        EXPECT_EQ(shot.At(left + 4, top + 3), kFrameBorder);
        EXPECT_EQ(shot.At(left + 4, top + 4), kRunningBar);
        EXPECT_EQ(shot.At(left + 4, bottom - 5), kRunningBar);
        EXPECT_EQ(shot.At(left + 4, bottom - 4), kFrameBorder);
    }
}

TEST_F(InstallList, ANegativePercentShowsNoText) {
    ASSERT_EQ(AddFileRow(list, 0, L"- Installing Tool 01"), 0);
    list.UpdateProgress(0, -1, kRunningBar, L"");
    ASSERT_TRUE(list.GetRecords(0)[1].showProgressText);
    const auto [left, top, right, bottom] = Cell(0, 1);
    EXPECT_EQ(Painted().Marked(RECT{left + 4, top + 4, right - 3, bottom - 4}, list.frameFill), 0);
}

TEST_F(InstallList, AProgressTextWithPrintfConversionsIsDrawnAsItStands) {
    ASSERT_EQ(AddFileRow(list, 0, L"- Installing Tool 01"), 0);
    const auto [left, top, right, bottom] = Cell(0, 1);
    // Right of the bar, where only the text is.
    const RECT textArea{left + 40, top + 4, right - 3, bottom - 4};
    list.UpdateProgress(0, 5, kRunningBar, L"%s%n%s%n");
    const Snapshot five = Snapshot::OfClient(list);
    EXPECT_GT(five.Count(textArea, kReportedText), 0);
    list.UpdateProgress(0, 6, kRunningBar, L"%s%n%s%n");
    const Snapshot six = Snapshot::OfClient(list);
    EXPECT_EQ(six.Marked(textArea, list.frameFill), five.Marked(textArea, list.frameFill));
    EXPECT_EQ(six.MarkedBounds(textArea, list.frameFill).left,
              five.MarkedBounds(textArea, list.frameFill).left)
        << "the percent reached the text";
}

// --- Repainting

TEST_F(InstallList, AReportRepaintsOnlyItsCellAndOnlyWhenThePercentOrTextChanged) {
    ASSERT_EQ(AddFileRow(list, 0, L"- Installing Tool 01"), 0);
    ASSERT_EQ(AddFileRow(list, 1, L"- Installing Main File 01"), 1);
    list.UpdateWindow();
    PumpWaitingMessages();
    const RECT cell = Cell(1, 1);
    const int before = list.paints;

    // The install page's first report of each row, percent 0, finds nothing changed.
    list.UpdateProgress(1, 0, kRunningBar, L"");
    list.UpdateProgress(1, 0, kFinishedBar, L"");
    EXPECT_EQ(list.paints, before);
    EXPECT_FALSE(::GetUpdateRect(list.GetSafeHwnd(), nullptr, FALSE));
    EXPECT_EQ(list.GetRecords(1)[1].barColour, CellRecord{}.barColour);
    EXPECT_EQ(list.GetRecords(1)[1].textColour, WindowText());

    list.UpdateProgress(1, 40, kRunningBar, L"");
    EXPECT_EQ(list.paints, before + 1) << "not repainted at once";
    EXPECT_EQ(Describe(list.paintedAreas.back()), Describe(cell));

    list.UpdateProgress(1, 40, kFinishedBar, L""); // the colour alone
    EXPECT_EQ(list.paints, before + 1);
    EXPECT_EQ(list.GetRecords(1)[1].barColour, kRunningBar);

    list.UpdateProgress(1, 40, kRunningBar, L"%d done"); // the text
    EXPECT_EQ(list.paints, before + 2);
    EXPECT_EQ(list.GetRecords(1)[1].progressText, L"%d done");
}

// --- Geometry and guards

TEST_F(InstallList, ColumnZeroEndsWhereColumnOneBeginsAndCellsAreOnePixelShort) {
    for (int row = 0; row < 2; ++row)
        AddFileRow(list, row, L"- Installing Tool 01");
    for (int row = 0; row < 2; ++row) {
        RECT bounds{};
        ASSERT_TRUE(list.GetItemRect(row, bounds, LVIR_BOUNDS));
        const RECT first = Cell(row, 0);
        const RECT second = Cell(row, 1);
        EXPECT_EQ(first.left, bounds.left);
        EXPECT_EQ(first.right, 157 + bounds.left);
        EXPECT_EQ(first.right, second.left);
        EXPECT_EQ(second.right, second.left + 341);
        EXPECT_EQ(first.bottom, bounds.bottom - 1);
        EXPECT_EQ(second.bottom, bounds.bottom - 1);
        EXPECT_EQ(second.top, bounds.top);
    }

    const RECT untouched{-7, -7, -7, -7};
    const struct {
        int item;
        int column;
    } outside[] = {{-1, 0}, {2, 0}, {INT_MAX, 1}, {0, -1}, {0, 2}, {1, INT_MIN}};
    for (const auto& c : outside) {
        SCOPED_TRACE(testing::Message() << "cell " << c.item << ", " << c.column);
        RECT rect = untouched;
        EXPECT_FALSE(list.GetCellRect(c.item, c.column, rect));
        EXPECT_EQ(Describe(rect), Describe(untouched));
    }
}

TEST_F(InstallList, AHeaderChangeToAColumnNarrowerThanTwentyPixelsIsRefused) {
    const struct {
        int width;
        bool accepted;
    } cases[] = {{19, false}, {0, false}, {20, true}, {157, true}, {5, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "width " << c.width);
        const int before = list.SendMessage(LVM_GETCOLUMNWIDTH, 0);
        EXPECT_EQ(list.SetColumnWidth(0, c.width), c.accepted);
        EXPECT_EQ(list.SendMessage(LVM_GETCOLUMNWIDTH, 0), c.accepted ? c.width : before);
        HDITEMW item{};
        item.mask = HDI_WIDTH;
        ASSERT_TRUE(list.headerCtrl.GetItem(0, item));
        EXPECT_EQ(item.cxy, c.accepted ? c.width : before);
    }

    // A header of the other character set asks in the same way.
    HDITEMA narrow{};
    narrow.mask = HDI_WIDTH;
    narrow.cxy = 3;
    NMHEADERA change{};
    change.hdr = {list.headerCtrl.GetSafeHwnd(), 0, static_cast<UINT>(HDN_ITEMCHANGINGA)};
    change.pitem = &narrow;
    EXPECT_EQ(list.SendMessage(WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&change)), TRUE);
}

TEST_F(InstallList, ProgressOperationsOnRowsOutOfRangeOrWithoutRecordsDoNothing) {
    ASSERT_EQ(AddFileRow(list, 0, L"- Installing Tool 01"), 0);
    list.UpdateProgress(0, 25, kRunningBar, L"");
    // A row the records could not be made for, as the list itself inserts it.
    ASSERT_EQ(list.CListCtrl::InsertItem(1, L"no records"), 1);
    list.UpdateWindow();
    PumpWaitingMessages();
    const int paints = list.paints;
    const CellRecord kept = list.GetRecords(0)[1];

    const struct {
        const char* name;
        std::function<void(int)> operation;
        bool actsOnARowWithoutRecords;
    } operations[] = {
        {"SetProgress", [&](int item) { list.SetProgress(item); }, false},
        {"UpdateProgress", [&](int item) { list.UpdateProgress(item, 77, kFinishedBar, L"x"); },
         false},
        // Repainting needs a row, not its records.
        {"RedrawProgressCell", [&](int item) { list.RedrawProgressCell(item); }, true},
    };
    for (const auto& operation : operations) {
        for (const int item : {-1, 1, 2, 1000, INT_MAX, INT_MIN}) {
            if (item == 1 && operation.actsOnARowWithoutRecords)
                continue;
            SCOPED_TRACE(testing::Message() << operation.name << " on row " << item);
            operation.operation(item);
            EXPECT_EQ(list.paints, paints);
            EXPECT_FALSE(::GetUpdateRect(list.GetSafeHwnd(), nullptr, FALSE));
        }
    }
    EXPECT_TRUE(list.GetRecords(1).empty());
    EXPECT_EQ(list.GetRecords(0)[1].percent, kept.percent);
    EXPECT_EQ(list.GetRecords(0)[1].progressText, kept.progressText);
}

TEST(ListShape, ProgressNeedsASecondColumnAndRecordsForIt) {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&controls);
    CXListCtrl list;
    ListHost host(IDD_FILE_LIST_HOST, IDC_TEST_FILE_LIST, list);
    ASSERT_TRUE(host.Open());
    EXPECT_EQ(list.InsertItem(0, L"before any column", 0, 0), -1);
    ASSERT_TRUE(list.DeleteAllItems());
    EXPECT_EQ(list.InsertItem(-1, L"negative", 0, 0), -1);
    EXPECT_EQ(list.GetItemCount(), 0);

    ASSERT_EQ(list.InsertColumn(0, L"", LVCFMT_LEFT, 100), 0);
    ASSERT_EQ(list.InsertItem(0, L"one column", RGB(1, 2, 3), RGB(4, 5, 6)), 0);
    ASSERT_EQ(list.GetRecords(0).size(), 1u);
    EXPECT_EQ(list.GetRecords(0)[0].textColour, RGB(1, 2, 3));
    EXPECT_EQ(list.GetRecords(0)[0].backColour, RGB(4, 5, 6));
    list.SetProgress(0);
    EXPECT_FALSE(list.GetRecords(0)[0].showProgress);

    // The row keeps its one record when a second column comes: column 1 is never touched.
    ASSERT_EQ(list.InsertColumn(1, L"", LVCFMT_LEFT, 100), 1);
    list.SetProgress(0);
    list.UpdateProgress(0, 50, kRunningBar, L"");
    EXPECT_EQ(list.GetRecords(0).size(), 1u);
    Repaint(list);

    ASSERT_EQ(list.InsertItem(1, L"two columns", 0, 0), 1);
    ASSERT_EQ(list.GetRecords(1).size(), 2u);
    list.SetProgress(1);
    EXPECT_TRUE(list.GetRecords(1)[1].showProgress);
    EXPECT_FALSE(list.GetRecords(1)[0].showProgress);
}

// --- Text cells

TEST(TextCells, ALeftColumnStartsFourPixelsInAndACentredColumnCentres) {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&controls);
    wcl::CFont font;
    CXListCtrl list;
    ListHost host(IDD_FILE_LIST_HOST, IDC_TEST_FILE_LIST, list);
    ASSERT_TRUE(host.Open());
    SetUpLikeInstallPage(list, font); // columns 0 and 1 centred
    ASSERT_EQ(list.InsertColumn(2, L"", LVCFMT_RIGHT, 100), 2);
    list.SetColumnWidth(1, 150);
    constexpr COLORREF kBack = RGB(250, 240, 200);
    ASSERT_EQ(list.InsertItem(0, L"HHHH", RGB(0, 0, 128), kBack), 0);
    for (CellRecord& record : list.GetRecords(0)) {
        record.textColour = RGB(0, 0, 128);
        record.backColour = kBack;
    }
    list.SetItemText(0, 1, L"HHHH");
    list.SetItemText(0, 2, L"HHHH");
    Repaint(list);
    const Snapshot shot = Snapshot::OfClient(list);

    HDITEMW first{};
    first.mask = HDI_FORMAT;
    ASSERT_TRUE(list.headerCtrl.GetItem(0, first));
    // Wine reports column 0 as left-aligned, whatever it was inserted with.
    ASSERT_EQ(first.fmt & HDF_JUSTIFYMASK, HDF_LEFT);
    const struct {
        int column;
        std::function<void(const RECT& cell, const RECT& text)> check;
    } cases[] = {
        {0,
         [](const RECT& cell, const RECT& text) {
             EXPECT_GE(text.left, cell.left + 4);
             EXPECT_LE(text.left, cell.left + 6); // the letter's own side bearing
         }},
        {1,
         [](const RECT& cell, const RECT& text) {
             EXPECT_NEAR((text.left + text.right) / 2.0, (cell.left + cell.right) / 2.0, 1.5);
         }},
        {2,
         [](const RECT& cell, const RECT& text) {
             EXPECT_LE(text.right, cell.right);
             EXPECT_GE(text.right, cell.right - 2);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "column " << c.column);
        RECT cell{};
        ASSERT_TRUE(list.GetCellRect(0, c.column, cell));
        EXPECT_EQ(shot.At(cell.left + 1, cell.top), kBack);
        EXPECT_EQ(shot.At(cell.right - 1, cell.bottom - 1), kBack);
        const RECT text = shot.MarkedBounds(cell, kBack);
        SCOPED_TRACE("cell " + Describe(cell) + ", text " + Describe(text));
        ASSERT_GT(text.right, text.left);
        EXPECT_GT(shot.Count(text, RGB(0, 0, 128)), 0);
        c.check(cell, text);
    }
}

// --- Records

TEST_F(InstallList, DeleteAllItemsFreesEveryRowsRecordsOnceAndClearsTheirDataWords) {
    for (int row = 0; row < 3; ++row)
        AddFileRow(list, row, L"- Installing Tool 01");
    ASSERT_EQ(list.RecordCount(), 3u);
    ASSERT_NE(list.GetItemData(0), 0u);
    EXPECT_EQ(reinterpret_cast<const CellRecord*>(list.GetItemData(0)), list.GetRecords(0).data());

    ASSERT_TRUE(list.DeleteAllItems());
    EXPECT_EQ(list.GetItemCount(), 0);
    EXPECT_EQ(list.RecordCount(), 0u);
    // The list reports each row deleted; none of them still points at records.
    EXPECT_EQ(host.deletedRowData, (std::vector<LPARAM>{0, 0, 0}));
}

TEST_F(InstallList, ARowDeletedByTheListTakesItsRecordsWithIt) {
    for (int row = 0; row < 3; ++row)
        AddFileRow(list, row, L"- Installing Tool 01");
    const auto middle = static_cast<LPARAM>(list.GetItemData(1));
    ASSERT_TRUE(list.CListCtrl::DeleteItem(1));
    EXPECT_EQ(host.deletedRowData, std::vector<LPARAM>{middle});
    EXPECT_EQ(list.RecordCount(), 2u);
    EXPECT_EQ(list.GetRecords(1).size(), 2u); // the row that was 2
    list.UpdateProgress(1, 60, kRunningBar, L"");
    EXPECT_EQ(list.GetRecords(1)[1].percent, 60);
}

TEST(ListRecords, DestroyingTheWindowOrTheObjectFreesTheRecordsBeforeTheRowsGo) {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&controls);
    const struct {
        const char* name;
        bool destroyTheObject; // else the window
    } cases[] = {{"window destroyed", false}, {"object deleted", true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        wcl::CFont font;
        auto list = std::make_unique<CXListCtrl>();
        ListHost host(IDD_FILE_LIST_HOST, IDC_TEST_FILE_LIST, *list);
        ASSERT_TRUE(host.Open());
        SetUpLikeInstallPage(*list, font);
        for (int row = 0; row < 4; ++row)
            AddFileRow(*list, row, L"- Installing Tool 01");
        const HWND window = list->GetSafeHwnd();
        ASSERT_EQ(list->RecordCount(), 4u);

        if (c.destroyTheObject) {
            list.reset();
        } else {
            ASSERT_TRUE(list->DestroyWindow());
            EXPECT_EQ(list->RecordCount(), 0u);
            EXPECT_EQ(list->GetSafeHwnd(), nullptr);
        }
        EXPECT_FALSE(::IsWindow(window));
        EXPECT_EQ(host.deletedRowData, (std::vector<LPARAM>{0, 0, 0, 0}));
    }
}

// --- Messages

TEST_F(InstallList, AClickOnARowWithoutRecordsIsDropped) {
    ASSERT_EQ(AddFileRow(list, 0, L"- Installing Tool 01"), 0);
    ASSERT_EQ(list.CListCtrl::InsertItem(1, L"no records"), 1);
    const struct {
        int row;
        bool selected;
    } cases[] = {{1, false}, {0, true}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "row " << c.row);
        RECT bounds{};
        ASSERT_TRUE(list.GetItemRect(c.row, bounds, LVIR_BOUNDS));
        const LPARAM point = MAKELPARAM(bounds.left + 30, (bounds.top + bounds.bottom) / 2);
        list.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, point);
        list.SendMessage(WM_LBUTTONUP, 0, point);
        PumpWaitingMessages();
        EXPECT_EQ(list.GetItemState(c.row, LVIS_SELECTED) != 0, c.selected);
    }
}

TEST(ListMessages, AColumnClickFlipsTheColumnsHeaderImageBetweenOneAndTwo) {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&controls);
    wcl::CFont font;
    CXListCtrl list;
    ListHost host(IDD_HEADED_LIST_HOST, IDC_TEST_HEADED_LIST, list);
    ASSERT_TRUE(host.Open());
    SetUpLikeInstallPage(list, font);
    AddFileRow(list, 0, L"first");
    AddFileRow(list, 1, L"second");
    const struct {
        int image;
        int after;
    } cases[] = {{0, 0}, {1, 2}, {2, 1}, {3, 1}, {1, 2}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "image " << c.image);
        HDITEMW item{};
        item.mask = HDI_IMAGE;
        item.iImage = c.image;
        ASSERT_TRUE(list.headerCtrl.SetItem(1, item));
        // A click on column 1 of the header, which the list turns into LVN_COLUMNCLICK.
        RECT column{};
        ASSERT_TRUE(list.headerCtrl.GetItemRect(1, column));
        const LPARAM point = MAKELPARAM((column.left + column.right) / 2, column.bottom / 2);
        list.headerCtrl.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, point);
        list.headerCtrl.SendMessage(WM_LBUTTONUP, 0, point);
        PumpWaitingMessages();
        item = HDITEMW{};
        item.mask = HDI_IMAGE;
        ASSERT_TRUE(list.headerCtrl.GetItem(1, item));
        EXPECT_EQ(item.iImage, c.after);
        EXPECT_EQ(list.GetItemText(0, 0), L"first"); // the rows keep their order
    }
}

TEST(ListMessages, TheHeaderIsAttachedOnceWhetherTheListIsBoundOrCreated) {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&controls);
    CXListCtrl bound;
    ListHost host(IDD_FILE_LIST_HOST, IDC_TEST_FILE_LIST, bound);
    ASSERT_TRUE(host.Open());
    CXListCtrl created;
    ASSERT_TRUE(created.CreateEx(0, WC_LISTVIEWW, L"", WS_CHILD | WS_VISIBLE | LVS_REPORT,
                                 RECT{0, 0, 200, 100}, &host, 77));
    for (CXListCtrl* list : {&bound, &created}) {
        EXPECT_TRUE(list->headerSubclassed);
        ASSERT_NE(list->GetHeaderCtrl(), nullptr);
        EXPECT_EQ(list->headerCtrl.GetSafeHwnd(), list->GetHeaderCtrl());
        EXPECT_EQ(wcl::CWnd::FromHandlePermanent(list->GetHeaderCtrl()), &list->headerCtrl);
        list->InsertColumn(0, L"", LVCFMT_LEFT, 50);
        EXPECT_EQ(list->GetColumns(), 1);
    }
}

TEST_F(InstallList, TheRowHeightFontIsAThirteenPointSystemFont) {
    const auto font = reinterpret_cast<HFONT>(list.SendMessage(WM_GETFONT));
    ASSERT_NE(font, nullptr);
    LOGFONTW description{};
    ASSERT_EQ(::GetObjectW(font, sizeof(description), &description), sizeof(description));
    wcl::CWindowDC dc(list);
    EXPECT_EQ(description.lfHeight, -::MulDiv(13, dc.GetDeviceCaps(LOGPIXELSY), 72));
    EXPECT_EQ(description.lfWeight, FW_NORMAL);
    EXPECT_EQ(description.lfQuality, PROOF_QUALITY);
    EXPECT_STREQ(description.lfFaceName, L"System");
    EXPECT_NE(font, list.drawFont);
    // Set again, the list gets a new font and the one it had is released.
    list.SetRowHeightFont();
    EXPECT_NE(reinterpret_cast<HFONT>(list.SendMessage(WM_GETFONT)), font);
    EXPECT_EQ(::GetObjectType(font), 0u);
}

TEST(ListBackground, WhatNoCellCoversIsErasedInTheDefaultBackground) {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&controls);
    wcl::CFont font;
    CXListCtrl list;
    ListHost host(IDD_HEADED_LIST_HOST, IDC_TEST_HEADED_LIST, list);
    ASSERT_TRUE(host.Open());
    SetUpLikeInstallPage(list, font);
    constexpr COLORREF kBackground = RGB(250, 250, 210);
    list.defaultBackground = kBackground;
    AddFileRow(list, 0, L"- Installing Tool 01");
    Repaint(list);
    const Snapshot shot = Snapshot::OfClient(list);
    RECT row{};
    ASSERT_TRUE(list.GetItemRect(0, row, LVIR_BOUNDS));
    const RECT below{0, row.bottom, shot.Width(), shot.Height()};
    // Right of the last cell and of its grid line, which reaches one pixel beyond it.
    const RECT right{157 + 341 + 1, row.top, shot.Width(), row.bottom};
    EXPECT_EQ(shot.Count(below, kBackground),
              (below.right - below.left) * (below.bottom - below.top));
    EXPECT_EQ(shot.Count(right, kBackground),
              (right.right - right.left) * (right.bottom - right.top));
    // The header paints itself white.
    EXPECT_EQ(shot.Count(RECT{0, 0, shot.Width(), row.top}, kBackground), 0);
}

// The erase leaves the header's strip to the header only while the header is shown; a hidden
// header keeps its place but paints nothing there.
TEST(ListBackground, TheHeadersStripIsLeftOutOfTheEraseOnlyWhileTheHeaderIsShown) {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&controls);
    constexpr COLORREF kBackground = RGB(250, 250, 210);
    constexpr COLORREF kUnerased = RGB(1, 2, 3);
    for (const bool shown : {true, false}) {
        SCOPED_TRACE(shown ? "header shown" : "header hidden");
        wcl::CFont font;
        CXListCtrl list;
        ListHost host(IDD_HEADED_LIST_HOST, IDC_TEST_HEADED_LIST, list);
        ASSERT_TRUE(host.Open());
        SetUpLikeInstallPage(list, font);
        list.defaultBackground = kBackground;
        const wcl::CWindow header(list.GetHeaderCtrl());
        ASSERT_NE(header.GetSafeHwnd(), nullptr);
        header.ShowWindow(shown ? SW_SHOWNA : SW_HIDE);
        RECT strip = header.GetWindowRect();
        list.ScreenToClient(strip);
        ASSERT_GT(strip.bottom, strip.top) << "the header has no place to leave out";

        const RECT client = list.GetClientRect();
        const wcl::CClientDC screen{wcl::CWindow()};
        wcl::CCompatibleDC dc(screen);
        wcl::CBitmap bitmap;
        ASSERT_TRUE(bitmap.CreateCompatibleBitmap(screen, client.right, client.bottom));
        const wcl::SelectedObject selected = dc.SelectObject(bitmap);
        dc.FillSolidRect(client, kUnerased);
        list.SendMessage(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()));
        const Snapshot shot = Snapshot::OfDC(dc, client.right, client.bottom);

        const RECT inStrip{0, std::max<LONG>(strip.top, 0), client.right, strip.bottom};
        const int stripPixels = (inStrip.right - inStrip.left) * (inStrip.bottom - inStrip.top);
        EXPECT_EQ(shot.Count(inStrip, kBackground), shown ? 0 : stripPixels);
        const RECT below{0, strip.bottom, client.right, client.bottom};
        EXPECT_EQ(shot.Count(below, kBackground),
                  (below.right - below.left) * (below.bottom - below.top));
    }
}

TEST(ListPainting, HundredsOfPaintsOfCellsAndHeaderLeaveNoGdiObjectBehind) {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&controls);
    wcl::CFont font;
    CountingList list;
    ListHost host(IDD_HEADED_LIST_HOST, IDC_TEST_HEADED_LIST, list);
    ASSERT_TRUE(host.Open());
    SetUpLikeInstallPage(list, font);
    list.headerCtrl.headerFont = font.GetSafeHandle();
    list.InsertColumn(2, L"text", LVCFMT_LEFT, 30);
    for (int row = 0; row < 5; ++row) {
        AddFileRow(list, row, L"- Installing Tool 01");
        list.UpdateProgress(row, row * 25, kRunningBar, L"");
    }
    Repaint(list);
    const int paints = list.paints;

    const int before = wcl_test::GdiObjectCount();
    for (int i = 0; i < 300; ++i) {
        Repaint(list);
        list.UpdateProgress(i % 5, i % 101, kRunningBar, L""); // one cell at a time
    }
    EXPECT_GE(list.paints - paints, 590); // a report may repeat a percent: no paint
    EXPECT_EQ(wcl_test::GdiObjectCount(), before);
}

TEST_F(InstallList, ASystemColourChangePutsTheDefaultColoursBack) {
    list.defaultBackground = RGB(1, 2, 3);
    list.defaultText = RGB(4, 5, 6);
    list.SendMessage(WM_SYSCOLORCHANGE);
    EXPECT_EQ(list.defaultBackground, kWhite);
    EXPECT_EQ(list.defaultText, WindowText());
}

} // namespace
