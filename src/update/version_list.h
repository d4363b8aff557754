// The version list "proverinfo.dat" and the request paths built from it, in plain C++ so that the
// native sanitizer build tests and fuzzes it.
//
// The list is UTF-8 text, read up to its first zero byte, lines separated by a single line feed.
// Line 1 is the product version, whole. Every further line holds space-separated fields: the first
// is not interpreted, the second is a folder on the server, the third a file name; a line whose
// file name is one of the program files gives that file its folder (the last such line wins), any
// other line changes nothing. No line may be empty, so the text ends without a line break.
#pragma once

#include <array>
#include <map>
#include <string>
#include <string_view>
#include <type_traits>
#include <vector>

// UTF-16 text: wchar_t where it is 16 bits wide (Windows), so the client's strings are the Win32
// ones; char16_t in the native build.
using Utf16Char = std::conditional_t<sizeof(wchar_t) == 2, wchar_t, char16_t>;
using Utf16String = std::basic_string<Utf16Char>;
using Utf16View = std::basic_string_view<Utf16Char>;

// File name to server folder, ordered by UTF-16 code units, case-sensitive.
using ProgramMap = std::map<Utf16String, Utf16String>;

// The program files of the product, the only keys a program map holds.
inline constexpr std::array<std::string_view, 5> kProgramFiles = {
    "ORIBEL.exe", "ORIBELUninstaller.exe", "ORIBELUpdater.exe", "ORIBELWeb.dll", "ORIBELKit.dll"};

// UTF-8 to UTF-16: every character kept, a byte-order mark included; each maximal ill-formed part
// becomes one U+FFFD (the Unicode recommended practice; the system converter agrees on well-formed
// text, though it may count replacements differently).
Utf16String DecodeUtf8(std::string_view utf8);

// ASCII text (the program's own literals) as UTF-16.
Utf16String Utf16FromAscii(std::string_view ascii);

// Parses the version-list body into version and programs. programs is reset to the program files
// with empty folders first; a failure part-way leaves what the lines before it set. Returns false
// for an empty line, and for a line that would give a program file a folder holding a control
// character (below 32, or 127), which must never reach a request line.
bool ParseVersionList(std::string_view body, Utf16String& version, ProgramMap& programs);

// Appends one request path per map entry, in map order: "/update/programfiles/oribel/32/" followed
// by the folder, "/" and the file name (an empty folder leaves two slashes).
void AppendProgramUrls(const ProgramMap& programs, std::vector<Utf16String>& urls);

// The request path of the version list with its time stamp: month, day, hour and minute, two
// digits each.
Utf16String VersionListPath(int month, int day, int hour, int minute);
