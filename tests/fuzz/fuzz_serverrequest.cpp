// The data server's request reading: any bytes as what a client sends.
// Invariants: the header's end does not depend on how the bytes arrive (all
// at once or in pieces) nor on what follows it; a request that is served is
// GET or HEAD without a body, with at most one Host (exactly one in
// HTTP/1.1), at most one Content-Length, no Transfer-Encoding, no folded
// line, no bare CR or LF and no NUL in its header; reading is deterministic.
#include <algorithm>
#include <cctype>
#include <string>
#include <string_view>

#include "FuzzSupport.h"
#include "server/RequestReader.h"

using namespace rz;

namespace {

int fieldCount(std::string_view header, std::string_view name) {
    int n = 0;
    std::size_t pos = header.find("\r\n");
    while (pos != std::string_view::npos && pos + 2 < header.size()) {
        const std::size_t start = pos + 2;
        const std::size_t colon = header.find(':', start);
        const std::size_t end = header.find("\r\n", start);
        if (colon != std::string_view::npos && colon < end && colon - start == name.size() &&
            std::equal(name.begin(), name.end(), header.begin() + static_cast<std::ptrdiff_t>(start),
                       [](char a, char b) { return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b)); }))
            ++n;
        pos = end;
    }
    return n;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::size_t end = requestHeaderEnd(bytes);
    FUZZ_CHECK(end <= bytes.size());

    // In pieces of 1..7 bytes, scanning on from where the last piece ended.
    std::string got;
    std::size_t endInPieces = 0;
    for (std::size_t at = 0, step = 1; at < bytes.size() && endInPieces == 0; at += step, step = step % 7 + 1) {
        const std::size_t before = got.size();
        got.append(bytes, at, step);
        endInPieces = requestHeaderEnd(got, before);
    }
    FUZZ_CHECK(endInPieces == end);
    if (end == 0)
        return 0;
    // What follows the header does not move its end.
    FUZZ_CHECK(requestHeaderEnd(std::string_view(bytes).substr(0, end)) == end);

    const std::string_view header = std::string_view(bytes).substr(0, end);
    const ServerRequest r = readRequestHeader(header);
    const ServerRequest again = readRequestHeader(header);
    FUZZ_CHECK(r.refusal == again.refusal && r.method == again.method && r.target == again.target);
    FUZZ_CHECK(r.refusal == 0 || r.refusal == 400 || r.refusal == 405 || r.refusal == 413 || r.refusal == 431 ||
               r.refusal == 505);
    if (r.refusal != 0)
        return 0;
    FUZZ_CHECK(r.method == "GET" || r.method == "HEAD");
    FUZZ_CHECK(r.version == 10 || r.version == 11);
    FUZZ_CHECK(header.size() <= kMaxRequestHeaderBytes);
    FUZZ_CHECK(header.find('\0') == std::string_view::npos);
    for (std::size_t i = 0; i < header.size(); ++i) {
        if (header[i] == '\r')
            FUZZ_CHECK(i + 1 < header.size() && header[i + 1] == '\n');
        if (header[i] == '\n') {
            FUZZ_CHECK(i > 0 && header[i - 1] == '\r');
            FUZZ_CHECK(i + 1 == header.size() || (header[i + 1] != ' ' && header[i + 1] != '\t'));
        }
    }
    const int hosts = fieldCount(header, "host");
    FUZZ_CHECK(hosts <= 1 && (r.version == 10 || hosts == 1));
    FUZZ_CHECK(fieldCount(header, "content-length") <= 1);
    FUZZ_CHECK(fieldCount(header, "transfer-encoding") == 0);
    return 0;
}
