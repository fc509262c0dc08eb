// The generation run as a command of the window: start and stop, and the
// run's frame (button caption, cursor, the window following the run); the
// run itself is app/Generation.h.
#include "app/Generation.h"
#include "app/MainModel.h"

#include "common/ProgramTexts.h"

namespace rz {
namespace {

// The window follows the run: its status bar, its rows, the chart of each
// table the run counts and the lookup of the end date.
class WindowFollowsRun : public GenerationObserver {
public:
    WindowFollowsRun(MainModel& m, const RecordSnapshot& records) : m_(m), records_(records) {}

    void status(const std::string& text) override { m_.setStatus(text); }
    void repaint() override { m_.changed(); }
    void showTips() override { m_.showTab(Tab::TipOverview); }
    void busy(bool on) override { m_.setBusy(on); }
    void counted(StatisticsKind kind, const StatisticsCount& count) override {
        m_.showStatistics(count);
        // The chart comes to the front as its buttons bring it; the
        // MegaBall tables of the attempts leave the tab as it is.
        if (kind == StatisticsKind::Overdue || kind == StatisticsKind::Pairs || kind == StatisticsKind::Triples ||
            kind == StatisticsKind::Quads)
            m_.showTab(Tab::Chart);
        m_.changed();
    }
    void endDateLookedUp(DayNumber endDate) override {
        m_.DateTimePicker1.setDateOrEarliest(endDate);
        m_.lookupEndDate(&records_);
    }

private:
    MainModel& m_;
    const RecordSnapshot& records_;
};

} // namespace

RecordSnapshot MainModel::readDrawingRecords() {
    const DrawingDatabase db = database();
    if (!db.exists()) {
        // As the lookup tells it; the run goes on over the new empty file.
        dialogs().message(txt(Txt::ReadDrawingsFirst));
        db.createEmpty();
        changed();
    }
    return RecordSnapshot::read(db.path());
}

// The button command: starts a run, or asks the running one to stop.
void MainModel::Label28Click() {
    if (operation.running(OperationKind::Generation)) {
        // Stop: the loop ends at its next step; a second click while it
        // finishes its attempt starts nothing.
        if (!operation.stopRequested) {
            operation.requestStop();
            BitBtn4Caption = Tippsberechnen;
            changed();
        }
        return;
    }
    if (operation.running())
        return; // another long command owns the window
    const TipUndoScope undo(*this, [] { return txt(Txt::UndoStepRun); });
    OperationScope scope(operation, OperationKind::Generation);
    generationRun();
}

// The run itself; its stop request is that of the operation it runs under.
void MainModel::generationRun() {
    if (Tippsberechnen.empty())
        Tippsberechnen = BitBtn4Caption;
    BitBtn4Caption = msg(Msg::Stop);
    sortieren = false;
    LaufMax = Settings.get(Gs::MaxRunsThousands) * 1000;
    auto finish = [&] {
        sortieren = true;
        Berechnunglaeuft = false;
        BitBtn4Caption = Tippsberechnen;
        runActive = false;
        setBusy(false);
        changed();
    };
    setBusy(true);
    runActive = true;
    changed();
    try {
        // The file does not change during the run: it is read once (unless
        // an analysis around the run holds it already) and the lookups, the
        // statistics tables and the history rules of the run share it.
        std::optional<RecordSnapshot> read;
        if (!heldRecords)
            read = readDrawingRecords();
        const RecordSnapshot& records = read ? *read : *heldRecords;
        const HoldRecords hold(*this, &records);
        Berechnunglaeuft = true;
        WindowFollowsRun follow(*this, records);
        Generation generation(Memo2, Settings, tips, rng, records, {StatisticsStartDate(), DateTimePicker1, cur},
                              numberList, dialogs(), events(), operation, follow);
        const GenerationResult result = generation.run();
        if (!result.cancelled) {
            RunCounter = result.attempts;
            lastEndMessage = static_cast<int>(result.endMessage);
            sortieren = true;
            Komplettcheck(); // the window's counts and sounds of the rows the run checked
        }
        finish();
    } catch (...) {
        // Never leave the window stuck in a run; the settings are back already.
        finish();
        throw;
    }
}

} // namespace rz
