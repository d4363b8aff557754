// The answer to one update-server GET, parsed as its bytes arrive: no sockets, no Win32. The socket
// loop feeds each received chunk and learns from the result when the header has ended (the body
// length is known then), which body bytes the chunk carried and whether to report progress.
//
// What is accepted: a header that ends with a blank line ("\r\n\r\n") within kMaxHeaderBytes;
// where the header holds "HTTP/1.1", the number 9 bytes after the start of that match must be 200;
// the number 16 bytes after the start of "Content-Length:" (exact case) is the body length and must
// lie in 1 .. 2^31 - 1; both numbers are read as atoi reads (leading blanks, an optional sign, then
// digits). The header is searched as a zero-terminated string, so a zero byte ends the text that is
// searched. Exactly the declared number of body bytes must follow; bytes beyond them are ignored,
// and a connection closed before they all arrived fails the answer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

class HttpResponseParser {
public:
    static constexpr size_t kMaxHeaderBytes = 64 * 1024;

    enum class State { Header, Body, Complete, Failed };
    enum class Error { None, HeaderTooLarge, StatusNotOk, NoLength, LengthOutOfRange, ClosedEarly };

    // What one received chunk gave.
    struct Chunk {
        // The header ended in this chunk and was accepted: declaredLength() is known from now on.
        bool headerEnded = false;
        // The chunk's body bytes (a view into the fed bytes), never beyond the declared length, and
        // their offset in the body.
        std::string_view body;
        int64_t bodyOffset = 0;
        // A body chunk that arrived after the header's chunk: the socket loop reports the new
        // percentage. The chunk that ends the header is never reported.
        bool reportProgress = false;
    };

    // Takes the next received bytes. May throw std::bad_alloc while the header grows.
    Chunk Feed(std::string_view bytes);
    // The server closed the connection: fails the answer unless the whole body has arrived.
    void ConnectionClosed();

    State state() const { return state_; }
    Error error() const { return error_; }
    // The body length from the header; 0 until the header has ended and been accepted.
    int32_t declaredLength() const { return declaredLength_; }
    // Body bytes taken so far.
    int64_t received() const { return received_; }
    // Whole percent of the body received so far, rounded down.
    int percent() const;

private:
    Chunk FeedHeader(std::string_view bytes);
    Chunk TakeBody(std::string_view bytes);
    bool AcceptHeader();
    void Fail(Error error);

    State state_ = State::Header;
    Error error_ = Error::None;
    std::string header_;
    int32_t declaredLength_ = 0;
    int64_t received_ = 0;
};

// Whole percent of received in total, rounded down, in 64-bit arithmetic so no length overflows it;
// 0 when total is not positive.
int ProgressPercent(int64_t received, int64_t total);
