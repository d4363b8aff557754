// The Install page of a real frame, not shown: its painting probed pixel by pixel in both
// languages (ko.* and en.*), the status line, and the places and set-up of its two controls.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <string>
#include <utility>

#include "app/common_controls.h"
#include "app/setup_dlg.h"
#include "page_probe.h"
#include "pages/install_dlg.h"
#include "pages/page_painting.h"
#include "res/resource.h"
#include "test_language.h"
#include "wcl/gdi.h"
#include "wcl/text.h"
#include "window_test_support.h"

namespace {

using namespace page_test;

constexpr COLORREF kBackground = RGB(236, 233, 216);
constexpr COLORREF kLine = RGB(172, 168, 153);
constexpr int kLogoLeft = 430;

bool IsBackground(COLORREF colour) {
    return colour == kBackground;
}
bool IsLine(COLORREF colour) {
    return colour == kLine;
}
bool IsSentinel(COLORREF colour) {
    return colour == kSentinel;
}

// The area of a child window in its parent's client coordinates, as "left,top right,bottom".
std::string PlaceInParent(HWND window) {
    RECT rect{};
    ::GetWindowRect(window, &rect);
    ::MapWindowPoints(HWND_DESKTOP, ::GetParent(window), reinterpret_cast<POINT*>(&rect), 2);
    return std::to_string(rect.left) + "," + std::to_string(rect.top) + " " +
           std::to_string(rect.right) + "," + std::to_string(rect.bottom);
}

class InstallPage : public ::testing::Test {
protected:
    void SetUp() override {
        app::RegisterCommonControls();
        ASSERT_TRUE(m_frame.Create(IDD_SETUP_DIALOG));
        ASSERT_NE(m_frame.InstallPage(), nullptr);
    }
    CInstallDlg& Page() const { return *m_frame.InstallPage(); }
    Picture Paint() const { return Erase(Page().GetSafeHwnd(), kPageWidth, kPageHeight); }

    CKestrelSetupDlg m_frame;
};

TEST_F(InstallPage, BandLinesAndBackgroundCoverThePageWithoutStatus) {
    const Picture page = Paint();
    EXPECT_EQ(page.Count({0, 0, kPageWidth, kPageHeight}, IsSentinel), 0) << "unpainted pixels";
    EXPECT_EQ(page.Count({0, 0, kLogoLeft, 7}, IsWhite), kLogoLeft * 7) << "band above the title";
    EXPECT_EQ(page.Count({0, 40, kLogoLeft, 57}, IsWhite), kLogoLeft * 17) << "band below texts";
    EXPECT_EQ(page.Count({0, 57, kPageWidth, 58}, IsLine), kPageWidth) << "grey row 57";
    EXPECT_EQ(page.Count({0, 58, kPageWidth, 59}, IsWhite), kPageWidth) << "white row 58";
    EXPECT_EQ(page.Count({0, 59, kPageWidth, 60}, IsLine), kPageWidth) << "pen line row 59";
    // Without a status text everything between the line and the company name is background,
    // and so are the rows below the off-screen picture.
    EXPECT_EQ(page.Count({0, 60, kPageWidth, 275}, IsBackground), kPageWidth * 215);
    EXPECT_EQ(page.Count({0, kPagePictureHeight, kPageWidth, kPageHeight}, IsBackground),
              kPageWidth * (kPageHeight - kPagePictureHeight))
        << "rows below the picture";
}

TEST_F(InstallPage, LogoIsResource136Unchanged) {
    const Picture page = Paint();
    const Picture logo = ResourcePicture(IDB_LOGO);
    ASSERT_EQ(logo.Width(), 150);
    ASSERT_EQ(logo.Height(), 57);
    int differing = 0;
    for (int y = 0; y < logo.Height(); ++y)
        for (int x = 0; x < logo.Width(); ++x)
            differing += page.At(kLogoLeft + x, y) != logo.At(x, y) ? 1 : 0;
    EXPECT_EQ(differing, 0);
}

// The band left of the logo is exactly white with the language's title and subtitle drawn in.
TEST_F(InstallPage, TitleAndSubtitleAreTheLanguagesTexts) {
    const Picture page = Paint();
    const std::wstring title = setup_test::IsKorean() ? L"설치중" : L"Installing";
    const std::wstring subtitle = setup_test::IsKorean() ? L"설치중입니다. 잠시만 기다려주세요."
                                                         : L"Installing. Please wait.";
    const wcl::CClientDC screen{wcl::CWindow()};
    wcl::CCompatibleDC dc(screen);
    wcl::CBitmap bitmap;
    ASSERT_TRUE(bitmap.CreateCompatibleBitmap(screen, kPageWidth, kPageHeight));
    {
        const wcl::SelectedObject selected = dc.SelectObject(bitmap);
        dc.FillSolidRect(0, 0, kPageWidth, kPageHeight, RGB(255, 255, 255));
        DrawPageText(dc, title, true, RGB(0, 0, 0), 0, 15, RECT{18, 7, kPageWidth, kPageHeight});
        DrawPageText(dc, subtitle, false, RGB(0, 0, 0), 0, 15,
                     RECT{23, 25, kPageWidth, kPageHeight});
    }
    const Picture expected = Picture::Read(dc, bitmap, kPageWidth, kPageHeight);
    int differing = 0;
    for (int y = 0; y < 57; ++y)
        for (int x = 0; x < kLogoLeft; ++x)
            differing += page.At(x, y) != expected.At(x, y) ? 1 : 0;
    EXPECT_EQ(differing, 0);
    EXPECT_GT(page.Count({18, 7, kLogoLeft, 22}, IsDark), 30) << "title";
    EXPECT_GT(page.Count({23, 25, kLogoLeft, 40}, IsDark), 30) << "subtitle";
}

TEST_F(InstallPage, CompanyNameAndLineAreEngraved) {
    const Picture page = Paint();
    const RECT name{13, 275, 135, 290};
    EXPECT_GT(page.Count(name, IsLine), 30) << "grey name";
    EXPECT_GT(page.Count(name, IsWhite), 10) << "white name below it";
    EXPECT_EQ(page.Count({135, 283, 567, 284}, IsLine), 432) << "grey line";
    EXPECT_EQ(page.Count({135, 284, 567, 285}, IsWhite), 432) << "white line";
    // The name reaches a little into the line's first pixels; right of it lies background.
    EXPECT_EQ(page.At(567, 283), kBackground);
    EXPECT_EQ(page.At(567, 284), kBackground);
    EXPECT_EQ(page.Count({150, 275, kPageWidth, 283}, IsBackground), (kPageWidth - 150) * 8);
    EXPECT_EQ(page.Count({150, 285, kPageWidth, 290}, IsBackground), (kPageWidth - 150) * 5);
}

TEST_F(InstallPage, StatusTextIsDrawnOnceSetAndCutAtThePagesEdge) {
    EXPECT_EQ(Paint().Count({0, 60, kPageWidth, 95}, IsDark), 0) << "no status yet";

    Page().SetStatusText(L"Install ( 3 / 5 )");
    const Picture shortStatus = Paint();
    EXPECT_GT(shortStatus.Count({23, 74, 200, 90}, IsDark), 30);
    EXPECT_EQ(shortStatus.Count({0, 60, 23, 95}, IsDark), 0) << "left of the status";
    EXPECT_EQ(shortStatus.Count({200, 60, kPageWidth, 95}, IsDark), 0) << "right of it";

    Page().SetStatusText(L"");
    EXPECT_EQ(Paint(), shortStatus) << "an empty text leaves the status as it was";

    std::wstring longText;
    for (int word = 0; word < 40; ++word)
        longText += L"Wide MW ";
    Page().SetStatusText(longText);
    constexpr int kWide = 700;
    const Picture wide = Erase(Page().GetSafeHwnd(), kWide, kPageHeight);
    EXPECT_GT(wide.Count({kPageWidth - 40, 74, kPageWidth, 90}, IsDark), 0) << "reaches 580";
    EXPECT_EQ(wide.Count({kPageWidth, 0, kWide, kPageHeight}, IsSentinel),
              (kWide - kPageWidth) * kPageHeight)
        << "nothing beyond the page";
    EXPECT_EQ(wide.Count({0, 90, kPageWidth, 275}, IsDark), 0) << "not wrapped";
}

// A status change repaints only the status area; an unchanged or empty text repaints nothing.
TEST_F(InstallPage, StatusChangeRepaintsTheStatusArea) {
    const HWND page = Page().GetSafeHwnd();
    m_frame.ShowWindow(SW_SHOWNOACTIVATE);
    ::ShowWindow(page, SW_SHOWNOACTIVATE);
    const auto repainted = [page] {
        RECT area{};
        ::GetUpdateRect(page, &area, FALSE);
        return std::to_string(area.left) + "," + std::to_string(area.top) + " " +
               std::to_string(area.right) + "," + std::to_string(area.bottom);
    };
    const std::pair<const wchar_t*, const char*> cases[] = {
        {L"Check Program Version Informaition", "23,74 500,95"},
        {L"Check Program Version Informaition", "0,0 0,0"},
        {L"", "0,0 0,0"},
        {L"Install ( 3 / 5 )", "23,74 500,95"},
    };
    for (const auto& [text, area] : cases) {
        ::ValidateRect(page, nullptr);
        Page().SetStatusText(text);
        EXPECT_EQ(repainted(), area) << "after \"" << wcl::Utf16ToUtf8(text) << "\"";
    }
    m_frame.ShowWindow(SW_HIDE);
}

// A status set before the page has its window is kept for its first paint, and repaints no
// window of the desktop (which a request for a null window would).
TEST(InstallPageBeforeItsWindow, KeepsTheStatusAndRepaintsNoOtherWindow) {
    wcl::CWnd bystander;
    ASSERT_TRUE(bystander.CreateEx(0, L"STATIC", L"bystander", WS_POPUP | WS_VISIBLE,
                                   RECT{0, 0, 200, 100}, nullptr, 0));
    bystander.UpdateWindow();
    wcl_test::PumpWaitingMessages();
    ASSERT_FALSE(::GetUpdateRect(bystander.GetSafeHwnd(), nullptr, FALSE));

    CInstallDlg page;
    page.SetStatusText(L"Install Start");

    EXPECT_EQ(page.StatusText(), L"Install Start");
    EXPECT_FALSE(::GetUpdateRect(bystander.GetSafeHwnd(), nullptr, FALSE))
        << "another window was asked to repaint";
}

TEST_F(InstallPage, PageAndControlsLieAtTheirPlaces) {
    EXPECT_EQ(PlaceInParent(Page().GetSafeHwnd()), "0,0 580,300");
    EXPECT_EQ(PlaceInParent(Page().OverallProgress().GetSafeHwnd()), "23,95 548,109");
    EXPECT_EQ(PlaceInParent(Page().FileList().GetSafeHwnd()), "23,115 548,268");
    EXPECT_EQ(Page().OverallProgress().GetDlgCtrlID(), IDC_PROGRESS);
    EXPECT_EQ(Page().FileList().GetDlgCtrlID(), IDC_FILE_LIST);
}

TEST_F(InstallPage, ListHasTwoColumnsOf30And65PercentAndNoHeader) {
    const HWND list = Page().FileList().GetSafeHwnd();
    EXPECT_EQ(Page().FileList().GetColumns(), 2);
    EXPECT_EQ(::SendMessageW(list, LVM_GETCOLUMNWIDTH, 0, 0), 157);
    EXPECT_EQ(::SendMessageW(list, LVM_GETCOLUMNWIDTH, 1, 0), 341);
    EXPECT_NE(::GetWindowLongPtrW(list, GWL_STYLE) & LVS_NOCOLUMNHEADER, 0);
    const HWND header = Page().FileList().GetHeaderCtrl();
    if (header) {
        RECT rect{};
        ::GetWindowRect(header, &rect);
        EXPECT_TRUE(!::IsWindowVisible(header) || rect.bottom == rect.top) << "header shown";
    }
}

TEST_F(InstallPage, ListCellsAreDrawnInEightPointArial) {
    {
        const wcl::CClientDC screen{wcl::CWindow()};
        ASSERT_EQ(screen.GetDeviceCaps(LOGPIXELSY), 96) << "the test prefix runs at 96 dpi";
    }
    ASSERT_TRUE(Page().ListFont());
    EXPECT_EQ(Page().FileList().drawFont, Page().ListFont().GetSafeHandle());
    LOGFONTW font{};
    ASSERT_EQ(::GetObjectW(Page().ListFont().GetSafeHandle(), sizeof(font), &font),
              static_cast<int>(sizeof(font)));
    EXPECT_EQ(font.lfHeight, -11);
    EXPECT_EQ(font.lfWeight, FW_NORMAL);
    EXPECT_FALSE(font.lfItalic);
    EXPECT_STREQ(font.lfFaceName, L"Arial");
}

TEST_F(InstallPage, OverallBarIsOneEmptyBlockInProgressMode) {
    const CBusyProgressCtrl& bar = Page().OverallProgress();
    EXPECT_EQ(bar.mode.load(), CBusyProgressCtrl::kModeProgress);
    EXPECT_EQ(bar.blockCount.load(), 1);
    EXPECT_EQ(bar.position.load(), 0);
    EXPECT_EQ(bar.rangeLow, 0);
    EXPECT_EQ(bar.rangeHigh, 100);
    EXPECT_EQ(bar.period.load(), 100);
    EXPECT_FALSE(bar.running.load()) << "no animation";
    EXPECT_EQ(bar.blockColour, RGB(222, 233, 243));
    EXPECT_EQ(bar.filledColour, RGB(155, 173, 213));
    EXPECT_EQ(bar.backgroundColour, RGB(255, 255, 255));
    EXPECT_EQ(bar.blockBorderColour, RGB(155, 173, 213));
    EXPECT_EQ(bar.filledBorderColour, RGB(50, 90, 135));
    EXPECT_EQ(bar.clientRect.right - bar.clientRect.left, 525) << "blocks laid out on its size";
}

TEST_F(InstallPage, UpdateClientReportsToThePage) {
    ASSERT_NE(Page().Client(), nullptr);
    EXPECT_EQ(Page().Client()->notifyWnd, Page().GetSafeHwnd());
}

TEST_F(InstallPage, AThousandPaintsLeaveNoGdiObjectBehind) {
    Page().SetStatusText(L"Check Program Version Informaition");
    const wcl::CClientDC screen{wcl::CWindow()};
    wcl::CCompatibleDC dc(screen);
    wcl::CBitmap bitmap;
    ASSERT_TRUE(bitmap.CreateCompatibleBitmap(screen, kPageWidth, kPageHeight));
    const wcl::SelectedObject selected = dc.SelectObject(bitmap);
    const auto erase = reinterpret_cast<WPARAM>(dc.GetSafeHdc());
    const int before = wcl_test::GdiObjectCount();
    for (int paint = 0; paint < 1000; ++paint)
        ::SendMessageW(Page().GetSafeHwnd(), WM_ERASEBKGND, erase, 0);
    EXPECT_EQ(wcl_test::GdiObjectCount(), before);
}

} // namespace
