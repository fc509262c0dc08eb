// The pieces of the drawing download that need no window: the answer's line
// format, the candidate dates and the data server's addresses.
#include "download/Download.h"

#include <algorithm>
#include <cctype>

#include "common/ProgramTexts.h"
#include "common/Text.h"
#include "download/Http.h"

namespace rz {

// ------------------------------------------------------------------ helpers

std::vector<std::string> splitAnswerLines(const std::string& body, std::size_t maxLines) {
    std::vector<std::string> lines;
    std::string cur;
    for (std::size_t i = 0; i < body.size() && lines.size() < maxLines; ++i) {
        const char c = body[i];
        if (c == '\r' || c == '\n') {
            lines.push_back(cur);
            cur.clear();
            if (c == '\r' && i + 1 < body.size() && body[i + 1] == '\n')
                ++i;
        } else {
            cur += c;
        }
    }
    if (!cur.empty() && lines.size() < maxLines)
        lines.push_back(cur);
    return lines;
}

std::string shortenedAnswer(const std::string& body, std::size_t maxChars) {
    std::size_t end = 0;
    for (std::size_t chars = 0; end < body.size() && chars < maxChars; ++chars) {
        // One UTF-8 sequence: a lead byte and its continuation bytes.
        ++end;
        while (end < body.size() && (static_cast<unsigned char>(body[end]) & 0xC0) == 0x80 && end < body.size())
            ++end;
    }
    if (end >= body.size())
        return body;
    return body.substr(0, end) + "…";
}

namespace {

bool readByte(const std::string& field, std::uint8_t& out) {
    std::int32_t v = 0;
    if (!tryParseInt(trimBlanks(field), v) || v < 0 || v > 255)
        return false;
    out = static_cast<std::uint8_t>(v);
    return true;
}

} // namespace

bool parseAnswerLine(const std::string& line, std::array<std::uint8_t, 9>& numbers) {
    static constexpr int kSlot[6] = {1, 2, 3, 4, 5, 7};
    std::string rest = line;
    for (int slot : kSlot) {
        const std::size_t comma = rest.find(',');
        if (comma == std::string::npos)
            return false; // the text before a missing comma is empty
        if (!readByte(rest.substr(0, comma), numbers[static_cast<std::size_t>(slot)]))
            return false;
        rest.erase(0, comma + 1);
    }
    if (!readByte(rest, numbers[8]))
        return false;
    numbers[6] = 0;
    return true;
}

DayNumber nextCandidateDate(DayNumber d) {
    return d + (weekday(d) == 2 ? 3 : 4);
}

std::string normaliseServerAddress(const std::string& address) {
    std::string a = trimBlanks(address);
    if (!a.empty() && a.find("://") == std::string::npos)
        a = "http://" + a;
    return a;
}

std::string downloadSourceHint(const std::string& address) {
    const auto parts = splitUrl(normaliseServerAddress(address));
    std::string source = parts ? parts->host : trimBlanks(address);
    if (parts && parts->port != (parts->scheme == "https" ? 443 : 80))
        source += ":" + std::to_string(parts->port);
    return txt(Txt::DownloadHintSource, {source});
}

bool isCsvSource(const std::string& address) {
    const auto parts = splitUrl(normaliseServerAddress(address));
    if (!parts)
        return false;
    const std::string path = lowerAscii(parts->target.substr(0, parts->target.find('?')));
    return path.size() >= 4 && path.compare(path.size() - 4, 4, ".csv") == 0;
}

std::string drawingRequestUrl(const std::string& serverAddress, DayNumber d) {
    std::string base = normaliseServerAddress(serverAddress);
    if (!splitUrl(base) || base.find_first_of("?#") != std::string::npos)
        return {};
    while (!base.empty() && base.back() == '/')
        base.pop_back();
    return base + kDrawingRequestPath + formatYyyymmdd(d);
}

bool applyRequestSettings(HttpRequest& req, const std::string& proxyHost, const std::string& proxyPort,
                          std::string& message) {
    std::int32_t port = 0;
    const bool number = tryParseInt(trimBlanks(proxyPort), port);
    const std::string host = trimBlanks(proxyHost);
    if (!number || (!host.empty() && (port < 1 || port > 65535))) {
        message = txt(Txt::ProxyPortInvalid, {proxyPort});
        return false;
    }
    req.proxyHost = host;
    req.proxyPort = host.empty() ? 0 : port;
    req.headers = {{"Accept", kRequestAccept}, {"User-Agent", kRequestUserAgent}};
    return true;
}

} // namespace rz
