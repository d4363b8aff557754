// Finding the setup's wizard from another process, for the demo's driver and the benchmarks.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>

namespace tools {

// The visible wizard frame ("Install ORIBEL") of the process; null while there is none.
HWND FindWizardFrame(DWORD processId);

// Checks `done` every few milliseconds until it holds; false when `limit` passed first.
bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds limit);

} // namespace tools
