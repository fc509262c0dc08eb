#pragma once
#include <cstddef>
#include <string>
#include <string_view>

namespace rz {

// A request header may have at most this many bytes, request line and blank
// line included.
inline constexpr std::size_t kMaxRequestHeaderBytes = 8 * 1024;

// One request as the data server reads it: its header alone (the server
// takes no bodies).
struct ServerRequest {
    // 0: the request is answered; otherwise the status it is refused with,
    // after which the connection is closed: 400 (a malformed or ambiguous
    // header), 405 (a method other than GET and HEAD), 413 (a body),
    // 431 (a header too large), 505 (an HTTP/1 version other than 1.0/1.1).
    int refusal = 0;
    std::string method;
    std::string target;
    std::string ifNoneMatch;
    std::string ifModifiedSince;
    bool keepAlive = false; // the client wants the connection kept
    unsigned version = 11;  // 10 or 11
};

// Where the request header in `bytes` ends: the index just past its blank
// line, or 0 while it is not complete. Scanning starts at `from` (the size the
// bytes had at the previous call, so that a header arriving in pieces is
// scanned once); a line ends at LF, with or without CR.
std::size_t requestHeaderEnd(std::string_view bytes, std::size_t from = 0);

// Reads one request header (request line, fields, blank line) strictly: a
// request that two readers could take differently is refused, never guessed.
// Refused with 400: a line end other than CR LF, a CR or NUL or another
// control byte in a field, a folded field line (obs-fold), white space before
// a field's colon or a name that is no token, two Content-Length fields (even
// equal), Content-Length together with Transfer-Encoding, two Host fields or
// none in HTTP/1.1, and whatever the HTTP parser itself refuses.
ServerRequest readRequestHeader(std::string_view header);

} // namespace rz
