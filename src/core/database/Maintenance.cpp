// Keeping the drawing file right by hand: entry or correction of one drawing,
// deletion of the drawing on display, and the history bundled with the program.
#include "database/Maintenance.h"

#include <cmath>
#include <filesystem>
#include <set>

#include "app/MainModel.h"
#include "database/Importer.h"

namespace rz {

std::optional<std::string> entryError(const DrawingEntry& e) {
    std::set<int> seen;
    for (int i = 1; i <= 5; ++i) {
        const int n = e.numbers[static_cast<std::size_t>(i)];
        if (n < kEntryMainRange.lo || n > kEntryMainRange.hi)
            return "Die Zahlen der Ziehung liegen zwischen " + std::to_string(kEntryMainRange.lo) + " und " +
                   std::to_string(kEntryMainRange.hi) + ".";
        if (!seen.insert(n).second)
            return "Die Zahl " + std::to_string(n) + " kommt in der Ziehung zweimal vor.";
    }
    if (e.numbers[7] < kEntryMegaBallRange.lo || e.numbers[7] > kEntryMegaBallRange.hi)
        return "Der MegaBall liegt zwischen " + std::to_string(kEntryMegaBallRange.lo) + " und " +
               std::to_string(kEntryMegaBallRange.hi) + ".";
    if (e.numbers[8] < kEntryMegaplierRange.lo || e.numbers[8] > kEntryMegaplierRange.hi)
        return "Der Megaplier liegt zwischen " + std::to_string(kEntryMegaplierRange.lo) + " und " +
               std::to_string(kEntryMegaplierRange.hi) + ".";
    if (e.numbers[6] < 0 || e.numbers[6] > 255)
        return "Ungültiger Wert im sechsten Feld.";
    return std::nullopt;
}

void MainModel::BitBtn8Click() {
    // The download appends meanwhile; a rebuild of the file in between
    // would mix the two.
    if (operation.running(OperationKind::Download))
        return;

    // The drawing of DatabaseEndDate, else the last one; an empty file keeps
    // the empty buffer dated 17 May 2000. A missing file is an I/O error.
    DrawingRecord buffer;
    buffer.Date = DateTimePicker1.minDate;
    std::optional<DayNumber> lastStored;
    {
        RecordReader reader(DatabasePath());
        bool found = false;
        while (!reader.eof()) {
            const DrawingRecord r = reader.next();
            lastStored = r.Date;
            if (!found) {
                buffer = r;
                found = r.Date == DatabaseEndDate();
            }
        }
    }
    aktDatum = buffer.Date;

    DrawingEntry initial;
    initial.date = buffer.Date;
    for (int i = 1; i <= 8; ++i)
        initial.numbers[static_cast<std::size_t>(i)] = buffer.Numbers[static_cast<std::size_t>(i)];
    const std::optional<DrawingEntry> entry = dialogs().enterDrawing(initial);

    if (entry) {
        if (const auto error = entryError(*entry)) {
            dialogs().message(*error);
        } else {
            DrawingRecord rec = buffer; // bytes 16..31 stay as they are
            rec.Date = std::floor(entry->date);
            for (int i = 1; i <= 8; ++i)
                rec.Numbers[static_cast<std::size_t>(i)] =
                    static_cast<std::uint8_t>(entry->numbers[static_cast<std::size_t>(i)]);
            for (std::size_t i = 1; i <= 5; ++i)
                for (std::size_t k = i; k <= 5; ++k)
                    if (rec.Numbers[k] < rec.Numbers[i])
                        std::swap(rec.Numbers[i], rec.Numbers[k]);
            const DrawingDatabase db = database();
            if (!lastStored || rec.Date > *lastStored)
                db.append(rec);
            else
                db.insertOrReplace(rec);
        }
    }

    // Back to the drawing found above, not to the one entered.
    if (!DateTimePicker1.setDate(aktDatum))
        DateTimePicker1.date = DateTimePicker1.minDate;
    SpeedButton5Click();
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
    const std::string file = Home + kBundledHistoryFile;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec))
        return false;
    ImportResult res;
    try {
        res = importDrawingHistory(file, DatabasePath());
    } catch (const IoError& e) {
        setStatus(std::string("Mitgelieferte Ziehungsdaten nicht geladen: ") + e.what());
        return false;
    }
    if (!res.ok) {
        setStatus("Mitgelieferte Ziehungsdaten nicht geladen: " + res.error);
        return false;
    }
    const std::optional<DrawingRecord> last = db.readLast();
    setStatus(std::to_string(res.added) + " Ziehungen aus den mitgelieferten Daten geladen, bis " +
              (last ? formatShortDate(last->Date, sprache) : std::string("-")));
    return true;
}

} // namespace rz
