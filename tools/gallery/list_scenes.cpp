// Paints the extended list control and its header in their states, each into a BMP file of the
// current folder, for people to look at (list-scenes.sh turns them into PNGs):
//   list-empty       the install page's list before the install: the empty-list message
//   list-new-rows    five rows just added: empty frames and "0%" in the window-text colour
//   list-progress    rows at 100 (finished colour), 72, 35, 1 and 0 percent, grey text
//   list-deleted     after DeleteAllItems: the message again
//   header           a header with sort images, a bitmap, alignments and a cut title in the
//                    DC's own font, above a list whose header has the cell font and a forced
//                    height of 24 pixels
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <string>
#include <vector>

#include "controls/x_list_ctrl.h"
#include "wcl/dialog.h"
#include "wcl/gdi.h"

namespace {

constexpr UINT kPageTemplate = 100;
constexpr int kFileListId = 1005;
constexpr int kHeadedListId = 1010;
constexpr COLORREF kPageColour = RGB(236, 233, 216);
constexpr COLORREF kRunningBar = RGB(135, 200, 66);
constexpr COLORREF kFinishedBar = RGB(208, 206, 188);

// Writes the area of a DC as a 32-bit BMP file.
bool WriteBmp(const wchar_t* path, const wcl::CDC& source, const RECT& area) {
    const int width = area.right - area.left;
    const int height = area.bottom - area.top;
    BITMAPINFO format{};
    format.bmiHeader.biSize = sizeof(format.bmiHeader);
    format.bmiHeader.biWidth = width;
    format.bmiHeader.biHeight = height; // bottom row first, as BMP files keep it
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    format.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    wcl::UniqueBitmap copy(
        ::CreateDIBSection(source.GetSafeHdc(), &format, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!copy)
        return false;
    {
        wcl::CMemoryDC memory(source);
        const auto selected = memory.SelectObject(copy.get());
        memory.BitBlt(0, 0, width, height, source, area.left, area.top, SRCCOPY);
    }
    ::GdiFlush();
    const DWORD pixelBytes = static_cast<DWORD>(width) * static_cast<DWORD>(height) * 4;
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42; // "BM"
    file.bfOffBits = sizeof(file) + sizeof(format.bmiHeader);
    file.bfSize = file.bfOffBits + pixelBytes;
    FILE* out = _wfopen(path, L"wb");
    if (!out)
        return false;
    const bool written = std::fwrite(&file, sizeof(file), 1, out) == 1 &&
                         std::fwrite(&format.bmiHeader, sizeof(format.bmiHeader), 1, out) == 1 &&
                         std::fwrite(bits, pixelBytes, 1, out) == 1;
    return std::fclose(out) == 0 && written;
}

// A page like the install page that hosts both lists.
class ScenePage : public wcl::CDialog {
public:
    ScenePage() : CDialog(kPageTemplate) {}
    CXListCtrl files;
    CXListCtrl headed;

protected:
    void DoDataExchange(wcl::CDataExchange& dx) override {
        wcl::DDX_Control(dx, kFileListId, files);
        wcl::DDX_Control(dx, kHeadedListId, headed);
    }
    const wcl::MessageMap& GetMessageMap() const override {
        static constexpr wcl::MessageEntry entries[] = {
            wcl::MapMessage<WM_ERASEBKGND, &ScenePage::OnEraseBkgnd>(),
        };
        static const wcl::MessageMap map(CDialog::GetMessageMap(), entries);
        return map;
    }

private:
    bool OnEraseBkgnd(wcl::CDC& dc) {
        dc.FillSolidRect(GetClientRect(), kPageColour);
        return true;
    }
};

// The images of a sort header: 0 none, 1 an arrow up, 2 an arrow down.
struct ImageListTraits {
    using pointer = HIMAGELIST;
    static pointer invalid() noexcept { return nullptr; }
    static void close(pointer images) noexcept { ::ImageList_Destroy(images); }
};

wcl::Unique<ImageListTraits> SortImages() {
    constexpr int kSize = 9;
    wcl::Unique<ImageListTraits> images(::ImageList_Create(kSize, kSize, ILC_COLOR24, 3, 0));
    wcl::CClientDC screen{wcl::CWindow()};
    wcl::CBitmap picture;
    picture.CreateCompatibleBitmap(screen, 3 * kSize, kSize);
    {
        wcl::CMemoryDC dc(screen);
        const auto selected = dc.SelectObject(picture);
        dc.FillSolidRect(0, 0, 3 * kSize, kSize, ::GetSysColor(COLOR_BTNFACE));
        for (int row = 0; row < kSize / 2 + 1; ++row) {
            const int half = row;
            dc.FillSolidRect(kSize + kSize / 2 - half, 2 + row, 2 * half + 1, 1, RGB(60, 60, 60));
            dc.FillSolidRect(2 * kSize + kSize / 2 - half, kSize - 3 - row, 2 * half + 1, 1,
                             RGB(60, 60, 60));
        }
    }
    ::ImageList_Add(images.get(), picture.GetSafeHandle(), nullptr);
    return images;
}

void SetUpFileList(CXListCtrl& list, wcl::CFont& cellFont) {
    list.SetRowHeightFont();
    LOGFONTW description{};
    description.lfHeight = -::MulDiv(8, wcl::CWindowDC(list).GetDeviceCaps(LOGPIXELSY), 72);
    description.lfWeight = FW_NORMAL;
    wcscpy(description.lfFaceName, L"Arial");
    cellFont.CreateFontIndirect(description);
    list.drawFont = cellFont.GetSafeHandle();
    list.MoveWindow(23, 115, 525, 153);
    list.InsertColumn(0, L"", LVCFMT_CENTER, 40);
    list.InsertColumn(1, L"", LVCFMT_CENTER, 70);
    list.SetColumnWidth(0, 157);
    list.SetColumnWidth(1, 341);
}

void AddFileRow(CXListCtrl& list, int row, const wchar_t* label) {
    const int index = list.InsertItem(row, label, list.defaultText, list.defaultBackground);
    list.SetProgress(index);
    list.UpdateProgress(index, 0, kRunningBar, L"");
    list.SendMessage(WM_VSCROLL, SB_BOTTOM);
}

void Repaint(const wcl::CWindow& window) {
    window.RedrawWindow(nullptr, nullptr,
                        RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
}

int Report(const wchar_t* scene, bool written) {
    std::fwprintf(written ? stdout : stderr, L"%ls %ls.bmp\n", written ? L"wrote" : L"failed",
                  scene);
    return written ? 0 : 1;
}

} // namespace

int main() {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&controls);
    ScenePage page;
    if (!page.Create(kPageTemplate))
        return Report(L"page", false);
    page.MoveWindow(0, 0, 580, 300);
    page.ShowWindow(SW_SHOWNA);

    wcl::CFont cellFont;
    SetUpFileList(page.files, cellFont);
    int failures = 0;
    const auto capture = [&](const wchar_t* scene, const RECT& area) {
        Repaint(page);
        wcl::CClientDC dc(page);
        const std::wstring path = std::wstring(scene) + L".bmp";
        failures += Report(scene, WriteBmp(path.c_str(), dc, area));
    };
    const RECT listArea{13, 105, 558, 278};

    capture(L"list-empty", listArea);
    const wchar_t* const labels[] = {L"- Installing Tool 01", L"- Installing Main File 01",
                                     L"- Installing Tool 02", L"- Installing Tool 03",
                                     L"- Installing Main File 02"};
    for (int row = 0; row < 5; ++row)
        AddFileRow(page.files, row, labels[row]);
    capture(L"list-new-rows", listArea);
    const int percents[] = {100, 72, 35, 1, 0};
    for (int row = 0; row < 5; ++row)
        page.files.UpdateProgress(row, percents[row],
                                  percents[row] == 100 ? kFinishedBar : kRunningBar, L"");
    capture(L"list-progress", listArea);
    page.files.DeleteAllItems();
    capture(L"list-deleted", listArea);

    // The header: a standalone one above a list whose header shows.
    CXHeaderCtrl header;
    header.CreateEx(0, WC_HEADERW, L"", WS_CHILD | WS_VISIBLE | HDS_BUTTONS, RECT{23, 10, 548, 40},
                    &page, 1);
    const auto images = SortImages();
    header.SetImageList(images.get());
    wcl::CBitmap stamp;
    {
        wcl::CClientDC screen{wcl::CWindow()};
        stamp.CreateCompatibleBitmap(screen, 12, 8);
        wcl::CMemoryDC dc(screen);
        const auto selected = dc.SelectObject(stamp);
        dc.FillSolidRect(0, 0, 12, 8, RGB(220, 120, 40));
    }
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
        description.hbm = item.bitmap ? stamp.GetSafeHandle() : nullptr;
        header.InsertItem(header.GetItemCount(), description);
    }
    CXListCtrl& headed = page.headed;
    headed.drawFont = cellFont.GetSafeHandle();
    headed.headerCtrl.headerFont = cellFont.GetSafeHandle();
    headed.headerCtrl.headerHeight = 24; // forced: the rows start below it
    headed.MoveWindow(23, 50, 525, 58);
    headed.InsertColumn(0, L"File", LVCFMT_LEFT, 157);
    headed.InsertColumn(1, L"Progress", LVCFMT_CENTER, 341);
    headed.InsertItem(0, L"- Installing Tool 01", headed.defaultText, headed.defaultBackground);
    headed.SetProgress(0);
    headed.UpdateProgress(0, 50, kRunningBar, L"%d of 100");
    capture(L"header", RECT{13, 0, 558, 115});
    return failures;
}
