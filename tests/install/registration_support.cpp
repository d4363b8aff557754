#include <windows.h>
#include <objbase.h>
#include <sddl.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cstring>
#include <vector>

#include "install/registration_support.h"
#include "wcl/com.h"
#include "wcl/registry.h"

namespace registration_test {

namespace {

std::filesystem::path FolderPath(int csidl) {
    wchar_t path[MAX_PATH] = {};
    if (FAILED(::SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path)))
        return {};
    return path;
}

struct LocalFreeTraits {
    using pointer = PSECURITY_DESCRIPTOR;
    static pointer invalid() noexcept { return nullptr; }
    static void close(pointer memory) noexcept { ::LocalFree(memory); }
};

bool SetKeySecurity(HKEY root, const std::wstring& key, const wchar_t* sddl) {
    wcl::Unique<LocalFreeTraits> descriptor;
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl, SDDL_REVISION_1,
                                                                descriptor.put(), nullptr))
        return false;
    wcl::UniqueRegKey opened;
    if (::RegOpenKeyExW(root, key.c_str(), 0, WRITE_DAC, opened.put()) != ERROR_SUCCESS)
        return false;
    return ::RegSetKeySecurity(opened.get(), DACL_SECURITY_INFORMATION, descriptor.get()) ==
           ERROR_SUCCESS;
}

} // namespace

std::optional<StoredValue> ReadValue(HKEY root, const std::wstring& key, const std::wstring& name) {
    wcl::UniqueRegKey opened;
    if (::RegOpenKeyExW(root, key.c_str(), 0, KEY_QUERY_VALUE, opened.put()) != ERROR_SUCCESS)
        return std::nullopt;
    StoredValue value;
    DWORD size = 0;
    if (::RegQueryValueExW(opened.get(), name.c_str(), nullptr, &value.type, nullptr, &size) !=
        ERROR_SUCCESS)
        return std::nullopt;
    std::vector<BYTE> bytes(size);
    if (::RegQueryValueExW(opened.get(), name.c_str(), nullptr, &value.type, bytes.data(), &size) !=
        ERROR_SUCCESS)
        return std::nullopt;
    // An odd size shows as one more unit than whole characters, so it cannot pass for a string.
    value.data.assign((size + 1) / sizeof(wchar_t), L'?');
    if (size > 0)
        std::memcpy(value.data.data(), bytes.data(), size);
    return value;
}

std::optional<LinkContent> ReadLink(const std::filesystem::path& path) {
    const wcl::ComApartment apartment;
    wcl::ComPtr<IShellLinkW> link;
    if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                  reinterpret_cast<void**>(link.put()))))
        return std::nullopt;
    wcl::ComPtr<IPersistFile> file;
    if (FAILED(
            link.get()->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(file.put()))) ||
        FAILED(file.get()->Load(path.c_str(), STGM_READ)))
        return std::nullopt;
    wchar_t target[MAX_PATH] = {};
    wchar_t description[INFOTIPSIZE] = {};
    wchar_t arguments[INFOTIPSIZE] = {};
    if (FAILED(link.get()->GetPath(target, MAX_PATH, nullptr, SLGP_RAWPATH)) ||
        FAILED(link.get()->GetDescription(description, INFOTIPSIZE)) ||
        FAILED(link.get()->GetArguments(arguments, INFOTIPSIZE)))
        return std::nullopt;
    return LinkContent{target, description, arguments};
}

std::filesystem::path DesktopFolder() {
    return FolderPath(CSIDL_DESKTOPDIRECTORY);
}

std::filesystem::path CommonProgramsFolder() {
    return FolderPath(CSIDL_COMMON_PROGRAMS);
}

// Everyone may read the key, change its security and delete it, but neither set values nor
// create subkeys; the protected list inherits nothing from the parent.
WriteDeniedKey::WriteDeniedKey(HKEY root, const std::wstring& key) : m_root(root), m_key(key) {
    wcl::UniqueRegKey created;
    if (::RegCreateKeyExW(root, key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                          nullptr, created.put(), nullptr) != ERROR_SUCCESS)
        return;
    created.reset();
    m_applied = SetKeySecurity(root, key, L"D:P(A;;KRWDSD;;;WD)");
}

WriteDeniedKey::~WriteDeniedKey() {
    SetKeySecurity(m_root, m_key, L"D:(A;;KA;;;WD)");
}

void RemoveRegistration() {
    constexpr wchar_t kUninstallKey[] =
        L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\ORIBEL";
    constexpr wchar_t kMakerKey[] = L"Software\\Tervane";
    constexpr wchar_t kLogonKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
    ::RegDeleteTreeW(HKEY_LOCAL_MACHINE, kUninstallKey);
    ::RegDeleteKeyW(HKEY_LOCAL_MACHINE, kUninstallKey);
    ::RegDeleteTreeW(HKEY_CURRENT_USER, kMakerKey);
    ::RegDeleteKeyW(HKEY_CURRENT_USER, kMakerKey);
    ::RegDeleteKeyValueW(HKEY_CURRENT_USER, kLogonKey, L"ORIBEL");
    std::error_code ignored;
    std::filesystem::remove_all(DesktopFolder() / L"ORIBEL.lnk", ignored);
    std::filesystem::remove_all(CommonProgramsFolder() / L"Tervane", ignored);
}

} // namespace registration_test
