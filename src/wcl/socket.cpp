#include <winsock2.h>
#include <ws2tcpip.h>

#include <algorithm>

#include "wcl/socket.h"

namespace wcl {

namespace {

// Send in pieces, so the progress bound applies to each piece rather than to the whole.
constexpr size_t kSendPiece = 64 * 1024;

struct AddrInfoTraits {
    using pointer = ADDRINFOW*;
    static pointer invalid() noexcept { return nullptr; }
    static void close(pointer info) noexcept { ::FreeAddrInfoW(info); }
};
using UniqueAddrInfo = Unique<AddrInfoTraits>;

// Socket time-outs are DWORD milliseconds where 0 means "wait forever": keep them at least 1.
DWORD TimeoutMilliseconds(std::chrono::milliseconds timeout) {
    const auto ms = std::clamp<long long>(timeout.count(), 1, MAXDWORD - 1);
    return static_cast<DWORD>(ms);
}

bool ResolveIpv4(const std::wstring& host, unsigned short port, sockaddr_in& address) {
    address = {};
    address.sin_family = AF_INET;
    address.sin_port = ::htons(port);
    if (::InetPtonW(AF_INET, host.c_str(), &address.sin_addr) == 1)
        return true;
    ADDRINFOW hints = {};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    UniqueAddrInfo found;
    if (::GetAddrInfoW(host.c_str(), nullptr, &hints, found.put()) != 0 || !found)
        return false;
    const auto* first = reinterpret_cast<const sockaddr_in*>(found.get()->ai_addr);
    address.sin_addr = first->sin_addr;
    return true;
}

} // namespace

bool SocketInit() {
    static const bool started = [] {
        WSADATA data = {};
        return ::WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return started;
}

bool CSocket::Create() {
    socket_.reset(::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
    return static_cast<bool>(socket_);
}

bool CSocket::Connect(const std::wstring& host, unsigned short port,
                      std::chrono::milliseconds timeout) {
    sockaddr_in address;
    if (!socket_ || !ResolveIpv4(host, port, address))
        return false;
    // Connect without blocking and wait for the outcome with a bound, then block again for the
    // exchange.
    if (!SetBlocking(false))
        return false;
    if (::connect(socket_.get(), reinterpret_cast<const sockaddr*>(&address), sizeof(address)) ==
        SOCKET_ERROR) {
        if (::WSAGetLastError() != WSAEWOULDBLOCK || !WaitConnected(timeout))
            return false;
    }
    return SetBlocking(true);
}

bool CSocket::WaitConnected(std::chrono::milliseconds timeout) {
    fd_set writable;
    fd_set failed;
    FD_ZERO(&writable);
    FD_ZERO(&failed);
    FD_SET(socket_.get(), &writable);
    FD_SET(socket_.get(), &failed);
    const auto ms = std::max<long long>(timeout.count(), 0);
    timeval wait = {static_cast<long>(ms / 1000), static_cast<long>(ms % 1000 * 1000)};
    if (::select(0, nullptr, &writable, &failed, &wait) <= 0) // 0: timed out
        return false;
    if (FD_ISSET(socket_.get(), &failed))
        return false;
    int error = 0;
    int size = sizeof(error);
    return ::getsockopt(socket_.get(), SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error),
                        &size) == 0 &&
           error == 0;
}

bool CSocket::SetBlocking(bool blocking) {
    u_long nonBlocking = blocking ? 0 : 1;
    return ::ioctlsocket(socket_.get(), FIONBIO, &nonBlocking) == 0;
}

bool CSocket::SetProgressTimeout(std::chrono::milliseconds timeout) {
    const DWORD ms = TimeoutMilliseconds(timeout);
    const auto* value = reinterpret_cast<const char*>(&ms);
    return ::setsockopt(socket_.get(), SOL_SOCKET, SO_RCVTIMEO, value, sizeof(ms)) == 0 &&
           ::setsockopt(socket_.get(), SOL_SOCKET, SO_SNDTIMEO, value, sizeof(ms)) == 0;
}

bool CSocket::Send(const void* data, size_t size) {
    const auto* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const int piece = static_cast<int>(std::min(size, kSendPiece));
        const int sent = ::send(socket_.get(), bytes, piece, 0);
        if (sent == SOCKET_ERROR || sent <= 0)
            return false;
        bytes += sent;
        size -= static_cast<size_t>(sent);
    }
    return true;
}

int CSocket::Receive(void* buffer, int size) {
    return ::recv(socket_.get(), static_cast<char*>(buffer), size, 0);
}

} // namespace wcl
