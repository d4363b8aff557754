#include "installed_report.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cstdio>
#include <string>

#include "wcl/com.h"
#include "wcl/text.h"

namespace demo {

namespace {

constexpr wchar_t kUninstallKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\ORIBEL";
constexpr wchar_t kProductKey[] = L"Software\\Tervane\\ORIBEL";
constexpr wchar_t kLogonKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

struct Value {
    HKEY root;
    const wchar_t* rootName;
    const wchar_t* key;
    const wchar_t* name;
};

const Value kValues[] = {
    {HKEY_LOCAL_MACHINE, L"HKLM", kUninstallKey, L"DisplayIcon"},
    {HKEY_LOCAL_MACHINE, L"HKLM", kUninstallKey, L"DisplayName"},
    {HKEY_LOCAL_MACHINE, L"HKLM", kUninstallKey, L"UninstallString"},
    {HKEY_LOCAL_MACHINE, L"HKLM", kUninstallKey, L"Publisher"},
    {HKEY_LOCAL_MACHINE, L"HKLM", kUninstallKey, L"DisplayVersion"},
    {HKEY_CURRENT_USER, L"HKCU", kProductKey, L"VersionInfo"},
    {HKEY_CURRENT_USER, L"HKCU", kProductKey, L"UpdateDate"},
    {HKEY_CURRENT_USER, L"HKCU", kLogonKey, L"ORIBEL"},
};

std::wstring ReadText(const Value& value) {
    wchar_t text[1024] = {};
    DWORD size = sizeof(text);
    if (::RegGetValueW(value.root, value.key, value.name, RRF_RT_REG_SZ, nullptr, text, &size) !=
        ERROR_SUCCESS)
        return L"(missing)";
    return text;
}

std::wstring FolderPath(int csidl) {
    wchar_t path[MAX_PATH] = {};
    return SUCCEEDED(::SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path)) ? path
                                                                                            : L"";
}

std::wstring LinkTarget(const std::wstring& link) {
    wcl::ComPtr<IShellLinkW> shellLink;
    wcl::ComPtr<IPersistFile> file;
    if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                  reinterpret_cast<void**>(shellLink.put()))) ||
        FAILED(shellLink.get()->QueryInterface(IID_IPersistFile,
                                               reinterpret_cast<void**>(file.put()))) ||
        FAILED(file.get()->Load(link.c_str(), STGM_READ)))
        return L"(missing)";
    wchar_t target[MAX_PATH] = {};
    if (FAILED(shellLink.get()->GetPath(target, MAX_PATH, nullptr, 0)))
        return L"(no target)";
    return target;
}

void Print(const std::wstring& line) {
    std::printf("  %s\n", wcl::Utf16ToUtf8(line).c_str());
}

} // namespace

void PrintRegistration() {
    std::printf("registry values:\n");
    for (const Value& value : kValues)
        Print(std::wstring(value.rootName) + L"\\" + value.key + L" " + value.name + L" = " +
              ReadText(value));
    const wcl::ComApartment apartment;
    const std::wstring menu = FolderPath(CSIDL_COMMON_PROGRAMS) + L"\\Tervane\\ORIBEL";
    std::printf("links:\n");
    for (const std::wstring& link : {FolderPath(CSIDL_DESKTOPDIRECTORY) + L"\\ORIBEL.lnk",
                                     menu + L"\\ORIBEL.lnk", menu + L"\\ORIBELUninstaller.lnk"})
        Print(link + L" -> " + LinkTarget(link));
}

} // namespace demo
