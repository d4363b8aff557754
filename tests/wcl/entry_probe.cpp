// A program that is nothing but its application object, started by the application tests to show
// the library's wWinMain running it. "stop": InitInstance returns false. "run": InitInstance
// returns true and quits the loop with 4. ExitInstance reports what happened.
#include <windows.h>

#include <cwchar>

#include "wcl/app.h"

namespace {

class ProbeApp : public wcl::CWinApp {
public:
    bool InitInstance() override {
        m_run = std::wcsstr(::GetCommandLineW(), L" run") != nullptr;
        if (m_run)
            ::PostQuitMessage(4);
        return m_run;
    }
    int ExitInstance() override { return m_run ? CWinApp::ExitInstance() * 10 : 3; }

private:
    bool m_run = false;
};

ProbeApp theApp;

} // namespace
