#include <winsock2.h>
#include <ws2tcpip.h>

#include <algorithm>

#include "wcl/socket.h"
#include "wcl/wait.h"

namespace wcl {

namespace {

// Send in pieces, so that one call never hands the system more than it takes at once.
constexpr size_t kSendPiece = 64 * 1024;

struct AddrInfoTraits {
    using pointer = ADDRINFOW*;
    static pointer invalid() noexcept { return nullptr; }
    static void close(pointer info) noexcept { ::FreeAddrInfoW(info); }
};
using UniqueAddrInfo = Unique<AddrInfoTraits>;

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

ULONGLONG DeadlineAfter(std::chrono::milliseconds timeout) {
    return ::GetTickCount64() + static_cast<ULONGLONG>(std::max<long long>(timeout.count(), 0));
}

bool WouldBlock() {
    return ::WSAGetLastError() == WSAEWOULDBLOCK;
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
    Close();
    socket_.reset(::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
    event_.reset(::WSACreateEvent());
    // The event records the socket's network events; the socket is non-blocking from here on.
    if (!socket_ || !event_ ||
        ::WSAEventSelect(socket_.get(), event_.get(), FD_CONNECT | FD_READ | FD_WRITE | FD_CLOSE) ==
            SOCKET_ERROR) {
        Close();
        return false;
    }
    return true;
}

CSocket::WaitResult CSocket::WaitForEvent(ULONGLONG deadline, WSANETWORKEVENTS* events) {
    const ULONGLONG now = ::GetTickCount64();
    if (now >= deadline)
        return WaitResult::TimedOut;
    const DWORD left = WaitMilliseconds(std::chrono::milliseconds(deadline - now));
    // The stop event comes first, so a stop wins over a socket that is ready at the same time.
    const HANDLE handles[] = {stop_, event_.get()};
    const DWORD first = stop_ ? 0 : 1;
    const DWORD woken = ::WaitForMultipleObjects(2 - first, handles + first, FALSE, left);
    if (woken == WAIT_TIMEOUT)
        return WaitResult::TimedOut;
    if (stop_ && woken == WAIT_OBJECT_0)
        return WaitResult::Stopped;
    if (woken != WAIT_OBJECT_0 + 1 - first)
        return WaitResult::Failed;
    WSANETWORKEVENTS recorded = {};
    if (::WSAEnumNetworkEvents(socket_.get(), event_.get(), &recorded) == SOCKET_ERROR)
        return WaitResult::Failed;
    if (events)
        *events = recorded;
    return WaitResult::Ready;
}

bool CSocket::Connect(const std::wstring& host, unsigned short port,
                      std::chrono::milliseconds timeout) {
    sockaddr_in address;
    if (!socket_ || !ResolveIpv4(host, port, address))
        return false;
    if (::connect(socket_.get(), reinterpret_cast<const sockaddr*>(&address), sizeof(address)) !=
        SOCKET_ERROR)
        return true;
    if (!WouldBlock())
        return false;
    const ULONGLONG deadline = DeadlineAfter(timeout);
    for (;;) {
        WSANETWORKEVENTS events = {};
        if (WaitForEvent(deadline, &events) != WaitResult::Ready)
            return false;
        if (events.lNetworkEvents & FD_CONNECT)
            return events.iErrorCode[FD_CONNECT_BIT] == 0;
    }
}

bool CSocket::SetProgressTimeout(std::chrono::milliseconds timeout) {
    if (!socket_)
        return false;
    progressTimeout_ = std::max(timeout, std::chrono::milliseconds(1));
    return true;
}

bool CSocket::Send(const void* data, size_t size) {
    const auto* bytes = static_cast<const char*>(data);
    ULONGLONG deadline = DeadlineAfter(progressTimeout_);
    while (size > 0) {
        const int piece = static_cast<int>(std::min(size, kSendPiece));
        const int sent = ::send(socket_.get(), bytes, piece, 0);
        if (sent > 0) {
            bytes += sent;
            size -= static_cast<size_t>(sent);
            deadline = DeadlineAfter(progressTimeout_);
            continue;
        }
        // No room for more: wait until the system takes bytes again (or the time is up).
        if (sent == 0 || !WouldBlock() || WaitForEvent(deadline) != WaitResult::Ready)
            return false;
    }
    return true;
}

CSocket::WaitResult CSocket::WaitReadable(std::chrono::milliseconds timeout) {
    if (!socket_)
        return WaitResult::Failed;
    const ULONGLONG deadline = DeadlineAfter(timeout);
    for (;;) {
        // A look without taking the byte: an event already cleared by an earlier wait cannot
        // hide data that is there, and the look asks the system to record the next arrival.
        char probe;
        if (::recv(socket_.get(), &probe, 1, MSG_PEEK) != SOCKET_ERROR || !WouldBlock())
            return WaitResult::Ready;
        const WaitResult woken = WaitForEvent(deadline);
        if (woken != WaitResult::Ready)
            return woken;
    }
}

int CSocket::Receive(void* buffer, int size) {
    if (WaitReadable(progressTimeout_) != WaitResult::Ready)
        return SOCKET_ERROR;
    return ::recv(socket_.get(), static_cast<char*>(buffer), size, 0);
}

} // namespace wcl
