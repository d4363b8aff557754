// Owners of kernel objects: events, mappings, processes, threads, snapshots, files.
#pragma once

#include <windows.h>

#include "wcl/unique.h"

namespace wcl {

// Handles whose "none" is null (events, mappings, processes, threads).
struct KernelHandleTraits {
    using pointer = HANDLE;
    static pointer invalid() noexcept { return nullptr; }
    static void close(pointer h) noexcept { ::CloseHandle(h); }
};

// Handles whose "none" is INVALID_HANDLE_VALUE (files, tool-help snapshots).
struct FileHandleTraits {
    using pointer = HANDLE;
    static pointer invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void close(pointer h) noexcept { ::CloseHandle(h); }
};

// A mapped view of a file mapping.
struct MappedViewTraits {
    using pointer = void*;
    static pointer invalid() noexcept { return nullptr; }
    static void close(pointer view) noexcept { ::UnmapViewOfFile(view); }
};

using UniqueHandle = Unique<KernelHandleTraits>;
using UniqueFileHandle = Unique<FileHandleTraits>;
using UniqueMappedView = Unique<MappedViewTraits>;

} // namespace wcl
