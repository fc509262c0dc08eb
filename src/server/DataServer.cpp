// The data server's transport: connections on an event loop, each request's
// header read strictly (RequestReader), answered by the routes.
#include "server/DataServer.h"

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/asio/strand.hpp>
#include <boost/asio/write.hpp>
#include <boost/beast/http/message.hpp>
#include <boost/beast/http/string_body.hpp>
#include <boost/beast/http/write.hpp>

#include <algorithm>
#include <array>
#include <atomic>
#include <optional>
#include <string_view>
#include <thread>
#include <vector>

#if !defined(_WIN32)
#include <sys/resource.h>
#endif

#include "server/RequestReader.h"

namespace rz {
namespace {

namespace asio = boost::asio;
namespace http = boost::beast::http;
using tcp = asio::ip::tcp;
using Clock = std::chrono::steady_clock;
using boost::system::error_code;

// Threads of the event loop: a reload of a large drawing file or a slow disk
// holds up one of them, the other goes on answering.
constexpr int kLoopThreads = 2;
constexpr int kMaxRequestsPerConnection = 100;
// What a closing connection may still send before it is cut off.
constexpr std::size_t kMaxLingerBytes = 256 * 1024;
// Connections refused or closing that are given their linger time; beyond
// them a connection is refused and closed at once. Together with the cap on
// served connections this bounds descriptors and memory, whatever a crowd does.
constexpr std::size_t kMaxLingering = 1024;
// Descriptors kept for everything else (files, the log, the listener).
constexpr std::size_t kReservedDescriptors = 64;

const char* reasonOf(int status) {
    switch (status) {
    case 400: return "Bad Request";
    case 404: return "Not Found";
    case 405: return "Method Not Allowed";
    case 408: return "Request Timeout";
    case 413: return "Content Too Large";
    case 431: return "Request Header Fields Too Large";
    case 500: return "Internal Server Error";
    case 503: return "Service Unavailable";
    case 505: return "HTTP Version Not Supported";
    default: return "Error";
    }
}

// The answer to a request that is not served; the connection closes after it.
ServerAnswer refusalAnswer(int status) {
    ServerAnswer a{status, std::string(reasonOf(status)) + "\r\n", "text/plain; charset=utf-8"};
    if (status == 405)
        a.headers.emplace_back("Allow", "GET, HEAD");
    if (status == 503)
        a.headers.emplace_back("Retry-After", "5");
    return a;
}

using Response = http::response<http::string_body>;

std::shared_ptr<Response> responseOf(ServerAnswer a, bool head, bool keepAlive, unsigned version) {
    auto res = std::make_shared<Response>();
    res->version(version);
    res->result(static_cast<unsigned>(a.status));
    if (std::string_view(reasonOf(a.status)) != "Error") // else the parser's own (200 OK, 304 Not Modified)
        res->reason(reasonOf(a.status));
    res->set(http::field::content_type, a.contentType);
    bool lengthSet = false;
    for (const auto& [name, value] : a.headers) {
        res->set(name, value);
        lengthSet = lengthSet || name == "Content-Length";
    }
    if (!lengthSet)
        res->content_length(a.body.size());
    if (!head && a.status != 304)
        res->body() = std::move(a.body);
    res->keep_alive(keepAlive);
    return res;
}

// A refusal that cannot wait for the loop: written at once as far as the
// system takes it. Beyond the hard ceiling only.
std::string plainRefusal(int status) {
    const ServerAnswer a = refusalAnswer(status);
    std::string text = "HTTP/1.1 " + std::to_string(status) + " " + reasonOf(status) + "\r\n";
    for (const auto& [name, value] : a.headers)
        text += name + ": " + value + "\r\n";
    text += "Content-Type: " + a.contentType + "\r\nContent-Length: " + std::to_string(a.body.size()) +
            "\r\nConnection: close\r\n\r\n" + a.body;
    return text;
}

} // namespace

struct DataServer::Impl {
    DataServerRoutes routes;
    Logger logger;
    ServerDeadlines deadlines;
    std::size_t maxConnections = 128;
    std::size_t maxLingering = kMaxLingering;
    std::atomic<std::size_t> active{0};
    std::atomic<std::size_t> lingering{0};
    std::atomic<bool> running{false};
    // Declared after what the connections count on: the loop's pending
    // handlers (which own the connections) go first.
    asio::io_context ioc{kLoopThreads};
    std::optional<tcp::acceptor> acceptor;
    asio::steady_timer acceptPause{ioc};

    explicit Impl(std::string db, Logger log) : routes(std::move(db)), logger(std::move(log)) {}

    void accept();
    void admit(tcp::socket socket);
    // Most served connections are taken: kept-alive connections are closed
    // after their answer instead of waiting for another request.
    bool crowded() const { return active.load() * 4 >= maxConnections * 3; }
    void log(const std::string& peer, const std::string& request, int status, std::size_t bytes) const {
        if (logger)
            logger(logTimeNow() + " " + peer + " " + forLog(request) + " " + std::to_string(status) + " " +
                   std::to_string(bytes));
    }
};

namespace {

// One client connection, on a strand of its own: requests are read, answered
// and the connection is closed under deadlines (one timer, moved along).
class Connection : public std::enable_shared_from_this<Connection> {
public:
    enum class Slot { Served, Lingering };

    Connection(DataServer::Impl& server, tcp::socket socket, Slot slot)
        : server_(server), socket_(std::move(socket)), timer_(socket_.get_executor()), slot_(slot) {
        error_code ec;
        const auto remote = socket_.remote_endpoint(ec);
        if (!ec)
            peer_ = remote.address().to_string();
        socket_.set_option(tcp::no_delay(true), ec);
    }
    ~Connection() {
        if (slot_ == Slot::Served)
            --server_.active;
        else
            --server_.lingering;
    }

    void start() {
        const auto now = Clock::now();
        headerDeadline_ = idleDeadline_ = now + server_.deadlines.header;
        readRequest();
    }

    // Beyond the cap: 503 at once, then the connection closes.
    void refuseAtOnce() { refuse(503, "-"); }

private:
    void setDeadline(Clock::time_point t) {
        deadline_ = t;
        if (!timerArmed_ || t < timerAt_) {
            timer_.expires_at(t);
            timerAt_ = t;
            timerArmed_ = true;
            timer_.async_wait([self = shared_from_this()](error_code ec) { self->onTimer(ec); });
        }
    }
    void onTimer(error_code ec) {
        if (ec == asio::error::operation_aborted)
            return; // moved to another time: a new wait is pending
        timerArmed_ = false;
        if (closed_)
            return;
        if (Clock::now() < deadline_) {
            setDeadline(deadline_);
            return;
        }
        expired_ = true;
        socket_.cancel(ec);
    }

    void readRequest() {
        // Blank lines before a request are allowed and skipped.
        const std::size_t start = in_.find_first_not_of("\r\n");
        if (start != 0) {
            in_.erase(0, start == std::string::npos ? in_.size() : start);
            scanned_ = 0;
        }
        const std::size_t end = requestHeaderEnd(in_, scanned_);
        if (end != 0) {
            handleHeader(end);
            return;
        }
        scanned_ = in_.size();
        if (in_.size() > kMaxRequestHeaderBytes) {
            refuse(431, firstLine(in_));
            return;
        }
        setDeadline(in_.empty() ? idleDeadline_ : headerDeadline_);
        socket_.async_read_some(asio::buffer(buffer_),
                                [self = shared_from_this()](error_code ec, std::size_t n) { self->onRead(ec, n); });
    }

    void onRead(error_code ec, std::size_t n) {
        if (ec) {
            // Time up: a request begun gets 408; a silent connection just ends.
            if (expired_ && !in_.empty() && !closed_)
                refuse(408, firstLine(in_));
            else
                closeNow();
            return;
        }
        in_.append(buffer_.data(), n);
        readRequest();
    }

    static std::string firstLine(const std::string& bytes) {
        const std::size_t end = std::min<std::size_t>({bytes.find_first_of("\r\n"), bytes.size(), 200});
        return bytes.substr(0, end);
    }

    void handleHeader(std::size_t end) {
        const std::string requestLine = firstLine(in_);
        const ServerRequest req = readRequestHeader(std::string_view(in_).substr(0, end));
        in_.erase(0, end);
        scanned_ = 0;
        if (req.refusal != 0) {
            refuse(req.refusal, requestLine);
            return;
        }
        ServerAnswer a;
        try {
            a = server_.routes.answer(req.method, req.target, RequestConditions{req.ifNoneMatch, req.ifModifiedSince});
        } catch (const std::exception& e) {
            // The details are for the log only; the client learns nothing of the server's files.
            if (server_.logger)
                server_.logger(logTimeNow() + " " + peer_ + " error on " + forLog(req.target) + ": " + forLog(e.what()));
            a = ServerAnswer{500, "Internal Server Error\r\n", "text/plain; charset=utf-8"};
        }
        ++served_;
        const bool keep = req.keepAlive && served_ < kMaxRequestsPerConnection && !server_.crowded();
        const std::size_t bytes = a.status == 304 ? 0 : a.body.size();
        const int status = a.status;
        send(responseOf(std::move(a), req.method == "HEAD", keep, req.version), keep,
             req.method + " " + req.target, status, bytes);
    }

    void refuse(int status, const std::string& request) {
        send(responseOf(refusalAnswer(status), false, false, 11), false, request, status,
             std::string(reasonOf(status)).size() + 2);
    }

    void send(std::shared_ptr<Response> res, bool keep, std::string logText, int status, std::size_t bytes) {
        setDeadline(Clock::now() + server_.deadlines.write);
        http::async_write(socket_, *res,
                          [self = shared_from_this(), res, keep, logText = std::move(logText), status,
                           bytes](error_code ec, std::size_t) {
                              if (ec) {
                                  self->closeNow();
                                  return;
                              }
                              // Logged once the answer is out.
                              self->server_.log(self->peer_, logText, status, bytes);
                              if (!keep) {
                                  self->closeGently();
                                  return;
                              }
                              const auto now = Clock::now();
                              self->headerDeadline_ = now + self->server_.deadlines.header;
                              self->idleDeadline_ = now + self->server_.deadlines.idle;
                              self->readRequest();
                          });
    }

    // No more sending; what the client still sends is read and dropped for
    // a moment (bounded), then the socket closes.
    void closeGently() {
        error_code ec;
        socket_.shutdown(tcp::socket::shutdown_send, ec);
        if (slot_ == Slot::Served) {
            // The served slot is free for the next client; lingering takes a
            // slot of its own, when one is left.
            if (server_.lingering.fetch_add(1) >= server_.maxLingering) {
                --server_.lingering;
                closeNow();
                return;
            }
            --server_.active;
            slot_ = Slot::Lingering;
        }
        setDeadline(Clock::now() + server_.deadlines.linger);
        drain();
    }
    void drain() {
        socket_.async_read_some(asio::buffer(buffer_), [self = shared_from_this()](error_code ec, std::size_t n) {
            self->dropped_ += n;
            if (ec || self->dropped_ > kMaxLingerBytes)
                self->closeNow();
            else
                self->drain();
        });
    }
    void closeNow() {
        if (closed_)
            return;
        closed_ = true;
        error_code ec;
        timer_.cancel();
        socket_.close(ec);
    }

    DataServer::Impl& server_;
    tcp::socket socket_;
    asio::steady_timer timer_;
    Slot slot_;
    std::string peer_ = "-";
    std::string in_;
    std::size_t scanned_ = 0;
    std::array<char, 4096> buffer_{};
    int served_ = 0;
    std::size_t dropped_ = 0;
    Clock::time_point headerDeadline_, idleDeadline_, deadline_, timerAt_;
    bool timerArmed_ = false;
    bool expired_ = false;
    bool closed_ = false;
};

} // namespace

void DataServer::Impl::accept() {
    acceptor->async_accept(asio::make_strand(ioc), [this](error_code ec, tcp::socket socket) {
        if (ec == asio::error::operation_aborted || !acceptor->is_open())
            return;
        if (ec && ec != asio::error::connection_aborted) {
            // Out of descriptors or memory for a moment, or the like: the
            // waiting connections stay in the system's queue meanwhile.
            acceptPause.expires_after(std::chrono::milliseconds(10));
            acceptPause.async_wait([this](error_code e) {
                if (!e)
                    accept();
            });
            return;
        }
        if (!ec) // else a connection that was reset before it was taken
            admit(std::move(socket));
        accept();
    });
}

void DataServer::Impl::admit(tcp::socket socket) {
    if (active.fetch_add(1) < maxConnections) {
        std::make_shared<Connection>(*this, std::move(socket), Connection::Slot::Served)->start();
        return;
    }
    --active;
    if (lingering.fetch_add(1) < maxLingering) {
        std::make_shared<Connection>(*this, std::move(socket), Connection::Slot::Lingering)->refuseAtOnce();
        return;
    }
    --lingering;
    // Beyond every ceiling: the refusal as far as the system takes it at
    // once, what already came is dropped, and the connection ends.
    error_code ec;
    const auto remote = socket.remote_endpoint(ec);
    const std::string peer = ec ? "-" : remote.address().to_string();
    socket.non_blocking(true, ec);
    static const std::string text = plainRefusal(503);
    socket.write_some(asio::buffer(text), ec);
    socket.shutdown(tcp::socket::shutdown_send, ec);
    std::array<char, 4096> scrap;
    for (int i = 0; i < 16 && !ec; ++i)
        socket.read_some(asio::buffer(scrap), ec);
    socket.close(ec);
    log(peer, "-", 503, 0);
}

DataServer::DataServer(std::string databasePath, Logger logger)
    : impl_(std::make_unique<Impl>(std::move(databasePath), std::move(logger))) {
    impl_->routes.setLogger(impl_->logger);
}

DataServer::~DataServer() { stop(); }

void DataServer::setPortal(PortalOptions portal) { impl_->routes.setPortal(std::move(portal)); }

void DataServer::setMaxConnections(std::size_t count) { impl_->maxConnections = std::max<std::size_t>(1, count); }

void DataServer::setDeadlines(const ServerDeadlines& deadlines) { impl_->deadlines = deadlines; }

void DataServer::loadDrawings() { impl_->routes.load(); }

bool DataServer::start(const std::string& bindAddress, int port) {
    bind_ = bindAddress;
#if !defined(_WIN32)
    // Every served and every lingering connection holds a descriptor: the
    // soft limit is raised as far as needed and allowed, and what it still
    // lacks is taken from the lingering ones, then from the served ones.
    rlimit limit{};
    if (::getrlimit(RLIMIT_NOFILE, &limit) == 0) {
        const rlim_t wanted = impl_->maxConnections + kMaxLingering + kReservedDescriptors;
        if (limit.rlim_cur != RLIM_INFINITY && limit.rlim_cur < wanted) {
            rlimit raised = limit;
            raised.rlim_cur = limit.rlim_max == RLIM_INFINITY ? wanted : std::min<rlim_t>(wanted, limit.rlim_max);
            if (::setrlimit(RLIMIT_NOFILE, &raised) == 0)
                limit = raised;
        }
        if (limit.rlim_cur != RLIM_INFINITY) {
            const std::size_t usable = limit.rlim_cur > kReservedDescriptors + 2
                                           ? static_cast<std::size_t>(limit.rlim_cur) - kReservedDescriptors
                                           : 2;
            if (impl_->maxConnections > usable / 2 && impl_->maxConnections + kMaxLingering > usable) {
                const std::size_t served = std::max<std::size_t>(1, std::min(impl_->maxConnections, usable / 2));
                if (served < impl_->maxConnections && impl_->logger)
                    impl_->logger(logTimeNow() + " the open-file limit (" + std::to_string(limit.rlim_cur) +
                                  ") allows " + std::to_string(served) + " connections served at once");
                impl_->maxConnections = served;
            }
            impl_->maxLingering = std::min(kMaxLingering, usable - impl_->maxConnections);
        }
    }
#endif
    error_code ec;
    tcp::resolver resolver(impl_->ioc);
    const auto endpoints =
        resolver.resolve(bindAddress, std::to_string(port), tcp::resolver::passive | tcp::resolver::numeric_service, ec);
    if (ec)
        return false;
    for (const auto& entry : endpoints) {
        tcp::acceptor acceptor(impl_->ioc);
        acceptor.open(entry.endpoint().protocol(), ec);
        if (ec)
            continue;
#if !defined(_WIN32)
        acceptor.set_option(tcp::acceptor::reuse_address(true), ec);
#endif
        acceptor.bind(entry.endpoint(), ec);
        if (!ec)
            acceptor.listen(asio::socket_base::max_listen_connections, ec);
        if (ec)
            continue;
        port_ = acceptor.local_endpoint(ec).port();
        if (ec)
            continue;
        impl_->acceptor.emplace(std::move(acceptor));
        return true;
    }
    return false;
}

std::string DataServer::address() const {
    const bool v6 = bind_.find(':') != std::string::npos;
    return "http://" + (v6 ? "[" + bind_ + "]" : bind_) + ":" + std::to_string(port_);
}

void DataServer::serve() {
    if (!impl_->acceptor)
        return;
    impl_->running = true;
    impl_->accept();
    std::vector<std::thread> helpers;
    for (int i = 1; i < kLoopThreads; ++i)
        helpers.emplace_back([this] { impl_->ioc.run(); });
    impl_->ioc.run();
    for (std::thread& t : helpers)
        t.join();
    impl_->running = false;
}

bool DataServer::running() const { return impl_ && impl_->running; }

void DataServer::stop() {
    if (impl_)
        impl_->ioc.stop();
}

} // namespace rz
