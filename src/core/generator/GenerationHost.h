#pragma once
#include <string>

#include "common/Dates.h"
#include "database/DrawingNavigator.h"
#include "services/MessageTable.h"
#include "services/Operation.h"
#include "services/Platform.h"
#include "statistics/StatisticsTable.h"

namespace rz {

class NumberList;

// What a generation run needs from the program around it: the statistics
// tables, the status text, the number-list question, the drawing records
// and the drawing on display, the dates of the statistics window and the
// events/stop of the operation it runs under. The run service implements it (app/Generation.h);
// settings, tips and the random generator are handed to the run directly.
class GenerationHost {
public:
    virtual ~GenerationHost() = default;

    // Computes the table of `kind` (Frequency, Overdue, MegaBallFrequency,
    // MegaBallOverdue, Pairs, Triples or Quads) as its command on the chart
    // tab computes it, and returns it; the chart shows it afterwards.
    virtual const StatisticsTable& statisticsTable(StatisticsKind kind) = 0;
    virtual void setStatus(const std::string& text) = 0;
    // A message of the message table in the current language.
    virtual const std::string& text(Msg id) const = 0;
    // The repaint after a row or before the question.
    virtual void changed() = 0;
    // The tip overview comes to the front (the run fills its rows).
    virtual void showTipOverview() = 0;

    // The number selection list, filled by the run before the question.
    virtual NumberList& numberList() = 0;
    // Shows the list modally; the run sets the normal cursor before.
    virtual ModalResult askNumberList() = 0;
    virtual void setBusy(bool busy) = 0;

    // The date window of the statistics.
    virtual DayNumber statisticsStartDate() const = 0;
    virtual DayNumber databaseEndDate() const = 0;

    // The records of the drawing file, read once for the run (or for the
    // analysis around it): the last drawings and the history rules come
    // from them, and the statistics tables count them.
    virtual const RecordSnapshot& drawingRecords() = 0;
    // The drawing on display before the run (kept where no record is taken).
    virtual const CurrentDrawing& currentDrawing() const = 0;
    // The window as the lookup for `endDate` over drawingRecords() leaves it.
    virtual void showEndDateDrawing(DayNumber endDate) = 0;

    virtual IEvents& events() = 0;
    virtual const CurrentOperation& operation() const = 0;
};

} // namespace rz
