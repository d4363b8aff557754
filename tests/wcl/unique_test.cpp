#include <gtest/gtest.h>

#include <utility>

#include "wcl/handle.h"
#include "wcl/unique.h"

namespace {

// A handle kind that counts its releases, to show that every owner releases exactly once.
int g_closed = 0;
struct CountingTraits {
    using pointer = int;
    static pointer invalid() noexcept { return 0; }
    static void close(pointer) noexcept { ++g_closed; }
};
using Counted = wcl::Unique<CountingTraits>;

TEST(Unique, ReleasesExactlyOnceAcrossMovesAndResets) {
    g_closed = 0;
    {
        Counted a(7);
        Counted b(std::move(a));
        EXPECT_FALSE(a);
        EXPECT_EQ(b.get(), 7);
        Counted c;
        c = std::move(b);
        c = std::move(c); // self-move keeps the handle
        EXPECT_EQ(c.get(), 7);
        EXPECT_EQ(g_closed, 0);
        c.reset(9); // releases 7
        EXPECT_EQ(g_closed, 1);
        int raw = c.release(); // 9 leaves without release
        EXPECT_EQ(raw, 9);
        *c.put() = 11;
    } // releases 11
    EXPECT_EQ(g_closed, 2);
}

TEST(Unique, KernelHandleIsClosed) {
    HANDLE raw = ::CreateEventW(nullptr, TRUE, FALSE, nullptr);
    ASSERT_NE(raw, nullptr);
    {
        wcl::UniqueHandle event(raw);
        DWORD flags = 0;
        EXPECT_TRUE(::GetHandleInformation(raw, &flags));
    }
    DWORD flags = 0;
    EXPECT_FALSE(::GetHandleInformation(raw, &flags));
}

} // namespace
