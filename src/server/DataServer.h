#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace rz {

// What the data server answers to one request.
struct ServerAnswer {
    int status = 404;
    std::string body;
    std::string contentType = "text/plain; charset=utf-8";
    std::vector<std::pair<std::string, std::string>> headers = {};
};

// What the server answers for the online submission: the portal's cart base,
// a notice instead of it, and the click scripts' updates.
struct PortalOptions {
    // Answered on the cart request; none: the cart request is refused (404),
    // so that the program takes the fallback cart.
    std::optional<std::string> cartBase;
    // An HTML file answered on the cart request instead, with status 404.
    std::string noticeFile;
    // The folder whose "NAME.txt" files are served as "/scripts/NAME.txt",
    // with their modification time as Last-Modified.
    std::string scriptsFolder;
};

// The conditions of a request that the drawing answer honours, as sent.
struct RequestConditions {
    std::string ifNoneMatch;
    std::string ifModifiedSince;
};

// The answers of the data server, without the network: a request path and
// query in, an answer out. The drawing file is read once and kept parsed in
// memory; every drawing request checks (one stat) whether the file changed
// and then reads it anew, so drawings added while the server runs are served
// at once. Safe to use from several threads.
class DataServerRoutes {
public:
    explicit DataServerRoutes(std::string databasePath);
    ~DataServerRoutes();
    DataServerRoutes(const DataServerRoutes&) = delete;
    DataServerRoutes& operator=(const DataServerRoutes&) = delete;

    void setPortal(PortalOptions portal) { portal_ = std::move(portal); }
    // The day the caching rules count as today (default: the local date).
    void setToday(std::function<double()> today) { today_ = std::move(today); }

    // target: path and query as sent, e.g. "/lotto/uslotto.asp?Programm=RuvuZevodare&Datum=20191022".
    ServerAnswer answer(const std::string& method, const std::string& target) const {
        return answer(method, target, RequestConditions{});
    }
    // A drawing answer carries Cache-Control, ETag and Last-Modified, and is
    // 304 (no body) when the conditions show that the client has it.
    ServerAnswer answer(const std::string& method, const std::string& target, const RequestConditions& conditions) const;

    // One line per drawing of the date: five main numbers, MegaBall and
    // Megaplier, comma-separated, each line ended by CR LF.
    std::string drawingsOf(double day) const;
    // How often the drawing file has been read so far.
    std::uint64_t fileReads() const;

private:
    struct Drawings;
    struct Cache;
    std::shared_ptr<const Drawings> drawings() const;
    ServerAnswer drawingAnswer(double day, const RequestConditions& conditions) const;
    ServerAnswer cartAnswer(const std::string& query) const;
    ServerAnswer scriptAnswer(const std::string& name) const;

    std::string databasePath_;
    PortalOptions portal_;
    std::function<double()> today_;
    std::unique_ptr<Cache> cache_;
};

// An HTTP date (RFC 1123, always GMT) for seconds since 1970-01-01 UTC.
std::string formatHttpDate(std::int64_t seconds);

// The HTTP server around the routes. start() binds and listens; the caller
// then runs serve() (blocking) on a thread of its choice, and stop() ends it.
class DataServer {
public:
    using Logger = std::function<void(const std::string& line)>;

    DataServer(std::string databasePath, Logger logger);
    ~DataServer();
    DataServer(const DataServer&) = delete;
    DataServer& operator=(const DataServer&) = delete;

    // The answers of the online submission; call before serve().
    void setPortal(PortalOptions portal);
    // Connections served at once (each on a thread of its own); as many more
    // wait, and beyond that a connection is refused with 503. Call before serve().
    void setMaxConnections(std::size_t count);

    // Returns false when the address cannot be bound. Port 0 takes a free port.
    bool start(const std::string& bindAddress, int port);
    int port() const { return port_; }
    // "http://127.0.0.1:8080" (IPv6 addresses in brackets).
    std::string address() const;
    void serve();
    // True while serve() accepts connections.
    bool running() const;
    void stop();

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
    std::string bind_;
    int port_ = 0;
};

} // namespace rz
