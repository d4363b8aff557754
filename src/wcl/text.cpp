#include <windows.h>

#include <cstdarg>
#include <cwchar>

#include "wcl/text.h"

namespace wcl {

std::wstring Utf8ToUtf16(std::string_view utf8) {
    if (utf8.empty())
        return {};
    const int size = static_cast<int>(utf8.size());
    const int count = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
    if (count <= 0)
        return {};
    std::wstring result(static_cast<size_t>(count), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, result.data(), count);
    return result;
}

std::string Utf16ToUtf8(std::wstring_view utf16) {
    if (utf16.empty())
        return {};
    const int size = static_cast<int>(utf16.size());
    const int count =
        ::WideCharToMultiByte(CP_UTF8, 0, utf16.data(), size, nullptr, 0, nullptr, nullptr);
    if (count <= 0)
        return {};
    std::string result(static_cast<size_t>(count), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, utf16.data(), size, result.data(), count, nullptr, nullptr);
    return result;
}

std::wstring Format(const wchar_t* format, ...) {
    // vswprintf reports only "too small", never the size it needs, so the buffer grows until the
    // text fits.
    std::wstring result(128, L'\0');
    for (;;) {
        va_list args;
        va_start(args, format);
        const int count = std::vswprintf(result.data(), result.size(), format, args);
        va_end(args);
        if (count >= 0 && static_cast<size_t>(count) < result.size()) {
            result.resize(static_cast<size_t>(count));
            return result;
        }
        if (result.size() >= (1u << 20))
            return {};
        result.resize(result.size() * 2);
    }
}

} // namespace wcl
