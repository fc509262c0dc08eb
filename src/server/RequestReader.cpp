#include "server/RequestReader.h"

#include <boost/beast/core/buffers_to_string.hpp>
#include <boost/beast/http/empty_body.hpp>
#include <boost/beast/http/parser.hpp>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <limits>

namespace rz {
namespace {

namespace http = boost::beast::http;

bool isTokenChar(unsigned char c) {
    if (c >= '0' && c <= '9')
        return true;
    if ((c | 0x20) >= 'a' && (c | 0x20) <= 'z')
        return true;
    switch (c) {
    case '!': case '#': case '$': case '%': case '&': case '\'': case '*': case '+':
    case '-': case '.': case '^': case '_': case '`': case '|': case '~':
        return true;
    default:
        return false;
    }
}

// A field value's byte: visible ASCII, space, tab, or a byte of 0x80 and up.
bool isValueChar(unsigned char c) { return c == '\t' || (c >= 0x20 && c != 0x7f); }

bool equalsNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

std::string_view trimmed(std::string_view v) {
    while (!v.empty() && (v.front() == ' ' || v.front() == '\t'))
        v.remove_prefix(1);
    while (!v.empty() && (v.back() == ' ' || v.back() == '\t'))
        v.remove_suffix(1);
    return v;
}

ServerRequest refused(int status) {
    ServerRequest r;
    r.refusal = status;
    return r;
}

} // namespace

std::size_t requestHeaderEnd(std::string_view bytes, std::size_t from) {
    // The blank line may have begun up to two bytes before `from`.
    std::size_t i = from > 2 ? from - 2 : 0;
    for (;;) {
        i = bytes.find('\n', i);
        if (i == std::string_view::npos)
            return 0;
        if (i + 1 < bytes.size() && bytes[i + 1] == '\n')
            return i + 2;
        if (i + 2 < bytes.size() && bytes[i + 1] == '\r' && bytes[i + 2] == '\n')
            return i + 3;
        if (i + 2 >= bytes.size() && (i + 1 == bytes.size() || bytes[i + 1] == '\r'))
            return 0; // the blank line may still come
        ++i;
    }
}

ServerRequest readRequestHeader(std::string_view header) {
    if (header.size() > kMaxRequestHeaderBytes)
        return refused(431);

    // The raw bytes first: the HTTP parser is lenient where two readers
    // could disagree (a bare LF, a folded line, repeated fields).
    int contentLengths = 0, transferEncodings = 0, hosts = 0;
    bool firstLine = true;
    std::size_t pos = 0;
    for (;;) {
        const std::size_t lf = header.find('\n', pos);
        if (lf == std::string_view::npos || lf == pos || header[lf - 1] != '\r')
            return refused(400); // a bare LF, or no line end at all
        const std::string_view line = header.substr(pos, lf - 1 - pos);
        pos = lf + 1;
        if (line.empty()) {
            if (firstLine || pos != header.size())
                return refused(400); // nothing may follow the blank line
            break;
        }
        if (firstLine) {
            // method SP target SP version: visible ASCII and spaces only.
            if (!std::all_of(line.begin(), line.end(), [](char c) {
                    const auto u = static_cast<unsigned char>(c);
                    return u >= 0x20 && u < 0x7f;
                }))
                return refused(400);
            firstLine = false;
            continue;
        }
        if (line.front() == ' ' || line.front() == '\t')
            return refused(400); // obs-fold
        const std::size_t colon = line.find(':');
        if (colon == std::string_view::npos || colon == 0)
            return refused(400);
        const std::string_view name = line.substr(0, colon);
        if (!std::all_of(name.begin(), name.end(), [](char c) { return isTokenChar(static_cast<unsigned char>(c)); }))
            return refused(400); // white space before the colon among others
        const std::string_view value = line.substr(colon + 1);
        if (!std::all_of(value.begin(), value.end(), [](char c) { return isValueChar(static_cast<unsigned char>(c)); }))
            return refused(400); // CR, NUL and other control bytes
        if (equalsNoCase(name, "content-length")) {
            // One number: a list, even of equal numbers, is refused too.
            const std::string_view number = trimmed(value);
            if (number.empty() || !std::all_of(number.begin(), number.end(), [](char c) { return c >= '0' && c <= '9'; }))
                return refused(400);
            ++contentLengths;
        }
        else if (equalsNoCase(name, "transfer-encoding"))
            ++transferEncodings;
        else if (equalsNoCase(name, "host"))
            ++hosts;
    }
    if (contentLengths > 1 || (contentLengths > 0 && transferEncodings > 0) || hosts > 1)
        return refused(400);

    // Then the HTTP parser, on the header alone.
    http::request_parser<http::empty_body> parser;
    parser.header_limit(static_cast<std::uint32_t>(kMaxRequestHeaderBytes));
    parser.eager(false);
    // A body is refused below (413), whatever its size; the parser's own limit
    // would answer 400 for a large one.
    parser.body_limit(std::numeric_limits<std::uint64_t>::max());
    boost::beast::error_code ec;
    parser.put(boost::asio::buffer(header.data(), header.size()), ec);
    if (ec == http::error::header_limit)
        return refused(431);
    if (ec || !parser.is_header_done())
        return refused(400);
    const auto& req = parser.get();
    ServerRequest r;
    r.version = req.version();
    if (r.version != 10 && r.version != 11)
        return refused(505);
    if (r.version == 11 && hosts == 0)
        return refused(400);
    r.method = std::string(req.method_string());
    if (r.method != "GET" && r.method != "HEAD") {
        r.refusal = 405;
        return r;
    }
    if (transferEncodings > 0 || (parser.content_length() && *parser.content_length() > 0)) {
        r.refusal = 413;
        return r;
    }
    r.target = std::string(req.target());
    for (const auto& field : req) {
        // A list field sent on several lines is one list.
        std::string* into = nullptr;
        if (field.name() == http::field::if_none_match)
            into = &r.ifNoneMatch;
        else if (field.name() == http::field::if_modified_since)
            into = &r.ifModifiedSince;
        if (!into)
            continue;
        const std::string_view v = trimmed(std::string_view(field.value().data(), field.value().size()));
        if (!into->empty())
            *into += into == &r.ifNoneMatch ? ", " : "";
        if (into == &r.ifNoneMatch || into->empty())
            *into += std::string(v);
    }
    r.keepAlive = req.keep_alive();
    return r;
}

} // namespace rz
