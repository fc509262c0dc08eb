// The database maintenance commands of the "Datenbank" tab: entry or
// correction of one drawing, deletion of the drawing on display, and the
// history bundled with the program for a first start.
#include <filesystem>
#include <memory>

#include "app/DrawingMaintenance.h"
#include "app/MainModel.h"
#include "common/ProgramTexts.h"
#include "database/Importer.h"
#include "database/Maintenance.h"
#include "common/Path.h"

namespace rz {

void MainModel::BitBtn8Click() {
    // The download appends meanwhile; a rebuild of the file in between
    // would mix the two.
    if (operation.running(OperationKind::Download))
        return;

    // A missing file is an I/O error, reported by the caller.
    const DrawingMaintenance maintenance(DatabasePath(), today(), sprache);
    const EntryStart start = maintenance.entryStart(DatabaseEndDate());
    aktDatum = start.buffer.Date;

    DrawingEntry initial;
    initial.date = start.buffer.Date;
    for (int i = 1; i <= 8; ++i)
        initial.numbers[static_cast<std::size_t>(i)] = start.buffer.Numbers[static_cast<std::size_t>(i)];
    const std::optional<DrawingEntry> entry = dialogs().enterDrawing(initial);
    DayNumber show = aktDatum; // cancelled or refused: back to the drawing found above
    if (entry) {
        try {
            DrawingMaintenance::Entered stored = maintenance.enter(start.buffer, *entry);
            recordDrawingStep(stored.record.Date, std::move(stored.before), {stored.record}, stored.fingerprint,
                              Txt::UndoStepEnter);
            // The entered drawing is on display, so that "Delete" takes the
            // drawing the user has just seen entered.
            show = stored.record.Date;
        } catch (const Failure& refused) {
            if (refused.kind() != FailureKind::Refused)
                throw;
            dialogs().message(refused.what());
        }
    }

    DateTimePicker1.setDateOrEarliest(show);
    SpeedButton5Click();
}

void MainModel::recordDrawingStep(DayNumber date, std::vector<DrawingRecord> before, std::vector<DrawingRecord> after,
                                  std::uint64_t fingerprint, Txt name) {
    // The fingerprint the file must have for the next undo or redo; each one
    // moves it on.
    auto expected = std::make_shared<std::uint64_t>(fingerprint);
    auto apply = [this, date, expected](const std::vector<DrawingRecord>& records) {
        const DateChange c = replaceDrawingsOfDate(database(), date, records, *expected);
        *expected = c.after;
        DateTimePicker1.setDateOrEarliest(date);
        SpeedButton5Click();
    };
    UndoStack::Step step;
    step.name = [this, date, name] { return txt(name, {formatShortDate(date, sprache)}); };
    step.undo = [apply, before = std::move(before)] { apply(before); };
    step.redo = [apply, after = std::move(after)] { apply(after); };
    step.group = kDrawingFileSteps;
    undoStack.push(std::move(step));
}

std::optional<std::string> MainModel::entryRefusal(const DrawingEntry& entry) const {
    return entryError(entry, today(), sprache);
}

void MainModel::deleteShownDrawing() {
    if (operation.running(OperationKind::Download))
        return;
    DateChange removed;
    {
        const BusyGuard busyGuard(*this);
        removed = DrawingMaintenance(DatabasePath(), today(), sprache).remove(cur.Datum1);
    }
    if (!removed.before.empty())
        recordDrawingStep(cur.Datum1, std::move(removed.before), {}, removed.after, Txt::UndoStepDelete);
    SpeedButton5Click();
}

bool MainModel::loadBundledHistory() {
    const DrawingMaintenance::BundledHistory bundled =
        DrawingMaintenance::loadBundledHistory(paths(), DatabasePath(), today(), sprache);
    if (!bundled.notice.empty())
        setStatus(bundled.notice);
    if (bundled.loaded)
        startNotice_ = bundled.notice; // kept in front of the first download's result
    return bundled.loaded;
}

} // namespace rz
