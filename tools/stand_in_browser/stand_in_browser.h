// The stand-in browser: registered as "iexplore.exe" by the tests of the setup's finish, it notes
// how it was started and ends at once.
#pragma once

namespace stand_in {

// Names the file that receives the record; without it the program records nothing.
inline constexpr wchar_t kBrowserRecordVariable[] = L"ORIBEL_STAND_IN_BROWSER_RECORD";

// The record is UTF-8 text, one line per start, appended: "start <command line>".
inline constexpr char kBrowserStartLine[] = "start ";

} // namespace stand_in
