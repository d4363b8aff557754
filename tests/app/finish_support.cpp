#include "finish_support.h"

#include <shellapi.h>

#include <fstream>

#include "wcl/text.h"

namespace setup_test {

namespace {

constexpr wchar_t kBrowserKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\iexplore.exe";

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

bool SamePath(const std::wstring& a, const std::wstring& b) {
    return _wcsicmp(a.c_str(), b.c_str()) == 0;
}

} // namespace setup_test
