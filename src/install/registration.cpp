#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cwchar>
#include <iterator>

#include "install/registration.h"
#include "wcl/com.h"
#include "wcl/registry.h"

namespace {

constexpr wchar_t kUninstallKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\ORIBEL";
constexpr wchar_t kProductKey[] = L"Software\\Tervane\\ORIBEL";
constexpr wchar_t kLogonKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr wchar_t kMenuFolder[] = L"Tervane\\ORIBEL";

// The path of a special folder, or empty when the shell cannot name it.
std::wstring SpecialFolderPath(int csidl) {
    wcl::UniqueItemIdList list;
    if (FAILED(::SHGetSpecialFolderLocation(nullptr, csidl, list.put())) || !list)
        return {};
    wchar_t path[MAX_PATH] = {};
    if (!::SHGetPathFromIDListW(list.get(), path))
        return {};
    return path;
}

DWORD StringByteSize(const std::wstring& text) {
    return static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
}

bool SetStringValue(HKEY key, const std::wstring& valueName, const std::wstring& text) {
    return ::RegSetValueExW(key, valueName.c_str(), 0, REG_SZ,
                            reinterpret_cast<const BYTE*>(text.c_str()),
                            StringByteSize(text)) == ERROR_SUCCESS;
}

void WriteProductValue(const std::wstring& valueName, const std::wstring& text) {
    wcl::UniqueRegKey key;
    if (::RegCreateKeyExW(HKEY_CURRENT_USER, kProductKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                          KEY_ALL_ACCESS, nullptr, key.put(), nullptr) != ERROR_SUCCESS)
        return;
    SetStringValue(key.get(), valueName, text);
}

// A command line's program between quotation marks, so a space in its path cannot make the
// system start a program named after the path's first part (C:\Program.exe).
std::wstring Quoted(const std::wstring& path) {
    return L"\"" + path + L"\"";
}

void WriteUninstallEntry(const std::wstring& programPath, const std::wstring& uninstallerPath,
                         const std::wstring& version) {
    WriteRegString(HKEY_LOCAL_MACHINE, kUninstallKey, L"DisplayIcon", programPath);
    WriteRegString(HKEY_LOCAL_MACHINE, kUninstallKey, L"DisplayName", L"ORIBEL");
    WriteRegString(HKEY_LOCAL_MACHINE, kUninstallKey, L"UninstallString", Quoted(uninstallerPath));
    WriteRegString(HKEY_LOCAL_MACHINE, kUninstallKey, L"Publisher", L"Tervane Co., Ltd");
    WriteRegString(HKEY_LOCAL_MACHINE, kUninstallKey, L"DisplayVersion", version);
}

// Creates the pieces of menuFolder (separated by '\') inside path, one level after the other,
// and returns the deepest. Existing folders are no failure; one that cannot be made shows as a
// link that cannot be saved.
std::wstring CreateMenuFolders(std::wstring path, const std::wstring& menuFolder) {
    std::wstring::size_type start = 0;
    while (start <= menuFolder.size()) {
        std::wstring::size_type end = menuFolder.find(L'\\', start);
        if (end == std::wstring::npos)
            end = menuFolder.size();
        if (end > start) {
            path += L"\\" + menuFolder.substr(start, end - start);
            ::CreateDirectoryW(path.c_str(), nullptr);
        }
        start = end + 1;
    }
    return path;
}

} // namespace

HRESULT CreateShortcut(const std::wstring& target, const std::wstring& linkPath,
                       const std::wstring& description) {
    // Declared first, so the interfaces below are released before the apartment is left.
    const wcl::ComApartment apartment;
    wcl::ComPtr<IShellLinkW> link;
    if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                  reinterpret_cast<void**>(link.put()))) ||
        !link)
        return E_FAIL;
    link.get()->SetPath(target.c_str());
    link.get()->SetDescription(description.c_str());
    link.get()->SetArguments(L"");
    wcl::ComPtr<IPersistFile> file;
    if (FAILED(
            link.get()->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(file.put()))) ||
        !file)
        return E_FAIL;
    return file.get()->Save(linkPath.c_str(), TRUE);
}

std::wstring DesktopLinkPath(const std::wstring& folder, const std::wstring& name) {
    std::wstring path = folder + L"\\" + name + L".lnk";
    if (path.size() + 1 > MAX_PATH)
        return {};
    return path;
}

void CreateDesktopShortcut(const std::wstring& target, const std::wstring& name) {
    const std::wstring desktop = SpecialFolderPath(CSIDL_DESKTOP);
    if (desktop.empty())
        return;
    ::CreateDirectoryW(desktop.c_str(), nullptr);
    const std::wstring linkPath = DesktopLinkPath(desktop, name);
    if (linkPath.empty())
        return;
    CreateShortcut(target, linkPath, name);
}

void CreateProgramsShortcut(const std::wstring& target, const std::wstring& menuFolder,
                            const std::wstring& name) {
    const std::wstring programs = SpecialFolderPath(CSIDL_COMMON_PROGRAMS);
    if (programs.empty())
        return;
    ::CreateDirectoryW(programs.c_str(), nullptr);
    const std::wstring folder = CreateMenuFolders(programs, menuFolder);
    CreateShortcut(target, folder + L"\\" + name + L".lnk", name);
}

bool WriteRegString(HKEY root, const std::wstring& keyPath, const std::wstring& valueName,
                    const std::wstring& text) {
    wcl::UniqueRegKey key;
    if (::RegCreateKeyExW(root, keyPath.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE,
                          nullptr, key.put(), nullptr) != ERROR_SUCCESS)
        return false;
    return SetStringValue(key.get(), valueName, text);
}

void SaveVersionInfo(const std::wstring& version) {
    WriteProductValue(L"VersionInfo", version);
}

std::wstring FormatUpdateDate(const SYSTEMTIME& time) {
    wchar_t text[32] = {};
    std::swprintf(text, std::size(text), L"%04d.%02d.%02d %02d:%02d:%02d", time.wYear, time.wMonth,
                  time.wDay, time.wHour, time.wMinute, time.wSecond);
    return text;
}

void SaveUpdateDate() {
    SYSTEMTIME now = {};
    ::GetLocalTime(&now);
    WriteProductValue(L"UpdateDate", FormatUpdateDate(now));
}

void RegisterProduct(const std::wstring& productFolder, const std::wstring& version) {
    if (productFolder.empty())
        return;
    const std::wstring programPath = productFolder + L"\\ORIBEL.exe";
    const std::wstring uninstallerPath = productFolder + L"\\ORIBELUninstaller.exe";

    CreateDesktopShortcut(programPath, L"ORIBEL");
    CreateProgramsShortcut(programPath, kMenuFolder, L"ORIBEL");
    CreateProgramsShortcut(uninstallerPath, kMenuFolder, L"ORIBELUninstaller");

    WriteUninstallEntry(programPath, uninstallerPath, version);
    SaveVersionInfo(version);
    SaveUpdateDate();
    WriteRegString(HKEY_CURRENT_USER, kLogonKey, L"ORIBEL", Quoted(programPath) + L" ShowTray");
}
