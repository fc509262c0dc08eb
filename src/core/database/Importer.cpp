#include "database/Importer.h"

#include <algorithm>
#include <map>
#include <set>
#include <sstream>

#include "common/FileIo.h"
#include "common/ProgramTexts.h"
#include "common/Text.h"
#include "common/TextCodec.h"
#include "database/DrawingDatabase.h"
#include "database/GameFormat.h"

namespace rz {
namespace {

// Splits one CSV line; fields may be quoted with "" escapes.
std::vector<std::string> splitCsv(const std::string& line) {
    std::vector<std::string> out;
    std::string cur;
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted) {
            if (c == '"') {
                if (i + 1 < line.size() && line[i + 1] == '"') {
                    cur += '"';
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                cur += c;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            out.push_back(trimWhitespace(cur));
            cur.clear();
        } else {
            cur += c;
        }
    }
    out.push_back(trimWhitespace(cur));
    return out;
}


bool allDigits(const std::string& s, std::size_t from, std::size_t to) {
    if (from >= to)
        return false;
    for (std::size_t i = from; i < to; ++i)
        if (s[i] < '0' || s[i] > '9')
            return false;
    return true;
}

// M/D/YYYY with one or two digits for month and day and four for the year.
bool parseUsDate(const std::string& text, DayNumber& out) {
    const std::size_t a = text.find('/');
    const std::size_t b = a == std::string::npos ? a : text.find('/', a + 1);
    if (b == std::string::npos || a == 0 || a > 2 || b - a - 1 == 0 || b - a - 1 > 2 || text.size() - b - 1 != 4)
        return false;
    if (!allDigits(text, 0, a) || !allDigits(text, a + 1, b) || !allDigits(text, b + 1, text.size()))
        return false;
    const int m = std::stoi(text.substr(0, a));
    const int d = std::stoi(text.substr(a + 1, b - a - 1));
    const int y = std::stoi(text.substr(b + 1));
    return y >= 1 && validDay(y, m, d, out);
}

std::string germanDate(DayNumber d) { return formatShortDate(d, 0); }

// Checks a line's date and numbers; returns the reason when it is no drawing.
std::string makeRecord(DayNumber date, DayNumber latest, const std::vector<std::string>& mains, const std::string& mb,
                       const std::string& mp, DrawingRecord& rec) {
    if (date < kEarliestPickerDate)
        return txt(Txt::ImportDateBefore, {germanDate(date), germanDate(kEarliestPickerDate)});
    if (date > latest)
        return txt(Txt::ImportDateAfterToday, {germanDate(date)});
    const GameFormat* format = gameFormatOn(date);
    if (!format)
        return txt(Txt::ImportNoGameFormat, {germanDate(date)});
    const std::string formatText = format->describe();
    const std::string dateText = germanDate(date);
    if (mains.size() != static_cast<std::size_t>(GameFormat::kMainCount))
        return txt(Txt::ImportMainCount, {std::to_string(mains.size())});
    std::array<int, 5> n{};
    std::set<int> seen;
    for (std::size_t i = 0; i < 5; ++i) {
        std::int32_t v = 0;
        if (!tryParseInt(trimWhitespace(mains[i]), v))
            return txt(Txt::ImportMainNotNumber, {mains[i]});
        if (!format->allowsMain(v))
            return txt(Txt::ImportMainOutOfRange,
                       {std::to_string(v), std::to_string(format->mainMax), formatText, dateText});
        if (!seen.insert(v).second)
            return txt(Txt::ImportMainTwice, {std::to_string(v)});
        n[i] = v;
    }
    std::int32_t megaBall = 0;
    if (!tryParseInt(trimWhitespace(mb), megaBall))
        return txt(Txt::ImportMegaBallNotNumber, {mb});
    if (!format->allowsMegaBall(megaBall))
        return txt(Txt::ImportMegaBallOutOfRange,
                   {std::to_string(megaBall), std::to_string(format->megaBallMax), formatText, dateText});
    std::int32_t megaplier = 0;
    if (!trimWhitespace(mp).empty()) {
        if (!tryParseInt(trimWhitespace(mp), megaplier))
            return txt(Txt::ImportMegaplierNotNumber, {mp});
        if (!format->allowsMegaplier(megaplier))
            return format->hasMegaplier
                       ? txt(Txt::ImportMegaplierNotAllowed, {std::to_string(megaplier)})
                       : txt(Txt::ImportMegaplierNotInFormat, {std::to_string(megaplier), formatText, dateText});
    }
    rec = DrawingRecord::make(date, n, megaBall, megaplier);
    return std::string();
}

} // namespace

std::string ImportResult::report() const {
    if (!ok)
        return txt(Txt::ImportAborted, {error});
    constexpr std::size_t kShown = 20;
    const std::vector<std::string> counts = {std::to_string(added), std::to_string(replaced), std::to_string(skipped)};
    std::string s;
    if (skippedLines.empty()) {
        s = txt(Txt::ImportSummary, counts);
    } else {
        std::string lines;
        const std::size_t shown = std::min(skippedLines.size(), kShown);
        for (std::size_t i = 0; i < shown; ++i)
            lines += (i ? ", " : "") + std::to_string(skippedLines[i]);
        if (shown < skippedLines.size())
            lines += ", …";
        std::vector<std::string> args = counts;
        args.push_back(lines);
        s = txt(Txt::ImportSummaryLines, args);
    }
    const std::size_t reasons = std::min({skipReasons.size(), skippedLines.size(), kShown});
    for (std::size_t i = 0; i < reasons; ++i)
        s += "\n" + txt(Txt::ImportLineReason, {std::to_string(skippedLines[i]), skipReasons[i]});
    if (droppedTrailingBytes > 0)
        s += "\n" + txt(Txt::ImportDroppedBytes, {std::to_string(droppedTrailingBytes)});
    return s;
}

ImportResult parseDrawingHistory(const std::string& content, std::vector<DrawingRecord>& out) {
    return parseDrawingHistory(content, out, today());
}

ImportResult parseDrawingHistory(const std::string& content, std::vector<DrawingRecord>& out, DayNumber latest) {
    ImportResult res;
    int lineNo = 0;
    enum class Format { Unknown, StateExport, Plain } format = Format::Unknown;
    std::map<DayNumber, DrawingRecord> byDate;
    std::map<DayNumber, int> lineOfDate;

    for (std::string& line : splitLines(content)) {
        ++lineNo;
        if (lineNo == 1 && line.size() >= 3 && static_cast<unsigned char>(line[0]) == 0xEF &&
            static_cast<unsigned char>(line[1]) == 0xBB && static_cast<unsigned char>(line[2]) == 0xBF)
            line = line.substr(3); // byte order mark
        if (trimWhitespace(line).empty())
            continue;
        const std::vector<std::string> f = splitCsv(line);
        if (format == Format::Unknown) {
            const std::string first = lowerAscii(f[0]);
            if (first == "draw date" && f.size() >= 3 && lowerAscii(f[1]) == "winning numbers") {
                format = Format::StateExport;
                continue;
            }
            if (first == "date" && f.size() >= 7) {
                format = Format::Plain;
                continue;
            }
            DayNumber probe = 0;
            if (parseIsoDate(f[0], probe) && f.size() >= 7) {
                format = Format::Plain; // plain file without header: this line is data
            } else {
                res.error = txt(Txt::ImportUnknownFormat, {std::to_string(lineNo)});
                return res;
            }
        }
        DrawingRecord rec;
        std::string reason;
        DayNumber date = 0;
        if (format == Format::StateExport) {
            if (f.size() < 3 || f.size() > 4) {
                reason = txt(Txt::ImportFieldCount, {std::to_string(f.size())});
            } else if (!parseUsDate(f[0], date)) {
                reason = txt(Txt::ImportBadUsDate, {f[0]});
            } else {
                std::vector<std::string> mains;
                std::istringstream nums(f[1]);
                std::string tok;
                while (nums >> tok)
                    mains.push_back(tok);
                reason = makeRecord(date, latest, mains, f[2], f.size() >= 4 ? f[3] : std::string(), rec);
            }
        } else {
            if (f.size() != 7 && f.size() != 8) {
                reason = txt(Txt::ImportFieldCountPlain, {std::to_string(f.size())});
            } else if (!parseIsoDate(f[0], date)) {
                reason = txt(Txt::ImportBadIsoDate, {f[0]});
            } else {
                std::vector<std::string> mains(f.begin() + 1, f.begin() + 6);
                reason = makeRecord(date, latest, mains, f[6], f.size() == 8 ? f[7] : std::string(), rec);
            }
        }
        if (reason.empty() && byDate.count(date))
            reason = txt(Txt::ImportDuplicateDate, {germanDate(date), std::to_string(lineOfDate[date])});
        if (!reason.empty()) {
            res.skipped += 1;
            res.skippedLines.push_back(lineNo);
            res.skipReasons.push_back(reason);
            continue;
        }
        byDate[date] = rec;
        lineOfDate[date] = lineNo;
    }
    if (format == Format::Unknown) {
        res.error = txt(Txt::ImportNoDrawings);
        return res;
    }
    if (byDate.empty()) {
        res.error = txt(Txt::ImportNoValidLine);
        return res;
    }
    out.clear();
    for (const auto& [d, r] : byDate)
        out.push_back(r);
    res.ok = true;
    return res;
}

ImportResult importDrawingHistory(const std::string& file, const std::string& databasePath) {
    return importDrawingHistory(file, databasePath, today());
}

ImportResult importDrawingHistory(const std::string& file, const std::string& databasePath, DayNumber latest) {
    // A read error throws here, before anything is parsed or written.
    const std::string content = decodeText(readWholeFile(file)).text;
    std::vector<DrawingRecord> incoming;
    ImportResult res = parseDrawingHistory(content, incoming, latest);
    if (!res.ok)
        return res;

    const DrawingDatabase db(databasePath);
    const DrawingDatabase::UpdateResult written = db.update(
        [&](std::vector<DrawingRecord>& stored) {
            std::map<DayNumber, DrawingRecord> merged;
            for (const DrawingRecord& r : stored)
                merged.emplace(r.Date, r);
            for (const DrawingRecord& r : incoming) {
                auto it = merged.find(r.Date);
                if (it != merged.end()) {
                    it->second = r;
                    res.replaced += 1;
                } else {
                    merged.emplace(r.Date, r);
                    res.added += 1;
                }
            }
            stored.clear();
            stored.reserve(merged.size());
            for (const auto& [d, r] : merged)
                stored.push_back(r);
        },
        true);
    res.droppedTrailingBytes = written.droppedTrailingBytes;
    return res;
}

} // namespace rz
