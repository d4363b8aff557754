// The wizard frame on real windows, in this process: its place and buttons, the states from the
// Welcome page through the Install page to the Complete page driven by clicks and by message
// 2026, the keys it ignores, the cancel question on each page, a product that will not stop, and
// the finish, which starts the product and the browser (stand-ins for both).
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <memory>
#include <ostream>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

#include "app/running_product.h"
#include "app/setup_messages.h"
#include "finish_support.h"
#include "frame_driver.h"
#include "oribel_config.h"
#include "pages/complete_dlg.h"
#include "pages/install_dlg.h"
#include "pages/welcome_dlg.h"
#include "res/resource.h"
#include "stand_in_browser/stand_in_browser.h"
#include "stand_in_product/launcher.h"
#include "test_language.h"
#include "update/product_folder.h"
#include "wcl/text.h"
#include "window_finding.h"

namespace {

using setup_test::AnswerBoxShownBy;
using setup_test::BoxAnswerer;
using setup_test::BrowserRegistration;
using setup_test::DrivenFrame;
using setup_test::EnvironmentVariable;
using setup_test::ExpectedTexts;
using setup_test::FindMessageBox;
using setup_test::SamePath;
using setup_test::ThisProgramsFolder;
using setup_test::WaitForStart;
using setup_test::WindowText;

enum class Page { Welcome, Install, Complete };

// Names a parameterised case after its table row.
template <typename Case>
std::string CaseName(const ::testing::TestParamInfo<Case>& row) {
    return row.param.name;
}

const char* NameOf(Page page) {
    switch (page) {
    case Page::Welcome:
        return "Welcome";
    case Page::Install:
        return "Install";
    case Page::Complete:
        return "Complete";
    }
    return "?";
}

RECT RectInParent(HWND window) {
    RECT rect{};
    ::GetWindowRect(window, &rect);
    ::MapWindowPoints(nullptr, ::GetParent(window), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

void ExpectRect(HWND window, RECT expected) {
    const RECT rect = RectInParent(window);
    EXPECT_EQ(rect.left, expected.left);
    EXPECT_EQ(rect.top, expected.top);
    EXPECT_EQ(rect.right, expected.right);
    EXPECT_EQ(rect.bottom, expected.bottom);
}

bool Visible(const wcl::CWnd* page) {
    return page && page->IsWindowVisible();
}

// The frame's row of the states table for the page shown.
void ExpectState(const DrivenFrame& frame, Page page) {
    SCOPED_TRACE(std::string("state ") + NameOf(page));
    const HWND next = frame.Button(IDC_NEXT);
    const HWND cancel = frame.Button(IDC_CANCEL);
    const HWND back = frame.Button(IDC_BACK);
    EXPECT_EQ(frame.Step(), page == Page::Welcome ? 0 : 1);
    EXPECT_EQ(Visible(frame.WelcomePage()), page == Page::Welcome);
    EXPECT_EQ(Visible(frame.InstallPage()), page == Page::Install);
    EXPECT_EQ(Visible(frame.CompletePage()), page == Page::Complete);
    EXPECT_FALSE(::IsWindowVisible(back));
    EXPECT_EQ(::IsWindowEnabled(next) != FALSE, page != Page::Install);
    EXPECT_EQ(::IsWindowEnabled(cancel) != FALSE, page == Page::Welcome);
    EXPECT_EQ(WindowText(next),
              page == Page::Complete ? ExpectedTexts().finish : ExpectedTexts().next);
    if (page == Page::Complete) {
        EXPECT_FALSE(::IsWindowEnabled(back));
    }
}

// Steps that bring a frame on the Welcome page to the given page.
std::vector<DrivenFrame::Action> StepsTo(Page page) {
    std::vector<DrivenFrame::Action> steps;
    if (page != Page::Welcome)
        steps.push_back([](DrivenFrame& f) { f.Click(IDC_NEXT); });
    if (page == Page::Complete)
        steps.push_back([](DrivenFrame& f) { EXPECT_EQ(f.SendMessage(WM_INSTALL_COMPLETE), 1); });
    return steps;
}

std::vector<DrivenFrame::Action> Then(std::vector<DrivenFrame::Action> first,
                                      std::vector<DrivenFrame::Action> more) {
    first.insert(first.end(), more.begin(), more.end());
    return first;
}

// Every case starts with no product running: the frame's Next stops ORIBEL.exe processes.
class Frame : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(app::IsProcessRunning(app::kProductImageName))
            << "an ORIBEL.exe process was already running";
    }
};

TEST(Language, IsTheOneThisRunWasStartedFor) {
    setup_test::ExpectTheLanguageOfThisRun();
}

TEST_F(Frame, IsCentredWithItsButtonsAndShowsTheWelcomePage) {
    DrivenFrame frame;
    const INT_PTR result = frame.Run({[](DrivenFrame& f) {
        const RECT outer = f.GetWindowRect();
        EXPECT_EQ(outer.right - outer.left, 582);
        EXPECT_EQ(outer.bottom - outer.top, 365);
        EXPECT_EQ(outer.left, (::GetSystemMetrics(SM_CXSCREEN) - 582) / 2);
        EXPECT_EQ(outer.top, (::GetSystemMetrics(SM_CYSCREEN) - 365) / 2);
        EXPECT_EQ(f.GetWindowText(), L"Install ORIBEL");
        EXPECT_EQ(::GetWindowLongPtrW(f.GetSafeHwnd(), GWL_EXSTYLE) & WS_EX_TOPMOST, 0);

        ExpectRect(f.Button(IDC_BACK), {292, 301, 377, 322});
        ExpectRect(f.Button(IDC_NEXT), {377, 301, 462, 322});
        ExpectRect(f.Button(IDC_CANCEL), {482, 301, 567, 322});
        EXPECT_EQ(WindowText(f.Button(IDC_BACK)), ExpectedTexts().back);
        EXPECT_EQ(WindowText(f.Button(IDC_CANCEL)), ExpectedTexts().cancel);
        ExpectState(f, Page::Welcome);

        for (const wcl::CWnd* page : {static_cast<const wcl::CWnd*>(f.WelcomePage()),
                                      static_cast<const wcl::CWnd*>(f.InstallPage()),
                                      static_cast<const wcl::CWnd*>(f.CompletePage())}) {
            ASSERT_NE(page, nullptr);
            EXPECT_EQ(::GetParent(page->GetSafeHwnd()), f.GetSafeHwnd());
            ExpectRect(page->GetSafeHwnd(), {0, 0, 580, 300});
        }
        const HWND homePage = ::GetDlgItem(f.WelcomePage()->GetSafeHwnd(), IDC_HOMEPAGE);
        ASSERT_NE(homePage, nullptr);
        EXPECT_FALSE(::IsWindowVisible(homePage));

        // The same icon for the title bar, the task switcher and the minimised window.
        const auto icon = f.SendMessage(WM_GETICON, ICON_BIG);
        EXPECT_NE(icon, 0);
        EXPECT_EQ(f.SendMessage(WM_GETICON, ICON_SMALL), icon);
        EXPECT_EQ(f.SendMessage(WM_QUERYDRAGICON), icon);
    }});
    EXPECT_EQ(result, setup_test::kScriptEnded);
}

TEST_F(Frame, GoesFromWelcomeToInstallOnNextAndToCompleteOnMessage2026) {
    DrivenFrame frame;
    const INT_PTR result = frame.Run({
        [](DrivenFrame& f) { f.Click(IDC_NEXT); },
        [](DrivenFrame& f) { ExpectState(f, Page::Install); },
        // A click that reaches the disabled Next (BM_CLICK does under Wine) changes nothing.
        [](DrivenFrame& f) { f.Click(IDC_NEXT); },
        [](DrivenFrame& f) { ExpectState(f, Page::Install); },
        [](DrivenFrame& f) { EXPECT_EQ(f.SendMessage(WM_INSTALL_COMPLETE), 1); },
        [](DrivenFrame& f) { ExpectState(f, Page::Complete); },
    });
    EXPECT_EQ(result, setup_test::kScriptEnded);
}

TEST_F(Frame, ADownloadFailureCommandEndsTheWizardAtOnceWithoutAQuestion) {
    DrivenFrame frame;
    std::atomic<bool> reported{false};
    std::thread worker;
    const INT_PTR result = frame.Run(
        Then(StepsTo(Page::Install), {[&](DrivenFrame& f) {
                 // A download thread reports its failure this way and waits until the frame handled
                 // it; meanwhile this thread takes the messages sent to it.
                 const HWND window = f.GetSafeHwnd();
                 worker = std::thread([window, &reported] {
                     ::SendMessageW(window, WM_COMMAND, IDCANCEL, 0);
                     reported = true;
                 });
                 while (!reported) {
                     ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_SENDMESSAGE);
                     MSG ignored;
                     ::PeekMessageW(&ignored, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
                 }
             }}));
    worker.join();
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(frame.commands, (std::vector<UINT>{IDC_NEXT, IDCANCEL})) << "no question asked";
    EXPECT_NE(frame.WelcomePage(), nullptr) << "the pages are deleted only by the frame's own end";
}

// The close button and Cancel on each page: the question (on the Welcome and Install pages) and
// what each answer leaves.
struct CloseCase {
    const char* name;
    Page page;
    bool byCloseButton; // else by the Cancel button
    int answer;         // 0: no question expected
    INT_PTR result;     // kScriptEnded: the frame goes on
};

// Names the case in test listings (the ctest names), not its bytes.
void PrintTo(const CloseCase& c, std::ostream* out) {
    *out << c.name;
}

class CancelQuestion : public Frame, public ::testing::WithParamInterface<CloseCase> {};

TEST_P(CancelQuestion, IsAskedAndAnsweredOnEachPage) {
    const CloseCase& tested = GetParam();
    DrivenFrame frame;
    std::unique_ptr<BoxAnswerer> answerer;
    const INT_PTR result = frame.Run(
        Then(StepsTo(tested.page), {
                                       [&](DrivenFrame& f) {
                                           if (tested.answer != 0)
                                               answerer = std::make_unique<BoxAnswerer>(
                                                   f.GetSafeHwnd(), tested.answer);
                                           if (tested.byCloseButton)
                                               f.PostMessage(WM_CLOSE);
                                           else
                                               f.Click(IDC_CANCEL);
                                       },
                                       [&](DrivenFrame& f) { ExpectState(f, tested.page); },
                                   }));
    EXPECT_EQ(result, tested.result);
    if (answerer) {
        const setup_test::SeenBox& seen = answerer->Seen();
        ASSERT_TRUE(seen.shown) << "no question";
        EXPECT_EQ(seen.caption, L"Install ORIBEL");
        EXPECT_EQ(seen.text, ExpectedTexts().question);
        std::vector<int> buttons = seen.buttons;
        std::sort(buttons.begin(), buttons.end());
        EXPECT_EQ(buttons, (std::vector<int>{IDYES, IDNO}));
    }
    const bool ended = tested.result != setup_test::kScriptEnded;
    EXPECT_EQ(frame.WelcomePage() == nullptr, ended) << "pages deleted when the wizard ends";
}

INSTANTIATE_TEST_SUITE_P(
    Pages, CancelQuestion,
    ::testing::Values(
        CloseCase{"WelcomeCancelNo", Page::Welcome, false, IDNO, setup_test::kScriptEnded},
        CloseCase{"WelcomeCloseNo", Page::Welcome, true, IDNO, setup_test::kScriptEnded},
        CloseCase{"WelcomeCloseYes", Page::Welcome, true, IDYES, IDCANCEL},
        CloseCase{"InstallCloseNo", Page::Install, true, IDNO, setup_test::kScriptEnded},
        CloseCase{"InstallCloseYes", Page::Install, true, IDYES, IDCANCEL},
        CloseCase{"CompleteCloseEndsWithoutQuestion", Page::Complete, true, 0, IDOK}),
    CaseName<CloseCase>);

// Notes the keys that reach a window's procedure, that is, that no filter swallowed.
class KeyWitness {
public:
    explicit KeyWitness(HWND window) : m_window(window) {
        ::SetWindowSubclass(window, &Procedure, 1, reinterpret_cast<DWORD_PTR>(this));
    }
    ~KeyWitness() { ::RemoveWindowSubclass(m_window, &Procedure, 1); }
    KeyWitness(const KeyWitness&) = delete;
    KeyWitness& operator=(const KeyWitness&) = delete;

    std::vector<UINT> keys;

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                      UINT_PTR, DWORD_PTR self) {
        if (message == WM_KEYDOWN)
            reinterpret_cast<KeyWitness*>(self)->keys.push_back(static_cast<UINT>(wParam));
        return ::DefSubclassProc(window, message, wParam, lParam);
    }
    HWND m_window;
};

// The windows keys are pressed on: the two buttons and the Welcome page.
HWND KeyTarget(const DrivenFrame& frame, size_t index) {
    switch (index) {
    case 0:
        return frame.Button(IDC_NEXT);
    case 1:
        return frame.Button(IDC_CANCEL);
    default:
        return frame.WelcomePage()->GetSafeHwnd();
    }
}
constexpr size_t kKeyTargets = 3;

TEST_F(Frame, EscCtrlBreakSpaceAndF1DoNothingOnTheButtonsOrInAPage) {
    DrivenFrame frame;
    std::vector<std::unique_ptr<KeyWitness>> witnesses;
    std::vector<DrivenFrame::Action> steps;
    steps.push_back([&](DrivenFrame& f) {
        for (size_t target = 0; target < kKeyTargets; ++target)
            witnesses.push_back(std::make_unique<KeyWitness>(KeyTarget(f, target)));
    });
    for (size_t target = 0; target < kKeyTargets; ++target) {
        for (const UINT key : {VK_ESCAPE, VK_CANCEL, VK_SPACE, VK_F1})
            steps.push_back(
                [target, key](DrivenFrame& f) { f.PressKey(KeyTarget(f, target), key); });
        // A key no filter takes, which shows that the witness sees what gets through.
        steps.push_back([target](DrivenFrame& f) { f.PressKey(KeyTarget(f, target), 'A'); });
    }
    // Enter on a window that is not one of the buttons.
    steps.push_back([](DrivenFrame& f) { f.PressKey(f.GetSafeHwnd(), VK_RETURN); });
    steps.push_back([&](DrivenFrame& f) {
        for (size_t target = 0; target < kKeyTargets; ++target)
            EXPECT_EQ(witnesses[target]->keys, std::vector<UINT>{'A'}) << "window " << target;
        witnesses.clear();
        EXPECT_EQ(f.commands, std::vector<UINT>{}) << "a key pressed a button or closed";
        EXPECT_EQ(f.helpRequests, 0) << "F1 asked for help";
        ExpectState(f, Page::Welcome);
    });
    EXPECT_EQ(frame.Run(std::move(steps)), setup_test::kScriptEnded);
}

TEST_F(Frame, EnterOnAFrameButtonClicksThatButtonWhileItIsEnabled) {
    DrivenFrame frame;
    std::unique_ptr<BoxAnswerer> answerer;
    const INT_PTR result = frame.Run({
        [&](DrivenFrame& f) {
            answerer = std::make_unique<BoxAnswerer>(f.GetSafeHwnd(), IDNO);
            f.PressKey(f.Button(IDC_CANCEL), VK_RETURN);
        },
        [](DrivenFrame& f) {
            EXPECT_EQ(f.commands, std::vector<UINT>{IDC_CANCEL});
            ExpectState(f, Page::Welcome);
        },
        [](DrivenFrame& f) { f.PressKey(f.Button(IDC_NEXT), VK_RETURN); },
        [](DrivenFrame& f) { ExpectState(f, Page::Install); },
        [](DrivenFrame& f) { f.PressKey(f.Button(IDC_NEXT), VK_RETURN); },
        [](DrivenFrame& f) {
            ExpectState(f, Page::Install);
            EXPECT_EQ(f.commands, (std::vector<UINT>{IDC_CANCEL, IDC_NEXT}));
        },
    });
    EXPECT_EQ(result, setup_test::kScriptEnded);
    EXPECT_TRUE(answerer->Seen().shown) << "Enter on Cancel did not ask the question";
}

TEST_F(Frame, EnterInAPageClicksNextOnlyWhileNextIsEnabled) {
    DrivenFrame frame;
    const INT_PTR result = frame.Run({
        [](DrivenFrame& f) { f.PressKey(f.WelcomePage()->GetSafeHwnd(), VK_RETURN); },
        [](DrivenFrame& f) { ExpectState(f, Page::Install); },
        [](DrivenFrame& f) { f.PressKey(f.InstallPage()->GetSafeHwnd(), VK_RETURN); },
        [](DrivenFrame& f) {
            ExpectState(f, Page::Install);
            EXPECT_EQ(f.commands, std::vector<UINT>{IDC_NEXT}) << "only the first Enter clicks";
        },
    });
    EXPECT_EQ(result, setup_test::kScriptEnded);
}

TEST_F(Frame, AProductThatWillNotStopKeepsTheWelcomePageWithAMessage) {
    stand_in::TempFolder folder;
    stand_in::Process product = stand_in::Process::StartWithWindow(
        stand_in::CopyProgram(folder, app::kProductImageName), stand_in::kIgnoreClose, 10000);
    ASSERT_TRUE(product.WaitForMainWindow(0));

    DrivenFrame frame;
    frame.SetStopBounds({.closeRequestTimeoutMs = 1000, .giveUpAfterMs = 0});
    setup_test::SeenBox seen;
    const INT_PTR result = frame.Run({
        [&](DrivenFrame& f) {
            seen = AnswerBoxShownBy(f.GetSafeHwnd(), IDOK, [&] { f.Click(IDC_NEXT); });
        },
        [](DrivenFrame& f) { ExpectState(f, Page::Welcome); },
    });
    EXPECT_EQ(result, setup_test::kScriptEnded);
    ASSERT_TRUE(seen.shown) << "no message";
    EXPECT_EQ(seen.caption, L"Install ORIBEL");
    EXPECT_EQ(seen.text, app::ProductStillRunningText(::GetSystemDefaultLangID()));
    EXPECT_EQ(seen.buttons, std::vector<int>{IDOK});
    EXPECT_TRUE(product.IsRunning());
}

// The finish, with stand-ins for the product (in the product folder) and for the browser
// (registered as iexplore.exe). Both record how they were started.

enum class Trigger { NextButton, EnterInThePage, CloseButton };

struct FinishCase {
    const char* name;
    bool productInstalled;
    Trigger trigger;
    bool startsBoth; // else neither the product nor the browser
};

// Names the case in test listings (the ctest names), not its bytes.
void PrintTo(const FinishCase& c, std::ostream* out) {
    *out << c.name;
}

class Finish : public Frame, public ::testing::WithParamInterface<FinishCase> {};

TEST_P(Finish, StartsTheProductAndOpensTheGuidePage) {
    const FinishCase& tested = GetParam();
    stand_in::TempFolder folder;
    const auto productRecord = folder.path() / L"product-record";
    const auto browserRecord = folder.path() / L"browser-record";
    const auto browser = folder.path() / L"iexplore.exe";
    std::filesystem::copy_file(ThisProgramsFolder() / L"stand_in_browser.exe", browser);
    const BrowserRegistration registration(browser);
    const EnvironmentVariable productVariable(stand_in::kRecordVariable, productRecord.wstring());
    const EnvironmentVariable browserVariable(stand_in::kBrowserRecordVariable,
                                              browserRecord.wstring());

    const std::wstring productFolder = GetProductFolder();
    ASSERT_FALSE(productFolder.empty());
    const std::filesystem::path product = productFolder + L"\\ORIBEL.exe";
    std::error_code ignored;
    std::filesystem::remove(product, ignored);
    if (tested.productInstalled)
        std::filesystem::copy_file(ThisProgramsFolder() / L"stand_in_product.exe", product);

    // The setup runs in a folder of its own choosing (often the user's downloads); the product
    // must not inherit it.
    const setup_test::CurrentFolder setupsFolder(folder.path());
    DrivenFrame frame;
    const INT_PTR result =
        frame.Run(Then(StepsTo(Page::Complete), {[&](DrivenFrame& f) {
                           switch (tested.trigger) {
                           case Trigger::NextButton:
                               f.Click(IDC_NEXT);
                               break;
                           case Trigger::EnterInThePage:
                               f.PressKey(f.CompletePage()->GetSafeHwnd(), VK_RETURN);
                               break;
                           case Trigger::CloseButton:
                               f.PostMessage(WM_CLOSE);
                               break;
                           }
                       }}));
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(frame.CompletePage(), nullptr) << "the pages are deleted";

    if (tested.startsBoth) {
        const auto guide = WaitForStart(browserRecord, stand_in::kBrowserStartLine);
        ASSERT_EQ(guide.size(), 2u) << "the browser did not start with one argument";
        EXPECT_TRUE(SamePath(guide[0], browser.wstring()));
        EXPECT_EQ(guide[1], std::wstring(oribel::kWebHost) + ExpectedTexts().guidePath);
    }
    if (tested.productInstalled && tested.startsBoth) {
        const auto started = WaitForStart(productRecord, stand_in::kStartLine);
        ASSERT_EQ(started.size(), 1u) << "the product did not start, or with arguments";
        EXPECT_TRUE(SamePath(started[0], product.wstring()));
        EXPECT_TRUE(
            SamePath(setup_test::RecordedText(productRecord, stand_in::kFolderLine), productFolder))
            << "the product was not started in its own folder";
        // Once its window is there, the product ends itself on the close request.
        EXPECT_NE(setup_test::WaitForWindow(
                      [] { return ::FindWindowW(nullptr, stand_in::kWindowTitle); }),
                  nullptr);
        EXPECT_TRUE(app::StopRunningProduct());
    } else {
        // ShellExecute has created any process it started before the frame ended.
        EXPECT_FALSE(app::IsProcessRunning(app::kProductImageName));
    }
    if (!tested.startsBoth) {
        // A browser started by mistake may not have written its record yet: it has once it ended.
        EXPECT_TRUE(setup_test::WaitUntilNoneRuns(L"iexplore.exe", 10000));
        EXPECT_FALSE(std::filesystem::exists(browserRecord)) << "the browser was started";
    }
    std::filesystem::remove(product, ignored);
}

INSTANTIATE_TEST_SUITE_P(
    Ways, Finish,
    ::testing::Values(FinishCase{"OkStartsBoth", true, Trigger::NextButton, true},
                      FinishCase{"EnterWithoutAProductStillOpensTheGuide", false,
                                 Trigger::EnterInThePage, true},
                      FinishCase{"CloseButtonStartsNeither", true, Trigger::CloseButton, false}),
    CaseName<FinishCase>);

} // namespace
