#include "wcl/gdi.h"

#include "wcl/app.h"
#include "wcl/window.h"

namespace wcl {

bool CBitmap::LoadBitmap(UINT resourceId) {
    return Own(::LoadBitmapW(AfxGetResourceHandle(), MAKEINTRESOURCEW(resourceId)));
}

bool CBitmap::CreateCompatibleBitmap(const CDC& dc, int width, int height) {
    return Own(::CreateCompatibleBitmap(dc.GetSafeHdc(), width, height));
}

bool CBitmap::GetBitmap(BITMAP& info) const {
    return GetSafeHandle() && ::GetObjectW(GetSafeHandle(), sizeof(info), &info) == sizeof(info);
}

bool CFont::CreateFont(int height, int width, int escapement, int orientation, int weight,
                       BYTE italic, BYTE underline, BYTE strikeOut, BYTE charSet,
                       BYTE outputPrecision, BYTE clipPrecision, BYTE quality, BYTE pitchAndFamily,
                       const wchar_t* faceName) {
    return Own(::CreateFontW(height, width, escapement, orientation, weight, italic, underline,
                             strikeOut, charSet, outputPrecision, clipPrecision, quality,
                             pitchAndFamily, faceName));
}

bool CFont::CreateFontIndirect(const LOGFONTW& description) {
    return Own(::CreateFontIndirectW(&description));
}

bool CBrush::CreateSolidBrush(COLORREF colour) {
    return Own(::CreateSolidBrush(colour));
}

bool CPen::CreatePen(int style, int width, COLORREF colour) {
    return Own(::CreatePen(style, width, colour));
}

SelectedObject CDC::SelectObject(HGDIOBJ object) const {
    if (!m_hDC || !object)
        return {};
    HGDIOBJ previous = ::SelectObject(m_hDC, object);
    if (!previous || previous == HGDI_ERROR)
        return {};
    return SelectedObject(Selection{m_hDC, previous});
}

SelectedObject CDC::SelectStockObject(int index) const {
    return SelectObject(::GetStockObject(index));
}

bool CDC::FillRect(const RECT& rect, HBRUSH brush) const {
    return ::FillRect(m_hDC, &rect, brush) != 0;
}

bool CDC::FillRect(const RECT& rect, const CBrush& brush) const {
    return FillRect(rect, brush.GetSafeHandle());
}

void CDC::FillSolidRect(const RECT& rect, COLORREF colour) const {
    // An opaque empty text fills its rectangle with the background colour: no brush to make.
    const COLORREF previous = ::SetBkColor(m_hDC, colour);
    ::ExtTextOutW(m_hDC, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
    ::SetBkColor(m_hDC, previous);
}

void CDC::FillSolidRect(int x, int y, int width, int height, COLORREF colour) const {
    FillSolidRect(RECT{x, y, x + width, y + height}, colour);
}

void CDC::Draw3dRect(const RECT& rect, COLORREF topLeft, COLORREF bottomRight) const {
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    FillSolidRect(rect.left, rect.top, width - 1, 1, topLeft);
    FillSolidRect(rect.left, rect.top, 1, height - 1, topLeft);
    FillSolidRect(rect.right - 1, rect.top, 1, height, bottomRight);
    FillSolidRect(rect.left, rect.bottom - 1, width, 1, bottomRight);
}

bool CDC::Rectangle(const RECT& rect) const {
    return ::Rectangle(m_hDC, rect.left, rect.top, rect.right, rect.bottom) != 0;
}

bool CDC::BitBlt(int x, int y, int width, int height, const CDC& source, int xSource, int ySource,
                 DWORD rop) const {
    return ::BitBlt(m_hDC, x, y, width, height, source.m_hDC, xSource, ySource, rop) != 0;
}

int CDC::DrawText(std::wstring_view text, RECT& rect, UINT format) const {
    return ::DrawTextW(m_hDC, text.data(), static_cast<int>(text.size()), &rect, format);
}

bool CDC::DrawIcon(int x, int y, HICON icon) const {
    return ::DrawIcon(m_hDC, x, y, icon) != 0;
}

POINT CDC::MoveTo(int x, int y) const {
    POINT previous{};
    ::MoveToEx(m_hDC, x, y, &previous);
    return previous;
}

bool CDC::LineTo(int x, int y) const {
    return ::LineTo(m_hDC, x, y) != 0;
}

int CDC::SetBkMode(int mode) const {
    return ::SetBkMode(m_hDC, mode);
}

COLORREF CDC::SetBkColor(COLORREF colour) const {
    return ::SetBkColor(m_hDC, colour);
}

COLORREF CDC::SetTextColor(COLORREF colour) const {
    return ::SetTextColor(m_hDC, colour);
}

POINT CDC::SetWindowOrg(int x, int y) const {
    POINT previous{};
    ::SetWindowOrgEx(m_hDC, x, y, &previous);
    return previous;
}

int CDC::GetDeviceCaps(int index) const {
    return ::GetDeviceCaps(m_hDC, index);
}

int CDC::GetClipBox(RECT& rect) const {
    return ::GetClipBox(m_hDC, &rect);
}

int CDC::ExcludeClipRect(const RECT& rect) const {
    return ::ExcludeClipRect(m_hDC, rect.left, rect.top, rect.right, rect.bottom);
}

int CDC::SaveDC() const {
    return ::SaveDC(m_hDC);
}

bool CDC::RestoreDC(int saved) const {
    return ::RestoreDC(m_hDC, saved) != 0;
}

CPaintDC::CPaintDC(const CWindow& window) {
    PaintHandle handle{window.GetSafeHwnd(), {}};
    if (handle.window && ::BeginPaint(handle.window, &handle.paint)) {
        m_paint.reset(handle);
        m_hDC = handle.paint.hdc;
    }
}

CClientDC::CClientDC(const CWindow& window) {
    const HWND handle = window.GetSafeHwnd();
    if (HDC dc = ::GetDC(handle)) {
        m_dc.reset(WindowDCHandle{handle, dc});
        m_hDC = dc;
    }
}

CWindowDC::CWindowDC(const CWindow& window) {
    const HWND handle = window.GetSafeHwnd();
    if (HDC dc = ::GetWindowDC(handle)) {
        m_dc.reset(WindowDCHandle{handle, dc});
        m_hDC = dc;
    }
}

CCompatibleDC::CCompatibleDC(const CDC& compatibleWith)
    : m_dc(::CreateCompatibleDC(compatibleWith.GetSafeHdc())) {
    m_hDC = m_dc.get();
}

} // namespace wcl
