// The busy indicator: a row of blocks on a static or progress-bar window that the control paints
// entirely itself. In busy mode a highlighted block or a growing fill runs along the row, stepped
// by an animation thread of the control's own (or by Step); in progress mode the row shows a
// position within a range. It is set up through its member operations, its public fields (then
// the owner requests the repaint), or its messages BPM_* (WM_USER + 1 to + 20;
// on a progress-bar window they take the place of the bar's own PBM_* of the same numbers).
//
// Threads: the window's thread runs every message, operation and painting. The animation thread
// only steps `position`/`direction` and invalidates the window; the fields it reads or writes are
// atomic, and the control never lets go of the thread's object while that thread runs.
#pragma once

#include <windows.h>

#include <atomic>
#include <memory>
#include <optional>

#include "wcl/controls.h"
#include "wcl/gdi.h"
#include "wcl/sync.h"
#include "wcl/thread.h"

// The control's messages; w is WPARAM, l is LPARAM. Each answers 0.
enum : UINT {
    BPM_SETBLOCKCOUNT = WM_USER + 1,          // w: blocks
    BPM_SETPOSITION = WM_USER + 2,            // w: position
    BPM_SETBLOCKGAP = WM_USER + 3,            // w: pixels
    BPM_SETPERIOD = WM_USER + 4,              // w: milliseconds
    BPM_SETRANGE = WM_USER + 5,               // w: low, l: high
    BPM_SETMODE = WM_USER + 6,                // w: kModeBusy or kModeProgress
    BPM_START = WM_USER + 7,                  // no parameters
    BPM_STOP = WM_USER + 8,                   // no parameters
    BPM_STEP = WM_USER + 9,                   // no parameters
    BPM_SETMOTION = WM_USER + 10,             // w: kMotion*
    BPM_SETFILL = WM_USER + 11,               // w: kFill*
    BPM_SETSUBSTEPS = WM_USER + 12,           // w: steps per block
    BPM_SETBACKGROUNDCOLOUR = WM_USER + 13,   // w: COLORREF
    BPM_SETBLOCKCOLOUR = WM_USER + 14,        // w: COLORREF
    BPM_SETBLOCKBORDERCOLOUR = WM_USER + 15,  // w: COLORREF
    BPM_SETFILLEDCOLOUR = WM_USER + 16,       // w: COLORREF
    BPM_SETFILLEDBORDERCOLOUR = WM_USER + 17, // w: COLORREF
    BPM_RECALC = WM_USER + 18,                // no parameters
    BPM_RESET = WM_USER + 19,                 // no parameters
    BPM_USESYSTEMBACKGROUND = WM_USER + 20,   // w: nonzero for true
};

class CBusyProgressCtrl : public wcl::CStatic {
public:
    // mode: painting and stepping test its bits, busy first.
    static constexpr int kModeBusy = 1;
    static constexpr int kModeProgress = 2;
    // motion, in busy mode.
    static constexpr int kMotionBounce = 1;
    static constexpr int kMotionForward = 2;  // runs forward and wraps
    static constexpr int kMotionBackward = 4; // runs backward and wraps
    // fill, in busy mode.
    static constexpr int kFillBlock = 1;   // one highlighted block
    static constexpr int kFillGrowing = 2; // a fill that grows along the row

    CBusyProgressCtrl();
    // Stops the animation thread (waiting for it to end) and releases the off-screen buffer.
    ~CBusyProgressCtrl() override;

    // Creates the control as a "STATIC" window and lays out its blocks.
    virtual bool Create(DWORD style, const RECT& rect, wcl::CWnd* parent, UINT id);

    // The look; a derived class may draw differently. Rectangles cover right - 1 and bottom - 1,
    // outline inside.
    virtual void DrawBackground(const wcl::CDC& dc, const RECT& rect);
    // With the pen and brush selected in `dc`.
    virtual void DrawBlock(const wcl::CDC& dc, const RECT& rect);
    virtual void DrawFilledBlock(const wcl::CDC& dc, const RECT& rect);
    // A fill `width` pixels wide from 1 pixel inside the block's left outline, never past the
    // inside of its right outline.
    virtual void DrawPartialBlock(const wcl::CDC& dc, const RECT& rect, int width);

    // Background and blocks, into any DC at the client area's origin: the off-screen buffer on
    // WM_PAINT, or the DC of WM_PRINTCLIENT.
    void Paint(const wcl::CDC& dc);

    // The operations behind the messages.
    void SetBlockCount(int count);
    void SetPosition(int value);
    void SetBlockGap(int pixels);
    void SetPeriod(int milliseconds);
    void SetRange(int low, int high);
    void SetMode(int value);
    void Start();
    void Stop();
    void Step();
    void SetMotion(int value);
    void SetFill(int value);
    void SetSubsteps(int value);
    void SetBackgroundColour(COLORREF colour);
    void SetBlockColour(COLORREF colour);
    void SetBlockBorderColour(COLORREF colour);
    void SetFilledColour(COLORREF colour);
    void SetFilledBorderColour(COLORREF colour);
    // Block geometry from clientRect (taken from the window first when empty).
    void Recalc();
    // Position and direction back to where the current motion begins.
    void Reset();
    void UseSystemBackground(bool use);

    // The fields, which the owner may also set directly and then request one repaint. Those the
    // animation thread touches are atomic.
    std::atomic<int> blockCount{10};
    std::atomic<int> direction{+1};
    std::atomic<int> position{0};
    RECT clientRect{};
    int blockGap = 1;
    double blockHeight = 0.0;
    double blockWidth = 0.0;
    // The animation thread's object; held until its thread has ended.
    std::unique_ptr<wcl::CThread> thread;
    // The animation thread is to keep stepping.
    std::atomic<bool> running{false};
    std::atomic<int> period{100};
    std::atomic<int> mode{kModeBusy};
    int rangeLow = 0;
    int rangeHigh = 100;
    bool useSystemBackground = true;
    std::atomic<int> motion{kMotionBounce};
    std::atomic<int> fill{kFillBlock};
    int substeps = 5;
    std::atomic<int> totalSteps{50};
    COLORREF backgroundColour;
    COLORREF blockColour = RGB(160, 190, 220);
    COLORREF blockBorderColour = RGB(50, 90, 135);
    COLORREF filledColour = RGB(190, 220, 255);
    COLORREF filledBorderColour = RGB(50, 90, 135);
    // The off-screen buffer, kept from one paint to the next until the size changes.
    std::optional<wcl::CCompatibleDC> memDC;
    wcl::CBitmap memBitmap;
    wcl::SelectedObject oldBitmap; // puts back the bitmap memBitmap replaced in memDC

protected:
    void PreSubclassWindow() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    const wcl::MessageMap& GetMessageMap() const override;

private:
    void DrawBlocks(const wcl::CDC& dc);
    void DrawFillUpTo(const wcl::CDC& dc, int index, const RECT& block,
                      std::optional<double> filledBlocks);
    // position ÷ the steps or range across the row × blockCount; nullopt when the row has no
    // length (an empty range or no steps).
    std::optional<double> FilledBlocks() const;
    // One step of position and direction, without the repaint.
    void Advance();
    void RequestRepaint(HWND window) const;
    void DropBuffer();
    bool MakeBuffer(const wcl::CDC& compatibleWith);
    // Asks the animation thread to end and waits at most 2 × period; the thread's object is
    // released only when the thread has ended.
    void EndAnimation();
    DWORD Animate(HWND window);

    LRESULT OnSetBlockCount(WPARAM w, LPARAM l);
    LRESULT OnSetPosition(WPARAM w, LPARAM l);
    LRESULT OnSetBlockGap(WPARAM w, LPARAM l);
    LRESULT OnSetPeriod(WPARAM w, LPARAM l);
    LRESULT OnSetRange(WPARAM w, LPARAM l);
    LRESULT OnSetMode(WPARAM w, LPARAM l);
    LRESULT OnStart(WPARAM w, LPARAM l);
    LRESULT OnStop(WPARAM w, LPARAM l);
    LRESULT OnStep(WPARAM w, LPARAM l);
    LRESULT OnSetMotion(WPARAM w, LPARAM l);
    LRESULT OnSetFill(WPARAM w, LPARAM l);
    LRESULT OnSetSubsteps(WPARAM w, LPARAM l);
    LRESULT OnSetBackgroundColour(WPARAM w, LPARAM l);
    LRESULT OnSetBlockColour(WPARAM w, LPARAM l);
    LRESULT OnSetBlockBorderColour(WPARAM w, LPARAM l);
    LRESULT OnSetFilledColour(WPARAM w, LPARAM l);
    LRESULT OnSetFilledBorderColour(WPARAM w, LPARAM l);
    LRESULT OnRecalc(WPARAM w, LPARAM l);
    LRESULT OnReset(WPARAM w, LPARAM l);
    LRESULT OnUseSystemBackground(WPARAM w, LPARAM l);
    void OnPaint();
    void OnPrintClient(wcl::CDC& dc, UINT flags);
    bool OnEraseBkgnd(wcl::CDC& dc);
    void OnSize(UINT type, int cx, int cy);
    void OnSysColorChange();

    // Wakes the animation thread from its wait between steps when it is to end.
    wcl::UniqueHandle m_wake;
    // Position and direction change together under this lock (the thread's step, Reset,
    // SetMotion, SetMode); painting reads them without it.
    wcl::CCriticalSection m_stepLock;
};
