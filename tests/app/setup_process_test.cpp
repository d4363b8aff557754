// The setup as a process, as a user starts it: the Welcome page in the session's language, the
// named objects it holds while it runs and releases at its end, a second copy that ends silently,
// a shared block that another process made first, and start-up's two failure messages.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "app/setup_app.h"
#include "res/resource.h"
#include "stand_in_product/launcher.h"
#include "test_language.h"
#include "wcl/handle.h"
#include "window_finding.h"

namespace {

using setup_test::ExpectedTexts;
using setup_test::WindowText;

constexpr DWORD kTimeoutMs = 10000;
constexpr wchar_t kCaption[] = L"Install ORIBEL";

std::filesystem::path SetupProgram() {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    return std::filesystem::path(path).parent_path() / L"oribel_setup.exe";
}

// Starts the setup and waits for its wizard window, starting it again when Wine's loader lost the
// process before it ran (see StartWithWindow).
stand_in::Process StartWizard() {
    return stand_in::Process::StartWithWindow(SetupProgram(), L"", kTimeoutMs, kCaption);
}

bool EventExists(const wchar_t* name) {
    return static_cast<bool>(wcl::UniqueHandle(::OpenEventW(SYNCHRONIZE, FALSE, name)));
}

// The wizard frame of the process: its window with the Next button.
HWND FindFrame(DWORD processId) {
    const HWND window = setup_test::FindTopLevelWindow(processId, kCaption);
    return window && ::GetDlgItem(window, IDC_NEXT) ? window : nullptr;
}

HWND WaitForFrame(const stand_in::Process& setup) {
    return setup_test::WaitForWindow([&] { return FindFrame(setup.id()); }, kTimeoutMs);
}

// Closes the frame through its question, answered Yes, and waits for the process to end.
void EndThroughTheQuestion(const stand_in::Process& setup, HWND frame) {
    setup_test::BoxAnswerer answerer(frame, IDYES);
    ::PostMessageW(frame, WM_CLOSE, 0, 0);
    EXPECT_TRUE(answerer.Seen().shown) << "no question";
    EXPECT_TRUE(setup.WaitForEnd(kTimeoutMs)) << "the setup did not end";
}

class SetupProcess : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(EventExists(kSetupInstanceEventName)) << "a setup was already running";
    }
};

TEST(Language, IsTheOneThisRunWasStartedFor) {
    setup_test::ExpectTheLanguageOfThisRun();
}

TEST_F(SetupProcess, ShowsTheWelcomePageHoldsItsNamedObjectsAndReleasesThemAtItsEnd) {
    stand_in::Process setup = StartWizard();
    ASSERT_TRUE(setup);
    const HWND frame = WaitForFrame(setup);
    ASSERT_NE(frame, nullptr) << "no wizard window";
    EXPECT_EQ(WindowText(::GetDlgItem(frame, IDC_NEXT)), ExpectedTexts().next);
    EXPECT_EQ(WindowText(::GetDlgItem(frame, IDC_CANCEL)), ExpectedTexts().cancel);
    EXPECT_FALSE(::IsWindowVisible(::GetDlgItem(frame, IDC_BACK)));

    EXPECT_TRUE(EventExists(kSetupInstanceEventName));
    EXPECT_TRUE(EventExists(kSetupEventName));
    {
        wcl::UniqueHandle block(::OpenFileMappingW(FILE_MAP_READ, FALSE, kSetupInfoMappingName));
        ASSERT_TRUE(block) << "no shared block";
        wcl::UniqueMappedView view(::MapViewOfFile(block.get(), FILE_MAP_READ, 0, 0, 0));
        ASSERT_TRUE(view);
        MEMORY_BASIC_INFORMATION region{};
        ::VirtualQuery(view.get(), &region, sizeof(region));
        EXPECT_GE(region.RegionSize, kSetupInfoSize);
        const auto* bytes = static_cast<const unsigned char*>(view.get());
        EXPECT_TRUE(std::all_of(bytes, bytes + kSetupInfoSize, [](unsigned char b) {
            return b == 0;
        })) << "the setup wrote into the block";
    }

    EndThroughTheQuestion(setup, frame);
    EXPECT_FALSE(EventExists(kSetupInstanceEventName)) << "a new copy could not start";
    EXPECT_FALSE(EventExists(kSetupEventName));
    EXPECT_FALSE(
        wcl::UniqueHandle(::OpenFileMappingW(FILE_MAP_READ, FALSE, kSetupInfoMappingName)));
}

TEST_F(SetupProcess, ASecondCopyEndsSilentlyAndLeavesTheFirstAlone) {
    stand_in::Process first = StartWizard();
    const HWND frame = WaitForFrame(first);
    ASSERT_NE(frame, nullptr);

    stand_in::Process second = stand_in::Process::Start(SetupProgram(), L"");
    ASSERT_TRUE(second);
    // A message or a window would keep it waiting for the user.
    EXPECT_TRUE(second.WaitForEnd(kTimeoutMs)) << "the second copy did not end by itself";
    EXPECT_EQ(FindFrame(second.id()), nullptr);

    EXPECT_TRUE(first.IsRunning());
    EXPECT_TRUE(::IsWindowVisible(frame));
    EXPECT_EQ(setup_test::FindMessageBox(frame), nullptr);
    EndThroughTheQuestion(first, frame);
}

TEST_F(SetupProcess, OpensASharedBlockAnotherProcessMadeAndLeavesItsBytesAsTheyAre) {
    wcl::UniqueHandle block(::CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                                 kSetupInfoSize, kSetupInfoMappingName));
    ASSERT_TRUE(block);
    wcl::UniqueMappedView view(
        ::MapViewOfFile(block.get(), FILE_MAP_ALL_ACCESS, 0, 0, kSetupInfoSize));
    ASSERT_TRUE(view);
    auto* bytes = static_cast<unsigned char*>(view.get());
    std::vector<unsigned char> written(kSetupInfoSize);
    for (size_t i = 0; i < written.size(); ++i)
        written[i] = static_cast<unsigned char>(i * 7 + 1);
    std::copy(written.begin(), written.end(), bytes);

    stand_in::Process setup = StartWizard();
    const HWND frame = WaitForFrame(setup);
    ASSERT_NE(frame, nullptr) << "the wizard did not run";
    EXPECT_TRUE(std::equal(written.begin(), written.end(), bytes)) << "changed while it runs";
    EndThroughTheQuestion(setup, frame);
    EXPECT_TRUE(std::equal(written.begin(), written.end(), bytes)) << "changed at its end";
}

// Another process holds the block's name in a way start-up cannot use.
struct FailureCase {
    const char* name;
    const wchar_t* message;
    std::function<wcl::UniqueHandle(const std::filesystem::path& folder)> occupy;
};

// Names the case in test listings (the ctest names), not its bytes.
void PrintTo(const FailureCase& c, std::ostream* out) {
    *out << c.name;
}

// A block of that name backed by a file opened only for reading: it opens, but it cannot be
// mapped for writing.
wcl::UniqueHandle ReadOnlyBlock(const std::filesystem::path& folder) {
    const auto path = folder / L"block";
    {
        wcl::UniqueFileHandle file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr,
                                                 CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        const std::vector<char> zeros(kSetupInfoSize);
        DWORD written = 0;
        ::WriteFile(file.get(), zeros.data(), kSetupInfoSize, &written, nullptr);
    }
    wcl::UniqueFileHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return wcl::UniqueHandle(
        ::CreateFileMappingW(file.get(), nullptr, PAGE_READONLY, 0, 0, kSetupInfoMappingName));
}

class StartUpFailure : public SetupProcess, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(StartUpFailure, ShowsItsKoreanMessageAndEndsWithoutAWizard) {
    const stand_in::TempFolder folder;
    const wcl::UniqueHandle squatter = GetParam().occupy(folder.path());
    ASSERT_TRUE(squatter);
    stand_in::Process setup = stand_in::Process::Start(SetupProgram(), L"");
    const HWND box = setup_test::WaitForWindow(
        [&] { return setup_test::FindMessageBox(nullptr, setup.id()); }, kTimeoutMs);
    const setup_test::SeenBox seen = setup_test::ReadMessageBox(box);
    ASSERT_TRUE(seen.shown) << "no message";
    EXPECT_EQ(seen.caption, kCaption);
    EXPECT_EQ(seen.text, GetParam().message);
    EXPECT_EQ(seen.buttons, std::vector<int>{IDOK});
    EXPECT_EQ(FindFrame(setup.id()), nullptr);

    setup_test::AnswerMessageBox(box, IDOK);
    EXPECT_TRUE(setup.WaitForEnd(kTimeoutMs));
    EXPECT_FALSE(EventExists(kSetupInstanceEventName)) << "a new copy could not start";
}

INSTANTIATE_TEST_SUITE_P(
    Blocks, StartUpFailure,
    ::testing::Values(FailureCase{"NameTakenByAnEvent", L"메모리맵핑 실패 - 1",
                                  [](const std::filesystem::path&) {
                                      return wcl::UniqueHandle(::CreateEventW(
                                          nullptr, TRUE, FALSE, kSetupInfoMappingName));
                                  }},
                      FailureCase{"BlockOnlyForReading", L"메모리맵핑 실패 - 2", ReadOnlyBlock}),
    [](const ::testing::TestParamInfo<FailureCase>& row) { return std::string(row.param.name); });

} // namespace
