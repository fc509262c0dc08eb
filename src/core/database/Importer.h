#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "common/Dates.h"
#include "database/DrawingRecord.h"

namespace rz {

struct ImportResult {
    bool ok = false;             // false: the file was not usable and nothing changed
    std::string error;           // why, when !ok
    int added = 0;               // new dates
    int replaced = 0;            // dates that were stored already
    int skipped = 0;             // rejected data lines
    std::vector<int> skippedLines; // their 1-based line numbers
    std::vector<std::string> skipReasons; // why each was rejected (parallel to skippedLines)
    std::int64_t droppedTrailingBytes = 0; // a partial record at the database's end, not carried over
    std::string report() const;  // the text shown to the user
};

// Parses drawing history in one of two forms:
//  - the State open-data export: header "Draw Date","Winning Numbers","Mega Ball","Multiplier",
//    dates MM/DD/YYYY, numbers separated by blanks, any row order;
//  - plain CSV: date,n1,n2,n3,n4,n5,megaball,megaplier with ISO dates (header optional).
// `content` is UTF-8 text (see decodeText). A line is a drawing when its date
// is a real calendar date from 17 May 2000 to `latest` (today) and its numbers
// fit the game format of that date (database/GameFormat.h): five different
// main numbers, the MegaBall, and a Megaplier of 0 (none) or 2..5 where the
// format has one. Good lines become records; bad lines are listed with the
// reason. Returns ok = false when the header is not recognised or no line
// holds a drawing.
ImportResult parseDrawingHistory(const std::string& content, std::vector<DrawingRecord>& out, DayNumber latest);
ImportResult parseDrawingHistory(const std::string& content, std::vector<DrawingRecord>& out);

// Reads the file (a regular file of at most 64 MB, decoded by its byte order
// mark), parses it and merges it into the database in one atomic rewrite
// under the database lock (a stored date is replaced). A file that is not
// usable changes nothing. Throws IoError when the file cannot be read, the
// database is in use, is not a drawing database or cannot be written; the
// database is then unchanged.
ImportResult importDrawingHistory(const std::string& file, const std::string& databasePath, DayNumber latest);
ImportResult importDrawingHistory(const std::string& file, const std::string& databasePath);

} // namespace rz
