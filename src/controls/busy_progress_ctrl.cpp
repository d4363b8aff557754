#include "controls/busy_progress_ctrl.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <cmath>
#include <cstdint>
#include <mutex>

#include "wcl/wait.h"

namespace {

// Block edges are truncated toward zero one by one; a value beyond int's range (a block count or
// gap set to nonsense) is held at its end instead of overflowing the conversion.
int Trunc(double value) {
    if (std::isnan(value))
        return 0;
    return static_cast<int>(
        std::clamp(value, static_cast<double>(INT_MIN), static_cast<double>(INT_MAX)));
}

int SaturatedProduct(int a, int b) {
    const std::int64_t product = static_cast<std::int64_t>(a) * b;
    return static_cast<int>(std::clamp<std::int64_t>(product, INT_MIN, INT_MAX));
}

int RectWidth(const RECT& rect) {
    return rect.right - rect.left;
}

int RectHeight(const RECT& rect) {
    return rect.bottom - rect.top;
}

} // namespace

CBusyProgressCtrl::CBusyProgressCtrl()
    : backgroundColour(::GetSysColor(COLOR_BTNFACE)),
      m_wake(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}

CBusyProgressCtrl::~CBusyProgressCtrl() {
    // The thread steps this object: it must be gone before the object is.
    EndAnimation();
    thread.reset();
    DropBuffer();
}

bool CBusyProgressCtrl::Create(DWORD style, const RECT& rect, wcl::CWnd* parent, UINT id) {
    const bool created = CreateEx(0, L"STATIC", L"BusyProgressCtrl", style, rect, parent, id);
    Recalc();
    return created;
}

// --- Painting.

void CBusyProgressCtrl::DrawBackground(const wcl::CDC& dc, const RECT& rect) {
    dc.FillSolidRect(rect, backgroundColour);
}

void CBusyProgressCtrl::DrawBlock(const wcl::CDC& dc, const RECT& rect) {
    dc.Rectangle(rect);
}

void CBusyProgressCtrl::DrawFilledBlock(const wcl::CDC& dc, const RECT& rect) {
    const wcl::CPen pen(PS_SOLID, 1, filledBorderColour);
    const wcl::CBrush brush(filledColour);
    const auto penSelected = dc.SelectObject(pen);
    const auto brushSelected = dc.SelectObject(brush);
    dc.Rectangle(rect);
}

void CBusyProgressCtrl::DrawPartialBlock(const wcl::CDC& dc, const RECT& rect, int width) {
    RECT inside = rect;
    ::InflateRect(&inside, -1, -1);
    inside.right = static_cast<LONG>(
        std::min<std::int64_t>(static_cast<std::int64_t>(inside.left) + width, inside.right));
    if (inside.right > inside.left)
        dc.FillSolidRect(inside, filledColour);
}

void CBusyProgressCtrl::Paint(const wcl::CDC& dc) {
    DrawBackground(dc, clientRect);
    DrawBlocks(dc);
}

void CBusyProgressCtrl::DrawBlocks(const wcl::CDC& dc) {
    const wcl::CPen pen(PS_SOLID, 1, blockBorderColour);
    const wcl::CBrush brush(blockColour);
    const auto penSelected = dc.SelectObject(pen);
    const auto brushSelected = dc.SelectObject(brush);

    const int count = blockCount;
    const int currentMode = mode;
    const int currentFill = fill;
    const int highlighted = position;
    const std::optional<double> filledBlocks = FilledBlocks();

    double x = 0.0;
    RECT block{0, 0, Trunc(blockWidth), Trunc(blockHeight)};
    for (int i = 0; i < count; ++i) {
        if (currentMode & kModeBusy) {
            if (currentFill == kFillBlock) {
                if (highlighted != 0 && i == highlighted)
                    DrawFilledBlock(dc, block);
                else
                    DrawBlock(dc, block);
            } else if (currentFill == kFillGrowing) {
                DrawFillUpTo(dc, i, block, filledBlocks);
            }
        } else if (currentMode & kModeProgress) {
            DrawFillUpTo(dc, i, block, filledBlocks);
        }
        x += blockGap + blockWidth;
        block = RECT{Trunc(x), 0, Trunc(x + blockWidth), Trunc(blockHeight)};
    }
}

void CBusyProgressCtrl::DrawFillUpTo(const wcl::CDC& dc, int index, const RECT& block,
                                     std::optional<double> filledBlocks) {
    if (!filledBlocks) {
        DrawBlock(dc, block);
        return;
    }
    const int whole = Trunc(*filledBlocks);
    if (index < whole) {
        DrawFilledBlock(dc, block);
        return;
    }
    DrawBlock(dc, block);
    if (index == whole) {
        const int width = Trunc((*filledBlocks - whole) * blockWidth);
        if (width != 0)
            DrawPartialBlock(dc, block, width);
    }
}

std::optional<double> CBusyProgressCtrl::FilledBlocks() const {
    const int count = blockCount;
    if (count <= 0)
        return std::nullopt;
    // The position is measured from 0, not from rangeLow. Worked out in floating point, so a wide
    // range cannot overflow.
    const double across = (mode & kModeBusy)
                              ? static_cast<double>(totalSteps)
                              : static_cast<double>(rangeHigh) - static_cast<double>(rangeLow);
    if (across == 0.0)
        return std::nullopt; // an empty range draws the row empty
    const double filled = position / across * count;
    // A position outside the range shows an empty or a full row.
    return std::clamp(filled, 0.0, static_cast<double>(count));
}

// --- Geometry and buffer.

void CBusyProgressCtrl::Recalc() {
    if (::IsRectEmpty(&clientRect) && m_hWnd)
        clientRect = GetClientRect();
    const int count = blockCount;
    blockWidth =
        count > 0 ? (RectWidth(clientRect) - static_cast<double>(count) * blockGap) / count : 0.0;
    blockHeight = RectHeight(clientRect);
}

bool CBusyProgressCtrl::MakeBuffer(const wcl::CDC& compatibleWith) {
    memDC.emplace(compatibleWith);
    if (!memDC->GetSafeHdc() ||
        !memBitmap.CreateCompatibleBitmap(compatibleWith, RectWidth(clientRect),
                                          RectHeight(clientRect))) {
        DropBuffer();
        return false;
    }
    oldBitmap = memDC->SelectObject(memBitmap);
    return true;
}

void CBusyProgressCtrl::DropBuffer() {
    oldBitmap.reset();
    memBitmap.DeleteObject();
    memDC.reset();
}

// --- Operations.

void CBusyProgressCtrl::RequestRepaint(HWND window) const {
    // A null window would invalidate every window of the desktop.
    if (window)
        ::InvalidateRect(window, nullptr, TRUE);
}

void CBusyProgressCtrl::SetBlockCount(int count) {
    blockCount = count;
    Recalc();
    RequestRepaint(m_hWnd);
}

void CBusyProgressCtrl::SetPosition(int value) {
    position = value;
    RequestRepaint(m_hWnd);
}

void CBusyProgressCtrl::SetBlockGap(int pixels) {
    blockGap = pixels;
    Recalc();
    RequestRepaint(m_hWnd);
}

void CBusyProgressCtrl::SetPeriod(int milliseconds) {
    period = milliseconds;
}

void CBusyProgressCtrl::SetRange(int low, int high) {
    rangeLow = low;
    rangeHigh = high;
}

void CBusyProgressCtrl::SetMode(int value) {
    Stop();
    const int current = mode;
    if (current != kModeBusy && current != kModeProgress)
        return;
    std::lock_guard<wcl::CCriticalSection> hold(m_stepLock);
    mode = value;
    if (value == kModeProgress)
        direction = +1;
}

void CBusyProgressCtrl::SetMotion(int value) {
    std::lock_guard<wcl::CCriticalSection> hold(m_stepLock);
    motion = value;
    if (mode != kModeBusy)
        return;
    if (value == kMotionForward)
        direction = +1;
    else if (value == kMotionBackward)
        direction = -1;
}

void CBusyProgressCtrl::SetFill(int value) {
    if (mode != kModeBusy)
        return;
    fill = value;
    Reset();
    if (value == kFillGrowing)
        totalSteps = SaturatedProduct(substeps, blockCount);
}

void CBusyProgressCtrl::SetSubsteps(int value) {
    substeps = value;
    if (mode != kModeBusy)
        return;
    Reset();
    if (fill == kFillGrowing)
        totalSteps = SaturatedProduct(blockCount, substeps);
}

void CBusyProgressCtrl::SetBackgroundColour(COLORREF colour) {
    backgroundColour = colour;
    RequestRepaint(m_hWnd);
}

void CBusyProgressCtrl::SetBlockColour(COLORREF colour) {
    blockColour = colour;
    RequestRepaint(m_hWnd);
}

void CBusyProgressCtrl::SetBlockBorderColour(COLORREF colour) {
    blockBorderColour = colour;
    RequestRepaint(m_hWnd);
}

void CBusyProgressCtrl::SetFilledColour(COLORREF colour) {
    filledColour = colour;
    RequestRepaint(m_hWnd);
}

void CBusyProgressCtrl::SetFilledBorderColour(COLORREF colour) {
    filledBorderColour = colour;
    RequestRepaint(m_hWnd);
}

void CBusyProgressCtrl::Reset() {
    std::lock_guard<wcl::CCriticalSection> hold(m_stepLock);
    if (mode == kModeBusy && motion == kMotionBackward) {
        position =
            fill == kFillGrowing ? SaturatedProduct(substeps, blockCount) : blockCount.load();
        direction = -1;
    } else {
        position = 0;
        direction = +1;
    }
}

void CBusyProgressCtrl::UseSystemBackground(bool use) {
    useSystemBackground = use;
    if (use)
        backgroundColour = ::GetSysColor(COLOR_BTNFACE);
    RequestRepaint(m_hWnd);
}

// --- Stepping and the animation thread.

void CBusyProgressCtrl::Step() {
    Advance();
    RequestRepaint(m_hWnd);
}

void CBusyProgressCtrl::Advance() {
    std::lock_guard<wcl::CCriticalSection> hold(m_stepLock);
    if (mode & kModeBusy) {
        const int currentFill = fill;
        const int limit = currentFill == kFillBlock     ? blockCount.load()
                          : currentFill == kFillGrowing ? totalSteps.load()
                                                        : 0;
        switch (motion) {
        case kMotionBounce:
            if (position >= limit - 1)
                direction = -1;
            if (position <= 0)
                direction = +1;
            break;
        case kMotionForward:
            if (position == limit - 1)
                position = -1;
            break;
        case kMotionBackward:
            if (position == 0)
                position = limit;
            break;
        default:
            break;
        }
    }
    // Atomic addition wraps instead of overflowing: progress mode steps without end.
    position.fetch_add(direction);
}

void CBusyProgressCtrl::Start() {
    if (!(mode & kModeBusy))
        return;
    EndAnimation();
    if (thread) {
        // Outlived the bounded wait, though asked to end and woken: it ends after the step it is
        // in. A second thread must not start beside it.
        thread->Join(INFINITE);
        thread.reset();
    }
    // The thread is to run from now on; a Stop before its first instruction is then not lost.
    ::ResetEvent(m_wake.get());
    running = true;
    auto next = std::make_unique<wcl::CThread>();
    const HWND window = m_hWnd;
    if (next->Start([this, window] { return Animate(window); }))
        thread = std::move(next);
    else
        running = false;
}

void CBusyProgressCtrl::Stop() {
    EndAnimation();
}

void CBusyProgressCtrl::EndAnimation() {
    running = false;
    if (!thread)
        return;
    ::SetEvent(m_wake.get());
    if (thread->Join(wcl::WaitMilliseconds(2 * std::chrono::milliseconds(period.load()))))
        thread.reset();
}

DWORD CBusyProgressCtrl::Animate(HWND window) {
    while (running) {
        Advance();
        RequestRepaint(window);
        const DWORD pause = wcl::WaitMilliseconds(std::chrono::milliseconds(period.load()));
        if (::WaitForSingleObject(m_wake.get(), pause) == WAIT_FAILED)
            ::Sleep(pause);
    }
    return 0;
}

// --- Messages.

LRESULT CBusyProgressCtrl::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    const LRESULT result = CStatic::WindowProc(message, wParam, lParam);
    // A static control's own procedure draws its own look straight onto the screen when it is
    // enabled, disabled or given a text; the control's painting has to cover that again.
    if (message == WM_ENABLE || message == WM_SETTEXT)
        RequestRepaint(m_hWnd);
    return result;
}

void CBusyProgressCtrl::PreSubclassWindow() {
    CStatic::PreSubclassWindow();
    Recalc();
}

void CBusyProgressCtrl::OnPaint() {
    const wcl::CPaintDC dc(*this);
    if (!memDC && !MakeBuffer(dc)) {
        Paint(dc); // no buffer for this size: straight onto the screen
        return;
    }
    Paint(*memDC);
    dc.BitBlt(0, 0, RectWidth(clientRect), RectHeight(clientRect), *memDC, 0, 0, SRCCOPY);
}

void CBusyProgressCtrl::OnPrintClient(wcl::CDC& dc, UINT) {
    Paint(dc);
}

bool CBusyProgressCtrl::OnEraseBkgnd(wcl::CDC&) {
    return false; // painting covers every pixel
}

void CBusyProgressCtrl::OnSize(UINT, int cx, int cy) {
    Default();
    clientRect = RECT{0, 0, cx, cy};
    DropBuffer();
}

void CBusyProgressCtrl::OnSysColorChange() {
    Default();
    if (useSystemBackground)
        backgroundColour = ::GetSysColor(COLOR_BTNFACE);
    RequestRepaint(m_hWnd); // the window's own procedure may have drawn over the control
}

LRESULT CBusyProgressCtrl::OnSetBlockCount(WPARAM w, LPARAM) {
    SetBlockCount(static_cast<int>(w));
    return 0;
}

LRESULT CBusyProgressCtrl::OnSetPosition(WPARAM w, LPARAM) {
    SetPosition(static_cast<int>(w));
    return 0;
}

LRESULT CBusyProgressCtrl::OnSetBlockGap(WPARAM w, LPARAM) {
    SetBlockGap(static_cast<int>(w));
    return 0;
}

LRESULT CBusyProgressCtrl::OnSetPeriod(WPARAM w, LPARAM) {
    SetPeriod(static_cast<int>(w));
    return 0;
}

LRESULT CBusyProgressCtrl::OnSetRange(WPARAM w, LPARAM l) {
    SetRange(static_cast<int>(w), static_cast<int>(l));
    return 0;
}

LRESULT CBusyProgressCtrl::OnSetMode(WPARAM w, LPARAM) {
    SetMode(static_cast<int>(w));
    return 0;
}

LRESULT CBusyProgressCtrl::OnStart(WPARAM, LPARAM) {
    Start();
    return 0;
}

LRESULT CBusyProgressCtrl::OnStop(WPARAM, LPARAM) {
    Stop();
    return 0;
}

LRESULT CBusyProgressCtrl::OnStep(WPARAM, LPARAM) {
    Step();
    return 0;
}

LRESULT CBusyProgressCtrl::OnSetMotion(WPARAM w, LPARAM) {
    SetMotion(static_cast<int>(w));
    return 0;
}

LRESULT CBusyProgressCtrl::OnSetFill(WPARAM w, LPARAM) {
    SetFill(static_cast<int>(w));
    return 0;
}

LRESULT CBusyProgressCtrl::OnSetSubsteps(WPARAM w, LPARAM) {
    SetSubsteps(static_cast<int>(w));
    return 0;
}

LRESULT CBusyProgressCtrl::OnSetBackgroundColour(WPARAM w, LPARAM) {
    SetBackgroundColour(static_cast<COLORREF>(w));
    return 0;
}

LRESULT CBusyProgressCtrl::OnSetBlockColour(WPARAM w, LPARAM) {
    SetBlockColour(static_cast<COLORREF>(w));
    return 0;
}

LRESULT CBusyProgressCtrl::OnSetBlockBorderColour(WPARAM w, LPARAM) {
    SetBlockBorderColour(static_cast<COLORREF>(w));
    return 0;
}

LRESULT CBusyProgressCtrl::OnSetFilledColour(WPARAM w, LPARAM) {
    SetFilledColour(static_cast<COLORREF>(w));
    return 0;
}

LRESULT CBusyProgressCtrl::OnSetFilledBorderColour(WPARAM w, LPARAM) {
    SetFilledBorderColour(static_cast<COLORREF>(w));
    return 0;
}

LRESULT CBusyProgressCtrl::OnRecalc(WPARAM, LPARAM) {
    Recalc();
    return 0;
}

LRESULT CBusyProgressCtrl::OnReset(WPARAM, LPARAM) {
    Reset();
    return 0;
}

LRESULT CBusyProgressCtrl::OnUseSystemBackground(WPARAM w, LPARAM) {
    UseSystemBackground(w != 0);
    return 0;
}

const wcl::MessageMap& CBusyProgressCtrl::GetMessageMap() const {
    using Self = CBusyProgressCtrl;
    static constexpr wcl::MessageEntry entries[] = {
        wcl::MapMessage<WM_PAINT, &Self::OnPaint>(),
        wcl::MapMessage<WM_PRINTCLIENT, &Self::OnPrintClient>(),
        wcl::MapMessage<WM_ERASEBKGND, &Self::OnEraseBkgnd>(),
        wcl::MapMessage<WM_SIZE, &Self::OnSize>(),
        wcl::MapMessage<WM_SYSCOLORCHANGE, &Self::OnSysColorChange>(),
        wcl::MapMessage<BPM_SETBLOCKCOUNT, &Self::OnSetBlockCount>(),
        wcl::MapMessage<BPM_SETPOSITION, &Self::OnSetPosition>(),
        wcl::MapMessage<BPM_SETBLOCKGAP, &Self::OnSetBlockGap>(),
        wcl::MapMessage<BPM_SETPERIOD, &Self::OnSetPeriod>(),
        wcl::MapMessage<BPM_SETRANGE, &Self::OnSetRange>(),
        wcl::MapMessage<BPM_SETMODE, &Self::OnSetMode>(),
        wcl::MapMessage<BPM_START, &Self::OnStart>(),
        wcl::MapMessage<BPM_STOP, &Self::OnStop>(),
        wcl::MapMessage<BPM_STEP, &Self::OnStep>(),
        wcl::MapMessage<BPM_SETMOTION, &Self::OnSetMotion>(),
        wcl::MapMessage<BPM_SETFILL, &Self::OnSetFill>(),
        wcl::MapMessage<BPM_SETSUBSTEPS, &Self::OnSetSubsteps>(),
        wcl::MapMessage<BPM_SETBACKGROUNDCOLOUR, &Self::OnSetBackgroundColour>(),
        wcl::MapMessage<BPM_SETBLOCKCOLOUR, &Self::OnSetBlockColour>(),
        wcl::MapMessage<BPM_SETBLOCKBORDERCOLOUR, &Self::OnSetBlockBorderColour>(),
        wcl::MapMessage<BPM_SETFILLEDCOLOUR, &Self::OnSetFilledColour>(),
        wcl::MapMessage<BPM_SETFILLEDBORDERCOLOUR, &Self::OnSetFilledBorderColour>(),
        wcl::MapMessage<BPM_RECALC, &Self::OnRecalc>(),
        wcl::MapMessage<BPM_RESET, &Self::OnReset>(),
        wcl::MapMessage<BPM_USESYSTEMBACKGROUND, &Self::OnUseSystemBackground>(),
    };
    static const wcl::MessageMap map(CStatic::GetMessageMap(), entries);
    return map;
}
