// The percentage text of a progress cell: a caller's format takes the percent for its first %d
// and turns %% into one sign; nothing else in it is ever interpreted, so no text can make the
// formatting read arguments that are not there.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "controls/percent_text.h"

namespace {

struct FormatCase {
    const wchar_t* format;
    int percent;
    const wchar_t* text;
};

TEST(PercentText, OnlyTheFirstPercentDAndDoubledSignsAreReplaced) {
    const FormatCase cases[] = {
        {L"", 0, L"0%"},
        {L"", 42, L"42%"},
        {L"", -5, L"-5%"},
        {L"", INT_MIN, L"-2147483648%"},
        {L"%d%%", 100, L"100%"},
        {L"%d %%", 7, L"7 %"},
        {L"Done: %d", 7, L"Done: 7"},
        {L"%d/%d", 7, L"7/%d"},
        {L"%%d", 7, L"%d"},
        {L"%%%d", 7, L"%7"},
        {L"%s%n", 7, L"%s%n"},
        {L"%s%s%s%s%s%s%s%s%n%n%n", 7, L"%s%s%s%s%s%s%s%s%n%n%n"},
        {L"%i %x %5d %-d %ld", 7, L"%i %x %5d %-d %ld"},
        {L"50% off %d", 7, L"50% off 7"},
        {L"%", 7, L"%"},
        {L"%%%", 7, L"%%"},
        {L"no number", 7, L"no number"},
        {L"100%%d", 7, L"100%d"},
        {L"다운로드 %d%%", 30, L"다운로드 30%"},
    };
    for (const FormatCase& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.format)));
        EXPECT_EQ(FormatPercentText(c.format, c.percent), c.text);
    }
}

TEST(PercentText, ALongFormatIsCopiedWhole) {
    const std::wstring format(100000, L'%');
    EXPECT_EQ(FormatPercentText(format, 1), std::wstring(50000, L'%'));
    const std::wstring text(100000, L'x');
    EXPECT_EQ(FormatPercentText(text + L"%d", 3), text + L"3");
}

} // namespace
