// The scenes of the extended list control and its header, on a piece of the install page:
//   list-empty-message                 before the install: the message of a list without rows
//   list-new-rows-at-0-percent         five rows just added: empty frames, "0%" in window text
//   list-progress-100-72-35-1-0        the finished colour at 100 percent, bars and grey text
//   list-after-delete-all-items        rows painted, then all deleted: the message again
//   header-images-bitmap-and-cut-title a header with sort images, a bitmap, alignments and a cut
//                                      title in the DC's own font, above a list whose header has
//                                      the cell font and a forced height of 24 pixels
#include <windows.h>

#include <commctrl.h>

#include <cwchar>
#include <iterator>

#include "controls/x_list_ctrl.h"
#include "gallery.h"
#include "wcl/gdi.h"

namespace {

constexpr COLORREF kPageColour = RGB(236, 233, 216);
constexpr COLORREF kRunningBar = RGB(135, 200, 66);
constexpr COLORREF kFinishedBar = RGB(208, 206, 188);
constexpr int kFileListId = 1005;
constexpr int kHeadedListId = 1010;
constexpr int kHeaderId = 1;
// The controls keep this far from the edges of their piece of page.
constexpr int kInset = 10;
constexpr int kListWidth = 525;
constexpr int kFileListHeight = 153;

struct ImageListTraits {
    using pointer = HIMAGELIST;
    static pointer invalid() noexcept { return nullptr; }
    static void close(pointer images) noexcept { ::ImageList_Destroy(images); }
};
using UniqueImageList = wcl::Unique<ImageListTraits>;

// A piece of the install page in its colour, with the controls of one scene and the fonts and
// pictures they draw with. Members go in reverse order: the controls before what they use.
class PagePiece : public wcl::CWnd {
public:
    PagePiece(wcl::CWnd& host, const RECT& place) {
        CreateEx(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, place, &host, 0);
    }

    wcl::CFont cellFont;
    // What a dialog gives the controls of its template.
    wcl::CFont dialogFont;
    UniqueImageList sortImages;
    wcl::CBitmap stamp;
    CXListCtrl files;
    CXHeaderCtrl header;
    CXListCtrl headed;

protected:
    const wcl::MessageMap& GetMessageMap() const override {
        static constexpr wcl::MessageEntry entries[] = {
            wcl::MapMessage<WM_ERASEBKGND, &PagePiece::OnEraseBkgnd>(),
            wcl::MapMessage<WM_PAINT, &PagePiece::OnPaint>(),
        };
        static const wcl::MessageMap map(CWnd::GetMessageMap(), entries);
        return map;
    }

private:
    bool OnEraseBkgnd(wcl::CDC& dc) {
        dc.FillSolidRect(GetClientRect(), kPageColour);
        return true;
    }
    // The static control would paint itself in the dialog colour; the erased page is all there
    // is to see.
    void OnPaint() { const wcl::CPaintDC dc(*this); }
};

int PointsToPixels(const wcl::CWindow& window, int points) {
    return -::MulDiv(points, wcl::CWindowDC(window).GetDeviceCaps(LOGPIXELSY), 72);
}

// As the page's template makes it: the dialog manager turns its WS_BORDER into a client edge.
bool CreateList(CXListCtrl& list, PagePiece& page, DWORD style, const RECT& place, UINT id) {
    return list.CreateEx(WS_EX_CLIENTEDGE, WC_LISTVIEWW, L"",
                         WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL |
                             LVS_SHOWSELALWAYS | style,
                         place, &page, id);
}

bool CreateCellFont(PagePiece& page) {
    LOGFONTW description{};
    description.lfHeight = PointsToPixels(page, 8);
    description.lfWeight = FW_NORMAL;
    std::wcscpy(description.lfFaceName, L"Arial");
    return page.cellFont.CreateFontIndirect(description);
}

// The install page's file list, as the page sets it up, still without rows.
bool FileList(PagePiece& page) {
    CXListCtrl& list = page.files;
    const RECT place{kInset, kInset, kInset + kListWidth, kInset + kFileListHeight};
    if (!CreateList(list, page, LVS_NOCOLUMNHEADER | LVS_NOSORTHEADER, place, kFileListId) ||
        !CreateCellFont(page))
        return false;
    list.SetRowHeightFont();
    list.drawFont = page.cellFont.GetSafeHandle();
    list.InsertColumn(0, L"", LVCFMT_CENTER, 40);
    list.InsertColumn(1, L"", LVCFMT_CENTER, 70);
    list.SetColumnWidth(0, 157);
    list.SetColumnWidth(1, 341);
    return true;
}

// Five rows as the install run adds them: a progress cell at 0 percent each.
bool FileListWithNewRows(PagePiece& page) {
    if (!FileList(page))
        return false;
    const wchar_t* const labels[] = {L"- Installing Tool 01", L"- Installing Main File 01",
                                     L"- Installing Tool 02", L"- Installing Tool 03",
                                     L"- Installing Main File 02"};
    CXListCtrl& list = page.files;
    for (const wchar_t* label : labels) {
        const int row =
            list.InsertItem(list.GetItemCount(), label, list.defaultText, list.defaultBackground);
        list.SetProgress(row);
        list.UpdateProgress(row, 0, kRunningBar, L"");
        list.SendMessage(WM_VSCROLL, SB_BOTTOM);
    }
    return true;
}

bool FileListInProgress(PagePiece& page) {
    if (!FileListWithNewRows(page))
        return false;
    const int percents[] = {100, 72, 35, 1, 0};
    for (int row = 0; row < static_cast<int>(std::size(percents)); ++row) {
        page.files.UpdateProgress(row, percents[row],
                                  percents[row] == 100 ? kFinishedBar : kRunningBar, L"");
    }
    return true;
}

// The rows are on the screen before they go, so the picture shows what the deletion repaints.
bool FileListEmptiedAgain(PagePiece& page) {
    if (!FileListInProgress(page))
        return false;
    page.UpdateWindow();
    return page.files.DeleteAllItems();
}

// 9-pixel images: 0 nothing, 1 an arrow up, 2 an arrow down.
UniqueImageList SortImages() {
    constexpr int kSize = 9;
    UniqueImageList images(::ImageList_Create(kSize, kSize, ILC_COLOR24, 3, 0));
    const wcl::CClientDC screen{wcl::CWindow()};
    wcl::CBitmap picture;
    if (!images || !picture.CreateCompatibleBitmap(screen, 3 * kSize, kSize))
        return {};
    {
        const wcl::CCompatibleDC dc(screen);
        const auto selected = dc.SelectObject(picture);
        dc.FillSolidRect(0, 0, 3 * kSize, kSize, ::GetSysColor(COLOR_BTNFACE));
        for (int row = 0; row < kSize / 2 + 1; ++row) {
            dc.FillSolidRect(kSize + kSize / 2 - row, 2 + row, 2 * row + 1, 1, RGB(60, 60, 60));
            dc.FillSolidRect(2 * kSize + kSize / 2 - row, kSize - 3 - row, 2 * row + 1, 1,
                             RGB(60, 60, 60));
        }
    }
    ::ImageList_Add(images.get(), picture.GetSafeHandle(), nullptr);
    return images;
}

bool CreateStamp(wcl::CBitmap& stamp) {
    const wcl::CClientDC screen{wcl::CWindow()};
    if (!stamp.CreateCompatibleBitmap(screen, 12, 8))
        return false;
    const wcl::CCompatibleDC dc(screen);
    const auto selected = dc.SelectObject(stamp);
    dc.FillSolidRect(0, 0, 12, 8, RGB(220, 120, 40));
    return true;
}

// A header of its own, in the DC's font: every way an item can look.
bool StandaloneHeader(PagePiece& page) {
    CXHeaderCtrl& header = page.header;
    page.sortImages = SortImages();
    if (!page.sortImages || !CreateStamp(page.stamp) ||
        !header.CreateEx(0, WC_HEADERW, L"", WS_CHILD | WS_VISIBLE | HDS_BUTTONS,
                         RECT{kInset, kInset, kInset + kListWidth, kInset + 30}, &page, kHeaderId))
        return false;
    header.SetImageList(page.sortImages.get());
    const struct {
        int width;
        const wchar_t* title;
        int format;
        int image;
        bool bitmap;
    } items[] = {
        {110, L"Ascending", HDF_LEFT, 1, false},
        {110, L"Descending", HDF_RIGHT, 2, false},
        {110, L"Image 0: none", HDF_CENTER, 0, false},
        {110, L"Bitmap", HDF_LEFT, 0, true},
        {85, L"A title much too long for its column", HDF_LEFT, 1, false},
    };
    for (const auto& item : items) {
        HDITEMW description{};
        description.mask = HDI_WIDTH | HDI_TEXT | HDI_FORMAT | HDI_IMAGE | HDI_BITMAP;
        description.cxy = item.width;
        description.pszText = const_cast<wchar_t*>(item.title);
        description.fmt = item.format | HDF_STRING | (item.bitmap ? HDF_BITMAP : 0);
        description.iImage = item.image;
        description.hbm = item.bitmap ? page.stamp.GetSafeHandle() : nullptr;
        header.InsertItem(header.GetItemCount(), description);
    }
    return true;
}

// A list whose own header shows, in the cell font and forced to 24 pixels, with one row at half.
bool HeadedList(PagePiece& page) {
    CXListCtrl& list = page.headed;
    if (!CreateList(list, page, 0, RECT{kInset, 50, kInset + kListWidth, 108}, kHeadedListId) ||
        !CreateCellFont(page) ||
        !page.dialogFont.CreateFont(PointsToPixels(page, 9), 0, 0, 0, FW_NORMAL, FALSE, FALSE,
                                    FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                    DEFAULT_QUALITY, 0, L"MS Shell Dlg"))
        return false;
    list.SendMessage(WM_SETFONT, reinterpret_cast<WPARAM>(page.dialogFont.GetSafeHandle()), TRUE);
    list.drawFont = page.cellFont.GetSafeHandle();
    list.headerCtrl.headerFont = page.cellFont.GetSafeHandle();
    list.headerCtrl.headerHeight = 24; // the rows start below it
    list.InsertColumn(0, L"File", LVCFMT_LEFT, 157);
    list.InsertColumn(1, L"Progress", LVCFMT_CENTER, 341);
    list.InsertItem(0, L"- Installing Tool 01", list.defaultText, list.defaultBackground);
    list.SetProgress(0);
    list.UpdateProgress(0, 50, kRunningBar, L"%d of 100");
    return true;
}

bool Headers(PagePiece& page) {
    return StandaloneHeader(page) && HeadedList(page);
}

using Setup = bool (*)(PagePiece&);

std::function<std::unique_ptr<wcl::CWnd>(wcl::CWnd&, const RECT&)> Make(Setup setup) {
    return [setup](wcl::CWnd& host, const RECT& place) -> std::unique_ptr<wcl::CWnd> {
        auto page = std::make_unique<PagePiece>(host, place);
        if (!page->GetSafeHwnd() || !setup(*page))
            return nullptr;
        return page;
    };
}

} // namespace

std::vector<Scene> ListScenes() {
    constexpr SIZE kFileListPage{kListWidth + 2 * kInset, kFileListHeight + 2 * kInset};
    constexpr SIZE kHeadersPage{kListWidth + 2 * kInset, 115};
    return {
        {L"list-empty-message", kFileListPage, Make(&FileList)},
        {L"list-new-rows-at-0-percent", kFileListPage, Make(&FileListWithNewRows)},
        {L"list-progress-100-72-35-1-0", kFileListPage, Make(&FileListInProgress)},
        {L"list-after-delete-all-items", kFileListPage, Make(&FileListEmptiedAgain)},
        {L"header-images-bitmap-and-cut-title", kHeadersPage, Make(&Headers)},
    };
}
