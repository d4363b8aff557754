// Device contexts and GDI objects: every owner releases its object, a selection puts back what it
// replaced, the drawing operations draw where they are told, and a thousand paints of a window
// painted like the setup's pages leave the process with as many GDI objects as before.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "test_resources.h"
#include "wcl/dialog.h"
#include "wcl/gdi.h"
#include "window_test_support.h"

namespace {

using wcl_test::GdiObjectCount;

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);

TEST(GdiObjectCount, SeesObjectsComeAndGo) {
    const int before = GdiObjectCount();
    {
        std::vector<wcl::CBrush> brushes(10);
        for (wcl::CBrush& brush : brushes)
            ASSERT_TRUE(brush.CreateSolidBrush(kRed));
        EXPECT_EQ(GdiObjectCount(), before + 10);
    }
    EXPECT_EQ(GdiObjectCount(), before);
}

struct Made {
    HGDIOBJ handle;
    DWORD typeWhileOwned;
};

TEST(GdiOwners, EachOwnerReleasesItsObjectWhenItEnds) {
    const wcl::CDC screen;
    const struct {
        const char* name;
        DWORD type;
        std::function<Made()> make;
    } cases[] = {
        {"brush", OBJ_BRUSH,
         [] {
             wcl::CBrush brush(kRed);
             return Made{brush.GetSafeHandle(), ::GetObjectType(brush.GetSafeHandle())};
         }},
        {"pen", OBJ_PEN,
         [] {
             wcl::CPen pen(PS_SOLID, 1, kRed);
             return Made{pen.GetSafeHandle(), ::GetObjectType(pen.GetSafeHandle())};
         }},
        {"font", OBJ_FONT,
         [] {
             wcl::CFont font;
             font.CreateFont(15, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET, OUT_CHARACTER_PRECIS,
                             CLIP_CHARACTER_PRECIS, DEFAULT_QUALITY, 0, L"Arial");
             return Made{font.GetSafeHandle(), ::GetObjectType(font.GetSafeHandle())};
         }},
        {"font from a description", OBJ_FONT,
         [] {
             LOGFONTW description{};
             description.lfHeight = -11;
             wcscpy(description.lfFaceName, L"Arial");
             wcl::CFont font;
             font.CreateFontIndirect(description);
             return Made{font.GetSafeHandle(), ::GetObjectType(font.GetSafeHandle())};
         }},
        {"compatible bitmap", OBJ_BITMAP,
         [&] {
             wcl::CBitmap bitmap;
             bitmap.CreateCompatibleBitmap(wcl::CClientDC(wcl::CWindow()), 8, 8);
             return Made{bitmap.GetSafeHandle(), ::GetObjectType(bitmap.GetSafeHandle())};
         }},
        {"bitmap resource", OBJ_BITMAP,
         [] {
             wcl::CBitmap bitmap;
             bitmap.LoadBitmap(IDB_TEST_PICTURE);
             return Made{bitmap.GetSafeHandle(), ::GetObjectType(bitmap.GetSafeHandle())};
         }},
        {"memory DC", OBJ_MEMDC,
         [&] {
             wcl::CCompatibleDC dc(screen);
             return Made{dc.GetSafeHdc(), ::GetObjectType(dc.GetSafeHdc())};
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Made made = c.make();
        EXPECT_NE(made.handle, nullptr);
        EXPECT_EQ(made.typeWhileOwned, c.type);
        EXPECT_EQ(::GetObjectType(made.handle), 0u);
    }
}

TEST(GdiOwners, DeleteObjectReleasesEarlyAndOnlyOnce) {
    const int before = GdiObjectCount();
    wcl::CPen pen(PS_SOLID, 1, kRed);
    const HPEN handle = pen.GetSafeHandle();
    EXPECT_TRUE(pen.DeleteObject());
    EXPECT_EQ(::GetObjectType(handle), 0u);
    EXPECT_FALSE(pen);
    EXPECT_FALSE(pen.DeleteObject());
    ASSERT_TRUE(pen.CreatePen(PS_DASH, 1, kBlue)); // a new object in the same owner
    EXPECT_EQ(GdiObjectCount(), before + 1);
}

TEST(GdiOwners, ASelectionPutsBackWhatItReplaced) {
    wcl::CCompatibleDC dc{wcl::CDC()};
    const HDC hdc = dc.GetSafeHdc();
    const struct {
        const char* name;
        UINT kind;
        std::function<HGDIOBJ(std::function<void(HGDIOBJ)>)> selectAndRun;
    } cases[] = {
        {"bitmap", OBJ_BITMAP,
         [&](auto during) {
             wcl::CBitmap bitmap;
             bitmap.CreateCompatibleBitmap(dc, 4, 4);
             const auto selected = dc.SelectObject(bitmap);
             during(bitmap.GetSafeHandle());
             return static_cast<HGDIOBJ>(bitmap.GetSafeHandle());
         }},
        {"pen", OBJ_PEN,
         [&](auto during) {
             wcl::CPen pen(PS_SOLID, 1, kRed);
             const auto selected = dc.SelectObject(pen);
             during(pen.GetSafeHandle());
             return static_cast<HGDIOBJ>(pen.GetSafeHandle());
         }},
        {"font", OBJ_FONT,
         [&](auto during) {
             wcl::CFont font;
             font.CreateFont(12, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0, 0, 0,
                             L"Arial");
             const auto selected = dc.SelectObject(font);
             during(font.GetSafeHandle());
             return static_cast<HGDIOBJ>(font.GetSafeHandle());
         }},
        {"stock brush", OBJ_BRUSH,
         [&](auto during) {
             const auto selected = dc.SelectStockObject(BLACK_BRUSH);
             during(::GetStockObject(BLACK_BRUSH));
             return ::GetStockObject(BLACK_BRUSH);
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const HGDIOBJ original = ::GetCurrentObject(hdc, c.kind);
        HGDIOBJ currentWhileSelected = nullptr;
        const HGDIOBJ object = c.selectAndRun(
            [&](HGDIOBJ) { currentWhileSelected = ::GetCurrentObject(hdc, c.kind); });
        EXPECT_EQ(currentWhileSelected, object);
        EXPECT_EQ(::GetCurrentObject(hdc, c.kind), original);
    }
}

// A surface of 40 x 20 pixels in a memory DC, for probing what the operations drew.
class Surface {
public:
    Surface() : m_dc(wcl::CDC()) {
        m_bitmap.CreateCompatibleBitmap(wcl::CClientDC(wcl::CWindow()), 40, 20);
        m_selected = m_dc.SelectObject(m_bitmap);
        m_dc.FillSolidRect(RECT{0, 0, 40, 20}, kWhite);
    }
    const wcl::CDC& dc() const { return m_dc; }
    COLORREF At(int x, int y) const { return ::GetPixel(m_dc.GetSafeHdc(), x, y); }
    int Marked(int left, int top, int right, int bottom) const {
        int marked = 0;
        for (int y = top; y < bottom; ++y)
            for (int x = left; x < right; ++x)
                marked += At(x, y) != kWhite;
        return marked;
    }

private:
    wcl::CBitmap m_bitmap;
    wcl::CCompatibleDC m_dc;
    wcl::SelectedObject m_selected;
};

struct Probe {
    int x;
    int y;
    COLORREF colour;
};

TEST(DrawingOperations, DrawWhereTheyAreTold) {
    Surface surface;
    const wcl::CDC& dc = surface.dc();

    dc.FillSolidRect(2, 2, 4, 3, kRed);
    dc.FillRect(RECT{2, 10, 6, 14}, wcl::CBrush(kGreen));
    dc.Draw3dRect(RECT{10, 2, 16, 8}, kBlue, kGreen);
    {
        wcl::CPen pen(PS_SOLID, 0, kBlack);
        const auto selected = dc.SelectObject(pen);
        dc.MoveTo(20, 10);
        dc.LineTo(30, 10);
    }
    wcl::CBitmap picture;
    ASSERT_TRUE(picture.LoadBitmap(IDB_TEST_PICTURE));
    BITMAP info{};
    ASSERT_TRUE(picture.GetBitmap(info));
    EXPECT_EQ(info.bmWidth, 6);
    EXPECT_EQ(info.bmHeight, 4);
    {
        wcl::CCompatibleDC source(dc);
        const auto selected = source.SelectObject(picture);
        // MERGECOPY ANDs the picture with the white brush of a fresh DC: it arrives unchanged.
        EXPECT_TRUE(dc.BitBlt(32, 0, 6, 4, source, 0, 0, MERGECOPY));
    }

    const Probe probes[] = {
        {2, 2, kRed},     {5, 4, kRed},     {6, 2, kWhite},   {2, 5, kWhite}, // solid fill
        {2, 10, kGreen},  {5, 13, kGreen},  {6, 13, kWhite},                  // brush fill
        {10, 2, kBlue},   {14, 2, kBlue},   {10, 6, kBlue},                   // frame, top left
        {15, 2, kGreen},  {10, 7, kGreen},  {15, 7, kGreen},                  // frame, bottom right
        {12, 4, kWhite},                                                      // inside the frame
        {20, 10, kBlack}, {29, 10, kBlack}, {30, 10, kWhite},                 // line, end left out
        {32, 0, kRed},    {37, 0, kBlue},   {32, 3, kGreen},  {38, 0, kWhite}, // picture
    };
    for (const Probe& p : probes) {
        SCOPED_TRACE(std::to_string(p.x) + "," + std::to_string(p.y));
        EXPECT_EQ(surface.At(p.x, p.y), p.colour);
    }
}

TEST(DrawingOperations, TextIsCutAtItsRectangle) {
    Surface surface;
    const wcl::CDC& dc = surface.dc();
    wcl::CFont font;
    ASSERT_TRUE(font.CreateFont(15, 0, 0, 0, FW_BOLD, 0, 0, 0, DEFAULT_CHARSET,
                                OUT_CHARACTER_PRECIS, CLIP_CHARACTER_PRECIS, DEFAULT_QUALITY, 0,
                                L"Arial"));
    const auto selected = dc.SelectObject(font);
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(kRed);
    RECT rect{2, 2, 12, 20};
    dc.DrawText(L"WWWWWWWW", rect, 0);
    EXPECT_GT(surface.Marked(2, 2, 12, 20), 0);
    EXPECT_EQ(surface.Marked(12, 0, 40, 20), 0);
}

// A window painted the way the setup's pages are: off-screen picture, side picture copied in,
// texts with a new font each, a pen line straight on the window, and a look through window DCs.
class PaintingWindow : public wcl_test::ScriptedDialog {
public:
    PaintingWindow() : ScriptedDialog(IDD_TEST_FRAME) {}
    int erases = 0;
    int paints = 0;
    bool leakABrushPerPaint = false;
    std::vector<wcl::CBrush> leaked;

protected:
    bool OnInitDialog() override {
        m_picture.LoadBitmap(IDB_TEST_PICTURE);
        return ScriptedDialog::OnInitDialog();
    }
    const wcl::MessageMap& GetMessageMap() const override {
        static constexpr wcl::MessageEntry entries[] = {
            wcl::MapMessage<WM_ERASEBKGND, &PaintingWindow::OnEraseBkgnd>(),
            wcl::MapMessage<WM_PAINT, &PaintingWindow::OnPaint>(),
        };
        static const wcl::MessageMap map(ScriptedDialog::GetMessageMap(), entries);
        return map;
    }

private:
    bool OnEraseBkgnd(wcl::CDC& dc) {
        ++erases;
        wcl::CCompatibleDC offScreen(dc);
        wcl::CBitmap buffer;
        buffer.CreateCompatibleBitmap(dc, 580, 290);
        const auto selectedBuffer = offScreen.SelectObject(buffer);
        offScreen.FillSolidRect(RECT{0, 0, 580, 290}, kWhite);
        {
            wcl::CCompatibleDC pictureDC(dc);
            const auto selectedPicture = pictureDC.SelectObject(m_picture);
            offScreen.BitBlt(0, 0, 6, 4, pictureDC, 0, 0, MERGECOPY);
        }
        DrawLabel(offScreen, L"Install", true, kBlack, RECT{195, 20, 580, 300});
        DrawLabel(offScreen, L"A red notice line", false, kRed, RECT{195, 110, 580, 300});
        offScreen.FillRect(RECT{0, 280, 580, 290}, wcl::CBrush(RGB(236, 233, 216)));
        dc.BitBlt(0, 0, 580, 300, offScreen, 0, 0, SRCCOPY);
        if (leakABrushPerPaint)
            leaked.emplace_back(kGreen);
        return true;
    }
    void DrawLabel(const wcl::CDC& dc, const wchar_t* text, bool bold, COLORREF colour, RECT rect) {
        wcl::CFont font;
        if (!font.CreateFont(bold ? 17 : 15, 0, 0, 0, bold ? 956 : 400, 0, 0, 0, DEFAULT_CHARSET,
                             OUT_CHARACTER_PRECIS, CLIP_CHARACTER_PRECIS, DEFAULT_QUALITY, 0,
                             L"Arial"))
            return;
        dc.SetBkMode(TRANSPARENT);
        dc.SetTextColor(colour);
        const auto selected = dc.SelectObject(font);
        dc.DrawText(text, rect, 0);
    }
    void OnPaint() {
        ++paints;
        wcl::CPaintDC dc(*this);
        wcl::CPen pen(PS_SOLID, 0, RGB(172, 168, 153));
        const auto selected = dc.SelectObject(pen);
        dc.MoveTo(0, 59);
        dc.LineTo(580, 59);
        wcl::CClientDC client(*this);
        wcl::CWindowDC whole(*this);
        m_dpi = client.GetDeviceCaps(LOGPIXELSY) + whole.GetDeviceCaps(LOGPIXELSY);
    }

    wcl::CBitmap m_picture;
    int m_dpi = 0;
};

int PaintTimes(PaintingWindow& window, int times) {
    for (int i = 0; i < times; ++i)
        window.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    return window.paints;
}

TEST(Painting, AThousandPaintsLeaveNoGdiObjectBehind) {
    PaintingWindow window;
    ASSERT_TRUE(window.Create(IDD_TEST_FRAME));
    window.ShowWindow(SW_SHOWNA);
    PaintTimes(window, 1); // the window's DCs come into being on its first paint
    window.paints = window.erases = 0;

    const int before = GdiObjectCount();
    EXPECT_EQ(PaintTimes(window, 1000), 1000);
    EXPECT_EQ(window.erases, 1000);
    EXPECT_EQ(GdiObjectCount(), before);
    // Every painting ended (EndPaint), so nothing is left to paint.
    EXPECT_FALSE(::GetUpdateRect(window.GetSafeHwnd(), nullptr, FALSE));
}

TEST(Painting, TheCountCatchesAPaintThatKeepsOneObject) {
    PaintingWindow window;
    ASSERT_TRUE(window.Create(IDD_TEST_FRAME));
    window.ShowWindow(SW_SHOWNA);
    PaintTimes(window, 1);
    window.leakABrushPerPaint = true;
    window.leaked.reserve(1000);

    const int before = GdiObjectCount();
    PaintTimes(window, 1000);
    EXPECT_EQ(GdiObjectCount(), before + 1000);
}

} // namespace
