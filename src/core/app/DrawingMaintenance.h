#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "common/Dates.h"
#include "database/DrawingDatabase.h"
#include "database/Maintenance.h"
#include "settings/AppPaths.h"

namespace rz {

// Entering, correcting and deleting single drawings of the drawing file, and
// the drawing file made from the history shipped with the program.
class DrawingMaintenance {
public:
    DrawingMaintenance(std::string databasePath, DayNumber today, int language)
        : db_(std::move(databasePath)), today_(today), language_(language) {}

    // What the entry opens with: the drawing of `wanted`, else the last one
    // (an empty record for an empty file). A missing file is an IoError.
    EntryStart entryStart(DayNumber wanted) const { return findEntryStart(db_, wanted); }

    struct Entered {
        DrawingRecord record;                   // as stored: main numbers in ascending order
        DrawingDatabase::Added how = DrawingDatabase::Added::Appended;
        std::vector<DrawingRecord> before;      // the records of its date before
        std::uint64_t fingerprint = 0;          // the file's fingerprint after it
    };
    // Stores the entry over the record it opened with (bytes 16..31 kept):
    // appended, inserted in date order, or replacing the drawing of its
    // date. Throws Failure (Refused) saying why it cannot be stored (a number
    // out of the date's range, a number twice, a date after today), IoError.
    Entered enter(const DrawingRecord& openedWith, const DrawingEntry& entry) const;

    // Removes every drawing of `date`; the removed ones come back.
    DateChange remove(DayNumber date) const { return removeDrawingsOfDate(db_, date); }

    // With no drawing file yet: the file made from the shipped history (when
    // it is there). `notice` is the status line that says how it went (empty
    // when nothing was tried).
    struct BundledHistory {
        bool loaded = false;
        std::string notice;
    };
    static BundledHistory loadBundledHistory(const AppPaths& paths, const std::string& databasePath, DayNumber today,
                                             int language);

private:
    DrawingDatabase db_;
    DayNumber today_;
    int language_;
};

} // namespace rz
