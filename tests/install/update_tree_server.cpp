#include "update_tree_server.h"

#include "update/test_support.h"

#include <algorithm>

namespace install_test {

namespace {

// Waits up to 50 ms for the socket; the caller checks its stop flag in between.
bool Ready(SOCKET s, bool forWriting) {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(s, &set);
    timeval wait = {0, 50000};
    return ::select(0, forWriting ? nullptr : &set, forWriting ? &set : nullptr, nullptr, &wait) >
           0;
}

// True once the client has closed the connection (or it failed); the request was read whole, so
// anything else readable is a new request, which is left alone.
bool ClosedByClient(SOCKET s) {
    if (!Ready(s, false))
        return false;
    char probe;
    const int count = ::recv(s, &probe, 1, MSG_PEEK);
    return count == 0 || (count < 0 && ::WSAGetLastError() != WSAEWOULDBLOCK);
}

std::string Header(int status, size_t length) {
    return "HTTP/1.1 " + std::to_string(status) + (status == 200 ? " OK" : " Refused") +
           "\r\nContent-Length: " + std::to_string(length) + "\r\n\r\n";
}

} // namespace

std::string VersionListText(const std::string& version, const std::string& folder) {
    std::string text = version;
    for (const char* name : {"ORIBEL.exe", "ORIBELUninstaller.exe", "ORIBELUpdater.exe",
                             "ORIBELWeb.dll", "ORIBELKit.dll"})
        text += "\nx " + folder + " " + name;
    return text;
}

std::string ProgramPath(const std::string& folder, const std::string& name) {
    return "/update/programfiles/oribel/32/" + folder + "/" + name;
}

UpdateTreeServer::UpdateTreeServer(const char* address) : m_listener(test::Listen(address, 16)) {
    m_acceptor = std::thread([this] { Accept(); });
}

UpdateTreeServer::~UpdateTreeServer() {
    {
        std::lock_guard<std::mutex> hold(m_mutex);
        m_stop = true;
    }
    m_changed.notify_all();
    m_acceptor.join();
    for (Connection& connection : m_connections)
        connection.thread.join();
}

void UpdateTreeServer::Serve(const std::string& path, ServedFile file) {
    std::lock_guard<std::mutex> hold(m_mutex);
    m_files[path] = std::move(file);
}

void UpdateTreeServer::Release(const std::string& path) {
    {
        std::lock_guard<std::mutex> hold(m_mutex);
        m_released[path] = true;
    }
    m_changed.notify_all();
}

size_t UpdateTreeServer::BodyBytesSent(const std::string& path) const {
    std::lock_guard<std::mutex> hold(m_mutex);
    const auto found = m_sent.find(path);
    return found == m_sent.end() ? 0 : found->second;
}

int UpdateTreeServer::RequestCount(const std::string& path) const {
    std::lock_guard<std::mutex> hold(m_mutex);
    const auto found = m_requests.find(path);
    return found == m_requests.end() ? 0 : found->second;
}

// A thread's handle stays open until it is joined: ended connections are joined as the server
// goes on, so the process's handles tell what the client under test holds.
void UpdateTreeServer::Accept() {
    while (!m_stop) {
        m_connections.remove_if([](Connection& connection) {
            if (!*connection.ended)
                return false;
            connection.thread.join();
            return true;
        });
        if (!Ready(m_listener.get(), false))
            continue;
        const SOCKET accepted = ::accept(m_listener.get(), nullptr, nullptr);
        if (accepted == INVALID_SOCKET)
            continue;
        auto ended = std::make_shared<std::atomic<bool>>(false);
        m_connections.push_back({std::thread([this, accepted, ended] {
                                     {
                                         const wcl::UniqueSocket owned(accepted);
                                         Handle(accepted);
                                     }
                                     *ended = true;
                                 }),
                                 ended});
    }
}

void UpdateTreeServer::Handle(SOCKET connection) {
    u_long nonBlocking = 1;
    ::ioctlsocket(connection, FIONBIO, &nonBlocking);
    std::string path;
    if (!ReadRequestPath(connection, path))
        return;
    ServedFile file;
    bool known = false;
    int requests = 0;
    {
        std::lock_guard<std::mutex> hold(m_mutex);
        requests = ++m_requests[path];
        const auto found = m_files.find(path);
        known = found != m_files.end();
        if (known)
            file = found->second;
    }
    if (!known || (file.refuseAgain && requests > 1))
        file.status = 404;
    if (file.silent) {
        WaitUntilClosed(connection);
        return;
    }
    const std::string body = file.status == 200 ? file.body : "<html>refused</html>";
    const std::string header = Header(file.status, body.size());
    if (!SendAll(connection, header.data(), header.size()))
        return;
    file.body = body;
    if (SendBody(connection, path, file))
        WaitUntilClosed(connection); // kept open, as an HTTP/1.1 server does
}

bool UpdateTreeServer::ReadRequestPath(SOCKET connection, std::string& path) {
    std::string request;
    while (request.find("\r\n\r\n") == std::string::npos) {
        if (m_stop)
            return false;
        if (!Ready(connection, false))
            continue;
        char buffer[4096];
        const int count = ::recv(connection, buffer, sizeof(buffer), 0);
        if (count <= 0)
            return false;
        request.append(buffer, static_cast<size_t>(count));
    }
    // "GET <path>[?query] HTTP/1.1"
    const size_t start = request.find(' ') + 1;
    const size_t end = request.find_first_of(" ?", start);
    path = request.substr(start, end - start);
    return true;
}

bool UpdateTreeServer::SendAll(SOCKET connection, const char* data, size_t size,
                               std::chrono::milliseconds closeWhenStalled) {
    auto progress = std::chrono::steady_clock::now();
    while (size > 0) {
        if (m_stop)
            return false;
        if (closeWhenStalled.count() > 0 &&
            std::chrono::steady_clock::now() - progress > closeWhenStalled)
            return false; // the connection is closed with what the client has not taken
        if (!Ready(connection, true))
            continue;
        const int sent =
            ::send(connection, data, static_cast<int>(std::min<size_t>(size, 65536)), 0);
        if (sent <= 0) {
            if (::WSAGetLastError() == WSAEWOULDBLOCK)
                continue;
            return false;
        }
        data += sent;
        size -= static_cast<size_t>(sent);
        progress = std::chrono::steady_clock::now();
    }
    return true;
}

bool UpdateTreeServer::SendBody(SOCKET connection, const std::string& path,
                                const ServedFile& file) {
    const std::string& body = file.body;
    const size_t held = file.holdLastByte && !body.empty() ? 1 : 0;
    const size_t piece = file.pieceSize ? file.pieceSize : body.size();
    size_t offset = 0;
    const auto send = [&](size_t size) {
        if (!SendAll(connection, body.data() + offset, size, file.closeWhenStalled))
            return false;
        offset += size;
        std::lock_guard<std::mutex> hold(m_mutex);
        m_sent[path] += size;
        return true;
    };
    if (file.closeAfter > 0 && file.closeAfter < body.size()) {
        send(file.closeAfter);
        return false; // closed midway: the rest is never sent
    }
    while (offset < body.size() - held) {
        if (offset > 0 && file.piecePause.count() > 0) {
            std::unique_lock<std::mutex> hold(m_mutex);
            if (m_changed.wait_for(hold, file.piecePause, [this] { return m_stop.load(); }))
                return false;
        }
        if (!send(std::min(piece, body.size() - held - offset)))
            return false;
    }
    return held == 0 || (WaitForRelease(connection, path) && send(held));
}

// Until the test releases the path; a client that goes meanwhile ends the wait.
bool UpdateTreeServer::WaitForRelease(SOCKET connection, const std::string& path) {
    for (;;) {
        {
            std::unique_lock<std::mutex> hold(m_mutex);
            if (m_changed.wait_for(hold, 50ms, [&] { return m_stop || m_released[path]; }))
                return !m_stop;
        }
        if (ClosedByClient(connection))
            return false;
    }
}

void UpdateTreeServer::WaitUntilClosed(SOCKET connection) {
    while (!m_stop) {
        if (!Ready(connection, false))
            continue;
        char buffer[4096];
        const int count = ::recv(connection, buffer, sizeof(buffer), 0);
        if (count == 0 || (count < 0 && ::WSAGetLastError() != WSAEWOULDBLOCK))
            return;
    }
}

} // namespace install_test
