// A disk file opened for the program's own writing: created (or emptied), binary, shared with
// nobody while it is open, closed when the owner goes.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

#include "wcl/handle.h"

namespace wcl {

class CFile {
public:
    enum OpenFlags : unsigned {
        modeWrite = 0x0001,  // write only (without it: read only)
        modeCreate = 0x1000, // create the file, or empty it when it exists
        typeBinary = 0x8000, // bytes as they are (the only kind of file there is here)
    };

    CFile() = default;

    // Opens path with a combination of OpenFlags. The file is shared with nobody while it is open.
    bool Open(const std::wstring& path, unsigned flags);

    // Writes all size bytes; false when the system wrote less (a full disk, for example).
    bool Write(const void* data, size_t size);

    // Makes the written bytes durable before the file is used in place of another.
    bool Flush();

    bool Close();
    bool IsOpen() const { return static_cast<bool>(file_); }

private:
    UniqueFileHandle file_;
};

} // namespace wcl
