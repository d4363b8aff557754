// What the registration tests read back from the Wine prefix: registry values with their type
// and stored size, and link files resolved through the shell.
#pragma once

#include <windows.h>

#include <filesystem>
#include <optional>
#include <string>

namespace registration_test {

// A stored value: its type and its data as UTF-16 units, the stored size in bytes divided by two
// (so a REG_SZ written with its null ends in L'\0').
struct StoredValue {
    DWORD type = REG_NONE;
    std::wstring data;
};
std::optional<StoredValue> ReadValue(HKEY root, const std::wstring& key, const std::wstring& name);

// What a link file says: target, description and arguments.
struct LinkContent {
    std::wstring target;
    std::wstring description;
    std::wstring arguments;
};
std::optional<LinkContent> ReadLink(const std::filesystem::path& path);

std::filesystem::path DesktopFolder();
std::filesystem::path CommonProgramsFolder();

// Removes whatever a registration left in the prefix: the product's keys and logon value, the
// desktop link and the maker's Programs-menu folder.
void RemoveRegistration();

// Makes a key readable and deletable but not writable, for the length of the guard; then it
// opens the key to everyone again, so it can be removed.
class WriteDeniedKey {
public:
    WriteDeniedKey(HKEY root, const std::wstring& key);
    ~WriteDeniedKey();
    WriteDeniedKey(const WriteDeniedKey&) = delete;
    WriteDeniedKey& operator=(const WriteDeniedKey&) = delete;

    bool applied() const { return m_applied; }

private:
    HKEY m_root;
    std::wstring m_key;
    bool m_applied = false;
};

} // namespace registration_test
