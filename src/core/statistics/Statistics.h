#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

#include "common/Dates.h"
#include "database/DrawingRecord.h"
#include "statistics/StatisticsTable.h"

namespace rz {

class MessageTable;
class TipSet;

// The drawings a statistics routine reads: whole 32-byte records in file order.
struct RecordSpan {
    const std::uint8_t* data = nullptr;
    std::size_t count = 0;
    const std::uint8_t* record(std::size_t i) const { return data + i * DrawingRecord::kSize; }
};

// The statistics window: the drawings dated from `start` to `end`. Most
// routines include the start day; the run and sum routines count only the
// drawings after it.
struct StatisticsWindow {
    DayNumber start = 0.0;
    DayNumber end = 0.0;
};

// What a routine leaves for the chart. The table's title is set only when
// `title` holds one: without a drawing the frequency and sum titles, which
// show an average, keep the previous text.
struct StatisticsOutcome {
    StatisticsTable table;
    std::optional<std::string> title;
    // The run routines leave the numbers of the last drawing they counted in
    // the current drawing's number slots 1..8 (none when they counted none).
    std::optional<std::array<std::int32_t, 9>> lastCounted;
};

// Pure functions over the records of a window; titles from the message table.
StatisticsOutcome numberFrequency(const RecordSpan& records, StatisticsWindow w, const MessageTable& messages);
StatisticsOutcome numberOverdue(const RecordSpan& records, StatisticsWindow w, const MessageTable& messages);
StatisticsOutcome megaBallFrequency(const RecordSpan& records, StatisticsWindow w, const MessageTable& messages);
StatisticsOutcome megaBallOverdue(const RecordSpan& records, StatisticsWindow w, const MessageTable& messages);
// Runs of `size` consecutive numbers (2 pairs, 3 triples, 4 quads), counted
// by their first number.
StatisticsOutcome consecutiveRuns(const RecordSpan& records, StatisticsWindow w, int size,
                                  const MessageTable& messages);
StatisticsOutcome drawingSums(const RecordSpan& records, StatisticsWindow w, const MessageTable& messages);
// How often each number 1..70 stands in the tip rows, up to the first field
// without a number.
StatisticsOutcome tipDistribution(const TipSet& tips, const MessageTable& messages);

} // namespace rz
