#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "app/StatisticsCounter.h"
#include "common/Dates.h"
#include "common/Random.h"
#include "database/DrawingNavigator.h"
#include "evaluation/TipCheck.h"
#include "generator/GenerationHost.h"
#include "generator/Generator.h"
#include "generator/NumberList.h"
#include "services/MessageTable.h"
#include "services/Operation.h"
#include "services/Platform.h"
#include "settings/GeneratorSettings.h"
#include "tips/TipSet.h"

namespace rz {

// What a window follows while a generation run works. Every call does
// nothing unless overridden (the command line follows nothing).
class GenerationObserver {
public:
    virtual ~GenerationObserver() = default;
    // A status line: the step of the pool, the attempt on display, the end.
    virtual void status(const std::string& text) { (void)text; }
    // Rows were written or cleared, or the number-list question comes.
    virtual void repaint() {}
    // The run fills the tip rows; they should come to the front.
    virtual void showTips() {}
    // The normal cursor before the number-list question, the busy one after it.
    virtual void busy(bool on) { (void)on; }
    // The run counted a statistics table for its pool or its MegaBall.
    virtual void counted(StatisticsKind kind, const StatisticsCount& count) {
        (void)kind;
        (void)count;
    }
    // The run looked up the drawing current for `endDate` (its last drawings
    // come from there).
    virtual void endDateLookedUp(DayNumber endDate) { (void)endDate; }
};

// The dates and the drawing a run starts from.
struct GenerationStart {
    DayNumber statisticsStart = 0.0; // the first drawing of the statistics window
    DatePicker endDate;              // the end of the statistics window
    CurrentDrawing drawing;          // the drawing on display
};

struct GenerationResult {
    // The user cancelled the number selection list: no row was made and
    // nothing below counts.
    bool cancelled = false;
    std::int64_t attempts = 0;
    bool poolUsable = false;         // at least five different numbers in the pool
    Msg endMessage = Msg::ChangeParameters; // TipsRecalculated, or ChangeParameters when the budget ran out
    // The drawing the rows were checked against (the lookup for the end date,
    // with the numbers of the last drawing the tables of runs counted), and
    // the end date as that lookup left it.
    CurrentDrawing drawing;
    DatePicker endDate;
    TipCheckResult check;            // the full check of the rows
    HitCount lastChecked;            // the hits of the last row checked
};

// One generation run: computes the unlocked tip rows from the statistics of
// the window and the settings, then checks every row against the drawing for
// the end date. The run eases some settings near the end of its budget and
// gives them back when it ends. It works on the settings, tips, number list
// and random generator it is given; the records do not change during it.
class Generation : private GenerationHost {
public:
    Generation(const MessageTable& messages, GeneratorSettings& settings, TipSet& tips, Rng& rng,
               const RecordSnapshot& records, const GenerationStart& start, NumberList& numberList,
               IDialogs& dialogs, IEvents& events, const CurrentOperation& operation, GenerationObserver& observer);
    Generation(const Generation&) = delete;
    Generation& operator=(const Generation&) = delete;

    // Once per object. Throws what the statistics throw.
    GenerationResult run();

    // The run's rules and working state, for a look at single steps.
    Generator& generator() { return generator_; }

    // The lookup of the window for the end date: the drawing current for
    // it; the end date then moves to that drawing's date (to the earliest
    // date the picker takes when it refuses it; the drawing's date follows).
    static std::optional<CaptionVariant> lookUpEndDate(const RecordSnapshot& records, DatePicker& endDate,
                                                       CurrentDrawing& drawing);

private:
    // GenerationHost
    const StatisticsTable& statisticsTable(StatisticsKind kind) override;
    void setStatus(const std::string& text) override { observer_.status(text); }
    const std::string& text(Msg id) const override { return messages_.line(id); }
    void changed() override { observer_.repaint(); }
    void showTipOverview() override { observer_.showTips(); }
    NumberList& numberList() override { return numberList_; }
    ModalResult askNumberList() override { return dialogs_.showNumberList(); }
    void setBusy(bool on) override { observer_.busy(on); }
    DayNumber statisticsStartDate() const override { return statisticsStart_; }
    DayNumber databaseEndDate() const override { return endDate_.date; }
    const RecordSnapshot& drawingRecords() override { return records_; }
    const CurrentDrawing& currentDrawing() const override { return drawing_; }
    void showEndDateDrawing(DayNumber endDate) override;
    IEvents& events() override { return events_; }
    const CurrentOperation& operation() const override { return operation_; }

    const MessageTable& messages_;
    GeneratorSettings& settings_;
    TipSet& tips_;
    const RecordSnapshot& records_;
    NumberList& numberList_;
    IDialogs& dialogs_;
    IEvents& events_;
    const CurrentOperation& operation_;
    GenerationObserver& observer_;
    DayNumber statisticsStart_;
    DatePicker endDate_;
    CurrentDrawing drawing_;
    StatisticsTable table_;          // the table counted last
    std::int64_t attempts_ = 0;
    int attemptBudget_ = 0;
    Generator generator_;
};

} // namespace rz
