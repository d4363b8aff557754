// A TCP client socket over Windows Sockets, with bounds on how long it waits: a connect gives up
// after its time-out, and a send or receive that makes no progress for the progress time-out
// fails, so no caller can hang on a silent server. Every wait also ends when the socket's stop
// event (if one is given) is signalled, so another thread can call off a transfer under way
// without touching the socket itself.
#pragma once

#include <winsock2.h>

#include <chrono>
#include <cstddef>
#include <string>

#include "wcl/unique.h"

namespace wcl {

struct SocketTraits {
    using pointer = SOCKET;
    static pointer invalid() noexcept { return INVALID_SOCKET; }
    static void close(pointer s) noexcept { ::closesocket(s); }
};
using UniqueSocket = Unique<SocketTraits>;

struct SocketEventTraits {
    using pointer = WSAEVENT;
    static pointer invalid() noexcept { return WSA_INVALID_EVENT; }
    static void close(pointer e) noexcept { ::WSACloseEvent(e); }
};
using UniqueSocketEvent = Unique<SocketEventTraits>;

// Prepares Windows Sockets for the calling thread. The start is process-wide: the first call makes
// it, later calls from any thread report its outcome. Sockets stay usable until the process ends.
bool SocketInit();

class CSocket {
public:
    enum class WaitResult { Ready, TimedOut, Stopped, Failed };

    CSocket() = default;
    CSocket(CSocket&&) noexcept = default;
    CSocket& operator=(CSocket&&) noexcept = default;

    // Makes a TCP stream socket. Its calls wait on an event of their own; the socket never blocks
    // the calling thread beyond the bounds below.
    bool Create();

    // Every later wait also ends, as a failure, when `stop` (a manual-reset event, owned by the
    // caller and kept alive while the socket is used) is signalled.
    void SetStopEvent(HANDLE stop) noexcept { stop_ = stop; }

    // Connects to host at port. A dotted IPv4 address is used as it is; any other name is looked
    // up and its first IPv4 address used. Gives up when the connection is not made within timeout.
    bool Connect(const std::wstring& host, unsigned short port, std::chrono::milliseconds timeout);

    // Bounds every later Send and Receive: one that makes no progress for timeout fails. The
    // connection is unusable after such a failure and is to be closed.
    bool SetProgressTimeout(std::chrono::milliseconds timeout);

    // Sends all size bytes; false on an error, a stall or a stop.
    bool Send(const void* data, size_t size);

    // Waits up to timeout until a Receive would return at once (data, the peer's close or an
    // error), without reading anything.
    WaitResult WaitReadable(std::chrono::milliseconds timeout);

    // Receives up to size bytes: the count, 0 when the peer has closed the connection, or
    // SOCKET_ERROR on an error, a stall or a stop.
    int Receive(void* buffer, int size);

    void Close() {
        socket_.reset();
        event_.reset();
    }
    SOCKET get() const { return socket_.get(); }

private:
    // Waits for the socket's event (its network events then cleared), the stop event or the
    // deadline.
    WaitResult WaitForEvent(ULONGLONG deadline, WSANETWORKEVENTS* events = nullptr);

    UniqueSocket socket_;
    UniqueSocketEvent event_;
    HANDLE stop_ = nullptr;
    std::chrono::milliseconds progressTimeout_{60000};
};

} // namespace wcl
