// Commands of the tip tab that work on the whole tip set: clear, lock,
// save and load.
#include "app/MainModel.h"
#include "common/Round.h"

namespace rz {
namespace {

FileDialogRequest tipFileRequest(const std::string& home) {
    FileDialogRequest req;
    req.filter = "Tippdatei|*.qlt";
    req.defaultExt = "qlt";
    req.initialDir = home;
    return req;
}

} // namespace

void MainModel::SpeedButton11Click() {
    tips.ClearUnlockedRows();
    changed();
}

void MainModel::Label30Click(int row) {
    if (row < 1 || row > TipSet::kRows)
        return;
    TipRow& r = tips.row(row);
    r.Locked = !r.Locked;
    changed();
}

DayNumber MainModel::NextDrawingDate() const {
    const DayNumber d = DatabaseEndDate();
    return static_cast<DayNumber>(Round(d + (weekday(d) == 2 ? 3.0 : 4.0)));
}

void MainModel::SpeedButton15Click() {
    FileDialogRequest req = tipFileRequest(Home);
    req.suggestedName = formatYyyymmdd(NextDrawingDate()) + ".qlt";
    const auto path = dialogs().saveFile(req);
    if (!path)
        return;
    try {
        tips.WriteTipFile(*path);
    } catch (const IoError& e) {
        dialogs().message(e.what());
    }
    changed();
}

void MainModel::SpeedButton16Click() {
    const auto path = dialogs().openFile(tipFileRequest(Home));
    if (path) {
        tips.ClearUnlockedRows();
        try {
            tips.ReadTipFile(*path);
        } catch (const IoError& e) {
            // The rows read so far stay; the re-check does not run.
            dialogs().message(e.what());
            changed();
            return;
        }
    }
    SpeedButton5Click(); // current drawing for DatabaseEndDate, ends with Komplettcheck
    changed();
}

} // namespace rz
