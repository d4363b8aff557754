// Shutdown of a running copy of the product before its files are replaced: the product's main
// window is asked to close, and every ORIBEL.exe process still alive afterwards is ended.
#pragma once

#include <windows.h>

#include "app/product_names.h"

namespace app {

// How the setup recognises a running product and asks it to close.
inline constexpr wchar_t kProductWindowTitle[] = L"ORIBEL - MainProcess";
inline constexpr UINT kProductCloseMessage = 4031; // both parameters 0

// Timing the product relies on.
inline constexpr DWORD kPauseAfterCloseRequestMs = 1000;
inline constexpr DWORD kGracePeriodMs = 3000; // a found process may still end by itself
inline constexpr DWORD kPauseAfterForcedEndMs = 100;
inline constexpr UINT kForcedEndExitCode = 0;

// Bounds that keep a product which never answers, or cannot be ended, from holding the setup
// forever. The defaults are the setup's; tests shorten them where waiting would be pointless.
struct StopBounds {
    // Longest wait for the product's window to handle the close request.
    UINT closeRequestTimeoutMs = 5000;
    // No new attempt to end a process starts once this much time has passed since the call began;
    // an attempt already under way may add one grace period and one pause.
    DWORD giveUpAfterMs = 15000;
};

// Asks a running product to close and ends whatever remains of it. Returns true when no ORIBEL.exe
// process is left, false when it gave up with one still running (one it may not open or end, or
// one that keeps coming back).
bool StopRunningProduct(const StopBounds& bounds = StopBounds{});

// True when at least one process has the given image name (the file name alone, without folder),
// compared without regard to case.
bool IsProcessRunning(const wchar_t* imageName);

// Ends at most one ORIBEL.exe process: the first one found is given the grace period to end by
// itself and is then ended by force. A process that cannot be opened is left alone.
void KillProductProcess();

// The rights the setup opens a found product process with: enough to confirm its program, wait
// for it and end it, and no more (a process of another account may grant these and no others).
inline constexpr DWORD kProductProcessRights =
    SYNCHRONIZE | PROCESS_TERMINATE | PROCESS_QUERY_LIMITED_INFORMATION;

// True when the opened process runs a program named ORIBEL.exe (the file name part of its image
// path, compared without regard to case); false when it runs another or its image cannot be read.
bool RunsProductProgram(HANDLE process);

// Ends an opened process, found as a product, once it is confirmed to be one: it gets the grace
// period to end by itself and is then ended by force. A process id may have been given to another
// process between the snapshot and the opening; such a process is left alone. Returns whether the
// process was confirmed as the product (and so waited for and, if need be, ended).
bool EndProductProcess(HANDLE process);

// The text shown, in the system's language, when StopRunningProduct gave up: 1042 selects
// Korean, any other language identifier English.
const wchar_t* ProductStillRunningText(int langId);

} // namespace app
