// Parses one version-list body and checks what the client relies on: the map holds exactly the
// program files, an accepted list gives no program file a folder with a control character, the
// request paths are built for every file, and the UTF-8 decoding is exact for well-formed text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "update/version_list.h"

namespace {

void Check(bool condition) {
    if (!condition)
        std::abort();
}

std::string EncodeUtf8(const Utf16String& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF) {
            Check(i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF);
            c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
        } else {
            Check(c < 0xDC00 || c > 0xDFFF); // no lone low surrogate
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view body(reinterpret_cast<const char*>(data), size);

    const Utf16String text = DecodeUtf8(body);
    const std::string again = EncodeUtf8(text);
    if (text.find(Utf16Char(0xFFFD)) == Utf16String::npos)
        Check(again == body);

    Utf16String version;
    ProgramMap programs;
    const bool ok = ParseVersionList(body, version, programs);
    Check(programs.size() == kProgramFiles.size());
    for (std::string_view name : kProgramFiles)
        Check(programs.count(Utf16FromAscii(name)) == 1);
    if (!ok)
        return 0;
    for (const auto& entry : programs) {
        for (Utf16Char c : entry.second)
            Check(c >= 32 && c != 127 && c != ' ' && c != '\n');
    }
    std::vector<Utf16String> urls;
    AppendProgramUrls(programs, urls);
    Check(urls.size() == kProgramFiles.size());
    return 0;
}
