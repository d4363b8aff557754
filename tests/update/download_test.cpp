// DownloadUrlFile against a scripted server on 127.0.0.5, writing into a private folder.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "test_support.h"
#include "update/update_client.h"

namespace {

using namespace test;
using namespace std::chrono_literals;

constexpr char kAddress[] = "127.0.0.5";
constexpr wchar_t kHost[] = L"127.0.0.5";

class DownloadTest : public ::testing::Test {
protected:
    DownloadTest() : client(QuickSettings()) { client.notifyWnd = window.hwnd(); }

    bool Download(const std::wstring& localPath, int32_t item = 0) {
        return client.DownloadUrlFile(L"/update/programfiles/oribel/32/rel7/ORIBEL.exe", localPath,
                                      kHost, item);
    }
    // Only the target itself is left in the folder: no temporary file stays behind.
    std::vector<std::wstring> Left() const { return FolderEntries(folder.path()); }

    TempFolder folder;
    ProgressWindow window;
    CUpdateClient client;
    const std::wstring target = folder / L"ORIBEL.exe";
};

TEST_F(DownloadTest, WritesExactlyTheBody) {
    ScriptedServer server(kAddress, {{{OkAnswer("abc")}}, true, false});
    ASSERT_TRUE(Download(target));
    EXPECT_EQ(ReadFileBytes(target), "abc");
    EXPECT_EQ(Left(), std::vector<std::wstring>{L"ORIBEL.exe"});
}

TEST_F(DownloadTest, ReplacesALongerFileWhollyAndReportsItsRow) {
    WriteFileBytes(target, std::string(50000, 'o'));
    const std::string body = PatternBytes(20000);
    const std::string answer = OkAnswer(body);
    ScriptedServer server(kAddress, {{{answer.substr(0, 5000)}, {answer.substr(5000), 150ms}}});
    ASSERT_TRUE(Download(target, 2));
    EXPECT_TRUE(SameBytes(ReadFileBytes(target), body));
    const std::vector<Progress> reports = window.Reports();
    ASSERT_FALSE(reports.empty());
    EXPECT_EQ(reports.back(), (Progress{2, 100}));
}

TEST_F(DownloadTest, FailedRequestLeavesTheOldFile) {
    WriteFileBytes(target, "old content");
    struct Row {
        const char* name;
        Script script;
    };
    const Row rows[] = {
        {"not found", {{{Answer("HTTP/1.1 404 Not Found\r\nContent-Length: 9", "not found")}}}},
        {"closed early",
         {{{Answer("HTTP/1.1 200 OK\r\nContent-Length: 100", std::string(60, 'n'))}}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ScriptedServer server(kAddress, row.script);
        EXPECT_FALSE(Download(target));
        EXPECT_EQ(ReadFileBytes(target), "old content");
        EXPECT_EQ(Left(), std::vector<std::wstring>{L"ORIBEL.exe"});
    }
}

TEST_F(DownloadTest, FailedRequestCreatesNoFile) {
    ScriptedServer server(kAddress,
                          {{{Answer("HTTP/1.1 404 Not Found\r\nContent-Length: 1", "x")}}});
    EXPECT_FALSE(Download(target));
    EXPECT_TRUE(Left().empty());
}

// Holds a file open, shared with nobody, as a virus scanner may do for a moment.
class HeldFile {
public:
    HeldFile(const std::wstring& path, std::chrono::milliseconds duration)
        : file_(::CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr)),
          release_([this, duration] {
              std::this_thread::sleep_for(duration);
              file_.reset();
          }) {}
    ~HeldFile() { release_.join(); }
    bool held() const { return static_cast<bool>(file_); }

private:
    wcl::UniqueFileHandle file_;
    std::thread release_;
};

TEST_F(DownloadTest, ReplaceWaitsForAFileHeldBriefly) {
    WriteFileBytes(target, "old content");
    ScriptedServer server(kAddress, {{{OkAnswer("new")}}});
    // Held for about two of the four retries, 100 ms apart.
    HeldFile held(target, 250ms);
    ASSERT_TRUE(held.held());
    EXPECT_TRUE(Download(target));
    EXPECT_EQ(ReadFileBytes(target), "new");
    EXPECT_EQ(Left(), std::vector<std::wstring>{L"ORIBEL.exe"});
}

TEST_F(DownloadTest, ReplaceRefusedThroughoutLeavesTheOldFile) {
    WriteFileBytes(target, "old content");
    ScriptedServer server(kAddress, {{{OkAnswer("new")}}});
    {
        HeldFile held(target, 2s);
        ASSERT_TRUE(held.held());
        EXPECT_FALSE(Download(target));
    }
    EXPECT_EQ(ReadFileBytes(target), "old content");
    EXPECT_EQ(Left(), std::vector<std::wstring>{L"ORIBEL.exe"});
}

TEST_F(DownloadTest, WritesOnlyIntoAFolderOnADrive) {
    ScriptedServer server(kAddress, {{{OkAnswer("abc")}}});
    // What paths built from a missing folder look like: relative, or at the root of a drive.
    for (const std::wstring path :
         {L"ORIBEL.exe", L"\\ORIBEL.exe", L"\\Tervane\\ORIBEL\\ORIBEL.exe", L"C:\\ORIBEL.exe",
          L"C:ORIBEL.exe", L""}) {
        SCOPED_TRACE(std::string(path.begin(), path.end()));
        EXPECT_FALSE(Download(path));
    }
    EXPECT_TRUE(server.Requests().empty()) << "refused before any request";
    EXPECT_FALSE(FileExists(L"C:\\ORIBEL.exe"));
    EXPECT_FALSE(FileExists(L"\\ORIBEL.exe"));
}

TEST_F(DownloadTest, MissingFolderFails) {
    ScriptedServer server(kAddress, {{{OkAnswer("abc")}}});
    EXPECT_FALSE(Download(folder / L"missing\\ORIBEL.exe"));
    EXPECT_TRUE(Left().empty());
}

} // namespace
