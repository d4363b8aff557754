// The application object and the entry: InitInstance decides whether a message loop runs at all,
// the exit code comes from ExitInstance, and the main window owns modal dialogs started without
// an owner. The last test starts a real program built on the library's wWinMain.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "test_resources.h"
#include "wcl/app.h"
#include "wcl/dialog.h"
#include "wcl/handle.h"
#include "window_test_support.h"

namespace {

constexpr UINT kProbe = WM_APP + 1;

class TestApp : public wcl::CWinApp {
public:
    bool startUp = false;
    bool throwOnStart = false;
    int exitCode = 0;
    bool ranLoop = false;

    bool InitInstance() override {
        if (throwOnStart)
            throw std::runtime_error("start-up failed");
        if (startUp)
            ::PostQuitMessage(exitCode);
        return startUp;
    }
    int Run() override {
        ranLoop = true;
        return CWinApp::Run();
    }
};

TEST(Application, WithoutAnApplicationObjectTheEntryFails) {
    ASSERT_EQ(wcl::AfxGetApp(), nullptr);
    EXPECT_EQ(wcl::AfxWinMain(), -1);
}

TEST(Application, StartUpThatReturnsFalseEndsWithoutAMessageLoop) {
    TestApp app;
    EXPECT_EQ(wcl::AfxGetApp(), &app);
    // A message waiting for the thread stays there: nothing pumped the queue.
    ::PostThreadMessageW(::GetCurrentThreadId(), kProbe, 0, 0);
    EXPECT_EQ(wcl::AfxWinMain(), 0);
    EXPECT_FALSE(app.ranLoop);
    MSG msg{};
    EXPECT_TRUE(::PeekMessageW(&msg, nullptr, kProbe, kProbe, PM_REMOVE));
}

TEST(Application, StartUpThatReturnsTrueRunsTheLoopUntilQuit) {
    TestApp app;
    app.startUp = true;
    app.exitCode = 7;
    EXPECT_EQ(wcl::AfxWinMain(), 7);
    EXPECT_TRUE(app.ranLoop);
}

TEST(Application, AnExceptionFromStartUpStaysInsideTheEntry) {
    TestApp app;
    app.throwOnStart = true;
    EXPECT_EQ(wcl::AfxWinMain(), -1);
}

TEST(Application, TheMainWindowOwnsADialogStartedWithoutAnOwner) {
    TestApp app;
    wcl_test::ScriptedDialog main(IDD_TEST_FRAME);
    ASSERT_TRUE(main.Create(IDD_TEST_FRAME));
    app.m_pMainWnd = &main;
    EXPECT_EQ(wcl::AfxGetMainWnd(), &main);

    wcl_test::ScriptedDialog modal(IDD_TEST_FRAME);
    HWND owner = nullptr;
    modal.onInit = [&](wcl_test::ScriptedDialog& d) {
        owner = ::GetWindow(d.GetSafeHwnd(), GW_OWNER);
        d.PostMessage(WM_COMMAND, IDOK);
    };
    EXPECT_EQ(modal.DoModal(), IDOK);
    EXPECT_EQ(owner, main.GetSafeHwnd());
}

// Runs the probe program (entry_probe.cpp), built beside this test, and returns its exit code.
DWORD RunProbe(const wchar_t* argument) {
    wchar_t self[MAX_PATH];
    const DWORD length = ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring path(self, length);
    path = path.substr(0, path.find_last_of(L'\\') + 1) + L"wcl_entry_probe.exe";
    std::wstring commandLine = L"\"" + path + L"\" " + argument;
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION started{};
    if (!::CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          nullptr, &startup, &started))
        return 0xFFFFFFFF;
    wcl::UniqueHandle process(started.hProcess);
    wcl::UniqueHandle thread(started.hThread);
    ::WaitForSingleObject(process.get(), 30000);
    DWORD code = 0xFFFFFFFF;
    ::GetExitCodeProcess(process.get(), &code);
    return code;
}

TEST(Application, TheLibrarysEntryRunsTheProgramsGlobalApplication) {
    EXPECT_EQ(RunProbe(L"stop"), 3u); // InitInstance false: ExitInstance's 3, no loop
    EXPECT_EQ(RunProbe(L"run"), 40u); // the loop ran until WM_QUIT 4; ExitInstance made 40
}

} // namespace
