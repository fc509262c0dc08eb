#include "download/Http.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

#include "services/Platform.h"
#include "common/ProgramTexts.h"
#include "common/Dates.h"
#include "common/Text.h"

namespace rz {

HttpResponse fetch(IHttp* http, IEvents& events, const HttpRequest& request,
                   const std::function<bool()>& stopRequested) {
    if (!http) {
        HttpResponse none;
        none.failure = HttpFailure::NoNetwork;
        none.failureText = txt(Txt::HttpNoNetwork);
        return none;
    }
    const IHttp::Id id = http->start(request);
    bool aborted = false;
    while (!http->finished(id)) {
        if (!aborted && stopRequested && stopRequested()) {
            http->abort(id);
            aborted = true;
            continue;
        }
        http->wait(id, kHttpWaitSliceMs);
        events.processPendingEvents();
    }
    return http->take(id);
}

std::string failureCaption(const HttpResponse& r) {
    switch (r.failure) {
    case HttpFailure::None:
        return r.statusLine;
    case HttpFailure::ConnectionRefused:
        return txt(Txt::HttpConnectionRefused);
    case HttpFailure::HostNotFound:
        return txt(Txt::HttpHostNotFound);
    case HttpFailure::Timeout:
        return txt(Txt::HttpTimeout);
    case HttpFailure::TooManyRedirects:
        return txt(Txt::HttpTooManyRedirects);
    case HttpFailure::TooLarge:
        return txt(Txt::HttpTooLarge);
    case HttpFailure::Broken:
        return txt(Txt::HttpBroken);
    case HttpFailure::Aborted:
        return txt(Txt::HttpAborted);
    case HttpFailure::NoNetwork:
        return txt(Txt::HttpNoNetwork);
    case HttpFailure::Other:
        break;
    }
    return txt(Txt::HttpOther);
}

namespace {

int monthIndex(const char* m) {
    static const char* const names[] = {"jan", "feb", "mar", "apr", "may", "jun",
                                        "jul", "aug", "sep", "oct", "nov", "dec"};
    const std::string l = lowerAscii(m);
    for (int i = 0; i < 12; ++i)
        if (l == names[i])
            return i + 1;
    return 0;
}

} // namespace

std::optional<std::int64_t> parseHttpDate(const std::string& text) {
    char wd[16] = {}, mon[16] = {}, zone[16] = {};
    int d = 0, y = 0, hh = 0, mm = 0, ss = 0;
    bool ok = false;
    // Sun, 06 Nov 1994 08:49:37 GMT
    if (std::sscanf(text.c_str(), "%15[A-Za-z], %d %15[A-Za-z] %d %d:%d:%d %15s", wd, &d, mon, &y, &hh, &mm, &ss,
                    zone) == 8)
        ok = true;
    // Sunday, 06-Nov-94 08:49:37 GMT
    else if (std::sscanf(text.c_str(), "%15[A-Za-z], %d-%15[A-Za-z]-%d %d:%d:%d %15s", wd, &d, mon, &y, &hh, &mm,
                         &ss, zone) == 8) {
        ok = true;
        if (y < 100)
            y += y < 70 ? 2000 : 1900;
    }
    // Sun Nov  6 08:49:37 1994
    else if (std::sscanf(text.c_str(), "%15[A-Za-z] %15[A-Za-z] %d %d:%d:%d %d", wd, mon, &d, &hh, &mm, &ss, &y) == 7)
        ok = true;
    const int m = ok ? monthIndex(mon) : 0;
    if (!ok || m == 0 || d < 1 || d > 31 || hh > 23 || mm > 59 || ss > 60 || y < 1970)
        return std::nullopt;
    const auto days = static_cast<std::int64_t>(dayFromYmd(y, m, d) - dayFromYmd(1970, 1, 1));
    return days * 86400 + hh * 3600 + mm * 60 + ss;
}

std::optional<UrlParts> splitUrl(const std::string& url) {
    const std::size_t schemeEnd = url.find("://");
    if (schemeEnd == std::string::npos)
        return std::nullopt;
    UrlParts p;
    p.scheme = lowerAscii(url.substr(0, schemeEnd));
    if (p.scheme != "http" && p.scheme != "https")
        return std::nullopt;
    const std::size_t authStart = schemeEnd + 3;
    const std::size_t targetStart = url.find_first_of("/?#", authStart);
    std::string authority = url.substr(authStart, targetStart == std::string::npos ? std::string::npos
                                                                                    : targetStart - authStart);
    if (const std::size_t at = authority.rfind('@'); at != std::string::npos)
        authority = authority.substr(at + 1); // user information is not used
    std::string portText;
    if (!authority.empty() && authority.front() == '[') {
        const std::size_t close = authority.find(']');
        if (close == std::string::npos)
            return std::nullopt;
        p.host = authority.substr(1, close - 1);
        if (close + 1 < authority.size()) {
            if (authority[close + 1] != ':')
                return std::nullopt;
            portText = authority.substr(close + 2);
        }
    } else {
        const std::size_t colon = authority.rfind(':');
        p.host = authority.substr(0, colon);
        if (colon != std::string::npos)
            portText = authority.substr(colon + 1);
    }
    if (p.host.empty())
        return std::nullopt;
    p.port = p.scheme == "https" ? 443 : 80;
    if (!portText.empty()) {
        int port = 0;
        for (char c : portText) {
            if (c < '0' || c > '9' || port > 65535)
                return std::nullopt;
            port = port * 10 + (c - '0');
        }
        if (port < 1 || port > 65535)
            return std::nullopt;
        p.port = port;
    }
    std::string target = targetStart == std::string::npos ? std::string("/") : url.substr(targetStart);
    if (const std::size_t hash = target.find('#'); hash != std::string::npos)
        target.erase(hash);
    if (target.empty() || target.front() != '/')
        target.insert(target.begin(), '/');
    p.target = target;
    return p;
}

std::string resolveLocation(const std::string& base, const std::string& location) {
    if (location.find("://") != std::string::npos)
        return location;
    const auto b = splitUrl(base);
    if (!b)
        return location;
    const bool v6 = b->host.find(':') != std::string::npos;
    const std::string origin =
        b->scheme + "://" + (v6 ? "[" + b->host + "]" : b->host) + ":" + std::to_string(b->port);
    if (location.rfind("//", 0) == 0)
        return b->scheme + ":" + location;
    if (!location.empty() && location.front() == '/')
        return origin + location;
    // Relative to the folder of the base path.
    std::string path = b->target.substr(0, b->target.find('?'));
    path = path.substr(0, path.rfind('/') + 1);
    return origin + path + location;
}

} // namespace rz
