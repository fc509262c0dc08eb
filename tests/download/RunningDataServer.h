#pragma once
// The data server on a free loopback port, serving on a thread of its own,
// and a raw client for requests no library sends. For tests; POSIX sockets
// or Windows sockets.
#if defined(_WIN32)
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>
#endif

#include <chrono>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "server/DataServer.h"

namespace rz::test {

struct DataServerSetup {
    PortalOptions portal = {};
    ServerDeadlines deadlines = {};
    std::size_t maxConnections = 128;
};

class RunningDataServer {
public:
    explicit RunningDataServer(const std::string& db, const DataServerSetup& setup = {})
        : server_(db, [this](const std::string& line) {
              const std::lock_guard<std::mutex> lock(mu_);
              log_.push_back(line);
          }) {
        server_.setPortal(setup.portal);
        server_.setDeadlines(setup.deadlines);
        server_.setMaxConnections(setup.maxConnections);
        // From here on connections wait in the system's queue: no waiting for
        // the loop to run.
        if (!server_.start("127.0.0.1", 0))
            throw std::runtime_error("the data server cannot listen on the loopback");
        thread_ = std::thread([this] { server_.serve(); });
    }
    ~RunningDataServer() {
        server_.stop();
        thread_.join();
    }
    RunningDataServer(const RunningDataServer&) = delete;
    RunningDataServer& operator=(const RunningDataServer&) = delete;

    DataServer& server() { return server_; }
    std::string address() const { return server_.address(); }
    int port() const { return server_.port(); }

    std::vector<std::string> log() const {
        const std::lock_guard<std::mutex> lock(mu_);
        return log_;
    }
    // The server logs a request just after its answer is out: waits for
    // `count` lines, at most `guard` (a guard against a hang, not a timing).
    std::vector<std::string> waitForLog(std::size_t count, std::chrono::seconds guard = std::chrono::seconds(30)) const {
        const auto until = std::chrono::steady_clock::now() + guard;
        for (;;) {
            std::vector<std::string> lines = log();
            if (lines.size() >= count || std::chrono::steady_clock::now() >= until)
                return lines;
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    }

private:
    DataServer server_;
    std::thread thread_;
    mutable std::mutex mu_;
    std::vector<std::string> log_;
};

// A plain TCP client on the loopback; every wait ends after `guard` at the
// latest, so that a server that hangs fails the test instead of stalling it.
class RawClient {
public:
#if defined(_WIN32)
    using Socket = SOCKET;
    static constexpr Socket kNone = INVALID_SOCKET;
#else
    using Socket = int;
    static constexpr Socket kNone = -1;
#endif

    explicit RawClient(int port, std::chrono::milliseconds guard = std::chrono::milliseconds(20000)) {
#if defined(_WIN32)
        WSADATA wsa;
        ::WSAStartup(MAKEWORD(2, 2), &wsa);
        const DWORD ms = static_cast<DWORD>(guard.count());
        s_ = ::socket(AF_INET, SOCK_STREAM, 0);
        ::setsockopt(s_, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&ms), sizeof ms);
        ::setsockopt(s_, SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&ms), sizeof ms);
#else
        s_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        timeval tv{static_cast<time_t>(guard.count() / 1000), static_cast<suseconds_t>(guard.count() % 1000 * 1000)};
        ::setsockopt(s_, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
        ::setsockopt(s_, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
#endif
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_port = htons(static_cast<unsigned short>(port));
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (::connect(s_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
            closeSocket();
        }
    }
    ~RawClient() { closeSocket(); }
    RawClient(const RawClient&) = delete;
    RawClient& operator=(const RawClient&) = delete;

    bool connected() const { return s_ != kNone; }

    bool send(const std::string& bytes) {
        std::size_t done = 0;
        while (connected() && done < bytes.size()) {
            const auto n = ::send(s_, bytes.data() + done, static_cast<int>(bytes.size() - done), 0);
            if (n <= 0)
                return false;
            done += static_cast<std::size_t>(n);
        }
        return connected();
    }

    // Reads until the server closes the connection. `closed` tells whether
    // it did (false: the guard ran out or the connection was reset).
    std::string readToEnd(bool* closed = nullptr) {
        std::string all;
        char buf[4096];
        bool ended = false;
        while (connected()) {
            const auto n = ::recv(s_, buf, sizeof buf, 0);
            if (n == 0)
                ended = true;
            if (n <= 0)
                break;
            all.append(buf, static_cast<std::size_t>(n));
        }
        if (closed)
            *closed = ended;
        return all;
    }

    // Reads one answer's header and its body of Content-Length bytes.
    std::string readAnswer() {
        std::string all;
        char buf[4096];
        std::size_t want = std::string::npos;
        while (connected() && (want == std::string::npos || all.size() < want)) {
            const auto n = ::recv(s_, buf, sizeof buf, 0);
            if (n <= 0)
                break;
            all.append(buf, static_cast<std::size_t>(n));
            const std::size_t end = all.find("\r\n\r\n");
            if (want == std::string::npos && end != std::string::npos) {
                std::size_t length = 0;
                const std::size_t at = all.find("Content-Length: ");
                if (at != std::string::npos && at < end)
                    length = std::stoul(all.substr(at + 16));
                want = end + 4 + (all.compare(0, 12, "HTTP/1.1 304") == 0 ? 0 : length);
            }
        }
        return all;
    }

private:
    void closeSocket() {
        if (s_ == kNone)
            return;
#if defined(_WIN32)
        ::closesocket(s_);
#else
        ::close(s_);
#endif
        s_ = kNone;
    }

    Socket s_ = kNone;
};

} // namespace rz::test
