// LoadVersionList and BuildUrlList against a scripted server on 127.0.0.4.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "test_support.h"
#include "update/update_client.h"
#include "wcl/text.h"

namespace {

using namespace test;

constexpr char kAddress[] = "127.0.0.4";

std::string Stamp(const SYSTEMTIME& time) {
    char stamp[16];
    std::snprintf(stamp, sizeof(stamp), "%02d%02d%02d%02d", time.wMonth, time.wDay, time.wHour,
                  time.wMinute);
    return stamp;
}

TEST(LoadVersionList, FetchesTheTimeStampedListAndBuildsFiveUrls) {
    ScriptedServer server(kAddress, {{{OkAnswer("5.2\nx rel7 ORIBEL.exe")}}, true, false});
    CUpdateClient client(QuickSettings(L"127.0.0.4"));

    SYSTEMTIME before;
    ::GetLocalTime(&before);
    ASSERT_TRUE(client.LoadVersionList());
    SYSTEMTIME after;
    ::GetLocalTime(&after);

    ASSERT_EQ(server.Requests().size(), 1u);
    const std::string request = server.Requests()[0];
    const std::string start = "GET /update/programfiles/oribel/32/proverinfo.dat?";
    const std::string end = " HTTP/1.1\r\nHost: 127.0.0.4\r\n\r\n";
    EXPECT_TRUE(request == start + Stamp(before) + end || request == start + Stamp(after) + end)
        << request;

    EXPECT_EQ(client.version, L"5.2");
    EXPECT_EQ(client.programs,
              (std::map<std::wstring, std::wstring>{{L"ORIBEL.exe", L"rel7"},
                                                    {L"ORIBELKit.dll", L""},
                                                    {L"ORIBELUninstaller.exe", L""},
                                                    {L"ORIBELUpdater.exe", L""},
                                                    {L"ORIBELWeb.dll", L""}}));
    client.BuildUrlList();
    EXPECT_EQ(client.urlList, (std::vector<std::wstring>{
                                  L"/update/programfiles/oribel/32/rel7/ORIBEL.exe",
                                  L"/update/programfiles/oribel/32//ORIBELKit.dll",
                                  L"/update/programfiles/oribel/32//ORIBELUninstaller.exe",
                                  L"/update/programfiles/oribel/32//ORIBELUpdater.exe",
                                  L"/update/programfiles/oribel/32//ORIBELWeb.dll",
                              }));
}

TEST(LoadVersionList, FailedFetchChangesNothing) {
    ScriptedServer server(kAddress,
                          {{{Answer("HTTP/1.1 404 Not Found\r\nContent-Length: 1", "x")}}});
    CUpdateClient client(QuickSettings(L"127.0.0.4"));
    client.version = L"5.1";
    client.programs = {{L"ORIBEL.exe", L"rel6"}};
    client.urlList = {L"/update/programfiles/oribel/32/rel6/ORIBEL.exe"};

    EXPECT_FALSE(client.LoadVersionList());
    EXPECT_EQ(client.version, L"5.1");
    EXPECT_EQ(client.programs, (std::map<std::wstring, std::wstring>{{L"ORIBEL.exe", L"rel6"}}));
    EXPECT_EQ(client.urlList.size(), 1u);
}

TEST(LoadVersionList, ListsThatDoNotParseFail) {
    struct Row {
        const char* name;
        std::string body;
        std::wstring version; // what the lines before the failure left
    };
    const Row rows[] = {
        {"final line feed", "5.2\nx rel7 ORIBEL.exe\n", L"5.2"},
        {"first byte zero",
         std::string("\0"
                     "5.2",
                     4),
         L""},
        {"control character in a folder", "5.2\nx rel\x1B ORIBEL.exe", L"5.2"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ScriptedServer server(kAddress, {{{OkAnswer(row.body)}}});
        CUpdateClient client(QuickSettings(L"127.0.0.4"));
        EXPECT_FALSE(client.LoadVersionList());
        EXPECT_EQ(client.version, row.version);
        EXPECT_EQ(client.programs.size(), 5u);
        EXPECT_TRUE(client.urlList.empty());
    }
}

TEST(LoadVersionList, VersionTextIsDecodedFromUtf8) {
    ScriptedServer server(
        kAddress, {{{OkAnswer("\xEB\xB2\x84\xEC\xA0\x84 5.2\nx \xED\x8F\xB4 ORIBEL.exe")}}});
    CUpdateClient client(QuickSettings(L"127.0.0.4"));
    ASSERT_TRUE(client.LoadVersionList());
    EXPECT_EQ(client.version, L"\xBC84\xC804 5.2");
    EXPECT_EQ(client.programs[L"ORIBEL.exe"], L"\xD3F4");
}

TEST(Utf8, WellFormedTextDecodesAsTheSystemConverterDoes) {
    const std::string texts[] = {
        "5.2.0.17",
        "\xEB\xB2\x84\xEC\xA0\x84 5.2 \xF0\x9F\x98\x80",
        "\xEF\xBB\xBF\xC3\xA9\xE2\x82\xAC\xF4\x8F\xBF\xBF",
        // Ill-formed parts on which every converter agrees.
        "a\x80z",
        "\xE2\x82z",
        "\xFF\xFE",
    };
    for (const std::string& text : texts)
        EXPECT_EQ(DecodeUtf8(text), wcl::Utf8ToUtf16(text)) << text;
}

} // namespace
