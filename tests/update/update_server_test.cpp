// The client against a real nginx on the update host compiled into the program, serving the update
// tree that tools/update-server generated (ctest starts it as a fixture), and the product folder
// inside the Wine prefix.
#include <gtest/gtest.h>

#include <shlobj.h>

#include <array>
#include <atomic>
#include <cstdlib>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "test_support.h"
#include "update/product_folder.h"
#include "update/update_client.h"

namespace {

using namespace test;

bool IsFolder(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

TEST(ProductFolder, IsTervaneOribelInProgramFiles) {
    wchar_t programFiles[MAX_PATH] = {};
    ASSERT_TRUE(::SHGetSpecialFolderPathW(nullptr, programFiles, CSIDL_PROGRAM_FILES, FALSE));
    const std::wstring folder = GetProductFolder();
    EXPECT_EQ(folder, std::wstring(programFiles) + L"\\Tervane\\ORIBEL");
    EXPECT_EQ(folder, L"C:\\Program Files\\Tervane\\ORIBEL");
    EXPECT_TRUE(IsFolder(folder));
    EXPECT_EQ(GetProductFolder(), folder);
}

TEST(ProductFolder, CreatesWhatIsMissingAndKeepsWhatExists) {
    TempFolder programFiles;
    const std::wstring maker = programFiles / L"Tervane";
    const std::wstring product = maker + L"\\ORIBEL";

    EXPECT_EQ(MakeProductFolder(programFiles.path()), product);
    EXPECT_TRUE(IsFolder(maker));
    EXPECT_TRUE(IsFolder(product));

    WriteFileBytes(product + L"\\ORIBEL.exe", "installed");
    EXPECT_EQ(MakeProductFolder(programFiles.path()), product);
    EXPECT_EQ(ReadFileBytes(product + L"\\ORIBEL.exe"), "installed");

    ::DeleteFileW((product + L"\\ORIBEL.exe").c_str());
    ::RemoveDirectoryW(product.c_str());
    ::RemoveDirectoryW(maker.c_str());
}

TEST(ProductFolder, NoProgramFilesFolderGivesAnEmptyPathAndCreatesNothing) {
    EXPECT_EQ(MakeProductFolder(L""), L"");
    EXPECT_FALSE(FileExists(L"\\Tervane"));
}

// The update tree of the fixture (tests/update/CMakeLists.txt): version, and each file's folder.
constexpr wchar_t kVersion[] = L"5.2.0.17";
const std::map<std::wstring, std::wstring> kFolders = {
    {L"ORIBEL.exe", L"rel7"},
    {L"ORIBELKit.dll", L"rel7"},
    {L"ORIBELUninstaller.exe", L"base"},
    {L"ORIBELUpdater.exe", L"base"},
    {L"ORIBELWeb.dll", L"web"},
};

// Where the fixture's tree lies, as a Windows path (Wine shows the Unix root as drive Z:).
std::wstring TreeFolder() {
    const char* tree = std::getenv("ORIBEL_UPDATE_TREE");
    if (!tree)
        return {};
    std::wstring path = L"Z:";
    for (const char* c = tree; *c; ++c)
        path += *c == '/' ? L'\\' : static_cast<wchar_t>(*c);
    return path + L"\\update\\programfiles\\oribel\\32";
}

TEST(UpdateServer, LoadsTheListAndDownloadsTheFiveFilesSideBySide) {
    const std::wstring tree = TreeFolder();
    ASSERT_FALSE(tree.empty()) << "ORIBEL_UPDATE_TREE names the served tree";

    CUpdateClient client; // the setup's own host and bounds
    ASSERT_TRUE(client.LoadVersionList());
    EXPECT_EQ(client.version, kVersion);
    EXPECT_EQ(client.programs, kFolders);
    client.BuildUrlList();
    ASSERT_EQ(client.urlList.size(), 5u);

    const std::wstring folder = GetProductFolder();
    ASSERT_FALSE(folder.empty());
    // An older, larger copy must be replaced wholly.
    WriteFileBytes(folder + L"\\ORIBELWeb.dll", std::string(100000, 'o'));

    ProgressWindow window;
    std::array<std::atomic<bool>, 5> done = {};
    std::vector<std::thread> workers;
    for (size_t row = 0; row < client.urlList.size(); ++row) {
        workers.emplace_back([&, row] {
            const std::wstring& url = client.urlList[row];
            const std::wstring name = url.substr(url.find_last_of(L'/') + 1);
            CUpdateClient worker;
            worker.notifyWnd = window.hwnd();
            done[row] = worker.DownloadUrlFile(url, folder + L"\\" + name, oribel::kUpdateHost,
                                               static_cast<int32_t>(row));
        });
    }
    for (std::thread& worker : workers)
        worker.join();

    std::map<WPARAM, std::vector<LPARAM>> reports;
    for (const Progress& progress : window.Reports())
        reports[progress.item].push_back(progress.percent);
    size_t row = 0;
    for (const auto& [name, server] : kFolders) {
        SCOPED_TRACE(std::string(name.begin(), name.end()));
        EXPECT_TRUE(done[row]);
        const std::string expected = ReadFileBytes(tree + L"\\" + server + L"\\" + name);
        ASSERT_NE(expected, "<missing>");
        const std::string written = ReadFileBytes(folder + L"\\" + name);
        EXPECT_TRUE(SameBytes(written, expected));
        // Each file's reports rise to 100; one that came whole with its header has none.
        const std::vector<LPARAM>& percents = reports[row];
        for (size_t i = 1; i < percents.size(); ++i)
            EXPECT_LE(percents[i - 1], percents[i]);
        if (expected.size() > 65536) {
            EXPECT_FALSE(percents.empty());
        }
        if (!percents.empty()) {
            EXPECT_EQ(percents.back(), 100);
        }
        ++row;
    }
    for (const auto& [item, percents] : reports)
        EXPECT_LT(item, 5u) << "reports carry the row of their file";
}

} // namespace
