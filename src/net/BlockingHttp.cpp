#include "net/BlockingHttp.h"

#include <httplib.h>

#include "common/ProgramTexts.h"
#include "common/Text.h"
#include "net/SocketBytes.h"

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

namespace rz {
namespace {

std::string origin(const UrlParts& p) {
    const bool v6 = p.host.find(':') != std::string::npos;
    return p.scheme + "://" + (v6 ? "[" + p.host + "]" : p.host) + ":" + std::to_string(p.port);
}

bool hostResolves(const std::string& host) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* result = nullptr;
    const int rc = ::getaddrinfo(host.c_str(), nullptr, &hints, &result);
    if (result)
        ::freeaddrinfo(result);
    return rc == 0;
}

bool isRedirect(int status) {
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

} // namespace

BlockingHttp::BlockingHttp() = default;
BlockingHttp::~BlockingHttp() = default;

IHttp::Id BlockingHttp::start(const HttpRequest& request) {
    const Id id = next_++;
    done_[id] = run(request);
    return id;
}

bool BlockingHttp::finished(Id) { return true; }

void BlockingHttp::wait(Id, int) {}

void BlockingHttp::abort(Id) {}

HttpResponse BlockingHttp::take(Id id) {
    const auto it = done_.find(id);
    if (it == done_.end()) {
        HttpResponse none;
        none.failure = HttpFailure::Other;
        none.failureText = txt(Txt::HttpUnknownRequest);
        return none;
    }
    HttpResponse r = std::move(it->second);
    done_.erase(it);
    return r;
}

void BlockingHttp::closeConnections() {
    client_.reset();
    clientKey_.clear();
    socket_ = -1;
}

HttpResponse BlockingHttp::run(const HttpRequest& request) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(std::max(0, request.deadlineMs));
    std::string url = request.url;
    for (int redirects = 0;; ++redirects) {
        std::string location;
        HttpResponse r = once(request, url, location, deadline);
        if (!r.answered() || !isRedirect(r.status) || location.empty())
            return r;
        if (redirects >= request.maxRedirects) {
            HttpResponse failed;
            failed.failure = HttpFailure::TooManyRedirects;
            failed.failureText = txt(Txt::HttpMoreRedirects, {std::to_string(request.maxRedirects)});
            failed.finalUrl = url;
            return failed;
        }
        url = resolveLocation(url, location);
    }
}

HttpResponse BlockingHttp::once(const HttpRequest& request, const std::string& url, std::string& location,
                                std::chrono::steady_clock::time_point deadline) {
    HttpResponse out;
    out.finalUrl = url;
    const auto parts = splitUrl(url);
    if (!parts) {
        out.failure = HttpFailure::Other;
        out.failureText = txt(Txt::HttpNotHttpUrl, {url});
        return out;
    }
    const auto ms = [](int v) { return std::chrono::milliseconds(v); };
    const std::string key = origin(*parts) + " " + request.proxyHost + ":" + std::to_string(request.proxyPort) + " " +
                            std::to_string(request.connectTimeoutMs) + " " + std::to_string(request.readTimeoutMs);
    if (!client_ || key != clientKey_) {
        client_ = std::make_unique<httplib::Client>(origin(*parts));
        clientKey_ = key;
        client_->set_keep_alive(true);
        client_->set_tcp_nodelay(true);
        client_->set_follow_location(false);
        client_->set_url_encode(false);
        client_->set_connection_timeout(ms(request.connectTimeoutMs));
        client_->set_read_timeout(ms(request.readTimeoutMs));
        client_->set_write_timeout(ms(request.readTimeoutMs));
        if (!request.proxyHost.empty())
            client_->set_proxy(request.proxyHost, request.proxyPort);
        socket_ = -1;
        client_->set_socket_options([this](socket_t sock) { socket_ = static_cast<int>(sock); });
    }
    httplib::Client& client = *client_;

    httplib::Headers headers;
    for (const auto& [k, v] : request.headers)
        headers.emplace(k, v);
    const auto jar = cookies_.find(parts->host);
    if (jar != cookies_.end() && !jar->second.empty()) {
        std::string cookie;
        for (const auto& [name, value] : jar->second)
            cookie += (cookie.empty() ? "" : "; ") + name + "=" + value;
        headers.emplace("Cookie", cookie);
    }

    const auto began = std::chrono::steady_clock::now();
    const std::int64_t maxBytes = request.maxAnswerBytes;
    const auto secondsText = [&] { return std::to_string((request.deadlineMs + 999) / 1000); };
    if (began >= deadline) {
        out.failure = HttpFailure::Timeout;
        out.failureText = rz::txt(rz::Txt::HttpNoAnswerWithin, {secondsText()});
        return out;
    }

    // The watchdog ends the request at the deadline, or once the connection
    // has received more than an answer may hold (headers cannot be counted
    // any other way: the library reads them on its own).
    enum : int { Running, PastDeadline, TooLarge };
    std::atomic<int> verdict{Running};
    std::mutex mu;
    std::condition_variable cv;
    bool done = false;
    std::thread watchdog([&] {
        int countedFd = socket_;
        std::uint64_t baseline = socketBytesReceived(countedFd);
        std::unique_lock<std::mutex> lock(mu);
        while (!done) {
            const auto now = std::chrono::steady_clock::now();
            if (now >= deadline) {
                verdict = PastDeadline;
                break;
            }
            const int fd = socket_;
            if (fd != countedFd) { // a new connection counts from zero
                countedFd = fd;
                baseline = 0;
            }
            const std::uint64_t got = socketBytesReceived(fd);
            if (got > baseline && got - baseline > static_cast<std::uint64_t>(maxBytes) + 64 * 1024) {
                verdict = TooLarge;
                break;
            }
            cv.wait_until(lock, std::min(deadline, now + std::chrono::milliseconds(20)));
        }
        if (!done)
            client_->stop(); // the blocked read returns at once
    });

    std::string body;
    const httplib::Result res = client.Get(
        parts->target, headers,
        [&](const httplib::Response& head) {
            if (head.has_header("Content-Length")) {
                std::int64_t announced = 0;
                try {
                    announced = std::stoll(head.get_header_value("Content-Length"));
                } catch (...) {
                    announced = 0;
                }
                if (announced > maxBytes) {
                    verdict = TooLarge;
                    return false;
                }
            }
            return verdict == Running;
        },
        [&](const char* data, std::size_t n) {
            if (static_cast<std::int64_t>(body.size() + n) > maxBytes) {
                verdict = TooLarge;
                return false;
            }
            body.append(data, n);
            return verdict == Running;
        });
    {
        std::lock_guard<std::mutex> lock(mu);
        done = true;
    }
    cv.notify_all();
    watchdog.join();

    if (!res || verdict != Running)
        closeConnections();
    if (verdict == PastDeadline) {
        out.failure = HttpFailure::Timeout;
        out.failureText = rz::txt(rz::Txt::HttpNoAnswerWithin, {secondsText()});
        return out;
    }
    if (verdict == TooLarge) {
        out.failure = HttpFailure::TooLarge;
        out.failureText = rz::txt(rz::Txt::HttpAnswerLargerThan, {std::to_string(maxBytes / (1024 * 1024))});
        return out;
    }
    if (!res) {
        const httplib::Error err = res.error();
        out.failureText = httplib::to_string(err);
        const auto elapsed = std::chrono::steady_clock::now() - began;
        if (err == httplib::Error::ConnectionTimeout)
            out.failure = HttpFailure::Timeout;
        else if (err == httplib::Error::Connection)
            out.failure = hostResolves(request.proxyHost.empty() ? parts->host : request.proxyHost)
                              ? HttpFailure::ConnectionRefused
                              : HttpFailure::HostNotFound;
        else if (err == httplib::Error::Read && elapsed >= ms(request.readTimeoutMs - 50))
            out.failure = HttpFailure::Timeout;
        else if (err == httplib::Error::Read)
            out.failure = HttpFailure::Broken; // shorter than announced, or reset: the body is not kept
        else
            out.failure = HttpFailure::Other;
        return out;
    }

    for (std::size_t i = 0, n = res->get_header_value_count("Set-Cookie"); i < n; ++i) {
        const std::string c = res->get_header_value("Set-Cookie", i);
        const std::string pair = c.substr(0, c.find(';'));
        const std::size_t eq = pair.find('=');
        if (eq == std::string::npos)
            continue;
        const std::string name = trimBlanks(pair.substr(0, eq));
        if (!name.empty())
            cookies_[parts->host][name] = trimBlanks(pair.substr(eq + 1));
    }
    out.status = res->status;
    out.statusLine = (res->version.empty() ? std::string("HTTP/1.1") : res->version) + " " +
                     std::to_string(res->status) + (res->reason.empty() ? "" : " " + res->reason);
    out.body = std::move(body);
    if (res->has_header("Last-Modified"))
        out.lastModified = parseHttpDate(res->get_header_value("Last-Modified"));
    if (res->has_header("Location"))
        location = res->get_header_value("Location");
    return out;
}

} // namespace rz
