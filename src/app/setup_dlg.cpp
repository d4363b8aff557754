#include "app/setup_dlg.h"

#include <shellapi.h>

#include <cwchar>
#include <string>

#include "app/product_names.h"
#include "app/setup_messages.h"
#include "app/wizard_keys.h"
#include "oribel_config.h"
#include "pages/complete_dlg.h"
#include "pages/install_dlg.h"
#include "pages/page_painting.h"
#include "pages/welcome_dlg.h"
#include "res/resource.h"
#include "update/product_folder.h"
#include "wcl/app.h"
#include "wcl/gdi.h"
#include "wcl/handle.h"
#include "wcl/text.h"

std::atomic<CKestrelSetupDlg*> g_pSetupDlg{nullptr};

namespace {

constexpr wchar_t kBrowserProgram[] = L"iexplore.exe";
constexpr wchar_t kBrowserAppPathKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\iexplore.exe";

// The outer window, the same on every screen; the pages take the client area above the buttons.
constexpr int kFrameWidth = 582;
constexpr int kFrameHeight = 365;
constexpr COLORREF kFrameBackground = RGB(236, 233, 216);

// Buttons, in client coordinates. Back and Next touch; Cancel stands 20 pixels apart.
constexpr int kButtonWidth = 85;
constexpr int kButtonHeight = 21;
constexpr int kButtonTop = 301;
constexpr int kBackLeft = 292;
constexpr int kNextLeft = 377;
constexpr int kCancelLeft = 482;

struct FrameTexts {
    const wchar_t* back;
    const wchar_t* next;
    const wchar_t* cancel;
    const wchar_t* finish;
    const wchar_t* cancelQuestion; // %ls: the product's name
    const wchar_t* guidePath;
};

constexpr FrameTexts kKoreanTexts{
    .back = L"< 뒤로",
    .next = L"다음 >",
    .cancel = L"취소",
    .finish = L"확인",
    .cancelQuestion = L"%ls 인스톨을 취소하시겠습니까?",
    .guidePath = L"/common/guide01.php",
};
constexpr FrameTexts kEnglishTexts{
    .back = L"< Prev",
    .next = L"Next >",
    .cancel = L"Cancel",
    .finish = L"OK",
    .cancelQuestion = L"Do you want to cancel installing %ls?",
    .guidePath = L"/index_en.php",
};

const FrameTexts& TextsFor(int langId) {
    return langId == kKoreanLangId ? kKoreanTexts : kEnglishTexts;
}

bool IsShown(const wcl::CWnd* page) {
    return page && page->IsWindowVisible();
}

void Show(const wcl::CWnd* page, bool show) {
    if (page)
        page->ShowWindow(show ? SW_SHOW : SW_HIDE);
}

// Starts the installed product with no arguments, in its own folder: the setup's folder (often
// a downloads folder, where anything may lie) is no place for the product to look for files.
// Without a product folder there is no path to start; the result of the start is not examined.
void StartProduct() {
    const std::wstring folder = GetProductFolder();
    if (folder.empty())
        return;
    const std::wstring program = folder + L"\\" + app::kProductImageName;
    ::ShellExecuteW(nullptr, L"open", program.c_str(), nullptr, folder.c_str(), SW_SHOW);
}

// The browser's full path as the system registered it, under HKLM, which only administrators
// change; empty when it is not registered.
std::wstring RegisteredBrowserPath() {
    std::wstring path(MAX_PATH, L'\0');
    DWORD size = static_cast<DWORD>(path.size() * sizeof(wchar_t));
    if (::RegGetValueW(HKEY_LOCAL_MACHINE, kBrowserAppPathKey, nullptr, RRF_RT_REG_SZ, nullptr,
                       path.data(), &size) != ERROR_SUCCESS)
        return {};
    path.resize(::wcsnlen(path.c_str(), path.size()));
    if (path.size() >= 2 && path.front() == L'"' && path.back() == L'"')
        path = path.substr(1, path.size() - 2);
    return path;
}

// Opens the guide page of the maker's web site in the browser, without waiting for it. The
// browser is started by its registered path: a bare name would be looked for in the current
// folder first, and for a setup started from a downloads folder a program planted there as
// "iexplore.exe" would run with the setup's rights. Unregistered, the bare name is looked for
// from the system folder instead.
void OpenGuidePage() {
    const std::wstring address =
        std::wstring(oribel::kWebHost) + TextsFor(::GetSystemDefaultLangID()).guidePath;
    const std::wstring registered = RegisteredBrowserPath();
    wchar_t systemFolder[MAX_PATH] = {};
    ::GetSystemDirectoryW(systemFolder, MAX_PATH);
    SHELLEXECUTEINFOW browser{};
    browser.cbSize = sizeof(browser);
    browser.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    browser.lpVerb = L"open";
    browser.lpFile = registered.empty() ? kBrowserProgram : registered.c_str();
    browser.lpParameters = address.c_str();
    browser.lpDirectory = registered.empty() ? systemFolder : nullptr;
    browser.nShow = SW_SHOW;
    if (::ShellExecuteExW(&browser))
        wcl::UniqueHandle started(browser.hProcess); // not watched: the handle goes at once
}

} // namespace

CKestrelSetupDlg::CKestrelSetupDlg(wcl::CWnd* parent)
    : CDialog(IDD_SETUP_DIALOG, parent),
      m_hIcon(::LoadIconW(wcl::AfxGetResourceHandle(), MAKEINTRESOURCEW(IDR_MAINFRAME))) {}

CKestrelSetupDlg::~CKestrelSetupDlg() {
    CKestrelSetupDlg* self = this;
    g_pSetupDlg.compare_exchange_strong(self, nullptr);
}

void CKestrelSetupDlg::DoDataExchange(wcl::CDataExchange& dx) {
    wcl::DDX_Control(dx, IDC_BACK, m_btnBack);
    wcl::DDX_Control(dx, IDC_NEXT, m_btnNext);
    wcl::DDX_Control(dx, IDC_CANCEL, m_btnCancel);
}

const wcl::MessageMap& CKestrelSetupDlg::GetMessageMap() const {
    using Self = CKestrelSetupDlg;
    static constexpr wcl::MessageEntry entries[] = {
        wcl::MapMessage<WM_PAINT, &Self::OnPaint>(),
        wcl::MapMessage<WM_QUERYDRAGICON, &Self::OnQueryDragIcon>(),
        wcl::MapMessage<WM_ERASEBKGND, &Self::OnEraseBkgnd>(),
        wcl::MapBnClicked<IDC_NEXT, &Self::OnBnClickedNext>(),
        wcl::MapBnClicked<IDC_CANCEL, &Self::OnBnClickedCancel>(),
        wcl::MapMessage<WM_INSTALL_COMPLETE, &Self::OnInstallComplete>(),
    };
    static const wcl::MessageMap map(CDialog::GetMessageMap(), entries);
    return map;
}

bool CKestrelSetupDlg::OnInitDialog() {
    if (!CDialog::OnInitDialog())
        return false;
    SetIcon(m_hIcon, true);
    SetIcon(m_hIcon, false);
    m_nLangId = ::GetSystemDefaultLangID();
    g_pSetupDlg = this;
    SetWindowText(app::kSetupCaption);
    PlaceWindowAndButtons();
    m_btnBack.ShowWindow(SW_HIDE);
    m_nStep = 0;
    CreatePages();
    return true;
}

void CKestrelSetupDlg::PlaceWindowAndButtons() {
    MoveWindow((::GetSystemMetrics(SM_CXSCREEN) - kFrameWidth) / 2,
               (::GetSystemMetrics(SM_CYSCREEN) - kFrameHeight) / 2, kFrameWidth, kFrameHeight);
    // To the top of the z-order once, without staying above every other window.
    SetWindowPos(HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetWindowPos(HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);

    const FrameTexts& texts = TextsFor(m_nLangId);
    m_btnBack.SetWindowText(texts.back);
    m_btnNext.SetWindowText(texts.next);
    m_btnCancel.SetWindowText(texts.cancel);
    m_btnBack.MoveWindow(kBackLeft, kButtonTop, kButtonWidth, kButtonHeight);
    m_btnNext.MoveWindow(kNextLeft, kButtonTop, kButtonWidth, kButtonHeight);
    m_btnCancel.MoveWindow(kCancelLeft, kButtonTop, kButtonWidth, kButtonHeight);
}

void CKestrelSetupDlg::CreatePages() {
    DeletePages();
    // A page whose window cannot be created is not kept: the frame then has no such page.
    m_pWelcomeDlg = std::make_unique<CWelcomDlg>();
    if (m_pWelcomeDlg->Create(IDD_WELCOME, this))
        m_pWelcomeDlg->ShowWindow(SW_SHOW);
    else
        m_pWelcomeDlg.reset();
    m_pInstallDlg = std::make_unique<CInstallDlg>();
    if (m_pInstallDlg->Create(IDD_INSTALL, this)) {
        m_pInstallDlg->ShowWindow(SW_HIDE);
        m_pInstallDlg->SetRunSettings(m_installSettings);
    } else {
        m_pInstallDlg.reset();
    }
    m_pCompleteDlg = std::make_unique<CCompleteDlg>();
    if (m_pCompleteDlg->Create(IDD_COMPLETE, this))
        m_pCompleteDlg->ShowWindow(SW_HIDE);
    else
        m_pCompleteDlg.reset();
}

void CKestrelSetupDlg::DeletePages() {
    m_pWelcomeDlg.reset();
    m_pInstallDlg.reset();
    m_pCompleteDlg.reset();
}

bool CKestrelSetupDlg::IsFrameButton(HWND window) const {
    return window && (window == m_btnBack.GetSafeHwnd() || window == m_btnNext.GetSafeHwnd() ||
                      window == m_btnCancel.GetSafeHwnd());
}

bool CKestrelSetupDlg::PreTranslateMessage(MSG& msg) {
    if (msg.message == WM_KEYDOWN) {
        if (IsIgnoredWizardKey(msg.wParam))
            return true;
        if (msg.wParam == VK_RETURN) {
            // Enter on one of the buttons clicks that button while it is enabled, and does
            // nothing elsewhere. The dialog's own processing is not asked: without a default
            // button in the template it sends IDOK, which would end the wizard on the spot.
            if (IsFrameButton(msg.hwnd))
                ClickIfEnabled(msg.hwnd);
            return true;
        }
    }
    return CDialog::PreTranslateMessage(msg);
}

LRESULT CKestrelSetupDlg::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CLOSE) {
        // The close button, Alt+F4 and the system menu take Cancel's way, also while the Cancel
        // button is disabled.
        PostMessage(WM_COMMAND, MAKEWPARAM(IDC_CANCEL, BN_CLICKED), 0);
        return 0;
    }
    return CDialog::WindowProc(message, wParam, lParam);
}

bool CKestrelSetupDlg::OnEraseBkgnd(wcl::CDC& dc) {
    wcl::CCompatibleDC memory(dc);
    wcl::CBitmap picture;
    if (!memory.GetSafeHdc() || !picture.CreateCompatibleBitmap(dc, kFrameWidth, kFrameHeight))
        return true;
    const wcl::SelectedObject selected = memory.SelectObject(picture);
    const wcl::CBrush background(kFrameBackground);
    memory.FillRect(RECT{0, 0, kFrameWidth, kFrameHeight}, background);
    dc.BitBlt(0, 0, kFrameWidth, kFrameHeight, memory, 0, 0, SRCCOPY);
    return true;
}

void CKestrelSetupDlg::OnPaint() {
    if (!IsIconic()) {
        Default();
        return;
    }
    wcl::CPaintDC dc(*this);
    SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc.GetSafeHdc()), 0);
    const RECT client = GetClientRect();
    const int x = (client.right - client.left - ::GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (client.bottom - client.top - ::GetSystemMetrics(SM_CYICON) + 1) / 2;
    dc.DrawIcon(x, y, m_hIcon);
}

HICON CKestrelSetupDlg::OnQueryDragIcon() {
    return m_hIcon;
}

void CKestrelSetupDlg::OnBnClickedNext() {
    // A click sent with BM_CLICK reaches a disabled button under some systems (Wine among
    // them); a disabled Next does nothing.
    if (!m_btnNext.IsWindowEnabled())
        return;
    if (m_nStep == 0)
        StartInstallation();
    else if (m_nStep == 1)
        Finish();
}

void CKestrelSetupDlg::StartInstallation() {
    // Stopping the product takes this thread for a second or more; the buttons are disabled
    // meanwhile so that a click sent in that time finds nothing to press.
    m_btnNext.EnableWindow(false);
    m_btnCancel.EnableWindow(false);
    if (!app::StopRunningProduct(m_stopBounds)) {
        // The product's files cannot be replaced while it runs: stay on the Welcome page.
        m_btnNext.EnableWindow(true);
        m_btnCancel.EnableWindow(true);
        MessageBox(app::ProductStillRunningText(m_nLangId), app::kSetupCaption,
                   MB_OK | MB_ICONWARNING);
        return;
    }
    m_nStep = 1;
    Show(m_pInstallDlg.get(), true);
    Show(m_pWelcomeDlg.get(), false);
    if (m_pInstallDlg) {
        m_pInstallDlg->CheckProgramVersion();
        m_pInstallDlg->StartInstall();
    }
}

void CKestrelSetupDlg::Finish() {
    StartProduct();
    OpenGuidePage();
    DeletePages();
    EndWith(IDOK);
}

// Ends the modal run once no worker runs: the pages' deletion has stopped them where the caller
// deleted the pages, and otherwise (a worker's IDCANCEL) they are stopped here.
void CKestrelSetupDlg::EndWith(INT_PTR result) {
    if (m_pInstallDlg)
        m_pInstallDlg->TerminateAllThreads();
    m_bEnded = true;
    if (result == IDOK)
        CDialog::OnOK();
    else
        CDialog::OnCancel();
}

void CKestrelSetupDlg::OnCancel() {
    EndWith(IDCANCEL);
}

void CKestrelSetupDlg::OnBnClickedCancel() {
    if (m_bEnded)
        return;
    const std::wstring question =
        wcl::Format(TextsFor(m_nLangId).cancelQuestion, app::kProductName);
    if (IsShown(m_pCompleteDlg.get())) {
        // Everything is installed: leave without starting anything.
        DeletePages();
        EndWith(IDOK);
        return;
    }
    const bool installing = IsShown(m_pInstallDlg.get());
    if (installing) {
        // Nothing moves while the user decides. A report a worker was sending meanwhile is
        // handled first, and may have ended the wizard (a failed download).
        m_pInstallDlg->SuspendAllThreads();
        if (m_bEnded)
            return;
    }
    const bool cancel =
        MessageBox(question.c_str(), app::kSetupCaption, MB_YESNO | MB_ICONQUESTION) == IDYES;
    // The page is looked up again: the question's own message loop may have ended the wizard.
    if (m_bEnded)
        return;
    if (cancel) {
        DeletePages(); // the Install page stops and waits for its workers as it goes
        EndWith(IDCANCEL);
    } else if (installing && m_pInstallDlg) {
        m_pInstallDlg->ResumeAllThreads();
    }
}

LRESULT CKestrelSetupDlg::OnInstallComplete(WPARAM, LPARAM) {
    m_btnNext.SetWindowText(TextsFor(m_nLangId).finish);
    m_btnBack.EnableWindow(false);
    m_btnNext.EnableWindow(true);
    m_btnCancel.EnableWindow(false);
    Show(m_pWelcomeDlg.get(), false);
    Show(m_pInstallDlg.get(), false);
    Show(m_pCompleteDlg.get(), true);
    return 1;
}
