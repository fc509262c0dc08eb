#include "database/Importer.h"

#include <algorithm>
#include <map>
#include <set>
#include <sstream>

#include "common/FileIo.h"
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
        return "Datum " + germanDate(date) + " liegt vor dem " + germanDate(kEarliestPickerDate);
    if (date > latest)
        return "Datum " + germanDate(date) + " liegt nach dem heutigen Tag";
    const GameFormat* format = gameFormatOn(date);
    if (!format)
        return "für den " + germanDate(date) + " ist kein Spielformat bekannt";
    const std::string inFormat = " (Spielformat " + format->describe() + " am " + germanDate(date) + ")";
    if (mains.size() != static_cast<std::size_t>(GameFormat::kMainCount))
        return std::to_string(mains.size()) + " statt 5 Hauptzahlen";
    std::array<int, 5> n{};
    std::set<int> seen;
    for (std::size_t i = 0; i < 5; ++i) {
        std::int32_t v = 0;
        if (!tryParseInt(trimWhitespace(mains[i]), v))
            return "Hauptzahl \"" + mains[i] + "\" ist keine Zahl";
        if (!format->allowsMain(v))
            return "Hauptzahl " + std::to_string(v) + " liegt nicht in 1–" + std::to_string(format->mainMax) + inFormat;
        if (!seen.insert(v).second)
            return "Hauptzahl " + std::to_string(v) + " kommt doppelt vor";
        n[i] = v;
    }
    std::int32_t megaBall = 0;
    if (!tryParseInt(trimWhitespace(mb), megaBall))
        return "MegaBall \"" + mb + "\" ist keine Zahl";
    if (!format->allowsMegaBall(megaBall))
        return "MegaBall " + std::to_string(megaBall) + " liegt nicht in 1–" + std::to_string(format->megaBallMax) + inFormat;
    std::int32_t megaplier = 0;
    if (!trimWhitespace(mp).empty()) {
        if (!tryParseInt(trimWhitespace(mp), megaplier))
            return "Megaplier \"" + mp + "\" ist keine Zahl";
        if (!format->allowsMegaplier(megaplier))
            return format->hasMegaplier
                       ? "Megaplier " + std::to_string(megaplier) + " ist nicht erlaubt (0 oder 2–5)"
                       : "Megaplier " + std::to_string(megaplier) + " gibt es nicht" + inFormat;
    }
    rec = DrawingRecord::make(date, n, megaBall, megaplier);
    return std::string();
}

} // namespace

std::string ImportResult::report() const {
    if (!ok)
        return "Import abgebrochen, die Datenbank bleibt unverändert: " + error;
    std::string s = std::to_string(added) + " Ziehungen importiert, " + std::to_string(replaced) + " ersetzt, " +
                    std::to_string(skipped) + " Zeilen übersprungen";
    constexpr std::size_t kShown = 20;
    if (!skippedLines.empty()) {
        s += " (Zeilen ";
        const std::size_t shown = std::min(skippedLines.size(), kShown);
        for (std::size_t i = 0; i < shown; ++i)
            s += (i ? ", " : "") + std::to_string(skippedLines[i]);
        if (shown < skippedLines.size())
            s += ", …";
        s += ")";
    }
    const std::size_t reasons = std::min({skipReasons.size(), skippedLines.size(), kShown});
    for (std::size_t i = 0; i < reasons; ++i)
        s += "\nZeile " + std::to_string(skippedLines[i]) + ": " + skipReasons[i];
    if (droppedTrailingBytes > 0)
        s += "\nDie letzten " + std::to_string(droppedTrailingBytes) +
             " Bytes der alten Datenbank waren keine ganze Ziehung und wurden nicht übernommen";
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
                res.error = "Zeile " + std::to_string(lineNo) +
                            ": unbekanntes Format (erwartet wird der Export \"Draw Date\",\"Winning Numbers\",... "
                            "oder date,n1,n2,n3,n4,n5,megaball,megaplier)";
                return res;
            }
        }
        DrawingRecord rec;
        std::string reason;
        DayNumber date = 0;
        if (format == Format::StateExport) {
            if (f.size() < 3 || f.size() > 4) {
                reason = "falsche Anzahl Felder (" + std::to_string(f.size()) + ")";
            } else if (!parseUsDate(f[0], date)) {
                reason = "\"" + f[0] + "\" ist kein gültiges Datum (MM/TT/JJJJ)";
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
                reason = "falsche Anzahl Felder (" + std::to_string(f.size()) + " statt 7 oder 8)";
            } else if (!parseIsoDate(f[0], date)) {
                reason = "\"" + f[0] + "\" ist kein gültiges Datum (JJJJ-MM-TT)";
            } else {
                std::vector<std::string> mains(f.begin() + 1, f.begin() + 6);
                reason = makeRecord(date, latest, mains, f[6], f.size() == 8 ? f[7] : std::string(), rec);
            }
        }
        if (reason.empty() && byDate.count(date))
            reason = "das Datum " + germanDate(date) + " steht schon in Zeile " + std::to_string(lineOfDate[date]);
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
        res.error = "die Datei enthält keine Ziehungen";
        return res;
    }
    if (byDate.empty()) {
        res.error = "keine Zeile enthält eine gültige Ziehung";
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
