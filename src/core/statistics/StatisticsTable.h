#pragma once
#include <string>
#include <vector>

#include "common/Colour.h"

namespace rz {

struct StatisticsEntry {
    int Key = 0;
    int Value = 0;
    Colour BarColour = Colour::BarGreen;

    bool operator==(const StatisticsEntry&) const = default;
};

// Which statistics a table holds.
enum class StatisticsKind {
    None,
    Frequency,
    Overdue,
    MegaBallFrequency,
    MegaBallOverdue,
    Pairs,
    Triples,
    Quads,
    Sums,
    TipDistribution,
};

// The table a statistics routine leaves behind: the chart shows it and the
// generator reads it back.
struct StatisticsTable {
    std::vector<StatisticsEntry> Entries; // ascending keys
    int RangeMin = 0;
    int RangeMax = 0;
    bool fixedAxis = true; // value axis fixed to [RangeMin, RangeMax]; else automatic from 0
    std::string Title;
    StatisticsKind Kind = StatisticsKind::None; // the routine that made the table

    bool operator==(const StatisticsTable&) const = default;

    // Value of the entry with the given key (0 when there is none).
    int Value(int key) const {
        for (const auto& e : Entries)
            if (e.Key == key)
                return e.Value;
        return 0;
    }
};

// The value axis a chart of the table is drawn on: ticks every `step` from
// `lo` to `hi`. Every bar has a height in proportion: a fixed axis starts
// below the smallest value (a round step below it, never under 0), so that
// the least frequent key still shows a bar; an automatic axis starts at 0
// and ends at a whole step above the largest value.
struct ChartValueAxis {
    int lo = 0;
    int hi = 1;
    int step = 1;
};
ChartValueAxis chartValueAxis(const StatisticsTable& t);

} // namespace rz
