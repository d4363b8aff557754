#include "pages/install_dlg.h"

#include "pages/page_painting.h"
#include "res/resource.h"

CInstallDlg::CInstallDlg() : CDialog(IDD_INSTALL) {}

bool CInstallDlg::OnInitDialog() {
    if (!CDialog::OnInitDialog())
        return false;
    m_nLangId = ::GetSystemDefaultLangID();
    PlacePage(*this);
    return true;
}

bool CInstallDlg::PreTranslateMessage(MSG& msg) {
    return FilterPageKey(msg) || CDialog::PreTranslateMessage(msg);
}

// The install run fills these in; until then the frame's calls find nothing to do.
void CInstallDlg::CheckProgramVersion() {}
void CInstallDlg::StartInstall() {}
void CInstallDlg::SuspendAllThreads() {}
void CInstallDlg::ResumeAllThreads() {}
void CInstallDlg::TerminateAllThreads() {}
