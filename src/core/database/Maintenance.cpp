// Keeping the drawing file right by hand: the checks and the record of a
// drawing entered in the entry dialog.
#include "database/Maintenance.h"

#include "common/Dates.h"
#include "common/ProgramTexts.h"
#include "database/GameFormat.h"

#include <cmath>
#include <set>
#include <utility>

namespace rz {

std::optional<std::string> entryError(const DrawingEntry& e, int language) {
    // The ranges of the game on the drawing's date (the MegaBall is 1..24
    // since 8 April 2025, 1..25 before, ...); the dialog's ranges for a date
    // outside every format.
    const GameFormat* format = gameFormatOn(e.date);
    const std::string formatText = format ? format->describe() : std::string();
    const std::string dateText = format ? formatShortDate(e.date, language) : std::string();
    std::set<int> seen;
    for (int i = 1; i <= 5; ++i) {
        const int n = e.numbers[static_cast<std::size_t>(i)];
        if (format && !format->allowsMain(n))
            return txt(Txt::ImportMainOutOfRange, {std::to_string(n), std::to_string(format->mainMax), formatText, dateText});
        if (!format && (n < kEntryMainRange.lo || n > kEntryMainRange.hi))
            return txt(Txt::EntryMainRange, {std::to_string(kEntryMainRange.lo), std::to_string(kEntryMainRange.hi)});
        if (!seen.insert(n).second)
            return txt(Txt::EntryDuplicate, {std::to_string(n)});
    }
    const int megaBall = e.numbers[7];
    if (format && !format->allowsMegaBall(megaBall))
        return txt(Txt::ImportMegaBallOutOfRange,
                   {std::to_string(megaBall), std::to_string(format->megaBallMax), formatText, dateText});
    if (!format && (megaBall < kEntryMegaBallRange.lo || megaBall > kEntryMegaBallRange.hi))
        return txt(Txt::EntryMegaBallRange,
                   {std::to_string(kEntryMegaBallRange.lo), std::to_string(kEntryMegaBallRange.hi)});
    if (e.numbers[8] < kEntryMegaplierRange.lo || e.numbers[8] > kEntryMegaplierRange.hi)
        return txt(Txt::EntryMegaplierRange,
                   {std::to_string(kEntryMegaplierRange.lo), std::to_string(kEntryMegaplierRange.hi)});
    if (e.numbers[6] < 0 || e.numbers[6] > 255)
        return txt(Txt::EntrySixthField);
    return std::nullopt;
}

std::optional<std::string> entryError(const DrawingEntry& e, DayNumber today, int language) {
    if (std::floor(e.date) > std::floor(today))
        return txt(Txt::EntryFutureDate, {formatShortDate(e.date, language), formatShortDate(today, language)});
    return entryError(e, language);
}

EntryStart findEntryStart(const DrawingDatabase& db, DayNumber wanted) {
    EntryStart start;
    start.buffer.Date = kEarliestPickerDate;
    RecordReader reader(db.path());
    bool found = false;
    while (!reader.eof()) {
        const DrawingRecord r = reader.next();
        start.lastStored = r.Date;
        if (!found) {
            start.buffer = r;
            found = r.Date == wanted;
        }
    }
    return start;
}

DrawingRecord enteredRecord(const DrawingRecord& buffer, const DrawingEntry& entry) {
    DrawingRecord rec = buffer;
    rec.Date = std::floor(entry.date);
    for (int i = 1; i <= 8; ++i)
        rec.Numbers[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(entry.numbers[static_cast<std::size_t>(i)]);
    for (std::size_t i = 1; i <= 5; ++i)
        for (std::size_t k = i; k <= 5; ++k)
            if (rec.Numbers[k] < rec.Numbers[i])
                std::swap(rec.Numbers[i], rec.Numbers[k]);
    return rec;
}

DrawingDatabase::Added storeEnteredRecord(const DrawingDatabase& db, const DrawingRecord& rec) {
    return db.add(rec, DrawingDatabase::SameDate::Replace);
}

} // namespace rz

namespace rz {

std::uint64_t recordsFingerprint(const std::vector<DrawingRecord>& records) {
    std::uint64_t h = 14695981039346656037ull;
    std::uint8_t bytes[DrawingRecord::kSize];
    for (const DrawingRecord& r : records) {
        r.toBytes(bytes);
        for (std::uint8_t b : bytes) {
            h ^= b;
            h *= 1099511628211ull;
        }
    }
    return h;
}

std::uint64_t fileFingerprint(const DrawingDatabase& db) { return recordsFingerprint(db.readAll()); }

namespace {

std::vector<DrawingRecord> recordsOf(const std::vector<DrawingRecord>& stored, DayNumber date) {
    std::vector<DrawingRecord> out;
    for (const DrawingRecord& r : stored)
        if (r.Date == date)
            out.push_back(r);
    return out;
}

// `stored` without the records of `date`, with `records` at the date's place.
void putDate(std::vector<DrawingRecord>& stored, DayNumber date, const std::vector<DrawingRecord>& records) {
    std::vector<DrawingRecord> out;
    out.reserve(stored.size() + records.size());
    bool written = false;
    for (const DrawingRecord& r : stored) {
        if (!written && r.Date >= date) {
            out.insert(out.end(), records.begin(), records.end());
            written = true;
        }
        if (r.Date != date)
            out.push_back(r);
    }
    if (!written)
        out.insert(out.end(), records.begin(), records.end());
    stored.swap(out);
}

} // namespace

DateChange removeDrawingsOfDate(const DrawingDatabase& db, DayNumber date) {
    DateChange change;
    db.update([&](std::vector<DrawingRecord>& stored) {
        change.before = recordsOf(stored, date);
        putDate(stored, date, {});
        change.after = recordsFingerprint(stored);
    });
    return change;
}

DateChange replaceDrawingsOfDate(const DrawingDatabase& db, DayNumber date, const std::vector<DrawingRecord>& records,
                                 std::uint64_t expected) {
    DateChange change;
    db.update([&](std::vector<DrawingRecord>& stored) {
        if (recordsFingerprint(stored) != expected)
            throw DrawingFileChanged();
        change.before = recordsOf(stored, date);
        putDate(stored, date, records);
        change.after = recordsFingerprint(stored);
    });
    return change;
}

} // namespace rz
