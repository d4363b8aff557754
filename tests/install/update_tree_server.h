// An update server for the install run's tests: answers GET requests for the paths it was given,
// each connection on a thread of its own, so the workers' downloads run side by side. Each file can
// be held back (all but its last byte sent, the rest when the test releases it), paced, refused
// with a status, or never answered.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "wcl/socket.h"

namespace install_test {

using namespace std::chrono_literals;

struct ServedFile {
    std::string body;
    // 200 sends the body with its length; any other status a short page with it.
    int status = 200;
    // Send all but the last byte, then wait until Release.
    bool holdLastByte = false;
    // Send the body in pieces of this size (0: at once), this far apart.
    size_t pieceSize = 0;
    std::chrono::milliseconds piecePause{0};
    // Read the request and answer nothing.
    bool silent = false;
    // Close the connection when the client has taken nothing for this long (0: never), as a
    // server does with a client that stopped reading.
    std::chrono::milliseconds closeWhenStalled{0};
    // Answer every request after the first with 404.
    bool refuseAgain = false;
    // Close the connection once this many body bytes are sent (0: never), the length announced
    // being the whole body's.
    size_t closeAfter = 0;
};

class UpdateTreeServer {
public:
    explicit UpdateTreeServer(const char* address);
    // Ends every connection, held and silent ones included, and waits for their threads.
    ~UpdateTreeServer();
    UpdateTreeServer(const UpdateTreeServer&) = delete;
    UpdateTreeServer& operator=(const UpdateTreeServer&) = delete;

    // What a path answers (the query is not part of it). An unknown path answers 404.
    void Serve(const std::string& path, ServedFile file);
    // Sends the rest of a held file.
    void Release(const std::string& path);
    // Body bytes sent so far for a path, over all its connections.
    size_t BodyBytesSent(const std::string& path) const;
    // Requests received for a path.
    int RequestCount(const std::string& path) const;

private:
    void Accept();
    void Handle(SOCKET connection);
    bool ReadRequestPath(SOCKET connection, std::string& path);
    bool SendAll(SOCKET connection, const char* data, size_t size,
                 std::chrono::milliseconds closeWhenStalled = {});
    bool SendBody(SOCKET connection, const std::string& path, const ServedFile& file);
    bool WaitForRelease(SOCKET connection, const std::string& path);
    void WaitUntilClosed(SOCKET connection);

    wcl::UniqueSocket m_listener;
    std::atomic<bool> m_stop{false};
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::map<std::string, ServedFile> m_files;
    std::map<std::string, bool> m_released;
    std::map<std::string, size_t> m_sent;
    std::map<std::string, int> m_requests;
    struct Connection {
        std::thread thread;
        std::shared_ptr<std::atomic<bool>> ended;
    };
    std::list<Connection> m_connections; // touched by the accepting thread only
    std::thread m_acceptor;
};

// The version list of the fixed program set, every file in `folder`, and its request path.
std::string VersionListText(const std::string& version, const std::string& folder);
inline constexpr char kVersionListPath[] = "/update/programfiles/oribel/32/proverinfo.dat";
// The request path of a program file in `folder`.
std::string ProgramPath(const std::string& folder, const std::string& name);

} // namespace install_test
