// The current drawing: lookup for a date, previous and next step, captions.
#include <cmath>

#include "app/MainModel.h"
#include "common/Round.h"

namespace rz {
namespace {

void takeRecord(CurrentDrawing& cur, const DrawingRecord& rec) {
    cur.Datum1 = rec.Date;
    for (int i = 1; i <= 8; ++i)
        cur.Zahl[static_cast<std::size_t>(i)] = rec.Numbers[static_cast<std::size_t>(i)];
}

} // namespace

std::string MainModel::drawingCaption(CaptionVariant v) const {
    const char* sep = "  ";
    const char* mb = " MB:";
    const char* mp = " MP:";
    if (v == CaptionVariant::FirstRecord) {
        sep = "   ";
    } else if (v == CaptionVariant::EndOfFile) {
        mb = "   MB: ";
        mp = " MP: ";
    }
    std::string s = formatCaptionDate(cur.Datum1, sprache);
    s += sep;
    for (int i = 1; i <= 5; ++i)
        s += "  " + std::to_string(cur.Zahl[static_cast<std::size_t>(i)]);
    s += mb + std::to_string(cur.Zahl[7]);
    s += mp + std::to_string(cur.Zahl[8]);
    return s;
}

void MainModel::showCurrentDrawing(CaptionVariant v) {
    Label29 = drawingCaption(v);
    std::int64_t sum = 0;
    for (int i = 1; i <= 6; ++i)
        sum += cur.Zahl[static_cast<std::size_t>(i)];
    Label13 = msg(43) + ": " + std::to_string(sum);
}

void MainModel::SpeedButton5Click() {
    DrawingDatabase db = database();
    if (!db.exists()) {
        dialogs().message("Lesen Sie zuerst die Daten der Ziehungen ein");
        db.createEmpty();
        changed();
        return;
    }
    RecordReader reader(db.path());
    aktDatum = static_cast<DayNumber>(Round(DatabaseEndDate()));

    cur.Position = 1;
    DrawingRecord buf;
    buf.Date = 0.0;
    if (!reader.eof())
        buf = reader.next();
    if (buf.Date >= aktDatum) {
        takeRecord(cur, buf);
        showCurrentDrawing(CaptionVariant::FirstRecord);
    }
    std::int64_t failedAt = -1;
    while (!reader.eof() && buf.Date < aktDatum) {
        try {
            buf = reader.next();
            cur.Position += 1;
            if (buf.Date >= aktDatum) {
                takeRecord(cur, buf);
                showCurrentDrawing(CaptionVariant::LaterRecord);
            }
        } catch (const IoError&) {
            dialogs().message("Fehler");
            // A failure that repeats at the same record would never end.
            if (failedAt == reader.index())
                break;
            failedAt = reader.index();
        }
    }
    cur.Position -= 1;
    if (reader.eof() && buf.Date > 0.0) {
        takeRecord(cur, buf);
        showCurrentDrawing(CaptionVariant::EndOfFile);
    }
    if (!DateTimePicker1.setDate(cur.Datum1)) {
        DateTimePicker1.date = DateTimePicker1.minDate;
        cur.Datum1 = DateTimePicker1.date;
    }
    Label35 = Label29;
    Komplettcheck();
    changed();
}

void MainModel::SpeedButton6Click() {
    RecordReader reader(DatabasePath());
    aktDatum = StatisticsStartDate();
    cur.Position -= 1;
    if (cur.Position < 1)
        cur.Position = 0;
    bool any = false;
    DrawingRecord last;
    while (!reader.eof() && reader.index() <= cur.Position) {
        last = reader.next();
        any = true;
    }
    if (!any)
        return; // empty file: nothing changes
    takeRecord(cur, last);
    showCurrentDrawing(CaptionVariant::EndOfFile);
    Label35 = Label29;
    if (!DateTimePicker1.setDate(cur.Datum1)) {
        DateTimePicker1.date = DateTimePicker1.minDate;
        cur.Datum1 = DateTimePicker1.date;
    }
    Komplettcheck();
    changed();
}

void MainModel::SpeedButton7Click() {
    RecordReader reader(DatabasePath());
    aktDatum = StatisticsStartDate();
    const std::int64_t target = static_cast<std::int64_t>(cur.Position) + 1;
    bool any = false;
    DrawingRecord last;
    while (!reader.eof() && reader.index() <= target) {
        last = reader.next();
        any = true;
    }
    if (!any)
        return; // empty file: nothing changes
    cur.Position = static_cast<std::int32_t>(reader.index() - 1);
    takeRecord(cur, last);
    cur.Zahl[6] = 0;
    showCurrentDrawing(CaptionVariant::EndOfFile);
    Label35 = Label29;
    DateTimePicker1.setDate(cur.Datum1); // a refusal is ignored here
    Komplettcheck();
    changed();
}

} // namespace rz
