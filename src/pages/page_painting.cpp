#include "pages/page_painting.h"

#include "app/setup_dlg.h"
#include "app/wizard_keys.h"
#include "res/resource.h"

namespace {

constexpr int kBoldWeight = 956;
constexpr int kRegularWeight = FW_NORMAL;

} // namespace

void DrawPageText(const wcl::CDC& dc, std::wstring_view text, bool bold, COLORREF colour,
                  UINT format, int height, const RECT& rect) {
    wcl::CFont font;
    if (!font.CreateFont(height, 0, 0, 0, bold ? kBoldWeight : kRegularWeight, FALSE, FALSE, FALSE,
                         DEFAULT_CHARSET, OUT_CHARACTER_PRECIS, CLIP_CHARACTER_PRECIS,
                         DEFAULT_QUALITY, 0, L"Arial"))
        return;
    dc.SetBkMode(TRANSPARENT);
    dc.SetTextColor(colour);
    const wcl::SelectedObject selected = dc.SelectObject(font);
    RECT area = rect;
    dc.DrawText(text, area, format);
}

void PaintPageOffScreen(const wcl::CDC& pageDc, COLORREF below,
                        const std::function<void(const wcl::CDC& picture)>& paint) {
    {
        wcl::CCompatibleDC picture(pageDc);
        wcl::CBitmap pictureBitmap;
        if (picture.GetSafeHdc() &&
            pictureBitmap.CreateCompatibleBitmap(pageDc, kPageWidth, kPagePictureHeight)) {
            const wcl::SelectedObject selected = picture.SelectObject(pictureBitmap);
            paint(picture);
            pageDc.BitBlt(0, 0, kPageWidth, kPagePictureHeight, picture, 0, 0, SRCCOPY);
        }
    }
    // The copy reads only the picture's rows; the page's last rows are filled here.
    pageDc.FillSolidRect(RECT{0, kPagePictureHeight, kPageWidth, kPageHeight}, below);
}

void PaintPictureAndTexts(const wcl::CDC& pageDc, const wcl::CBitmap& sidePicture,
                          std::span<const PageText> texts) {
    PaintPageOffScreen(pageDc, kPageWhite, [&](const wcl::CDC& picture) {
        const wcl::CBrush white(kPageWhite);
        picture.FillRect(RECT{0, 0, kPageWidth, kPagePictureHeight}, white);
        {
            // ANDed with the picture DC's default white brush: the side picture unchanged.
            wcl::CCompatibleDC side(pageDc);
            const wcl::SelectedObject selectedSide = side.SelectObject(sidePicture);
            if (selectedSide)
                picture.BitBlt(0, 0, kSidePictureWidth, kSidePictureHeight, side, 0, 0, MERGECOPY);
        }
        for (const PageText& text : texts)
            DrawPageText(picture, text.text, text.bold, text.colour, 0, text.height,
                         RECT{kTextLeft, text.top, kPageWidth, kPageHeight});
    });
}

UINT SidePictureId(int langId) {
    return langId == kKoreanLangId ? IDB_SIDE_KO : IDB_SIDE_EN;
}

void PlacePage(const wcl::CWindow& page) {
    page.MoveWindow(0, 0, kPageWidth, kPageHeight, true);
}

bool FilterPageKey(const MSG& msg) {
    if (msg.message != WM_KEYDOWN)
        return false;
    if (IsIgnoredWizardKey(msg.wParam))
        return true;
    if (msg.wParam != VK_RETURN)
        return false;
    if (const CKestrelSetupDlg* frame = g_pSetupDlg.load())
        ClickIfEnabled(frame->NextButton().GetSafeHwnd());
    return true;
}
