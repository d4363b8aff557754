// No DLL comes from the setup's own folder. The import table names only DLLs the system always
// takes from its own folder; a DLL loaded by name after start-up is looked for in the system
// folder only, because the setup's entry limits the search before anything else runs.
//
// Under Wine a planted DLL is taken only when its name is set to native-first
// (WINEDLLOVERRIDES); ctest starts these tests so for the names they plant.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "app/dll_search.h"
#include "finish_support.h"
#include "res/resource.h"
#include "stand_in_product/launcher.h"
#include "wcl/handle.h"
#include "wcl/text.h"
#include "window_finding.h"

namespace {

std::filesystem::path BuiltProgram(const wchar_t* name) {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    return std::filesystem::path(path).parent_path() / name;
}

// The names of the DLLs a PE file imports from, lower case: its import table and its delayed
// imports.
class ImportedDlls {
public:
    explicit ImportedDlls(const std::filesystem::path& file) {
        std::ifstream in(file, std::ios::binary);
        m_bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        const auto* dos = At<IMAGE_DOS_HEADER>(0);
        if (!dos || dos->e_magic != IMAGE_DOS_SIGNATURE)
            return;
        const size_t nt = static_cast<size_t>(dos->e_lfanew);
        const auto* signature = At<DWORD>(nt);
        const auto* header = At<IMAGE_FILE_HEADER>(nt + sizeof(DWORD));
        if (!signature || *signature != IMAGE_NT_SIGNATURE || !header)
            return;
        const size_t optional = nt + sizeof(DWORD) + sizeof(IMAGE_FILE_HEADER);
        const auto* magic = At<WORD>(optional);
        if (!magic)
            return;
        const IMAGE_DATA_DIRECTORY* directories = nullptr;
        if (*magic == IMAGE_NT_OPTIONAL_HDR64_MAGIC) {
            if (const auto* o = At<IMAGE_OPTIONAL_HEADER64>(optional))
                directories = o->DataDirectory;
        } else if (*magic == IMAGE_NT_OPTIONAL_HDR32_MAGIC) {
            if (const auto* o = At<IMAGE_OPTIONAL_HEADER32>(optional))
                directories = o->DataDirectory;
        }
        if (!directories)
            return;
        m_sections = optional + header->SizeOfOptionalHeader;
        m_sectionCount = header->NumberOfSections;
        m_valid = true;
        ReadImports(directories[IMAGE_DIRECTORY_ENTRY_IMPORT]);
        ReadDelayedImports(directories[IMAGE_DIRECTORY_ENTRY_DELAY_IMPORT]);
    }

    bool Valid() const { return m_valid; }
    const std::set<std::string>& Names() const { return m_names; }

private:
    template <typename T>
    const T* At(size_t offset) const {
        if (offset > m_bytes.size() || m_bytes.size() - offset < sizeof(T))
            return nullptr;
        return reinterpret_cast<const T*>(m_bytes.data() + offset);
    }

    // The file offset of a relative virtual address; 0 when no section holds it.
    size_t OffsetOf(DWORD rva) const {
        for (size_t i = 0; i < m_sectionCount; ++i) {
            const auto* section =
                At<IMAGE_SECTION_HEADER>(m_sections + i * sizeof(IMAGE_SECTION_HEADER));
            if (!section)
                return 0;
            const DWORD size = std::max(section->Misc.VirtualSize, section->SizeOfRawData);
            if (rva >= section->VirtualAddress && rva < section->VirtualAddress + size)
                return rva - section->VirtualAddress + section->PointerToRawData;
        }
        return 0;
    }

    void AddName(DWORD rva) {
        const size_t offset = OffsetOf(rva);
        if (offset == 0 || offset >= m_bytes.size())
            return;
        std::string name(m_bytes.data() + offset,
                         ::strnlen(m_bytes.data() + offset, m_bytes.size() - offset));
        std::transform(name.begin(), name.end(), name.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        m_names.insert(name);
    }

    void ReadImports(const IMAGE_DATA_DIRECTORY& directory) {
        if (directory.VirtualAddress == 0)
            return;
        for (size_t at = OffsetOf(directory.VirtualAddress);;
             at += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
            const auto* entry = At<IMAGE_IMPORT_DESCRIPTOR>(at);
            if (!entry || entry->Name == 0)
                return;
            AddName(entry->Name);
        }
    }

    void ReadDelayedImports(const IMAGE_DATA_DIRECTORY& directory) {
        if (directory.VirtualAddress == 0)
            return;
        for (size_t at = OffsetOf(directory.VirtualAddress);;
             at += sizeof(IMAGE_DELAYLOAD_DESCRIPTOR)) {
            const auto* entry = At<IMAGE_DELAYLOAD_DESCRIPTOR>(at);
            if (!entry || entry->DllNameRVA == 0)
                return;
            AddName(entry->DllNameRVA);
        }
    }

    std::vector<char> m_bytes;
    size_t m_sections = 0;
    size_t m_sectionCount = 0;
    bool m_valid = false;
    std::set<std::string> m_names;
};

// DLLs Windows always loads from its own folder (its known DLLs), and the C runtime.
const std::set<std::string> kAlwaysFromTheSystemFolder = {
    "advapi32.dll", "clbcatq.dll",  "combase.dll", "comdlg32.dll", "coml2.dll",   "gdi32.dll",
    "gdiplus.dll",  "imagehlp.dll", "imm32.dll",   "kernel32.dll", "msctf.dll",   "msvcrt.dll",
    "normaliz.dll", "nsi.dll",      "ole32.dll",   "oleaut32.dll", "psapi.dll",   "rpcrt4.dll",
    "sechost.dll",  "setupapi.dll", "shcore.dll",  "shell32.dll",  "shlwapi.dll", "user32.dll",
    "wldap32.dll",  "ws2_32.dll",
};

TEST(ImportTable, NamesOnlyDllsTheSystemTakesFromItsOwnFolder) {
    const ImportedDlls imports(BuiltProgram(L"oribel_setup.exe"));
    ASSERT_TRUE(imports.Valid()) << "not a PE file";
    ASSERT_TRUE(imports.Names().count("kernel32.dll")) << "the import table was not read";
    for (const std::string& name : imports.Names())
        EXPECT_TRUE(kAlwaysFromTheSystemFolder.count(name)) << name << " may be planted";
}

// Under Wine the planted names must be native-first for the programs the tests start. Wine takes
// that from the Unix environment the test was started with (ctest sets it), not from this
// process's environment block. Without it a planted DLL is never taken and the tests would pass
// whatever the setup does, so a missing setting fails them.
::testing::AssertionResult NativeFirst(const wchar_t* name) {
    wchar_t overrides[1024] = {};
    ::GetEnvironmentVariableW(L"WINEDLLOVERRIDES", overrides, 1024);
    if (std::wstring(overrides).find(name) != std::wstring::npos)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "start with WINEDLLOVERRIDES naming " << wcl::Utf16ToUtf8(name)
           << " native-first (n,b), as ctest does";
}

// A program copied into a folder of its own with a marker DLL planted beside it.
struct Planted {
    stand_in::TempFolder folder;
    std::filesystem::path program;
    std::filesystem::path marker;

    Planted(const wchar_t* builtName, const wchar_t* dllName) {
        program = folder.path() / builtName;
        std::filesystem::copy_file(BuiltProgram(builtName), program);
        const auto dll = folder.path() / dllName;
        std::filesystem::copy_file(BuiltProgram(L"dll_marker.dll"), dll);
        marker = dll;
        marker += L".loaded";
    }
};

struct ProbeCase {
    const char* name;
    const wchar_t* program;
    bool plantedDllLoaded;
};

class PlantedDll : public ::testing::TestWithParam<ProbeCase> {};

// The probe built on the setup's entry does not take the planted DLL; the same probe on the plain
// entry does, which shows that the test sees a missing hardening.
TEST_P(PlantedDll, IsTakenOnlyWithoutTheSetupsEntry) {
    ASSERT_TRUE(NativeFirst(L"msimg32"));
    Planted planted(GetParam().program, L"msimg32.dll");
    stand_in::Process probe = stand_in::Process::Start(planted.program, L"");
    ASSERT_TRUE(probe);
    ASSERT_TRUE(probe.WaitForEnd(10000));
    EXPECT_EQ(probe.ExitCode(), 0u) << "msimg32.dll was not loaded at all";
    EXPECT_EQ(std::filesystem::exists(planted.marker), GetParam().plantedDllLoaded);
}

INSTANTIATE_TEST_SUITE_P(
    Entries, PlantedDll,
    ::testing::Values(ProbeCase{"SetupsEntry", L"dll_search_probe.exe", false},
                      ProbeCase{"PlainEntry", L"dll_search_probe_plain.exe", true}),
    [](const ::testing::TestParamInfo<ProbeCase>& row) { return std::string(row.param.name); });

struct FolderCase {
    const char* name;
    const wchar_t* limit; // the probe's argument
    bool loaded;
};

// Names the case in test listings (the ctest names), not its bytes.
void PrintTo(const FolderCase& tested, std::ostream* out) {
    *out << tested.name;
}

class DllInTheCurrentFolder : public ::testing::TestWithParam<FolderCase> {};

// A DLL that only the current folder holds (a name no system has, so no override is needed): the
// setup's limit, with SetDefaultDllDirectories found at run time, keeps it out; without a limit
// it is taken, which shows that the probe sees the difference.
TEST_P(DllInTheCurrentFolder, IsTakenOnlyWithoutALimitedSearch) {
    stand_in::TempFolder folder;
    const auto dll = folder.path() / L"folder_marker.dll";
    std::filesystem::copy_file(BuiltProgram(L"dll_marker.dll"), dll);
    auto marker = dll;
    marker += L".loaded";
    const setup_test::CurrentFolder current(folder.path());

    stand_in::Process probe =
        stand_in::Process::Start(BuiltProgram(L"dll_folder_probe.exe"), GetParam().limit);
    ASSERT_TRUE(probe);
    ASSERT_TRUE(probe.WaitForEnd(10000));
    EXPECT_EQ(probe.ExitCode(), GetParam().loaded ? 0u : 1u);
    EXPECT_EQ(std::filesystem::exists(marker), GetParam().loaded);
}

INSTANTIATE_TEST_SUITE_P(
    Limits, DllInTheCurrentFolder,
    ::testing::Values(FolderCase{"None", L"", true},
                      FolderCase{"SetDefaultDllDirectoriesFoundAtRunTime", L"found", false}),
    [](const ::testing::TestParamInfo<FolderCase>& row) { return std::string(row.param.name); });

TEST(DllSearch, SetDefaultDllDirectoriesIsFoundAtRunTimeWhereTheSystemHasIt) {
    EXPECT_NE(app::FindSetDefaultDllDirectories(), nullptr);
}

// Without SetDefaultDllDirectories the DLL folder is set to the empty one, which on Windows takes
// the current folder out of the search. Wine's loader takes an empty DLL folder for none and still
// searches the current folder, so here the test shows that the call took effect: a DLL folder set
// before is replaced by the empty one.
TEST(DllSearch, WithoutSetDefaultDllDirectoriesTheDllFolderIsSetEmpty) {
    wchar_t system[MAX_PATH] = {};
    ASSERT_GT(::GetSystemDirectoryW(system, MAX_PATH), 0u);
    ASSERT_TRUE(::SetDllDirectoryW(system));
    wchar_t folder[MAX_PATH] = {};
    ASSERT_GT(::GetDllDirectoryW(MAX_PATH, folder), 0u) << "no DLL folder to replace";

    EXPECT_TRUE(app::LimitDllSearch(nullptr));

    folder[0] = L'x';
    EXPECT_EQ(::GetDllDirectoryW(MAX_PATH, folder), 0u);
    EXPECT_EQ(folder[0], L'\0');
    ::SetDllDirectoryW(nullptr);
}

// The DLL the setup itself loads by name, the common controls, planted beside the setup.
TEST(PlantedDllBesideTheSetup, CommonControlsComeFromTheSystem) {
    ASSERT_TRUE(NativeFirst(L"comctl32"));
    Planted planted(L"oribel_setup.exe", L"comctl32.dll");
    stand_in::Process setup =
        stand_in::Process::StartWithWindow(planted.program, L"", 10000, L"Install ORIBEL");
    ASSERT_TRUE(setup);
    const HWND frame = setup_test::WaitForWindow([&] {
        const HWND window = setup_test::FindTopLevelWindow(setup.id(), L"Install ORIBEL");
        return window && ::GetDlgItem(window, IDC_NEXT) ? window : nullptr;
    });
    ASSERT_NE(frame, nullptr) << "the setup did not show its wizard";
    setup_test::BoxAnswerer answerer(frame, IDYES);
    ::PostMessageW(frame, WM_CLOSE, 0, 0);
    EXPECT_TRUE(answerer.Seen().shown);
    EXPECT_TRUE(setup.WaitForEnd(10000));
    EXPECT_FALSE(std::filesystem::exists(planted.marker)) << "the planted comctl32.dll was loaded";
}

} // namespace
