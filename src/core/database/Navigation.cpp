// The current drawing: lookup for a date, previous and next step, captions.
#include <cmath>
#include <optional>

#include "app/MainModel.h"
#include "common/Round.h"

namespace rz {
namespace {

// A record whose date is no representable date (a damaged file, or one that
// is no drawing database at all), or not after day 0, holds no drawing: the
// lookup and the steps pass over it.
bool isDrawing(const DrawingRecord& r) { return isRepresentableDay(r.Date) && r.Date > 0.0; }

struct Found {
    DrawingRecord record;
    std::int64_t index = 0;
};

// Tells the user once (per size of the broken end) that the file ends in
// bytes that are no whole drawing, e.g. after a crash during an append.
void notePartialRecord(MainModel& m, std::int64_t bytes) {
    if (bytes == m.reportedPartialBytes)
        return;
    m.reportedPartialBytes = bytes;
    if (bytes > 0)
        m.setStatus(partialRecordNotice(bytes));
}

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
        dialogs->message("Lesen Sie zuerst die Daten der Ziehungen ein");
        db.createEmpty();
        changed();
        return;
    }
    RecordReader reader(db.path());
    notePartialRecord(*this, reader.trailingBytes());
    aktDatum = static_cast<DayNumber>(Round(DatabaseEndDate()));

    cur.Position = 1;
    DrawingRecord buf;
    buf.Date = 0.0;
    // The last drawing read, for a file that ends in records without one.
    std::optional<Found> lastDrawing;
    if (!reader.eof())
        buf = reader.next();
    if (isDrawing(buf)) {
        lastDrawing = Found{buf, 0};
        if (buf.Date >= aktDatum) {
            takeRecord(cur, buf);
            showCurrentDrawing(CaptionVariant::FirstRecord);
        }
    }
    std::int64_t failedAt = -1;
    while (!reader.eof() && (!isDrawing(buf) || buf.Date < aktDatum)) {
        try {
            buf = reader.next();
            cur.Position += 1;
            if (isDrawing(buf)) {
                lastDrawing = Found{buf, reader.index() - 1};
                if (buf.Date >= aktDatum) {
                    takeRecord(cur, buf);
                    showCurrentDrawing(CaptionVariant::LaterRecord);
                }
            }
        } catch (const IoError&) {
            dialogs->message("Fehler");
            // A failure that repeats at the same record would never end.
            if (failedAt == reader.index())
                break;
            failedAt = reader.index();
        }
    }
    cur.Position -= 1;
    if (reader.eof() && isDrawing(buf)) {
        takeRecord(cur, buf);
        showCurrentDrawing(CaptionVariant::EndOfFile);
    } else if (reader.eof() && lastDrawing) {
        // The file ends in records without a drawing date: the last drawing
        // before them stands for the end of the file.
        cur.Position = static_cast<std::int32_t>(lastDrawing->index);
        takeRecord(cur, lastDrawing->record);
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
    const std::int64_t target = cur.Position;
    // The last drawing up to the target index; when there is none, the first
    // one after it.
    std::optional<Found> before, after;
    std::int64_t lastRead = -1;
    while (!reader.eof()) {
        const std::int64_t index = reader.index();
        const DrawingRecord r = reader.next();
        if (index <= target) {
            lastRead = index;
            if (isDrawing(r))
                before = Found{r, index};
        } else if (before) {
            break;
        } else if (isDrawing(r)) {
            after = Found{r, index};
            break;
        }
    }
    const std::optional<Found>& chosen = before ? before : after;
    if (!chosen)
        return; // empty file, or no drawing in it: nothing changes
    // Passing over records without a drawing moves the position with it.
    if (chosen->index != lastRead)
        cur.Position = static_cast<std::int32_t>(chosen->index);
    takeRecord(cur, chosen->record);
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
    // The first drawing from the target index on; past the last one, the last.
    std::optional<Found> before, after;
    while (!reader.eof()) {
        const std::int64_t index = reader.index();
        const DrawingRecord r = reader.next();
        if (!isDrawing(r))
            continue;
        if (index < target) {
            before = Found{r, index};
        } else {
            after = Found{r, index};
            break;
        }
    }
    const std::optional<Found>& chosen = after ? after : before;
    if (!chosen)
        return; // empty file, or no drawing in it: nothing changes
    cur.Position = static_cast<std::int32_t>(chosen->index);
    takeRecord(cur, chosen->record);
    cur.Zahl[6] = 0;
    showCurrentDrawing(CaptionVariant::EndOfFile);
    Label35 = Label29;
    DateTimePicker1.setDate(cur.Datum1); // a refusal is ignored here
    Komplettcheck();
    changed();
}

} // namespace rz
