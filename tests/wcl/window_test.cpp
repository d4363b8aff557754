// A window object without a window repaints nothing: the system takes a null window for the whole
// desktop, so every window on it would be repainted.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <vector>

#include "wcl/window.h"
#include "window_test_support.h"

namespace {

// A shown top-level window on the desktop whose painting is done: nothing of it awaits a paint.
class PaintedBystander {
public:
    PaintedBystander() {
        m_window.CreateEx(0, L"STATIC", L"bystander", WS_POPUP | WS_VISIBLE, RECT{0, 0, 200, 100},
                          nullptr, 0);
        m_window.UpdateWindow();
        wcl_test::PumpWaitingMessages();
    }
    HWND hwnd() const { return m_window.GetSafeHwnd(); }
    bool AwaitsPaint() const { return ::GetUpdateRect(hwnd(), nullptr, FALSE) != FALSE; }
    void Validate() const { ::ValidateRect(hwnd(), nullptr); }

private:
    wcl::CWnd m_window;
};

struct RepaintCall {
    const char* name;
    std::function<bool(const wcl::CWindow&)> call;
};

TEST(WindowWithoutAHandle, RepaintsNoWindowOfTheDesktop) {
    const PaintedBystander bystander;
    ASSERT_NE(bystander.hwnd(), nullptr);
    const RECT area{0, 0, 50, 50};
    const std::vector<RepaintCall> calls = {
        {"Invalidate", [](const wcl::CWindow& w) { return w.Invalidate(); }},
        {"InvalidateRect whole", [](const wcl::CWindow& w) { return w.InvalidateRect(nullptr); }},
        {"InvalidateRect area", [&](const wcl::CWindow& w) { return w.InvalidateRect(&area); }},
        {"RedrawWindow",
         [](const wcl::CWindow& w) {
             return w.RedrawWindow(nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
         }},
    };
    for (const RepaintCall& tested : calls) {
        SCOPED_TRACE(tested.name);
        // The probe sees a repaint request: the same call on the bystander's own window.
        EXPECT_TRUE(tested.call(wcl::CWindow(bystander.hwnd())));
        EXPECT_TRUE(bystander.AwaitsPaint());
        bystander.Validate();

        EXPECT_FALSE(tested.call(wcl::CWindow()));
        EXPECT_FALSE(bystander.AwaitsPaint());
        bystander.Validate();
    }
}

} // namespace
