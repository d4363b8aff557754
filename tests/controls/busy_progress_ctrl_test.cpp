// The busy indicator's painting and operations, on real windows under Wine: created as a static
// control, bound to a progress bar (the Install page's own template included), painted for
// WM_PRINTCLIENT into a memory DC and on screen through its off-screen buffer; every check reads
// pixels back.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "control_test_support.h"
#include "controls/busy_progress_ctrl.h"
#include "res/resource.h"
#include "wcl/dialog.h"
#include "wcl/window_test_support.h"

namespace {

using controls_test::HostWindow;
using controls_test::OnScreen;
using controls_test::Pixels;
using controls_test::PrintClient;
using controls_test::RunsOfRow;

constexpr COLORREF kBlockInside = RGB(160, 190, 220);
constexpr COLORREF kBlockOutline = RGB(50, 90, 135);
constexpr COLORREF kFilledInside = RGB(190, 220, 255);
constexpr COLORREF kMarkedOutline = RGB(200, 0, 0); // a filled outline told apart from an empty one
constexpr COLORREF kMagenta = RGB(255, 0, 255);
constexpr int kHeight = 14;
constexpr int kMiddle = kHeight / 2;

COLORREF ButtonFace() {
    return ::GetSysColor(COLOR_BTNFACE);
}

struct Block {
    int left;
    int right; // one past the last pixel
};

// Width 210: ten blocks of exactly 20 pixels with 1-pixel gaps, the last ending at 209.
std::vector<Block> BlocksOf210() {
    std::vector<Block> blocks;
    for (int i = 0; i < 10; ++i)
        blocks.push_back({21 * i, 21 * i + 20});
    return blocks;
}

// Width 105: blocks of 9.5 pixels; each edge truncated on its own gives 9 and 10 in turn.
const std::vector<Block> kBlocksOf105 = {{0, 9},   {10, 20}, {21, 30}, {31, 41}, {42, 51},
                                         {52, 62}, {63, 72}, {73, 83}, {84, 93}, {94, 104}};

// The runs of a row through empty blocks: outline, inside, outline, and the background between
// and after them.
std::vector<controls_test::Run> EmptyRowRuns(const std::vector<Block>& blocks, int width,
                                             COLORREF background, bool edgeRow) {
    std::vector<controls_test::Run> runs;
    int x = 0;
    for (const Block& b : blocks) {
        if (b.left > x)
            runs.push_back({background, b.left - x});
        if (edgeRow) {
            runs.push_back({kBlockOutline, b.right - b.left});
        } else {
            runs.push_back({kBlockOutline, 1});
            runs.push_back({kBlockInside, b.right - b.left - 2});
            runs.push_back({kBlockOutline, 1});
        }
        x = b.right;
    }
    if (width > x)
        runs.push_back({background, width - x});
    return runs;
}

// A progress bar made the way a dialog makes its controls, for binding.
HWND MakeProgressBar(const wcl::CWindow& parent, const RECT& rect) {
    return ::CreateWindowExW(0, PROGRESS_CLASSW, L"", WS_CHILD | WS_VISIBLE, rect.left, rect.top,
                             rect.right - rect.left, rect.bottom - rect.top, parent.GetSafeHwnd(),
                             reinterpret_cast<HMENU>(static_cast<UINT_PTR>(IDC_PROGRESS)),
                             ::GetModuleHandleW(nullptr), nullptr);
}

class BusyIndicator : public testing::Test {
protected:
    static void SetUpTestSuite() {
        INITCOMMONCONTROLSEX init{sizeof(init), ICC_PROGRESS_CLASS};
        ::InitCommonControlsEx(&init);
    }

    void Create(int width) {
        ASSERT_TRUE(host.GetSafeHwnd());
        ASSERT_TRUE(ctrl.Create(WS_CHILD | WS_VISIBLE, RECT{10, 10, 10 + width, 10 + kHeight},
                                &host, IDC_PROGRESS));
    }
    void Bind(int width) {
        const HWND bar = MakeProgressBar(host, RECT{10, 10, 10 + width, 10 + kHeight});
        ASSERT_TRUE(bar);
        ASSERT_TRUE(ctrl.SubclassWindow(bar));
    }
    LRESULT Send(UINT message, WPARAM w = 0, LPARAM l = 0) {
        return ctrl.SendMessage(message, w, l);
    }

    // The index of the one block whose inside is filled at the middle row, '.' for none, '?' for
    // more than one.
    char Highlighted(const std::vector<Block>& blocks) {
        const auto pixels = PrintClient(ctrl);
        char found = '.';
        for (size_t i = 0; i < blocks.size(); ++i) {
            if (pixels->At(blocks[i].left + 5, kMiddle) == kFilledInside)
                found = found == '.' ? static_cast<char>('0' + i) : '?';
        }
        return found;
    }

    HostWindow host;
    CBusyProgressCtrl ctrl;
};

// --- Construction and geometry.

struct FreshCase {
    const char* name;
    bool bound; // to a progress bar, else created as a static control
    int width;
    std::vector<Block> blocks;
};

TEST_F(BusyIndicator, StartsWithTenEmptyBlocksEndingOnePixelBeforeTheRightEdge) {
    const FreshCase cases[] = {
        {"created, 210 pixels", false, 210, BlocksOf210()},
        {"bound, 210 pixels", true, 210, BlocksOf210()},
        {"created, 105 pixels", false, 105, kBlocksOf105},
        {"bound, 105 pixels", true, 105, kBlocksOf105},
    };
    const struct {
        const char* name;
        std::unique_ptr<Pixels> (*capture)(const wcl::CWindow&);
    } paths[] = {{"WM_PRINTCLIENT", &PrintClient}, {"on screen", &OnScreen}};

    for (const FreshCase& c : cases) {
        SCOPED_TRACE(c.name);
        CBusyProgressCtrl fresh;
        if (c.bound) {
            const HWND bar = MakeProgressBar(host, RECT{10, 10, 10 + c.width, 10 + kHeight});
            ASSERT_TRUE(fresh.SubclassWindow(bar));
        } else {
            ASSERT_TRUE(fresh.Create(WS_CHILD | WS_VISIBLE,
                                     RECT{10, 10, 10 + c.width, 10 + kHeight}, &host, 1));
        }
        ASSERT_EQ(fresh.GetClientRect().right, c.width);
        EXPECT_EQ(fresh.blockHeight, kHeight);
        for (const auto& path : paths) {
            SCOPED_TRACE(path.name);
            const auto pixels = path.capture(fresh);
            EXPECT_EQ(RunsOfRow(*pixels, 0), EmptyRowRuns(c.blocks, c.width, ButtonFace(), true));
            EXPECT_EQ(RunsOfRow(*pixels, kMiddle),
                      EmptyRowRuns(c.blocks, c.width, ButtonFace(), false));
            EXPECT_EQ(RunsOfRow(*pixels, kHeight - 1),
                      EmptyRowRuns(c.blocks, c.width, ButtonFace(), true));
        }
        fresh.DestroyWindow();
    }
}

TEST_F(BusyIndicator, ASizeChangeKeepsTheBlocksUntilRecalcButResizesTheBuffer) {
    Create(210);
    OnScreen(ctrl); // the buffer now exists, 210 wide
    ctrl.MoveWindow(10, 10, 315, kHeight);
    ctrl.backgroundColour = kMagenta;
    ctrl.Invalidate();

    // Old blocks, new background all the way to 315: a buffer of the old size would leave the
    // right part unpainted.
    EXPECT_EQ(RunsOfRow(*OnScreen(ctrl), kMiddle),
              EmptyRowRuns(BlocksOf210(), 315, kMagenta, false));

    ctrl.Recalc();
    ctrl.Invalidate();
    // (315 - 10) / 10 = 30.5 per block: the last runs from trunc(9 × 31.5) = 283 to 314.
    const auto pixels = OnScreen(ctrl);
    EXPECT_EQ(pixels->At(283, kMiddle), kBlockOutline);
    EXPECT_EQ(pixels->At(313, kMiddle), kBlockOutline);
    EXPECT_EQ(pixels->At(314, kMiddle), kMagenta);
    EXPECT_EQ(pixels->At(282, kMiddle), kMagenta);
}

TEST_F(BusyIndicator, SizeChangesAndPaintsKeepNoGdiObjectBehind) {
    Create(210);
    OnScreen(ctrl);
    const int before = wcl_test::GdiObjectCount();
    for (int i = 0; i < 100; ++i) {
        ctrl.MoveWindow(10, 10, 150 + i, kHeight);
        ctrl.Recalc();
        ctrl.SetPosition(i % 10);
        ctrl.UpdateWindow();
    }
    ctrl.MoveWindow(10, 10, 210, kHeight);
    ctrl.Invalidate();
    ctrl.UpdateWindow(); // the buffer made again, as when counting began
    EXPECT_EQ(wcl_test::GdiObjectCount(), before);
}

// --- Busy mode.

struct MotionCase {
    const char* name;
    std::function<void(CBusyProgressCtrl&)> setUp;
    std::string highlights; // after 0, 1, 2, ... steps
};

TEST_F(BusyIndicator, TheHighlightedBlockFollowsTheMotion) {
    Create(210);
    const MotionCase cases[] = {
        {"bounce", [](CBusyProgressCtrl&) {}, ".12345678987654321.12"},
        {"forward", [](CBusyProgressCtrl& c) { c.SetMotion(2); }, ".123456789.123"},
        {"backward",
         [](CBusyProgressCtrl& c) {
             c.SetMotion(4);
             c.Reset();
         },
         ".987654321.987"},
    };
    for (const MotionCase& c : cases) {
        SCOPED_TRACE(c.name);
        ctrl.SetMotion(1);
        ctrl.Reset();
        c.setUp(ctrl);
        std::string seen;
        for (size_t step = 0; step < c.highlights.size(); ++step) {
            if (step > 0)
                Send(BPM_STEP);
            seen += Highlighted(BlocksOf210());
        }
        EXPECT_EQ(seen, c.highlights);
    }
}

TEST_F(BusyIndicator, TheGrowingFillAddsAFifthOfABlockPerStepAndStartsAgainAfterFifty) {
    // Blocks of 22 pixels (20 inside), at 23 × i: a fifth is 4.4 pixels, so the partial fill
    // is 4, 8, 13 and 17 pixels wide, clear of any rounding doubt.
    Create(230);
    const int partialWidths[] = {0, 4, 8, 13, 17};
    ctrl.filledBorderColour = kMarkedOutline;
    Send(BPM_SETMOTION, 2);
    Send(BPM_SETFILL, 2);
    ASSERT_EQ(ctrl.totalSteps, 50);
    for (int step = 0; step <= 55; ++step) {
        SCOPED_TRACE("after " + std::to_string(step) + " steps");
        if (step > 0)
            Send(BPM_STEP);
        const int at = step % 50;
        const int whole = at / 5;
        const auto pixels = PrintClient(ctrl);
        for (int i = 0; i < 10; ++i) {
            const int left = 23 * i;
            if (i < whole) {
                EXPECT_EQ(pixels->At(left, kMiddle), kMarkedOutline) << "block " << i;
                EXPECT_EQ(pixels->RunFrom(left + 1, kMiddle, kFilledInside), 20) << "block " << i;
            } else {
                EXPECT_EQ(pixels->At(left, kMiddle), kBlockOutline) << "block " << i;
                EXPECT_EQ(pixels->RunFrom(left + 1, kMiddle, kFilledInside),
                          i == whole ? partialWidths[at % 5] : 0)
                    << "block " << i;
            }
        }
    }
}

// --- Progress mode, as the Install page sets it up on its own template.

class InstallPageStandIn : public wcl::CDialog {
public:
    InstallPageStandIn() : CDialog(IDD_INSTALL) {}
    CBusyProgressCtrl m_progress;

protected:
    void DoDataExchange(wcl::CDataExchange& dx) override {
        wcl::DDX_Control(dx, IDC_PROGRESS, m_progress);
    }
};

constexpr COLORREF kPageBlock = RGB(222, 233, 243);
constexpr COLORREF kPageFill = RGB(155, 173, 213);
constexpr COLORREF kWhite = RGB(255, 255, 255);

struct ProgressCase {
    int position;
    COLORREF outline;
    int fillFromLeft; // pixels of kPageFill from x = 1 on the middle row
};

TEST_F(BusyIndicator, OneBlockFillsWithTheFinishedFilesOnTheInstallPageTemplate) {
    InstallPageStandIn page;
    ASSERT_TRUE(page.Create(IDD_INSTALL, &host));
    page.MoveWindow(0, 0, 580, 300);
    page.ShowWindow(SW_SHOW);
    CBusyProgressCtrl& bar = page.m_progress;
    bar.MoveWindow(23, 95, 525, 14);
    bar.blockCount = 1;
    bar.Recalc();
    bar.period = 100;
    bar.blockColour = kPageBlock;
    bar.filledColour = kPageFill;
    bar.backgroundColour = kWhite;
    bar.blockBorderColour = kPageFill;
    bar.position = 0;
    bar.Invalidate();
    bar.SetMode(2);
    bar.SetMotion(2);
    bar.SetFill(2);
    bar.rangeLow = 0;
    bar.rangeHigh = 4;

    // Under Wine the bar keeps no border: its whole 525 × 14 is client area, and the one block is
    // 524 pixels wide.
    ASSERT_EQ(bar.GetClientRect().right, 525);
    ASSERT_EQ(bar.GetClientRect().bottom, 14);
    ASSERT_EQ(bar.blockWidth, 524.0);

    const ProgressCase cases[] = {
        {0, kPageFill, 0},          {1, kPageFill, 131}, // trunc(0.25 × 524)
        {2, kPageFill, 262},        {3, kPageFill, 393},
        {4, RGB(50, 90, 135), 522}, // a filled block: filled inside, the filled outline
    };
    for (const ProgressCase& c : cases) {
        SCOPED_TRACE("position " + std::to_string(c.position));
        bar.position = c.position;
        bar.Invalidate();
        const auto pixels = OnScreen(bar);
        EXPECT_EQ(pixels->At(0, 0), c.outline);
        EXPECT_EQ(pixels->At(0, kMiddle), c.outline);
        EXPECT_EQ(pixels->At(523, kMiddle), c.outline);
        EXPECT_EQ(pixels->At(524, kMiddle), kWhite);
        EXPECT_EQ(pixels->RunFrom(1, kMiddle, kPageFill), c.fillFromLeft);
        if (c.fillFromLeft < 522) {
            EXPECT_EQ(pixels->At(1 + c.fillFromLeft, kMiddle), kPageBlock);
        }
    }
}

struct RangeCase {
    int low;
    int high;
    int position;
    bool full;
};

TEST_F(BusyIndicator, AnEmptyRangeOrAPositionOutsideTheRangeStaysWithinTheRow) {
    Create(210);
    ctrl.SetMode(2);
    ctrl.filledBorderColour = kMarkedOutline;
    const RangeCase cases[] = {
        {5, 5, 0, false},  {5, 5, 5, false},      {0, 0, 3, false},
        {0, 0, -7, false}, {0, 4, -1, false},     {0, 4, 9, true},
        {4, 0, 2, false},  {0, 4, INT_MAX, true}, {INT_MIN, INT_MAX, 0, false},
    };
    const std::vector<Block> blocks = BlocksOf210();
    for (const RangeCase& c : cases) {
        SCOPED_TRACE(std::to_string(c.low) + ".." + std::to_string(c.high) + " at " +
                     std::to_string(c.position));
        ctrl.SetRange(c.low, c.high);
        ctrl.SetPosition(c.position);
        const auto pixels = PrintClient(ctrl);
        for (const Block& b : blocks) {
            EXPECT_EQ(pixels->At(b.left, kMiddle), c.full ? kMarkedOutline : kBlockOutline);
            EXPECT_EQ(pixels->RunFrom(b.left + 1, kMiddle, kFilledInside), c.full ? 18 : 0);
        }
    }
}

TEST_F(BusyIndicator, SetFillInProgressModeChangesNothing) {
    Create(210);
    Send(BPM_SETMODE, 2);
    ctrl.SetRange(0, 10);
    ctrl.SetPosition(3);
    const auto before = RunsOfRow(*PrintClient(ctrl), kMiddle);
    for (WPARAM fill : {2, 1, 7}) {
        Send(BPM_SETFILL, fill);
        EXPECT_EQ(ctrl.fill, 1);
        EXPECT_EQ(ctrl.totalSteps, 50);
        EXPECT_EQ(ctrl.position, 3);
        EXPECT_EQ(ctrl.direction, 1);
        EXPECT_EQ(RunsOfRow(*PrintClient(ctrl), kMiddle), before);
    }
}

TEST_F(BusyIndicator, SetBlockCountLeavesTotalStepsUntilFillOrSubstepsSetsIt) {
    Create(210);
    Send(BPM_SETBLOCKCOUNT, 4);
    EXPECT_EQ(ctrl.totalSteps, 50);
    Send(BPM_SETFILL, 2);
    EXPECT_EQ(ctrl.totalSteps, 20); // 5 × 4
    Send(BPM_SETBLOCKCOUNT, 6);
    EXPECT_EQ(ctrl.totalSteps, 20);
    Send(BPM_SETSUBSTEPS, 3);
    EXPECT_EQ(ctrl.totalSteps, 18); // 6 × 3

    // The growing fill measures the stale count against the new row meanwhile: 10 of 20 steps
    // over 6 blocks is 3 blocks.
    Send(BPM_SETBLOCKCOUNT, 2);
    ctrl.totalSteps = 20;
    ctrl.position = 10;
    ctrl.filledBorderColour = kMarkedOutline;
    const auto pixels = PrintClient(ctrl);
    EXPECT_EQ(pixels->At(0, kMiddle), kMarkedOutline); // (210 - 2) / 2 = 104 per block
    EXPECT_EQ(pixels->At(105, kMiddle), kBlockOutline);
    EXPECT_EQ(pixels->RunFrom(106, kMiddle, kFilledInside), 0);
}

// --- Colours.

struct SysColourCase {
    const char* name;
    bool useSystem;
    COLORREF afterChange;
};

TEST_F(BusyIndicator, ASystemColourChangeBringsBackTheButtonFaceWhenAsked) {
    Create(210);
    const SysColourCase cases[] = {
        {"following the system", true, ButtonFace()},
        {"own background", false, RGB(1, 2, 3)},
    };
    for (const SysColourCase& c : cases) {
        SCOPED_TRACE(c.name);
        ctrl.useSystemBackground = c.useSystem;
        ctrl.backgroundColour = RGB(1, 2, 3); // set directly by the owner
        ctrl.Invalidate();
        EXPECT_EQ(OnScreen(ctrl)->At(20, kMiddle), RGB(1, 2, 3));
        Send(WM_SYSCOLORCHANGE);
        EXPECT_EQ(ctrl.backgroundColour, c.afterChange);
        EXPECT_EQ(OnScreen(ctrl)->At(20, kMiddle), c.afterChange); // the gap after block 0
        EXPECT_EQ(OnScreen(ctrl)->At(209, kMiddle), c.afterChange);
    }
}

// --- The messages: what each sets, and which request a repaint.

struct MessageCase {
    const char* name;
    UINT message;
    WPARAM w;
    LPARAM l;
    std::function<void(CBusyProgressCtrl&)> before;
    std::function<bool(const CBusyProgressCtrl&)> after;
    bool repaints;
};

TEST_F(BusyIndicator, EachMessageSetsItsFieldAndRepaintsOnlyWhenItShould) {
    using C = CBusyProgressCtrl;
    const auto nothing = [](C&) {};
    const MessageCase cases[] = {
        {"SetBlockCount", BPM_SETBLOCKCOUNT, 4, 0, nothing,
         [](const C& c) { return c.blockCount == 4 && c.blockWidth == 51.5; }, true},
        {"SetPosition", BPM_SETPOSITION, 3, 0, nothing, [](const C& c) { return c.position == 3; },
         true},
        {"SetBlockGap", BPM_SETBLOCKGAP, 2, 0, nothing,
         [](const C& c) { return c.blockGap == 2 && c.blockWidth == 19.0; }, true},
        {"SetPeriod", BPM_SETPERIOD, 40, 0, nothing, [](const C& c) { return c.period == 40; },
         false},
        {"SetRange", BPM_SETRANGE, 3, 9, nothing,
         [](const C& c) { return c.rangeLow == 3 && c.rangeHigh == 9; }, false},
        {"SetRange, negative low", BPM_SETRANGE, static_cast<WPARAM>(-2), 9, nothing,
         [](const C& c) { return c.rangeLow == -2; }, false},
        {"SetMode to progress", BPM_SETMODE, 2, 0, [](C& c) { c.direction = -1; },
         [](const C& c) { return c.mode == 2 && c.direction == 1; }, false},
        {"SetMode from neither mode", BPM_SETMODE, 1, 0, [](C& c) { c.mode = 3; },
         [](const C& c) { return c.mode == 3; }, false},
        {"Step", BPM_STEP, 0, 0, nothing, [](const C& c) { return c.position == 1; }, true},
        {"SetMotion backward", BPM_SETMOTION, 4, 0, nothing,
         [](const C& c) { return c.motion == 4 && c.direction == -1; }, false},
        {"SetMotion in progress mode", BPM_SETMOTION, 4, 0, [](C& c) { c.mode = 2; },
         [](const C& c) { return c.motion == 4 && c.direction == 1; }, false},
        {"SetFill growing", BPM_SETFILL, 2, 0, [](C& c) { c.position = 7; },
         [](const C& c) { return c.fill == 2 && c.totalSteps == 50 && c.position == 0; }, false},
        {"SetSubsteps", BPM_SETSUBSTEPS, 3, 0, [](C& c) { c.position = 7; },
         [](const C& c) { return c.substeps == 3 && c.totalSteps == 50 && c.position == 0; },
         false},
        {"SetBackgroundColour", BPM_SETBACKGROUNDCOLOUR, RGB(1, 2, 3), 0, nothing,
         [](const C& c) { return c.backgroundColour == RGB(1, 2, 3); }, true},
        {"SetBlockColour", BPM_SETBLOCKCOLOUR, RGB(1, 2, 3), 0, nothing,
         [](const C& c) { return c.blockColour == RGB(1, 2, 3); }, true},
        {"SetBlockBorderColour", BPM_SETBLOCKBORDERCOLOUR, RGB(1, 2, 3), 0, nothing,
         [](const C& c) { return c.blockBorderColour == RGB(1, 2, 3); }, true},
        {"SetFilledColour", BPM_SETFILLEDCOLOUR, RGB(1, 2, 3), 0, nothing,
         [](const C& c) { return c.filledColour == RGB(1, 2, 3); }, true},
        {"SetFilledBorderColour", BPM_SETFILLEDBORDERCOLOUR, RGB(1, 2, 3), 0, nothing,
         [](const C& c) { return c.filledBorderColour == RGB(1, 2, 3); }, true},
        {"Recalc after a direct change", BPM_RECALC, 0, 0, [](C& c) { c.blockCount = 2; },
         [](const C& c) { return c.blockWidth == 104.0; }, false},
        {"Reset backward, growing fill", BPM_RESET, 0, 0,
         [](C& c) {
             c.motion = 4;
             c.fill = 2;
             c.substeps = 3;
         },
         [](const C& c) { return c.position == 30 && c.direction == -1; }, false},
        {"UseSystemBackground off", BPM_USESYSTEMBACKGROUND, 0, 0,
         [](C& c) { c.backgroundColour = RGB(1, 2, 3); },
         [](const C& c) { return !c.useSystemBackground && c.backgroundColour == RGB(1, 2, 3); },
         true},
        {"UseSystemBackground on", BPM_USESYSTEMBACKGROUND, 1, 0,
         [](C& c) {
             c.useSystemBackground = false;
             c.backgroundColour = RGB(1, 2, 3);
         },
         [](const C& c) { return c.useSystemBackground && c.backgroundColour == ButtonFace(); },
         true},
    };
    for (const MessageCase& c : cases) {
        SCOPED_TRACE(c.name);
        CBusyProgressCtrl fresh;
        ASSERT_TRUE(fresh.Create(WS_CHILD | WS_VISIBLE, RECT{10, 10, 220, 10 + kHeight}, &host, 1));
        c.before(fresh);
        fresh.UpdateWindow();
        ::ValidateRect(fresh.GetSafeHwnd(), nullptr);
        EXPECT_EQ(fresh.SendMessage(c.message, c.w, c.l), 0);
        EXPECT_TRUE(c.after(fresh));
        EXPECT_EQ(::GetUpdateRect(fresh.GetSafeHwnd(), nullptr, FALSE) != 0, c.repaints);
    }
}

TEST_F(BusyIndicator, ErasingTheBackgroundDrawsNothingAndCreateNamesTheWindow) {
    Create(210);
    Pixels pixels(210, kHeight);
    pixels.dc().FillSolidRect(RECT{0, 0, 210, kHeight}, kMagenta);
    EXPECT_EQ(Send(WM_ERASEBKGND, reinterpret_cast<WPARAM>(pixels.dc().GetSafeHdc())), 0);
    EXPECT_EQ(RunsOfRow(pixels, kMiddle), (std::vector<controls_test::Run>{{kMagenta, 210}}));
    EXPECT_EQ(ctrl.GetWindowText(), L"BusyProgressCtrl");
}

// The window's own procedure, a static control's in particular, draws its own look straight onto
// the screen for some messages: the control paints over it again.
struct OwnDrawingCase {
    const char* name;
    std::function<void(CBusyProgressCtrl&)> act;
};

TEST_F(BusyIndicator, ItPaintsAgainOverWhatItsWindowClassDrawsItself) {
    const OwnDrawingCase cases[] = {
        {"disabled", [](CBusyProgressCtrl& c) { c.EnableWindow(false); }},
        {"enabled", [](CBusyProgressCtrl& c) { c.EnableWindow(true); }},
        {"new text", [](CBusyProgressCtrl& c) { c.SetWindowText(L"x"); }},
        {"system colours", [](CBusyProgressCtrl& c) { c.SendMessage(WM_SYSCOLORCHANGE); }},
    };
    for (bool bound : {false, true}) {
        SCOPED_TRACE(bound ? "bound to a progress bar" : "created as a static control");
        CBusyProgressCtrl fresh;
        if (bound)
            ASSERT_TRUE(fresh.SubclassWindow(MakeProgressBar(host, RECT{10, 10, 220, 24})));
        else
            ASSERT_TRUE(fresh.Create(WS_CHILD | WS_VISIBLE, RECT{10, 10, 220, 24}, &host, 1));
        fresh.useSystemBackground = false;
        fresh.backgroundColour = kMagenta;
        fresh.Invalidate();
        const auto painted = RunsOfRow(*OnScreen(fresh), kMiddle);
        ASSERT_EQ(painted, EmptyRowRuns(BlocksOf210(), 210, kMagenta, false));
        for (const OwnDrawingCase& c : cases) {
            SCOPED_TRACE(c.name);
            c.act(fresh);
            EXPECT_EQ(RunsOfRow(*OnScreen(fresh), kMiddle), painted);
        }
    }
}

} // namespace
