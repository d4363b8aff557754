// Keys typed on the keyboard (SendInput) take the same way as posted ones: from the focused
// control through the page's filter to the frame's. Run alone, since typed keys go to whichever
// window is in front.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_dialogs.h"

namespace {

using wcl_test::FilteringFrame;
using wcl_test::Frame;
using wcl_test::kRunScript;
using wcl_test::ScriptedDialog;

void Type(UINT key) {
    INPUT strokes[2]{};
    for (INPUT& stroke : strokes) {
        stroke.type = INPUT_KEYBOARD;
        stroke.ki.wVk = static_cast<WORD>(key);
    }
    strokes[1].ki.dwFlags = KEYEVENTF_KEYUP;
    ::SendInput(2, strokes, sizeof(INPUT));
}

// Typed keys instead of posted ones: the run ends on a timer, whose message comes only after the
// keyboard's.
class TypingFrame : public FilteringFrame {
public:
    std::vector<UINT> typed;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message != WM_TIMER)
            return FilteringFrame::WindowProc(message, wParam, lParam);
        const auto& keys = m_page->m_button.keys;
        if ((!keys.empty() && keys.back() == 'A') || ++m_ticks > 500) {
            typed = keys;
            EndDialog(IDCANCEL);
        }
        return 0;
    }

private:
    int m_ticks = 0;
};

TEST(FilterOrder, TypedKeysTakeTheSameWayFromTheFocusedControl) {
    TypingFrame frame;
    frame.onInit = [](ScriptedDialog& d) { d.PostMessage(kRunScript); };
    frame.onScript = [](Frame& f) {
        auto& typing = static_cast<TypingFrame&>(f);
        ::SetForegroundWindow(f.GetSafeHwnd());
        typing.m_page->m_button.SetFocus();
        Type(VK_SPACE);
        Type('A');
        ::SetTimer(f.GetSafeHwnd(), 1, 10, nullptr);
    };
    EXPECT_EQ(frame.DoModal(), IDCANCEL);
    const std::string space = std::to_string(VK_SPACE);
    const std::string a = std::to_string('A');
    EXPECT_EQ(frame.log, (std::vector<std::string>{"page " + space, "page " + a, "frame " + a}));
    EXPECT_EQ(frame.typed, std::vector<UINT>{'A'});
}

} // namespace
