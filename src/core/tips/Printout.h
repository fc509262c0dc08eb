#pragma once
#include <string>

#include "common/Dates.h"

namespace rz {

class TipSet;

// The tip list for printing ("Tipp.txt"): a header with the date of the next
// drawing, then one line per filled row, CR LF after every line.
struct Printout {
    bool ok = false;
    std::string text;  // the whole list when ok
    std::string error; // why not, naming the incomplete row
};

// headerWord is message line 28; language picks the date format.
Printout buildPrintout(const TipSet& tips, DayNumber headerDate, int language, const std::string& headerWord);

// The date of the drawing after `d`: Tuesday + 3 days, any other day + 4.
DayNumber nextDrawingAfter(DayNumber d);

} // namespace rz
