// Helpers of the update client's Windows tests: scripted HTTP servers on loopback addresses, a
// window that collects the posted progress reports, and private folders and files.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "update/update_client.h"
#include "wcl/handle.h"
#include "wcl/socket.h"

namespace test {

using namespace std::chrono_literals;

// A socket listening on address:80. Another test of the same address may still hold it (ctest
// runs tests side by side), so a taken address is tried again for a while; then it throws.
wcl::UniqueSocket Listen(const char* address, int backlog);

// Bounds lowered so that stalls fail within a fraction of a second.
UpdateClientSettings QuickSettings(const std::wstring& updateHost = L"127.0.0.1");

// One piece of an answer, sent after a pause; separate pieces arrive as separate receives.
struct Piece {
    std::string bytes;
    std::chrono::milliseconds pause{0};
};

struct Script {
    std::vector<Piece> pieces;
    // Read the request up to its blank line before answering; false leaves it unread.
    bool readRequest = true;
    // After the pieces: close the connection, or keep it open until the client closes it.
    bool close = true;
};

// An HTTP server on address, port 80, on a thread of its own, that plays its script to every
// connection it accepts, one connection after the other, until it is destroyed.
class ScriptedServer {
public:
    ScriptedServer(const char* address, Script script);
    ~ScriptedServer();
    ScriptedServer(const ScriptedServer&) = delete;
    ScriptedServer& operator=(const ScriptedServer&) = delete;

    // The requests received so far, each up to and with its blank line.
    std::vector<std::string> Requests() const;

private:
    void Run();
    void Serve(SOCKET connection);
    bool ReadRequest(SOCKET connection);
    void HoldUntilClosed(SOCKET connection);

    Script script_;
    wcl::UniqueSocket listener_;
    std::atomic<bool> stop_{false};
    mutable std::mutex mutex_;
    std::vector<std::string> requests_;
    std::thread thread_;
};

// A listening socket whose queue is full and that never accepts: a connect to its address neither
// succeeds nor is refused.
class UnansweredListener {
public:
    explicit UnansweredListener(const char* address);

private:
    wcl::UniqueSocket listener_;
    wcl::UniqueSocket queued_;
};

struct Progress {
    WPARAM item;
    LPARAM percent;
    bool operator==(const Progress&) const = default;
};
void PrintTo(const Progress& progress, std::ostream* out);

// A message-only window of the calling thread that records the WM_INSTALL_PROGRESS it receives.
class ProgressWindow {
public:
    ProgressWindow();
    ~ProgressWindow();
    ProgressWindow(const ProgressWindow&) = delete;
    ProgressWindow& operator=(const ProgressWindow&) = delete;

    HWND hwnd() const { return hwnd_; }
    // Dispatches the messages waiting for the window and returns every report received so far.
    std::vector<Progress> Reports();

private:
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    HWND hwnd_ = nullptr;
    std::vector<Progress> reports_;
};

// A private folder under the temporary folder, removed with its files when the owner goes.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::wstring& path() const { return path_; }
    std::wstring operator/(const std::wstring& name) const { return path_ + L"\\" + name; }

private:
    std::wstring path_;
};

// The answer of a server with this body: status 200 and its length.
std::string OkAnswer(const std::string& body);
// The answer with the status line and header fields given, and the blank line.
std::string Answer(const std::string& header, const std::string& body);
std::string PatternBytes(size_t size, unsigned seed = 1);

// Compares binary contents and, when they differ, tells where rather than printing them.
::testing::AssertionResult SameBytes(const std::string& actual, const std::string& expected);

bool FileExists(const std::wstring& path);
std::string ReadFileBytes(const std::wstring& path);
void WriteFileBytes(const std::wstring& path, const std::string& bytes);
// The file names in folder.
std::vector<std::wstring> FolderEntries(const std::wstring& folder);

// The body of a GET as a string, or "<null>" when it failed.
std::string Fetch(CUpdateClient& client, const std::wstring& path, const std::wstring& host,
                  int32_t item = -1, int32_t* length = nullptr);

} // namespace test
