// The header control and the memory DC: what a header item paints (image, bitmap, centred title
// with an ellipsis), the forced header height, the off-screen buffer of a partial repaint, and a
// memory DC over a memory target and over metafiles, where it draws straight through.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "controls/mem_dc.h"
#include "controls/x_header_ctrl.h"
#include "controls/x_list_ctrl.h"
#include "list_test_support.h"

namespace {

using namespace list_test;

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kMagenta = RGB(255, 0, 255);
constexpr int kHeaderWidth = 400;
constexpr int kHeaderHeight = 30;

// A header that logs what it was asked to paint and how.
class TestHeader : public CXHeaderCtrl {
public:
    struct Painted {
        std::wstring title;
        SIZE surface; // of the bitmap selected into the DC
        DWORD dcKind; // OBJ_MEMDC for the off-screen buffer
    };
    std::vector<Painted> painted;
    std::vector<UINT> ownerDrawn;

protected:
    void DrawHeaderItem(const wcl::CDC& dc, RECT rect, const HDITEMW& item) override {
        BITMAP surface{};
        ::GetObjectW(::GetCurrentObject(dc.GetSafeHdc(), OBJ_BITMAP), sizeof(surface), &surface);
        painted.push_back({item.pszText ? item.pszText : L"",
                           SIZE{surface.bmWidth, surface.bmHeight},
                           ::GetObjectType(dc.GetSafeHdc())});
        CXHeaderCtrl::DrawHeaderItem(dc, rect, item);
    }
    void DrawItem(DRAWITEMSTRUCT& item) override { ownerDrawn.push_back(item.itemID); }
};

// A picture of solid colours side by side, each `width` x `height`.
wcl::UniqueBitmap SolidPicture(std::initializer_list<COLORREF> colours, int width, int height) {
    wcl::CClientDC screen{wcl::CWindow()};
    wcl::UniqueBitmap picture(::CreateCompatibleBitmap(
        screen.GetSafeHdc(), width * static_cast<int>(colours.size()), height));
    wcl::CCompatibleDC dc(screen);
    const auto selected = dc.SelectObject(picture.get());
    int left = 0;
    for (const COLORREF colour : colours) {
        dc.FillSolidRect(left, 0, width, height, colour);
        left += width;
    }
    return picture;
}

struct ImageListTraits {
    using pointer = HIMAGELIST;
    static pointer invalid() noexcept { return nullptr; }
    static void close(pointer images) noexcept { ::ImageList_Destroy(images); }
};
using UniqueImageList = wcl::Unique<ImageListTraits>;

// A header on a popup of its own, and a memory surface of the header's size to paint it into.
class HeaderTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES};
        ::InitCommonControlsEx(&controls);
    }
    void SetUp() override {
        ASSERT_TRUE(parent.CreateEx(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, RECT{0, 0, 500, 200},
                                    nullptr, 0));
        ASSERT_TRUE(header.CreateEx(0, WC_HEADERW, L"", WS_CHILD | WS_VISIBLE | HDS_BUTTONS,
                                    RECT{0, 0, kHeaderWidth, kHeaderHeight}, &parent, 1));
    }
    int AddItem(int width, const wchar_t* title, int format = HDF_CENTER, int image = 0) {
        HDITEMW item{};
        item.mask = HDI_WIDTH | HDI_FORMAT | HDI_IMAGE | (title ? HDI_TEXT : 0);
        item.cxy = width;
        item.fmt = format | (title ? HDF_STRING : 0);
        item.pszText = const_cast<wchar_t*>(title);
        item.iImage = image;
        return header.InsertItem(header.GetItemCount(), item);
    }
    void SetBitmap(int index, HBITMAP bitmap) {
        HDITEMW item{};
        item.mask = HDI_FORMAT;
        ASSERT_TRUE(header.GetItem(index, item));
        item.mask = HDI_FORMAT | HDI_BITMAP;
        item.fmt |= HDF_BITMAP;
        item.hbm = bitmap;
        ASSERT_TRUE(header.SetItem(index, item));
    }
    // Three 10 x 8 images: red (0), green (1), blue (2).
    void SetImages() {
        images.reset(::ImageList_Create(10, 8, ILC_COLOR24, 3, 0));
        const wcl::UniqueBitmap picture = SolidPicture({kRed, kGreen, kBlue}, 10, 8);
        ASSERT_EQ(::ImageList_Add(images.get(), picture.get(), nullptr), 0);
        header.SetImageList(images.get());
    }
    // The header painted by DrawHeader into a memory surface.
    Snapshot Drawn() {
        wcl::CClientDC screen{wcl::CWindow()};
        wcl::CCompatibleDC dc(screen);
        wcl::CBitmap surface;
        surface.CreateCompatibleBitmap(screen, kHeaderWidth, kHeaderHeight);
        const auto selected = dc.SelectObject(surface);
        dc.FillSolidRect(0, 0, kHeaderWidth, kHeaderHeight, kMagenta);
        header.DrawHeader(dc);
        return Snapshot::OfDC(dc, kHeaderWidth, kHeaderHeight);
    }

    wcl::CWnd parent;
    TestHeader header;
    UniqueImageList images;
};

TEST_F(HeaderTest, PaintsAWhiteBackgroundOverTheWholeArea) {
    AddItem(100, L"");
    const Snapshot shot = Drawn();
    EXPECT_EQ(shot.Count(RECT{0, 0, kHeaderWidth, kHeaderHeight}, kWhite),
              kHeaderWidth * kHeaderHeight);
}

TEST_F(HeaderTest, AnItemShowsItsImageUnlessItsIndexIsZero) {
    SetImages();
    EXPECT_EQ(header.imageWidth, 10);
    EXPECT_EQ(header.imageHeight, 8);
    const struct {
        int image;
        COLORREF colour; // kWhite: no image
    } cases[] = {{0, kWhite}, {1, kGreen}, {2, kBlue}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "image " << c.image);
        header.SendMessage(HDM_DELETEITEM, 0);
        AddItem(100, nullptr, HDF_LEFT, c.image);
        const Snapshot shot = Drawn();
        // At the item's left edge plus the spacing, centred in the header's height.
        const int top = kHeaderHeight / 2 - 8 / 2;
        EXPECT_EQ(shot.At(6, top), c.colour);
        EXPECT_EQ(shot.At(15, top + 7), c.colour);
        EXPECT_EQ(shot.At(5, top), kWhite);
        EXPECT_EQ(shot.At(16, top), kWhite);
        EXPECT_EQ(shot.At(6, top - 1), kWhite);
        EXPECT_EQ(shot.At(6, top + 8), kWhite);
        EXPECT_EQ(shot.Count(RECT{0, 0, kHeaderWidth, kHeaderHeight}, kRed), 0);
    }
}

TEST_F(HeaderTest, ABitmapSitsAtTheRightTenPixelsUpAndOnlyWhenItFits) {
    SetImages();
    const wcl::UniqueBitmap bitmap = SolidPicture({kMagenta}, 20, 8);
    const struct {
        const char* name;
        int width;
        int image;
        bool drawn;
    } cases[] = {
        {"plenty of room", 100, 0, true},          {"room 13 for 20", 25, 0, false},
        {"room 33 without an image", 45, 0, true}, {"room 17 after the image", 45, 1, false},
        {"room 22 after the image", 50, 1, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        header.SendMessage(HDM_DELETEITEM, 0);
        AddItem(c.width, nullptr, HDF_LEFT, c.image);
        SetBitmap(0, static_cast<HBITMAP>(bitmap.get()));
        // Drawn() fills with magenta first; the header's white covers it.
        const Snapshot shot = Drawn();
        const int right = c.width - 6;
        const int bottom = kHeaderHeight - 10;
        const RECT item{0, 0, c.width, kHeaderHeight};
        if (!c.drawn) {
            EXPECT_EQ(shot.Count(item, kMagenta), 0);
            continue;
        }
        EXPECT_EQ(shot.Count(item, kMagenta), 20 * 8);
        EXPECT_EQ(shot.At(right - 20, bottom - 8), kMagenta);
        EXPECT_EQ(shot.At(right - 1, bottom - 1), kMagenta);
        EXPECT_EQ(shot.At(right, bottom - 1), kWhite);
        EXPECT_EQ(shot.At(right - 1, bottom), kWhite);
    }
}

TEST_F(HeaderTest, TitlesAreCentredFromFivePixelsDownAndEndInAnEllipsisWhenTooLong) {
    const std::wstring longTitle(40, L'W');
    const struct {
        const char* name;
        int format;
        int width;
        const wchar_t* title;
        bool cut;
    } cases[] = {
        {"centred item", HDF_CENTER, 150, L"Name", false},
        {"left item", HDF_LEFT, 150, L"Name", false},
        {"right item", HDF_RIGHT, 150, L"Name", false},
        {"too long", HDF_LEFT, 80, longTitle.c_str(), true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        header.SendMessage(HDM_DELETEITEM, 0);
        AddItem(c.width, c.title, c.format);
        const Snapshot shot = Drawn();
        const RECT room{6, 0, c.width - 6, kHeaderHeight};
        const RECT text = shot.MarkedBounds(RECT{0, 0, kHeaderWidth, kHeaderHeight}, kWhite);
        SCOPED_TRACE("title at " + Describe(text));
        ASSERT_GT(text.right, text.left);
        EXPECT_GE(text.top, 5);
        EXPECT_GE(text.left, room.left);
        EXPECT_LE(text.right, room.right);
        if (!c.cut) {
            EXPECT_NEAR((text.left + text.right) / 2.0, (room.left + room.right) / 2.0, 1.0);
            continue;
        }
        // The last marks are dots: nothing in the upper half of the letters' height.
        const int middle = (text.top + text.bottom) / 2;
        EXPECT_EQ(shot.Marked(RECT{text.right - 6, text.top, text.right, middle}, kWhite), 0);
        EXPECT_GT(shot.Marked(RECT{text.right - 6, middle, text.right, text.bottom}, kWhite), 0);
        EXPECT_GT(shot.Marked(RECT{text.left, text.top, text.left + 6, middle}, kWhite), 0);
    }
}

TEST_F(HeaderTest, TitlesAreReadWholeUpToTheBufferAndCutSafelyBeyondIt) {
    const struct {
        size_t length;
        size_t read;
    } cases[] = {
        {300, 300},
        {CXHeaderCtrl::kTitleCapacity - 1, CXHeaderCtrl::kTitleCapacity - 1},
        {CXHeaderCtrl::kTitleCapacity, CXHeaderCtrl::kTitleCapacity - 1},
        {CXHeaderCtrl::kTitleCapacity + 500, CXHeaderCtrl::kTitleCapacity - 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "title of " << c.length);
        std::wstring title(c.length, L'x');
        for (size_t i = 0; i < title.size(); ++i)
            title[i] = static_cast<wchar_t>(L'a' + i % 26);
        header.SendMessage(HDM_DELETEITEM, 0);
        AddItem(100, title.c_str());
        header.painted.clear();
        Drawn();
        ASSERT_EQ(header.painted.size(), 1u);
        EXPECT_EQ(header.painted[0].title, title.substr(0, c.read));
    }
}

TEST_F(HeaderTest, AnOwnerDrawnItemGoesToDrawItemAndTheOthersToDrawHeaderItem) {
    AddItem(80, L"first");
    AddItem(80, L"drawn by the owner", HDF_OWNERDRAW);
    AddItem(80, L"third");
    Drawn();
    EXPECT_EQ(header.ownerDrawn, std::vector<UINT>{1});
    ASSERT_EQ(header.painted.size(), 2u);
    EXPECT_EQ(header.painted[0].title, L"first");
    EXPECT_EQ(header.painted[1].title, L"third");
}

TEST_F(HeaderTest, APartialRepaintBuffersAndCopiesBackThatPartOnly) {
    AddItem(200, L"first");
    AddItem(200, L"second");
    header.UpdateWindow();
    const RECT part{150, 0, 230, kHeaderHeight};
    const struct {
        const char* name;
        const RECT* invalid;
        bool doubleBuffer;
        SIZE surface;
        DWORD dcKind;
    } cases[] = {
        {"part", &part, true, {80, kHeaderHeight}, OBJ_MEMDC},
        {"whole", nullptr, true, {kHeaderWidth, kHeaderHeight}, OBJ_MEMDC},
        {"part, unbuffered", &part, false, {0, 0}, OBJ_DC},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        header.doubleBuffer = c.doubleBuffer;
        {
            wcl::CClientDC dc(header);
            dc.FillSolidRect(0, 0, kHeaderWidth, kHeaderHeight, kMagenta);
        }
        header.painted.clear();
        header.InvalidateRect(c.invalid, false);
        header.UpdateWindow();
        // Every item is painted; the platform clips.
        ASSERT_EQ(header.painted.size(), 2u);
        EXPECT_EQ(header.painted[0].dcKind, c.dcKind);
        if (c.dcKind == OBJ_MEMDC) {
            EXPECT_EQ(header.painted[0].surface.cx, c.surface.cx);
            EXPECT_EQ(header.painted[0].surface.cy, c.surface.cy);
        }
        const Snapshot shot = Snapshot::OfClient(header);
        const RECT repainted = c.invalid ? *c.invalid : RECT{0, 0, kHeaderWidth, kHeaderHeight};
        EXPECT_EQ(shot.Count(repainted, kMagenta), 0);
        EXPECT_EQ(shot.Count(RECT{0, 0, kHeaderWidth, kHeaderHeight}, kMagenta),
                  kHeaderWidth * kHeaderHeight -
                      (repainted.right - repainted.left) * (repainted.bottom - repainted.top));
    }
}

TEST_F(HeaderTest, ThePointerAndTheButtonAreTrackedAndRepaintTheHeader) {
    AddItem(100, L"first");
    header.UpdateWindow();
    header.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(10, 10));
    EXPECT_TRUE(header.mouseTracking);
    header.UpdateWindow();
    header.SendMessage(WM_MOUSEMOVE, 0, MAKELPARAM(11, 10)); // tracked: repaint
    EXPECT_TRUE(::GetUpdateRect(header.GetSafeHwnd(), nullptr, FALSE));
    header.UpdateWindow();
    EXPECT_EQ(header.SendMessage(WM_MOUSELEAVE), 0);
    EXPECT_FALSE(header.mouseTracking);
    EXPECT_TRUE(::GetUpdateRect(header.GetSafeHwnd(), nullptr, FALSE));

    header.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    EXPECT_TRUE(header.buttonDown);
    header.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
    EXPECT_FALSE(header.buttonDown);
}

TEST(HeaderHeight, APositiveHeightIsForcedOnTheHeaderAndTheRowsStartBelowIt) {
    INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&controls);
    wcl::CFont font;
    CXListCtrl list;
    ListHost host(IDD_HEADED_LIST_HOST, IDC_TEST_HEADED_LIST, list);
    ASSERT_TRUE(host.Open());
    SetUpLikeInstallPage(list, font);
    AddFileRow(list, 0, L"- Installing Tool 01");
    const auto headerHeight = [&] {
        const RECT rect = list.headerCtrl.GetWindowRect();
        return rect.bottom - rect.top;
    };
    const LONG platformHeight = headerHeight();
    ASSERT_GT(platformHeight, 0);

    const struct {
        int forced;
        LONG height;
    } cases[] = {{40, 40}, {25, 25}, {0, platformHeight}};
    int listHeight = 153;
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "headerHeight " << c.forced);
        list.headerCtrl.headerHeight = c.forced;
        list.MoveWindow(23, 115, 525, ++listHeight); // a new size lays the header out again
        EXPECT_EQ(headerHeight(), c.height);
        RECT row{};
        ASSERT_TRUE(list.GetItemRect(0, row, LVIR_BOUNDS));
        EXPECT_EQ(row.top, c.height);
    }
}

// --- The memory DC

TEST(MemDC, DrawsOffScreenInTheTargetsCoordinatesAndCopiesItsAreaBackOnly) {
    const struct {
        const char* name;
        RECT clip; // empty: none
    } cases[] = {{"whole target", RECT{}}, {"clipped target", RECT{10, 5, 30, 15}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        wcl::CClientDC screen{wcl::CWindow()};
        wcl::CCompatibleDC target(screen);
        wcl::CBitmap surface;
        surface.CreateCompatibleBitmap(screen, 40, 20);
        const auto selected = target.SelectObject(surface);
        target.FillSolidRect(0, 0, 40, 20, kWhite);
        if (c.clip.right > 0)
            ::IntersectClipRect(target.GetSafeHdc(), c.clip.left, c.clip.top, c.clip.right,
                                c.clip.bottom);
        const RECT area = c.clip.right > 0 ? c.clip : RECT{0, 0, 40, 20};
        {
            CMemDC buffer(target);
            EXPECT_TRUE(buffer.IsOffScreen());
            EXPECT_NE(buffer.GetSafeHdc(), target.GetSafeHdc());
            EXPECT_EQ(Describe(buffer.Area()), Describe(area));
            BITMAP size{};
            ::GetObjectW(::GetCurrentObject(buffer.GetSafeHdc(), OBJ_BITMAP), sizeof(size), &size);
            EXPECT_EQ(size.bmWidth, area.right - area.left);
            EXPECT_EQ(size.bmHeight, area.bottom - area.top);

            buffer.FillSolidRect(0, 0, 40, 20, kBlue);
            buffer.FillSolidRect(area.left, area.top, 1, 1, kRed);
            EXPECT_EQ(Snapshot::OfDC(target, 40, 20).Count(RECT{0, 0, 40, 20}, kWhite), 800)
                << "drawn into the target before the end";
        }
        ::SelectClipRgn(target.GetSafeHdc(), nullptr);
        const Snapshot shot = Snapshot::OfDC(target, 40, 20);
        const int areaPixels = (area.right - area.left) * (area.bottom - area.top);
        EXPECT_EQ(shot.At(area.left, area.top), kRed);
        EXPECT_EQ(shot.Count(area, kBlue), areaPixels - 1);
        EXPECT_EQ(shot.Count(RECT{0, 0, 40, 20}, kWhite), 800 - areaPixels);
    }
}

TEST(MemDC, OnlyPrintersAndMetafilesCountAsPrinterDCs) {
    wcl::CClientDC screen{wcl::CWindow()};
    wcl::CCompatibleDC memory(screen);
    HDC enhanced = ::CreateEnhMetaFileW(nullptr, nullptr, nullptr, nullptr);
    HDC windows = ::CreateMetaFileW(nullptr);
    EXPECT_FALSE(IsPrinterDC(screen.GetSafeHdc()));
    EXPECT_FALSE(IsPrinterDC(memory.GetSafeHdc()));
    EXPECT_TRUE(IsPrinterDC(enhanced));
    EXPECT_TRUE(IsPrinterDC(windows));
    ::DeleteEnhMetaFile(::CloseEnhMetaFile(enhanced));
    ::DeleteMetaFile(::CloseMetaFile(windows));
}

int CALLBACK CollectEnhancedRecord(HDC, HANDLETABLE*, const ENHMETARECORD* record, int,
                                   LPARAM types) {
    reinterpret_cast<std::vector<DWORD>*>(types)->push_back(record->iType);
    return 1;
}

int CALLBACK CollectWindowsRecord(HDC, HANDLETABLE*, METARECORD* record, int, LPARAM types) {
    reinterpret_cast<std::vector<DWORD>*>(types)->push_back(record->rdFunction);
    return 1;
}

TEST(MemDC, OverAMetafileDrawsStraightIntoItAndCopiesNothing) {
    const std::vector<DWORD> copies[] = {
        {EMR_BITBLT, EMR_STRETCHBLT, EMR_STRETCHDIBITS, EMR_SETDIBITSTODEVICE, EMR_MASKBLT},
        {META_BITBLT, META_STRETCHBLT, META_DIBBITBLT, META_DIBSTRETCHBLT, META_STRETCHDIB,
         META_SETDIBTODEV},
    };
    const struct {
        const char* name;
        std::function<HDC()> open;
        std::function<std::vector<DWORD>(HDC)> closeAndRead; // the record types
        const std::vector<DWORD>& copyRecords;
        DWORD fillRecord;
    } cases[] = {
        {"enhanced metafile",
         [] { return ::CreateEnhMetaFileW(nullptr, nullptr, nullptr, nullptr); },
         [](HDC dc) {
             std::vector<DWORD> types;
             const HENHMETAFILE file = ::CloseEnhMetaFile(dc);
             EXPECT_NE(file, nullptr) << "the metafile's DC was deleted";
             ::EnumEnhMetaFile(nullptr, file, &CollectEnhancedRecord, &types, nullptr);
             ::DeleteEnhMetaFile(file);
             return types;
         },
         copies[0], EMR_EXTTEXTOUTW},
        {"Windows metafile", [] { return ::CreateMetaFileW(nullptr); },
         [](HDC dc) {
             std::vector<DWORD> types;
             const HMETAFILE file = ::CloseMetaFile(dc);
             EXPECT_NE(file, nullptr) << "the metafile's DC was deleted";
             ::EnumMetaFile(nullptr, file, &CollectWindowsRecord, reinterpret_cast<LPARAM>(&types));
             ::DeleteMetaFile(file);
             return types;
         },
         copies[1], META_EXTTEXTOUT},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const HDC target = c.open();
        ASSERT_NE(target, nullptr);
        {
            CMemDC buffer{wcl::CDC(target)};
            EXPECT_FALSE(buffer.IsOffScreen());
            EXPECT_EQ(buffer.GetSafeHdc(), target);
            buffer.FillSolidRect(2, 2, 10, 10, kRed);
        }
        const std::vector<DWORD> types = c.closeAndRead(target);
        EXPECT_NE(std::find(types.begin(), types.end(), c.fillRecord), types.end())
            << "the drawing is not in the metafile";
        for (const DWORD copy : c.copyRecords)
            EXPECT_EQ(std::find(types.begin(), types.end(), copy), types.end())
                << "a bitmap copy, record " << copy;
    }
}

} // namespace
