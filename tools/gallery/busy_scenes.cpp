// The busy indicator's scenes: fresh, both busy looks, the Install page's progress block over a
// run of five files, an empty range, and a running animation.
#include "controls/busy_progress_ctrl.h"
#include "gallery.h"

namespace {

using Setup = std::function<void(CBusyProgressCtrl&)>;

std::function<std::unique_ptr<wcl::CWnd>(wcl::CWnd&, const RECT&)> Make(Setup setup) {
    return [setup](wcl::CWnd& host, const RECT& place) -> std::unique_ptr<wcl::CWnd> {
        auto ctrl = std::make_unique<CBusyProgressCtrl>();
        if (!ctrl->Create(WS_CHILD | WS_VISIBLE, place, &host, 1004))
            return nullptr;
        setup(*ctrl);
        ctrl->Invalidate();
        return ctrl;
    };
}

void Steps(CBusyProgressCtrl& ctrl, int count) {
    for (int i = 0; i < count; ++i)
        ctrl.Step();
}

// What the Install page sets up, with `done` of five files finished.
Setup InstallPage(int done) {
    return [done](CBusyProgressCtrl& ctrl) {
        ctrl.blockCount = 1;
        ctrl.Recalc();
        ctrl.blockColour = RGB(222, 233, 243);
        ctrl.filledColour = RGB(155, 173, 213);
        ctrl.backgroundColour = RGB(255, 255, 255);
        ctrl.blockBorderColour = RGB(155, 173, 213);
        ctrl.SetMode(CBusyProgressCtrl::kModeProgress);
        ctrl.SetMotion(CBusyProgressCtrl::kMotionForward);
        ctrl.SetFill(CBusyProgressCtrl::kFillGrowing);
        ctrl.rangeLow = 0;
        ctrl.rangeHigh = 5;
        ctrl.position = done;
    };
}

} // namespace

std::vector<Scene> BusyIndicatorScenes() {
    constexpr SIZE kRow{300, 20};
    constexpr SIZE kInstall{525, 14};
    std::vector<Scene> scenes = {
        {L"busy-fresh", kRow, Make([](CBusyProgressCtrl&) {})},
        {L"busy-block-3", kRow, Make([](CBusyProgressCtrl& c) { Steps(c, 3); })},
        {L"busy-block-bounced-to-7", kRow, Make([](CBusyProgressCtrl& c) { Steps(c, 11); })},
        {L"busy-growing-23-of-50", kRow, Make([](CBusyProgressCtrl& c) {
             c.SetMotion(CBusyProgressCtrl::kMotionForward);
             c.SetFill(CBusyProgressCtrl::kFillGrowing);
             Steps(c, 23);
         })},
        {L"busy-empty-range", kRow, Make([](CBusyProgressCtrl& c) {
             c.SetMode(CBusyProgressCtrl::kModeProgress);
             c.SetRange(3, 3);
             c.SetPosition(3);
         })},
        {L"busy-progress-4-blocks-62-of-100", kRow, Make([](CBusyProgressCtrl& c) {
             c.SetBlockCount(4);
             c.SetMode(CBusyProgressCtrl::kModeProgress);
             c.SetPosition(62);
         })},
        {L"busy-animated-after-half-a-second", kRow, Make([](CBusyProgressCtrl& c) {
             c.SetPeriod(40);
             c.SetMotion(CBusyProgressCtrl::kMotionForward);
             c.SetFill(CBusyProgressCtrl::kFillGrowing);
             c.Start();
         }),
         500},
    };
    for (int done = 0; done <= 5; ++done) {
        scenes.push_back({L"busy-install-page-" + std::to_wstring(done) + L"-of-5-files", kInstall,
                          Make(InstallPage(done))});
    }
    return scenes;
}
