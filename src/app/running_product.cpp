#include "app/running_product.h"

#include <tlhelp32.h>

#include <chrono>
#include <cwchar>
#include <optional>

#include "wcl/handle.h"

namespace app {
namespace {

using Clock = std::chrono::steady_clock;

// The file name part of a path (some systems report a snapshot's executable with its folder).
const wchar_t* FileNameOf(const wchar_t* path) {
    const wchar_t* slash = std::wcsrchr(path, L'\\');
    return slash != nullptr ? slash + 1 : path;
}

// The id of the first process in a fresh snapshot whose image name equals imageName, ignoring
// case; none when there is none or no snapshot could be read.
std::optional<DWORD> FindFirstProcess(const wchar_t* imageName) {
    wcl::UniqueFileHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot)
        return std::nullopt;
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof(entry);
    for (BOOL more = ::Process32FirstW(snapshot.get(), &entry); more;
         more = ::Process32NextW(snapshot.get(), &entry)) {
        if (_wcsicmp(FileNameOf(entry.szExeFile), imageName) == 0)
            return entry.th32ProcessID;
    }
    return std::nullopt;
}

// Sends the close request to the product's main window, if there is one. The wait is bounded,
// and a window whose thread is already hung is not waited for at all.
void AskProductToClose(UINT timeoutMs) {
    const HWND window = ::FindWindowW(nullptr, kProductWindowTitle);
    if (window == nullptr)
        return;
    DWORD_PTR ignored = 0;
    ::SendMessageTimeoutW(window, kProductCloseMessage, 0, 0, SMTO_ABORTIFHUNG, timeoutMs,
                          &ignored);
}

} // namespace

bool StopRunningProduct(const StopBounds& bounds) {
    const auto giveUpAt = Clock::now() + std::chrono::milliseconds(bounds.giveUpAfterMs);
    AskProductToClose(bounds.closeRequestTimeoutMs);
    ::Sleep(kPauseAfterCloseRequestMs);
    while (IsProcessRunning(kProductImageName)) {
        if (Clock::now() >= giveUpAt)
            return false;
        KillProductProcess();
        ::Sleep(kPauseAfterForcedEndMs);
    }
    return true;
}

bool IsProcessRunning(const wchar_t* imageName) {
    return FindFirstProcess(imageName).has_value();
}

void KillProductProcess() {
    const std::optional<DWORD> id = FindFirstProcess(kProductImageName);
    if (!id)
        return;
    wcl::UniqueHandle process(::OpenProcess(kProductProcessRights, FALSE, *id));
    if (process)
        EndProductProcess(process.get());
}

bool RunsProductProgram(HANDLE process) {
    wchar_t path[MAX_PATH * 2] = {};
    DWORD length = MAX_PATH * 2;
    if (!::QueryFullProcessImageNameW(process, 0, path, &length))
        return false;
    return _wcsicmp(FileNameOf(path), kProductImageName) == 0;
}

bool EndProductProcess(HANDLE process) {
    if (!RunsProductProgram(process))
        return false;
    if (::WaitForSingleObject(process, kGracePeriodMs) == WAIT_TIMEOUT)
        ::TerminateProcess(process, kForcedEndExitCode);
    return true;
}

const wchar_t* ProductStillRunningText(int langId) {
    if (langId == 1042)
        return L"ORIBEL이 아직 실행 중입니다.\n"
               L"ORIBEL을 종료한 다음 [다음]을 다시 눌러 주세요.";
    return L"ORIBEL is still running.\n"
           L"Please close ORIBEL, then click Next again.";
}

} // namespace app
