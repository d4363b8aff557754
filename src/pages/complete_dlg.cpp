#include "pages/complete_dlg.h"

#include "app/product_names.h"
#include "pages/page_painting.h"
#include "res/resource.h"
#include "wcl/text.h"

CCompleteDlg::CCompleteDlg() : CDialog(IDD_COMPLETE) {}

const wcl::MessageMap& CCompleteDlg::GetMessageMap() const {
    static constexpr wcl::MessageEntry entries[] = {
        wcl::MapMessage<WM_ERASEBKGND, &CCompleteDlg::OnEraseBkgnd>(),
    };
    static const wcl::MessageMap map(CDialog::GetMessageMap(), entries);
    return map;
}

bool CCompleteDlg::OnInitDialog() {
    if (!CDialog::OnInitDialog())
        return false;
    m_nLangId = ::GetSystemDefaultLangID();
    PlacePage(*this);
    m_bmpSide.LoadBitmap(SidePictureId(m_nLangId));
    return true;
}

bool CCompleteDlg::PreTranslateMessage(MSG& msg) {
    return FilterPageKey(msg) || CDialog::PreTranslateMessage(msg);
}

bool CCompleteDlg::OnEraseBkgnd(wcl::CDC& dc) {
    const bool korean = m_nLangId == kKoreanLangId;
    const PageText texts[] = {
        {korean ? L"설치 완료" : L"Install complete", 20, 17, true, kPageBlack},
        {wcl::Format(korean ? L"%ls 설치를 완료하였습니다." : L"Install %ls complete",
                     app::kProductName),
         70, 15, false, kPageBlack},
    };
    PaintPictureAndTexts(dc, m_bmpSide, texts);
    return true;
}
