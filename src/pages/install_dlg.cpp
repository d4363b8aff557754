#include "pages/install_dlg.h"

#include <algorithm>
#include <utility>

#include "app/setup_messages.h"
#include "install/install_messages.h"
#include "install/registration.h"
#include "pages/page_painting.h"
#include "res/resource.h"
#include "wcl/app.h"
#include "wcl/text.h"

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

// Bar colours of a file's row: downloading, and done.
constexpr COLORREF kRunningBar = RGB(135, 200, 66);
constexpr COLORREF kFinishedBar = RGB(208, 206, 188);
// Pauses of the install start: after each row, and before each worker.
constexpr DWORD kRowPause = 30;
constexpr DWORD kWorkerPause = 10;
// How often a stop that waits for a worker closes a failure box the worker still shows.
constexpr DWORD kJoinSlice = 100;

void Place(const wcl::CWindow& window, const RECT& place) {
    window.MoveWindow(place.left, place.top, place.right - place.left, place.bottom - place.top,
                      true);
}

BOOL CALLBACK CloseIfMessageBox(HWND window, LPARAM) {
    wchar_t className[16] = {};
    if (::GetClassNameW(window, className, 16) && std::wstring(className) == L"#32770")
        ::PostMessageW(window, WM_COMMAND, IDOK, 0);
    return TRUE;
}

// Ends the message boxes a thread shows, as their OK would: a stopped worker may still show its
// failure box.
void CloseMessageBoxesOf(DWORD threadId) {
    ::EnumThreadWindows(threadId, &CloseIfMessageBox, 0);
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
    TerminateAllThreads();
    m_pClient.reset();
    m_threads.clear();
    m_params.clear();
}

void CInstallDlg::DoDataExchange(wcl::CDataExchange& dx) {
    wcl::DDX_Control(dx, IDC_FILE_LIST, m_listFiles);
    wcl::DDX_Control(dx, IDC_PROGRESS, m_progress);
}

const wcl::MessageMap& CInstallDlg::GetMessageMap() const {
    static constexpr wcl::MessageEntry entries[] = {
        wcl::MapMessage<WM_ERASEBKGND, &CInstallDlg::OnEraseBkgnd>(),
        wcl::MapMessage<WM_INSTALL_FINISH, &CInstallDlg::OnInstallFinish>(),
        wcl::MapMessage<WM_INSTALL_FILE_DONE, &CInstallDlg::OnInstallFileDone>(),
        wcl::MapMessage<WM_INSTALL_PROGRESS, &CInstallDlg::OnInstallProgress>(),
    };
    static const wcl::MessageMap map(CDialog::GetMessageMap(), entries);
    return map;
}

bool CInstallDlg::OnInitDialog() {
    if (!CDialog::OnInitDialog())
        return false;
    m_nLangId = ::GetSystemDefaultLangID();
    m_pClient = std::make_unique<CUpdateClient>(m_run.settings.client);
    m_pClient->notifyWnd = m_hWnd;
    m_run.pageWnd = m_hWnd;
    m_run.frameWnd = GetParent().GetSafeHwnd();
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
    // Before the page has its window there is nothing to repaint: the text waits for the first
    // paint. A null window must never reach the system, which would repaint the whole desktop.
    if (GetSafeHwnd())
        InvalidateRect(&kStatusArea, true);
}

// The page is put together off screen; the rows below the picture continue the page's
// background, and the line below the white band is drawn last, directly on the page.
bool CInstallDlg::OnEraseBkgnd(wcl::CDC& dc) {
    PaintPageOffScreen(dc, kPageBackground,
                       [this](const wcl::CDC& picture) { PaintPicture(picture); });
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
        wcl::CCompatibleDC logo(picture);
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

std::wstring CInstallDlg::StatusText() const {
    const wcl::ScopedLock hold(m_csStatus);
    return m_strStatus;
}

void CInstallDlg::SetRunSettings(const InstallRunSettings& settings) {
    m_run.settings = settings;
    m_pClient = std::make_unique<CUpdateClient>(settings.client);
    m_pClient->notifyWnd = m_hWnd;
}

int CInstallDlg::FileCount() const {
    return m_pClient ? static_cast<int>(m_pClient->urlList.size()) : 0;
}

void CInstallDlg::CheckProgramVersion() {
    SetStatusText(L"Check Program Version Informaition");
    if (!m_pClient || !m_pClient->LoadVersionList()) {
        SetStatusText(L"Failed Check Program Version Informaition");
        return;
    }
    SetStatusText(L"Check Install Program List");
    m_pClient->BuildUrlList();
    m_progress.rangeLow = 0;
    m_progress.rangeHigh = FileCount();
}

// All rows exist before the first worker starts, and the window thread takes no message until
// the last worker's entry exists, so every done report finds its entry.
void CInstallDlg::StartInstall() {
    SetStatusText(L"Install Start");
    InstallTargetFolder(m_run.settings); // makes the product folder
    if (!m_workers.empty() || m_run.gate.IsStopped())
        return;
    InsertFileRows();
    for (int32_t index = 0; index < FileCount(); ++index) {
        ::Sleep(kWorkerPause);
        if (!StartWorker(index)) {
            // Its done report would never come: the run ends as on a failed download.
            ReportFailedInstall(m_run);
            return;
        }
    }
}

void CInstallDlg::InsertFileRows() {
    const int count = FileCount();
    m_rowFinished.assign(static_cast<size_t>(count), false);
    m_heldPercent.assign(static_cast<size_t>(count), -1);
    for (int row = 0; row < count; ++row) {
        const std::wstring label = GetItemLabel(FileNameOfUrl(m_pClient->urlList[row]));
        m_listFiles.InsertItem(row, label.c_str(), m_listFiles.defaultText,
                               m_listFiles.defaultBackground);
        m_listFiles.SetProgress(row);
        m_listFiles.UpdateProgress(row, 0, kRunningBar, L"");
        m_listFiles.SendMessage(WM_VSCROLL, SB_BOTTOM, 0);
        ::Sleep(kRowPause);
    }
}

bool CInstallDlg::StartWorker(int32_t index) {
    auto param = std::make_unique<InstallThreadParam>();
    param->index = index;
    param->url = m_pClient->urlList[static_cast<size_t>(index)];
    param->run = &m_run;
    auto thread = std::make_unique<wcl::CThread>();
    InstallThreadParam* const worker = param.get();
    wcl::CThread::Body body = [worker] { return InstallThreadProc(worker); };
    const bool started = m_run.settings.startWorker
                             ? m_run.settings.startWorker(*thread, std::move(body))
                             : thread->Start(std::move(body), THREAD_PRIORITY_LOWEST);
    if (!started)
        return false;
    param->thread = thread.get();
    {
        const wcl::ScopedLock hold(m_csThreads);
        m_threads.push_back(thread.get());
    }
    m_workers.push_back(std::move(thread));
    m_params.push_back(std::move(param));
    return true;
}

void CInstallDlg::SuspendAllThreads() {
    m_run.gate.Hold();
}

void CInstallDlg::ResumeAllThreads() {
    m_run.gate.Release();
    for (size_t row = 0; row < m_heldPercent.size(); ++row) {
        if (m_heldPercent[row] >= 0)
            ShowProgress(row, std::exchange(m_heldPercent[row], -1));
    }
}

void CInstallDlg::TerminateAllThreads() {
    m_run.gate.Stop();
    // The message being handled may be a worker's own report of its failure, the IDCANCEL it
    // sent to the frame: the worker waits for the answer, so answer it now; it then finds the
    // run stopped and ends.
    if (::InSendMessage())
        ::ReplyMessage(0);
    JoinWorkers();
}

// Waits for every worker to end. A worker may be in the middle of sending this thread a report
// (handled meanwhile, and ignored since the run is stopped) or showing its failure box (closed).
void CInstallDlg::JoinWorkers() {
    for (const std::unique_ptr<wcl::CThread>& worker : m_workers) {
        while (!wcl::WaitHandlingSentMessages(worker->GetHandle(), kJoinSlice))
            CloseMessageBoxesOf(worker->GetThreadId());
    }
}

// Reports queued before a hold are kept until the release, so no row moves while the downloads
// are held; the last one of a row is the one that counts.
LRESULT CInstallDlg::OnInstallProgress(WPARAM item, LPARAM percent) {
    if (m_run.gate.IsStopped() || item >= m_rowFinished.size())
        return 0;
    const auto value = static_cast<int32_t>(std::clamp<LPARAM>(percent, 0, 100));
    if (m_run.gate.IsHeld())
        m_heldPercent[item] = value;
    else
        ShowProgress(item, value);
    return 0;
}

void CInstallDlg::ShowProgress(size_t row, int32_t percent) {
    if (m_rowFinished[row])
        return;
    m_listFiles.UpdateProgress(static_cast<int>(row), percent,
                               percent == 100 ? kFinishedBar : kRunningBar, L"");
    if (percent == 100)
        m_rowFinished[row] = true;
}

LRESULT CInstallDlg::OnInstallFileDone(WPARAM param, LPARAM) {
    const auto* done = reinterpret_cast<const InstallThreadParam*>(param);
    const auto entry = std::find_if(m_params.begin(), m_params.end(),
                                    [done](const auto& owned) { return owned.get() == done; });
    if (m_run.gate.IsStopped() || entry == m_params.end())
        return 0; // a stopped run counts nothing more; an unknown address is not followed
    {
        const wcl::ScopedLock hold(m_csThreads);
        const auto thread = std::find(m_threads.begin(), m_threads.end(), (*entry)->thread);
        if (thread != m_threads.end())
            m_threads.erase(thread);
    }
    m_params.erase(entry);
    ++m_nDoneCount;
    const int count = FileCount();
    SetStatusText(wcl::Format(L"Install ( %d / %d )", m_nDoneCount, count));
    m_progress.position = m_nDoneCount;
    m_progress.Invalidate();
    if (m_nDoneCount != count || count == 0)
        return 0;
    m_progress.position = count;
    m_progress.Invalidate();
    SendMessage(WM_INSTALL_FINISH, 0, 0);
    return 1;
}

// The registration: runs once, inside the last done report, and only then. No write's result
// stops the next step, and the frame is told in every case.
LRESULT CInstallDlg::OnInstallFinish(WPARAM, LPARAM) {
    const int count = FileCount();
    if (m_bFinished || count == 0 || m_nDoneCount != count)
        return 1;
    m_bFinished = true;
    RegisterProduct(InstallTargetFolder(m_run.settings), m_pClient->version);
    SetStatusText(L"Install complete.");
    if (m_run.frameWnd)
        ::SendMessageW(m_run.frameWnd, WM_INSTALL_COMPLETE, 0, 0);
    m_listFiles.DeleteAllItems();
    return 1;
}
