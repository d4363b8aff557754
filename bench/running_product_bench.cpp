// Prints how long the shutdown of a running product takes with the setup's own bounds, for each
// kind of product it may meet. Starts stand-in products in the Wine session and ends them again.
#include <chrono>
#include <cstdio>
#include <string>

#include "app/running_product.h"
#include "stand_in_product/launcher.h"

namespace {

void Measure(const char* what, const wchar_t* switches) {
    stand_in::TempFolder folder;
    stand_in::Process product;
    if (switches != nullptr) {
        const auto program = stand_in::CopyProgram(folder, L"ORIBEL.exe");
        const bool withWindow =
            std::wstring(switches).find(stand_in::kNoWindow) == std::wstring::npos;
        product = withWindow ? stand_in::Process::StartWithWindow(program, switches, 10000)
                             : stand_in::Process::Start(program, switches);
        if (!product || (withWindow && !product.WaitForMainWindow(0))) {
            std::printf("%-40s could not start the stand-in\n", what);
            return;
        }
    }
    const auto start = std::chrono::steady_clock::now();
    const bool stopped = app::StopRunningProduct();
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("%-40s %6.2f s  %s\n", what, seconds, stopped ? "stopped" : "gave up");
}

} // namespace

int main() {
    Measure("no product", nullptr);
    Measure("product closing itself at once", L"");
    Measure("product ignoring the request", stand_in::kIgnoreClose);
    Measure("product with a hung window", stand_in::kHang);
    const std::wstring unopenable =
        std::wstring(stand_in::kProtect) + L" " + stand_in::kIgnoreClose;
    Measure("product that may not be opened", unopenable.c_str());
    return 0;
}
