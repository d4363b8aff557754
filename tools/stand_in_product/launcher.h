// The starting side of the stand-in product, for tests and benchmarks: copies of the program
// under the names a test needs, in a folder of its own, and started processes that are ended
// again whatever path the test takes.
#pragma once

#include <windows.h>

#include <filesystem>
#include <string>
#include <string_view>

#include "stand_in_product/stand_in_product.h"
#include "wcl/handle.h"

namespace stand_in {

// Exit code given to a stand-in that is still running when its owner goes away.
inline constexpr UINT kExitCodeEndedByOwner = 77;

// A new folder under the system's temporary folder, removed with its contents on destruction.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

// Copies the stand-in program into a subfolder of its own under folder, as fileName, and returns
// the copy's path. Own subfolders let names that differ only in case exist side by side.
std::filesystem::path CopyProgram(const TempFolder& folder, std::wstring_view fileName);

// One started stand-in. Ended with kExitCodeEndedByOwner on destruction if still running.
class Process {
public:
    // Starts program with the given arguments; an empty object when the start failed.
    static Process Start(const std::filesystem::path& program, std::wstring_view arguments);
    // Starts program and waits until it shows a top-level window titled windowTitle (the
    // stand-in's main window unless told otherwise). Under Wine a new process now and then dies
    // in the Unix loader before it runs any code of its own ("Inconsistency detected by ld.so");
    // a start that ends before its window appeared is made again, at most three times in all.
    // The result is the last process started: check it with WaitForMainWindow or WaitForWindow.
    static Process StartWithWindow(const std::filesystem::path& program,
                                   std::wstring_view arguments, DWORD timeoutMs,
                                   std::wstring_view windowTitle = kWindowTitle);

    Process() = default;
    ~Process();
    Process(Process&&) noexcept = default;
    Process& operator=(Process&& other) noexcept;

    explicit operator bool() const { return static_cast<bool>(process_); }
    HANDLE handle() const { return process_.get(); }
    DWORD id() const { return id_; }

    bool IsRunning() const;
    // Waits until the process has ended; false if it still runs after timeoutMs.
    bool WaitForEnd(DWORD timeoutMs) const;
    // The exit code, STILL_ACTIVE while it runs.
    DWORD ExitCode() const;
    // Waits until the process shows its main window (its switches are then in force); false
    // after timeoutMs or when the process has ended.
    bool WaitForMainWindow(DWORD timeoutMs) const;
    // The same for a top-level window with another title.
    bool WaitForWindow(std::wstring_view windowTitle, DWORD timeoutMs) const;
    // When the process ended, in milliseconds on the system's file-time clock.
    ULONGLONG EndTimeMs() const;

private:
    void End();

    wcl::UniqueHandle process_;
    DWORD id_ = 0;
};

// The record file's contents (UTF-8), empty when there is none.
std::string ReadRecord(const std::filesystem::path& file);

// The argument that makes the stand-in record into file.
std::wstring RecordArgument(const std::filesystem::path& file);

} // namespace stand_in
