#include "server/DataServerRoutes.h"

#include <algorithm>
#include <atomic>
#include <cctype>
#include <chrono>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>
#include <stdexcept>
#include <ctime>
#include <filesystem>
#include <map>
#include <mutex>
#include <string_view>

#if defined(_WIN32)
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

#include "common/Dates.h"
#include "database/DrawingDatabase.h"
#include "download/Download.h"
#include "download/Http.h"
#include "common/IoError.h"
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

} // namespace

std::string logTimeNow() {
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

NotADrawingDatabase::NotADrawingDatabase(std::int64_t record)
    : std::runtime_error("not a drawing database (record " + std::to_string(record) + ")"), record_(record) {}

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
    bool reading = false; // a new version is being read
    // The version last refused (none: the file was missing), so that it is
    // neither read nor reported again and again.
    std::optional<std::optional<FileStamp>> refused;
};

DataServerRoutes::DataServerRoutes(std::string databasePath)
    : databasePath_(std::move(databasePath)), cache_(std::make_unique<Cache>()) {}

DataServerRoutes::~DataServerRoutes() = default;

std::uint64_t DataServerRoutes::fileReads() const {
    std::lock_guard<std::mutex> lock(cache_->mu);
    return cache_->reads;
}

void DataServerRoutes::load() const {
    const std::optional<FileStamp> stamp = stampOf(databasePath_);
    // A rewrite replaces the file by renaming, so the read sees the old or
    // the new file whole; an append under way leaves a partial record,
    // which is not read.
    const std::string bytes = readWholeFile(databasePath_);
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
    if (const auto bad = DrawingDatabase::firstUnreadableRecord(data, bytes.size()))
        throw NotADrawingDatabase(*bad + 1);
    auto next = std::make_shared<Drawings>();
    const std::optional<FileStamp> after = stampOf(databasePath_);
    next->stamp = after.value_or(FileStamp{});
    next->modified = next->stamp.modifiedNs / 1000000000;
    const std::int64_t nowNs = std::chrono::duration_cast<std::chrono::nanoseconds>(
                                   std::chrono::system_clock::now().time_since_epoch()).count();
    next->settled = stamp && after && *stamp == *after && nowNs - after->modifiedNs > kSettleNs;
    next->readAt = std::chrono::steady_clock::now();
    // Every date is a representable day here: no NaN reaches the map's order.
    const std::size_t count = bytes.size() / DrawingRecord::kSize;
    std::vector<DrawingRecord> records;
    records.reserve(count);
    for (std::size_t i = 0; i < count; ++i)
        records.push_back(DrawingRecord::fromBytes(data + i * DrawingRecord::kSize));
    for (std::size_t k = 0; k < records.size();) {
        std::size_t end = k + 1;
        while (end < records.size() && records[end].Date == records[k].Date)
            ++end;
        std::string& answer = next->answers[records[k].Date];
        answer += formatBody(records, k, end); // a date may also occur apart (out of order)
        k = end;
    }
    // Taken into service; the requests under way keep the version they have.
    const std::lock_guard<std::mutex> lock(cache_->mu);
    cache_->current = std::move(next);
    cache_->refused.reset();
    ++cache_->reads;
}

std::shared_ptr<const DataServerRoutes::Drawings> DataServerRoutes::drawings() const {
    const std::optional<FileStamp> stamp = stampOf(databasePath_);
    std::shared_ptr<const Drawings> current;
    {
        const std::lock_guard<std::mutex> lock(cache_->mu);
        current = cache_->current;
        if (current) {
            if (stamp && *stamp == current->stamp &&
                (current->settled || std::chrono::steady_clock::now() - current->readAt < kUnsettledReread))
                return current;
            // A version refused before, or one being read by another request
            // right now: the version in service answers meanwhile.
            if (cache_->reading || (cache_->refused && *cache_->refused == stamp && stamp))
                return current;
            cache_->reading = true;
        }
    }
    if (!current) {
        load(); // the first version: nothing else to answer from
        const std::lock_guard<std::mutex> lock(cache_->mu);
        return cache_->current;
    }
    std::string why;
    try {
        if (!stamp)
            why = "cannot be found";
        else
            load();
    } catch (const std::exception& e) {
        why = e.what();
    }
    const std::lock_guard<std::mutex> lock(cache_->mu);
    cache_->reading = false;
    if (!why.empty()) {
        const bool reported = cache_->refused && *cache_->refused == stamp;
        cache_->refused = stamp;
        if (!reported && logger_)
            logger_(logTimeNow() + " drawing file " + forLog(databasePath_) + " not taken: " + forLog(why) +
                    "; the last good version stays in service");
    }
    return cache_->current;
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


} // namespace rz
