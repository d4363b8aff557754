// A blocking TCP client socket over Windows Sockets, with bounds on how long it waits: a connect
// gives up after its time-out, and a send or receive that makes no progress for the progress
// time-out fails, so no caller can hang on a silent server.
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

// Prepares Windows Sockets for the calling thread. The start is process-wide: the first call makes
// it, later calls from any thread report its outcome. Sockets stay usable until the process ends.
bool SocketInit();

class CSocket {
public:
    CSocket() = default;
    CSocket(CSocket&&) noexcept = default;
    CSocket& operator=(CSocket&&) noexcept = default;

    // Makes a TCP stream socket.
    bool Create();

    // Connects to host at port. A dotted IPv4 address is used as it is; any other name is looked
    // up and its first IPv4 address used. Gives up when the connection is not made within timeout.
    bool Connect(const std::wstring& host, unsigned short port, std::chrono::milliseconds timeout);

    // Bounds every later Send and Receive: one that makes no progress for timeout fails. The
    // connection is unusable after such a failure and is to be closed.
    bool SetProgressTimeout(std::chrono::milliseconds timeout);

    // Sends all size bytes; false on an error or a stall.
    bool Send(const void* data, size_t size);

    // Receives up to size bytes: the count, 0 when the peer has closed the connection, or
    // SOCKET_ERROR on an error or a stall.
    int Receive(void* buffer, int size);

    void Close() { socket_.reset(); }
    SOCKET get() const { return socket_.get(); }

private:
    bool SetBlocking(bool blocking);
    bool WaitConnected(std::chrono::milliseconds timeout);

    UniqueSocket socket_;
};

} // namespace wcl
