// COM owners: interface pointers, the calling thread's apartment and shell item identifier lists.
// Users link ole32 (and shell32 for the identifier lists).
#pragma once

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include "wcl/unique.h"

namespace wcl {

template <typename Interface>
struct ComTraits {
    using pointer = Interface*;
    static pointer invalid() noexcept { return nullptr; }
    static void close(pointer object) noexcept { object->Release(); }
};

// One reference to a COM object, released once.
template <typename Interface>
using ComPtr = Unique<ComTraits<Interface>>;

// Joins the calling thread to a single-threaded apartment for the guard's lifetime. COM counts
// initialisations per thread, so the guard undoes only one that succeeded: after a failure, or
// RPC_E_CHANGED_MODE on a thread already in the multithreaded apartment, a CoUninitialize would
// take away the apartment that someone else set up.
class ComApartment {
public:
    ComApartment() noexcept : m_result(::CoInitialize(nullptr)) {}
    ~ComApartment() {
        if (SUCCEEDED(m_result))
            ::CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

    // S_OK, S_FALSE (already initialised as such), RPC_E_CHANGED_MODE or a failure.
    HRESULT result() const noexcept { return m_result; }

private:
    HRESULT m_result;
};

// An item identifier list handed out by the shell, freed with the shell's allocator.
struct ShellItemIdListTraits {
    using pointer = PIDLIST_ABSOLUTE;
    static pointer invalid() noexcept { return nullptr; }
    static void close(pointer list) noexcept {
        IMalloc* raw = nullptr;
        if (FAILED(::SHGetMalloc(&raw)))
            return;
        ComPtr<IMalloc> allocator(raw);
        allocator.get()->Free(list);
    }
};

using UniqueItemIdList = Unique<ShellItemIdListTraits>;

} // namespace wcl
