#include "test_support.h"

#include <ws2tcpip.h>

#include <gtest/gtest.h>

#include <ostream>
#include <stdexcept>

#include "install/install_messages.h"

namespace test {

namespace {

sockaddr_in Loopback(const char* address) {
    sockaddr_in where = {};
    where.sin_family = AF_INET;
    where.sin_port = ::htons(80);
    ::inet_pton(AF_INET, address, &where.sin_addr);
    return where;
}

// Waits up to 50 ms for the socket to become readable; the caller checks its stop flag between.
bool Readable(SOCKET s) {
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(s, &readable);
    timeval wait = {0, 50000};
    return ::select(0, &readable, nullptr, nullptr, &wait) > 0;
}

constexpr wchar_t kProgressWindowClass[] = L"OribelTestProgressWindow";

struct FindTraits {
    using pointer = HANDLE;
    static pointer invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void close(pointer search) noexcept { ::FindClose(search); }
};

} // namespace

// Binds address:80 and listens. Another test of the same address may still hold it (ctest runs
// tests side by side), so a taken address is tried again for a while.
wcl::UniqueSocket Listen(const char* address, int backlog) {
    if (!wcl::SocketInit())
        throw std::runtime_error("no sockets");
    const sockaddr_in where = Loopback(address);
    for (int attempt = 0; attempt < 200; ++attempt) {
        wcl::UniqueSocket listener(::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
        if (::bind(listener.get(), reinterpret_cast<const sockaddr*>(&where), sizeof(where)) == 0 &&
            ::listen(listener.get(), backlog) == 0)
            return listener;
        ::Sleep(50);
    }
    throw std::runtime_error(std::string("cannot listen on ") + address + ":80");
}

UpdateClientSettings QuickSettings(const std::wstring& updateHost) {
    UpdateClientSettings settings;
    settings.updateHost = updateHost;
    settings.connectTimeout = 400ms;
    settings.progressTimeout = 400ms;
    settings.replaceRetryDelay = 100ms;
    return settings;
}

ScriptedServer::ScriptedServer(const char* address, Script script)
    : script_(std::move(script)), listener_(Listen(address, 8)) {
    thread_ = std::thread([this] { Run(); });
}

ScriptedServer::~ScriptedServer() {
    stop_ = true;
    thread_.join();
}

std::vector<std::string> ScriptedServer::Requests() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
}

void ScriptedServer::Run() {
    while (!stop_) {
        if (!Readable(listener_.get()))
            continue;
        wcl::UniqueSocket connection(::accept(listener_.get(), nullptr, nullptr));
        if (connection)
            Serve(connection.get());
    }
}

void ScriptedServer::Serve(SOCKET connection) {
    const BOOL noDelay = TRUE;
    ::setsockopt(connection, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&noDelay),
                 sizeof(noDelay));
    if (script_.readRequest && !ReadRequest(connection))
        return;
    for (const Piece& piece : script_.pieces) {
        ::Sleep(static_cast<DWORD>(piece.pause.count()));
        if (::send(connection, piece.bytes.data(), static_cast<int>(piece.bytes.size()), 0) !=
            static_cast<int>(piece.bytes.size()))
            return;
    }
    if (!script_.close)
        HoldUntilClosed(connection);
    ::shutdown(connection, SD_SEND);
}

bool ScriptedServer::ReadRequest(SOCKET connection) {
    std::string request;
    while (!stop_ && request.find("\r\n\r\n") == std::string::npos) {
        if (!Readable(connection))
            continue;
        char buffer[4096];
        const int count = ::recv(connection, buffer, sizeof(buffer), 0);
        if (count <= 0)
            return false;
        request.append(buffer, static_cast<size_t>(count));
    }
    std::lock_guard<std::mutex> lock(mutex_);
    requests_.push_back(request);
    return true;
}

void ScriptedServer::HoldUntilClosed(SOCKET connection) {
    while (!stop_) {
        if (!Readable(connection))
            continue;
        char buffer[4096];
        if (::recv(connection, buffer, sizeof(buffer), 0) <= 0)
            return;
    }
}

UnansweredListener::UnansweredListener(const char* address) : listener_(Listen(address, 0)) {
    // A backlog of 0 queues one connection; with it queued, further connection requests are
    // dropped unanswered.
    queued_.reset(::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
    u_long nonBlocking = 1;
    ::ioctlsocket(queued_.get(), FIONBIO, &nonBlocking);
    const sockaddr_in where = Loopback(address);
    ::connect(queued_.get(), reinterpret_cast<const sockaddr*>(&where), sizeof(where));
    fd_set writable;
    FD_ZERO(&writable);
    FD_SET(queued_.get(), &writable);
    timeval wait = {5, 0};
    if (::select(0, nullptr, &writable, nullptr, &wait) != 1)
        throw std::runtime_error("the queued connection was not made");
}

void PrintTo(const Progress& progress, std::ostream* out) {
    *out << "(item " << progress.item << ", " << progress.percent << "%)";
}

ProgressWindow::ProgressWindow() {
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kProgressWindowClass;
    ::RegisterClassExW(&windowClass); // a second registration fails harmlessly
    hwnd_ = ::CreateWindowExW(0, kProgressWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                              windowClass.hInstance, this);
    if (!hwnd_)
        throw std::runtime_error("no progress window");
}

ProgressWindow::~ProgressWindow() {
    ::DestroyWindow(hwnd_);
}

std::vector<Progress> ProgressWindow::Reports() {
    MSG message;
    while (::PeekMessageW(&message, hwnd_, 0, 0, PM_REMOVE))
        ::DispatchMessageW(&message);
    return reports_;
}

LRESULT CALLBACK ProgressWindow::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                            reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<ProgressWindow*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (self && message == WM_INSTALL_PROGRESS) {
        self->reports_.push_back({wParam, lParam});
        return 0;
    }
    return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

TempFolder::TempFolder() {
    static std::atomic<int> counter{0};
    wchar_t base[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, base);
    path_ = std::wstring(base) + L"oribel-test-" + std::to_wstring(::GetCurrentProcessId()) + L"-" +
            std::to_wstring(counter++);
    if (!::CreateDirectoryW(path_.c_str(), nullptr))
        throw std::runtime_error("no temporary folder");
}

TempFolder::~TempFolder() {
    for (const std::wstring& name : FolderEntries(path_))
        ::DeleteFileW((*this / name).c_str());
    ::RemoveDirectoryW(path_.c_str());
}

std::string OkAnswer(const std::string& body) {
    return Answer("HTTP/1.1 200 OK\r\nServer: test\r\nContent-Length: " +
                      std::to_string(body.size()) + "\r\nConnection: keep-alive",
                  body);
}

std::string Answer(const std::string& header, const std::string& body) {
    return header + "\r\n\r\n" + body;
}

std::string PatternBytes(size_t size, unsigned seed) {
    std::string bytes(size, '\0');
    for (char& c : bytes) {
        seed = seed * 1103515245u + 12345u;
        c = static_cast<char>(seed >> 16);
    }
    return bytes;
}

::testing::AssertionResult SameBytes(const std::string& actual, const std::string& expected) {
    if (actual == expected)
        return ::testing::AssertionSuccess();
    size_t at = 0;
    while (at < actual.size() && at < expected.size() && actual[at] == expected[at])
        ++at;
    return ::testing::AssertionFailure() << actual.size() << " bytes where " << expected.size()
                                         << " were expected, first difference at offset " << at;
}

bool FileExists(const std::wstring& path) {
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::string ReadFileBytes(const std::wstring& path) {
    wcl::UniqueFileHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                             OPEN_EXISTING, 0, nullptr));
    if (!file)
        return "<missing>";
    std::string bytes;
    char buffer[65536];
    DWORD count = 0;
    while (::ReadFile(file.get(), buffer, sizeof(buffer), &count, nullptr) && count > 0)
        bytes.append(buffer, count);
    return bytes;
}

void WriteFileBytes(const std::wstring& path, const std::string& bytes) {
    wcl::UniqueFileHandle file(
        ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    if (!file ||
        !::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr))
        throw std::runtime_error("cannot write a test file");
}

std::vector<std::wstring> FolderEntries(const std::wstring& folder) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    const wcl::Unique<FindTraits> search(::FindFirstFileW((folder + L"\\*").c_str(), &found));
    if (!search)
        return names;
    do {
        const std::wstring name = found.cFileName;
        if (name != L"." && name != L"..")
            names.push_back(name);
    } while (::FindNextFileW(search.get(), &found));
    return names;
}

std::string Fetch(CUpdateClient& client, const std::wstring& path, const std::wstring& host,
                  int32_t item, int32_t* length) {
    int32_t declared = -7;
    const std::unique_ptr<char[]> body = client.HttpGet(path, host, item, declared);
    if (length)
        *length = declared;
    if (!body)
        return "<null>";
    EXPECT_EQ(body[static_cast<size_t>(declared)], '\0') << "the body ends with a zero byte";
    return std::string(body.get(), static_cast<size_t>(declared));
}

} // namespace test
