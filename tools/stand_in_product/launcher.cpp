#include "stand_in_product/launcher.h"

#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <system_error>

namespace stand_in {
namespace {

std::filesystem::path ThisProgramsFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length < path.size()) {
            path.resize(length);
            return std::filesystem::path(path).parent_path();
        }
        path.resize(path.size() * 2);
    }
}

// The stand-in program is built beside the tests and benchmarks that start it.
std::filesystem::path BuiltProgram() {
    return ThisProgramsFolder() / ORIBEL_STAND_IN_PROGRAM;
}

struct MainWindowSearch {
    DWORD processId;
    std::wstring_view title;
    bool found;
};

BOOL CALLBACK CheckWindow(HWND window, LPARAM parameter) {
    auto* search = reinterpret_cast<MainWindowSearch*>(parameter);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    wchar_t title[64] = {};
    ::GetWindowTextW(window, title, static_cast<int>(std::size(title)));
    if (owner == search->processId && std::wstring_view(title) == search->title) {
        search->found = true;
        return FALSE;
    }
    return TRUE;
}

bool HasWindow(DWORD processId, std::wstring_view title) {
    MainWindowSearch search{processId, title, false};
    ::EnumWindows(CheckWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

} // namespace

TempFolder::TempFolder() {
    static int counter = 0;
    const auto base = std::filesystem::temp_directory_path();
    do {
        path_ = base / (L"oribel-stand-in-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
                        std::to_wstring(++counter));
    } while (!std::filesystem::create_directories(path_));
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::filesystem::path CopyProgram(const TempFolder& folder, std::wstring_view fileName) {
    static int counter = 0;
    const auto subfolder = folder.path() / std::to_wstring(++counter);
    std::filesystem::create_directories(subfolder);
    const auto copy = subfolder / fileName;
    std::filesystem::copy_file(BuiltProgram(), copy);
    return copy;
}

Process Process::Start(const std::filesystem::path& program, std::wstring_view arguments) {
    std::wstring commandLine = L"\"" + program.wstring() + L"\"";
    if (!arguments.empty())
        commandLine += L" " + std::wstring(arguments);
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    Process started;
    if (!::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          nullptr, &startup, &info))
        return started;
    ::CloseHandle(info.hThread);
    started.process_.reset(info.hProcess);
    started.id_ = info.dwProcessId;
    return started;
}

Process Process::StartWithWindow(const std::filesystem::path& program, std::wstring_view arguments,
                                 DWORD timeoutMs, std::wstring_view windowTitle) {
    constexpr int kAttempts = 3;
    Process started;
    for (int attempt = 1; attempt <= kAttempts; ++attempt) {
        started = Start(program, arguments);
        if (!started || started.WaitForWindow(windowTitle, timeoutMs) || started.IsRunning())
            return started;
        std::fprintf(stderr, "%ls ended (exit code %lu) before its window appeared%s\n",
                     program.filename().c_str(), started.ExitCode(),
                     attempt < kAttempts ? "; starting it again" : "");
    }
    return started;
}

Process::~Process() {
    End();
}

Process& Process::operator=(Process&& other) noexcept {
    if (this != &other) {
        End();
        process_ = std::move(other.process_);
        id_ = other.id_;
    }
    return *this;
}

void Process::End() {
    if (!process_)
        return;
    if (IsRunning()) {
        ::TerminateProcess(process_.get(), kExitCodeEndedByOwner);
        ::WaitForSingleObject(process_.get(), 5000);
    }
    process_.reset();
}

bool Process::IsRunning() const {
    return ::WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT;
}

bool Process::WaitForEnd(DWORD timeoutMs) const {
    return ::WaitForSingleObject(process_.get(), timeoutMs) == WAIT_OBJECT_0;
}

DWORD Process::ExitCode() const {
    DWORD code = 0;
    if (!::GetExitCodeProcess(process_.get(), &code))
        return static_cast<DWORD>(-1);
    return code;
}

bool Process::WaitForMainWindow(DWORD timeoutMs) const {
    return WaitForWindow(kWindowTitle, timeoutMs);
}

bool Process::WaitForWindow(std::wstring_view windowTitle, DWORD timeoutMs) const {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!HasWindow(id_, windowTitle)) {
        if (!IsRunning() || std::chrono::steady_clock::now() >= until)
            return false;
        ::Sleep(20);
    }
    return true;
}

ULONGLONG Process::EndTimeMs() const {
    FILETIME creation, exit, kernel, user;
    if (!::GetProcessTimes(process_.get(), &creation, &exit, &kernel, &user))
        return 0;
    return ((static_cast<ULONGLONG>(exit.dwHighDateTime) << 32) | exit.dwLowDateTime) / 10000;
}

std::string ReadRecord(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::wstring RecordArgument(const std::filesystem::path& file) {
    return std::wstring(kRecord) + L"\"" + file.wstring() + L"\"";
}

} // namespace stand_in
