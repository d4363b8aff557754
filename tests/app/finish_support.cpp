#include "finish_support.h"

#include <shellapi.h>
#include <tlhelp32.h>

#include <chrono>
#include <fstream>
#include <vector>

#include "wcl/handle.h"
#include "wcl/text.h"
#include "wcl/wait.h"

namespace setup_test {

namespace {

constexpr wchar_t kBrowserKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\iexplore.exe";

// The ids of the running processes of a program, by its file name.
std::vector<DWORD> ProcessesOf(const wchar_t* imageName) {
    std::vector<DWORD> ids;
    wcl::UniqueFileHandle snapshot(::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot)
        return ids;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    for (BOOL more = ::Process32FirstW(snapshot.get(), &entry); more;
         more = ::Process32NextW(snapshot.get(), &entry)) {
        if (_wcsicmp(entry.szExeFile, imageName) == 0)
            ids.push_back(entry.th32ProcessID);
    }
    return ids;
}

void SetBrowser(const std::wstring& value) {
    ::RegSetKeyValueW(HKEY_LOCAL_MACHINE, kBrowserKey, nullptr, REG_SZ, value.c_str(),
                      static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

} // namespace

std::filesystem::path ThisProgramsFolder() {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    return std::filesystem::path(path).parent_path();
}

EnvironmentVariable::EnvironmentVariable(const wchar_t* name, const std::wstring& value)
    : m_name(name) {
    ::SetEnvironmentVariableW(name, value.c_str());
}

EnvironmentVariable::~EnvironmentVariable() {
    ::SetEnvironmentVariableW(m_name, nullptr);
}

BrowserRegistration::BrowserRegistration(const std::filesystem::path& program) {
    wchar_t saved[MAX_PATH * 2] = {};
    DWORD size = sizeof(saved);
    m_hadValue = ::RegGetValueW(HKEY_LOCAL_MACHINE, kBrowserKey, nullptr, RRF_RT_REG_SZ, nullptr,
                                saved, &size) == ERROR_SUCCESS;
    m_saved = saved;
    SetBrowser(program.wstring());
}

BrowserRegistration::~BrowserRegistration() {
    if (m_hadValue)
        SetBrowser(m_saved);
    else
        ::RegDeleteKeyValueW(HKEY_LOCAL_MACHINE, kBrowserKey, nullptr);
}

std::vector<std::wstring> StartedWith(const std::filesystem::path& record, const char* prefix) {
    std::ifstream in(record, std::ios::binary);
    std::string line;
    if (!std::getline(in, line) || line.rfind(prefix, 0) != 0)
        return {};
    const std::wstring commandLine = wcl::Utf8ToUtf16(line.substr(std::string(prefix).size()));
    int count = 0;
    LPWSTR* words = ::CommandLineToArgvW(commandLine.c_str(), &count);
    std::vector<std::wstring> result(words, words + (words ? count : 0));
    ::LocalFree(words);
    return result;
}

std::vector<std::wstring> WaitForStart(const std::filesystem::path& record, const char* prefix) {
    for (int attempt = 0; attempt < 1000; ++attempt) {
        if (auto words = StartedWith(record, prefix); !words.empty())
            return words;
        ::Sleep(10);
    }
    return {};
}

std::wstring RecordedText(const std::filesystem::path& record, const char* prefix) {
    std::ifstream in(record, std::ios::binary);
    const std::string start(prefix);
    for (std::string line; std::getline(in, line);) {
        if (line.rfind(start, 0) == 0)
            return wcl::Utf8ToUtf16(line.substr(start.size()));
    }
    return {};
}

bool WaitUntilNoneRuns(const wchar_t* imageName, DWORD timeoutMs) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (const DWORD id : ProcessesOf(imageName)) {
        const wcl::UniqueHandle process(::OpenProcess(SYNCHRONIZE, FALSE, id));
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            until - std::chrono::steady_clock::now());
        if (process &&
            ::WaitForSingleObject(process.get(), wcl::WaitMilliseconds(left)) == WAIT_TIMEOUT)
            return false;
    }
    return true;
}

CurrentFolder::CurrentFolder(const std::filesystem::path& folder)
    : m_saved(std::filesystem::current_path()) {
    std::filesystem::current_path(folder);
}

CurrentFolder::~CurrentFolder() {
    std::error_code ignored;
    std::filesystem::current_path(m_saved, ignored);
}

bool SamePath(const std::wstring& a, const std::wstring& b) {
    return _wcsicmp(a.c_str(), b.c_str()) == 0;
}

} // namespace setup_test
