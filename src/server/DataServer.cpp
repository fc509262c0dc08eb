#include "server/DataServer.h"

#include <httplib.h>

#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <condition_variable>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <stdexcept>
#include <ctime>
#include <deque>
#include <filesystem>
#include <map>
#include <mutex>
#include <string_view>
#include <thread>

#if !defined(_WIN32)
#include <fcntl.h>
#include <netdb.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "common/Dates.h"
#include "database/DrawingDatabase.h"
#include "download/Download.h"
#include "download/Http.h"
#include "common/FileIo.h"
#include "online/OnlineFiles.h"
#include "common/Text.h"
#include "common/Path.h"

namespace rz {
namespace {

// Percent-decoded text; in a query "+" stands for a space, in a path for itself.
std::string percentDecode(const std::string& s, bool plusIsSpace = true) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '%' && i + 2 < s.size() && std::isxdigit(static_cast<unsigned char>(s[i + 1])) &&
            std::isxdigit(static_cast<unsigned char>(s[i + 2]))) {
            out += static_cast<char>(std::stoi(s.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            out += plusIsSpace && s[i] == '+' ? ' ' : s[i];
        }
    }
    return out;
}

using Query = std::map<std::string, std::string>;

Query parseQuery(const std::string& query) {
    Query q;
    std::size_t pos = 0;
    while (pos <= query.size()) {
        const std::size_t amp = std::min(query.find('&', pos), query.size());
        const std::string pair = query.substr(pos, amp - pos);
        if (!pair.empty()) {
            const std::size_t eq = pair.find('=');
            q[lowerAscii(percentDecode(pair.substr(0, eq)))] =
                eq == std::string::npos ? std::string() : percentDecode(pair.substr(eq + 1));
        }
        pos = amp + 1;
    }
    return q;
}

// "yyyymmdd" -> day number; false unless eight digits of a real date.
bool parseYyyymmdd(const std::string& text, DayNumber& out) {
    if (text.size() != 8 || !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return false;
    const int y = std::stoi(text.substr(0, 4)), m = std::stoi(text.substr(4, 2)), d = std::stoi(text.substr(6, 2));
    return validDay(y, m, d, out);
}

std::string htmlEscape(const std::string& s) {
    std::string out;
    for (const char c : s) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        case '"': out += "&quot;"; break;
        case '\'': out += "&#39;"; break;
        default: out += c;
        }
    }
    return out;
}

// A file served from a folder: a plain name of a regular file, no path.
bool isPlainFileName(const std::string& name) {
    if (name.empty() || name[0] == '.')
        return false;
    for (const char c : name)
        if (c == '/' || c == '\\' || c == ':' || static_cast<unsigned char>(c) < 0x20)
            return false;
    return true;
}

// Files the server hands out are small; anything larger is not one of them.
constexpr std::int64_t kMaxServedFile = 16LL * 1024 * 1024;

struct ServedFile {
    std::string content;
    std::int64_t modified = 0; // seconds since 1970
};

// A regular file that really lies in the folder: `file` is the folder and a
// plain name, and a symbolic link in its place is not followed (it could lead
// anywhere). None: there is no such file. Throws on a read error.
std::optional<ServedFile> readFileInFolder(const std::filesystem::path& file) {
#if defined(_WIN32)
    std::error_code ec;
    const auto status = std::filesystem::symlink_status(file, ec);
    if (ec || status.type() != std::filesystem::file_type::regular)
        return std::nullopt;
    ServedFile f;
    f.content = readWholeFile(file.string(), kMaxServedFile);
    f.modified = fileModifiedSeconds(file.string()).value_or(0);
    return f;
#else
    const int fd = ::open(file.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT || errno == ELOOP || errno == ENOTDIR)
            return std::nullopt;
        throw std::runtime_error("cannot open " + file.string() + ": " + std::strerror(errno));
    }
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    if (st.st_size > kMaxServedFile)
        throw std::runtime_error(file.string() + " is larger than a served file may be");
    ServedFile f;
    f.modified = static_cast<std::int64_t>(st.st_mtime);
    char buf[16384];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            throw std::runtime_error("cannot read " + file.string() + ": " + std::strerror(errno));
        if (n == 0)
            break;
        f.content.append(buf, static_cast<std::size_t>(n));
        if (static_cast<std::int64_t>(f.content.size()) > kMaxServedFile)
            throw std::runtime_error(file.string() + " is larger than a served file may be");
    }
    return f;
#endif
}

ServerAnswer notFound() {
    return ServerAnswer{404, "Not Found\r\n", "text/plain; charset=utf-8"};
}

std::string nowIso() {
    const std::time_t t = std::time(nullptr);
    std::tm tm{};
#if defined(_WIN32)
    localtime_s(&tm, &t);
#else
    localtime_r(&t, &tm);
#endif
    char buf[32];
    std::strftime(buf, sizeof buf, "%Y-%m-%dT%H:%M:%S", &tm);
    return buf;
}

} // namespace

namespace {

// What identifies one version of the drawing file.
struct FileStamp {
    std::int64_t size = -1;
    std::int64_t modifiedNs = 0;
    std::int64_t changedNs = 0;
    std::uint64_t inode = 0;
    std::uint64_t device = 0;
    bool operator==(const FileStamp&) const = default;
};

std::optional<FileStamp> stampOf(const std::string& path) {
    FileStamp s;
#if defined(_WIN32)
    // The same parts as on POSIX: size, times and the file's identity (a
    // replacement by renaming is another file even at the same size and time).
    const HANDLE h = ::CreateFileW(toPath(path).c_str(), FILE_READ_ATTRIBUTES,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return std::nullopt;
    BY_HANDLE_FILE_INFORMATION info{};
    FILE_BASIC_INFO basic{};
    const bool known = ::GetFileInformationByHandle(h, &info) != 0;
    const bool changeKnown = ::GetFileInformationByHandleEx(h, FileBasicInfo, &basic, sizeof basic) != 0;
    ::CloseHandle(h);
    if (!known)
        return std::nullopt;
    // 100 ns steps since 1601 to nanoseconds since 1970.
    const auto sinceUnixEpochNs = [](std::int64_t ticks) { return (ticks - 116444736000000000LL) * 100; };
    const auto ticksOf = [](FILETIME t) {
        return static_cast<std::int64_t>((static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime);
    };
    s.size = static_cast<std::int64_t>((static_cast<std::uint64_t>(info.nFileSizeHigh) << 32) | info.nFileSizeLow);
    s.modifiedNs = sinceUnixEpochNs(ticksOf(info.ftLastWriteTime));
    s.changedNs = changeKnown ? sinceUnixEpochNs(basic.ChangeTime.QuadPart) : 0;
    s.inode = (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    s.device = info.dwVolumeSerialNumber;
#else
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return std::nullopt;
    s.size = static_cast<std::int64_t>(st.st_size);
    s.modifiedNs = static_cast<std::int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
    s.changedNs = static_cast<std::int64_t>(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec;
    s.inode = static_cast<std::uint64_t>(st.st_ino);
    s.device = static_cast<std::uint64_t>(st.st_dev);
#endif
    return s;
}

// A strong entity tag of an answer's bytes: the same answer has the same tag
// after a reload or a restart.
std::string entityTag(const std::string& body) {
    std::uint64_t h = 14695981039346656037ULL;
    for (const char c : body) {
        h ^= static_cast<unsigned char>(c);
        h *= 1099511628211ULL;
    }
    char buf[24];
    std::snprintf(buf, sizeof buf, "\"%016llx\"", static_cast<unsigned long long>(h));
    return buf;
}

// If-None-Match: "*" or a list of tags; W/ tags compare like strong ones.
bool tagMatches(const std::string& list, const std::string& tag) {
    std::size_t pos = 0;
    while (pos < list.size()) {
        std::size_t end = list.find(',', pos);
        end = end == std::string::npos ? list.size() : end;
        std::string item = trimBlanks(list.substr(pos, end - pos));
        if (item.rfind("W/", 0) == 0)
            item = item.substr(2);
        if (item == "*" || item == tag)
            return true;
        pos = end + 1;
    }
    return false;
}

std::string formatBody(const std::vector<DrawingRecord>& records, std::size_t from, std::size_t to) {
    std::string body;
    for (std::size_t k = from; k < to; ++k) {
        const DrawingRecord& r = records[k];
        for (int i = 1; i <= 5; ++i)
            body += std::to_string(r.main(i)) + ",";
        body += std::to_string(r.megaBall()) + "," + std::to_string(r.megaplier()) + "\r\n";
    }
    return body;
}

// A file changed this recently may change again within the same time stamp
// (file systems keep times in steps): it is read again until it is older.
constexpr std::int64_t kSettleNs = 2'000'000'000;
constexpr auto kUnsettledReread = std::chrono::milliseconds(20);

} // namespace

// The drawing file as the server answers from it: the answer of every date.
struct DataServerRoutes::Drawings {
    FileStamp stamp;
    std::int64_t modified = 0; // seconds since 1970, for Last-Modified
    bool settled = false;      // the stamp alone tells whether the file changed
    std::chrono::steady_clock::time_point readAt;
    std::map<DayNumber, std::string> answers;
};

struct DataServerRoutes::Cache {
    std::mutex mu;
    std::shared_ptr<const Drawings> current;
    std::uint64_t reads = 0;
};

DataServerRoutes::DataServerRoutes(std::string databasePath)
    : databasePath_(std::move(databasePath)), cache_(std::make_unique<Cache>()) {}

DataServerRoutes::~DataServerRoutes() = default;

std::uint64_t DataServerRoutes::fileReads() const {
    std::lock_guard<std::mutex> lock(cache_->mu);
    return cache_->reads;
}

std::shared_ptr<const DataServerRoutes::Drawings> DataServerRoutes::drawings() const {
    const std::optional<FileStamp> stamp = stampOf(databasePath_);
    std::lock_guard<std::mutex> lock(cache_->mu);
    const std::shared_ptr<const Drawings>& current = cache_->current;
    if (current && stamp && *stamp == current->stamp &&
        (current->settled || std::chrono::steady_clock::now() - current->readAt < kUnsettledReread))
        return current;
    // Read anew (one reader at a time; the others then take its result). A
    // rewrite replaces the file by renaming, so the read sees the old or the
    // new file whole; an append under way leaves a partial record, which is
    // not read. What cannot be read keeps the last good version in service.
    auto next = std::make_shared<Drawings>();
    std::vector<DrawingRecord> records;
    try {
        records = DrawingDatabase(databasePath_).readAll();
    } catch (const std::exception&) {
        if (current)
            return current;
        throw;
    }
    ++cache_->reads;
    const std::optional<FileStamp> after = stampOf(databasePath_);
    next->stamp = after.value_or(FileStamp{});
    next->modified = next->stamp.modifiedNs / 1000000000;
    const std::int64_t nowNs = std::chrono::duration_cast<std::chrono::nanoseconds>(
                                   std::chrono::system_clock::now().time_since_epoch()).count();
    next->settled = stamp && after && *stamp == *after && nowNs - after->modifiedNs > kSettleNs;
    next->readAt = std::chrono::steady_clock::now();
    for (std::size_t k = 0; k < records.size();) {
        std::size_t end = k + 1;
        while (end < records.size() && records[end].Date == records[k].Date)
            ++end;
        std::string& answer = next->answers[records[k].Date];
        answer += formatBody(records, k, end); // a date may also occur apart (out of order)
        k = end;
    }
    cache_->current = next;
    return next;
}

std::string DataServerRoutes::drawingsOf(DayNumber day) const {
    const auto all = drawings();
    const auto it = all->answers.find(day);
    return it == all->answers.end() ? std::string() : it->second;
}

ServerAnswer DataServerRoutes::drawingAnswer(DayNumber day, const RequestConditions& conditions) const {
    const auto all = drawings();
    const auto it = all->answers.find(day);
    ServerAnswer a{200, it == all->answers.end() ? std::string() : it->second, "text/plain; charset=utf-8"};
    // The drawings of a day two days back or more are final: caches may keep
    // them for a day. An empty answer (not drawn yet) and recent days must be
    // asked again each time, which the tag makes cheap (304).
    const DayNumber today = today_ ? today_() : rz::today();
    const bool final = !a.body.empty() && day + 2 <= today;
    const std::string tag = entityTag(a.body);
    a.headers = {{"Cache-Control", final ? "public, max-age=86400" : "no-cache"},
                 {"ETag", tag},
                 {"Last-Modified", formatHttpDate(all->modified)}};
    bool unchanged = false;
    if (!conditions.ifNoneMatch.empty()) {
        unchanged = tagMatches(conditions.ifNoneMatch, tag);
    } else if (!conditions.ifModifiedSince.empty() && all->settled) {
        // Times have whole seconds: only a settled file answers by time.
        const auto since = parseHttpDate(conditions.ifModifiedSince);
        unchanged = since && all->modified <= *since;
    }
    if (unchanged) {
        a.status = 304;
        a.headers.emplace_back("Content-Length", std::to_string(a.body.size()));
        a.body.clear();
    }
    return a;
}

ServerAnswer DataServerRoutes::answer(const std::string& method, const std::string& target,
                                      const RequestConditions& conditions) const {
    if (method != "GET" && method != "HEAD")
        return ServerAnswer{405, "Method Not Allowed\r\n", "text/plain; charset=utf-8", {{"Allow", "GET, HEAD"}}};
    const std::size_t q = target.find('?');
    const std::string path = lowerAscii(percentDecode(target.substr(0, q)));
    const Query query = parseQuery(q == std::string::npos ? std::string() : target.substr(q + 1));

    // The drawing request.
    if (path == "/lotto/uslotto.asp") {
        const auto programm = query.find("programm");
        const auto datum = query.find("datum");
        DayNumber day = 0;
        if (programm == query.end() || programm->second != "RuvuZevodare" || datum == query.end() ||
            !parseYyyymmdd(datum->second, day))
            return notFound();
        return drawingAnswer(day, conditions);
    }
    // The online submission: the cart base (or a notice), the fallback cart
    // and the click scripts' updates.
    if (path == "/lotto/lotto.asp")
        return cartAnswer(q == std::string::npos ? std::string() : target.substr(q + 1));
    if (path == "/lotto/warenkorb2.asp") {
        std::string page = "<!DOCTYPE html>\r\n<html><head><meta charset=\"utf-8\"><title>Warenkorb</title></head><body>\r\n"
                           "<h1>Warenkorb</h1>\r\n<table>\r\n";
        for (int k = 1; k <= 6; ++k) {
            const auto it = query.find("kasten" + std::to_string(k));
            page += "<tr><td>Tipp " + std::to_string(k) + "</td><td>" +
                    htmlEscape(it == query.end() ? std::string() : it->second) + "</td></tr>\r\n";
        }
        const auto tipps = query.find("tipps");
        page += "</table>\r\n<p>Tipps: " + htmlEscape(tipps == query.end() ? std::string() : tipps->second) +
                "</p>\r\n</body></html>\r\n";
        return ServerAnswer{200, page, "text/html; charset=utf-8"};
    }
    const std::string rawPath = percentDecode(target.substr(0, q), false);
    if (path.rfind("/scripts/", 0) == 0)
        return scriptAnswer(rawPath.substr(9));
    return notFound();
}

ServerAnswer DataServerRoutes::cartAnswer(const std::string& queryText) const {
    const Query query = parseQuery(queryText);
    const auto spiel = query.find("spiel"), wo = query.find("wo"), tipps = query.find("tipps");
    if (spiel == query.end() || spiel->second != "Zentuva" || wo == query.end() || wo->second != "Lottoland" ||
        tipps == query.end() || tipps->second.empty() || tipps->second.size() > 2 ||
        !std::all_of(tipps->second.begin(), tipps->second.end(), [](char c) { return c >= '0' && c <= '9'; }) ||
        std::stoi(tipps->second) < 1 || std::stoi(tipps->second) > 12)
        return notFound();
    if (!portal_.noticeFile.empty()) // a file that cannot be read ends in status 500
        return ServerAnswer{404, readWholeFile(portal_.noticeFile, kMaxServedFile), "text/html; charset=utf-8"};
    if (portal_.cartBase)
        return ServerAnswer{200, *portal_.cartBase, "text/plain; charset=utf-8"};
    return notFound();
}

ServerAnswer DataServerRoutes::scriptAnswer(const std::string& name) const {
    if (portal_.scriptsFolder.empty() || !isPlainFileName(name) || name.size() < 5 ||
        lowerAscii(name.substr(name.size() - 4)) != ".txt")
        return notFound();
    const std::optional<ServedFile> file = readFileInFolder(toPath(portal_.scriptsFolder) / name);
    if (!file)
        return notFound();
    ServerAnswer a{200, file->content, "text/plain; charset=utf-8"};
    a.headers.emplace_back("Last-Modified", formatHttpDate(file->modified));
    return a;
}

std::string formatHttpDate(std::int64_t seconds) {
    static const char* const days[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    static const char* const months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                         "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    const std::time_t t = static_cast<std::time_t>(seconds);
    std::tm tm{};
#if defined(_WIN32)
    const bool converted = gmtime_s(&tm, &t) == 0;
#else
    const bool converted = gmtime_r(&t, &tm) != nullptr;
#endif
    // A time the system cannot convert (Windows refuses any before 1970)
    // is named as the first day of 1970 rather than read out of the tables.
    if (!converted || tm.tm_wday < 0 || tm.tm_wday > 6 || tm.tm_mon < 0 || tm.tm_mon > 11)
        return "Thu, 01 Jan 1970 00:00:00 GMT";
    char buf[64];
    std::snprintf(buf, sizeof buf, "%s, %02d %s %04d %02d:%02d:%02d GMT", days[tm.tm_wday], tm.tm_mday,
                  months[tm.tm_mon], tm.tm_year + 1900, tm.tm_hour, tm.tm_min, tm.tm_sec);
    return buf;
}

namespace {

using Clock = std::chrono::steady_clock;

// What one client may ask of the server: a request is its header alone (no
// body), at most kMaxHeaderBytes, sent within kHeaderTime.
constexpr std::size_t kMaxHeaderBytes = 8 * 1024;
constexpr auto kHeaderTime = std::chrono::seconds(10);
// A kept-alive connection waits this long for its next request.
constexpr auto kIdleTime = std::chrono::seconds(5);
constexpr int kMaxRequestsPerConnection = 100;
// Writing one answer may take this long (a client that does not read).
constexpr auto kWriteTime = std::chrono::seconds(30);
// After the last answer, what the client still sends is read and dropped for
// this long, so that closing does not reset the connection under the answer.
constexpr auto kLingerTime = std::chrono::seconds(1);
constexpr std::size_t kMaxLingerBytes = 256 * 1024;
// Waits are cut into slices so that stop() ends every connection soon.
constexpr int kSliceMs = 200;
// Connections that arrive together wait in the system's queue, not in SYN retries.
constexpr int kListenBacklog = 1024;

int millisUntil(Clock::time_point t) {
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(t - Clock::now()).count();
    return ms <= 0 ? 0 : static_cast<int>(std::min<long long>(ms, kSliceMs));
}

// 1: the socket is readable (or writable), 0: time out, -1: error.
int waitFor(socket_t sock, bool write, int ms) {
#if defined(_WIN32)
    WSAPOLLFD p{};
    p.fd = sock;
    p.events = write ? POLLWRNORM : POLLRDNORM;
    const int r = WSAPoll(&p, 1, ms);
#else
    pollfd p{};
    p.fd = sock;
    p.events = write ? POLLOUT : POLLIN;
    int r;
    do {
        r = ::poll(&p, 1, ms);
    } while (r < 0 && errno == EINTR);
#endif
    return r < 0 ? -1 : (r > 0 ? 1 : 0);
}

#if defined(MSG_NOSIGNAL)
constexpr int kSendFlags = MSG_NOSIGNAL;
#else
constexpr int kSendFlags = 0;
#endif

// Sends everything before the deadline; false on an error or time out.
bool sendAll(socket_t sock, const char* data, std::size_t size, Clock::time_point deadline) {
    while (size > 0) {
        const int ready = waitFor(sock, true, millisUntil(deadline));
        if (ready < 0 || (ready == 0 && Clock::now() >= deadline))
            return false;
        if (ready == 0)
            continue;
        const auto n = httplib::detail::send_socket(sock, data, size, kSendFlags);
        if (n <= 0)
            return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

void shutdownSending(socket_t sock) {
#if defined(_WIN32)
    ::shutdown(sock, SD_SEND);
#else
    ::shutdown(sock, SHUT_WR);
#endif
}

// Ends the connection: no more sending, then what the client still sends is
// dropped for a moment (bounded), then the socket is closed.
void closeConnection(socket_t sock, std::chrono::milliseconds linger) {
    shutdownSending(sock);
    const auto until = Clock::now() + linger;
    std::size_t dropped = 0;
    char buf[4096];
    while (dropped < kMaxLingerBytes && Clock::now() < until && waitFor(sock, false, millisUntil(until)) > 0) {
        const auto n = httplib::detail::read_socket(sock, buf, sizeof buf, 0);
        if (n <= 0)
            break;
        dropped += static_cast<std::size_t>(n);
    }
    httplib::detail::close_socket(sock);
}

struct Peer {
    std::string ip = "-";
    int port = 0;
};

Peer addressOf(socket_t sock, bool remote) {
    sockaddr_storage addr{};
    socklen_t len = sizeof addr;
    const int r = remote ? getpeername(sock, reinterpret_cast<sockaddr*>(&addr), &len)
                         : getsockname(sock, reinterpret_cast<sockaddr*>(&addr), &len);
    Peer p;
    if (r != 0)
        return p;
    char host[NI_MAXHOST];
    if (getnameinfo(reinterpret_cast<sockaddr*>(&addr), len, host, sizeof host, nullptr, 0, NI_NUMERICHOST) == 0)
        p.ip = host;
    if (addr.ss_family == AF_INET)
        p.port = ntohs(reinterpret_cast<const sockaddr_in*>(&addr)->sin_port);
    else if (addr.ss_family == AF_INET6)
        p.port = ntohs(reinterpret_cast<const sockaddr_in6*>(&addr)->sin6_port);
    return p;
}

// The header of one request, as the HTTP parser reads it, and the socket the
// answer goes to. Reading past the header gives end of input: a request body
// is never read. The answer is collected and sent in one piece.
class RequestStream final : public httplib::Stream {
public:
    RequestStream(socket_t sock, std::string header, const Peer& remote, const Peer& local)
        : sock_(sock), header_(std::move(header)), remote_(remote), local_(local),
          deadline_(Clock::now() + kWriteTime) {}

    bool is_readable() const override { return pos_ < header_.size(); }
    bool is_writable() const override { return !failed_; }
    ssize_t read(char* ptr, size_t size) override {
        const std::size_t n = std::min(size, header_.size() - pos_);
        std::memcpy(ptr, header_.data() + pos_, n);
        pos_ += n;
        return static_cast<ssize_t>(n);
    }
    ssize_t write(const char* ptr, size_t size) override {
        if (failed_)
            return -1;
        out_.append(ptr, size);
        if (out_.size() >= 64 * 1024 && !flush())
            return -1;
        return static_cast<ssize_t>(size);
    }
    void get_remote_ip_and_port(std::string& ip, int& port) const override {
        ip = remote_.ip;
        port = remote_.port;
    }
    void get_local_ip_and_port(std::string& ip, int& port) const override {
        ip = local_.ip;
        port = local_.port;
    }
    socket_t socket() const override { return sock_; }

    bool flush() {
        if (!failed_ && !out_.empty())
            failed_ = !sendAll(sock_, out_.data(), out_.size(), deadline_);
        out_.clear();
        return !failed_;
    }

private:
    socket_t sock_;
    std::string header_;
    std::size_t pos_ = 0;
    Peer remote_, local_;
    Clock::time_point deadline_;
    std::string out_;
    bool failed_ = false;
};

// Header fields the server does not act on: ranges (an answer is always
// whole, so a request cannot multiply it) and content codings (an answer is
// always sent as stored, so that one ETag names one set of bytes).
bool isIgnoredField(std::string_view line) {
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos)
        return false;
    const std::string name = lowerAscii(std::string(line.substr(0, colon)));
    return name == "range" || name == "if-range" || name == "accept-encoding";
}

std::string withoutIgnoredFields(std::string_view header) {
    std::string out;
    out.reserve(header.size());
    std::size_t pos = 0;
    while (pos < header.size()) {
        std::size_t end = header.find('\n', pos);
        end = end == std::string_view::npos ? header.size() : end + 1;
        const std::string_view line = header.substr(pos, end - pos);
        if (!isIgnoredField(line))
            out.append(line);
        pos = end;
    }
    return out;
}

// Requests carry no body: a Content-Length other than 0 or any
// Transfer-Encoding is refused.
bool announcesBody(const httplib::Request& req) {
    if (req.has_header("Transfer-Encoding"))
        return true;
    if (!req.has_header("Content-Length"))
        return false;
    const std::string length = req.get_header_value("Content-Length");
    return length.empty() || length.find_first_not_of('0') != std::string::npos;
}

// The refusal of a request before anything of a body is read; 0 when it is served.
int refusalOf(const httplib::Request& req) {
    if (req.method != "GET" && req.method != "HEAD")
        return 405;
    return announcesBody(req) ? 413 : 0;
}

// Per connection: set by the connection loop, read by the handlers that run
// on the same thread.
struct ConnectionState {
    bool closeAfterAnswer = false;
};
thread_local ConnectionState* tConnection = nullptr;
thread_local bool tRefusing = false;

void closeAfterAnswer() {
    if (tConnection)
        tConnection->closeAfterAnswer = true;
}

// Runs each connection on a worker thread; workers are started as
// connections arrive, up to maxWorkers. Connections beyond them wait, at most
// maxWaiting; the rest get a quick refusal on a thread of its own, so that a
// crowd can neither hold up the accept loop nor grow without bound.
class ConnectionPool final : public httplib::TaskQueue {
public:
    ConnectionPool(std::size_t maxWorkers, std::size_t maxWaiting)
        : maxWorkers_(std::max<std::size_t>(1, maxWorkers)), maxWaiting_(maxWaiting) {}
    ~ConnectionPool() override { shutdown(); }

    void enqueue(std::function<void()> fn) override {
        std::lock_guard<std::mutex> lock(mu_);
        if (busy_.load() + waiting_.size() >= maxWorkers_ + maxWaiting_) {
            refusals_.push_back(std::move(fn));
            if (!refuser_.joinable())
                refuser_ = std::thread([this] { refuse(); });
            cv_.notify_all();
            return;
        }
        waiting_.push_back(std::move(fn));
        if (waiting_.size() > idle_ && workers_.size() < maxWorkers_)
            workers_.emplace_back([this] { work(); });
        cv_.notify_all();
    }

    void shutdown() override {
        {
            std::lock_guard<std::mutex> lock(mu_);
            if (stopping_)
                return;
            stopping_ = true;
        }
        cv_.notify_all();
        for (std::thread& t : workers_)
            t.join();
        if (refuser_.joinable())
            refuser_.join();
    }

    // Most workers are busy: kept-alive connections are closed after their
    // answer instead of waiting for another request.
    bool crowded() const { return busy_.load() * 4 >= maxWorkers_ * 3; }

private:
    void work() {
        std::unique_lock<std::mutex> lock(mu_);
        for (;;) {
            ++idle_;
            cv_.wait(lock, [this] { return stopping_ || !waiting_.empty(); });
            --idle_;
            if (waiting_.empty())
                return; // stopping
            std::function<void()> fn = std::move(waiting_.front());
            waiting_.pop_front();
            ++busy_;
            lock.unlock();
            fn();
            lock.lock();
            --busy_;
        }
    }
    void refuse() {
        tRefusing = true;
        std::unique_lock<std::mutex> lock(mu_);
        for (;;) {
            cv_.wait(lock, [this] { return stopping_ || !refusals_.empty(); });
            if (refusals_.empty())
                return;
            std::function<void()> fn = std::move(refusals_.front());
            refusals_.pop_front();
            lock.unlock();
            fn();
            lock.lock();
        }
    }

    const std::size_t maxWorkers_, maxWaiting_;
    std::mutex mu_;
    std::condition_variable cv_;
    std::deque<std::function<void()>> waiting_, refusals_;
    std::vector<std::thread> workers_;
    std::thread refuser_;
    std::size_t idle_ = 0;
    std::atomic<std::size_t> busy_{0};
    bool stopping_ = false;
};

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
    default: return "Error";
    }
}

} // namespace

// cpp-httplib's server with its own connection loop: it reads each request's
// header itself (size limit, deadline, no body) and hands only the header to
// the library's parser, which routes the request and writes the answer.
class GuardedServer final : public httplib::Server {
public:
    using LogLine = std::function<void(const std::string& peer, const std::string& request, int status,
                                       std::size_t bytes)>;

    GuardedServer() {
        new_task_queue = [this] {
            auto* pool = new ConnectionPool(maxConnections_, maxConnections_);
            pool_.store(pool);
            return pool;
        };
    }
    void setMaxConnections(std::size_t n) { maxConnections_ = std::max<std::size_t>(1, n); }
    void setLogLine(LogLine log) { logLine_ = std::move(log); }
    // After binding: a longer queue of connections not yet accepted.
    void widenBacklog() {
        const socket_t s = svr_sock_;
        if (s != INVALID_SOCKET)
            ::listen(s, kListenBacklog);
    }

private:
    bool stopping() const { return svr_sock_ == INVALID_SOCKET; }
    bool crowded() const {
        const ConnectionPool* pool = pool_.load();
        return pool && pool->crowded();
    }

    // An answer the server gives without the parser (the request was not
    // read whole); the connection is then closed.
    void answerDirectly(socket_t sock, const Peer& peer, const std::string& request, int status) {
        const std::string body = std::string(reasonOf(status)) + "\r\n";
        std::string text = "HTTP/1.1 " + std::to_string(status) + " " + reasonOf(status) +
                           "\r\nContent-Type: text/plain; charset=utf-8\r\nContent-Length: " +
                           std::to_string(body.size()) + "\r\nConnection: close\r\n";
        if (status == 503)
            text += "Retry-After: 5\r\n";
        text += "\r\n" + body;
        sendAll(sock, text.data(), text.size(), Clock::now() + std::chrono::seconds(5));
        if (logLine_)
            logLine_(peer.ip, request, status, body.size());
    }

    bool process_and_close_socket(socket_t sock) override {
        const Peer remote = addressOf(sock, true), local = addressOf(sock, false);
        if (tRefusing) {
            answerDirectly(sock, remote, "-", 503);
            closeConnection(sock, std::chrono::milliseconds(50));
            return false;
        }
        ConnectionState state;
        tConnection = &state;
        std::string received; // bytes of this and maybe the next request
        bool ok = true;
        for (int served = 0; served < kMaxRequestsPerConnection && !stopping(); ++served) {
            const auto headerDeadline = Clock::now() + kHeaderTime;
            const auto idleDeadline = Clock::now() + (served == 0 ? kHeaderTime : kIdleTime);
            std::size_t end = std::string::npos;
            int refusal = 0;
            for (;;) {
                // Blank lines before a request are allowed and skipped.
                const std::size_t start = received.find_first_not_of("\r\n");
                received.erase(0, start == std::string::npos ? received.size() : start);
                end = received.find("\r\n\r\n");
                if (end != std::string::npos)
                    break;
                if (received.size() >= kMaxHeaderBytes) {
                    refusal = 431;
                    break;
                }
                const auto deadline = received.empty() ? idleDeadline : headerDeadline;
                if (stopping() || Clock::now() >= deadline) {
                    refusal = received.empty() ? -1 : 408;
                    break;
                }
                const int ready = waitFor(sock, false, millisUntil(deadline));
                if (ready == 0)
                    continue;
                char buf[4096];
                const auto n = ready < 0 ? -1 : httplib::detail::read_socket(sock, buf, sizeof buf, 0);
                if (n <= 0) {
                    refusal = -1;
                    break;
                }
                received.append(buf, static_cast<std::size_t>(n));
            }
            if (refusal == 0 && end + 4 > kMaxHeaderBytes)
                refusal = 431;
            if (refusal != 0) {
                if (refusal > 0)
                    answerDirectly(sock, remote, received.substr(0, std::min<std::size_t>(received.find('\r'), 200)),
                                   refusal);
                ok = refusal < 0;
                break;
            }
            std::string header = withoutIgnoredFields(std::string_view(received).substr(0, end + 4));
            received.erase(0, end + 4);

            const bool lastOne = served + 1 == kMaxRequestsPerConnection || crowded();
            state.closeAfterAnswer = false;
            bool clientCloses = false;
            RequestStream strm(sock, std::move(header), remote, local);
            ok = process_request(strm, lastOne, clientCloses, nullptr);
            ok = strm.flush() && ok;
            if (!ok || lastOne || clientCloses || state.closeAfterAnswer)
                break;
        }
        tConnection = nullptr;
        closeConnection(sock, kLingerTime);
        return ok;
    }

    std::size_t maxConnections_ = 128;
    std::atomic<ConnectionPool*> pool_{nullptr};
    LogLine logLine_;
};

namespace {

// A request text for the log: bytes outside printable ASCII (and the
// backslash) as \xHH, so that a request cannot write control sequences into
// a terminal or forge log lines.
std::string forLog(const std::string& text) {
    static const char* const hex = "0123456789abcdef";
    std::string out;
    out.reserve(text.size());
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (u < 0x20 || u >= 0x7f || u == '\\') {
            out += "\\x";
            out += hex[u >> 4];
            out += hex[u & 15];
        } else {
            out += c;
        }
    }
    return out;
}

} // namespace

struct DataServer::Impl {
    DataServerRoutes routes;
    GuardedServer server;
    explicit Impl(std::string db) : routes(std::move(db)) {}
};

DataServer::DataServer(std::string databasePath, Logger logger) : impl_(std::make_unique<Impl>(std::move(databasePath))) {
    GuardedServer& s = impl_->server;
    const auto handler = [this, logger](const httplib::Request& req, httplib::Response& res) {
        ServerAnswer a;
        try {
            a = impl_->routes.answer(req.method, req.target,
                                     RequestConditions{req.get_header_value("If-None-Match"),
                                                       req.get_header_value("If-Modified-Since")});
        } catch (const std::exception& e) {
            // The details are for the log only; the client learns nothing of the server's files.
            if (logger)
                logger(nowIso() + " " + req.remote_addr + " error on " + forLog(req.target) + ": " + forLog(e.what()));
            a = ServerAnswer{500, "Internal Server Error\r\n", "text/plain; charset=utf-8"};
        }
        res.status = a.status;
        for (const auto& [name, value] : a.headers)
            res.set_header(name, value);
        if (a.status != 304)
            res.set_content(a.body, a.contentType.c_str());
    };
    s.Get(".*", handler);
    // Refused before anything of a body is read; the connection then ends.
    s.set_pre_routing_handler([](const httplib::Request& req, httplib::Response& res) {
        const int refusal = refusalOf(req);
        if (refusal == 0)
            return httplib::Server::HandlerResponse::Unhandled;
        res.status = refusal;
        if (refusal == 405)
            res.set_header("Allow", "GET, HEAD");
        res.set_header("Connection", "close");
        closeAfterAnswer();
        return httplib::Server::HandlerResponse::Handled;
    });
    s.set_expect_100_continue_handler([](const httplib::Request& req, httplib::Response& res) {
        const int refusal = refusalOf(req);
        if (refusal == 0)
            return 100;
        res.status = refusal;
        res.set_header("Connection", "close");
        closeAfterAnswer();
        return refusal;
    });
    // Ranges are not served (see withoutIgnoredFields).
    s.set_post_routing_handler([](const httplib::Request&, httplib::Response& res) {
        res.headers.erase("Accept-Ranges");
    });
    s.set_tcp_nodelay(true);
    s.set_keep_alive_max_count(kMaxRequestsPerConnection);
    s.set_keep_alive_timeout(std::chrono::duration_cast<std::chrono::seconds>(kIdleTime).count());
    s.set_error_handler([](const httplib::Request&, httplib::Response& res) {
        if (res.body.empty())
            res.set_content(std::string(reasonOf(res.status)) + "\r\n", "text/plain; charset=utf-8");
    });
    if (logger) {
        s.set_logger([logger](const httplib::Request& req, const httplib::Response& res) {
            logger(nowIso() + " " + req.remote_addr + " " + forLog(req.method) + " " + forLog(req.target) + " " +
                   std::to_string(res.status) + " " + std::to_string(res.body.size()));
        });
        s.setLogLine([logger](const std::string& peer, const std::string& request, int status, std::size_t bytes) {
            logger(nowIso() + " " + peer + " " + forLog(request) + " " + std::to_string(status) + " " +
                   std::to_string(bytes));
        });
    }
}

DataServer::~DataServer() { stop(); }

void DataServer::setPortal(PortalOptions portal) { impl_->routes.setPortal(std::move(portal)); }

void DataServer::setMaxConnections(std::size_t count) { impl_->server.setMaxConnections(count); }

bool DataServer::start(const std::string& bindAddress, int port) {
    bind_ = bindAddress;
    if (port == 0) {
        port_ = impl_->server.bind_to_any_port(bindAddress);
        if (port_ > 0)
            impl_->server.widenBacklog();
        return port_ > 0;
    }
    if (!impl_->server.bind_to_port(bindAddress, port))
        return false;
    impl_->server.widenBacklog();
    port_ = port;
    return true;
}

std::string DataServer::address() const {
    const bool v6 = bind_.find(':') != std::string::npos;
    return "http://" + (v6 ? "[" + bind_ + "]" : bind_) + ":" + std::to_string(port_);
}

void DataServer::serve() { impl_->server.listen_after_bind(); }

bool DataServer::running() const { return impl_ && impl_->server.is_running(); }

void DataServer::stop() {
    if (impl_)
        impl_->server.stop();
}

} // namespace rz
