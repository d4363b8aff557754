// A write that fails part-way (a full disk): ctest runs this program with a file-size limit
// (ulimit -f, with SIGXFSZ ignored), so writing beyond it fails as a full disk does. Server on
// 127.0.0.7.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "test_support.h"
#include "update/update_client.h"

namespace {

using namespace test;

TEST(DownloadWriteFailure, FailedWriteLeavesTheOldFile) {
    const char* limit = std::getenv("ORIBEL_FILE_SIZE_LIMIT");
    ASSERT_NE(limit, nullptr) << "run through ctest, which sets the file-size limit";
    const size_t limitBytes = std::strtoul(limit, nullptr, 10);

    TempFolder folder;
    const std::wstring target = folder / L"ORIBELKit.dll";
    WriteFileBytes(target, "old content");
    const std::string body = PatternBytes(4 * limitBytes);
    ScriptedServer server("127.0.0.7", {{{OkAnswer(body)}}});
    CUpdateClient client(QuickSettings());

    EXPECT_FALSE(client.DownloadUrlFile(L"/update/programfiles/oribel/32/rel7/ORIBELKit.dll",
                                        target, L"127.0.0.7", 1));
    EXPECT_TRUE(SameBytes(ReadFileBytes(target), "old content"));
    EXPECT_EQ(FolderEntries(folder.path()), std::vector<std::wstring>{L"ORIBELKit.dll"})
        << "the part written is removed";
}

} // namespace
