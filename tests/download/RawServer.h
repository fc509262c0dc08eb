#pragma once
// A loopback HTTP server that writes raw bytes, for answers no well-behaved
// server sends: a body shorter than announced, a reset in the middle, an
// endless body, endless headers, one byte at a time. POSIX only.
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace rz::test {

class RawServer {
public:
    // Writes the answer to the connected socket; `stopping` turns true when
    // the server shuts down. The socket is closed afterwards.
    using Handler = std::function<void(int fd, const std::atomic<bool>& stopping)>;

    explicit RawServer(Handler handler) : handler_(std::move(handler)) {
        listen_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        int one = 1;
        ::setsockopt(listen_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t len = sizeof addr;
        if (::bind(listen_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 && ::listen(listen_, 16) == 0 &&
            ::getsockname(listen_, reinterpret_cast<sockaddr*>(&addr), &len) == 0)
            port_ = ntohs(addr.sin_port);
        thread_ = std::thread([this] { acceptLoop(); });
    }
    ~RawServer() {
        stopping_ = true;
        if (thread_.joinable())
            thread_.join();
        std::lock_guard<std::mutex> lock(mu_);
        for (std::thread& t : connections_)
            if (t.joinable())
                t.join();
        ::close(listen_);
    }
    RawServer(const RawServer&) = delete;
    RawServer& operator=(const RawServer&) = delete;

    std::string url() const { return "http://127.0.0.1:" + std::to_string(port_); }
    int requests() const { return requests_; }

    // Sends all of `data`; false once the client is gone.
    static bool sendAll(int fd, const std::string& data) {
        std::size_t done = 0;
        while (done < data.size()) {
            const ssize_t put = ::send(fd, data.data() + done, data.size() - done, MSG_NOSIGNAL);
            if (put <= 0)
                return false;
            done += static_cast<std::size_t>(put);
        }
        return true;
    }
    // Ends the connection with a reset instead of an orderly close.
    static void reset(int fd) {
        linger l{1, 0};
        ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &l, sizeof l);
    }

    // The usual answers.
    static Handler announcesMore(std::size_t announced, std::string body, bool withReset = false) {
        return [=](int fd, const std::atomic<bool>&) {
            sendAll(fd, "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(announced) +
                            "\r\nContent-Type: text/plain\r\n\r\n" + body);
            if (withReset)
                reset(fd);
        };
    }
    static Handler endlessBody(std::string unit) {
        return [=](int fd, const std::atomic<bool>& stopping) {
            if (!sendAll(fd, "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nConnection: close\r\n\r\n"))
                return;
            std::string block;
            while (block.size() < 64 * 1024)
                block += unit;
            while (!stopping && sendAll(fd, block)) {
            }
        };
    }
    static Handler endlessHeaders() {
        return [](int fd, const std::atomic<bool>& stopping) {
            if (!sendAll(fd, "HTTP/1.1 200 OK\r\n"))
                return;
            const std::string header = "X-Padding: " + std::string(1000, 'a') + "\r\n";
            std::string block;
            while (block.size() < 64 * 1024)
                block += header;
            while (!stopping && sendAll(fd, block)) {
            }
        };
    }
    // `head` at once, then one byte of `rest` every `everyMs`.
    static Handler trickle(std::string head, std::string rest, int everyMs) {
        return [=](int fd, const std::atomic<bool>& stopping) {
            if (!sendAll(fd, head))
                return;
            for (std::size_t i = 0; !stopping; i = (i + 1) % rest.size()) {
                if (!sendAll(fd, std::string(1, rest[i])))
                    return;
                for (int waited = 0; waited < everyMs && !stopping; waited += 5)
                    std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
        };
    }

private:
    void acceptLoop() {
        while (!stopping_) {
            pollfd p{listen_, POLLIN, 0};
            if (::poll(&p, 1, 20) <= 0)
                continue;
            const int fd = ::accept4(listen_, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd < 0)
                continue;
            ++requests_;
            // A client that stops reading must not block the handler for
            // good: a send waits at most a second.
            timeval wait{1, 0};
            ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &wait, sizeof wait);
            std::lock_guard<std::mutex> lock(mu_);
            connections_.emplace_back([this, fd] {
                readRequestHead(fd);
                handler_(fd, stopping_);
                ::close(fd);
            });
        }
    }
    // Reads up to the blank line after the request's header (or 1 s).
    void readRequestHead(int fd) {
        std::string got;
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(1);
        while (got.find("\r\n\r\n") == std::string::npos && std::chrono::steady_clock::now() < until && !stopping_) {
            pollfd p{fd, POLLIN, 0};
            if (::poll(&p, 1, 20) <= 0)
                continue;
            char buf[4096];
            const ssize_t n = ::recv(fd, buf, sizeof buf, 0);
            if (n <= 0)
                return;
            got.append(buf, static_cast<std::size_t>(n));
        }
    }

    Handler handler_;
    int listen_ = -1;
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    std::atomic<int> requests_{0};
    std::thread thread_;
    std::mutex mu_;
    std::vector<std::thread> connections_;
};

} // namespace rz::test
