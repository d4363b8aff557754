// Device contexts and GDI objects. Each owner releases its object the one way that kind needs: a
// paint DC ends painting, a window DC goes back to its window, a memory DC is deleted, a font,
// brush, pen or bitmap is deleted, and a selection puts back the object it replaced. CDC itself
// owns nothing: it is the drawing interface over any DC, borrowed or owned.
#pragma once

#include <windows.h>

#include <string_view>

#include "wcl/unique.h"

namespace wcl {

class CWindow;

template <typename Handle>
struct GdiObjectTraits {
    using pointer = Handle;
    static pointer invalid() noexcept { return nullptr; }
    static void close(pointer object) noexcept { ::DeleteObject(object); }
};
using UniqueFont = Unique<GdiObjectTraits<HFONT>>;
using UniqueBrush = Unique<GdiObjectTraits<HBRUSH>>;
using UniquePen = Unique<GdiObjectTraits<HPEN>>;
using UniqueBitmap = Unique<GdiObjectTraits<HBITMAP>>;

// A DC made with CreateCompatibleDC.
struct CompatibleDCTraits {
    using pointer = HDC;
    static pointer invalid() noexcept { return nullptr; }
    static void close(pointer dc) noexcept { ::DeleteDC(dc); }
};
using UniqueCompatibleDC = Unique<CompatibleDCTraits>;

// A DC lent by a window (GetDC, GetWindowDC); giving it back needs the window too.
struct WindowDCHandle {
    HWND window = nullptr;
    HDC dc = nullptr;
    friend bool operator==(const WindowDCHandle&, const WindowDCHandle&) = default;
};
struct WindowDCTraits {
    using pointer = WindowDCHandle;
    static pointer invalid() noexcept { return {}; }
    static void close(pointer handle) noexcept { ::ReleaseDC(handle.window, handle.dc); }
};
using UniqueWindowDC = Unique<WindowDCTraits>;

// A painting begun with BeginPaint; EndPaint needs the window and the paint record.
struct PaintHandle {
    HWND window = nullptr;
    PAINTSTRUCT paint{};
    friend bool operator==(const PaintHandle& a, const PaintHandle& b) noexcept {
        return a.window == b.window && a.paint.hdc == b.paint.hdc;
    }
};
struct PaintTraits {
    using pointer = PaintHandle;
    static pointer invalid() noexcept { return {}; }
    static void close(pointer handle) noexcept { ::EndPaint(handle.window, &handle.paint); }
};
using UniquePaint = Unique<PaintTraits>;

// An object selected into a DC, and the object it replaced there, which goes back on release.
struct Selection {
    HDC dc = nullptr;
    HGDIOBJ previous = nullptr;
    friend bool operator==(const Selection&, const Selection&) = default;
};
struct SelectionTraits {
    using pointer = Selection;
    static pointer invalid() noexcept { return {}; }
    static void close(pointer selection) noexcept {
        ::SelectObject(selection.dc, selection.previous);
    }
};
using SelectedObject = Unique<SelectionTraits>;

// A font, brush, pen or bitmap owned by its object; Create* replaces (and releases) what was held.
template <typename Handle>
class CGdiObject {
public:
    Handle GetSafeHandle() const noexcept { return m_object.get(); }
    explicit operator bool() const noexcept { return static_cast<bool>(m_object); }
    // Releases the object now; false when none was held.
    bool DeleteObject() noexcept {
        const bool held = static_cast<bool>(m_object);
        m_object.reset();
        return held;
    }

protected:
    bool Own(Handle object) noexcept {
        m_object.reset(object);
        return object != nullptr;
    }

private:
    Unique<GdiObjectTraits<Handle>> m_object;
};

class CDC;

class CBitmap : public CGdiObject<HBITMAP> {
public:
    // A bitmap resource of the program.
    bool LoadBitmap(UINT resourceId);
    bool CreateCompatibleBitmap(const CDC& dc, int width, int height);
    bool GetBitmap(BITMAP& info) const;
};

class CFont : public CGdiObject<HFONT> {
public:
    bool CreateFont(int height, int width, int escapement, int orientation, int weight, BYTE italic,
                    BYTE underline, BYTE strikeOut, BYTE charSet, BYTE outputPrecision,
                    BYTE clipPrecision, BYTE quality, BYTE pitchAndFamily, const wchar_t* faceName);
    bool CreateFontIndirect(const LOGFONTW& description);
};

class CBrush : public CGdiObject<HBRUSH> {
public:
    CBrush() noexcept = default;
    explicit CBrush(COLORREF colour) { CreateSolidBrush(colour); }
    bool CreateSolidBrush(COLORREF colour);
};

class CPen : public CGdiObject<HPEN> {
public:
    CPen() noexcept = default;
    CPen(int style, int width, COLORREF colour) { CreatePen(style, width, colour); }
    bool CreatePen(int style, int width, COLORREF colour);
};

// The drawing operations on a DC it does not own: the DC handed to WM_ERASEBKGND, or the base of
// the owning DCs below.
class CDC {
public:
    CDC() noexcept = default;
    explicit CDC(HDC dc) noexcept : m_hDC(dc) {}

    HDC GetSafeHdc() const noexcept { return m_hDC; }

    // Selects the object until the returned guard ends, which puts the previous one back. Declare
    // the guard after the object, so it ends first.
    [[nodiscard]] SelectedObject SelectObject(HGDIOBJ object) const;
    template <typename Handle>
    [[nodiscard]] SelectedObject SelectObject(const CGdiObject<Handle>& object) const {
        return SelectObject(static_cast<HGDIOBJ>(object.GetSafeHandle()));
    }
    [[nodiscard]] SelectedObject SelectStockObject(int index) const;

    bool FillRect(const RECT& rect, HBRUSH brush) const;
    bool FillRect(const RECT& rect, const CBrush& brush) const;
    // Fills with a colour without creating a brush; the DC's background colour stays as it was.
    void FillSolidRect(const RECT& rect, COLORREF colour) const;
    void FillSolidRect(int x, int y, int width, int height, COLORREF colour) const;
    // A one-pixel frame inside the rectangle: top and left in one colour, bottom and right in the
    // other.
    void Draw3dRect(const RECT& rect, COLORREF topLeft, COLORREF bottomRight) const;
    bool Rectangle(const RECT& rect) const;
    bool BitBlt(int x, int y, int width, int height, const CDC& source, int xSource, int ySource,
                DWORD rop) const;
    int DrawText(std::wstring_view text, RECT& rect, UINT format) const;
    bool DrawIcon(int x, int y, HICON icon) const;
    POINT MoveTo(int x, int y) const;
    bool LineTo(int x, int y) const;

    int SetBkMode(int mode) const;
    COLORREF SetBkColor(COLORREF colour) const;
    COLORREF SetTextColor(COLORREF colour) const;
    POINT SetWindowOrg(int x, int y) const;
    int GetDeviceCaps(int index) const;
    int GetClipBox(RECT& rect) const;
    int ExcludeClipRect(const RECT& rect) const;
    int SaveDC() const;
    bool RestoreDC(int saved) const;

protected:
    HDC m_hDC = nullptr;
};

// The DC of one WM_PAINT: BeginPaint on construction, EndPaint on destruction.
class CPaintDC : public CDC {
public:
    explicit CPaintDC(const CWindow& window);
    CPaintDC(CPaintDC&&) = delete;
    PAINTSTRUCT PaintStruct() const noexcept { return m_paint.get().paint; }

private:
    UniquePaint m_paint;
};

// The client-area DC of a window (GetDC); a null window gives the screen's.
class CClientDC : public CDC {
public:
    explicit CClientDC(const CWindow& window);
    CClientDC(CClientDC&&) = delete;

private:
    UniqueWindowDC m_dc;
};

// The DC of a whole window, frame included (GetWindowDC).
class CWindowDC : public CDC {
public:
    explicit CWindowDC(const CWindow& window);
    CWindowDC(CWindowDC&&) = delete;

private:
    UniqueWindowDC m_dc;
};

// A DC made with CreateCompatibleDC, compatible with another (or with the screen for a null one),
// deleted with the object. It draws nowhere but into what is selected into it; the controls'
// CMemDC is the buffer that copies itself back to a target.
class CCompatibleDC : public CDC {
public:
    explicit CCompatibleDC(const CDC& compatibleWith);
    CCompatibleDC(CCompatibleDC&&) = delete;

private:
    UniqueCompatibleDC m_dc;
};

} // namespace wcl
