#include "database/Importer.h"

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "common/Text.h"
#include "database/DrawingDatabase.h"

namespace rz {
namespace {

std::string trim(const std::string& s) {
    std::size_t a = 0, b = s.size();
    while (a < b && (s[a] == ' ' || s[a] == '\t' || s[a] == '\r' || s[a] == '\n'))
        ++a;
    while (b > a && (s[b - 1] == ' ' || s[b - 1] == '\t' || s[b - 1] == '\r' || s[b - 1] == '\n'))
        --b;
    return s.substr(a, b - a);
}

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
            out.push_back(trim(cur));
            cur.clear();
        } else {
            cur += c;
        }
    }
    out.push_back(trim(cur));
    return out;
}

std::string lower(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return s;
}

bool parseNumber(const std::string& text, int lo, int hi, int& out) {
    std::int32_t v = 0;
    if (!tryParseInt(trim(text), v) || v < lo || v > hi)
        return false;
    out = v;
    return true;
}

bool parseUsDate(const std::string& text, DayNumber& out) {
    int m = 0, d = 0, y = 0;
    char tail = 0;
    if (std::sscanf(text.c_str(), "%d/%d/%d%c", &m, &d, &y, &tail) != 3)
        return false;
    if (m < 1 || m > 12 || d < 1 || d > 31 || y < 1900 || y > 9999)
        return false;
    const DayNumber n = dayFromYmd(y, m, d);
    const Ymd back = ymdFromDay(n);
    if (back.year != y || back.month != m || back.day != d)
        return false;
    out = n;
    return true;
}

// Main numbers of every game format so far lie in 1..75, MegaBalls in 1..52.
bool makeRecord(DayNumber date, const std::vector<std::string>& mains, const std::string& mb, const std::string& mp,
                DrawingRecord& rec) {
    if (mains.size() != 5)
        return false;
    std::array<int, 5> n{};
    std::set<int> seen;
    for (std::size_t i = 0; i < 5; ++i) {
        if (!parseNumber(mains[i], 1, 75, n[i]) || !seen.insert(n[i]).second)
            return false;
    }
    int megaBall = 0;
    if (!parseNumber(mb, 1, 52, megaBall))
        return false;
    int megaplier = 0;
    if (!trim(mp).empty() && !parseNumber(mp, 0, 255, megaplier))
        return false;
    rec = DrawingRecord::make(date, n, megaBall, megaplier);
    return true;
}

} // namespace

std::string ImportResult::report() const {
    if (!ok)
        return "Import abgebrochen, die Datenbank bleibt unverändert: " + error;
    std::string s = std::to_string(added) + " Ziehungen importiert, " + std::to_string(replaced) + " ersetzt, " +
                    std::to_string(skipped) + " Zeilen übersprungen";
    if (!skippedLines.empty()) {
        s += " (Zeilen ";
        const std::size_t shown = std::min<std::size_t>(skippedLines.size(), 20);
        for (std::size_t i = 0; i < shown; ++i)
            s += (i ? ", " : "") + std::to_string(skippedLines[i]);
        if (shown < skippedLines.size())
            s += ", …";
        s += ")";
    }
    return s;
}

ImportResult parseDrawingHistory(const std::string& content, std::vector<DrawingRecord>& out) {
    ImportResult res;
    std::istringstream in(content);
    std::string line;
    int lineNo = 0;
    enum class Format { Unknown, StateExport, Plain } format = Format::Unknown;
    std::map<DayNumber, DrawingRecord> byDate;

    while (std::getline(in, line)) {
        ++lineNo;
        if (lineNo == 1 && line.size() >= 3 && static_cast<unsigned char>(line[0]) == 0xEF &&
            static_cast<unsigned char>(line[1]) == 0xBB && static_cast<unsigned char>(line[2]) == 0xBF)
            line = line.substr(3); // byte order mark
        if (trim(line).empty())
            continue;
        const std::vector<std::string> f = splitCsv(line);
        if (format == Format::Unknown) {
            const std::string first = lower(f[0]);
            if (first == "draw date" && f.size() >= 3 && lower(f[1]) == "winning numbers") {
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
        bool good = false;
        DayNumber date = 0;
        if (format == Format::StateExport) {
            if (f.size() >= 3 && parseUsDate(f[0], date)) {
                std::vector<std::string> mains;
                std::istringstream nums(f[1]);
                std::string tok;
                while (nums >> tok)
                    mains.push_back(tok);
                good = makeRecord(date, mains, f[2], f.size() >= 4 ? f[3] : std::string(), rec);
            }
        } else {
            if ((f.size() == 7 || f.size() == 8) && parseIsoDate(f[0], date)) {
                std::vector<std::string> mains(f.begin() + 1, f.begin() + 6);
                good = makeRecord(date, mains, f[6], f.size() == 8 ? f[7] : std::string(), rec);
            }
        }
        if (good && byDate.count(date))
            good = false; // the same date twice in one file
        if (!good) {
            res.skipped += 1;
            res.skippedLines.push_back(lineNo);
            continue;
        }
        byDate[date] = rec;
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
    std::ifstream in(file, std::ios::binary);
    if (!in)
        throw IoError("Cannot open \"" + file + "\": " + systemErrorText(errno));
    std::ostringstream ss;
    ss << in.rdbuf();
    std::vector<DrawingRecord> incoming;
    ImportResult res = parseDrawingHistory(ss.str(), incoming);
    if (!res.ok)
        return res;

    DrawingDatabase db(databasePath);
    std::vector<DrawingRecord> stored;
    if (db.exists())
        stored = db.readAll();
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
    std::vector<DrawingRecord> all;
    all.reserve(merged.size());
    for (const auto& [d, r] : merged)
        all.push_back(r);
    db.replaceAll(all);
    return res;
}

} // namespace rz
