// Memory that runs out inside a request: this program replaces operator new, so that a test can
// make the n-th allocation of its own thread fail (and every later one, as when memory is gone).
// Server on 127.0.0.6.
#include <gtest/gtest.h>

#include <cstdlib>
#include <new>
#include <string>

#include "test_support.h"
#include "update/update_client.h"

namespace {

thread_local long t_allocationsLeft = -1; // -1: no failure planned
thread_local bool t_failed = false;

} // namespace

void* operator new(std::size_t size) {
    if (t_allocationsLeft == 0) {
        t_failed = true;
        throw std::bad_alloc();
    }
    if (t_allocationsLeft > 0)
        --t_allocationsLeft;
    if (void* memory = std::malloc(size ? size : 1))
        return memory;
    throw std::bad_alloc();
}
// The library's operator delete releases with free, which matches the malloc above.

namespace {

using namespace test;

constexpr char kAddress[] = "127.0.0.6";
constexpr wchar_t kHost[] = L"127.0.0.6";

// Memory on this thread runs out after `allowed` more allocations, until the owner goes.
class MemoryRunsOut {
public:
    explicit MemoryRunsOut(long allowed) {
        t_failed = false;
        t_allocationsLeft = allowed;
    }
    ~MemoryRunsOut() { t_allocationsLeft = -1; }
    static bool happened() { return t_failed; }
};

TEST(OutOfMemory, HttpGetGivesNullWhereverMemoryRunsOut) {
    const std::string body = PatternBytes(30000);
    ScriptedServer server(kAddress, {{{OkAnswer(body)}}});
    CUpdateClient client(QuickSettings());
    // Arguments are made before memory runs out: only the call's own allocations may fail.
    const std::wstring path = L"/update/programfiles/oribel/32/rel7/ORIBEL.exe";
    const std::wstring host = kHost;
    for (long allowed = 0;; ++allowed) {
        SCOPED_TRACE("allocations allowed: " + std::to_string(allowed));
        int32_t length = 0;
        std::unique_ptr<char[]> result;
        bool ranOut = false;
        {
            MemoryRunsOut limit(allowed);
            result = client.HttpGet(path, host, -1, length);
            ranOut = MemoryRunsOut::happened();
        }
        if (ranOut) {
            EXPECT_EQ(result, nullptr);
            continue;
        }
        ASSERT_NE(result, nullptr);
        EXPECT_TRUE(SameBytes(std::string(result.get(), static_cast<size_t>(length)), body));
        EXPECT_GT(allowed, 2) << "the request allocates its text, header and body";
        break;
    }
}

TEST(OutOfMemory, DownloadFailsCleanlyWhereverMemoryRunsOut) {
    const std::string body = PatternBytes(3000);
    ScriptedServer server(kAddress, {{{OkAnswer(body)}}});
    CUpdateClient client(QuickSettings());
    TempFolder folder;
    const std::wstring target = folder / L"ORIBELWeb.dll";
    WriteFileBytes(target, "old content");
    const std::wstring url = L"/update/programfiles/oribel/32/rel7/ORIBELWeb.dll";
    const std::wstring host = kHost;
    for (long allowed = 0;; ++allowed) {
        SCOPED_TRACE("allocations allowed: " + std::to_string(allowed));
        bool ok = false;
        bool ranOut = false;
        {
            MemoryRunsOut limit(allowed);
            ok = client.DownloadUrlFile(url, target, host, 1);
            ranOut = MemoryRunsOut::happened();
        }
        if (ranOut) {
            EXPECT_FALSE(ok);
            EXPECT_EQ(ReadFileBytes(target), "old content");
            EXPECT_EQ(FolderEntries(folder.path()), std::vector<std::wstring>{L"ORIBELWeb.dll"});
            continue;
        }
        EXPECT_TRUE(ok);
        EXPECT_TRUE(SameBytes(ReadFileBytes(target), body));
        break;
    }
}

TEST(OutOfMemory, LoadVersionListFailsWhereverMemoryRunsOut) {
    ScriptedServer server(kAddress, {{{OkAnswer("5.2\nx rel7 ORIBEL.exe")}}});
    CUpdateClient client(QuickSettings(kHost));
    for (long allowed = 0;; ++allowed) {
        SCOPED_TRACE("allocations allowed: " + std::to_string(allowed));
        bool ok = false;
        bool ranOut = false;
        {
            MemoryRunsOut limit(allowed);
            ok = client.LoadVersionList();
            ranOut = MemoryRunsOut::happened();
        }
        if (ranOut) {
            EXPECT_FALSE(ok);
            continue;
        }
        EXPECT_TRUE(ok);
        EXPECT_EQ(client.version, L"5.2");
        break;
    }
}

} // namespace
