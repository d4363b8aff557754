#include "wcl/app.h"

#include "wcl/window.h"

namespace wcl {
namespace {

CWinApp* g_app = nullptr;

} // namespace

CWinApp::CWinApp() noexcept {
    g_app = this;
}

CWinApp::~CWinApp() {
    if (g_app == this)
        g_app = nullptr;
}

bool CWinApp::InitInstance() {
    return true;
}

int CWinApp::Run() {
    MSG msg{};
    for (;;) {
        const BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0 || got == -1)
            break;
        const HWND top = m_pMainWnd ? m_pMainWnd->GetSafeHwnd() : nullptr;
        if (!PreTranslateChain(msg, top)) {
            ::TranslateMessage(&msg);
            ::DispatchMessageW(&msg);
        }
    }
    m_exitCode = static_cast<int>(msg.wParam);
    return ExitInstance();
}

int CWinApp::ExitInstance() {
    return m_exitCode;
}

void CWinApp::SetRegistryKey(const wchar_t* key) {
    m_registryKey = key ? key : L"";
}

CWinApp* AfxGetApp() noexcept {
    return g_app;
}

CWnd* AfxGetMainWnd() noexcept {
    return g_app ? g_app->m_pMainWnd : nullptr;
}

HINSTANCE AfxGetResourceHandle() noexcept {
    if (g_app && g_app->m_hInstance)
        return g_app->m_hInstance;
    return ::GetModuleHandleW(nullptr);
}

int AfxWinMain() noexcept {
    CWinApp* app = AfxGetApp();
    if (!app)
        return -1;
    try {
        app->m_hInstance = ::GetModuleHandleW(nullptr);
        if (!app->InitInstance())
            return app->ExitInstance();
        return app->Run();
    } catch (...) {
        return -1; // an exception that reached the entry ends the process; none leaves it
    }
}

} // namespace wcl
