// Owner of an open registry key.
#pragma once

#include <windows.h>

#include "wcl/unique.h"

namespace wcl {

struct RegKeyTraits {
    using pointer = HKEY;
    static pointer invalid() noexcept { return nullptr; }
    static void close(pointer key) noexcept { ::RegCloseKey(key); }
};

using UniqueRegKey = Unique<RegKeyTraits>;

} // namespace wcl
