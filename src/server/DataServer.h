#pragma once
#include <functional>
#include <memory>
#include <string>

namespace rz {

// What the data server answers to one request.
struct ServerAnswer {
    int status = 404;
    std::string body;
    std::string contentType = "text/plain; charset=utf-8";
};

// The answers of the data server, without the network: a request path and
// query in, an answer out. The drawing file is read anew for every request,
// so drawings added while the server runs are served at once.
class DataServerRoutes {
public:
    explicit DataServerRoutes(std::string databasePath) : databasePath_(std::move(databasePath)) {}

    // target: path and query as sent, e.g. "/lotto/uslotto.asp?Programm=RuvuZevodare&Datum=20191022".
    ServerAnswer answer(const std::string& method, const std::string& target) const;

    // One line per drawing of the date: five main numbers, MegaBall and
    // Megaplier, comma-separated, each line ended by CR LF.
    std::string drawingsOf(double day) const;

private:
    std::string databasePath_;
};

// The HTTP server around the routes. start() binds and listens; the caller
// then runs serve() (blocking) on a thread of its choice, and stop() ends it.
class DataServer {
public:
    using Logger = std::function<void(const std::string& line)>;

    DataServer(std::string databasePath, Logger logger);
    ~DataServer();
    DataServer(const DataServer&) = delete;
    DataServer& operator=(const DataServer&) = delete;

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
