// Dialogs: the modal run and how it ends, the filters run before dispatch (a page's before its
// frame's), binding controls to member objects, pages and their windows, message boxes.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "test_resources.h"
#include "wcl/controls.h"
#include "wcl/dialog.h"
#include "test_dialogs.h"
#include "window_test_support.h"

namespace {

using wcl_test::FilteringFrame;
using wcl_test::Frame;
using wcl_test::kRunScript;
using wcl_test::ScriptedDialog;

constexpr UINT kRecord = WM_USER + 11;

void PostKey(HWND window, UINT key) {
    ::PostMessageW(window, WM_KEYDOWN, key, 1);
    ::PostMessageW(window, WM_KEYUP, key, 0xC0000001);
}

struct EndingCase {
    const char* name;
    std::function<void(Frame&)> script;
    INT_PTR result;
    std::vector<std::string> log;
};

TEST(ModalLoop, EndsWithTheResultOfWhatEndedIt) {
    const auto button = [](Frame& f, int id) { return f.GetDlgItem(id).GetSafeHwnd(); };
    const EndingCase cases[] = {
        {"IDOK command", [](Frame& f) { f.PostMessage(WM_COMMAND, IDOK); }, IDOK, {"OnOK"}},
        {"IDCANCEL command",
         [](Frame& f) { f.PostMessage(WM_COMMAND, IDCANCEL); },
         IDCANCEL,
         {"OnCancel"}},
        {"EndDialog with a value", [](Frame& f) { f.EndDialog(42); }, 42, {}},
        {"click of OK",
         [&](Frame& f) { ::PostMessageW(button(f, IDOK), BM_CLICK, 0, 0); },
         IDOK,
         {"OnOK"}},
        {"close button", [](Frame& f) { f.PostMessage(WM_CLOSE); }, IDCANCEL, {"OnCancel"}},
        {"Esc",
         [&](Frame& f) { PostKey(button(f, IDC_FRAME_QUIT), VK_ESCAPE); },
         IDCANCEL,
         {"OnCancel"}},
        {"Enter on a focused button",
         [&](Frame& f) {
             // As Tab would: the dialog manager moves the focus and the default button.
             f.SendMessage(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(button(f, IDC_FRAME_NEXT)),
                           TRUE);
             PostKey(button(f, IDC_FRAME_NEXT), VK_RETURN);
         },
         IDC_FRAME_NEXT,
         {"Next"}},
    };
    for (const EndingCase& c : cases) {
        SCOPED_TRACE(c.name);
        Frame frame;
        frame.onInit = [](ScriptedDialog& d) { d.PostMessage(kRunScript); };
        frame.onScript = c.script;
        EXPECT_EQ(frame.DoModal(), c.result);
        EXPECT_EQ(frame.log, c.log);
        EXPECT_EQ(frame.GetSafeHwnd(), nullptr); // the run destroyed its window
    }
}

TEST(ModalLoop, ACancelSentFromAnotherThreadEndsTheRun) {
    Frame frame;
    std::thread worker;
    frame.onInit = [](ScriptedDialog& d) { d.PostMessage(kRunScript); };
    // Started from inside the loop: the loop then waits in GetMessage with nothing posted, and
    // only the sent command can end it.
    frame.onScript = [&](Frame& f) {
        const HWND window = f.GetSafeHwnd();
        worker = std::thread([window] { ::SendMessageW(window, WM_COMMAND, IDCANCEL, 0); });
    };
    EXPECT_EQ(frame.DoModal(), IDCANCEL);
    worker.join();
    EXPECT_EQ(frame.log, std::vector<std::string>{"OnCancel"});
}

TEST(ModalLoop, ACancelHeldBackKeepsTheRunGoing) {
    Frame frame;
    frame.refuseCancel = true;
    frame.onInit = [](ScriptedDialog& d) {
        d.PostMessage(WM_COMMAND, IDCANCEL);
        d.PostMessage(WM_COMMAND, IDOK);
    };
    EXPECT_EQ(frame.DoModal(), IDOK);
    EXPECT_EQ(frame.log, (std::vector<std::string>{"OnCancel", "OnOK"}));
}

TEST(ModalLoop, AThrowingHandlerLeavesTheRunGoing) {
    Frame frame;
    frame.onInit = [](ScriptedDialog& d) {
        d.PostMessage(kRunScript);
        d.PostMessage(WM_COMMAND, IDOK);
    };
    frame.onScript = [](Frame&) { throw std::runtime_error("script failed"); };
    EXPECT_EQ(frame.DoModal(), IDOK);
}

TEST(ModalLoop, QuitEndsTheRunAndStaysForTheOuterLoop) {
    Frame frame;
    frame.onInit = [](ScriptedDialog&) { ::PostQuitMessage(5); };
    EXPECT_EQ(frame.DoModal(), -1);
    MSG msg{};
    ASSERT_TRUE(::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 5u);
}

TEST(ModalLoop, TheOwnerTakesNoInputDuringTheRun) {
    Frame owner;
    ASSERT_TRUE(owner.Create(IDD_TEST_FRAME));
    Frame frame(&owner);
    bool ownerEnabledDuringRun = true;
    HWND ownerOfDialog = nullptr;
    frame.onInit = [](ScriptedDialog& d) { d.PostMessage(kRunScript); };
    frame.onScript = [&](Frame& f) {
        ownerEnabledDuringRun = owner.IsWindowEnabled();
        ownerOfDialog = ::GetWindow(f.GetSafeHwnd(), GW_OWNER);
        f.EndDialog(IDOK);
    };
    EXPECT_EQ(frame.DoModal(), IDOK);
    EXPECT_FALSE(ownerEnabledDuringRun);
    EXPECT_EQ(ownerOfDialog, owner.GetSafeHwnd());
    EXPECT_TRUE(owner.IsWindowEnabled());
}

TEST(ModalLoop, AMissingTemplateOrControlEndsWithMinusOne) {
    ScriptedDialog missingTemplate(9999);
    EXPECT_EQ(missingTemplate.DoModal(), -1);

    class BindsMissingControl : public ScriptedDialog {
    public:
        BindsMissingControl() : ScriptedDialog(IDD_TEST_FRAME) {}
        wcl::CButton m_missing;

    protected:
        void DoDataExchange(wcl::CDataExchange& dx) override {
            wcl::DDX_Control(dx, IDC_MISSING, m_missing);
        }
    };
    BindsMissingControl modal;
    EXPECT_EQ(modal.DoModal(), -1);
    BindsMissingControl page;
    EXPECT_FALSE(page.Create(IDD_TEST_FRAME));
    EXPECT_EQ(page.GetSafeHwnd(), nullptr); // no half-made window left behind
}

struct FilterCase {
    const char* name;
    bool toPage; // aimed at the page's button, else at the frame's OK button
    UINT key;
    std::vector<std::string> filters;
    bool reachesControl;
};

TEST(FilterOrder, ThePagesFilterRunsBeforeTheFramesAndASwallowedKeyIsGone) {
    const std::string a = std::to_string('A');
    const std::string space = std::to_string(VK_SPACE);
    const std::string f1 = std::to_string(VK_F1);
    const FilterCase cases[] = {
        {"passed by both", true, 'A', {"page " + a, "frame " + a}, true},
        {"swallowed by the page", true, VK_SPACE, {"page " + space}, false},
        {"swallowed by the frame", true, VK_F1, {"page " + f1, "frame " + f1}, false},
        {"outside the page", false, 'A', {"frame " + a}, true},
    };
    for (const FilterCase& c : cases) {
        SCOPED_TRACE(c.name);
        FilteringFrame frame;
        frame.onInit = [&](ScriptedDialog& d) {
            auto& f = static_cast<FilteringFrame&>(d);
            const HWND target = c.toPage ? f.m_page->m_button.GetSafeHwnd() : f.m_ok.GetSafeHwnd();
            ::PostMessageW(target, WM_KEYDOWN, c.key, 1);
            f.PostMessage(kRunScript);
        };
        std::vector<UINT> reached;
        frame.onScript = [&](Frame& f) {
            auto& ff = static_cast<FilteringFrame&>(f);
            reached = c.toPage ? ff.m_page->m_button.keys : ff.m_ok.keys;
            f.EndDialog(IDCANCEL);
        };
        EXPECT_EQ(frame.DoModal(), IDCANCEL);
        EXPECT_EQ(frame.log, c.filters);
        EXPECT_EQ(reached, c.reachesControl ? std::vector<UINT>{c.key} : std::vector<UINT>{});
    }
}

// A bound control: its object answers the control's messages; the control stays a button.
class Recorder : public wcl::CButton {
public:
    std::vector<std::string> log;

protected:
    const wcl::MessageMap& GetMessageMap() const override {
        static constexpr wcl::MessageEntry entries[] = {
            wcl::MapMessage<kRecord, &Recorder::OnRecord>(),
        };
        static const wcl::MessageMap map(CButton::GetMessageMap(), entries);
        return map;
    }

private:
    LRESULT OnRecord(WPARAM wParam, LPARAM) {
        log.push_back("record " + std::to_string(wParam));
        return 66;
    }
};

class BindingFrame : public Frame {
public:
    Recorder m_next;
    wcl::CButton m_quit;

protected:
    void DoDataExchange(wcl::CDataExchange& dx) override {
        wcl::DDX_Control(dx, IDC_FRAME_NEXT, m_next);
        wcl::DDX_Control(dx, IDC_FRAME_QUIT, m_quit);
    }
};

TEST(Binding, TheMemberObjectAnswersTheControlsMessagesAfterInitDialog) {
    BindingFrame frame;
    ASSERT_TRUE(frame.Create(IDD_TEST_FRAME));
    const HWND next = frame.GetDlgItem(IDC_FRAME_NEXT).GetSafeHwnd();
    EXPECT_EQ(frame.m_next.GetSafeHwnd(), next);
    EXPECT_EQ(frame.m_quit.GetSafeHwnd(), frame.GetDlgItem(IDC_FRAME_QUIT).GetSafeHwnd());
    EXPECT_EQ(::SendMessageW(next, kRecord, 3, 0), 66);
    EXPECT_EQ(frame.m_next.log, std::vector<std::string>{"record 3"});

    // Still a working button: its own procedure clicks it, and the frame hears the click.
    ::SendMessageW(next, BM_CLICK, 0, 0);
    EXPECT_EQ(frame.log, std::vector<std::string>{"Next"});
    EXPECT_EQ(frame.m_next.GetWindowText(), L"Next >");

    // A second exchange neither binds again nor fails.
    EXPECT_TRUE(frame.UpdateData(false));
    EXPECT_EQ(::SendMessageW(next, kRecord, 4, 0), 66);

    // The controls go with the dialog's window; their objects are left unattached.
    EXPECT_TRUE(frame.DestroyWindow());
    EXPECT_FALSE(::IsWindow(next));
    EXPECT_EQ(frame.m_next.GetSafeHwnd(), nullptr);
    EXPECT_EQ(frame.m_quit.GetSafeHwnd(), nullptr);
}

TEST(Pages, DeletingAPageDestroysItsWindowAndTheFrameGoesOn) {
    Frame frame;
    ASSERT_TRUE(frame.Create(IDD_TEST_FRAME));
    auto page = std::make_unique<ScriptedDialog>(IDD_TEST_PAGE);
    ASSERT_TRUE(page->Create(IDD_TEST_PAGE, &frame));
    const HWND pageWindow = page->GetSafeHwnd();
    EXPECT_EQ(::GetParent(pageWindow), frame.GetSafeHwnd());
    EXPECT_FALSE(page->IsWindowVisible()); // a page is shown by its frame
    page->ShowWindow(SW_SHOW);
    const HWND inside = page->GetDlgItem(IDC_PAGE_BUTTON).GetSafeHwnd();

    page.reset();
    EXPECT_FALSE(::IsWindow(pageWindow));
    EXPECT_FALSE(::IsWindow(inside));
    EXPECT_TRUE(frame.IsWindow());
    ::SendMessageW(frame.GetDlgItem(IDC_FRAME_NEXT).GetSafeHwnd(), BM_CLICK, 0, 0);
    EXPECT_EQ(frame.log, std::vector<std::string>{"Next"});
}

TEST(Pages, APageWhoseFrameWentFirstIsLeftWithoutAWindow) {
    auto frame = std::make_unique<Frame>();
    ASSERT_TRUE(frame->Create(IDD_TEST_FRAME));
    ScriptedDialog page(IDD_TEST_PAGE);
    ASSERT_TRUE(page.Create(IDD_TEST_PAGE, frame.get()));
    frame.reset();
    EXPECT_EQ(page.GetSafeHwnd(), nullptr);
}

TEST(MessageBoxes, TheBoxIsOwnedByItsWindowAndAnswersWithTheButtonPressed) {
    Frame frame;
    int answer = 0;
    HWND owner = nullptr;
    HWND frameWindow = nullptr;
    std::thread answering;
    frame.onInit = [](ScriptedDialog& d) { d.PostMessage(kRunScript); };
    frame.onScript = [&](Frame& f) {
        frameWindow = f.GetSafeHwnd();
        answering = std::thread([&owner] {
            const HWND box =
                wcl_test::WaitForWindow([] { return ::FindWindowW(L"#32770", L"wcl question"); });
            if (!box)
                return;
            owner = ::GetWindow(box, GW_OWNER);
            ::PostMessageW(::GetDlgItem(box, IDNO), BM_CLICK, 0, 0);
        });
        answer = f.MessageBox(L"Go on?", L"wcl question", MB_YESNO | MB_ICONQUESTION);
        f.EndDialog(IDOK);
    };
    EXPECT_EQ(frame.DoModal(), IDOK);
    answering.join();
    EXPECT_EQ(answer, IDNO);
    EXPECT_EQ(owner, frameWindow);
}

} // namespace
