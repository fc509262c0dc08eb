#pragma once
#include <string>
#include <vector>

#include "database/DrawingRecord.h"

namespace rz {

struct ImportResult {
    bool ok = false;             // false: the file was not usable and nothing changed
    std::string error;           // why, when !ok
    int added = 0;               // new dates
    int replaced = 0;            // dates that were stored already
    int skipped = 0;             // rejected data lines
    std::vector<int> skippedLines; // their 1-based line numbers
    std::string report() const;  // the text shown to the user
};

// Parses drawing history in one of two forms:
//  - the State open-data export: header "Draw Date","Winning Numbers","Mega Ball","Multiplier",
//    dates MM/DD/YYYY, numbers separated by blanks, any row order;
//  - plain CSV: date,n1,n2,n3,n4,n5,megaball,megaplier with ISO dates (header optional).
// Good lines become records; bad lines are listed. Returns ok = false when the
// header is not recognised or no line holds a drawing.
ImportResult parseDrawingHistory(const std::string& content, std::vector<DrawingRecord>& out);

// Parses the file and merges it into the database in one atomic rewrite
// (a stored date is replaced). A file that is not usable changes nothing.
ImportResult importDrawingHistory(const std::string& file, const std::string& databasePath);

} // namespace rz
