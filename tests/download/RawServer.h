#pragma once
// A loopback HTTP server that writes raw bytes, for answers no well-behaved
// server sends: a body shorter than announced, a reset in the middle, an
// endless body, endless headers, one byte at a time. POSIX sockets or
// Windows sockets.
#if defined(_WIN32)
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>
#endif

#include <algorithm>
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
#if defined(_WIN32)
    using Socket = SOCKET;
#else
    using Socket = int;
#endif
    // Writes the answer to the connected socket; `stopping` turns true when
    // the server shuts down. The socket is closed afterwards.
    using Handler = std::function<void(Socket fd, const std::atomic<bool>& stopping)>;

    explicit RawServer(Handler handler) : handler_(std::move(handler)) {
#if defined(_WIN32)
        WSADATA wsa;
        ::WSAStartup(MAKEWORD(2, 2), &wsa);
        listen_ = ::socket(AF_INET, SOCK_STREAM, 0);
        // Windows' SO_REUSEADDR would let another socket take the port.
#else
        listen_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        int one = 1;
        ::setsockopt(listen_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
#endif
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
        closeSocket(listen_);
#if defined(_WIN32)
        ::WSACleanup();
#endif
    }
    RawServer(const RawServer&) = delete;
    RawServer& operator=(const RawServer&) = delete;

    std::string url() const { return "http://127.0.0.1:" + std::to_string(port_); }
    int requests() const { return requests_; }

    // Sends all of `data`; false once the client is gone.
    static bool sendAll(Socket fd, const std::string& data) {
        std::size_t done = 0;
        while (done < data.size()) {
#if defined(_WIN32)
            const int put = ::send(fd, data.data() + done, static_cast<int>(std::min<std::size_t>(data.size() - done, 1 << 20)), 0);
#else
            const ssize_t put = ::send(fd, data.data() + done, data.size() - done, MSG_NOSIGNAL);
#endif
            if (put <= 0)
                return false;
            done += static_cast<std::size_t>(put);
        }
        return true;
    }
    // Ends the connection with a reset instead of an orderly close.
    static void reset(Socket fd) {
        linger l{1, 0};
        ::setsockopt(fd, SOL_SOCKET, SO_LINGER, reinterpret_cast<const char*>(&l), sizeof l);
    }

    // The usual answers.
    static Handler announcesMore(std::size_t announced, std::string body, bool withReset = false) {
        return [=](Socket fd, const std::atomic<bool>&) {
            sendAll(fd, "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(announced) +
                            "\r\nContent-Type: text/plain\r\n\r\n" + body);
            if (withReset)
                reset(fd);
        };
    }
    static Handler endlessBody(std::string unit) {
        return [=](Socket fd, const std::atomic<bool>& stopping) {
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
        return [](Socket fd, const std::atomic<bool>& stopping) {
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
        return [=](Socket fd, const std::atomic<bool>& stopping) {
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
#if defined(_WIN32)
    static int pollOne(Socket fd, int ms) {
        WSAPOLLFD p{fd, POLLRDNORM, 0};
        return ::WSAPoll(&p, 1, ms);
    }
    static void closeSocket(Socket fd) { ::closesocket(fd); }
#else
    static int pollOne(Socket fd, int ms) {
        pollfd p{fd, POLLIN, 0};
        return ::poll(&p, 1, ms);
    }
    static void closeSocket(Socket fd) { ::close(fd); }
#endif

    void acceptLoop() {
        while (!stopping_) {
            if (pollOne(listen_, 20) <= 0)
                continue;
#if defined(_WIN32)
            const Socket fd = ::accept(listen_, nullptr, nullptr);
            if (fd == INVALID_SOCKET)
                continue;
            // A client that stops reading must not block the handler for
            // good: a send waits at most a second.
            const DWORD wait = 1000;
            ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&wait), sizeof wait);
#else
            const Socket fd = ::accept4(listen_, nullptr, nullptr, SOCK_CLOEXEC);
            if (fd < 0)
                continue;
            // A client that stops reading must not block the handler for
            // good: a send waits at most a second.
            timeval wait{1, 0};
            ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &wait, sizeof wait);
#endif
            ++requests_;
            std::lock_guard<std::mutex> lock(mu_);
            connections_.emplace_back([this, fd] {
                readRequestHead(fd);
                handler_(fd, stopping_);
                closeSocket(fd);
            });
        }
    }
    // Reads up to the blank line after the request's header (or 1 s).
    void readRequestHead(Socket fd) {
        std::string got;
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(1);
        while (got.find("\r\n\r\n") == std::string::npos && std::chrono::steady_clock::now() < until && !stopping_) {
            if (pollOne(fd, 20) <= 0)
                continue;
            char buf[4096];
            const auto n = ::recv(fd, buf, sizeof buf, 0);
            if (n <= 0)
                return;
            got.append(buf, static_cast<std::size_t>(n));
        }
    }

    Handler handler_;
    Socket listen_ = static_cast<Socket>(-1);
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    std::atomic<int> requests_{0};
    std::thread thread_;
    std::mutex mu_;
    std::vector<std::thread> connections_;
};

} // namespace rz::test
