// The Install page: shows what the installation is doing (a title, a subtitle and a status line
// in a white band with the logo, the overall progress bar, and one row per program file with its
// own download bar) and carries the install run. The page paints its whole surface itself
// through an off-screen picture.
#pragma once

#include <list>
#include <memory>
#include <string>
#include <vector>

#include "controls/busy_progress_ctrl.h"
#include "controls/x_list_ctrl.h"
#include "install/install_run.h"
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
    // Stops the workers and waits for them first, whatever they are doing, so none of them can
    // reach the page while it goes; then the update client, the controls, the font and the logo.
    ~CInstallDlg() override;

    bool PreTranslateMessage(MSG& msg) override;

    // Replaces the status line and has its area repainted; an empty or unchanged text does
    // nothing.
    void SetStatusText(const std::wstring& text);

    // Where the run fetches its files and how long its requests wait; before the version step.
    // The setup keeps the defaults.
    void SetRunSettings(const InstallRunSettings& settings);

    // The install run's operations, called by the frame: the version-list check and the start
    // of the downloads on Next, and holding, releasing and stopping the downloads around the
    // cancel question. Holding returns when no worker is in the middle of a step: from then
    // until the release no row moves and no report arrives. Stopping is for good and returns
    // when every worker has ended; no worker reports anything after it.
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
    // Workers that have reported done.
    int DoneCount() const noexcept { return m_nDoneCount; }
    // The status line as it stands.
    std::wstring StatusText() const;

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

    LRESULT OnInstallProgress(WPARAM item, LPARAM percent);
    void ShowProgress(size_t row, int32_t percent);
    LRESULT OnInstallFileDone(WPARAM param, LPARAM written);
    LRESULT OnInstallFinish(WPARAM, LPARAM);
    void InsertFileRows();
    bool StartWorker(int32_t index);
    void JoinWorkers();
    int FileCount() const;

    int m_nLangId = 0;
    std::unique_ptr<CUpdateClient> m_pClient;
    wcl::CBitmap m_bmpLogo;
    wcl::CFont m_fontList;
    mutable wcl::CCriticalSection m_csStatus;
    std::wstring m_strStatus; // guarded by m_csStatus
    int m_nDoneCount = 0;
    wcl::CCriticalSection m_csThreads;
    // The download workers started and not yet reported done, in start order; guarded by
    // m_csThreads. The thread objects are m_workers'.
    std::list<wcl::CThread*> m_threads;
    CXListCtrl m_listFiles;
    CBusyProgressCtrl m_progress;

    // What the workers share: the gate, the windows they report to, the settings.
    InstallRunContext m_run;
    // Every worker started, kept until the page goes: a worker still finishing its done report
    // when its entry leaves m_threads is waited for by no one else.
    std::vector<std::unique_ptr<wcl::CThread>> m_workers;
    // The parameters not yet freed by a done report. A done report names its parameter by
    // address; only an address found here is ever followed.
    std::vector<std::unique_ptr<InstallThreadParam>> m_params;
    // Rows whose bar has reached 100: a late report never moves them back.
    std::vector<bool> m_rowFinished;
    // Per row, the last report that came while the downloads were held; -1 for none.
    std::vector<int32_t> m_heldPercent;
    bool m_bFinished = false;
};
