// The registration that follows a complete installation: the shortcuts, the uninstall entry, the
// product's version and date values and the logon entry. No step depends on an earlier one, and
// a step that fails is skipped without a message.
#pragma once

#include <windows.h>

#include <string>

// Creates or replaces one shell link to target with the description and no arguments. Returns the
// result of saving it, or E_FAIL when the link object or its file interface cannot be had.
HRESULT CreateShortcut(const std::wstring& target, const std::wstring& linkPath,
                       const std::wstring& description);

// The link "<name>.lnk" on the desktop of the account the setup runs under.
void CreateDesktopShortcut(const std::wstring& target, const std::wstring& name);

// The link "<name>.lnk" in menuFolder (pieces separated by '\') of the all-users Programs menu,
// whose folders are created level by level; existing ones are kept.
void CreateProgramsShortcut(const std::wstring& target, const std::wstring& menuFolder,
                            const std::wstring& name);

// Sets a REG_SZ value, creating the key and its missing parents; true when the value was set.
bool WriteRegString(HKEY root, const std::wstring& keyPath, const std::wstring& valueName,
                    const std::wstring& text);

// The product key's values under HKEY_CURRENT_USER: the installed version and the time of
// installation.
void SaveVersionInfo(const std::wstring& version);
void SaveUpdateDate();

// Records the product installed in productFolder with the given version: three links, the
// uninstall entry, the product key and the logon entry. Writes nothing when productFolder is
// empty (the Program Files folder could not be had).
void RegisterProduct(const std::wstring& productFolder, const std::wstring& version);

// "<folder>\<name>.lnk", or empty when that path does not fit in MAX_PATH code units with its
// terminating null: such a link is skipped rather than saved under a cut name.
std::wstring DesktopLinkPath(const std::wstring& folder, const std::wstring& name);

// "yyyy.mm.dd hh:mm:ss", every field zero-padded.
std::wstring FormatUpdateDate(const SYSTEMTIME& time);
