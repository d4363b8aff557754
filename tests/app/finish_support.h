// What the tests of the finish share: the stand-ins' records of how they were started, a browser
// stand-in registered as iexplore.exe, and environment variables the started programs inherit.
#pragma once

#include <windows.h>

#include <filesystem>
#include <string>
#include <vector>

namespace setup_test {

// The folder of the running test program, where the stand-ins are built.
std::filesystem::path ThisProgramsFolder();

// Sets an environment variable that started programs inherit, and clears it again.
class EnvironmentVariable {
public:
    EnvironmentVariable(const wchar_t* name, const std::wstring& value);
    ~EnvironmentVariable();
    EnvironmentVariable(const EnvironmentVariable&) = delete;
    EnvironmentVariable& operator=(const EnvironmentVariable&) = delete;

private:
    const wchar_t* m_name;
};

// Registers a program as iexplore.exe for the test's length, and puts back what was there.
class BrowserRegistration {
public:
    explicit BrowserRegistration(const std::filesystem::path& program);
    ~BrowserRegistration();
    BrowserRegistration(const BrowserRegistration&) = delete;
    BrowserRegistration& operator=(const BrowserRegistration&) = delete;

private:
    bool m_hadValue = false;
    std::wstring m_saved;
};

// The command-line words of the first start line of a record; empty while there is none.
std::vector<std::wstring> StartedWith(const std::filesystem::path& record, const char* prefix);
// The same, waiting up to ten seconds for the line.
std::vector<std::wstring> WaitForStart(const std::filesystem::path& record, const char* prefix);

// The text after `prefix` on the first line of a record that starts with it; empty when none does.
std::wstring RecordedText(const std::filesystem::path& record, const char* prefix);

// Waits until no process of the given program name (the file name alone) runs, at most timeoutMs;
// false when one still runs. A program started by mistake has then done what it does.
bool WaitUntilNoneRuns(const wchar_t* imageName, DWORD timeoutMs);

// Makes a folder the process's current folder, which started programs inherit, and puts back the
// one before.
class CurrentFolder {
public:
    explicit CurrentFolder(const std::filesystem::path& folder);
    ~CurrentFolder();
    CurrentFolder(const CurrentFolder&) = delete;
    CurrentFolder& operator=(const CurrentFolder&) = delete;

private:
    std::filesystem::path m_saved;
};

// Paths compared as the file system does, without regard to case.
bool SamePath(const std::wstring& a, const std::wstring& b);

} // namespace setup_test
