// A wait's duration in the system's unit: never negative, and never the endless INFINITE however
// long the duration asked for.
#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>

#include "wcl/wait.h"

namespace {

using namespace std::chrono_literals;
using std::chrono::milliseconds;

TEST(WaitMilliseconds, IsTheDurationHeldBetweenNoWaitAndTheLongestBoundedOne) {
    const struct {
        milliseconds duration;
        DWORD expected;
    } cases[] = {
        {milliseconds::min(), 0},
        {-1ms, 0},
        {0ms, 0},
        {250ms, 250},
        {std::chrono::duration_cast<milliseconds>(60s), 60000},
        {milliseconds(INFINITE - 1), INFINITE - 1},
        {milliseconds(INFINITE), INFINITE - 1},
        {std::chrono::duration_cast<milliseconds>(std::chrono::hours(24 * 365 * 100)),
         INFINITE - 1},
        {milliseconds::max(), INFINITE - 1},
    };
    for (const auto& tested : cases)
        EXPECT_EQ(wcl::WaitMilliseconds(tested.duration), tested.expected)
            << tested.duration.count() << " ms";
}

} // namespace
