// The statistics tables of the chart, counted over a statistics window.
#include "app/StatisticsCounter.h"

#include <stdexcept>
#include <vector>

#include "database/DrawingDatabase.h"

namespace rz {

StatisticsTable StatisticsCount::chart(std::string shownTitle) const {
    StatisticsTable shown = table;
    shown.Title = title ? *title : std::move(shownTitle);
    return shown;
}

bool StatisticsCounter::countsDrawings(StatisticsKind kind) {
    switch (kind) {
    case StatisticsKind::Frequency:
    case StatisticsKind::Overdue:
    case StatisticsKind::MegaBallFrequency:
    case StatisticsKind::MegaBallOverdue:
    case StatisticsKind::Pairs:
    case StatisticsKind::Triples:
    case StatisticsKind::Quads:
    case StatisticsKind::Sums:
        return true;
    default:
        return false;
    }
}

StatisticsCount StatisticsCounter::count(StatisticsKind kind, const RecordSnapshot& records,
                                         StatisticsWindow window) const {
    return count(kind, RecordSpan{records.bytes.data(), records.count}, window);
}

StatisticsCount StatisticsCounter::count(StatisticsKind kind, const std::string& databasePath,
                                         StatisticsWindow window) const {
    // The record bytes of the last count on this thread, kept so that a
    // count allocates nothing.
    thread_local std::vector<std::uint8_t> buffer;
    RecordBlockReader reader(databasePath);
    const std::size_t n = reader.readAll(buffer);
    return count(kind, RecordSpan{buffer.data(), n}, window);
}

StatisticsCount StatisticsCounter::count(StatisticsKind kind, const RecordSpan& records,
                                         StatisticsWindow window) const {
    StatisticsOutcome out;
    switch (kind) {
    case StatisticsKind::Frequency: out = numberFrequency(records, window, messages_); break;
    case StatisticsKind::Overdue: out = numberOverdue(records, window, messages_); break;
    case StatisticsKind::MegaBallFrequency: out = megaBallFrequency(records, window, messages_); break;
    case StatisticsKind::MegaBallOverdue: out = megaBallOverdue(records, window, messages_); break;
    case StatisticsKind::Pairs: out = consecutiveRuns(records, window, 2, messages_); break;
    case StatisticsKind::Triples: out = consecutiveRuns(records, window, 3, messages_); break;
    case StatisticsKind::Quads: out = consecutiveRuns(records, window, 4, messages_); break;
    case StatisticsKind::Sums: out = drawingSums(records, window, messages_); break;
    default: throw std::logic_error("no statistics of the drawings");
    }
    StatisticsCount c;
    c.table = std::move(out.table);
    c.title = std::move(out.title);
    c.lastDrawing = out.lastCounted;
    c.window = window;
    c.keepsEndDate = kind != StatisticsKind::Pairs;
    return c;
}

} // namespace rz
