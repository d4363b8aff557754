// The wizard frame: the setup's only top-level window, a fixed 582 x 365 dialog centred on the
// screen. It holds the three pages (Welcome, Install, Complete) as child windows above a row of
// buttons, shows one page at a time, turns Next into the start of the installation and, at the
// end, into the finish, and asks the cancel question.
//
// Driving it from outside (tests, the demo): it is a dialog titled "Install ORIBEL"; Next is
// control 1001 and Cancel 1002 (BM_CLICK works, also from another process); WM_CLOSE asks the
// cancel question, a "#32770" message box owned by the frame, with Yes and No.
#pragma once

#include <windows.h>

#include <atomic>
#include <memory>

#include "app/running_product.h"
#include "install/install_run.h"
#include "wcl/controls.h"
#include "wcl/dialog.h"

class CWelcomDlg;
class CInstallDlg;
class CCompleteDlg;

class CKestrelSetupDlg : public wcl::CDialog {
public:
    explicit CKestrelSetupDlg(wcl::CWnd* parent = nullptr);
    ~CKestrelSetupDlg() override;

    // The pages, null before they are created and after they are deleted.
    CWelcomDlg* WelcomePage() const noexcept { return m_pWelcomeDlg.get(); }
    CInstallDlg* InstallPage() const noexcept { return m_pInstallDlg.get(); }
    CCompleteDlg* CompletePage() const noexcept { return m_pCompleteDlg.get(); }
    // The Next button, which the pages' key filter clicks on Enter.
    const wcl::CButton& NextButton() const noexcept { return m_btnNext; }
    // 0 while the Welcome page is shown, 1 from the start of the installation on.
    int Step() const noexcept { return m_nStep; }
    // True once the frame has ended its modal run (the loop leaves at its next turn).
    bool Ended() const noexcept { return m_bEnded; }

    // How long Next on the Welcome page waits for a running product to go; the setup keeps the
    // defaults, tests shorten them.
    void SetStopBounds(const app::StopBounds& bounds) noexcept { m_stopBounds = bounds; }
    // Where the Install page fetches the program files; the setup keeps the defaults, tests and
    // the demo point it at a server of their own. Takes effect on the pages created after it.
    void SetInstallSettings(const InstallRunSettings& settings) { m_installSettings = settings; }

    bool PreTranslateMessage(MSG& msg) override;

protected:
    void DoDataExchange(wcl::CDataExchange& dx) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    bool OnInitDialog() override;
    // IDCANCEL, which a download worker sends after its failure box: the wizard ends at once,
    // once the workers have stopped.
    void OnCancel() override;
    const wcl::MessageMap& GetMessageMap() const override;

private:
    void OnPaint();
    HICON OnQueryDragIcon();
    bool OnEraseBkgnd(wcl::CDC& dc);
    void OnBnClickedNext();
    void OnBnClickedCancel();
    LRESULT OnInstallComplete(WPARAM, LPARAM);

    void CreatePages();
    void DeletePages();
    void PlaceWindowAndButtons();
    void StartInstallation();
    void Finish();
    void EndWith(INT_PTR result);
    bool IsFrameButton(HWND window) const;

    int m_nLangId = 0;
    int m_nStep = 0;
    std::unique_ptr<CWelcomDlg> m_pWelcomeDlg;
    std::unique_ptr<CInstallDlg> m_pInstallDlg;
    std::unique_ptr<CCompleteDlg> m_pCompleteDlg;
    HICON m_hIcon = nullptr; // a shared icon of the program's resources, never destroyed
    wcl::CButton m_btnBack;
    wcl::CButton m_btnNext;
    wcl::CButton m_btnCancel;
    app::StopBounds m_stopBounds;
    InstallRunSettings m_installSettings;
    // Set when the modal run has been ended; a handler that finds it set does nothing more.
    bool m_bEnded = false;
};

// The frame, for the pages' key filter and the install run's workers. Set when the frame
// initialises, cleared when the frame object goes (never left pointing at a destroyed frame).
extern std::atomic<CKestrelSetupDlg*> g_pSetupDlg;
