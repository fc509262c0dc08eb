#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "database/DrawingNavigator.h"
#include "services/MessageTable.h"
#include "statistics/Statistics.h"
#include "statistics/StatisticsTable.h"

namespace rz {

// One statistics table counted over the drawings of a statistics window, and
// what else the count yields for the window around it.
struct StatisticsCount {
    StatisticsTable table;            // its Title empty unless `title` holds one
    // The table's title; none when the count has none to give (frequency and
    // sums without a drawing): the chart keeps the title it shows.
    std::optional<std::string> title;
    // The numbers 1..8 of the last drawing a table of runs counted; the
    // drawing on display takes them over.
    std::optional<std::array<std::int32_t, 9>> lastDrawing;
    StatisticsWindow window;          // the window counted
    // Whether the window keeps the end date as the end of its last count
    // (every table but the pairs, which keep it to themselves).
    bool keepsEndDate = true;

    // The table as the chart shows it after this count, when it showed a
    // table titled `shownTitle` before.
    StatisticsTable chart(std::string shownTitle) const;
};

// Counts the statistics tables the chart offers from the drawing file (every
// kind but the tip distribution) in the language of `messages`.
class StatisticsCounter {
public:
    explicit StatisticsCounter(const MessageTable& messages) : messages_(messages) {}

    // Whether `kind` is counted from the drawings (the tip distribution and
    // None are not).
    static bool countsDrawings(StatisticsKind kind);

    // Over records read before. `kind` must count drawings.
    StatisticsCount count(StatisticsKind kind, const RecordSnapshot& records, StatisticsWindow window) const;
    // Over the drawing file as it stands now. Throws IoError when it cannot be read.
    StatisticsCount count(StatisticsKind kind, const std::string& databasePath, StatisticsWindow window) const;

private:
    StatisticsCount count(StatisticsKind kind, const RecordSpan& records, StatisticsWindow window) const;

    const MessageTable& messages_;
};

} // namespace rz
