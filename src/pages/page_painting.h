// What the wizard's pages share: their place in the frame, the language rule, the one routine
// that draws every page text, the off-screen painting of every page and the Welcome and Complete
// pages' picture with its side picture, and the key filter every page puts in front of its own
// processing.
#pragma once

#include <windows.h>

#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "wcl/gdi.h"
#include "wcl/window.h"

// The system default language that selects Korean texts and pictures; every other is English.
inline constexpr int kKoreanLangId = 1042;

// Each page lies at (0, 0) of the frame's client area, above the button row.
inline constexpr int kPageWidth = 580;
inline constexpr int kPageHeight = 300;
// The off-screen picture of a page has fewer rows than the page; the rest stays white.
inline constexpr int kPagePictureHeight = 290;
// The side picture at the left of the Welcome and Complete pages; texts start at kTextLeft.
inline constexpr int kSidePictureWidth = 177;
inline constexpr int kSidePictureHeight = 290;
inline constexpr int kTextLeft = 195;

inline constexpr COLORREF kPageWhite = RGB(255, 255, 255);
inline constexpr COLORREF kPageBlack = RGB(0, 0, 0);
inline constexpr COLORREF kNoticeRed = RGB(255, 0, 0);

// Draws one page text in Arial of the given cell height (weight 956 when bold) with a
// transparent background, into the rectangle, clipped at its edges. A font that cannot be
// created leaves the text out.
void DrawPageText(const wcl::CDC& dc, std::wstring_view text, bool bold, COLORREF colour,
                  UINT format, int height, const RECT& rect);

// Puts a page together off screen: `paint` draws the page's first kPagePictureHeight rows into a
// picture, which is copied to the page in one go, so the page never shows half drawn. The rows
// below the picture are filled with `below`, also when no picture could be made.
void PaintPageOffScreen(const wcl::CDC& pageDc, COLORREF below,
                        const std::function<void(const wcl::CDC& picture)>& paint);

// One text of the Welcome or Complete page: drawn at (kTextLeft, top) up to (kPageWidth,
// kPageHeight), on one line, format 0.
struct PageText {
    std::wstring text;
    int top;
    int height;
    bool bold;
    COLORREF colour;
};

// Paints a Welcome or Complete page: a white picture with the side picture at its left and the
// texts, put together off screen and copied to the page in one go; the rows below the picture
// are white.
void PaintPictureAndTexts(const wcl::CDC& pageDc, const wcl::CBitmap& sidePicture,
                          std::span<const PageText> texts);

// The side picture resource for the language.
UINT SidePictureId(int langId);

// Puts the page at its place in the frame.
void PlacePage(const wcl::CWindow& page);

// The key filter of every page: Esc, Ctrl+Break, Space and F1 do nothing; Enter clicks the
// frame's Next while Next is enabled. true when the key is swallowed.
bool FilterPageKey(const MSG& msg);
