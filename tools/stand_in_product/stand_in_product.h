// What the stand-in product program understands and reports. It plays a running ORIBEL for the
// tests of the setup: a main window titled like the product's, which ends the process when it is
// asked to close, and switches for the ways a real product can misbehave. Tests include this
// header to start it and to read what it recorded.
#pragma once

namespace stand_in {

// Main window title and close request, as the setup expects of the product.
inline constexpr wchar_t kWindowTitle[] = L"ORIBEL - MainProcess";
inline constexpr unsigned kCloseMessage = 4031;

// Exit code of a stand-in that ended itself on the close request; a process ended by force by the
// setup has exit code 0, so the two are told apart.
inline constexpr unsigned kExitCodeClosedItself = 4031;

// Switches. Unknown arguments (the product's own, such as "ShowTray") are ignored.
inline constexpr wchar_t kIgnoreClose[] = L"--ignore-close"; // the close request changes nothing
inline constexpr wchar_t kHang[] = L"--hang"; // the window thread blocks on the request
inline constexpr wchar_t kCloseDelay[] = L"--close-delay="; // milliseconds between request and end
inline constexpr wchar_t kNoWindow[] = L"--no-window";      // no window at all; runs until ended
inline constexpr wchar_t kProtect[] = L"--protect";         // others may not open it to end it
inline constexpr wchar_t kRecord[] = L"--record=";          // file that receives the record

// Names the record file when the switch is absent, for starts whose arguments the test does not
// choose (the start at the end of the setup, the logon entry).
inline constexpr wchar_t kRecordVariable[] = L"ORIBEL_STAND_IN_RECORD";

// The record is UTF-8 text, one line per event, appended, so several starts can share a file:
//   "start <command line>"            when the process starts
//   "folder <current folder>"         right after the start line, in the same write
//   "message 4031 <wParam> <lParam>"  when the window receives the close request (decimal)
inline constexpr char kStartLine[] = "start ";
inline constexpr char kFolderLine[] = "folder ";
inline constexpr char kMessageLine[] = "message 4031 ";

} // namespace stand_in
