// The update-server client: the product version and program map learnt from the version list, the
// request paths of the program files, one HTTP GET, and the download of one file to disk.
#pragma once

#include <windows.h>

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "oribel_config.h"
#include "update/version_list.h"

namespace wcl {
class CSocket;
class CWorkGate;
} // namespace wcl

static_assert(std::is_same_v<Utf16String, std::wstring>, "the parsers' text is Win32 text");

// Where a client connects and how long it waits. The defaults are the setup's own; tests lower the
// bounds and point the version list at a server of their own.
struct UpdateClientSettings {
    // Host of the version list; program files are fetched from the host their caller names.
    std::wstring updateHost = oribel::kUpdateHost;
    // A connection not made within this bound fails the request.
    std::chrono::milliseconds connectTimeout{60000};
    // A send or receive that makes no progress for this long fails the request.
    std::chrono::milliseconds progressTimeout{60000};
    // A replaced file that another process briefly holds (a virus scanner) is tried again this
    // many times, this far apart.
    int replaceRetries = 4;
    std::chrono::milliseconds replaceRetryDelay{1000};
};

class CUpdateClient {
public:
    explicit CUpdateClient(UpdateClientSettings settings = {});

    // The first line of the version list; empty until a list has been loaded.
    std::wstring version;
    // File name to server folder, one entry per program file.
    std::map<std::wstring, std::wstring> programs;
    // Request path of each program file, in the order of programs.
    std::vector<std::wstring> urlList;
    // Receives WM_INSTALL_PROGRESS while a body arrives; not owned.
    HWND notifyWnd = nullptr;
    // When set (not owned), a request runs in steps through this gate: it neither connects, sends,
    // reads nor reports while the gate is held (time held does not count against the progress
    // bound), and it fails at once, whatever it is waiting for, when the gate is stopped. A
    // connection that the server ends after a hold is made again, once per hold, from the start.
    wcl::CWorkGate* gate = nullptr;

    // One GET of path from host, port 80. Returns the body followed by one zero byte, with its
    // length in length, or null when the request failed in any way (no connection, a status other
    // than 200, no positive length, a short body, a stall, memory). Unless item is -1, each body
    // chunk after the header's chunk posts WM_INSTALL_PROGRESS (item, whole percent) to notifyWnd.
    std::unique_ptr<char[]> HttpGet(const std::wstring& path, const std::wstring& host,
                                    int32_t item, int32_t& length) noexcept;

    // Fetches and parses the version list into version and programs. False when it cannot be
    // fetched (nothing changes) or parsed.
    bool LoadVersionList() noexcept;

    // Appends the request path of every program file to urlList.
    void BuildUrlList();

    // Fetches url from host and puts the body in place of the file localPath (a full path in a
    // folder, never at the root of a drive). The body goes to a temporary file beside it first, so
    // on any failure an existing file keeps its old content.
    bool DownloadUrlFile(const std::wstring& url, const std::wstring& localPath,
                         const std::wstring& host, int32_t item) noexcept;

    const UpdateClientSettings& settings() const { return settings_; }

private:
    // One attempt; `dropped` tells a connection the server ended before the answer was whole.
    std::unique_ptr<char[]> Exchange(const std::wstring& path, const std::wstring& host,
                                     int32_t item, int32_t& length, bool& dropped);
    // Waits until the answer has bytes to read; a stall while the gate was held is no failure.
    bool AwaitAnswerBytes(wcl::CSocket& socket) const;
    void ReportProgress(int32_t item, int percent) const;
    bool ReplaceFile(const std::wstring& from, const std::wstring& to) const;

    UpdateClientSettings settings_;
};
