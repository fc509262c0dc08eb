#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "common/Dates.h"

namespace rz {

struct HttpRequest;

// The State's open-data export of the Mega Millions history (drawings since
// 2002), the data source a new installation starts with.
inline constexpr const char* kDefaultServerAddress =
    "https://data.ny.gov/api/views/5xaw-6ayf/rows.csv?accessType=DOWNLOAD";

// The drawing request of the data server, followed by the date as yyyymmdd.
inline constexpr const char* kDrawingRequestPath = "/lotto/uslotto.asp?Programm=RuvuZevodare&Datum=";

inline constexpr const char* kRequestAccept = "text/html, */*";
inline constexpr const char* kRequestUserAgent = "Mozilla/3.0 (compatible; Indy Library)";

// How a download ended.
enum class DownloadEnd {
    None,            // no download ran yet
    Completed,       // every candidate date up to today was asked for
    Stopped,         // the stop button
    TransportFailed, // no connection, host not found, time-out ...
    BadAnswer,       // a line of an answer was not a drawing
    BadProxyPort,    // the proxy port is not a number
    BadAddress,      // the data server's address is not usable
    FutureLastDrawing, // the last stored drawing lies after today: nothing to ask for
    NoDrawingDatabase, // the drawing file is no drawing database: nothing to ask for, nothing stored
};

struct DownloadResult {
    DownloadEnd end = DownloadEnd::None;
    int added = 0;             // records written
    int requests = 0;          // requests sent (redirects not counted)
    DayNumber lastAdded = 0;   // date of the last record written (0: none)
    std::string statusLine;    // status line of the last answer, or the failure
    std::string message;       // what was shown to the user, if anything
};

// A drawing answer holds one line per date; no more lines than this are
// taken from one answer.
inline constexpr std::size_t kMaxAnswerLines = 100;

// The answer of the data server split at CR, LF or CR LF; an empty last line
// is not counted, so an empty body has no lines. At most maxLines lines; the
// rest of the body is not looked at.
std::vector<std::string> splitAnswerLines(const std::string& body, std::size_t maxLines = kMaxAnswerLines);

// An answer as the user is shown it when it is not a drawing: at most about
// maxChars characters (whole UTF-8 sequences), followed by "…" when cut.
std::string shortenedAnswer(const std::string& body, std::size_t maxChars = 200);

// One answer line: fields 1..6 end at the next comma, field 7 is the rest of
// the line; each field is trimmed and read as a decimal integer 0..255.
// numbers[1..5] main numbers, [6] = 0, [7] MegaBall, [8] Megaplier.
// Returns false when a field is empty, not a decimal integer or does not fit
// a byte.
bool parseAnswerLine(const std::string& line, std::array<std::uint8_t, 9>& numbers);

// The next drawing date after d: Tuesday + 3 days, any other day + 4 days.
DayNumber nextCandidateDate(DayNumber d);

// Whether the address is a CSV file (its path ends in ".csv") rather than a
// data server answering the drawing request.
bool isCsvSource(const std::string& address);

// The address of the drawing request for date d; an address without a scheme
// is taken as http://. Empty when the address is not a usable http(s) address.
std::string drawingRequestUrl(const std::string& serverAddress, DayNumber d);

// "http://" is added to an address without a scheme; surrounding blanks go.
std::string normaliseServerAddress(const std::string& address);

// The hint of the download button: where the drawings come from, by the
// host of the address in use ("data.ny.gov"; the address as typed when it is
// no http(s) address), in the current language.
std::string downloadSourceHint(const std::string& address);

// The proxy and the headers of the program's requests. Returns false with a
// message when the port is not a number 1..65535 (with a host) or not a
// number at all.
bool applyRequestSettings(HttpRequest& request, const std::string& proxyHost, const std::string& proxyPort,
                          std::string& message);

} // namespace rz
