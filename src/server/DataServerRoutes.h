#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace rz {

// What the data server answers to one request.
struct ServerAnswer {
    int status = 404;
    std::string body;
    std::string contentType = "text/plain; charset=utf-8";
    std::vector<std::pair<std::string, std::string>> headers = {};
};

// What the server answers for the online submission: the portal's cart base,
// a notice instead of it, and the click scripts' updates.
struct PortalOptions {
    // Answered on the cart request; none: the cart request is refused (404),
    // so that the program takes the fallback cart.
    std::optional<std::string> cartBase;
    // An HTML file answered on the cart request instead, with status 404.
    std::string noticeFile;
    // The folder whose "NAME.txt" files are served as "/scripts/NAME.txt",
    // with their modification time as Last-Modified.
    std::string scriptsFolder;
};

// The conditions of a request that the drawing answer honours, as sent.
struct RequestConditions {
    std::string ifNoneMatch;
    std::string ifModifiedSince;
};

// The drawing file is no drawing database: a whole record carries no date
// (NaN, infinite, out of range). what(): "not a drawing database (record N)",
// counted from 1.
class NotADrawingDatabase : public std::runtime_error {
public:
    explicit NotADrawingDatabase(std::int64_t record);
    std::int64_t record() const { return record_; }

private:
    std::int64_t record_;
};

// The answers of the data server, without the network: a request path and
// query in, an answer out. The drawing file is read once and kept parsed in
// memory; every drawing request checks (one stat) whether the file changed
// and then reads it anew, so drawings added while the server runs are served
// at once. A new version is read and parsed without holding up the requests
// meanwhile (they are answered from the version in service) and then takes
// its place; a version that is no drawing database or cannot be read is not
// taken: the last good one stays in service, and the log says why, once.
// Safe to use from several threads.
class DataServerRoutes {
public:
    using Logger = std::function<void(const std::string& line)>;

    explicit DataServerRoutes(std::string databasePath);
    ~DataServerRoutes();
    DataServerRoutes(const DataServerRoutes&) = delete;
    DataServerRoutes& operator=(const DataServerRoutes&) = delete;

    void setPortal(PortalOptions portal) { portal_ = std::move(portal); }
    // The day the caching rules count as today (default: the local date).
    void setToday(std::function<double()> today) { today_ = std::move(today); }
    // Where a version of the drawing file that is not taken is reported.
    void setLogger(Logger logger) { logger_ = std::move(logger); }

    // Reads the drawing file now. Throws NotADrawingDatabase, or IoError
    // when it cannot be read.
    void load() const;

    // target: path and query as sent, e.g. "/lotto/uslotto.asp?Programm=RuvuZevodare&Datum=20191022".
    ServerAnswer answer(const std::string& method, const std::string& target) const {
        return answer(method, target, RequestConditions{});
    }
    // A drawing answer carries Cache-Control, ETag and Last-Modified, and is
    // 304 (no body) when the conditions show that the client has it.
    ServerAnswer answer(const std::string& method, const std::string& target, const RequestConditions& conditions) const;

    // One line per drawing of the date: five main numbers, MegaBall and
    // Megaplier, comma-separated, each line ended by CR LF.
    std::string drawingsOf(double day) const;
    // How often a version of the drawing file has been taken into service so far.
    std::uint64_t fileReads() const;

private:
    struct Drawings;
    struct Cache;
    std::shared_ptr<const Drawings> drawings() const;
    ServerAnswer drawingAnswer(double day, const RequestConditions& conditions) const;
    ServerAnswer cartAnswer(const std::string& query) const;
    ServerAnswer scriptAnswer(const std::string& name) const;

    std::string databasePath_;
    PortalOptions portal_;
    std::function<double()> today_;
    Logger logger_;
    std::unique_ptr<Cache> cache_;
};

// An HTTP date (RFC 1123, always GMT) for seconds since 1970-01-01 UTC.
std::string formatHttpDate(std::int64_t seconds);

// The local time as "2019-10-22T18:30:00", for log lines.
std::string logTimeNow();

// A text for the log: bytes outside printable ASCII (and the backslash) as
// \xHH, so that a request cannot write control sequences into a terminal or
// forge log lines.
std::string forLog(const std::string& text);

} // namespace rz
