#pragma once
#include <map>
#include <string>

#include "download/Http.h"

namespace rz {

// HTTP client for programs without a window (command line, benchmarks,
// tests): start() sends the request and waits for its answer, so a request
// is finished as soon as it is started and abort() has nothing to end.
// Redirects (at most HttpRequest::maxRedirects), the proxy, time-outs and
// cookies for the run are handled here.
class BlockingHttp : public IHttp {
public:
    BlockingHttp();
    ~BlockingHttp() override;

    Id start(const HttpRequest& request) override;
    bool finished(Id id) override;
    void wait(Id id, int maxMs) override;
    void abort(Id id) override;
    HttpResponse take(Id id) override;

    // Cookies received so far, by host: "name" -> "value".
    const std::map<std::string, std::map<std::string, std::string>>& cookies() const { return cookies_; }

private:
    HttpResponse run(const HttpRequest& request);
    HttpResponse once(const HttpRequest& request, const std::string& url, std::string& location);

    Id next_ = 1;
    std::map<Id, HttpResponse> done_;
    std::map<std::string, std::map<std::string, std::string>> cookies_;
};

} // namespace rz
