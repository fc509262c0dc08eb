// Load on the data server over the loopback: requests per second and the
// worst latency at 1, 10 and 50 parallel clients, with a new connection per
// request and with kept-alive connections, each without and with 8 slow
// clients (one byte every 2 s) mixed in; the share served as 304 when
// clients revalidate what they have; the server's peak resident memory; and
// an ordinary client's time to an answer (200, or 503 when the server is
// full) while a crowd of 1,500 and of 10,000 silent connections is open, with
// the server's descriptors and memory meanwhile.
//
//   bench_server [--server PATH] [--db FILE] [--seconds S] [--crowds N,N...]
//
// The server is started as its own process (any build of it, so that two
// versions can be compared), on a drawing file of 2,600 drawings unless
// --db names one. Linux only (the peak memory comes from /proc).
//
// Measured on 2 shared cores with a load average of 17-22 (other builds
// running), 2 s per line, one build after the other. Requests per second
// swing by a factor of 2-5 from run to run on such a machine; the server's
// processor time per answer is the steadier figure:
//                          thread per connection     event loop (2 threads)
//   server us/req, 50 new conn      107                       78
//   server us/req, 50 kept alive     71                       35
//   server us/req, revalidating      62                       31
//   peak resident memory            17.0 MB                   6.0 MB
//   an ordinary client beside 1,500 silent connections:
//                         no answer within 30 s, then 200     503 within 0.2 ms
//   beside 10,000:        no answer within 30 s, then 200     503 within 138 ms
//   server descriptors beside 10,000:  9,114                  1,164
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <map>
#include <memory>
#include <mutex>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "common/Dates.h"
#include "database/DrawingDatabase.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Options {
    std::string server = RZ_SERVER_BIN;
    std::string db;
    double seconds = 2.0;
    std::vector<int> crowds = {1500, 10000};
};

struct ServerProcess {
    pid_t pid = -1;
    int port = 0;

    bool start(const Options& o) {
        int out[2];
        if (pipe(out) != 0)
            return false;
        pid = fork();
        if (pid == 0) {
            dup2(out[1], 1);
            const int devnull = open("/dev/null", O_WRONLY);
            dup2(devnull, 2); // the request log is written, as in service, but not kept
            close(out[0]);
            execl(o.server.c_str(), o.server.c_str(), "--db", o.db.c_str(), "--port", "0", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(out[1]);
        std::string line;
        char c;
        while (read(out[0], &c, 1) == 1 && c != '\n')
            line += c;
        close(out[0]);
        const auto colon = line.rfind(':');
        port = colon == std::string::npos ? 0 : std::atoi(line.c_str() + colon + 1);
        return port > 0;
    }
    long peakKib() const {
        std::ifstream in("/proc/" + std::to_string(pid) + "/status");
        std::string key;
        long value = 0;
        while (in >> key) {
            if (key == "VmHWM:") {
                in >> value;
                return value;
            }
            in.ignore(1 << 20, '\n');
        }
        return -1;
    }
    // The server's processor time so far (user and system), in seconds.
    double cpuSeconds() const {
        std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        const std::size_t close = text.rfind(')');
        if (close == std::string::npos)
            return 0;
        std::istringstream fields(text);
        fields.seekg(static_cast<std::streamoff>(close + 2));
        std::string field;
        double ticks = 0;
        for (int i = 3; fields >> field && i <= 15; ++i)
            if (i == 14 || i == 15)
                ticks += std::atof(field.c_str());
        return ticks / static_cast<double>(sysconf(_SC_CLK_TCK));
    }
    // Open descriptors of the server now.
    long descriptors() const {
        std::error_code ec;
        long n = 0;
        for (auto it = std::filesystem::directory_iterator("/proc/" + std::to_string(pid) + "/fd", ec);
             !ec && it != std::filesystem::directory_iterator(); it.increment(ec))
            ++n;
        return n;
    }
    void stop() {
        if (pid > 0) {
            kill(pid, SIGTERM);
            waitpid(pid, nullptr, 0);
        }
    }
};

int connectTo(int port, int timeoutMs) {
    const int s = socket(AF_INET, SOCK_STREAM, 0);
    if (s < 0)
        return -1;
    timeval tv{timeoutMs / 1000, (timeoutMs % 1000) * 1000};
    setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
    setsockopt(s, SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
    const int one = 1;
    setsockopt(s, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<std::uint16_t>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0) {
        close(s);
        return -1;
    }
    return s;
}

struct Answer {
    int status = 0;
    std::string etag;
    bool serverCloses = false;
};

// Sends one request and reads its answer; false on an error or time out.
bool roundTrip(int s, const std::string& request, Answer& answer) {
    if (send(s, request.data(), request.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(request.size()))
        return false;
    std::string data;
    char buf[8192];
    std::size_t headerEnd;
    while ((headerEnd = data.find("\r\n\r\n")) == std::string::npos) {
        const ssize_t n = recv(s, buf, sizeof buf, 0);
        if (n <= 0)
            return false;
        data.append(buf, static_cast<std::size_t>(n));
    }
    const std::string head = data.substr(0, headerEnd);
    answer.status = std::atoi(head.c_str() + 9);
    std::size_t length = 0;
    answer.etag.clear();
    answer.serverCloses = false;
    std::size_t pos = 0;
    while ((pos = head.find("\r\n", pos)) != std::string::npos) {
        pos += 2;
        const std::size_t end = std::min(head.find("\r\n", pos), head.size());
        std::string line = head.substr(pos, end - pos);
        std::string lower = line;
        std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
        if (lower.rfind("content-length:", 0) == 0)
            length = std::strtoul(line.c_str() + 15, nullptr, 10);
        else if (lower.rfind("etag:", 0) == 0)
            answer.etag = line.substr(line.find_first_not_of(' ', 5));
        else if (lower == "connection: close")
            answer.serverCloses = true;
    }
    if (answer.status == 304)
        length = 0;
    std::size_t have = data.size() - headerEnd - 4;
    while (have < length) {
        const ssize_t n = recv(s, buf, sizeof buf, 0);
        if (n <= 0)
            return false;
        have += static_cast<std::size_t>(n);
    }
    return true;
}

struct Result {
    double perSecond = 0;
    long answered = 0;
    double worstMs = 0;
    long failures = 0;
    double share304 = 0;
};

// Clients that send one byte every 2 s, reconnecting when the server ends them.
class SlowClients {
public:
    SlowClients(int port, int count) {
        for (int i = 0; i < count; ++i)
            threads_.emplace_back([this, port] {
                const std::string request = "GET /lotto/uslotto.asp?Programm=RuvuZevodare&Datum=20191022 HTTP/1.1\r\nHost: x\r\n\r\n";
                while (!stop_) {
                    const int s = connectTo(port, 200);
                    if (s < 0)
                        break;
                    std::size_t i = 0;
                    auto next = Clock::now();
                    while (!stop_ && i < request.size()) {
                        if (Clock::now() >= next) {
                            if (send(s, &request[i++], 1, MSG_NOSIGNAL) != 1)
                                break;
                            next += std::chrono::seconds(2);
                        }
                        char b;
                        const ssize_t n = recv(s, &b, 1, MSG_DONTWAIT);
                        if (n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK))
                            break;
                        std::this_thread::sleep_for(std::chrono::milliseconds(50));
                    }
                    close(s);
                }
            });
    }
    ~SlowClients() {
        stop_ = true;
        for (std::thread& t : threads_)
            t.join();
    }

private:
    std::atomic<bool> stop_{false};
    std::vector<std::thread> threads_;
};

Result run(int port, const std::vector<std::string>& dates, int clients, bool keepAlive, bool revalidate,
           double seconds) {
    std::atomic<bool> stop{false};
    std::atomic<long> done{0}, failures{0}, notModified{0};
    std::mutex mu;
    double worst = 0;
    std::vector<std::thread> threads;
    for (int c = 0; c < clients; ++c)
        threads.emplace_back([&, c] {
            std::mt19937 rng(static_cast<unsigned>(c) * 7919u + 1u);
            std::map<std::string, std::string> tags; // what this client has, by date
            double myWorst = 0;
            int s = -1;
            while (!stop) {
                // Revalidating clients ask for 100 dates again and again.
                const std::string& date = dates[rng() % (revalidate ? std::min<std::size_t>(100, dates.size()) : dates.size())];
                std::string request = "GET /lotto/uslotto.asp?Programm=RuvuZevodare&Datum=" + date + " HTTP/1.1\r\nHost: x\r\n";
                if (!keepAlive)
                    request += "Connection: close\r\n";
                const auto known = tags.find(date);
                if (revalidate && known != tags.end())
                    request += "If-None-Match: " + known->second + "\r\n";
                request += "\r\n";
                const auto started = Clock::now();
                if (s < 0)
                    s = connectTo(port, 3000);
                Answer a;
                const bool ok = s >= 0 && roundTrip(s, request, a);
                const double ms = std::chrono::duration<double, std::milli>(Clock::now() - started).count();
                myWorst = std::max(myWorst, ms);
                if (ok && (a.status == 200 || a.status == 304)) {
                    ++done;
                    if (a.status == 304)
                        ++notModified;
                    if (!a.etag.empty())
                        tags[date] = a.etag;
                } else if (!stop) {
                    ++failures;
                }
                if (!ok || !keepAlive || a.serverCloses) {
                    if (s >= 0)
                        close(s);
                    s = -1;
                }
            }
            if (s >= 0)
                close(s);
            std::lock_guard<std::mutex> lock(mu);
            worst = std::max(worst, myWorst);
        });
    const auto started = Clock::now();
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    const long counted = done.load();
    const double elapsed = std::chrono::duration<double>(Clock::now() - started).count();
    stop = true;
    for (std::thread& t : threads)
        t.join();
    Result r;
    r.perSecond = counted / elapsed;
    r.answered = done.load();
    r.worstMs = worst;
    r.failures = failures;
    r.share304 = done ? static_cast<double>(notModified) / static_cast<double>(done) : 0;
    return r;
}

// An ordinary client beside a crowd of silent connections: the time from its
// connect to the end of its answer, and the answer's status (0: none within
// the 30 s the client waits).
struct CrowdResult {
    int opened = 0;
    double worstMs = 0;
    std::vector<int> statuses;
    long descriptors = 0;
    long peakKib = 0;
};

CrowdResult crowd(const ServerProcess& server, int count) {
    CrowdResult r;
    std::vector<int> idle;
    idle.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        const int s = connectTo(server.port, 3000);
        if (s < 0)
            break;
        idle.push_back(s);
    }
    r.opened = static_cast<int>(idle.size());
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    const std::string request = "GET /lotto/uslotto.asp?Programm=RuvuZevodare&Datum=20191022 HTTP/1.1\r\nHost: x\r\n\r\n";
    for (int k = 0; k < 5; ++k) {
        const auto started = Clock::now();
        const int s = connectTo(server.port, 30000);
        Answer a;
        const bool ok = s >= 0 && roundTrip(s, request, a);
        if (s >= 0)
            close(s);
        r.worstMs = std::max(r.worstMs, std::chrono::duration<double, std::milli>(Clock::now() - started).count());
        r.statuses.push_back(ok ? a.status : 0);
        r.descriptors = std::max(r.descriptors, server.descriptors());
    }
    r.peakKib = server.peakKib();
    for (const int s : idle)
        close(s);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    return r;
}

std::string makeDatabase(const std::string& folder) {
    std::vector<rz::DrawingRecord> records;
    rz::DayNumber d = rz::dayFromYmd(2000, 5, 19); // a Friday
    std::mt19937 rng(42);
    while (records.size() < 2600) {
        std::array<int, 5> mains{};
        for (int& m : mains)
            m = static_cast<int>(rng() % 70) + 1;
        records.push_back(rz::DrawingRecord::make(d, mains, static_cast<int>(rng() % 25) + 1, 2));
        d += rz::weekday(d) == 2 ? 3 : 4;
    }
    const std::string path = folder + "/bench-server.dat";
    rz::DrawingDatabase(path).replaceAll(records);
    return path;
}

} // namespace

int main(int argc, char** argv) {
    Options o;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string a = argv[i];
        if (a == "--server")
            o.server = argv[i + 1];
        else if (a == "--db")
            o.db = argv[i + 1];
        else if (a == "--seconds")
            o.seconds = std::atof(argv[i + 1]);
        else if (a == "--crowds") {
            o.crowds.clear();
            for (const char* p = argv[i + 1]; *p;) {
                char* end = nullptr;
                const long n = std::strtol(p, &end, 10);
                if (end == p)
                    break;
                if (n > 0)
                    o.crowds.push_back(static_cast<int>(n));
                p = *end == ',' ? end + 1 : end;
            }
        }
    }
    // The crowds need a descriptor each, here and (inherited) in the server.
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) == 0) {
        const rlim_t wanted = 12000 + 2 * static_cast<rlim_t>(o.crowds.empty() ? 0 : *std::max_element(o.crowds.begin(), o.crowds.end()));
        if (limit.rlim_cur < wanted) {
            limit.rlim_cur = std::min(limit.rlim_max, wanted);
            setrlimit(RLIMIT_NOFILE, &limit);
        }
    }
    const std::string folder = (std::filesystem::temp_directory_path() / ("rz-bench-server-" + std::to_string(getpid()))).string();
    std::filesystem::create_directories(folder);
    std::vector<std::string> dates;
    if (o.db.empty())
        o.db = makeDatabase(folder);
    for (const rz::DrawingRecord& r : rz::DrawingDatabase(o.db).readAll())
        dates.push_back(rz::formatYyyymmdd(r.Date));
    dates.erase(std::unique(dates.begin(), dates.end()), dates.end());
    if (dates.empty())
        dates.push_back("20191022");

    ServerProcess server;
    if (!server.start(o)) {
        std::fprintf(stderr, "bench_server: cannot start %s\n", o.server.c_str());
        return 1;
    }
    std::printf("server %s, %zu dates, %.1f s per line\n", o.server.c_str(), dates.size(), o.seconds);
    // The server's processor time per answer: on a busy machine a steadier
    // figure than requests per second.
    std::printf("%-10s %-10s %5s %4s %10s %10s %8s %10s %12s\n", "clients", "connection", "slow", "", "req/s", "worst ms",
                "failed", "peak KiB", "server us/req");
    for (const int slow : {0, 8}) {
        std::unique_ptr<SlowClients> slowClients;
        if (slow) {
            slowClients = std::make_unique<SlowClients>(server.port, slow);
            std::this_thread::sleep_for(std::chrono::milliseconds(500));
        }
        for (const bool keepAlive : {false, true})
            for (const int clients : {1, 10, 50}) {
                const double cpuBefore = server.cpuSeconds();
                const Result r = run(server.port, dates, clients, keepAlive, false, o.seconds);
                const double cpu = server.cpuSeconds() - cpuBefore;
                std::printf("%-10d %-10s %5d %4s %10.0f %10.1f %8ld %10ld %12.1f\n", clients, keepAlive ? "keep-alive" : "new",
                            slow, "", r.perSecond, r.worstMs, r.failures, server.peakKib(),
                            r.answered ? 1e6 * cpu / static_cast<double>(r.answered) : 0.0);
                std::fflush(stdout);
            }
    }
    const double cpuBefore = server.cpuSeconds();
    const Result r = run(server.port, dates, 50, true, true, o.seconds);
    const double cpu = server.cpuSeconds() - cpuBefore;
    std::printf("revalidating: 50 kept-alive clients, 100 dates: %.0f req/s, %.1f %% served as 304, worst %.1f ms, "
                "server %.1f us/req\n",
                r.perSecond, 100 * r.share304, r.worstMs, r.answered ? 1e6 * cpu / static_cast<double>(r.answered) : 0.0);
    std::printf("peak resident memory of the server: %ld KiB, descriptors now %ld\n", server.peakKib(),
                server.descriptors());
    std::fflush(stdout);
    for (const int count : o.crowds) {
        const CrowdResult c = crowd(server, count);
        std::string statuses;
        for (const int st : c.statuses) {
            if (!statuses.empty())
                statuses += ',';
            statuses += std::to_string(st);
        }
        std::printf("beside %d silent connections (%d opened): an ordinary client answered within %.1f ms at worst "
                    "(status %s); server descriptors %ld, peak resident memory %ld KiB\n",
                    count, c.opened, c.worstMs, statuses.c_str(), c.descriptors, c.peakKib);
        std::fflush(stdout);
    }
    server.stop();
    std::filesystem::remove_all(folder);
    return 0;
}
