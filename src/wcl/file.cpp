#include <algorithm>

#include "wcl/file.h"

namespace wcl {

namespace {

// WriteFile takes a DWORD count; larger bodies go in pieces.
constexpr size_t kWritePiece = 1u << 30;

} // namespace

bool CFile::Open(const std::wstring& path, unsigned flags) {
    const DWORD access = (flags & modeWrite) ? GENERIC_WRITE : GENERIC_READ;
    const DWORD disposition = (flags & modeCreate) ? CREATE_ALWAYS : OPEN_EXISTING;
    file_.reset(::CreateFileW(path.c_str(), access, 0, nullptr, disposition, FILE_ATTRIBUTE_NORMAL,
                              nullptr));
    return IsOpen();
}

bool CFile::Write(const void* data, size_t size) {
    const auto* bytes = static_cast<const char*>(data);
    while (size > 0) {
        const auto piece = static_cast<DWORD>(std::min(size, kWritePiece));
        DWORD written = 0;
        if (!::WriteFile(file_.get(), bytes, piece, &written, nullptr) || written == 0)
            return false;
        bytes += written;
        size -= written;
    }
    return true;
}

bool CFile::Flush() {
    return ::FlushFileBuffers(file_.get()) != 0;
}

bool CFile::Close() {
    if (!file_)
        return true;
    return ::CloseHandle(file_.release()) != 0;
}

} // namespace wcl
