// UTF-8 / UTF-16 conversion and printf-style formatting of UTF-16 text.
#pragma once

#include <string>
#include <string_view>

namespace wcl {

// Converts UTF-8 to UTF-16 with the system converter; invalid sequences become U+FFFD.
std::wstring Utf8ToUtf16(std::string_view utf8);

// Converts UTF-16 to UTF-8 with the system converter.
std::string Utf16ToUtf8(std::wstring_view utf16);

// printf-style formatting into a UTF-16 string. The format is always a literal of the program;
// wide text arguments are written %ls (the C meaning of %s depends on the runtime's stdio).
std::wstring Format(const wchar_t* format, ...);

} // namespace wcl
