// The Complete page: tells the user that the product is installed. The frame shows it when the
// installation has finished; the frame's Next, now OK, finishes the wizard.
#pragma once

#include "wcl/dialog.h"
#include "wcl/gdi.h"

class CCompleteDlg : public wcl::CDialog {
public:
    CCompleteDlg();

    bool PreTranslateMessage(MSG& msg) override;

protected:
    bool OnInitDialog() override;
    const wcl::MessageMap& GetMessageMap() const override;

private:
    bool OnEraseBkgnd(wcl::CDC& dc);

    int m_nLangId = 0;
    wcl::CBitmap m_bmpSide;
};
