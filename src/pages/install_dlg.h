// The Install page: shows what the installation is doing and carries the install run. Here it
// is the page's window from its template, placed in the frame, with its key filter; its
// content, painting, controls and the install run itself come with the install run.
#pragma once

#include "wcl/dialog.h"

class CInstallDlg : public wcl::CDialog {
public:
    CInstallDlg();

    bool PreTranslateMessage(MSG& msg) override;

    // The install run's operations, called by the frame: the version-list check and the start
    // of the downloads on Next, and pausing, resuming and stopping the downloads around the
    // cancel question.
    void CheckProgramVersion();
    void StartInstall();
    void SuspendAllThreads();
    void ResumeAllThreads();
    void TerminateAllThreads();

protected:
    bool OnInitDialog() override;

private:
    int m_nLangId = 0;
};
