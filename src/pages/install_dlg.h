// The Install page: shows what the installation is doing (a title, a subtitle and a status line
// in a white band with the logo, the overall progress bar, and one row per program file with its
// own download bar) and carries the install run. The page paints its whole surface itself
// through an off-screen picture.
#pragma once

#include <list>
#include <memory>
#include <string>

#include "controls/busy_progress_ctrl.h"
#include "controls/x_list_ctrl.h"
#include "update/update_client.h"
#include "wcl/dialog.h"
#include "wcl/gdi.h"
#include "wcl/sync.h"
#include "wcl/thread.h"

class CInstallDlg : public wcl::CDialog {
public:
    // The status line's area, repainted when the status changes; a longer text is redrawn beyond
    // its right edge only when the whole page is repainted.
    static constexpr RECT kStatusArea{23, 74, 500, 95};

    CInstallDlg();
    // The update client and the entries of the worker list go first (the workers themselves are
    // left alone), then the controls, the font and the logo.
    ~CInstallDlg() override;

    bool PreTranslateMessage(MSG& msg) override;

    // Replaces the status line and has its area repainted; an empty or unchanged text does
    // nothing.
    void SetStatusText(const std::wstring& text);

    // The install run's operations, called by the frame: the version-list check and the start
    // of the downloads on Next, and pausing, resuming and stopping the downloads around the
    // cancel question.
    void CheckProgramVersion();
    void StartInstall();
    void SuspendAllThreads();
    void ResumeAllThreads();
    void TerminateAllThreads();

    // The controls and the font, for the install run and for tests.
    CXListCtrl& FileList() noexcept { return m_listFiles; }
    CBusyProgressCtrl& OverallProgress() noexcept { return m_progress; }
    const wcl::CFont& ListFont() const noexcept { return m_fontList; }
    CUpdateClient* Client() const noexcept { return m_pClient.get(); }

protected:
    void DoDataExchange(wcl::CDataExchange& dx) override;
    bool OnInitDialog() override;
    const wcl::MessageMap& GetMessageMap() const override;

private:
    void SetUpProgress();
    void SetUpListFont();
    void SetUpListColumns();
    bool OnEraseBkgnd(wcl::CDC& dc);
    void PaintPicture(const wcl::CDC& picture);
    void DrawTexts(const wcl::CDC& picture);

    int m_nLangId = 0;
    std::unique_ptr<CUpdateClient> m_pClient;
    wcl::CBitmap m_bmpLogo;
    wcl::CFont m_fontList;
    wcl::CCriticalSection m_csStatus;
    std::wstring m_strStatus; // guarded by m_csStatus
    int m_nDoneCount = 0;
    wcl::CCriticalSection m_csThreads;
    // The download workers started and not yet reported done, in start order; guarded by
    // m_csThreads. The install run owns the thread objects.
    std::list<wcl::CThread*> m_threads;
    CXListCtrl m_listFiles;
    CBusyProgressCtrl m_progress;
};
