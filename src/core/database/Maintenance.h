#pragma once
#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "services/Platform.h"
#include "database/DrawingDatabase.h"

namespace rz {

// Ranges of the fields of the drawing entry dialog.
struct EntryRange {
    int lo, hi;
};
inline constexpr EntryRange kEntryMainRange{1, 70};
inline constexpr EntryRange kEntryMegaBallRange{1, 25};
inline constexpr EntryRange kEntryMegaplierRange{0, 5};

// Why an entry cannot be stored, or nullopt when it can: every main number
// and the MegaBall in the range of the game format on the entry's date (the
// dialog's ranges for a date outside every format), no main number twice, the
// Megaplier in its range. Dates in messages are shown in `language`.
std::optional<std::string> entryError(const DrawingEntry& entry, int language = 0);
// The same, and a date after `today` is refused too: the download asks only
// for drawings after the last stored one, so a drawing dated in the future
// would stop every later update. Dates are shown in `language`.
std::optional<std::string> entryError(const DrawingEntry& entry, DayNumber today, int language);

// What the entry dialog opens with: the drawing of `wanted`, else the last
// one; for an empty file an empty record dated 17 May 2000. A missing file is
// an IoError.
struct EntryStart {
    DrawingRecord buffer;
    std::optional<DayNumber> lastStored; // date of the file's last record
};
EntryStart findEntryStart(const DrawingDatabase& db, DayNumber wanted);

// The record to store: the buffer with the entry's date and numbers (bytes
// 16..31 kept), the five main numbers in ascending order.
DrawingRecord enteredRecord(const DrawingRecord& buffer, const DrawingEntry& entry);

// Appends a record dated after the last stored drawing (or into an empty
// file), else inserts it in date order, replacing a drawing of its date;
// decided from the file as it is when the record is stored.
DrawingDatabase::Added storeEnteredRecord(const DrawingDatabase& db, const DrawingRecord& rec);

// ---- taking an entry or a delete back
//
// A step of the window's undo history remembers how the file looked after it
// (a fingerprint of its whole records) and changes the file back only when it
// still looks so; otherwise another change came in between and
// DrawingFileChanged is thrown. Every change runs under the database lock and
// replaces the file atomically (DrawingDatabase::update), as an entry does.

// The file's whole records as one number (FNV-1a over their 32 bytes each).
std::uint64_t recordsFingerprint(const std::vector<DrawingRecord>& records);
// The same for the file as it is now. Throws IoError.
std::uint64_t fileFingerprint(const DrawingDatabase& db);

class DrawingFileChanged : public std::runtime_error {
public:
    DrawingFileChanged() : std::runtime_error("drawing file changed") {}
};

// What a change of one date did: the records of the date before it, and the
// file's fingerprint after it.
struct DateChange {
    std::vector<DrawingRecord> before;
    std::uint64_t after = 0;
};

// Removes every record of `date` (the delete command); the removed records
// come back in `before`.
DateChange removeDrawingsOfDate(const DrawingDatabase& db, DayNumber date);
// Puts `records` (all of `date`; none: the date is removed) where the
// records of `date` stand, in date order, when the file's fingerprint is
// still `expected`; else throws DrawingFileChanged and changes nothing.
DateChange replaceDrawingsOfDate(const DrawingDatabase& db, DayNumber date, const std::vector<DrawingRecord>& records,
                                 std::uint64_t expected);

// The bundled history beside the program, relative to the program folder.
inline constexpr const char* kBundledHistoryFile = "history/megamillions.csv";

} // namespace rz
