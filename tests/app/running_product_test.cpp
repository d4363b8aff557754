#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <deque>
#include <string>
#include <thread>
#include <vector>

#include "app/running_product.h"
#include "stand_in_product/launcher.h"
#include "wcl/handle.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr DWORD kWindowTimeoutMs = 10000;

double SecondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

void PrintFigure(const char* what, double seconds) {
    std::printf("[  figure  ] %s: %.2f s\n", what, seconds);
}

// Names a parameterised case after its table row.
template <typename Case>
std::string CaseName(const ::testing::TestParamInfo<Case>& tested) {
    return tested.param.name;
}

struct TimedStop {
    bool result;
    double seconds;
};

TimedStop TimeStop(const app::StopBounds& bounds = app::StopBounds{}) {
    const auto start = Clock::now();
    const bool result = app::StopRunningProduct(bounds);
    return {result, SecondsSince(start)};
}

// Every case starts its own stand-ins in a folder of its own; whatever still runs at the end of the
// case is ended before the folder is removed.
class RunningProduct : public ::testing::Test {
protected:
    struct StandIn {
        stand_in::Process process;
        std::filesystem::path record;
    };

    void SetUp() override {
        ASSERT_FALSE(app::IsProcessRunning(app::kProductImageName))
            << "an ORIBEL.exe process was already running";
    }

    // Starts a copy of the stand-in named fileName with the given switches; unless it runs
    // without a window, waits until its window is there.
    StandIn& Start(std::wstring_view fileName, const std::wstring& switches = L"") {
        const auto record = folder_.path() / (L"record-" + std::to_wstring(started_.size()));
        const auto program = stand_in::CopyProgram(folder_, fileName);
        const std::wstring arguments = switches + L" " + stand_in::RecordArgument(record);
        const bool withWindow = switches.find(stand_in::kNoWindow) == std::wstring::npos;
        auto& started = started_.emplace_back(StandIn{
            withWindow ? stand_in::Process::StartWithWindow(program, arguments, kWindowTimeoutMs)
                       : stand_in::Process::Start(program, arguments),
            record});
        EXPECT_TRUE(started.process) << "could not start " << program;
        if (withWindow) {
            EXPECT_TRUE(started.process.WaitForMainWindow(0));
        }
        return started;
    }

    static std::wstring CloseDelay(DWORD ms) {
        return std::wstring(stand_in::kCloseDelay) + std::to_wstring(ms);
    }

    static bool ReceivedCloseRequest(const StandIn& standIn) {
        // Both parameters are 0.
        const std::string line = std::string(stand_in::kMessageLine) + "0 0\n";
        return stand_in::ReadRecord(standIn.record).find(line) != std::string::npos;
    }

    stand_in::TempFolder folder_;
    std::deque<StandIn> started_; // a deque keeps references to earlier entries valid
};

TEST_F(RunningProduct, WithoutAProductOnlyThePauseIsTakenAndNothingIsEnded) {
    auto& bystander = Start(L"Bystander.exe", stand_in::kNoWindow);

    const TimedStop stop = TimeStop();

    PrintFigure("no product", stop.seconds);
    EXPECT_TRUE(stop.result);
    EXPECT_GE(stop.seconds, 0.95);
    EXPECT_LT(stop.seconds, 3.0);
    EXPECT_TRUE(bystander.process.IsRunning());
}

struct SelfClosingCase {
    const char* name;
    DWORD closeDelayMs;
    DWORD expectedExitCode;
};

void PrintTo(const SelfClosingCase& tested, std::ostream* out) {
    *out << tested.name;
}

class SelfClosingProduct : public RunningProduct,
                           public ::testing::WithParamInterface<SelfClosingCase> {};

// A product that ends itself within the pause or the grace period keeps its own exit code; one
// that takes longer is ended by force with exit code 0.
TEST_P(SelfClosingProduct, IsEndedByForceOnlyAfterTheGracePeriod) {
    auto& product = Start(L"ORIBEL.exe", CloseDelay(GetParam().closeDelayMs));

    const TimedStop stop = TimeStop();

    PrintFigure(GetParam().name, stop.seconds);
    EXPECT_TRUE(stop.result);
    EXPECT_TRUE(ReceivedCloseRequest(product));
    ASSERT_TRUE(product.process.WaitForEnd(0));
    EXPECT_EQ(product.process.ExitCode(), GetParam().expectedExitCode);
}

INSTANTIATE_TEST_SUITE_P(
    Delays, SelfClosingProduct,
    ::testing::Values(SelfClosingCase{"AtOnce", 0, stand_in::kExitCodeClosedItself},
                      SelfClosingCase{"WithinTheGracePeriod", 2500,
                                      stand_in::kExitCodeClosedItself},
                      SelfClosingCase{"AfterTheGracePeriod", 8000, app::kForcedEndExitCode}),
    CaseName<SelfClosingCase>);

TEST_F(RunningProduct, TwoProductsThatIgnoreTheRequestAreEndedOnePerPass) {
    auto& first = Start(L"ORIBEL.exe", stand_in::kIgnoreClose);
    auto& second =
        Start(L"ORIBEL.exe", std::wstring(stand_in::kIgnoreClose) + L" " + stand_in::kNoWindow);

    const TimedStop stop = TimeStop();

    PrintFigure("two products ignoring the request", stop.seconds);
    EXPECT_TRUE(stop.result);
    EXPECT_TRUE(ReceivedCloseRequest(first));
    ASSERT_TRUE(first.process.WaitForEnd(0));
    ASSERT_TRUE(second.process.WaitForEnd(0));
    EXPECT_EQ(first.process.ExitCode(), app::kForcedEndExitCode);
    EXPECT_EQ(second.process.ExitCode(), app::kForcedEndExitCode);
    // The second one is looked for only after the first has been ended, and gets its own grace
    // period: their ends lie about 3 s apart.
    const ULONGLONG firstEnd = first.process.EndTimeMs();
    const ULONGLONG secondEnd = second.process.EndTimeMs();
    const ULONGLONG gapMs = firstEnd > secondEnd ? firstEnd - secondEnd : secondEnd - firstEnd;
    PrintFigure("between the two forced ends", static_cast<double>(gapMs) / 1000);
    EXPECT_GE(gapMs, 2000u);
}

struct ImageNameCase {
    const char* name;
    const wchar_t* fileName;
    bool isProduct;
};

void PrintTo(const ImageNameCase& tested, std::ostream* out) {
    *out << tested.name;
}

class ImageName : public RunningProduct, public ::testing::WithParamInterface<ImageNameCase> {};

TEST_P(ImageName, IsComparedWholeAndWithoutRegardToCase) {
    Start(GetParam().fileName, stand_in::kNoWindow);

    EXPECT_EQ(app::IsProcessRunning(app::kProductImageName), GetParam().isProduct);
    EXPECT_TRUE(app::IsProcessRunning(GetParam().fileName));
}

INSTANTIATE_TEST_SUITE_P(Names, ImageName,
                         ::testing::Values(ImageNameCase{"Exact", L"ORIBEL.exe", true},
                                           ImageNameCase{"OtherCase", L"oribel.EXE", true},
                                           ImageNameCase{"Contains", L"XORIBEL.exe", false},
                                           ImageNameCase{"Extended", L"ORIBEL.exe.bak", false}),
                         CaseName<ImageNameCase>);

TEST_F(RunningProduct, EndsTheProductUnderAnyCaseButNoProcessThatMerelyContainsItsName) {
    const std::wstring ignoring = std::wstring(stand_in::kIgnoreClose) + L" " + stand_in::kNoWindow;
    auto& product = Start(L"oribel.EXE", ignoring);
    auto& prefixed = Start(L"XORIBEL.exe", ignoring);
    auto& backup = Start(L"ORIBEL.exe.bak", ignoring);

    EXPECT_TRUE(app::StopRunningProduct());

    ASSERT_TRUE(product.process.WaitForEnd(0));
    EXPECT_EQ(product.process.ExitCode(), app::kForcedEndExitCode);
    EXPECT_TRUE(prefixed.process.IsRunning());
    EXPECT_TRUE(backup.process.IsRunning());
}

struct OpenedProcessCase {
    const char* name;
    const wchar_t* fileName;
    DWORD rights;
    bool isProduct;
};

void PrintTo(const OpenedProcessCase& tested, std::ostream* out) {
    *out << tested.name;
}

class OpenedProcess : public RunningProduct,
                      public ::testing::WithParamInterface<OpenedProcessCase> {};

// The handle stands for a process opened by an id from the snapshot: when the id has meanwhile
// gone to another program, or the program cannot be confirmed, the process is not ended.
TEST_P(OpenedProcess, IsEndedOnlyWhenItIsConfirmedToRunTheProductsProgram) {
    const std::wstring ignoring = std::wstring(stand_in::kIgnoreClose) + L" " + stand_in::kNoWindow;
    auto& started = Start(GetParam().fileName, ignoring);
    const wcl::UniqueHandle process(::OpenProcess(GetParam().rights, FALSE, started.process.id()));
    ASSERT_TRUE(process);

    EXPECT_EQ(app::RunsProductProgram(process.get()), GetParam().isProduct);
    EXPECT_EQ(app::EndProductProcess(process.get()), GetParam().isProduct);

    if (GetParam().isProduct) {
        ASSERT_TRUE(started.process.WaitForEnd(5000));
        EXPECT_EQ(started.process.ExitCode(), app::kForcedEndExitCode);
    } else {
        EXPECT_TRUE(started.process.IsRunning());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Programs, OpenedProcess,
    ::testing::Values(
        OpenedProcessCase{"Product", L"ORIBEL.exe", app::kProductProcessRights, true},
        OpenedProcessCase{"ProductInOtherCase", L"oribel.EXE", app::kProductProcessRights, true},
        OpenedProcessCase{"IdReusedByAnotherProgram", L"Bystander.exe", app::kProductProcessRights,
                          false},
        OpenedProcessCase{"NameWithinAnother", L"XORIBEL.exe", app::kProductProcessRights, false},
        OpenedProcessCase{"ProgramNotReadable", L"ORIBEL.exe", SYNCHRONIZE | PROCESS_TERMINATE,
                          false}),
    CaseName<OpenedProcessCase>);

TEST_F(RunningProduct, WindowOfAnotherProgramGetsTheRequestButItsProcessIsNotEnded) {
    auto& other = Start(L"Helper.exe", stand_in::kIgnoreClose);

    const TimedStop stop = TimeStop();

    EXPECT_TRUE(stop.result);
    EXPECT_TRUE(ReceivedCloseRequest(other));
    EXPECT_TRUE(other.process.IsRunning());
}

TEST_F(RunningProduct, HungWindowDoesNotHoldTheSetupAndItsProcessIsEnded) {
    auto& product = Start(L"ORIBEL.exe", stand_in::kHang);

    const app::StopBounds bounds;
    const TimedStop stop = TimeStop(bounds);

    PrintFigure("hung product window", stop.seconds);
    EXPECT_TRUE(stop.result);
    EXPECT_TRUE(ReceivedCloseRequest(product));
    ASSERT_TRUE(product.process.WaitForEnd(0));
    EXPECT_EQ(product.process.ExitCode(), app::kForcedEndExitCode);
    // The bounded request, the pause, one grace period and one pause, with room to spare; an
    // unbounded send would never return.
    const double expected = (bounds.closeRequestTimeoutMs + app::kPauseAfterCloseRequestMs +
                             app::kGracePeriodMs + app::kPauseAfterForcedEndMs) /
                            1000.0;
    EXPECT_LT(stop.seconds, expected + 3.0);
}

// A shortened bound: waiting out the real one teaches nothing more.
constexpr DWORD kShortBoundMs = 3000;

// The upper limit of a call that gives up: the bound, then at most one more attempt (one grace
// period and one pause), with room to spare.
constexpr double kGiveUpLimitSeconds =
    (kShortBoundMs + app::kGracePeriodMs + app::kPauseAfterForcedEndMs) / 1000.0 + 2.0;

TEST_F(RunningProduct, GivesUpOnAProductItMayNotOpen) {
    auto& product =
        Start(L"ORIBEL.exe", std::wstring(stand_in::kProtect) + L" " + stand_in::kIgnoreClose);
    ASSERT_FALSE(wcl::UniqueHandle(::OpenProcess(PROCESS_TERMINATE, FALSE, product.process.id())))
        << "the stand-in's protection is not in force";

    const TimedStop stop = TimeStop({.giveUpAfterMs = kShortBoundMs});

    PrintFigure("product that may not be opened, bound 3 s", stop.seconds);
    EXPECT_FALSE(stop.result);
    EXPECT_GE(stop.seconds, kShortBoundMs / 1000.0);
    EXPECT_LT(stop.seconds, kGiveUpLimitSeconds);
    EXPECT_TRUE(product.process.IsRunning());
}

// Keeps `count` ORIBEL.exe processes running: each one that ends is replaced at once, so the loop
// always finds another. Notes the exit code of every one that ended.
class ComingBack {
public:
    ComingBack(const std::filesystem::path& program, size_t count)
        : program_(program), stop_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {
        for (size_t i = 0; i < count; ++i) {
            running_.push_back(StartOne());
            startedAll_ = startedAll_ && running_.back();
        }
        thread_ = std::thread([this] { Run(); });
    }
    ~ComingBack() { Stop(); }

    // Exit codes of the processes that ended; read only after Stop.
    std::vector<DWORD> Stop() {
        ::SetEvent(stop_.get());
        if (thread_.joinable())
            thread_.join();
        return ended_;
    }

    // Whether every first process started; known before the thread begins replacing them.
    bool StartedAll() const { return startedAll_; }

private:
    stand_in::Process StartOne() {
        return stand_in::Process::Start(program_, std::wstring(stand_in::kIgnoreClose) + L" " +
                                                      stand_in::kNoWindow);
    }

    void Run() {
        for (;;) {
            std::vector<HANDLE> handles{stop_.get()};
            for (const auto& process : running_)
                handles.push_back(process.handle());
            const DWORD which = ::WaitForMultipleObjects(static_cast<DWORD>(handles.size()),
                                                         handles.data(), FALSE, INFINITE);
            if (which == WAIT_OBJECT_0 || which >= WAIT_OBJECT_0 + handles.size())
                return;
            auto& process = running_[which - WAIT_OBJECT_0 - 1];
            ended_.push_back(process.ExitCode());
            process = StartOne();
            if (!process)
                return;
        }
    }

    std::filesystem::path program_;
    wcl::UniqueHandle stop_;
    std::vector<stand_in::Process> running_;
    std::vector<DWORD> ended_;
    bool startedAll_ = true;
    std::thread thread_;
};

TEST_F(RunningProduct, GivesUpOnAProductThatKeepsComingBack) {
    ComingBack product(stand_in::CopyProgram(folder_, L"ORIBEL.exe"), 2);
    ASSERT_TRUE(product.StartedAll());

    const TimedStop stop = TimeStop({.giveUpAfterMs = kShortBoundMs});
    const std::vector<DWORD> ended = product.Stop();

    PrintFigure("product that keeps coming back, bound 3 s", stop.seconds);
    EXPECT_FALSE(stop.result);
    EXPECT_LT(stop.seconds, kGiveUpLimitSeconds);
    ASSERT_FALSE(ended.empty());
    for (const DWORD code : ended)
        EXPECT_EQ(code, app::kForcedEndExitCode);
}

TEST(ProductStillRunningText, IsKoreanOnKoreanSystemsAndEnglishOnAllOthers) {
    const std::wstring korean = app::ProductStillRunningText(1042);
    const std::wstring english = app::ProductStillRunningText(1033);
    EXPECT_NE(korean.find(L"실행 중"), std::wstring::npos);
    EXPECT_NE(english.find(L"still running"), std::wstring::npos);
    for (const int other : {0, 1041, 2052, 1043})
        EXPECT_EQ(app::ProductStillRunningText(other), english) << other;
}

} // namespace
