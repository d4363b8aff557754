#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "update/version_list.h"

namespace {

using namespace std::string_literals;

Utf16String U(std::string_view utf8) {
    return DecodeUtf8(utf8);
}

Utf16String Units(std::initializer_list<char16_t> units) {
    Utf16String text;
    for (char16_t unit : units)
        text.push_back(static_cast<Utf16Char>(unit));
    return text;
}

// The folders of the five program files in map order, joined by "|".
std::string Folders(const ProgramMap& programs) {
    std::string joined;
    bool first = true;
    for (const auto& [name, folder] : programs) {
        if (!first)
            joined += '|';
        first = false;
        for (Utf16Char c : folder)
            joined += c < 128 ? static_cast<char>(c) : '?';
    }
    return joined;
}

TEST(Utf8, KeepsEveryCharacterAndReplacesIllFormedParts) {
    struct Row {
        const char* name;
        std::string utf8;
        Utf16String utf16;
    };
    const Row rows[] = {
        {"ASCII", "5.2 rel7", U("5.2 rel7")},
        {"Hangul", "\xEB\x8B\xA4\xEC\x9D\x8C", Units({0xB2E4, 0xC74C})},
        {"first and last two-byte characters", "\xC2\x80\xDF\xBF", Units({0x80, 0x7FF})},
        {"first three-byte character", "\xE0\xA0\x80", Units({0x800})},
        {"last character before the surrogates", "\xED\x9F\xBF", Units({0xD7FF})},
        {"first character beyond U+FFFF", "\xF0\x90\x80\x80", Units({0xD800, 0xDC00})},
        {"character of plane 14", "\xF3\xA0\x80\x81", Units({0xDB40, 0xDC01})},
        {"astral character", "\xF0\x9F\x98\x80", Units({0xD83D, 0xDE00})},
        {"byte-order mark is kept",
         "\xEF\xBB\xBF"
         "5",
         Units({0xFEFF, '5'})},
        {"zero byte is a character", "a\0b"s, Units({'a', 0, 'b'})},
        {"lone continuation byte", "a\x80z", Units({'a', 0xFFFD, 'z'})},
        {"lead byte at the end", "a\xC3", Units({'a', 0xFFFD})},
        {"truncated sequence is one replacement", "\xE2\x82z", Units({0xFFFD, 'z'})},
        {"truncated four-byte sequence", "\xF0\x9F\x98", Units({0xFFFD})},
        {"overlong form", "\xC0\xAF", Units({0xFFFD, 0xFFFD})},
        {"overlong three-byte form", "\xE0\x9F\xBF", Units({0xFFFD, 0xFFFD, 0xFFFD})},
        {"overlong four-byte form", "\xF0\x8F\xBF\xBF", Units({0xFFFD, 0xFFFD, 0xFFFD, 0xFFFD})},
        {"second byte just past the continuation range", "\xE2\xC0\x80",
         Units({0xFFFD, 0xFFFD, 0xFFFD})},
        {"third byte just past the continuation range", "\xE2\x82\xC0", Units({0xFFFD, 0xFFFD})},
        {"third byte just below the continuation range", "\xE2\x82\x7F", Units({0xFFFD, 0x7F})},
        {"encoded surrogate", "\xED\xA0\x80", Units({0xFFFD, 0xFFFD, 0xFFFD})},
        {"beyond U+10FFFF", "\xF4\x90\x80\x80", Units({0xFFFD, 0xFFFD, 0xFFFD, 0xFFFD})},
        {"largest character", "\xF4\x8F\xBF\xBF", Units({0xDBFF, 0xDFFF})},
        {"byte that never leads", "\xFF", Units({0xFFFD})},
    };
    for (const Row& row : rows)
        EXPECT_EQ(DecodeUtf8(row.utf8), row.utf16) << row.name;
}

struct ListCase {
    const char* name;
    std::string body;
    bool ok;
    Utf16String version;
    std::string
        folders; // ORIBEL.exe|ORIBELKit.dll|ORIBELUninstaller.exe|ORIBELUpdater.exe|ORIBELWeb.dll
};

void ExpectParsed(const ListCase& c) {
    SCOPED_TRACE(c.name);
    Utf16String version;
    ProgramMap programs;
    EXPECT_EQ(ParseVersionList(c.body, version, programs), c.ok);
    EXPECT_EQ(version, c.version);
    EXPECT_EQ(programs.size(), kProgramFiles.size());
    EXPECT_EQ(Folders(programs), c.folders);
}

TEST(VersionList, ParsesVersionAndFoldersLineByLine) {
    const ListCase cases[] = {
        {"two lines", "5.2\nx rel7 ORIBEL.exe", true, U("5.2"), "rel7||||"},
        {"final line feed makes an empty last line", "5.2\nx rel7 ORIBEL.exe\n", false, U("5.2"),
         "rel7||||"},
        {"carriage returns stay in the text", "5.2\r\nx rel7 ORIBEL.exe\r\nx rel8 ORIBELKit.dll",
         true, U("5.2\r"), "|rel8|||"},
        {"carriage return and final line break", "5.2\r\nx rel8 ORIBELKit.dll\r\n", false,
         U("5.2\r"), "||||"},
        {"other letter case", "5.2\nx rel7 oribel.exe", true, U("5.2"), "||||"},
        {"two fields", "5.2\nx ORIBEL.exe", true, U("5.2"), "||||"},
        {"unknown name", "5.2\nx rel7 ORIBELHelper.exe", true, U("5.2"), "||||"},
        {"last line of a name wins", "5.2\nx rel7 ORIBEL.exe\nx rel8 ORIBEL.exe", true, U("5.2"),
         "rel8||||"},
        {"first byte zero",
         "\0"
         "5.2\nx rel7 ORIBEL.exe"s,
         false, U(""), "||||"},
        {"text after a zero byte is not read", "5.2\nx rel7 ORIBEL.exe\0\n\nrubbish"s, true,
         U("5.2"), "rel7||||"},
        {"empty line in the middle", "5.2\nx rel7 ORIBEL.exe\n\nx rel7 ORIBELWeb.dll", false,
         U("5.2"), "rel7||||"},
        {"fields after the third are ignored", "5.2\nx rel7 ORIBELWeb.dll more words", true,
         U("5.2"), "||||rel7"},
        {"two spaces give an empty field",
         "5.2\nx rel7 ORIBELUpdater.exe\nx  ORIBELUpdater.exe\nx  rel7 ORIBEL.exe", true, U("5.2"),
         "||||"},
        {"version taken whole",
         "ORIBEL 5.2 (build 17)\nx a ORIBEL.exe\nx b ORIBELKit.dll\n"
         "x c ORIBELUninstaller.exe\nx d ORIBELUpdater.exe\nx e ORIBELWeb.dll",
         true, U("ORIBEL 5.2 (build 17)"), "a|b|c|d|e"},
        {"byte-order mark stays in the version",
         "\xEF\xBB\xBF"
         "5.2",
         true, Units({0xFEFF, '5', '.', '2'}), "||||"},
    };
    for (const ListCase& c : cases)
        ExpectParsed(c);
}

TEST(VersionList, RejectsAProgramFolderHoldingAControlCharacter) {
    const ListCase cases[] = {
        {"start of heading", "5.2\nx rel\x01 ORIBEL.exe", false, U("5.2"), "||||"},
        {"delete", "5.2\nx rel\x7F ORIBELKit.dll", false, U("5.2"), "||||"},
        {"unit separator, the last below 32", "5.2\nx rel\x1F ORIBEL.exe", false, U("5.2"), "||||"},
        {"tab", "5.2\nx re\tl ORIBEL.exe", false, U("5.2"), "||||"},
        {"carriage return", "5.2\nx rel7\r ORIBEL.exe", false, U("5.2"), "||||"},
        {"lines before it stay applied", "5.2\nx rel7 ORIBELWeb.dll\nx \x1B[0m ORIBEL.exe", false,
         U("5.2"), "||||rel7"},
        {"a line of another file may hold one", "5.2\nx rel\x01 Other.dll\nx rel7 ORIBEL.exe", true,
         U("5.2"), "rel7||||"},
        {"characters beyond delete are no control characters", "5.2\nx \xEB\xA6\xB4 ORIBEL.exe",
         true, U("5.2"), "?||||"},
        {"so may the version", "5.2\x07\nx rel7 ORIBEL.exe", true, U("5.2\x07"), "rel7||||"},
        {"and the fields after the third", "5.2\nx rel7 ORIBEL.exe \x01", true, U("5.2"),
         "rel7||||"},
    };
    for (const ListCase& c : cases)
        ExpectParsed(c);
}

TEST(VersionList, StartsFromTheFiveProgramFilesEveryTime) {
    Utf16String version = U("old");
    ProgramMap programs = {{U("stale.exe"), U("x")}, {U("ORIBEL.exe"), U("rel6")}};
    ASSERT_TRUE(ParseVersionList("5.3", version, programs));
    std::vector<Utf16String> names;
    for (const auto& entry : programs)
        names.push_back(entry.first);
    // Ordered by UTF-16 code units: '.' < 'K' < 'U' and "Un" < "Up" < "We".
    EXPECT_EQ(names, (std::vector<Utf16String>{U("ORIBEL.exe"), U("ORIBELKit.dll"),
                                               U("ORIBELUninstaller.exe"), U("ORIBELUpdater.exe"),
                                               U("ORIBELWeb.dll")}));
    EXPECT_EQ(Folders(programs), "||||");
    EXPECT_EQ(version, U("5.3"));
}

TEST(VersionList, UrlListFollowsMapOrderAndKeepsEmptyFolders) {
    Utf16String version;
    ProgramMap programs;
    ASSERT_TRUE(
        ParseVersionList("5.2\nx rel7 ORIBEL.exe\nx base ORIBELUpdater.exe", version, programs));
    std::vector<Utf16String> urls = {U("/already/there")};
    AppendProgramUrls(programs, urls);
    EXPECT_EQ(urls, (std::vector<Utf16String>{
                        U("/already/there"),
                        U("/update/programfiles/oribel/32/rel7/ORIBEL.exe"),
                        U("/update/programfiles/oribel/32//ORIBELKit.dll"),
                        U("/update/programfiles/oribel/32//ORIBELUninstaller.exe"),
                        U("/update/programfiles/oribel/32/base/ORIBELUpdater.exe"),
                        U("/update/programfiles/oribel/32//ORIBELWeb.dll"),
                    }));
}

TEST(VersionList, RequestPathCarriesTheTimeStamp) {
    EXPECT_EQ(VersionListPath(12, 9, 18, 5),
              U("/update/programfiles/oribel/32/proverinfo.dat?12091805"));
    EXPECT_EQ(VersionListPath(1, 31, 0, 0),
              U("/update/programfiles/oribel/32/proverinfo.dat?01310000"));
}

} // namespace
