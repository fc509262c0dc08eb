#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "common/Dates.h"
#include "database/DrawingNavigator.h"
#include "database/DrawingRecord.h"
#include "evaluation/Chance.h"
#include "evaluation/TipCheck.h"
#include "services/MessageTable.h"
#include "services/Platform.h"
#include "statistics/Statistics.h"
#include "tips/TipSet.h"

namespace rz {

// A drawing as the search shows it: its numbers and its two captions.
struct SearchedDrawing {
    CurrentDrawing drawing;
    std::string caption;    // "Tue 22.10.19    5  12  33  41  70  MB: 7     MP: 3"
    std::string sumCaption; // "Summe: 161"
};

// Where a row reached the hit count the user chose.
struct SearchStop {
    DayNumber date = 0.0;
    int row = 0;
    std::string caption; // the row's caption before the full check
};

// What a window follows while the search walks the drawings.
class TipSearchObserver {
public:
    virtual ~TipSearchObserver() = default;
    // At a stop the rows are checked in full against its drawing; `last` is
    // the count of the row that stopped. Returns the hits of the last row
    // checked. A window overrides it to add its counts and sounds.
    virtual HitCount checkRows(TipSet& tips, const SearchedDrawing& drawing, HitCount last) {
        checkAllRows(tips, drawing.drawing, last);
        return last;
    }
    // A stop, after the check and before the question whether to go on.
    virtual void stopped(const SearchStop& stop, const SearchedDrawing& drawing) {
        (void)stop;
        (void)drawing;
    }
};

struct TipSearchResult {
    bool visited = false;        // a drawing of the window was visited; `shown` is the last one
    SearchedDrawing shown;
    bool endedByUser = false;    // the user answered a stop's question with no
    HitCount lastChecked;        // the hits of the last row counted
    // The hits of the rows compared with chance: every filled row against
    // every drawing visited is one trial.
    std::vector<ChanceTable> chance;
};

// "Would these tips have won before?": walks the drawings of the statistics
// window, counts every row's hits against each and stops where a row reaches
// the hit count the user chose, asking whether to go on. The rows keep the
// captions and colours the walk leaves them.
class TipSearch {
public:
    TipSearch(int language, const MessageTable& messages, IDialogs& dialogs, TipSearchObserver& observer)
        : language_(language), messages_(messages), dialogs_(dialogs), observer_(observer) {}

    // `drawing` is the drawing on display before the search (the marks of the
    // rows follow it when no drawing is visited); `last` the hits counted last.
    // Row 1 counts a hit MegaBall as one more hit when `rowOneCountsMegaBall`.
    TipSearchResult run(TipSet& tips, const std::vector<DrawingRecord>& drawings, StatisticsWindow window,
                        std::int32_t threshold, bool rowOneCountsMegaBall, const CurrentDrawing& drawing,
                        const HitCount& last) const;

    // The captions of a drawing the search visits.
    SearchedDrawing show(const CurrentDrawing& drawing) const;

private:
    int language_;
    const MessageTable& messages_;
    IDialogs& dialogs_;
    TipSearchObserver& observer_;
};

} // namespace rz
