#pragma once
#include <atomic>
#include <chrono>
#include <map>
#include <memory>
#include <string>

#include "download/Http.h"

namespace httplib {
class Client;
}

namespace rz {

// HTTP client for programs without a window (command line, benchmarks,
// tests): start() sends the request and waits for its answer, so a request
// is finished as soon as it is started and abort() has nothing to end.
// Redirects (at most HttpRequest::maxRedirects), the proxy, time-outs and
// cookies for the run are handled here, and the limits of every answer: a
// request that has not completed by its deadline is ended (a watchdog thread
// closes the connection, also while headers or a body trickle in), an answer
// larger than HttpRequest::maxAnswerBytes is refused, headers included, and a
// body shorter than announced or a reset is a failure, never an answer.
class BlockingHttp : public IHttp {
public:
    BlockingHttp();
    ~BlockingHttp() override;

    Id start(const HttpRequest& request) override;
    bool finished(Id id) override;
    void wait(Id id, int maxMs) override;
    void abort(Id id) override;
    HttpResponse take(Id id) override;
    void closeConnections() override;

    // Cookies received so far, by host: "name" -> "value".
    const std::map<std::string, std::map<std::string, std::string>>& cookies() const { return cookies_; }

private:
    HttpResponse run(const HttpRequest& request);
    HttpResponse once(const HttpRequest& request, const std::string& url, std::string& location,
                      std::chrono::steady_clock::time_point deadline);

    // The connection of the last request stays open for the next one to the
    // same server with the same settings.
    std::unique_ptr<httplib::Client> client_;
    std::string clientKey_;
    std::atomic<int> socket_{-1}; // of client_'s connection, for the watchdog
    Id next_ = 1;
    std::map<Id, HttpResponse> done_;
    std::map<std::string, std::map<std::string, std::string>> cookies_;
};

} // namespace rz
