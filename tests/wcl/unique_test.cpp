#include <gtest/gtest.h>

#include <utility>

#include "wcl/com.h"
#include "wcl/handle.h"
#include "wcl/registry.h"
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

TEST(Unique, RegistryKeyIsClosed) {
    HKEY raw = nullptr;
    ASSERT_EQ(::RegOpenKeyExW(HKEY_CURRENT_USER, L"Software", 0, KEY_READ, &raw), ERROR_SUCCESS);
    DWORD subkeys = 0;
    {
        wcl::UniqueRegKey key(raw);
        EXPECT_EQ(::RegQueryInfoKeyW(raw, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr,
                                     nullptr, nullptr, nullptr, nullptr, nullptr),
                  ERROR_SUCCESS);
    }
    EXPECT_NE(::RegQueryInfoKeyW(raw, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr,
                                 nullptr, nullptr, nullptr, nullptr, nullptr),
              ERROR_SUCCESS);
}

// A COM object that counts its references.
class CountedObject : public IUnknown {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
    ULONG STDMETHODCALLTYPE Release() override { return --references; }
    virtual ~CountedObject() = default;

    ULONG references = 1;
};

TEST(Unique, ComPointerReleasesItsReferenceOnce) {
    CountedObject object;
    {
        wcl::ComPtr<IUnknown> first(&object);
        wcl::ComPtr<IUnknown> second(std::move(first));
        EXPECT_EQ(object.references, 1u);
    }
    EXPECT_EQ(object.references, 0u);
}

} // namespace
