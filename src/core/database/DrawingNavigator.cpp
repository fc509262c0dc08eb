// The current drawing: lookup for a date, previous and next step, captions.
#include "database/DrawingNavigator.h"

#include "database/DrawingDatabase.h"

namespace rz {
namespace {

void takeRecord(CurrentDrawing& cur, const DrawingRecord& rec) {
    cur.Datum1 = rec.Date;
    for (int i = 1; i <= 8; ++i)
        cur.Zahl[static_cast<std::size_t>(i)] = rec.Numbers[static_cast<std::size_t>(i)];
}

} // namespace

std::string drawingCaption(const CurrentDrawing& cur, CaptionVariant v, int language) {
    const char* sep = "  ";
    const char* mb = " MB:";
    const char* mp = " MP:";
    if (v == CaptionVariant::FirstRecord) {
        sep = "   ";
    } else if (v == CaptionVariant::EndOfFile) {
        mb = "   MB: ";
        mp = " MP: ";
    }
    std::string s = formatCaptionDate(cur.Datum1, language);
    s += sep;
    for (int i = 1; i <= 5; ++i)
        s += "  " + std::to_string(cur.Zahl[static_cast<std::size_t>(i)]);
    s += mb + std::to_string(cur.Zahl[7]);
    s += mp + std::to_string(cur.Zahl[8]);
    return s;
}

std::int64_t drawingSum(const CurrentDrawing& cur) {
    std::int64_t sum = 0;
    for (int i = 1; i <= 6; ++i)
        sum += cur.Zahl[static_cast<std::size_t>(i)];
    return sum;
}

std::optional<CaptionVariant> DrawingNavigator::lookup(const std::string& path, DayNumber date, CurrentDrawing& cur,
                                                       const std::function<void()>& onReadError) {
    RecordReader reader(path);
    std::optional<CaptionVariant> shown;
    cur.Position = 1;
    DrawingRecord buf;
    buf.Date = 0.0;
    if (!reader.eof())
        buf = reader.next();
    if (buf.Date >= date) {
        takeRecord(cur, buf);
        shown = CaptionVariant::FirstRecord;
    }
    std::int64_t failedAt = -1;
    while (!reader.eof() && buf.Date < date) {
        try {
            buf = reader.next();
            cur.Position += 1;
            if (buf.Date >= date) {
                takeRecord(cur, buf);
                shown = CaptionVariant::LaterRecord;
            }
        } catch (const IoError&) {
            if (onReadError)
                onReadError();
            // A failure that repeats at the same record would never end.
            if (failedAt == reader.index())
                break;
            failedAt = reader.index();
        }
    }
    cur.Position -= 1;
    if (reader.eof() && buf.Date > 0.0) {
        takeRecord(cur, buf);
        shown = CaptionVariant::EndOfFile;
    }
    return shown;
}

bool DrawingNavigator::previous(const std::string& path, CurrentDrawing& cur) {
    RecordReader reader(path);
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
        return false;
    takeRecord(cur, last);
    return true;
}

bool DrawingNavigator::next(const std::string& path, CurrentDrawing& cur) {
    RecordReader reader(path);
    const std::int64_t target = static_cast<std::int64_t>(cur.Position) + 1;
    bool any = false;
    DrawingRecord last;
    while (!reader.eof() && reader.index() <= target) {
        last = reader.next();
        any = true;
    }
    if (!any)
        return false;
    cur.Position = static_cast<std::int32_t>(reader.index() - 1);
    takeRecord(cur, last);
    cur.Zahl[6] = 0;
    return true;
}

} // namespace rz
