#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace rz {

class IEvents;

// Limits of every answer, in every client: an answer larger than this is
// refused, and a request that has not completed by the deadline is ended,
// however steadily bytes trickle in.
inline constexpr std::int64_t kMaxHttpAnswerBytes = 16LL * 1024 * 1024;
inline constexpr int kHttpDeadlineMs = 30000;

// One GET request as the program sends it.
struct HttpRequest {
    std::string url;                                          // absolute http:// or https:// address
    std::vector<std::pair<std::string, std::string>> headers; // sent as given
    std::string proxyHost;                                    // empty: no proxy
    int proxyPort = 0;
    int connectTimeoutMs = 5000;
    int readTimeoutMs = 5000;
    int maxRedirects = 15;
    std::int64_t maxAnswerBytes = kMaxHttpAnswerBytes; // header and body of one answer
    int deadlineMs = kHttpDeadlineMs;                  // the whole request, redirects included
};

// Why a request got no HTTP answer at all.
enum class HttpFailure {
    None,              // an HTTP answer arrived (its status may still be an error)
    ConnectionRefused,
    HostNotFound,
    Timeout,
    TooManyRedirects,
    TooLarge,          // the answer exceeded HttpRequest::maxAnswerBytes
    Broken,            // the answer broke off (shorter than announced, reset)
    Aborted,           // abort() by the program
    NoNetwork,         // no HTTP client in this build or run
    Other,
};

struct HttpResponse {
    HttpFailure failure = HttpFailure::None;
    std::string failureText;                 // the client's own text for the failure
    int status = 0;                          // status code of the last answer
    std::string statusLine;                  // "HTTP/1.1 200 OK"
    std::string body;                        // raw bytes
    std::optional<std::int64_t> lastModified; // seconds since 1970-01-01 UTC
    std::string finalUrl;                    // after redirects

    bool answered() const { return failure == HttpFailure::None; }
};

// An HTTP client that never keeps the caller waiting for an answer: start()
// returns at once (a client without a window may answer before returning),
// and wait() lets the window handle its events while it waits. Cookies are
// kept for the run of the program.
class IHttp {
public:
    using Id = std::uint64_t;
    virtual ~IHttp() = default;

    virtual Id start(const HttpRequest& request) = 0;
    // True once request id has its answer or its failure.
    virtual bool finished(Id id) = 0;
    // Returns when request id is finished or after at most maxMs.
    virtual void wait(Id id, int maxMs) = 0;
    // Ends a running request; it finishes with HttpFailure::Aborted.
    virtual void abort(Id id) = 0;
    // The outcome of a finished request; the request is forgotten.
    virtual HttpResponse take(Id id) = 0;
    // Drops connections kept open between requests (cookies stay).
    virtual void closeConnections() {}
};

// How long one wait slice lasts: the stop button is looked at between slices.
inline constexpr int kHttpWaitSliceMs = 10;

// Runs one request to its end. Between wait slices the window handles its
// events; as soon as stopRequested() says so, the request is aborted. A null
// client fails with HttpFailure::NoNetwork.
HttpResponse fetch(IHttp* http, IEvents& events, const HttpRequest& request,
                   const std::function<bool()>& stopRequested);

// Short German text for a failure, as the status bar shows it.
std::string failureCaption(const HttpResponse& response);

// Parses an HTTP date (RFC 1123, RFC 850 or asctime form) into seconds since
// 1970-01-01 UTC.
std::optional<std::int64_t> parseHttpDate(const std::string& text);

// Address helpers for absolute http(s) addresses.
struct UrlParts {
    std::string scheme;    // "http" or "https", lower case
    std::string host;      // without brackets for IPv6
    int port = 0;          // explicit or the scheme's default
    std::string target;    // path and query, at least "/"
};
std::optional<UrlParts> splitUrl(const std::string& url);
// Resolves a Location header against the address it came from.
std::string resolveLocation(const std::string& base, const std::string& location);

} // namespace rz
