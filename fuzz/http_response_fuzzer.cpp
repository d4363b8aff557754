// Feeds one answer to the HTTP answer parser whole and in pieces whose sizes come from the input
// itself, and checks that the pieces never change the outcome and that no body byte lies beyond
// the declared length or outside the fed bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "update/http_response.h"

namespace {

struct Outcome {
    HttpResponseParser::State state;
    HttpResponseParser::Error error;
    int32_t length;
    std::string body;
};

void Check(bool condition) {
    if (!condition)
        std::abort();
}

// Splits the answer at sizes drawn from a small generator seeded by the answer, so one input
// explores one fixed way of cutting it; step 0 feeds it whole.
Outcome Run(std::string_view answer, uint32_t seed, bool close) {
    HttpResponseParser parser;
    Outcome outcome{};
    size_t at = 0;
    bool headerEnded = false;
    while (at < answer.size()) {
        size_t step = answer.size() - at;
        if (seed != 0) {
            seed = seed * 1103515245u + 12345u;
            step = 1 + (seed >> 16) % 97;
            if (step > answer.size() - at)
                step = answer.size() - at;
        }
        const std::string_view piece = answer.substr(at, step);
        const HttpResponseParser::State before = parser.state();
        const HttpResponseParser::Chunk chunk = parser.Feed(piece);
        Check(!chunk.headerEnded || !headerEnded);
        headerEnded = headerEnded || chunk.headerEnded;
        if (!chunk.body.empty()) {
            Check(chunk.body.data() >= piece.data());
            Check(chunk.body.data() + chunk.body.size() <= piece.data() + piece.size());
            Check(chunk.bodyOffset == static_cast<int64_t>(outcome.body.size()));
        }
        Check(chunk.reportProgress ==
              (before == HttpResponseParser::State::Body && !chunk.body.empty()));
        outcome.body.append(chunk.body);
        Check(static_cast<int64_t>(outcome.body.size()) <= parser.declaredLength());
        Check(parser.percent() >= 0 && parser.percent() <= 100);
        at += step;
    }
    if (close)
        parser.ConnectionClosed();
    outcome.state = parser.state();
    outcome.error = parser.error();
    outcome.length = parser.declaredLength();
    if (outcome.state == HttpResponseParser::State::Complete)
        Check(static_cast<int64_t>(outcome.body.size()) == outcome.length && outcome.length > 0);
    if (close)
        Check(outcome.state == HttpResponseParser::State::Complete ||
              outcome.state == HttpResponseParser::State::Failed);
    return outcome;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view answer(reinterpret_cast<const char*>(data), size);
    uint32_t seed = 2166136261u;
    for (unsigned char c : answer)
        seed = (seed ^ c) * 16777619u;
    seed |= 1;
    const Outcome whole = Run(answer, 0, true);
    const Outcome pieces = Run(answer, seed, true);
    Check(whole.state == pieces.state && whole.error == pieces.error &&
          whole.length == pieces.length && whole.body == pieces.body);
    return 0;
}
