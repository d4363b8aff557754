// The Welcome page: names the product about to be installed and carries the notice, in red, that
// the agent alone gives only the automatic login and that the phone app is needed for the rest.
// No input of its own: the frame's Next (or Enter) goes on, Cancel leaves.
#pragma once

#include "wcl/controls.h"
#include "wcl/dialog.h"
#include "wcl/gdi.h"

class CWelcomDlg : public wcl::CDialog {
public:
    CWelcomDlg();

    bool PreTranslateMessage(MSG& msg) override;

protected:
    void DoDataExchange(wcl::CDataExchange& dx) override;
    bool OnInitDialog() override;
    const wcl::MessageMap& GetMessageMap() const override;

private:
    bool OnEraseBkgnd(wcl::CDC& dc);

    wcl::CBitmap m_bmpSide;
    int m_nLangId = 0;
    wcl::CStatic m_stcHomePage; // hidden for the page's whole life
};
