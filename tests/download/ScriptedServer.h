#pragma once
// A small HTTP server on a free loopback port whose answers a test scripts:
// empty bodies, notices, error statuses, redirect chains, slow answers.
#include <httplib.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace rz::test {

struct ScriptedAnswer {
    int status = 200;
    std::string body;
    std::vector<std::pair<std::string, std::string>> headers;
    int delayMs = 0; // before the answer is sent
};

class ScriptedServer {
public:
    using Script = std::function<ScriptedAnswer(const httplib::Request&)>;

    explicit ScriptedServer(Script script) : script_(std::move(script)) {
        server_.Get(".*", [this](const httplib::Request& req, httplib::Response& res) {
            ScriptedAnswer a;
            {
                std::lock_guard<std::mutex> lock(mu_);
                targets_.push_back(req.target);
                headers_.push_back(req.headers);
                a = script_(req);
            }
            const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(a.delayMs);
            while (!stopping_ && std::chrono::steady_clock::now() < until)
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            res.status = a.status;
            for (const auto& [k, v] : a.headers)
                res.set_header(k, v);
            res.set_content(a.body, "text/plain");
        });
        port_ = server_.bind_to_any_port("127.0.0.1");
        thread_ = std::thread([this] { server_.listen_after_bind(); });
        while (!server_.is_running())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ~ScriptedServer() { stop(); }
    ScriptedServer(const ScriptedServer&) = delete;
    ScriptedServer& operator=(const ScriptedServer&) = delete;

    void stop() {
        stopping_ = true;
        server_.stop();
        if (thread_.joinable())
            thread_.join();
    }

    std::string url() const { return "http://127.0.0.1:" + std::to_string(port_); }
    int port() const { return port_; }

    // Request targets (path and query) in the order they came in.
    std::vector<std::string> targets() const {
        std::lock_guard<std::mutex> lock(mu_);
        return targets_;
    }
    // The Datum values of the drawing requests, in order.
    std::vector<std::string> dates() const {
        std::vector<std::string> out;
        for (const std::string& t : targets()) {
            const std::size_t at = t.find("Datum=");
            if (at != std::string::npos)
                out.push_back(t.substr(at + 6));
        }
        return out;
    }
    std::vector<httplib::Headers> headers() const {
        std::lock_guard<std::mutex> lock(mu_);
        return headers_;
    }

private:
    Script script_;
    httplib::Server server_;
    std::thread thread_;
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    mutable std::mutex mu_;
    std::vector<std::string> targets_;
    std::vector<httplib::Headers> headers_;
};

// The drawing request answered from a table "yyyymmdd" -> answer; any other
// date gets an empty 200 answer, any other path a 404.
inline ScriptedServer::Script byDate(std::map<std::string, ScriptedAnswer> table) {
    return [table = std::move(table)](const httplib::Request& req) {
        if (req.path != "/lotto/uslotto.asp" || req.get_param_value("Programm") != "RuvuZevodare")
            return ScriptedAnswer{404, "Not Found", {}, 0};
        const auto it = table.find(req.get_param_value("Datum"));
        return it == table.end() ? ScriptedAnswer{} : it->second;
    };
}

// A loopback port where nothing listens: bound once without listening, then
// released, so a connection to it is refused.
inline int closedPort() {
    const auto sock = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    addr.sin_port = 0;
    socklen_t len = sizeof addr;
    int port = 0;
    if (::bind(sock, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 &&
        ::getsockname(sock, reinterpret_cast<sockaddr*>(&addr), &len) == 0)
        port = ntohs(addr.sin_port);
#if defined(_WIN32)
    ::closesocket(sock);
#else
    ::close(sock);
#endif
    return port;
}

} // namespace rz::test
