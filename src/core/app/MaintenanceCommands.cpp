// The database maintenance commands of the "Datenbank" tab: entry or
// correction of one drawing, deletion of the drawing on display, and the
// history bundled with the program for a first start.
#include <filesystem>

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
    if (entry) {
        if (const auto error = entryRefusal(*entry))
            dialogs().message(*error);
        else
            storeEnteredRecord(db, enteredRecord(start.buffer, *entry));
    }

    // Back to the drawing found above, not to the one entered.
    if (!DateTimePicker1.setDate(aktDatum))
        DateTimePicker1.date = DateTimePicker1.minDate;
    SpeedButton5Click();
}

std::optional<std::string> MainModel::entryRefusal(const DrawingEntry& entry) const {
    return entryError(entry, today(), sprache);
}

void MainModel::BitBtn4Click() {
    if (operation.running(OperationKind::Download))
        return;
    setBusy(true);
    try {
        database().removeDate(cur.Datum1);
    } catch (...) {
        setBusy(false);
        throw;
    }
    setBusy(false);
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
