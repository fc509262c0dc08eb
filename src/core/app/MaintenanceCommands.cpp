// The database maintenance commands of the "Datenbank" tab: entry or
// correction of one drawing, deletion of the drawing on display, and the
// history bundled with the program for a first start.
#include <filesystem>
#include <memory>

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
    const DrawingDatabase db = database();
    const EntryStart start = findEntryStart(db, DatabaseEndDate());
    aktDatum = start.buffer.Date;

    DrawingEntry initial;
    initial.date = start.buffer.Date;
    for (int i = 1; i <= 8; ++i)
        initial.numbers[static_cast<std::size_t>(i)] = start.buffer.Numbers[static_cast<std::size_t>(i)];
    const std::optional<DrawingEntry> entry = dialogs().enterDrawing(initial);
    DayNumber show = aktDatum; // cancelled or refused: back to the drawing found above
    if (entry) {
        if (const auto error = entryRefusal(*entry)) {
            dialogs().message(*error);
        } else {
            const DrawingRecord rec = enteredRecord(start.buffer, *entry);
            std::vector<DrawingRecord> before;
            for (const DrawingRecord& r : db.readAll())
                if (r.Date == rec.Date)
                    before.push_back(r);
            storeEnteredRecord(db, rec);
            recordDrawingStep(rec.Date, std::move(before), {rec}, fileFingerprint(db), Txt::UndoStepEnter);
            // The entered drawing is on display, so that "Delete" takes the
            // drawing the user has just seen entered.
            show = rec.Date;
        }
    }

    if (!DateTimePicker1.setDate(show))
        DateTimePicker1.date = DateTimePicker1.minDate;
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
        if (!DateTimePicker1.setDate(date))
            DateTimePicker1.date = DateTimePicker1.minDate;
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

void MainModel::BitBtn4Click() {
    if (operation.running(OperationKind::Download))
        return;
    DateChange removed;
    {
        const BusyGuard busyGuard(*this);
        removed = removeDrawingsOfDate(database(), cur.Datum1);
    }
    if (!removed.before.empty())
        recordDrawingStep(cur.Datum1, std::move(removed.before), {}, removed.after, Txt::UndoStepDelete);
    SpeedButton5Click();
}

bool MainModel::loadBundledHistory() {
    const DrawingDatabase db = database();
    if (db.exists())
        return false;
    const std::string file = paths().bundledHistoryFile();
    std::error_code ec;
    if (!std::filesystem::is_regular_file(toPath(file), ec))
        return false;
    ImportResult res;
    try {
        res = importDrawingHistory(file, DatabasePath(), today());
    } catch (const IoError& e) {
        setStatus(txt(Txt::BundledNotLoaded, {e.what()}));
        return false;
    }
    if (!res.ok) {
        setStatus(txt(Txt::BundledNotLoaded, {res.error}));
        return false;
    }
    const std::optional<DrawingRecord> last = db.readLast();
    setStatus(txt(Txt::BundledLoaded,
                  {std::to_string(res.added), last ? formatShortDate(last->Date, sprache) : std::string("-")}));
    startNotice_ = StatusPanel[1]; // kept in front of the first download's result
    return true;
}

} // namespace rz
