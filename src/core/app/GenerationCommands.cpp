// The generation run as a command of the window: start and stop, the run's
// frame (button caption, cursor, eased settings restored), and the model as
// the run's host.
#include "app/GenerationHost.h"

#include "common/ProgramTexts.h"

namespace rz {

const StatisticsTable& ModelGenerationHost::statisticsTable(StatisticsKind kind) {
    switch (kind) {
    case StatisticsKind::Frequency: m_.SpeedButton2Click(); break;
    case StatisticsKind::Overdue: m_.Button5Click(); break;
    case StatisticsKind::MegaBallFrequency: m_.SpeedButton3Click(); break;
    case StatisticsKind::MegaBallOverdue: m_.Button8Click(); break;
    case StatisticsKind::Pairs: m_.Button2Click(); break;
    case StatisticsKind::Triples: m_.Button3Click(); break;
    case StatisticsKind::Quads: m_.Button4Click(); break;
    default: break; // the run asks for no other table
    }
    return m_.chart;
}

const RecordSnapshot& ModelGenerationHost::drawingRecords() {
    if (m_.heldRecords)
        return *m_.heldRecords;
    if (!ownRecords_)
        ownRecords_ = m_.readDrawingRecords();
    return *ownRecords_;
}

void ModelGenerationHost::showEndDateDrawing(DayNumber endDate) {
    if (!m_.DateTimePicker1.setDate(endDate))
        m_.DateTimePicker1.date = m_.DateTimePicker1.minDate;
    m_.lookupEndDate(&drawingRecords());
}

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
    const int oldForcePair = Settings.get(Gs::ForcePair);
    const int oldMaxHitsLast1 = Settings.get(Gs::MaxHitsLast1);
    const int oldMaxHitsLast2 = Settings.get(Gs::MaxHitsLast2);
    const int oldExcludeDbClass = Settings.get(Gs::ExcludeDbClass);
    auto restoreSettings = [&] {
        Settings.set(Gs::ForcePair, oldForcePair);
        Settings.set(Gs::MaxHitsLast1, oldMaxHitsLast1);
        Settings.set(Gs::MaxHitsLast2, oldMaxHitsLast2);
        Settings.set(Gs::ExcludeDbClass, oldExcludeDbClass);
    };
    auto finish = [&] {
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
        std::optional<RecordSnapshot> records;
        if (!heldRecords)
            records = readDrawingRecords();
        const HoldRecords hold(*this, records ? &*records : heldRecords);
        ModelGenerator g(*this);
        g.captureLastDrawings();
        SpeedButton11Click();
        if (!g.BuildCandidatePool()) {
            sortieren = true;
            finish();
            return;
        }
        setStatus(msg(Msg::CalculationStart));
        Berechnunglaeuft = true;
        RunCounter = 0;
        // Fewer than five different numbers can never complete a tip.
        const bool poolUsable = g.pool.distinctNumbers() >= 5;
        g.rowLoop(poolUsable);
        sortieren = true;
        Komplettcheck();
        setBusy(false);
        const Msg end = (poolUsable && RunCounter < LaufMax) ? Msg::TipsRecalculated : Msg::ChangeParameters;
        lastEndMessage = static_cast<int>(end);
        setStatus(msg(end));
        restoreSettings();
        finish();
    } catch (...) {
        // Never leave the window stuck in a run: restore first, then report.
        sortieren = true;
        restoreSettings();
        finish();
        throw;
    }
}

} // namespace rz
