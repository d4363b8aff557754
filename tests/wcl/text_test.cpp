#include <gtest/gtest.h>

#include "wcl/text.h"

namespace {

TEST(Text, Utf8RoundTripKeepsKoreanAndAstralCharacters) {
    const std::wstring text = L"\xB2E4\xC74C >\U0001F600 ORIBEL";
    const std::string utf8 = wcl::Utf16ToUtf8(text);
    EXPECT_EQ(utf8, "\xEB\x8B\xA4\xEC\x9D\x8C >\xF0\x9F\x98\x80 ORIBEL");
    EXPECT_EQ(wcl::Utf8ToUtf16(utf8), text);
    EXPECT_EQ(wcl::Utf8ToUtf16(""), L"");
}

TEST(Text, FormatGrowsBeyondItsFirstBuffer) {
    EXPECT_EQ(wcl::Format(L"%02d%02d%ls", 9, 12, L"x"), L"0912x");
    const std::wstring long_text(1000, L'a');
    EXPECT_EQ(wcl::Format(L"[%ls]", long_text.c_str()), L"[" + long_text + L"]");
}

} // namespace
