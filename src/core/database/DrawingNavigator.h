#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "common/Dates.h"

namespace rz {

// The drawing in focus: date, numbers (1..5 main, 6 always 0, 7 MegaBall,
// 8 Megaplier) and its 0-based index in the database file.
struct CurrentDrawing {
    DayNumber Datum1 = 0.0;
    std::array<std::int32_t, 9> Zahl{}; // index 1..8
    std::int32_t Position = 0;

    bool operator==(const CurrentDrawing&) const = default;
};

// The three forms of the drawing caption: the lookup found the first record,
// a later record, or stopped at the end of the file (and previous/next).
enum class CaptionVariant { FirstRecord, LaterRecord, EndOfFile };

// "DDD dd.mm.yy" followed by the numbers, MegaBall and Megaplier, spaced as
// the variant wants.
std::string drawingCaption(const CurrentDrawing& cur, CaptionVariant v, int language);
// Sum of the six number slots (slot 6 is always 0 for a stored drawing).
std::int64_t drawingSum(const CurrentDrawing& cur);

// The whole records of a database file, read once: while the file cannot
// change (a generation run, a settings analysis) the lookups, the steps, the
// statistics and the run's history rules read these instead of the file.
struct RecordSnapshot {
    std::vector<std::uint8_t> bytes;
    std::size_t count = 0;
    std::int64_t trailingBytes = 0; // bytes after the last whole record
    // The record dates when every record holds a drawing and the dates never
    // go down (a sound file): a lookup then finds its drawing by bisection.
    // Empty otherwise; the lookup reads record by record then.
    std::vector<DayNumber> sortedDates;

    // Reads every whole record of `path`. Throws IoError.
    static RecordSnapshot read(const std::string& path);
    // The same over records already in memory (`count` records at `records`).
    static RecordSnapshot of(const std::uint8_t* records, std::size_t count);
};

// Finding and stepping through the drawings of a database file. Each call on
// a path opens, reads forward and closes the file; nothing is cached. The
// calls on a RecordSnapshot give the same results from memory.
class DrawingNavigator {
public:
    // The drawing current for `date`: the first record dated on or after it,
    // else the last record. Returns the caption variant to show, or nothing
    // when no record was taken (an empty file). A read failure calls
    // onReadError and the scan goes on with the next record. Throws IoError
    // when the file cannot be opened.
    // Here and in the steps, a record without a readable date (a damaged
    // file) is no drawing: it is passed over, never taken.
    static std::optional<CaptionVariant> lookup(const std::string& path, DayNumber date, CurrentDrawing& cur,
                                                const std::function<void()>& onReadError);
    // The same lookup over `count` raw 32-byte records read before (see
    // RecordSnapshot): no file is opened.
    static std::optional<CaptionVariant> lookup(const std::uint8_t* records, std::size_t count, DayNumber date,
                                                CurrentDrawing& cur);
    // The same over a snapshot, by bisection where its dates allow.
    static std::optional<CaptionVariant> lookup(const RecordSnapshot& records, DayNumber date, CurrentDrawing& cur);
    // One record back / forward from cur.Position, stopping at either end.
    // Returns false for an empty file (the drawing stays; previous() has
    // already moved the position back).
    static bool previous(const std::string& path, CurrentDrawing& cur);
    static bool previous(const RecordSnapshot& records, CurrentDrawing& cur);
    static bool next(const std::string& path, CurrentDrawing& cur);
    static bool next(const RecordSnapshot& records, CurrentDrawing& cur);
};

} // namespace rz
