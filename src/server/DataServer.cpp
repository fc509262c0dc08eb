#include "server/DataServer.h"

#include <httplib.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <ctime>
#include <filesystem>
#include <map>

#include "common/Dates.h"
#include "database/DrawingDatabase.h"
#include "download/Download.h"
#include "common/FileIo.h"
#include "online/OnlineFiles.h"
#include "common/Text.h"
#include "common/Path.h"

namespace rz {
namespace {

std::string percentDecode(const std::string& s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '%' && i + 2 < s.size() && std::isxdigit(static_cast<unsigned char>(s[i + 1])) &&
            std::isxdigit(static_cast<unsigned char>(s[i + 2]))) {
            out += static_cast<char>(std::stoi(s.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            out += s[i] == '+' ? ' ' : s[i];
        }
    }
    return out;
}

using Query = std::map<std::string, std::string>;

Query parseQuery(const std::string& query) {
    Query q;
    std::size_t pos = 0;
    while (pos <= query.size()) {
        const std::size_t amp = std::min(query.find('&', pos), query.size());
        const std::string pair = query.substr(pos, amp - pos);
        if (!pair.empty()) {
            const std::size_t eq = pair.find('=');
            q[lowerAscii(percentDecode(pair.substr(0, eq)))] =
                eq == std::string::npos ? std::string() : percentDecode(pair.substr(eq + 1));
        }
        pos = amp + 1;
    }
    return q;
}

// "yyyymmdd" -> day number; false unless eight digits of a real date.
bool parseYyyymmdd(const std::string& text, DayNumber& out) {
    if (text.size() != 8 || !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return false;
    const int y = std::stoi(text.substr(0, 4)), m = std::stoi(text.substr(4, 2)), d = std::stoi(text.substr(6, 2));
    if (m < 1 || m > 12 || d < 1 || d > 31)
        return false;
    const DayNumber day = dayFromYmd(y, m, d);
    const Ymd back = ymdFromDay(day);
    if (back.year != y || back.month != m || back.day != d)
        return false;
    out = day;
    return true;
}

// A path as sent, percent-decoded ("+" is a plus sign in a path).
std::string decodePath(const std::string& s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '%' && i + 2 < s.size() && std::isxdigit(static_cast<unsigned char>(s[i + 1])) && std::isxdigit(static_cast<unsigned char>(s[i + 2]))) {
            out += static_cast<char>(std::stoi(s.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            out += s[i];
        }
    }
    return out;
}

std::string htmlEscape(const std::string& s) {
    std::string out;
    for (const char c : s) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&#39;"; break;
        default: out += c;
        }
    }
    return out;
}

// A file served from a folder: a plain name of a regular file, no path.
bool isPlainFileName(const std::string& name) {
    if (name.empty() || name[0] == '.')
        return false;
    for (const char c : name)
        if (c == '/' || c == '\\' || c == ':' || static_cast<unsigned char>(c) < 0x20)
            return false;
    return true;
}

// Files the server hands out are small; anything larger is not one of them.
constexpr std::int64_t kMaxServedFile = 16LL * 1024 * 1024;

ServerAnswer notFound() {
    return ServerAnswer{404, "Not Found\r\n", "text/plain; charset=utf-8"};
}

std::string nowIso() {
    const std::time_t t = std::time(nullptr);
    std::tm tm{};
#if defined(_WIN32)
    localtime_s(&tm, &t);
#else
    localtime_r(&t, &tm);
#endif
    char buf[32];
    std::strftime(buf, sizeof buf, "%Y-%m-%dT%H:%M:%S", &tm);
    return buf;
}

} // namespace

std::string DataServerRoutes::drawingsOf(DayNumber day) const {
    std::string body;
    for (const DrawingRecord& r : DrawingDatabase(databasePath_).readAll()) {
        if (r.Date != day)
            continue;
        for (int i = 1; i <= 5; ++i)
            body += std::to_string(r.main(i)) + ",";
        body += std::to_string(r.megaBall()) + "," + std::to_string(r.megaplier()) + "\r\n";
    }
    return body;
}

ServerAnswer DataServerRoutes::answer(const std::string& method, const std::string& target) const {
    if (method != "GET" && method != "HEAD")
        return notFound();
    const std::size_t q = target.find('?');
    const std::string path = lowerAscii(percentDecode(target.substr(0, q)));
    const Query query = parseQuery(q == std::string::npos ? std::string() : target.substr(q + 1));

    // The drawing request.
    if (path == "/lotto/uslotto.asp") {
        const auto programm = query.find("programm");
        const auto datum = query.find("datum");
        DayNumber day = 0;
        if (programm == query.end() || programm->second != "RuvuZevodare" || datum == query.end() ||
            !parseYyyymmdd(datum->second, day))
            return notFound();
        return ServerAnswer{200, drawingsOf(day), "text/plain; charset=utf-8"};
    }
    // The online submission: the cart base (or a notice), the fallback cart
    // and the click scripts' updates.
    if (path == "/lotto/lotto.asp")
        return cartAnswer(q == std::string::npos ? std::string() : target.substr(q + 1));
    if (path == "/lotto/warenkorb2.asp") {
        std::string page = "<!DOCTYPE html>\r\n<html><head><meta charset=\"utf-8\"><title>Warenkorb</title></head><body>\r\n"
                           "<h1>Warenkorb</h1>\r\n<table>\r\n";
        for (int k = 1; k <= 6; ++k) {
            const auto it = query.find("kasten" + std::to_string(k));
            page += "<tr><td>Tipp " + std::to_string(k) + "</td><td>" +
                    htmlEscape(it == query.end() ? std::string() : it->second) + "</td></tr>\r\n";
        }
        const auto tipps = query.find("tipps");
        page += "</table>\r\n<p>Tipps: " + htmlEscape(tipps == query.end() ? std::string() : tipps->second) +
                "</p>\r\n</body></html>\r\n";
        return ServerAnswer{200, page, "text/html; charset=utf-8"};
    }
    const std::string rawPath = decodePath(target.substr(0, q));
    if (path.rfind("/scripts/", 0) == 0)
        return scriptAnswer(rawPath.substr(9));
    return notFound();
}

ServerAnswer DataServerRoutes::cartAnswer(const std::string& queryText) const {
    const Query query = parseQuery(queryText);
    const auto spiel = query.find("spiel"), wo = query.find("wo"), tipps = query.find("tipps");
    if (spiel == query.end() || spiel->second != "Zentuva" || wo == query.end() || wo->second != "Lottoland" ||
        tipps == query.end() || tipps->second.empty() || tipps->second.size() > 2 ||
        !std::all_of(tipps->second.begin(), tipps->second.end(), [](char c) { return c >= '0' && c <= '9'; }) ||
        std::stoi(tipps->second) < 1 || std::stoi(tipps->second) > 12)
        return notFound();
    if (!portal_.noticeFile.empty()) // a file that cannot be read ends in status 500
        return ServerAnswer{404, readWholeFile(portal_.noticeFile, kMaxServedFile), "text/html; charset=utf-8"};
    if (portal_.cartBase)
        return ServerAnswer{200, *portal_.cartBase, "text/plain; charset=utf-8"};
    return notFound();
}

ServerAnswer DataServerRoutes::scriptAnswer(const std::string& name) const {
    if (portal_.scriptsFolder.empty() || !isPlainFileName(name) || name.size() < 5 ||
        lowerAscii(name.substr(name.size() - 4)) != ".txt")
        return notFound();
    const std::string file = fromPath(toPath(portal_.scriptsFolder) / name);
    std::error_code ec;
    if (!std::filesystem::is_regular_file(toPath(file), ec))
        return notFound();
    const auto modified = fileModifiedSeconds(file);
    ServerAnswer a{200, readWholeFile(file, kMaxServedFile), "text/plain; charset=utf-8"};
    if (modified)
        a.headers.emplace_back("Last-Modified", formatHttpDate(*modified));
    return a;
}

std::string formatHttpDate(std::int64_t seconds) {
    static const char* const days[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const std::time_t t = static_cast<std::time_t>(seconds);
    std::tm tm{};
#if defined(_WIN32)
    gmtime_s(&tm, &t);
#else
    gmtime_r(&t, &tm);
#endif
    char buf[64];
    std::snprintf(buf, sizeof buf, "%s, %02d %s %04d %02d:%02d:%02d GMT", days[tm.tm_wday], tm.tm_mday,
                  months[tm.tm_mon], tm.tm_year + 1900, tm.tm_hour, tm.tm_min, tm.tm_sec);
    return buf;
}

struct DataServer::Impl {
    DataServerRoutes routes;
    httplib::Server server;
    explicit Impl(std::string db) : routes(std::move(db)) {}
};

DataServer::DataServer(std::string databasePath, Logger logger) : impl_(std::make_unique<Impl>(std::move(databasePath))) {
    httplib::Server& s = impl_->server;
    const auto handler = [this](const httplib::Request& req, httplib::Response& res) {
        ServerAnswer a;
        try {
            a = impl_->routes.answer(req.method, req.target);
        } catch (const std::exception& e) {
            a = ServerAnswer{500, std::string("Internal Server Error: ") + e.what() + "\r\n", "text/plain; charset=utf-8"};
        }
        res.status = a.status;
        for (const auto& [name, value] : a.headers)
            res.set_header(name, value);
        res.set_content(a.body, a.contentType.c_str());
    };
    s.Get(".*", handler);
    s.set_tcp_nodelay(true);
    s.set_keep_alive_max_count(100);
    s.set_error_handler([](const httplib::Request&, httplib::Response& res) {
        if (res.body.empty())
            res.set_content(res.status == 404 ? "Not Found\r\n" : "Error\r\n", "text/plain; charset=utf-8");
    });
    if (logger)
        s.set_logger([logger](const httplib::Request& req, const httplib::Response& res) {
            logger(nowIso() + " " + req.remote_addr + " " + req.method + " " + req.target + " " +
                   std::to_string(res.status) + " " + std::to_string(res.body.size()));
        });
}

DataServer::~DataServer() { stop(); }

void DataServer::setPortal(PortalOptions portal) { impl_->routes.setPortal(std::move(portal)); }

bool DataServer::start(const std::string& bindAddress, int port) {
    bind_ = bindAddress;
    if (port == 0) {
        port_ = impl_->server.bind_to_any_port(bindAddress);
        return port_ > 0;
    }
    if (!impl_->server.bind_to_port(bindAddress, port))
        return false;
    port_ = port;
    return true;
}

std::string DataServer::address() const {
    const bool v6 = bind_.find(':') != std::string::npos;
    return "http://" + (v6 ? "[" + bind_ + "]" : bind_) + ":" + std::to_string(port_);
}

void DataServer::serve() { impl_->server.listen_after_bind(); }

bool DataServer::running() const { return impl_ && impl_->server.is_running(); }

void DataServer::stop() {
    if (impl_)
        impl_->server.stop();
}

} // namespace rz
