#include "update/update_client.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <exception>
#include <string_view>
#include <utility>

#include "install/install_messages.h"
#include "update/http_response.h"
#include "wcl/file.h"
#include "wcl/socket.h"
#include "wcl/text.h"
#include "wcl/wait.h"
#include "wcl/work_gate.h"

namespace {

constexpr unsigned short kHttpPort = 80;
constexpr size_t kReceiveBufferSize = 8192;
constexpr wchar_t kTemporarySuffix[] = L".download";

// A full path of a file inside a folder, "X:\folder\...\name": nothing is ever written relative to
// the current folder or at the root of a drive (what a path built from a missing folder becomes).
bool IsFileInFolder(const std::wstring& path) {
    const bool drive = path.size() > 3 && ((path[0] >= L'A' && path[0] <= L'Z') ||
                                           (path[0] >= L'a' && path[0] <= L'z'));
    if (!drive || path[1] != L':' || path[2] != L'\\')
        return false;
    const size_t lastSeparator = path.find_last_of(L'\\');
    return lastSeparator > 2 && lastSeparator + 1 < path.size();
}

// The server (or the way to it) ended the connection, rather than this side giving up on it.
bool IsDroppedConnection(int error) {
    return error == WSAECONNRESET || error == WSAECONNABORTED || error == WSAENETRESET;
}

bool IsTransientRefusal(DWORD error) {
    return error == ERROR_ACCESS_DENIED || error == ERROR_SHARING_VIOLATION ||
           error == ERROR_LOCK_VIOLATION;
}

// A file that is removed when its owner goes, unless it has been kept (moved into place).
class TemporaryFile {
public:
    explicit TemporaryFile(std::wstring path) : path_(std::move(path)) {}
    ~TemporaryFile() {
        if (!kept_)
            ::DeleteFileW(path_.c_str());
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    const std::wstring& path() const { return path_; }
    void Keep() { kept_ = true; }

private:
    std::wstring path_;
    bool kept_ = false;
};

// Writes a new file with exactly these bytes and makes them durable before the file is used.
bool WriteNewFile(const std::wstring& path, const char* data, size_t size) {
    wcl::CFile file;
    return file.Open(path,
                     wcl::CFile::modeCreate | wcl::CFile::modeWrite | wcl::CFile::typeBinary) &&
           file.Write(data, size) && file.Flush() && file.Close();
}

} // namespace

CUpdateClient::CUpdateClient(UpdateClientSettings settings) : settings_(std::move(settings)) {}

std::unique_ptr<char[]> CUpdateClient::HttpGet(const std::wstring& path, const std::wstring& host,
                                               int32_t item, int32_t& length) noexcept {
    try {
        for (;;) {
            const unsigned holds = gate ? gate->HoldCount() : 0;
            bool dropped = false;
            std::unique_ptr<char[]> body = Exchange(path, host, item, length, dropped);
            if (body || !dropped || !gate || gate->HoldCount() == holds)
                return body;
            // Held meanwhile, and the server gave up on the connection: its close may wait behind
            // the bytes it had sent, so it cannot be timed. The file is asked for again, once per
            // hold, and its row starts again from 0.
            const wcl::WorkStep step(gate);
            if (!step)
                return nullptr;
            ReportProgress(item, 0);
        }
    } catch (const std::exception&) { // memory ran out
        return nullptr;
    }
}

std::unique_ptr<char[]> CUpdateClient::Exchange(const std::wstring& path, const std::wstring& host,
                                                int32_t item, int32_t& length, bool& dropped) {
    const std::string request =
        wcl::Utf16ToUtf8(L"GET " + path + L" HTTP/1.1\r\nHost: " + host + L"\r\n\r\n");
    if (!wcl::SocketInit())
        return nullptr;
    wcl::CSocket socket;
    if (!socket.Create())
        return nullptr;
    if (gate) {
        socket.SetStopEvent(gate->StopEvent());
        if (!gate->WaitWhileHeld())
            return nullptr;
    }
    if (!socket.Connect(host, kHttpPort, settings_.connectTimeout) ||
        !socket.SetProgressTimeout(settings_.progressTimeout))
        return nullptr;
    {
        const wcl::WorkStep step(gate);
        if (!step || !socket.Send(request.data(), request.size()))
            return nullptr;
    }

    HttpResponseParser answer;
    std::unique_ptr<char[]> body;
    std::array<char, kReceiveBufferSize> buffer;
    while (answer.state() == HttpResponseParser::State::Header ||
           answer.state() == HttpResponseParser::State::Body) {
        if (!AwaitAnswerBytes(socket))
            return nullptr;
        // Reading, parsing and reporting are one step: none of them happens while held.
        const wcl::WorkStep step(gate);
        if (!step)
            return nullptr;
        const int count = socket.Receive(buffer.data(), static_cast<int>(buffer.size()));
        if (count == SOCKET_ERROR) {
            dropped = IsDroppedConnection(::WSAGetLastError());
            return nullptr;
        }
        if (count == 0) {
            dropped = true; // before the answer was whole: a refused one has ended the loop
            answer.ConnectionClosed();
            break;
        }
        const HttpResponseParser::Chunk chunk =
            answer.Feed(std::string_view(buffer.data(), static_cast<size_t>(count)));
        if (chunk.headerEnded) {
            // Room for the body and a zero byte, so a text body reads as a zero-terminated string.
            // Every body byte is written before the body is handed out, so only that byte is set.
            const auto declared = static_cast<size_t>(answer.declaredLength());
            body = std::make_unique_for_overwrite<char[]>(declared + 1);
            body[declared] = '\0';
            length = answer.declaredLength();
        }
        if (!chunk.body.empty())
            std::memcpy(body.get() + chunk.bodyOffset, chunk.body.data(), chunk.body.size());
        if (chunk.reportProgress)
            ReportProgress(item, answer.percent());
    }
    if (answer.state() != HttpResponseParser::State::Complete)
        return nullptr;
    return body;
}

bool CUpdateClient::AwaitAnswerBytes(wcl::CSocket& socket) const {
    if (!gate)
        return true; // the receive waits itself
    for (;;) {
        const unsigned holds = gate->HoldCount();
        switch (socket.WaitReadable(settings_.progressTimeout)) {
        case wcl::CSocket::WaitResult::Ready:
            return true;
        case wcl::CSocket::WaitResult::TimedOut:
            if (gate->IsHeld() || gate->HoldCount() != holds)
                continue; // the server may have waited for us: the bound starts again
            return false;
        case wcl::CSocket::WaitResult::Stopped:
        case wcl::CSocket::WaitResult::Failed:
            return false;
        }
        return false;
    }
}

void CUpdateClient::ReportProgress(int32_t item, int percent) const {
    if (item == -1 || notifyWnd == nullptr)
        return;
    ::PostMessageW(notifyWnd, WM_INSTALL_PROGRESS, static_cast<WPARAM>(item),
                   static_cast<LPARAM>(percent));
}

bool CUpdateClient::LoadVersionList() noexcept {
    try {
        SYSTEMTIME now = {};
        ::GetLocalTime(&now);
        const std::wstring path = VersionListPath(now.wMonth, now.wDay, now.wHour, now.wMinute);
        int32_t length = 0;
        const std::unique_ptr<char[]> body = HttpGet(path, settings_.updateHost, -1, length);
        if (!body)
            return false;
        return ParseVersionList(std::string_view(body.get(), static_cast<size_t>(length)), version,
                                programs);
    } catch (const std::exception&) {
        return false;
    }
}

void CUpdateClient::BuildUrlList() {
    AppendProgramUrls(programs, urlList);
}

bool CUpdateClient::DownloadUrlFile(const std::wstring& url, const std::wstring& localPath,
                                    const std::wstring& host, int32_t item) noexcept {
    try {
        if (!IsFileInFolder(localPath))
            return false;
        int32_t length = 0;
        std::unique_ptr<char[]> body = HttpGet(url, host, item, length);
        if (!body)
            return false;
        // A held transfer writes nothing until released; a stopped one leaves the old file.
        if (gate && !gate->WaitWhileHeld())
            return false;
        TemporaryFile temporary(localPath + kTemporarySuffix);
        if (!WriteNewFile(temporary.path(), body.get(), static_cast<size_t>(length)))
            return false;
        body.reset();
        if ((gate && gate->IsStopped()) || !ReplaceFile(temporary.path(), localPath))
            return false;
        temporary.Keep();
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

bool CUpdateClient::ReplaceFile(const std::wstring& from, const std::wstring& to) const {
    for (int attempt = 0;; ++attempt) {
        if (::MoveFileExW(from.c_str(), to.c_str(),
                          MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
            return true;
        if (!IsTransientRefusal(::GetLastError()) || attempt >= settings_.replaceRetries)
            return false;
        ::Sleep(wcl::WaitMilliseconds(settings_.replaceRetryDelay));
    }
}
