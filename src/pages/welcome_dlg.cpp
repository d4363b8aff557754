#include "pages/welcome_dlg.h"

#include <vector>

#include "app/product_names.h"
#include "pages/page_painting.h"
#include "res/resource.h"
#include "wcl/text.h"

namespace {

using app::kProductName;

// The notice lines come first, then the title and the line below it. Each notice line is drawn
// on its own, 15 pixels below the one before.
std::vector<PageText> WelcomeTexts(int langId) {
    constexpr int kNoticeTop = 110;
    constexpr int kLineHeight = 15;
    std::vector<const wchar_t*> notice;
    std::wstring title;
    std::wstring subtitle;
    if (langId == kKoreanLangId) {
        notice = {L"PC 에이전트를 설치하면 자동로그인 기능만 사용할 수 있습니다.",
                  L"PC와 모바일 단말기 간의 파일전송 및 관리 기능을 사용하려면",
                  L"구글 Play스토어에서 ORIBEL 앱을 반드시 설치해주세요."};
        title = wcl::Format(L"%ls 설치", kProductName);
        subtitle = wcl::Format(L"%ls를 설치합니다.", kProductName);
    } else {
        notice = {L"if you install a PC agent, You can use a function",
                  L"of automatic login. If you use a function of file",
                  L"transmission and management between PCand mobile",
                  L"terminal, You should install the ORIBEL app on Google play"};
        title = wcl::Format(L"%ls Install", kProductName);
        subtitle = wcl::Format(L"Install %ls", kProductName);
    }
    std::vector<PageText> texts;
    for (size_t i = 0; i < notice.size(); ++i)
        texts.push_back({notice[i], kNoticeTop + static_cast<int>(i) * kLineHeight, kLineHeight,
                         false, kNoticeRed});
    texts.push_back({title, 20, 17, true, kPageBlack});
    texts.push_back({subtitle, 70, 15, false, kPageBlack});
    return texts;
}

} // namespace

CWelcomDlg::CWelcomDlg() : CDialog(IDD_WELCOME) {}

void CWelcomDlg::DoDataExchange(wcl::CDataExchange& dx) {
    wcl::DDX_Control(dx, IDC_HOMEPAGE, m_stcHomePage);
}

const wcl::MessageMap& CWelcomDlg::GetMessageMap() const {
    static constexpr wcl::MessageEntry entries[] = {
        wcl::MapMessage<WM_ERASEBKGND, &CWelcomDlg::OnEraseBkgnd>(),
    };
    static const wcl::MessageMap map(CDialog::GetMessageMap(), entries);
    return map;
}

bool CWelcomDlg::OnInitDialog() {
    if (!CDialog::OnInitDialog())
        return false;
    m_nLangId = ::GetSystemDefaultLangID();
    PlacePage(*this);
    m_stcHomePage.ShowWindow(SW_HIDE);
    m_bmpSide.LoadBitmap(SidePictureId(m_nLangId));
    return true;
}

bool CWelcomDlg::PreTranslateMessage(MSG& msg) {
    return FilterPageKey(msg) || CDialog::PreTranslateMessage(msg);
}

bool CWelcomDlg::OnEraseBkgnd(wcl::CDC& dc) {
    const std::vector<PageText> texts = WelcomeTexts(m_nLangId);
    PaintPictureAndTexts(dc, m_bmpSide, texts);
    return true;
}
