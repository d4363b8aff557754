#include <gtest/gtest.h>

#include <windows.h>

#include <cwchar>
#include <cwctype>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "install/registration.h"
#include "install/registration_support.h"

namespace {

namespace fs = std::filesystem;
using namespace registration_test;

constexpr wchar_t kMakerKey[] = L"Software\\Tervane";
constexpr wchar_t kUninstallKey[] =
    L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\ORIBEL";
constexpr wchar_t kProductKey[] = L"Software\\Tervane\\ORIBEL";
constexpr wchar_t kLogonKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";

// A REG_SZ value as the registration stores it: the text and its terminating null.
std::wstring Stored(const std::wstring& text) {
    return text + L'\0';
}

// Digits replaced by 'd', to compare a date's form.
std::wstring DigitsMasked(std::wstring text) {
    for (wchar_t& c : text)
        if (std::iswdigit(c))
            c = L'd';
    return text;
}

// Everything the registration writes, read back as "<what is there>", or nothing when it is not.
// Values show their type unless it is REG_SZ; links show target, description and arguments.
struct Written {
    std::wstring label;
    std::optional<std::wstring> actual;
    std::wstring expected;
};

std::optional<std::wstring> ValueAsText(HKEY root, const wchar_t* key, const wchar_t* name,
                                        bool isDate = false) {
    const auto value = ReadValue(root, key, name);
    if (!value)
        return std::nullopt;
    const std::wstring data = isDate ? DigitsMasked(value->data) : value->data;
    if (value->type != REG_SZ)
        return L"type " + std::to_wstring(value->type) + L": " + data;
    return data;
}

std::optional<std::wstring> LinkAsText(const fs::path& path) {
    const auto link = ReadLink(path);
    if (!fs::is_regular_file(path) || !link)
        return std::nullopt;
    return link->target + L" | " + link->description + L" | " + link->arguments;
}

std::vector<Written> ReadRegistration(const std::wstring& folder, const std::wstring& version) {
    const std::wstring program = folder + L"\\ORIBEL.exe";
    const std::wstring uninstaller = folder + L"\\ORIBELUninstaller.exe";
    const fs::path menu = CommonProgramsFolder() / L"Tervane" / L"ORIBEL";
    const HKEY hklm = HKEY_LOCAL_MACHINE;
    const HKEY hkcu = HKEY_CURRENT_USER;
    return {
        {L"desktop link", LinkAsText(DesktopFolder() / L"ORIBEL.lnk"), program + L" | ORIBEL | "},
        {L"menu link", LinkAsText(menu / L"ORIBEL.lnk"), program + L" | ORIBEL | "},
        {L"menu uninstaller link", LinkAsText(menu / L"ORIBELUninstaller.lnk"),
         uninstaller + L" | ORIBELUninstaller | "},
        {L"DisplayIcon", ValueAsText(hklm, kUninstallKey, L"DisplayIcon"), Stored(program)},
        {L"DisplayName", ValueAsText(hklm, kUninstallKey, L"DisplayName"), Stored(L"ORIBEL")},
        {L"UninstallString", ValueAsText(hklm, kUninstallKey, L"UninstallString"),
         Stored(L"\"" + uninstaller + L"\"")},
        {L"Publisher", ValueAsText(hklm, kUninstallKey, L"Publisher"), Stored(L"Tervane Co., Ltd")},
        {L"DisplayVersion", ValueAsText(hklm, kUninstallKey, L"DisplayVersion"), Stored(version)},
        {L"VersionInfo", ValueAsText(hkcu, kProductKey, L"VersionInfo"), Stored(version)},
        {L"UpdateDate", ValueAsText(hkcu, kProductKey, L"UpdateDate", true),
         Stored(L"dddd.dd.dd dd:dd:dd")},
        {L"logon entry", ValueAsText(hkcu, kLogonKey, L"ORIBEL"),
         Stored(L"\"" + program + L"\" ShowTray")},
    };
}

std::string Narrow(const std::wstring& text) {
    std::string result;
    for (wchar_t c : text)
        result += (c >= 0x20 && c < 0x7F) ? static_cast<char>(c) : '?';
    return result;
}

// Each item written with its expected content, except the ones named in missing, which are not
// there at all.
void ExpectRegistration(const std::wstring& folder, const std::wstring& version,
                        const std::set<std::wstring>& missing = {}) {
    for (const Written& item : ReadRegistration(folder, version)) {
        SCOPED_TRACE(Narrow(item.label));
        if (missing.count(item.label)) {
            EXPECT_FALSE(item.actual.has_value()) << Narrow(*item.actual);
            continue;
        }
        ASSERT_TRUE(item.actual.has_value());
        EXPECT_EQ(*item.actual, item.expected);
    }
}

void CreateEmptyFile(const fs::path& path) {
    std::ofstream(path, std::ios::binary).put('\0');
}

// Removes whatever a registration left in the prefix, before and after each test, and provides a
// product folder with the two program files in a path with a space.
class Registration : public testing::Test {
protected:
    void SetUp() override {
        RemoveRegistration();
        wchar_t temp[MAX_PATH] = {};
        ::GetTempPathW(MAX_PATH, temp);
        m_root = fs::path(temp) / L"registration test";
        fs::remove_all(m_root);
        fs::create_directories(m_root / L"ORIBEL");
        m_folder = (m_root / L"ORIBEL").wstring();
        CreateEmptyFile(m_folder + L"\\ORIBEL.exe");
        CreateEmptyFile(m_folder + L"\\ORIBELUninstaller.exe");
    }
    void TearDown() override {
        RemoveRegistration();
        std::error_code ignored;
        fs::remove_all(m_root, ignored);
    }

    fs::path m_root;
    std::wstring m_folder;
};

class RegistrationVersion : public Registration,
                            public testing::WithParamInterface<const wchar_t*> {};

// A version line that ends with the carriage return of a CR LF version list keeps it.
TEST_P(RegistrationVersion, WritesEveryLinkAndValue) {
    RegisterProduct(m_folder, GetParam());
    ExpectRegistration(m_folder, GetParam());
}

INSTANTIATE_TEST_SUITE_P(Versions, RegistrationVersion, testing::Values(L"5.2", L"5.2\r"),
                         [](const auto& row) { return row.index == 0 ? "Plain" : "WithReturn"; });

TEST_F(Registration, SecondRunOverwritesValuesAndLinksAndKeepsMenuFolders) {
    const std::wstring other = (m_root / L"other.exe").wstring();
    CreateEmptyFile(other);
    const fs::path menu = CommonProgramsFolder() / L"Tervane" / L"ORIBEL";
    fs::create_directories(menu);
    CreateEmptyFile(menu / L"Readme.txt");
    for (const fs::path& link :
         {DesktopFolder() / L"ORIBEL.lnk", menu / L"ORIBEL.lnk", menu / L"ORIBELUninstaller.lnk"})
        ASSERT_EQ(CreateShortcut(other, link.wstring(), L"old"), S_OK);
    for (const wchar_t* name :
         {L"DisplayIcon", L"DisplayName", L"UninstallString", L"Publisher", L"DisplayVersion"})
        ASSERT_TRUE(WriteRegString(HKEY_LOCAL_MACHINE, kUninstallKey, name, L"old"));
    const DWORD number = 4;
    ASSERT_EQ(::RegSetKeyValueW(HKEY_CURRENT_USER, kProductKey, L"VersionInfo", REG_DWORD, &number,
                                sizeof(number)),
              ERROR_SUCCESS);
    ASSERT_TRUE(WriteRegString(HKEY_CURRENT_USER, kProductKey, L"UpdateDate", L"old"));
    ASSERT_TRUE(WriteRegString(HKEY_CURRENT_USER, kLogonKey, L"ORIBEL", L"old ShowTray"));

    RegisterProduct(m_folder, L"5.3");

    ExpectRegistration(m_folder, L"5.3");
    EXPECT_TRUE(fs::is_regular_file(menu / L"Readme.txt"));
}

TEST_F(Registration, EmptyProductFolderWritesNothing) {
    RegisterProduct(L"", L"5.2");
    ExpectRegistration(L"", L"5.2",
                       {L"desktop link", L"menu link", L"menu uninstaller link", L"DisplayIcon",
                        L"DisplayName", L"UninstallString", L"Publisher", L"DisplayVersion",
                        L"VersionInfo", L"UpdateDate", L"logon entry"});
}

// A step whose write fails is skipped, and every later step is still done.
struct FailedStep {
    const char* name;
    std::function<bool()> inject; // false when the failure could not be set up
    std::set<std::wstring> missing;
};

void PrintTo(const FailedStep& step, std::ostream* out) {
    *out << step.name;
}

class RegistrationWithFailure : public Registration,
                                public testing::WithParamInterface<FailedStep> {};

TEST_P(RegistrationWithFailure, WritesEverythingElse) {
    ASSERT_TRUE(GetParam().inject());
    RegisterProduct(m_folder, L"5.2");
    ExpectRegistration(m_folder, L"5.2", GetParam().missing);
}

bool MakeFolder(const fs::path& path) {
    return fs::create_directories(path);
}

bool MakeFile(const fs::path& path) {
    fs::create_directories(path.parent_path());
    CreateEmptyFile(path);
    return fs::is_regular_file(path);
}

// The product key cannot be created under a volatile parent (a non-volatile child of a volatile
// key is refused).
bool MakeMakerKeyVolatile() {
    HKEY key = nullptr;
    const bool made =
        ::RegCreateKeyExW(HKEY_CURRENT_USER, kMakerKey, 0, nullptr, REG_OPTION_VOLATILE, KEY_WRITE,
                          nullptr, &key, nullptr) == ERROR_SUCCESS;
    if (made)
        ::RegCloseKey(key);
    return made;
}

INSTANTIATE_TEST_SUITE_P(
    Steps, RegistrationWithFailure,
    testing::Values(FailedStep{"DesktopLinkIsAFolder",
                               [] { return MakeFolder(DesktopFolder() / L"ORIBEL.lnk"); },
                               {L"desktop link"}},
                    FailedStep{"MenuLinkIsAFolder",
                               [] {
                                   return MakeFolder(CommonProgramsFolder() / L"Tervane" /
                                                     L"ORIBEL" / L"ORIBEL.lnk");
                               },
                               {L"menu link"}},
                    FailedStep{"MenuFolderIsAFile",
                               [] { return MakeFile(CommonProgramsFolder() / L"Tervane"); },
                               {L"menu link", L"menu uninstaller link"}},
                    FailedStep{"ProductKeyCannotBeCreated",
                               MakeMakerKeyVolatile,
                               {L"VersionInfo", L"UpdateDate"}}),
    [](const auto& row) { return std::string(row.param.name); });

// The uninstall key denies writing: its five values are skipped, the rest is written.
TEST_F(Registration, UninstallKeyThatDeniesWritingIsSkipped) {
    WriteDeniedKey denied(HKEY_LOCAL_MACHINE, kUninstallKey);
    ASSERT_TRUE(denied.applied());
    EXPECT_FALSE(WriteRegString(HKEY_LOCAL_MACHINE, kUninstallKey, L"DisplayName", L"ORIBEL"));

    RegisterProduct(m_folder, L"5.2");

    ExpectRegistration(
        m_folder, L"5.2",
        {L"DisplayIcon", L"DisplayName", L"UninstallString", L"Publisher", L"DisplayVersion"});
}

TEST_F(Registration, WriteRegStringStoresTextWithItsNull) {
    const std::wstring key = std::wstring(kMakerKey) + L"\\Parent\\Child";
    for (const std::wstring text : {L"", L"5.2\r", L"C:\\Program Files\\x y", L"\uD55C\uAE00"}) {
        SCOPED_TRACE(Narrow(text));
        ASSERT_TRUE(WriteRegString(HKEY_CURRENT_USER, key, L"Text", text));
        const auto value = ReadValue(HKEY_CURRENT_USER, key, L"Text");
        ASSERT_TRUE(value.has_value());
        EXPECT_EQ(value->type, static_cast<DWORD>(REG_SZ));
        EXPECT_EQ(value->data, Stored(text));
    }
}

TEST_F(Registration, ShortcutReplacesAnExistingLink) {
    const fs::path link = m_root / L"Program.lnk";
    const std::wstring first = m_folder + L"\\ORIBEL.exe";
    const std::wstring second = m_folder + L"\\ORIBELUninstaller.exe";
    ASSERT_EQ(CreateShortcut(first, link.wstring(), L"first"), S_OK);
    ASSERT_EQ(CreateShortcut(second, link.wstring(), L"second"), S_OK);
    const auto content = ReadLink(link);
    ASSERT_TRUE(content.has_value());
    EXPECT_EQ(content->target, second);
    EXPECT_EQ(content->description, L"second");
    EXPECT_EQ(content->arguments, L"");
}

TEST_F(Registration, ShortcutThatCannotBeSavedReportsIt) {
    const std::wstring target = m_folder + L"\\ORIBEL.exe";
    fs::create_directory(m_root / L"Folder.lnk");
    EXPECT_TRUE(FAILED(CreateShortcut(target, (m_root / L"Folder.lnk").wstring(), L"x")));
    EXPECT_TRUE(FAILED(CreateShortcut(target, (m_root / L"missing" / L"a.lnk").wstring(), L"x")));
    EXPECT_FALSE(fs::exists(m_root / L"missing"));
}

TEST_F(Registration, MenuFoldersAreCreatedLevelByLevelAndExistingOnesKept) {
    const fs::path tervane = CommonProgramsFolder() / L"Tervane";
    fs::create_directories(tervane / L"A");
    CreateEmptyFile(tervane / L"A" / L"keep.txt");
    const std::wstring target = m_folder + L"\\ORIBEL.exe";

    CreateProgramsShortcut(target, L"Tervane\\A\\B\\C", L"Deep");

    const auto link = ReadLink(tervane / L"A" / L"B" / L"C" / L"Deep.lnk");
    ASSERT_TRUE(link.has_value());
    EXPECT_EQ(link->target, target);
    EXPECT_EQ(link->description, L"Deep");
    EXPECT_TRUE(fs::is_regular_file(tervane / L"A" / L"keep.txt"));
}

TEST(DesktopLinkPath, FitsWithItsNullOrIsEmpty) {
    const std::wstring name = L"ORIBEL"; // "\ORIBEL.lnk" adds 11 units
    const struct {
        std::wstring folder;
        std::wstring expected;
    } cases[] = {
        {L"C:\\users\\me\\Desktop", L"C:\\users\\me\\Desktop\\ORIBEL.lnk"},
        {std::wstring(248, L'x'), std::wstring(248, L'x') + L"\\ORIBEL.lnk"}, // 259 + null
        {std::wstring(249, L'x'), L""},                                       // 260 + null
        {std::wstring(400, L'x'), L""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.folder.size());
        EXPECT_EQ(DesktopLinkPath(c.folder, name), c.expected);
    }
}

// On the real desktop: the longest name that fits is linked, one unit more is skipped rather
// than saved under a cut name.
TEST_F(Registration, DesktopLinkTooLongIsSkipped) {
    const fs::path desktop = DesktopFolder();
    const size_t fits = MAX_PATH - 1 - desktop.wstring().size() - 5;
    const std::wstring target = m_folder + L"\\ORIBEL.exe";
    for (const size_t length : {fits, fits + 1}) {
        const std::wstring name(length, L'n');
        CreateDesktopShortcut(target, name);
        const fs::path link = desktop / (name + L".lnk");
        const bool made = fs::is_regular_file(link);
        fs::remove(link);
        EXPECT_EQ(made, length == fits) << length;
    }
    for (const auto& entry : fs::directory_iterator(desktop))
        EXPECT_NE(entry.path().filename().wstring().rfind(L"nnnn", 0), 0u)
            << Narrow(entry.path().filename().wstring());
}

TEST(UpdateDate, FieldsAreZeroPadded) {
    const struct {
        SYSTEMTIME time;
        const wchar_t* expected;
    } cases[] = {
        {{2024, 3, 2, 5, 14, 7, 9, 0}, L"2024.03.05 14:07:09"},
        {{2031, 12, 0, 31, 23, 59, 58, 999}, L"2031.12.31 23:59:58"},
        {{2000, 1, 6, 1, 0, 0, 0, 0}, L"2000.01.01 00:00:00"},
        {{999, 10, 0, 10, 10, 10, 10, 0}, L"0999.10.10 10:10:10"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatUpdateDate(c.time), c.expected);
}

ULONGLONG TimeInSeconds(const SYSTEMTIME& time) {
    FILETIME file = {};
    ::SystemTimeToFileTime(&time, &file);
    return ((ULONGLONG(file.dwHighDateTime) << 32) | file.dwLowDateTime) / 10000000;
}

TEST_F(Registration, SaveUpdateDateStoresTheLocalTime) {
    SYSTEMTIME before = {}, after = {};
    ::GetLocalTime(&before);
    SaveUpdateDate();
    ::GetLocalTime(&after);

    const auto value = ReadValue(HKEY_CURRENT_USER, kProductKey, L"UpdateDate");
    ASSERT_TRUE(value.has_value());
    EXPECT_EQ(value->type, static_cast<DWORD>(REG_SZ));
    ASSERT_EQ(DigitsMasked(value->data), Stored(L"dddd.dd.dd dd:dd:dd"));
    SYSTEMTIME stored = {};
    ASSERT_EQ(std::swscanf(value->data.c_str(), L"%hu.%hu.%hu %hu:%hu:%hu", &stored.wYear,
                           &stored.wMonth, &stored.wDay, &stored.wHour, &stored.wMinute,
                           &stored.wSecond),
              6);
    EXPECT_LE(TimeInSeconds(before), TimeInSeconds(stored));
    EXPECT_LE(TimeInSeconds(stored), TimeInSeconds(after));
}

} // namespace
