#include "app/DrawingMaintenance.h"

#include <filesystem>

#include "common/Failure.h"
#include "common/Path.h"
#include "common/ProgramTexts.h"
#include "database/Importer.h"

namespace rz {

DrawingMaintenance::Entered DrawingMaintenance::enter(const DrawingRecord& openedWith, const DrawingEntry& entry) const {
    if (const auto error = entryError(entry, today_, language_))
        throw Failure(*error, FailureKind::Refused);
    Entered out;
    out.record = enteredRecord(openedWith, entry);
    for (const DrawingRecord& r : db_.readAll())
        if (r.Date == out.record.Date)
            out.before.push_back(r);
    out.how = storeEnteredRecord(db_, out.record);
    out.fingerprint = fileFingerprint(db_);
    return out;
}

DrawingMaintenance::BundledHistory DrawingMaintenance::loadBundledHistory(const AppPaths& paths,
                                                                          const std::string& databasePath,
                                                                          DayNumber today, int language) {
    BundledHistory out;
    const DrawingDatabase db(databasePath);
    if (db.exists())
        return out;
    const std::string file = paths.bundledHistoryFile();
    std::error_code ec;
    if (!std::filesystem::is_regular_file(toPath(file), ec))
        return out;
    ImportResult res;
    try {
        res = importDrawingHistory(file, databasePath, today);
    } catch (const IoError& e) {
        out.notice = txt(Txt::BundledNotLoaded, {e.what()});
        return out;
    }
    if (!res.ok) {
        out.notice = txt(Txt::BundledNotLoaded, {res.error});
        return out;
    }
    const std::optional<DrawingRecord> last = db.readLast();
    out.loaded = true;
    out.notice = txt(Txt::BundledLoaded,
                     {std::to_string(res.added), last ? formatShortDate(last->Date, language) : std::string("-")});
    return out;
}

} // namespace rz
