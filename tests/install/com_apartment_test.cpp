#include <gtest/gtest.h>

#include <windows.h>
#include <objbase.h>

#include <filesystem>
#include <fstream>
#include <thread>

#include "install/registration.h"
#include "install/registration_support.h"

namespace {

namespace fs = std::filesystem;

// How the calling thread stands in COM before it makes a link.
enum class Joined { None, SingleThreaded, MultiThreaded };

struct ApartmentCase {
    const char* name;
    Joined joined;
};

void PrintTo(const ApartmentCase& row, std::ostream* out) {
    *out << row.name;
}

class ShortcutApartment : public testing::TestWithParam<ApartmentCase> {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH] = {};
        ::GetTempPathW(MAX_PATH, temp);
        m_folder = fs::path(temp) / L"apartment test";
        fs::remove_all(m_folder);
        fs::create_directories(m_folder);
        m_target = m_folder / L"Program.exe";
        std::ofstream(m_target, std::ios::binary).put('\0');
    }
    void TearDown() override {
        std::error_code ignored;
        fs::remove_all(m_folder, ignored);
    }

    fs::path m_folder;
    fs::path m_target;
};

DWORD ModeOf(Joined joined) {
    return joined == Joined::MultiThreaded ? COINIT_MULTITHREADED : COINIT_APARTMENTTHREADED;
}

// A link made on a thread leaves the thread's COM state as it found it: an apartment the thread
// joined before is still there (joining it again only counts, S_FALSE), and a thread that had
// none has none afterwards (joining gives S_OK). From the multithreaded apartment the link
// object may or may not be had, but that apartment must survive the attempt.
TEST_P(ShortcutApartment, ThreadKeepsItsComState) {
    const Joined joined = GetParam().joined;
    const fs::path link = m_folder / L"Program.lnk";
    HRESULT made = E_UNEXPECTED;
    HRESULT rejoined = E_UNEXPECTED;
    std::thread([&] {
        if (joined != Joined::None && FAILED(::CoInitializeEx(nullptr, ModeOf(joined))))
            return;
        made = CreateShortcut(m_target.wstring(), link.wstring(), L"Program");
        rejoined = ::CoInitializeEx(nullptr, ModeOf(joined));
        if (SUCCEEDED(rejoined))
            ::CoUninitialize();
        if (joined != Joined::None)
            ::CoUninitialize();
    }).join();

    EXPECT_EQ(rejoined, joined == Joined::None ? S_OK : S_FALSE);
    if (joined == Joined::MultiThreaded && made == E_FAIL) {
        EXPECT_FALSE(fs::exists(link));
        return;
    }
    ASSERT_EQ(made, S_OK);
    const auto content = registration_test::ReadLink(link);
    ASSERT_TRUE(content.has_value());
    EXPECT_EQ(content->target, m_target.wstring());
    EXPECT_EQ(content->description, L"Program");
    EXPECT_EQ(content->arguments, L"");
}

INSTANTIATE_TEST_SUITE_P(Threads, ShortcutApartment,
                         testing::Values(ApartmentCase{"NoApartment", Joined::None},
                                         ApartmentCase{"SingleThreaded", Joined::SingleThreaded},
                                         ApartmentCase{"MultiThreaded", Joined::MultiThreaded}),
                         [](const auto& row) { return std::string(row.param.name); });

} // namespace
