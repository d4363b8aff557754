// The language a test run is for, and the frame's texts in it. The tests run once per language
// (ctest names them ko.* and en.*); under Wine the system language follows LANG.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

namespace setup_test {

struct FrameTexts {
    const wchar_t* back;
    const wchar_t* next;
    const wchar_t* cancel;
    const wchar_t* finish;
    const wchar_t* question;
    const wchar_t* guidePath;
};

inline bool IsKorean() {
    return ::GetSystemDefaultLangID() == 1042;
}

inline const FrameTexts& ExpectedTexts() {
    static constexpr FrameTexts korean{
        .back = L"< 뒤로",
        .next = L"다음 >",
        .cancel = L"취소",
        .finish = L"확인",
        .question = L"ORIBEL 인스톨을 취소하시겠습니까?",
        .guidePath = L"/common/guide01.php",
    };
    static constexpr FrameTexts english{
        .back = L"< Prev",
        .next = L"Next >",
        .cancel = L"Cancel",
        .finish = L"OK",
        .question = L"Do you want to cancel installing ORIBEL?",
        .guidePath = L"/index_en.php",
    };
    return IsKorean() ? korean : english;
}

// Fails when the run is not in the language ctest started it for (LC_ALL): a locale Wine did not
// take would leave both runs in one language.
inline void ExpectTheLanguageOfThisRun() {
    const char* locale = std::getenv("LC_ALL");
    if (locale == nullptr ||
        (std::strncmp(locale, "ko_KR", 5) != 0 && std::strncmp(locale, "en_US", 5) != 0))
        GTEST_SKIP() << "started without LC_ALL set to ko_KR or en_US";
    EXPECT_EQ(::GetSystemDefaultLangID(), std::strncmp(locale, "ko_KR", 5) == 0 ? 1042 : 1033);
}

} // namespace setup_test
