#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "update/http_response.h"

namespace {

using State = HttpResponseParser::State;
using Error = HttpResponseParser::Error;
using namespace std::string_literals;

struct Outcome {
    State state = State::Header;
    Error error = Error::None;
    int32_t length = 0;
    std::string body;
    std::vector<int> progress; // the percentages the socket loop would report
    int headerEndedIn = -1;    // the piece whose chunk announced the header's end
};

// Feeds the pieces one after the other, as separate receives, and collects what a socket loop
// would see; checks on the way that every body view lies inside the bytes it was fed and follows
// the bytes before it.
Outcome Feed(const std::vector<std::string>& pieces, bool closedAfterwards = false) {
    HttpResponseParser parser;
    Outcome outcome;
    for (size_t i = 0; i < pieces.size(); ++i) {
        const std::string& piece = pieces[i];
        const HttpResponseParser::Chunk chunk = parser.Feed(piece);
        if (chunk.headerEnded) {
            EXPECT_EQ(outcome.headerEndedIn, -1) << "the header's end is announced once";
            outcome.headerEndedIn = static_cast<int>(i);
        }
        if (!chunk.body.empty()) {
            EXPECT_GE(chunk.body.data(), piece.data());
            EXPECT_LE(chunk.body.data() + chunk.body.size(), piece.data() + piece.size());
            EXPECT_EQ(chunk.bodyOffset, static_cast<int64_t>(outcome.body.size()));
        }
        outcome.body.append(chunk.body);
        EXPECT_LE(static_cast<int64_t>(outcome.body.size()), parser.declaredLength());
        if (chunk.reportProgress)
            outcome.progress.push_back(parser.percent());
    }
    if (closedAfterwards)
        parser.ConnectionClosed();
    outcome.state = parser.state();
    outcome.error = parser.error();
    outcome.length = parser.declaredLength();
    return outcome;
}

std::vector<std::string> ByteByByte(const std::string& answer) {
    std::vector<std::string> pieces;
    for (char c : answer)
        pieces.emplace_back(1, c);
    return pieces;
}

std::string Answer(const std::string& header, const std::string& body) {
    return header + "\r\n\r\n" + body;
}

const std::string kNginxHeader = "HTTP/1.1 200 OK\r\n"
                                 "Server: nginx/1.22.1\r\n"
                                 "Date: Tue, 09 Dec 2025 18:05:00 GMT\r\n"
                                 "Content-Type: application/octet-stream\r\n"
                                 "Content-Length: 11\r\n"
                                 "Last-Modified: Tue, 09 Dec 2025 18:00:00 GMT\r\n"
                                 "Connection: keep-alive\r\n"
                                 "ETag: \"6937e4b0-b\"\r\n"
                                 "Accept-Ranges: bytes";

struct Case {
    const char* name;
    std::string answer;
    State state;
    Error error;
    int32_t length;
    std::string body;
};

const std::vector<Case>& Cases() {
    static const std::vector<Case> cases = {
        {"nginx answer", Answer(kNginxHeader, "hello world"), State::Complete, Error::None, 11,
         "hello world"},
        {"length without its space loses its first digit",
         Answer("HTTP/1.1 200 OK\r\nContent-Length:1234", std::string(234, 'b')), State::Complete,
         Error::None, 234, std::string(234, 'b')},
        {"blanks before the length", Answer("HTTP/1.1 200 OK\r\nContent-Length:    7", "1234567"),
         State::Complete, Error::None, 7, "1234567"},
        {"every blank atoi skips, a folded line's too",
         Answer("HTTP/1.1 200 OK\r\nContent-Length: \t\v\f\r\n 7", "1234567"), State::Complete,
         Error::None, 7, "1234567"},
        {"plus sign before the length", Answer("HTTP/1.1 200 OK\r\nContent-Length: +7", "1234567"),
         State::Complete, Error::None, 7, "1234567"},
        {"digits 0 and 9", Answer("HTTP/1.1 200 OK\r\nContent-Length: 90", std::string(90, 'n')),
         State::Complete, Error::None, 90, std::string(90, 'n')},
        {"length named in another field first",
         Answer("HTTP/1.1 200 OK\r\nAccess-Control-Expose-Headers: Content-Length\r\n"
                "Content-Length: 5",
                "12345"),
         State::Complete, Error::None, 5, "12345"},
        {"length read up to its first non-digit",
         Answer("HTTP/1.1 200 OK\r\nContent-Length: 5abc", "12345"), State::Complete, Error::None,
         5, "12345"},
        {"bytes beyond the length are ignored",
         Answer("HTTP/1.1 200 OK\r\nContent-Length: 3", "abcdefgh"), State::Complete, Error::None,
         3, "abc"},
        {"status glued to its text", Answer("HTTP/1.1 200OK\r\nContent-Length: 2", "ok"),
         State::Complete, Error::None, 2, "ok"},
        {"status read at its place after any character",
         Answer("HTTP/1.1_200 OK\r\nContent-Length: 2", "ok"), State::Complete, Error::None, 2,
         "ok"},
        {"the status of another protocol version is not read",
         Answer("HTTP/1.0 404 Not Found\r\nContent-Length: 3", "abc"), State::Complete, Error::None,
         3, "abc"},
        {"largest length", Answer("HTTP/1.1 200 OK\r\nContent-Length: 2147483647", "x"),
         State::Body, Error::None, 2147483647, "x"},
        {"not found", Answer("HTTP/1.1 404 Not Found\r\nContent-Length: 9", "not found"),
         State::Failed, Error::StatusNotOk, 0, ""},
        {"redirect", Answer("HTTP/1.1 301 Moved\r\nLocation: /x\r\nContent-Length: 1", "x"),
         State::Failed, Error::StatusNotOk, 0, ""},
        {"status with a fourth digit", Answer("HTTP/1.1 2000 OK\r\nContent-Length: 1", "x"),
         State::Failed, Error::StatusNotOk, 0, ""},
        {"partial content is not the whole file",
         Answer("HTTP/1.1 206 Partial Content\r\nContent-Length: 1", "x"), State::Failed,
         Error::StatusNotOk, 0, ""},
        {"status beyond 32 bits", Answer("HTTP/1.1 4294967496 OK\r\nContent-Length: 1", "x"),
         State::Failed, Error::StatusNotOk, 0, ""},
        {"no length", Answer("HTTP/1.1 200 OK\r\nServer: x", "body"), State::Failed,
         Error::NoLength, 0, ""},
        {"length field in other letter case",
         Answer("HTTP/1.1 200 OK\r\ncontent-length: 4", "body"), State::Failed, Error::NoLength, 0,
         ""},
        {"a length in the body is not read",
         Answer("HTTP/1.1 200 OK\r\nServer: x", "Content-Length: 4\r\n\r\nbody"), State::Failed,
         Error::NoLength, 0, ""},
        {"zero byte in the header hides the length",
         Answer("HTTP/1.1 200 OK\r\nX-Note: a\0b\r\nContent-Length: 4"s, "body"), State::Failed,
         Error::NoLength, 0, ""},
        {"length 0", Answer("HTTP/1.1 200 OK\r\nContent-Length: 0", ""), State::Failed,
         Error::LengthOutOfRange, 0, ""},
        {"negative length", Answer("HTTP/1.1 200 OK\r\nContent-Length: -5", "abcde"), State::Failed,
         Error::LengthOutOfRange, 0, ""},
        {"length 2^31", Answer("HTTP/1.1 200 OK\r\nContent-Length: 2147483648", "x"), State::Failed,
         Error::LengthOutOfRange, 0, ""},
        {"length of 26 digits",
         Answer("HTTP/1.1 200 OK\r\nContent-Length: 99999999999999999999999999", "x"),
         State::Failed, Error::LengthOutOfRange, 0, ""},
        {"length field at the end of the header", Answer("HTTP/1.1 200 OK\r\nContent-Length:", "x"),
         State::Failed, Error::LengthOutOfRange, 0, ""},
    };
    return cases;
}

TEST(HttpResponse, ReadsStatusLengthAndBodyByTheHeaderRules) {
    for (const Case& c : Cases()) {
        SCOPED_TRACE(c.name);
        const Outcome whole = Feed({c.answer});
        EXPECT_EQ(whole.state, c.state);
        EXPECT_EQ(whole.error, c.error);
        EXPECT_EQ(whole.length, c.length);
        EXPECT_EQ(whole.body, c.body);
        EXPECT_TRUE(whole.progress.empty()) << "the header's chunk reports no progress";
        const bool accepted = c.state == State::Body || c.state == State::Complete;
        EXPECT_EQ(whole.headerEndedIn, accepted ? 0 : -1);

        // A close fails only an answer still waiting for body bytes; a refusal keeps its reason.
        const Outcome closed = Feed({c.answer}, true);
        const bool waiting = c.state == State::Body;
        EXPECT_EQ(closed.state, waiting ? State::Failed : c.state);
        EXPECT_EQ(closed.error, waiting ? Error::ClosedEarly : c.error);
    }
}

TEST(HttpResponse, SplittingTheAnswerAnywhereChangesNothing) {
    for (const Case& c : Cases()) {
        SCOPED_TRACE(c.name);
        const Outcome whole = Feed({c.answer});
        // The header's end is announced with the piece that holds the blank line's last byte.
        const bool accepted = whole.headerEndedIn == 0;
        const size_t headerEnd = c.answer.find("\r\n\r\n") + 4;
        for (size_t split = 0; split <= c.answer.size(); ++split) {
            SCOPED_TRACE("split at " + std::to_string(split));
            const Outcome two = Feed({c.answer.substr(0, split), c.answer.substr(split)});
            EXPECT_EQ(two.state, whole.state);
            EXPECT_EQ(two.error, whole.error);
            EXPECT_EQ(two.length, whole.length);
            EXPECT_EQ(two.body, whole.body);
            EXPECT_EQ(two.headerEndedIn, !accepted ? -1 : split >= headerEnd ? 0 : 1);
        }
        const Outcome bytes = Feed(ByteByByte(c.answer));
        EXPECT_EQ(bytes.state, whole.state);
        EXPECT_EQ(bytes.error, whole.error);
        EXPECT_EQ(bytes.body, whole.body);
        EXPECT_EQ(bytes.headerEndedIn, accepted ? static_cast<int>(headerEnd) - 1 : -1);
    }
}

TEST(HttpResponse, ReportsProgressForEachBodyChunkAfterTheHeaderChunk) {
    const std::string header = "HTTP/1.1 200 OK\r\nContent-Length: 900\r\n\r\n";
    const std::string body = std::string(300, 'a') + std::string(300, 'b') + std::string(300, 'c');

    const Outcome chunked =
        Feed({header + body.substr(0, 100), body.substr(100, 500), body.substr(600)});
    EXPECT_EQ(chunked.state, State::Complete);
    EXPECT_EQ(chunked.body, body);
    EXPECT_EQ(chunked.progress, (std::vector<int>{66, 100}));

    // Header pieces report nothing, whether or not the body follows in the same chunk.
    const Outcome splitHeader = Feed({header.substr(0, 20), header.substr(20), body});
    EXPECT_EQ(splitHeader.progress, (std::vector<int>{100}));
    EXPECT_TRUE(Feed({header + body}).progress.empty());
    // An empty receive brings no body byte, so nothing new to report; 899 of 900 is still 99 %.
    EXPECT_EQ(Feed({header, "", body.substr(0, 899), "", body.substr(899)}).progress,
              (std::vector<int>{99, 100}));
}

TEST(HttpResponse, ConnectionClosedBeforeTheWholeBodyFails) {
    const std::string answer =
        "HTTP/1.1 200 OK\r\nContent-Length: 900\r\n\r\n" + std::string(100, 'x');
    const Outcome early = Feed({answer}, true);
    EXPECT_EQ(early.state, State::Failed);
    EXPECT_EQ(early.error, Error::ClosedEarly);

    const Outcome inHeader = Feed({"HTTP/1.1 200 OK\r\nContent-Len"}, true);
    EXPECT_EQ(inHeader.error, Error::ClosedEarly);

    const Outcome nothing = Feed({}, true);
    EXPECT_EQ(nothing.error, Error::ClosedEarly);

    const Outcome whole = Feed({answer + std::string(800, 'x')}, true);
    EXPECT_EQ(whole.state, State::Complete);
}

TEST(HttpResponse, BytesAfterTheBodyAreIgnored) {
    HttpResponseParser parser;
    parser.Feed("HTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nab");
    ASSERT_EQ(parser.state(), State::Complete);
    const HttpResponseParser::Chunk later = parser.Feed("HTTP/1.1 200 OK\r\n");
    EXPECT_TRUE(later.body.empty());
    EXPECT_FALSE(later.reportProgress);
    EXPECT_EQ(parser.received(), 2);
}

TEST(HttpResponse, HeaderIsCappedAt64KiB) {
    const std::string start = "HTTP/1.1 200 OK\r\nContent-Length: 1\r\nX-Fill: ";
    const std::string end = "\r\n\r\n";
    const std::string fill(HttpResponseParser::kMaxHeaderBytes - start.size() - end.size(), 'f');
    const std::string largest = start + fill + end;
    ASSERT_EQ(largest.size(), HttpResponseParser::kMaxHeaderBytes);

    EXPECT_EQ(Feed({largest + "x"}).state, State::Complete);
    EXPECT_EQ(Feed({largest.substr(0, 1000), largest.substr(1000) + "x"}).state, State::Complete);

    const std::string tooLarge = start + fill + "g" + end + "x";
    EXPECT_EQ(Feed({tooLarge}).error, Error::HeaderTooLarge);
    EXPECT_EQ(Feed({tooLarge.substr(0, 30000), tooLarge.substr(30000)}).error,
              Error::HeaderTooLarge);
    // A server that never ends its header stops being read at the cap.
    const Outcome endless =
        Feed({start, std::string(40000, 'h'), std::string(40000, 'h'), std::string(40000, 'h')});
    EXPECT_EQ(endless.error, Error::HeaderTooLarge);
}

TEST(HttpResponse, PercentIsExactForAnyLength) {
    struct Row {
        int64_t received;
        int64_t total;
        int percent;
    };
    const Row rows[] = {
        {0, 900, 0},
        {100, 900, 11},
        {600, 900, 66},
        {900, 900, 100},
        {2147483646, 2147483647, 99},
        {2147483647, 2147483647, 100},
        {21474837, 2147483647, 1},
        {5, 0, 0},
    };
    for (const Row& row : rows)
        EXPECT_EQ(ProgressPercent(row.received, row.total), row.percent)
            << row.received << " of " << row.total;
}

} // namespace
