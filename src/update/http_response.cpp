#include "update/http_response.h"

#include <algorithm>
#include <limits>

namespace {

constexpr std::string_view kHeaderEnd = "\r\n\r\n";
constexpr std::string_view kStatusMark = "HTTP/1.1";
constexpr std::string_view kLengthMark = "Content-Length:";
// The number is read this many bytes after the start of its mark: "HTTP/1.1" and one character,
// "Content-Length:" and one character.
constexpr size_t kStatusOffset = 9;
constexpr size_t kLengthOffset = 16;
constexpr int64_t kMaxLength = std::numeric_limits<int32_t>::max();

struct Number {
    int64_t value = 0;
    bool overflow = false;
};

bool IsAtoiSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Reads a decimal number at text[from] the way atoi does, but reports a value beyond the 32-bit
// range instead of wrapping. Past the end of the text there is no digit, so the value is 0.
Number ReadNumber(std::string_view text, size_t from) {
    Number number;
    size_t i = from;
    while (i < text.size() && IsAtoiSpace(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        number.value = number.value * 10 + (text[i] - '0');
        if (number.value > kMaxLength + 1) {
            number.overflow = true;
            break;
        }
    }
    if (negative)
        number.value = -number.value;
    if (number.value > kMaxLength || number.value < -kMaxLength - 1)
        number.overflow = true;
    return number;
}

} // namespace

int ProgressPercent(int64_t received, int64_t total) {
    if (total <= 0)
        return 0;
    return static_cast<int>(received * 100 / total);
}

int HttpResponseParser::percent() const {
    return ProgressPercent(received_, declaredLength_);
}

HttpResponseParser::Chunk HttpResponseParser::Feed(std::string_view bytes) {
    switch (state_) {
    case State::Header:
        return FeedHeader(bytes);
    case State::Body: {
        Chunk chunk = TakeBody(bytes);
        chunk.reportProgress = !chunk.body.empty();
        return chunk;
    }
    case State::Complete:
    case State::Failed:
        break;
    }
    return {};
}

void HttpResponseParser::ConnectionClosed() {
    if (state_ == State::Header || state_ == State::Body)
        Fail(Error::ClosedEarly);
}

HttpResponseParser::Chunk HttpResponseParser::FeedHeader(std::string_view bytes) {
    // Only the bytes that can still belong to a header within the cap are kept; the end mark may
    // straddle the previous chunk, so the search starts a few bytes back.
    const size_t before = header_.size();
    const size_t kept = std::min(bytes.size(), kMaxHeaderBytes - before);
    header_.append(bytes.data(), kept);
    const size_t searchFrom =
        before >= kHeaderEnd.size() - 1 ? before - (kHeaderEnd.size() - 1) : 0;
    const size_t mark = std::string_view(header_).find(kHeaderEnd, searchFrom);
    if (mark == std::string_view::npos) {
        if (header_.size() >= kMaxHeaderBytes)
            Fail(Error::HeaderTooLarge);
        return {};
    }
    const size_t headerSize = mark + kHeaderEnd.size();
    header_.resize(headerSize);
    if (!AcceptHeader())
        return {};
    Chunk chunk = TakeBody(bytes.substr(headerSize - before));
    chunk.headerEnded = true;
    return chunk;
}

bool HttpResponseParser::AcceptHeader() {
    // Searched as a zero-terminated string: a zero byte ends the searched text.
    std::string_view text(header_);
    text = text.substr(0, text.find('\0'));

    const size_t status = text.find(kStatusMark);
    if (status != std::string_view::npos) {
        const Number code = ReadNumber(text, status + kStatusOffset);
        if (code.overflow || code.value != 200) {
            Fail(Error::StatusNotOk);
            return false;
        }
    }
    const size_t length = text.find(kLengthMark);
    if (length == std::string_view::npos) {
        Fail(Error::NoLength);
        return false;
    }
    const Number declared = ReadNumber(text, length + kLengthOffset);
    if (declared.overflow || declared.value <= 0) {
        Fail(Error::LengthOutOfRange);
        return false;
    }
    declaredLength_ = static_cast<int32_t>(declared.value);
    state_ = State::Body;
    header_.clear();
    header_.shrink_to_fit();
    return true;
}

HttpResponseParser::Chunk HttpResponseParser::TakeBody(std::string_view bytes) {
    Chunk chunk;
    const int64_t missing = declaredLength_ - received_;
    const size_t taken = static_cast<size_t>(std::min<int64_t>(missing, bytes.size()));
    chunk.body = bytes.substr(0, taken);
    chunk.bodyOffset = received_;
    received_ += static_cast<int64_t>(taken);
    if (received_ == declaredLength_)
        state_ = State::Complete;
    return chunk;
}

void HttpResponseParser::Fail(Error error) {
    state_ = State::Failed;
    error_ = error;
}
