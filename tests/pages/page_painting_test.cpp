// The pages' painting, probed pixel by pixel: the Welcome and Complete pages of a real frame are
// asked to erase their background into an off-screen picture, which the tests read back. Run in
// both languages (ko.* and en.*).
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/common_controls.h"
#include "app/setup_dlg.h"
#include "pages/complete_dlg.h"
#include "pages/page_painting.h"
#include "pages/welcome_dlg.h"
#include "res/resource.h"
#include "test_language.h"
#include "wcl/gdi.h"
#include "page_probe.h"
#include "window_test_support.h"

namespace {

using namespace page_test;

constexpr COLORREF kFrameBackground = RGB(236, 233, 216);

UINT ExpectedSidePicture() {
    return setup_test::IsKorean() ? IDB_SIDE_KO : IDB_SIDE_EN;
}

// A frame with its pages, not shown and not run: the pages paint all the same.
class PagePainting : public ::testing::Test {
protected:
    void SetUp() override {
        app::RegisterCommonControls();
        ASSERT_TRUE(m_frame.Create(IDD_SETUP_DIALOG));
        ASSERT_NE(m_frame.WelcomePage(), nullptr);
        ASSERT_NE(m_frame.CompletePage(), nullptr);
    }
    HWND Welcome() const { return m_frame.WelcomePage()->GetSafeHwnd(); }
    HWND Complete() const { return m_frame.CompletePage()->GetSafeHwnd(); }

    // What every Welcome and Complete page shows: white but for the side picture, which is the
    // language's picture unchanged, and white rows below the 290-row picture.
    static void ExpectWhitePageWithSidePicture(const Picture& page) {
        EXPECT_EQ(page.Count({0, kPagePictureHeight, kPageWidth, kPageHeight}, IsWhite),
                  kPageWidth * (kPageHeight - kPagePictureHeight))
            << "bottom rows";
        EXPECT_EQ(page.Count({kSidePictureWidth, 0, kTextLeft, kPagePictureHeight}, IsWhite),
                  (kTextLeft - kSidePictureWidth) * kPagePictureHeight)
            << "margin between picture and texts";
        EXPECT_EQ(page.Count({kTextLeft, 0, kPageWidth, 18}, IsWhite),
                  (kPageWidth - kTextLeft) * 18)
            << "above the title";
        const Picture side = ResourcePicture(ExpectedSidePicture());
        ASSERT_EQ(side.Width(), kSidePictureWidth);
        ASSERT_EQ(side.Height(), kSidePictureHeight);
        int differing = 0;
        for (int y = 0; y < kSidePictureHeight; ++y)
            for (int x = 0; x < kSidePictureWidth; ++x)
                differing += page.At(x, y) != side.At(x, y) ? 1 : 0;
        EXPECT_EQ(differing, 0) << "side picture";
    }

    CKestrelSetupDlg m_frame;
};

TEST(Language, IsTheOneThisRunWasStartedFor) {
    setup_test::ExpectTheLanguageOfThisRun();
}

TEST(SidePictures, DifferBetweenTheLanguages) {
    EXPECT_NE(ResourcePicture(IDB_SIDE_KO), ResourcePicture(IDB_SIDE_EN));
}

TEST_F(PagePainting, WelcomePageShowsThreeRedNoticeLinesInKoreanAndFourInEnglish) {
    const Picture page = Erase(Welcome(), kPageWidth, kPageHeight);
    ExpectWhitePageWithSidePicture(page);

    const int lines = setup_test::IsKorean() ? 3 : 4;
    constexpr int kNoticeTop = 110;
    constexpr int kLineHeight = 15;
    for (int line = 0; line < lines; ++line) {
        const int top = kNoticeTop + line * kLineHeight;
        EXPECT_GT(page.Count({kTextLeft, top, kPageWidth, top + kLineHeight}, IsRed), 20)
            << "notice line " << line;
    }
    const int noticeBottom = kNoticeTop + lines * kLineHeight;
    EXPECT_EQ(page.Count({0, 0, kPageWidth, kNoticeTop}, IsRed), 0) << "red above the notice";
    EXPECT_EQ(page.Count({0, noticeBottom, kPageWidth, kPageHeight}, IsRed), 0)
        << "red below line " << lines;

    EXPECT_GT(page.Count({kTextLeft, 20, kPageWidth, 37}, IsDark), 50) << "title";
    EXPECT_GT(page.Count({kTextLeft, 70, kPageWidth, 85}, IsDark), 30) << "second line";
    EXPECT_EQ(page.Count({kTextLeft, 37, kPageWidth, 70}, IsDark), 0);
}

TEST_F(PagePainting, CompletePageShowsItsTwoBlackTexts) {
    const Picture page = Erase(Complete(), kPageWidth, kPageHeight);
    ExpectWhitePageWithSidePicture(page);
    EXPECT_GT(page.Count({kTextLeft, 20, kPageWidth, 37}, IsDark), 50) << "title";
    EXPECT_GT(page.Count({kTextLeft, 70, kPageWidth, 85}, IsDark), 30) << "second line";
    EXPECT_EQ(page.Count({kTextLeft, 37, kPageWidth, 70}, IsDark), 0);
    EXPECT_EQ(page.Count({kTextLeft, 85, kPageWidth, kPageHeight}, IsDark), 0);
    EXPECT_EQ(page.Count({0, 0, kPageWidth, kPageHeight}, IsRed), 0);
}

TEST_F(PagePainting, EachErasePaintsThePageCompletely) {
    for (const HWND page : {Welcome(), Complete()}) {
        EXPECT_EQ(Erase(page, kPageWidth, kPageHeight, RGB(0, 0, 0)),
                  Erase(page, kPageWidth, kPageHeight, RGB(255, 0, 255)));
    }
}

TEST_F(PagePainting, FrameBackgroundIsItsOneColour) {
    const Picture frame = Erase(m_frame.GetSafeHwnd(), 582, 365);
    EXPECT_EQ(frame.Count({0, 0, 582, 365}, [](COLORREF c) { return c == kFrameBackground; }),
              582 * 365);
}

TEST_F(PagePainting, AThousandPaintsOfEachLeaveNoGdiObjectBehind) {
    const wcl::CClientDC screen{wcl::CWindow()};
    wcl::CCompatibleDC dc(screen);
    wcl::CBitmap bitmap;
    ASSERT_TRUE(bitmap.CreateCompatibleBitmap(screen, 582, 365));
    const wcl::SelectedObject selected = dc.SelectObject(bitmap);
    const auto erase = reinterpret_cast<WPARAM>(dc.GetSafeHdc());
    const int before = wcl_test::GdiObjectCount();
    for (int paint = 0; paint < 1000; ++paint) {
        ::SendMessageW(Welcome(), WM_ERASEBKGND, erase, 0);
        ::SendMessageW(Complete(), WM_ERASEBKGND, erase, 0);
        ::SendMessageW(m_frame.GetSafeHwnd(), WM_ERASEBKGND, erase, 0);
    }
    EXPECT_EQ(wcl_test::GdiObjectCount(), before);
}

TEST(DrawPageText, CutsALongTextAtTheRectanglesRightEdgeWithoutWrapping) {
    constexpr int kWidth = 700;
    constexpr int kHeight = 50;
    const wcl::CClientDC screen{wcl::CWindow()};
    wcl::CCompatibleDC dc(screen);
    wcl::CBitmap bitmap;
    ASSERT_TRUE(bitmap.CreateCompatibleBitmap(screen, kWidth, kHeight));
    {
        const wcl::SelectedObject selected = dc.SelectObject(bitmap);
        dc.FillSolidRect(0, 0, kWidth, kHeight, RGB(255, 255, 255));
        std::wstring text;
        for (int word = 0; word < 40; ++word)
            text += L"Wide MW ";
        DrawPageText(dc, text, false, RGB(0, 0, 0), 0, 15, RECT{kTextLeft, 5, kPageWidth, 300});
    }
    const Picture picture = Picture::Read(dc, bitmap, kWidth, kHeight);
    EXPECT_GT(picture.Count({kPageWidth - 40, 5, kPageWidth, 20}, IsDark), 0) << "reaches 580";
    EXPECT_EQ(picture.Count({kPageWidth, 0, kWidth, kHeight}, IsDark), 0) << "beyond 580";
    EXPECT_EQ(picture.Count({0, 21, kWidth, kHeight}, IsDark), 0) << "a second line";
}

} // namespace
