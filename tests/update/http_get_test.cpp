// HttpGet against scripted servers on 127.0.0.2 (answers) and 127.0.0.3 (stalls), with the
// progress reports received by a real window.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "test_support.h"
#include "update/update_client.h"

namespace {

using namespace test;
using namespace std::chrono_literals;

constexpr char kAddress[] = "127.0.0.2";
constexpr wchar_t kHost[] = L"127.0.0.2";
constexpr char kStallAddress[] = "127.0.0.3";
constexpr wchar_t kStallHost[] = L"127.0.0.3";
constexpr wchar_t kNobody[] = L"127.0.0.9"; // nothing listens there

const std::string kBody900 = PatternBytes(900);
const std::string kHeader900 = "HTTP/1.1 200 OK\r\nContent-Length: 900\r\n\r\n";

// The 900-byte answer in three receives: the header with 100 body bytes, then 500, then 300.
Script ThreeChunks() {
    return {{{kHeader900 + kBody900.substr(0, 100)},
             {kBody900.substr(100, 500), 150ms},
             {kBody900.substr(600), 150ms}},
            true,
            false};
}

class HttpGetTest : public ::testing::Test {
protected:
    HttpGetTest() : client(QuickSettings()) { client.notifyWnd = window.hwnd(); }

    ProgressWindow window;
    CUpdateClient client;
};

TEST_F(HttpGetTest, SendsOneGetAndStopsReadingAtTheDeclaredLength) {
    // The server keeps the connection open after the body, as nginx does.
    ScriptedServer server(kAddress, {{{OkAnswer("hello world")}}, true, false});
    int32_t length = 0;
    EXPECT_EQ(Fetch(client, L"/update/programfiles/oribel/32/rel7/ORIBEL.exe", kHost, 4, &length),
              "hello world");
    EXPECT_EQ(length, 11);
    EXPECT_EQ(server.Requests(),
              std::vector<std::string>{"GET /update/programfiles/oribel/32/rel7/ORIBEL.exe "
                                       "HTTP/1.1\r\nHost: 127.0.0.2\r\n\r\n"});
    EXPECT_TRUE(window.Reports().empty()) << "a body that comes with its header reports nothing";
}

TEST_F(HttpGetTest, RequestIsSentAsUtf8) {
    ScriptedServer server(kAddress, {{{OkAnswer("x")}}});
    EXPECT_EQ(Fetch(client, L"/update/\xD3F4\xB354/a b", kHost), "x");
    ASSERT_EQ(server.Requests().size(), 1u);
    EXPECT_EQ(server.Requests()[0],
              "GET /update/\xED\x8F\xB4\xEB\x8D\x94/a b HTTP/1.1\r\nHost: 127.0.0.2\r\n\r\n");
}

TEST_F(HttpGetTest, PostsProgressForEachBodyChunkAfterTheHeaderChunk) {
    ScriptedServer server(kAddress, ThreeChunks());
    int32_t length = 0;
    EXPECT_TRUE(SameBytes(Fetch(client, L"/f", kHost, 3, &length), kBody900));
    EXPECT_EQ(length, 900);
    EXPECT_EQ(window.Reports(), (std::vector<Progress>{{3, 66}, {3, 100}}));
}

TEST_F(HttpGetTest, ItemMinusOnePostsNothing) {
    ScriptedServer server(kAddress, ThreeChunks());
    EXPECT_TRUE(SameBytes(Fetch(client, L"/f", kHost, -1), kBody900));
    EXPECT_TRUE(window.Reports().empty());
}

TEST_F(HttpGetTest, LengthWithoutItsSpaceIsReadFromTheSecondDigit) {
    const std::string body = PatternBytes(234);
    ScriptedServer server(
        kAddress, {{{Answer("HTTP/1.1 200 OK\r\nContent-Length:1234", body)}}, true, false});
    int32_t length = 0;
    EXPECT_TRUE(SameBytes(Fetch(client, L"/f", kHost, -1, &length), body));
    EXPECT_EQ(length, 234);
}

TEST_F(HttpGetTest, BytesBeyondTheDeclaredLengthAreIgnored) {
    ScriptedServer server(kAddress,
                          {{{OkAnswer("abc") + "HTTP/1.1 200 OK\r\n" + std::string(20000, 'z')}}});
    int32_t length = 0;
    EXPECT_EQ(Fetch(client, L"/f", kHost, -1, &length), "abc");
    EXPECT_EQ(length, 3);
}

TEST_F(HttpGetTest, HeaderSplitAcrossReceivesIsRecognisedAtEveryPosition) {
    const std::string answer =
        Answer("HTTP/1.1 200 OK\r\nServer: test\r\nContent-Length: 5", "12345");
    const size_t headerSize = answer.size() - 5;
    for (size_t split = 1; split <= headerSize; ++split) {
        SCOPED_TRACE("split at " + std::to_string(split));
        ScriptedServer server(kAddress,
                              {{{answer.substr(0, split)}, {answer.substr(split), 30ms}}});
        EXPECT_EQ(Fetch(client, L"/f", kHost, 1), "12345");
    }
    // Only a piece after a finished header reports: the split right after the blank line, with
    // its 5 body bytes at 100. A piece that ends the header reports nothing.
    const std::vector<Progress> reports = window.Reports();
    EXPECT_LE(reports.size(), 1u);
    for (const Progress& progress : reports)
        EXPECT_EQ(progress, (Progress{1, 100}));
}

TEST_F(HttpGetTest, FailedAnswersGiveNull) {
    struct Row {
        const char* name;
        Script script;
    };
    const Row rows[] = {
        {"not found",
         {{{Answer("HTTP/1.1 404 Not Found\r\nContent-Length: 9", "not found")}}, true, false}},
        {"redirect", {{{Answer("HTTP/1.1 302 Found\r\nLocation: /g\r\nContent-Length: 1", "x")}}}},
        {"no length", {{{Answer("HTTP/1.1 200 OK\r\nConnection: close", "body")}}}},
        {"no length, connection kept", {{{Answer("HTTP/1.1 200 OK", "body")}}, true, false}},
        {"length 0", {{{Answer("HTTP/1.1 200 OK\r\nContent-Length: 0", "")}}, true, false}},
        {"length beyond 2^31 - 1",
         {{{Answer("HTTP/1.1 200 OK\r\nContent-Length: 4294967297", "x")}}}},
        {"closed before the whole body",
         {{{kHeader900 + kBody900.substr(0, 100)}, {kBody900.substr(100, 500), 100ms}}}},
        {"closed inside the header", {{{"HTTP/1.1 200 OK\r\nContent-Length: 9\r\n"}}}},
        {"closed without an answer", {}},
        {"header never ends", {{{"HTTP/1.1 200 OK\r\nX: " + std::string(70000, 'x')}}}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ScriptedServer server(kAddress, row.script);
        EXPECT_EQ(Fetch(client, L"/f", kHost, 2), "<null>");
    }
}

// A test waits at most a few seconds for a bound of 400 ms.
void ExpectGivesUpWithinItsBound(std::chrono::steady_clock::duration elapsed) {
    EXPECT_GE(elapsed, 350ms);
    EXPECT_LT(elapsed, 10s);
}

TEST_F(HttpGetTest, SilentServerFailsAfterTheProgressBound) {
    ScriptedServer server(kStallAddress, {{}, true, false});
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Fetch(client, L"/f", kStallHost), "<null>");
    ExpectGivesUpWithinItsBound(std::chrono::steady_clock::now() - start);
    EXPECT_EQ(server.Requests().size(), 1u);
}

TEST_F(HttpGetTest, BodyThatStopsFailsAfterTheProgressBound) {
    ScriptedServer server(kStallAddress, {{{kHeader900 + kBody900.substr(0, 100)},
                                           {kBody900.substr(100, 500), 100ms}},
                                          true,
                                          false});
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Fetch(client, L"/f", kStallHost, 5), "<null>");
    ExpectGivesUpWithinItsBound(std::chrono::steady_clock::now() - start);
    EXPECT_EQ(window.Reports(), (std::vector<Progress>{{5, 66}}));
}

TEST_F(HttpGetTest, UnansweredConnectFailsAfterTheConnectBound) {
    UnansweredListener listener(kStallAddress);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Fetch(client, L"/f", kStallHost), "<null>");
    ExpectGivesUpWithinItsBound(std::chrono::steady_clock::now() - start);
}

TEST_F(HttpGetTest, RequestThatCannotBeSentFailsAfterTheProgressBound) {
    // A server that never reads: a request of some megabytes fills every buffer on the way.
    ScriptedServer server(kStallAddress, {{}, false, false});
    const std::wstring path = L"/" + std::wstring(8 << 20, L'a');
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(Fetch(client, path, kStallHost), "<null>");
    ExpectGivesUpWithinItsBound(std::chrono::steady_clock::now() - start);
}

TEST_F(HttpGetTest, RefusedConnectionGivesNull) {
    EXPECT_EQ(Fetch(client, L"/f", kNobody), "<null>");
}

struct TimedFetch {
    std::string result;
    std::chrono::steady_clock::duration took{};
};

TimedFetch TimeFetch(CUpdateClient& client, const std::wstring& host) {
    const auto start = std::chrono::steady_clock::now();
    std::string result = Fetch(client, L"/f", host);
    return {std::move(result), std::chrono::steady_clock::now() - start};
}

// The setup's own bounds, not the tests' shortened ones: a server that takes the request and then
// says nothing, and a connect that is never answered, each fail the request after sixty seconds,
// neither sooner nor much later. Both wait side by side.
TEST(DefaultBounds, ASilentServerAndAnUnansweredConnectFailAfterSixtySeconds) {
    ScriptedServer silent(kStallAddress, {{}, true, false});
    UnansweredListener unanswered(kAddress);
    CUpdateClient connecting;
    TimedFetch connect;
    std::thread connectThread([&] { connect = TimeFetch(connecting, kHost); });
    CUpdateClient waiting;
    const TimedFetch progress = TimeFetch(waiting, kStallHost);
    connectThread.join();

    EXPECT_EQ(progress.result, "<null>");
    EXPECT_GE(progress.took, 59s);
    EXPECT_LT(progress.took, 75s);
    EXPECT_EQ(silent.Requests().size(), 1u);
    EXPECT_EQ(connect.result, "<null>");
    EXPECT_GE(connect.took, 59s);
    EXPECT_LT(connect.took, 75s);
}

} // namespace
