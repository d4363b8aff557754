#include "pages/install_dlg.h"

#include <utility>

#include "pages/page_painting.h"
#include "res/resource.h"
#include "wcl/app.h"

namespace {

constexpr COLORREF kBandLine = RGB(172, 168, 153);
constexpr COLORREF kPageBackground = RGB(236, 233, 216);
// The white band at the top holds the logo and the texts; its grey line lies on row 57, and the
// pen line below the band on row 59 leaves row 58 white.
constexpr int kBandHeight = 59;
constexpr int kBandLineRow = 57;
constexpr int kPenLineRow = kBandHeight;
constexpr int kLogoLeft = 430;
constexpr int kLogoWidth = 150;
constexpr int kLogoHeight = 57;
constexpr int kTextHeight = 15;
constexpr RECT kProgressPlace{23, 95, 23 + 525, 95 + 14};
constexpr RECT kListPlace{23, 115, 23 + 525, 115 + 153};
constexpr int kListFontPoints = 8;
constexpr wchar_t kCompanyName[] = L"Tervane Corporation";

void Place(const wcl::CWindow& window, const RECT& place) {
    window.MoveWindow(place.left, place.top, place.right - place.left, place.bottom - place.top,
                      true);
}

void RedrawNow(const wcl::CWindow& window) {
    window.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
}

// Vertical pixels per inch of the frame's window DC; 0 when no DC can be had.
int MainWindowDpi() {
    const wcl::CWnd* main = wcl::AfxGetMainWnd();
    const wcl::CWindowDC dc(main ? static_cast<const wcl::CWindow&>(*main) : wcl::CWindow());
    return dc.GetSafeHdc() ? dc.GetDeviceCaps(LOGPIXELSY) : 0;
}

} // namespace

CInstallDlg::CInstallDlg() : CDialog(IDD_INSTALL) {}

CInstallDlg::~CInstallDlg() {
    m_pClient.reset();
    m_threads.clear();
}

void CInstallDlg::DoDataExchange(wcl::CDataExchange& dx) {
    wcl::DDX_Control(dx, IDC_FILE_LIST, m_listFiles);
    wcl::DDX_Control(dx, IDC_PROGRESS, m_progress);
}

const wcl::MessageMap& CInstallDlg::GetMessageMap() const {
    static constexpr wcl::MessageEntry entries[] = {
        wcl::MapMessage<WM_ERASEBKGND, &CInstallDlg::OnEraseBkgnd>(),
    };
    static const wcl::MessageMap map(CDialog::GetMessageMap(), entries);
    return map;
}

bool CInstallDlg::OnInitDialog() {
    if (!CDialog::OnInitDialog())
        return false;
    m_nLangId = ::GetSystemDefaultLangID();
    m_pClient = std::make_unique<CUpdateClient>();
    m_pClient->notifyWnd = m_hWnd;
    PlacePage(*this);
    m_bmpLogo.LoadBitmap(IDB_LOGO);
    SetUpProgress();
    SetUpListFont();
    Place(m_listFiles, kListPlace);
    SetUpListColumns();
    return true;
}

// One light block that fills as the files finish; the range stays 0..100 until the version
// step sets it.
void CInstallDlg::SetUpProgress() {
    Place(m_progress, kProgressPlace);
    m_progress.blockCount = 1;
    m_progress.Recalc();
    m_progress.period = 100;
    m_progress.blockColour = RGB(222, 233, 243);
    m_progress.filledColour = RGB(155, 173, 213);
    m_progress.backgroundColour = RGB(255, 255, 255);
    m_progress.blockBorderColour = RGB(155, 173, 213);
    m_progress.position = 0;
    m_progress.Invalidate();
    m_progress.SetMode(CBusyProgressCtrl::kModeProgress);
    m_progress.SetMotion(CBusyProgressCtrl::kMotionForward);
    m_progress.SetFill(CBusyProgressCtrl::kFillGrowing); // no effect in progress mode
}

// The rows take their height from the list's own font; the cells are drawn in 8-point Arial.
void CInstallDlg::SetUpListFont() {
    m_listFiles.SetRowHeightFont();
    LOGFONTW description{};
    const int dpi = MainWindowDpi();
    description.lfHeight = dpi ? -::MulDiv(kListFontPoints, dpi, 72) : kListFontPoints;
    description.lfWeight = FW_NORMAL;
    description.lfItalic = FALSE;
    wcscpy_s(description.lfFaceName, LF_FACESIZE, L"Arial");
    m_fontList.CreateFontIndirect(description);
    m_listFiles.drawFont = m_fontList.GetSafeHandle();
    RedrawNow(m_listFiles);
}

// File name and download bar: 30 % and 65 % of the list's width; the rest stays empty.
void CInstallDlg::SetUpListColumns() {
    m_listFiles.InsertColumn(0, L"", LVCFMT_CENTER, 40);
    m_listFiles.InsertColumn(1, L"", LVCFMT_CENTER, 70);
    const RECT list = m_listFiles.GetWindowRect();
    const int width = list.right - list.left;
    m_listFiles.SendMessage(LVM_SETCOLUMNWIDTH, 0,
                            MAKELPARAM(static_cast<WORD>(30 * width / 100), 0));
    m_listFiles.SendMessage(LVM_SETCOLUMNWIDTH, 1,
                            MAKELPARAM(static_cast<WORD>(65 * width / 100), 0));
    RedrawNow(m_listFiles);
}

bool CInstallDlg::PreTranslateMessage(MSG& msg) {
    return FilterPageKey(msg) || CDialog::PreTranslateMessage(msg);
}

void CInstallDlg::SetStatusText(const std::wstring& text) {
    {
        const wcl::ScopedLock hold(m_csStatus);
        if (text.empty() || text == m_strStatus)
            return;
        m_strStatus = text;
    }
    InvalidateRect(&kStatusArea, true);
}

// The page is put together in a 290-row picture and copied in one go; the rows below the
// picture continue the page's background, and the line below the white band is drawn last,
// directly on the page.
bool CInstallDlg::OnEraseBkgnd(wcl::CDC& dc) {
    {
        wcl::CMemoryDC picture(dc);
        wcl::CBitmap pictureBitmap;
        if (picture.GetSafeHdc() &&
            pictureBitmap.CreateCompatibleBitmap(dc, kPageWidth, kPagePictureHeight)) {
            const wcl::SelectedObject selected = picture.SelectObject(pictureBitmap);
            PaintPicture(picture);
            dc.BitBlt(0, 0, kPageWidth, kPagePictureHeight, picture, 0, 0, SRCCOPY);
        }
    }
    // The copy reads only the picture's rows; the page's last rows are filled here.
    dc.FillSolidRect(RECT{0, kPagePictureHeight, kPageWidth, kPageHeight}, kPageBackground);
    const wcl::CPen pen(PS_SOLID, 0, kBandLine);
    const wcl::SelectedObject selectedPen = dc.SelectObject(pen);
    dc.MoveTo(0, kPenLineRow);
    dc.LineTo(kPageWidth, kPenLineRow);
    return true;
}

void CInstallDlg::PaintPicture(const wcl::CDC& picture) {
    const wcl::CBrush white(kPageWhite);
    const wcl::CBrush line(kBandLine);
    const wcl::CBrush background(kPageBackground);
    picture.FillRect(RECT{0, 0, kPageWidth, kBandHeight}, white);
    picture.FillRect(RECT{0, kBandLineRow, kPageWidth, kBandLineRow + 1}, line);
    picture.FillRect(RECT{0, kBandHeight, kPageWidth, kPageHeight}, background);
    {
        // ANDed with the picture DC's default white brush: the logo unchanged.
        wcl::CMemoryDC logo(picture);
        const wcl::SelectedObject selectedLogo = logo.SelectObject(m_bmpLogo);
        if (selectedLogo)
            picture.BitBlt(kLogoLeft, 0, kLogoWidth, kLogoHeight, logo, 0, 0, MERGECOPY);
    }
    DrawTexts(picture);
    // The engraved line right of the company name.
    picture.FillRect(RECT{135, 283, 567, 284}, line);
    picture.FillRect(RECT{135, 284, 567, 285}, white);
}

void CInstallDlg::DrawTexts(const wcl::CDC& picture) {
    const bool korean = m_nLangId == kKoreanLangId;
    const auto draw = [&picture](std::wstring_view text, bool bold, COLORREF colour, int left,
                                 int top) {
        DrawPageText(picture, text, bold, colour, 0, kTextHeight,
                     RECT{left, top, kPageWidth, kPageHeight});
    };
    draw(korean ? L"설치중" : L"Installing", true, kPageBlack, 18, 7);
    draw(korean ? L"설치중입니다. 잠시만 기다려주세요." : L"Installing. Please wait.", false,
         kPageBlack, 23, 25);
    {
        const wcl::ScopedLock hold(m_csStatus);
        if (!m_strStatus.empty())
            draw(m_strStatus, false, kPageBlack, kStatusArea.left, kStatusArea.top);
    }
    // Engraved: the grey name one pixel up and left of the white one, drawn over it.
    draw(kCompanyName, false, kPageWhite, 14, 276);
    draw(kCompanyName, false, kBandLine, 13, 275);
}

// The install run fills these in; until then the frame's calls find nothing to do.
void CInstallDlg::CheckProgramVersion() {}
void CInstallDlg::StartInstall() {}
void CInstallDlg::SuspendAllThreads() {}
void CInstallDlg::ResumeAllThreads() {}
void CInstallDlg::TerminateAllThreads() {}
