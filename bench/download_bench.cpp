// Downloads files side by side, one thread per file, and prints the throughput and the process's
// peak working set. bench/run-download-bench runs it against a local nginx, next to curl.
//
//   download_bench client HOST FOLDER URL...   through CUpdateClient::DownloadUrlFile into FOLDER
//   download_bench bare HOST BUFFER URL...     a bare receive loop with a BUFFER-byte buffer, the
//                                              bytes discarded: the limit of the socket layer
#include <winsock2.h>
#include <windows.h>
#include <psapi.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "update/update_client.h"
#include "wcl/socket.h"

namespace {

using Clock = std::chrono::steady_clock;

std::wstring Widen(const std::string& ascii) {
    return std::wstring(ascii.begin(), ascii.end());
}

uint64_t FileSize(const std::wstring& path) {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data))
        return 0;
    return (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// Receives one answer whole and throws it away; the server closes after it.
uint64_t BareFetch(const std::string& host, const std::string& path, size_t bufferSize) {
    wcl::CSocket socket;
    if (!socket.Create() || !socket.Connect(Widen(host), 80, std::chrono::seconds(60)) ||
        !socket.SetProgressTimeout(std::chrono::seconds(60)))
        return 0;
    const std::string request =
        "GET " + path + " HTTP/1.1\r\nHost: " + host + "\r\nConnection: close\r\n\r\n";
    if (!socket.Send(request.data(), request.size()))
        return 0;
    std::vector<char> buffer(bufferSize);
    uint64_t total = 0;
    for (;;) {
        const int count = socket.Receive(buffer.data(), static_cast<int>(buffer.size()));
        if (count <= 0)
            return count == 0 ? total : 0;
        total += static_cast<uint64_t>(count);
    }
}

void Report(const char* what, size_t files, uint64_t bytes, Clock::duration elapsed) {
    PROCESS_MEMORY_COUNTERS memory = {};
    memory.cb = sizeof(memory);
    ::GetProcessMemoryInfo(::GetCurrentProcess(), &memory, sizeof(memory));
    const double seconds = std::chrono::duration<double>(elapsed).count();
    std::printf("%-34s %zu files, %7.1f MiB in %6.3f s = %7.1f MB/s, peak working set %6.1f MiB\n",
                what, files, bytes / 1048576.0, seconds, bytes / seconds / 1e6,
                memory.PeakWorkingSetSize / 1048576.0);
}

int Usage() {
    std::fprintf(stderr, "usage: download_bench client HOST FOLDER URL...\n"
                         "       download_bench bare HOST BUFFER URL...\n");
    return 2;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 5)
        return Usage();
    const std::string mode = argv[1];
    const std::string host = argv[2];
    const std::vector<std::string> urls(argv + 4, argv + argc);
    if (!wcl::SocketInit())
        return 1;

    const std::wstring folder = Widen(argv[3]);
    std::vector<std::atomic<uint64_t>> bytes(urls.size());
    std::vector<std::thread> threads;
    const Clock::time_point start = Clock::now();
    if (mode == "client") {
        for (size_t i = 0; i < urls.size(); ++i) {
            threads.emplace_back([&, i] {
                const std::wstring url = Widen(urls[i]);
                const std::wstring path = folder + L"\\" + url.substr(url.find_last_of(L'/') + 1);
                CUpdateClient client;
                if (client.DownloadUrlFile(url, path, Widen(host), static_cast<int32_t>(i)))
                    bytes[i] = FileSize(path);
            });
        }
    } else if (mode == "bare") {
        const size_t bufferSize = std::strtoul(argv[3], nullptr, 10);
        for (size_t i = 0; i < urls.size(); ++i)
            threads.emplace_back([&, i] { bytes[i] = BareFetch(host, urls[i], bufferSize); });
    } else {
        return Usage();
    }
    for (std::thread& thread : threads)
        thread.join();
    const Clock::duration elapsed = Clock::now() - start;

    uint64_t total = 0;
    for (size_t i = 0; i < urls.size(); ++i) {
        if (bytes[i] == 0) {
            std::fprintf(stderr, "%s failed\n", urls[i].c_str());
            return 1;
        }
        total += bytes[i];
    }
    const std::string what = mode == "client"
                                 ? "DownloadUrlFile, thread per file:"
                                 : "bare receive loop, " + std::string(argv[3]) + " B buffer:";
    Report(what.c_str(), urls.size(), total, elapsed);
    return 0;
}
