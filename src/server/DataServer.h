#pragma once
#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <string>

#include "server/DataServerRoutes.h"

namespace rz {

// What one client may take of the server's time.
struct ServerDeadlines {
    // A request header must be whole this long after the connection opens or
    // the previous answer went out (else 408, or a silent close when nothing
    // of it came).
    std::chrono::milliseconds header{10000};
    // A kept-alive connection waits this long for its next request.
    std::chrono::milliseconds idle{5000};
    // Writing one answer may take this long (a client that does not read).
    std::chrono::milliseconds write{30000};
    // After the last answer, what the client still sends is read and dropped
    // for this long, so that closing does not reset the connection under the
    // answer.
    std::chrono::milliseconds linger{1000};
};

// The HTTP server around the routes, on one event loop (a fixed pair of
// threads, no thread per connection). start() binds and listens (from then
// on connections wait in the system's queue); serve() runs the loop until
// stop(), which may come from any thread, even before serve().
class DataServer {
public:
    using Logger = std::function<void(const std::string& line)>;

    DataServer(std::string databasePath, Logger logger);
    ~DataServer();
    DataServer(const DataServer&) = delete;
    DataServer& operator=(const DataServer&) = delete;

    // The answers of the online submission; call before serve().
    void setPortal(PortalOptions portal);
    // Connections served at once; a connection beyond them gets 503 at once
    // and is closed. Call before start().
    void setMaxConnections(std::size_t count);
    // Call before serve().
    void setDeadlines(const ServerDeadlines& deadlines);
    // Reads the drawing file now (see DataServerRoutes::load).
    void loadDrawings();

    // Returns false when the address cannot be bound. Port 0 takes a free port.
    bool start(const std::string& bindAddress, int port);
    int port() const { return port_; }
    // "http://127.0.0.1:8080" (IPv6 addresses in brackets).
    std::string address() const;
    void serve();
    // True while serve() runs the loop.
    bool running() const;
    void stop();

    struct Impl; // the loop, the listener and the connections' shared state

private:
    std::unique_ptr<Impl> impl_;
    std::string bind_;
    int port_ = 0;
};

} // namespace rz
