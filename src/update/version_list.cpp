#include "update/version_list.h"

#include <utility>

namespace {

constexpr Utf16Char kReplacement = 0xFFFD;
// The product's folder on the update server: the version list and the program-file folders.
constexpr std::string_view kServerFolder = "/update/programfiles/oribel/32";
constexpr std::string_view kVersionListName = "proverinfo.dat";

struct LeadByte {
    int continuations; // bytes that follow
    unsigned char low; // range of the first continuation byte
    unsigned char high;
    char32_t bits; // the lead byte's share of the code point
};

// The well-formed sequences of UTF-8 by their lead byte; false for a byte that cannot lead.
bool ClassifyLead(unsigned char byte, LeadByte& lead) {
    if (byte >= 0xC2 && byte <= 0xDF)
        lead = {1, 0x80, 0xBF, byte & 0x1Fu};
    else if (byte == 0xE0)
        lead = {2, 0xA0, 0xBF, byte & 0x0Fu};
    else if (byte == 0xED) // no surrogates
        lead = {2, 0x80, 0x9F, byte & 0x0Fu};
    else if (byte >= 0xE1 && byte <= 0xEF)
        lead = {2, 0x80, 0xBF, byte & 0x0Fu};
    else if (byte == 0xF0)
        lead = {3, 0x90, 0xBF, byte & 0x07u};
    else if (byte >= 0xF1 && byte <= 0xF3)
        lead = {3, 0x80, 0xBF, byte & 0x07u};
    else if (byte == 0xF4) // nothing beyond U+10FFFF
        lead = {3, 0x80, 0x8F, byte & 0x07u};
    else
        return false;
    return true;
}

void AppendCodePoint(Utf16String& out, char32_t code) {
    if (code < 0x10000) {
        out.push_back(static_cast<Utf16Char>(code));
        return;
    }
    code -= 0x10000;
    out.push_back(static_cast<Utf16Char>(0xD800 + (code >> 10)));
    out.push_back(static_cast<Utf16Char>(0xDC00 + (code & 0x3FF)));
}

void AppendAscii(Utf16String& out, std::string_view ascii) {
    for (char c : ascii)
        out.push_back(static_cast<Utf16Char>(static_cast<unsigned char>(c)));
}

void AppendTwoDigits(Utf16String& out, int value) {
    if (value < 0 || value > 99) { // never from a clock; written in full rather than cut
        AppendAscii(out, std::to_string(value));
        return;
    }
    out.push_back(static_cast<Utf16Char>('0' + value / 10));
    out.push_back(static_cast<Utf16Char>('0' + value % 10));
}

bool HoldsControlCharacter(Utf16View text) {
    for (Utf16Char c : text) {
        if (c < 32 || c == 127)
            return true;
    }
    return false;
}

// Field n (0-based) of a line whose fields are separated by single spaces; empty when missing.
Utf16View Field(Utf16View line, int n) {
    size_t start = 0;
    for (int i = 0; i < n; ++i) {
        const size_t space = line.find(Utf16Char(' '), start);
        if (space == Utf16View::npos)
            return {};
        start = space + 1;
    }
    const size_t end = line.find(Utf16Char(' '), start);
    return line.substr(start, end == Utf16View::npos ? Utf16View::npos : end - start);
}

// Applies one line after the version line; false when it must reject the whole list.
bool ApplyProgramLine(Utf16View line, ProgramMap& programs) {
    const Utf16View folder = Field(line, 1);
    const auto entry = programs.find(Utf16String(Field(line, 2)));
    if (entry == programs.end())
        return true;
    if (HoldsControlCharacter(folder))
        return false;
    entry->second.assign(folder);
    return true;
}

} // namespace

Utf16String DecodeUtf8(std::string_view utf8) {
    Utf16String out;
    out.reserve(utf8.size());
    size_t i = 0;
    while (i < utf8.size()) {
        const auto byte = static_cast<unsigned char>(utf8[i]);
        if (byte < 0x80) {
            out.push_back(static_cast<Utf16Char>(byte));
            ++i;
            continue;
        }
        LeadByte lead;
        if (!ClassifyLead(byte, lead)) {
            out.push_back(kReplacement);
            ++i;
            continue;
        }
        char32_t code = lead.bits;
        size_t next = i + 1;
        bool complete = true;
        for (int k = 0; k < lead.continuations; ++k, ++next) {
            const unsigned char low = k == 0 ? lead.low : 0x80;
            const unsigned char high = k == 0 ? lead.high : 0xBF;
            const auto c = next < utf8.size() ? static_cast<unsigned char>(utf8[next]) : 0;
            if (next >= utf8.size() || c < low || c > high) {
                complete = false;
                break;
            }
            code = (code << 6) | (c & 0x3Fu);
        }
        // An ill-formed sequence gives one replacement for the bytes taken so far; the byte that
        // broke it is read again as the start of what follows.
        if (complete)
            AppendCodePoint(out, code);
        else
            out.push_back(kReplacement);
        i = next;
    }
    return out;
}

Utf16String Utf16FromAscii(std::string_view ascii) {
    Utf16String out;
    AppendAscii(out, ascii);
    return out;
}

bool ParseVersionList(std::string_view body, Utf16String& version, ProgramMap& programs) {
    const Utf16String text = DecodeUtf8(body.substr(0, body.find('\0')));
    programs.clear();
    for (std::string_view name : kProgramFiles)
        programs.emplace(Utf16FromAscii(name), Utf16String());

    const Utf16View all(text);
    size_t start = 0;
    for (size_t n = 0;; ++n) {
        const size_t end = all.find(Utf16Char('\n'), start);
        const Utf16View line =
            all.substr(start, end == Utf16View::npos ? Utf16View::npos : end - start);
        if (line.empty())
            return false;
        if (n == 0)
            version.assign(line);
        else if (!ApplyProgramLine(line, programs))
            return false;
        if (end == Utf16View::npos)
            return true;
        start = end + 1;
    }
}

void AppendProgramUrls(const ProgramMap& programs, std::vector<Utf16String>& urls) {
    for (const auto& [name, folder] : programs) {
        Utf16String url;
        AppendAscii(url, kServerFolder);
        url.push_back('/');
        url += folder;
        url.push_back('/');
        url += name;
        urls.push_back(std::move(url));
    }
}

Utf16String VersionListPath(int month, int day, int hour, int minute) {
    Utf16String path;
    AppendAscii(path, kServerFolder);
    path.push_back('/');
    AppendAscii(path, kVersionListName);
    path.push_back('?');
    AppendTwoDigits(path, month);
    AppendTwoDigits(path, day);
    AppendTwoDigits(path, hour);
    AppendTwoDigits(path, minute);
    return path;
}
