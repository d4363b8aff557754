// The message map and the window procedure: which handler a message reaches, with which
// arguments, through the base class's table, by reflection to a control; that the object is found
// from the window's first messages on; and that no exception leaves the procedure.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include "test_resources.h"
#include "wcl/controls.h"
#include "wcl/dialog.h"
#include "window_test_support.h"

namespace {

using wcl_test::ScriptedDialog;

constexpr UINT kBaseOnly = WM_USER + 1;
constexpr UINT kShadowed = WM_USER + 2;
constexpr UINT kUnmapped = WM_USER + 3;
constexpr UINT kThrows = WM_USER + 4;
constexpr UINT kWhoAmI = WM_USER + 5;

// A class with a table of its own, under a class that adds entries and answers one of its base's
// messages itself.
class BaseWindow : public ScriptedDialog {
public:
    using ScriptedDialog::ScriptedDialog;

protected:
    const wcl::MessageMap& GetMessageMap() const override {
        using Self = BaseWindow;
        static constexpr wcl::MessageEntry entries[] = {
            wcl::MapMessage<kBaseOnly, &Self::OnBaseOnly>(),
            wcl::MapMessage<kShadowed, &Self::OnShadowedInBase>(),
            wcl::MapCommand<IDC_FRAME_QUIT, &Self::OnQuitCommand>(),
        };
        static const wcl::MessageMap map(ScriptedDialog::GetMessageMap(), entries);
        return map;
    }

private:
    LRESULT OnBaseOnly(WPARAM wParam, LPARAM lParam) {
        log.push_back("base only " + std::to_string(wParam) + " " + std::to_string(lParam));
        return 11;
    }
    LRESULT OnShadowedInBase(WPARAM, LPARAM) {
        log.push_back("shadowed in base");
        return 12;
    }
    void OnQuitCommand() { log.push_back("quit command"); }
};

class DerivedWindow : public BaseWindow {
public:
    DerivedWindow() : BaseWindow(IDD_TEST_FRAME) {}

protected:
    const wcl::MessageMap& GetMessageMap() const override {
        using Self = DerivedWindow;
        static constexpr wcl::MessageEntry entries[] = {
            wcl::MapMessage<kShadowed, &Self::OnShadowedHere>(),
            wcl::MapMessage<kThrows, &Self::OnThrows>(),
            wcl::MapMessage<kWhoAmI, &Self::OnWhoAmI>(),
            wcl::MapMessage<WM_SIZE, &Self::OnSize>(),
            wcl::MapMessage<WM_LBUTTONDOWN, &Self::OnLButtonDown>(),
            wcl::MapBnClicked<IDC_FRAME_NEXT, &Self::OnNextClicked>(),
            wcl::MapControl<BN_DOUBLECLICKED, IDC_FRAME_NEXT, &Self::OnNextDoubleClicked>(),
            wcl::MapNotify<NM_CLICK, IDC_FRAME_NEXT, &Self::OnNextNotified>(),
        };
        static const wcl::MessageMap map(BaseWindow::GetMessageMap(), entries);
        return map;
    }

private:
    LRESULT OnShadowedHere(WPARAM, LPARAM) {
        log.push_back("shadowed here");
        return 22;
    }
    LRESULT OnThrows(WPARAM, LPARAM) { throw std::runtime_error("handler failed"); }
    LRESULT OnWhoAmI(WPARAM, LPARAM) { return reinterpret_cast<LRESULT>(this); }
    void OnSize(UINT type, int cx, int cy) {
        log.push_back("size " + std::to_string(type) + " " + std::to_string(cx) + " " +
                      std::to_string(cy));
    }
    void OnLButtonDown(UINT flags, POINT point) {
        log.push_back("lbutton " + std::to_string(flags) + " " + std::to_string(point.x) + " " +
                      std::to_string(point.y));
    }
    void OnNextClicked() { log.push_back("next clicked"); }
    void OnNextDoubleClicked() { log.push_back("next double-clicked"); }
    LRESULT OnNextNotified(NMHDR& header) {
        log.push_back("next notified " + std::to_string(header.idFrom));
        return 33;
    }
};

struct DispatchCase {
    const char* name;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    const char* handled; // nullptr: no handler runs
    LRESULT result;
};

TEST(MessageMap, DispatchesByMessageCommandAndNotificationThroughTheBaseChain) {
    DerivedWindow window;
    ASSERT_TRUE(window.Create(IDD_TEST_FRAME));
    const HWND next = window.GetDlgItem(IDC_FRAME_NEXT).GetSafeHwnd();
    NMHDR clickFromNext{next, IDC_FRAME_NEXT, NM_CLICK};
    NMHDR rightClickFromNext{next, IDC_FRAME_NEXT, static_cast<UINT>(NM_RCLICK)};
    NMHDR clickFromQuit{next, IDC_FRAME_QUIT, NM_CLICK};
    const auto notify = [](NMHDR& header) { return reinterpret_cast<LPARAM>(&header); };
    const auto from = reinterpret_cast<LPARAM>(next);

    const DispatchCase cases[] = {
        {"base's own message", kBaseOnly, 5, 6, "base only 5 6", 11},
        {"derived answers before base", kShadowed, 0, 0, "shadowed here", 22},
        {"unmapped message", kUnmapped, 0, 0, nullptr, 0},
        {"click of Next", WM_COMMAND, MAKEWPARAM(IDC_FRAME_NEXT, BN_CLICKED), from, "next clicked",
         0},
        {"other code from Next", WM_COMMAND, MAKEWPARAM(IDC_FRAME_NEXT, BN_DOUBLECLICKED), from,
         "next double-clicked", 0},
        {"unmapped code from Next", WM_COMMAND, MAKEWPARAM(IDC_FRAME_NEXT, BN_KILLFOCUS), from,
         nullptr, 0},
        {"base's command, sent", WM_COMMAND, IDC_FRAME_QUIT, 0, "quit command", 0},
        {"base's command, accelerator", WM_COMMAND, MAKEWPARAM(IDC_FRAME_QUIT, 1), 0,
         "quit command", 0},
        {"notification from Next", WM_NOTIFY, IDC_FRAME_NEXT, notify(clickFromNext),
         "next notified 1001", 33},
        {"other notification code", WM_NOTIFY, IDC_FRAME_NEXT, notify(rightClickFromNext), nullptr,
         0},
        {"same code, other control", WM_NOTIFY, IDC_FRAME_QUIT, notify(clickFromQuit), nullptr, 0},
        {"size cracked", WM_SIZE, SIZE_RESTORED, MAKELPARAM(120, 80), "size 0 120 80", 0},
        {"point cracked signed", WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(-5, -7), "lbutton 1 -5 -7",
         0},
    };
    for (const DispatchCase& c : cases) {
        SCOPED_TRACE(c.name);
        window.log.clear();
        const LRESULT result = window.SendMessage(c.message, c.wParam, c.lParam);
        if (c.handled) {
            EXPECT_EQ(window.log, std::vector<std::string>{c.handled});
            EXPECT_EQ(result, c.result);
        } else {
            EXPECT_TRUE(window.log.empty());
        }
    }
}

// Paints through Default(), the window's own processing of the message being handled.
class DefaultPainter : public ScriptedDialog {
public:
    DefaultPainter() : ScriptedDialog(IDD_TEST_FRAME) {}
    bool callDefault = true;
    int paints = 0;

protected:
    const wcl::MessageMap& GetMessageMap() const override {
        static constexpr wcl::MessageEntry entries[] = {
            wcl::MapMessage<WM_PAINT, &DefaultPainter::OnPaint>(),
        };
        static const wcl::MessageMap map(ScriptedDialog::GetMessageMap(), entries);
        return map;
    }

private:
    void OnPaint() {
        ++paints;
        if (callDefault)
            Default();
    }
};

TEST(MessageMap, DefaultRunsTheWindowsOwnProcessingOfTheCurrentMessage) {
    DefaultPainter window;
    ASSERT_TRUE(window.Create(IDD_TEST_FRAME));
    window.ShowWindow(SW_SHOWNA);
    for (const bool callDefault : {true, false}) {
        SCOPED_TRACE(callDefault ? "with Default" : "without Default");
        window.callDefault = callDefault;
        window.paints = 0;
        window.Invalidate();
        window.UpdateWindow();
        EXPECT_EQ(window.paints, 1);
        // Only the default processing (BeginPaint/EndPaint) validates the window.
        EXPECT_EQ(::GetUpdateRect(window.GetSafeHwnd(), nullptr, FALSE) == FALSE, callDefault);
    }
    window.callDefault = true;
    window.UpdateWindow();
}

TEST(MessageMap, AThrowingHandlerDoesNotLeaveTheProcedureAndTheWindowGoesOn) {
    DerivedWindow window;
    ASSERT_TRUE(window.Create(IDD_TEST_FRAME));
    EXPECT_EQ(window.SendMessage(kThrows), 0); // the dialog's own answer to an unknown message
    EXPECT_EQ(window.SendMessage(kBaseOnly, 1, 2), 11);
    EXPECT_EQ(window.log, std::vector<std::string>{"base only 1 2"});
}

// A painting that fails before it begins still ends in the window's own painting, so the window
// is validated and does not ask to be painted again and again.
class ThrowingPainter : public ScriptedDialog {
public:
    ThrowingPainter() : ScriptedDialog(IDD_TEST_FRAME) {}
    int paints = 0;

protected:
    const wcl::MessageMap& GetMessageMap() const override {
        static constexpr wcl::MessageEntry entries[] = {
            wcl::MapMessage<WM_PAINT, &ThrowingPainter::OnPaint>(),
        };
        static const wcl::MessageMap map(ScriptedDialog::GetMessageMap(), entries);
        return map;
    }

private:
    void OnPaint() {
        ++paints;
        throw std::runtime_error("paint failed");
    }
};

TEST(MessageMap, AFailedPaintStillValidatesTheWindow) {
    ThrowingPainter window;
    ASSERT_TRUE(window.Create(IDD_TEST_FRAME));
    window.ShowWindow(SW_SHOWNA);
    window.Invalidate();
    window.UpdateWindow();
    EXPECT_EQ(window.paints, 1);
    EXPECT_FALSE(::GetUpdateRect(window.GetSafeHwnd(), nullptr, FALSE));
}

TEST(MessageMap, TheObjectIsFoundFromInitDialogOnAndEachWindowFindsItsOwn) {
    DerivedWindow first;
    DerivedWindow second;
    LRESULT answerDuringInit = 0;
    first.onInit = [&](ScriptedDialog& dialog) { answerDuringInit = dialog.SendMessage(kWhoAmI); };
    ASSERT_TRUE(first.Create(IDD_TEST_FRAME));
    ASSERT_TRUE(second.Create(IDD_TEST_FRAME));
    EXPECT_EQ(answerDuringInit, reinterpret_cast<LRESULT>(&first));
    EXPECT_EQ(first.SendMessage(kWhoAmI), reinterpret_cast<LRESULT>(&first));
    EXPECT_EQ(second.SendMessage(kWhoAmI), reinterpret_cast<LRESULT>(&second));
    EXPECT_EQ(wcl::CWnd::FromHandlePermanent(second.GetSafeHwnd()), &second);

    const HWND gone = first.GetSafeHwnd();
    EXPECT_TRUE(first.DestroyWindow());
    EXPECT_EQ(first.GetSafeHwnd(), nullptr);
    EXPECT_EQ(wcl::CWnd::FromHandlePermanent(gone), nullptr);
}

// A control the program creates itself on a system window class, like the busy indicator on
// "STATIC": its object is attached before the window's first message.
class CreatedStatic : public wcl::CStatic {
public:
    std::vector<std::string> log;

protected:
    void PreSubclassWindow() override { log.push_back("attached"); }
    const wcl::MessageMap& GetMessageMap() const override {
        static constexpr wcl::MessageEntry entries[] = {
            wcl::MapMessage<WM_CREATE, &CreatedStatic::OnCreate>(),
        };
        static const wcl::MessageMap map(CStatic::GetMessageMap(), entries);
        return map;
    }

private:
    int OnCreate(CREATESTRUCTW& create) {
        log.push_back(std::string("create ") + (create.lpszName && create.lpszName[0] == L'B'
                                                    ? "with its text"
                                                    : "without its text"));
        return static_cast<int>(Default());
    }
};

TEST(MessageMap, AWindowCreatedOnASystemClassSeesItsOwnCreation) {
    ScriptedDialog parent(IDD_TEST_FRAME);
    ASSERT_TRUE(parent.Create(IDD_TEST_FRAME));
    CreatedStatic control;
    ASSERT_TRUE(control.Create(L"BusyProgressCtrl", WS_CHILD | WS_VISIBLE, RECT{10, 10, 110, 24},
                               &parent, 1500));
    EXPECT_EQ(control.log, (std::vector<std::string>{"attached", "create with its text"}));
    EXPECT_EQ(control.GetDlgCtrlID(), 1500);
    EXPECT_EQ(control.GetWindowText(), L"BusyProgressCtrl");

    // The attachment ended with the creation: a window made afterwards has no object.
    const HWND plain = ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 10, 10,
                                         parent.GetSafeHwnd(), nullptr, nullptr, nullptr);
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(wcl::CWnd::FromHandlePermanent(plain), nullptr);
}

// Controls that answer their own notifications: a list that does its own custom draw and a
// button that draws itself.
class CustomDrawList : public wcl::CWnd {
public:
    std::vector<DWORD> stages;

protected:
    const wcl::MessageMap& GetMessageMap() const override {
        static constexpr wcl::MessageEntry entries[] = {
            wcl::MapNotifyReflect<NM_CUSTOMDRAW, &CustomDrawList::OnCustomDraw>(),
        };
        static const wcl::MessageMap map(CWnd::GetMessageMap(), entries);
        return map;
    }

private:
    LRESULT OnCustomDraw(NMLVCUSTOMDRAW& draw) {
        stages.push_back(draw.nmcd.dwDrawStage);
        return draw.nmcd.dwDrawStage == CDDS_PREPAINT ? CDRF_NOTIFYITEMDRAW : CDRF_DODEFAULT;
    }
};

class SelfDrawnButton : public wcl::CButton {
public:
    int drawn = 0;
    UINT drawnId = 0;

protected:
    const wcl::MessageMap& GetMessageMap() const override {
        static constexpr wcl::MessageEntry entries[] = {
            wcl::MapMessageReflect<WM_DRAWITEM, &SelfDrawnButton::DrawItem>(),
            wcl::MapNotifyReflect<NM_CLICK, &SelfDrawnButton::OnClickReflected>(),
        };
        static const wcl::MessageMap map(CButton::GetMessageMap(), entries);
        return map;
    }

private:
    void DrawItem(DRAWITEMSTRUCT& item) {
        ++drawn;
        drawnId = item.CtlID;
        wcl::CDC(item.hDC).FillSolidRect(item.rcItem, RGB(255, 0, 0));
    }
    LRESULT OnClickReflected(NMHDR&) { return 44; }
};

class ControlsDialog : public ScriptedDialog {
public:
    ControlsDialog() : ScriptedDialog(IDD_TEST_CONTROLS) {}
    CustomDrawList m_list;
    SelfDrawnButton m_button;

protected:
    void DoDataExchange(wcl::CDataExchange& dx) override {
        wcl::DDX_Control(dx, IDC_LIST, m_list);
        wcl::DDX_Control(dx, IDC_OWNER_DRAWN, m_button);
    }
    const wcl::MessageMap& GetMessageMap() const override {
        using Self = ControlsDialog;
        static constexpr wcl::MessageEntry entries[] = {
            wcl::MapNotify<NM_CLICK, IDC_OWNER_DRAWN, &Self::OnButtonNotify>(),
            wcl::MapNotify<NM_RCLICK, IDC_OWNER_DRAWN, &Self::OnButtonNotify>(),
            wcl::MapMessage<WM_DRAWITEM, &Self::OnDrawItem>(),
        };
        static const wcl::MessageMap map(ScriptedDialog::GetMessageMap(), entries);
        return map;
    }

private:
    LRESULT OnButtonNotify(NMHDR& header) {
        log.push_back("parent notified " + std::to_string(header.code));
        return 55;
    }
    void OnDrawItem(DRAWITEMSTRUCT&) { log.push_back("parent drew"); }
};

class ReflectionTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        INITCOMMONCONTROLSEX controls{sizeof(controls), ICC_LISTVIEW_CLASSES};
        ::InitCommonControlsEx(&controls);
    }
};

TEST_F(ReflectionTest, ANotificationTheControlHandlesNeverReachesTheParentsTable) {
    ControlsDialog dialog;
    ASSERT_TRUE(dialog.Create(IDD_TEST_CONTROLS));
    NMHDR click{dialog.m_button.GetSafeHwnd(), IDC_OWNER_DRAWN, NM_CLICK};
    NMHDR rightClick{dialog.m_button.GetSafeHwnd(), IDC_OWNER_DRAWN, static_cast<UINT>(NM_RCLICK)};

    EXPECT_EQ(dialog.SendMessage(WM_NOTIFY, IDC_OWNER_DRAWN, reinterpret_cast<LPARAM>(&click)), 44);
    EXPECT_TRUE(dialog.log.empty());
    EXPECT_EQ(dialog.SendMessage(WM_NOTIFY, IDC_OWNER_DRAWN, reinterpret_cast<LPARAM>(&rightClick)),
              55);
    EXPECT_EQ(dialog.log, std::vector<std::string>{"parent notified " +
                                                   std::to_string(static_cast<UINT>(NM_RCLICK))});
}

TEST_F(ReflectionTest, TheControlsOwnPaintingNotificationsReachItsObject) {
    ControlsDialog dialog;
    ASSERT_TRUE(dialog.Create(IDD_TEST_CONTROLS));
    const HWND list = dialog.m_list.GetSafeHwnd();
    LVCOLUMNW column{};
    column.mask = LVCF_WIDTH;
    column.cx = 100;
    ::SendMessageW(list, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.pszText = const_cast<wchar_t*>(L"row");
    ::SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));

    dialog.ShowWindow(SW_SHOWNA);
    dialog.UpdateWindow();
    wcl_test::PumpWaitingMessages();

    // The item stage comes only when the list got CDRF_NOTIFYITEMDRAW back through the parent.
    const auto& stages = dialog.m_list.stages;
    ASSERT_FALSE(stages.empty());
    EXPECT_EQ(stages.front(), static_cast<DWORD>(CDDS_PREPAINT));
    EXPECT_NE(std::find(stages.begin(), stages.end(), static_cast<DWORD>(CDDS_ITEMPREPAINT)),
              stages.end());

    EXPECT_GE(dialog.m_button.drawn, 1);
    EXPECT_EQ(dialog.m_button.drawnId, static_cast<UINT>(IDC_OWNER_DRAWN));
    EXPECT_TRUE(dialog.log.empty()) << "the parent's WM_DRAWITEM entry ran: " << dialog.log[0];
    wcl::CClientDC dc(dialog.m_button);
    EXPECT_EQ(::GetPixel(dc.GetSafeHdc(), 2, 2), RGB(255, 0, 0));
}

} // namespace
