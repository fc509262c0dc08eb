// The current drawing: lookup for a date, previous and next step, captions.
#include "database/DrawingNavigator.h"

#include <algorithm>

#include "database/DrawingDatabase.h"

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

void takeRecord(CurrentDrawing& cur, const DrawingRecord& rec) {
    cur.Datum1 = rec.Date;
    for (int i = 1; i <= 8; ++i)
        cur.Zahl[static_cast<std::size_t>(i)] = rec.Numbers[static_cast<std::size_t>(i)];
}

// Records already in memory, read as RecordReader reads the file.
class MemoryRecords {
public:
    MemoryRecords(const std::uint8_t* records, std::size_t count)
        : records_(records), count_(static_cast<std::int64_t>(count)) {}
    bool eof() const { return index_ >= count_; }
    std::int64_t index() const { return index_; }
    DrawingRecord next() {
        return DrawingRecord::fromBytes(records_ + static_cast<std::size_t>(index_++) * DrawingRecord::kSize);
    }

private:
    const std::uint8_t* records_;
    std::int64_t count_;
    std::int64_t index_ = 0;
};

template <class Reader>
std::optional<CaptionVariant> lookupIn(Reader& reader, DayNumber date, CurrentDrawing& cur,
                                       const std::function<void()>& onReadError);
template <class Reader>
bool previousIn(Reader& reader, CurrentDrawing& cur);
template <class Reader>
bool nextIn(Reader& reader, CurrentDrawing& cur);

} // namespace

namespace {

// The record dates when every record holds a drawing and the dates never go
// down, else nothing.
std::vector<DayNumber> sortedDrawingDates(const std::uint8_t* records, std::size_t count) {
    std::vector<DayNumber> dates(count);
    for (std::size_t i = 0; i < count; ++i) {
        const DayNumber d = RecordBlockReader::date(records + i * DrawingRecord::kSize);
        if (!isDrawing(DrawingRecord{d, {}}) || (i > 0 && d < dates[i - 1]))
            return {};
        dates[i] = d;
    }
    return dates;
}

} // namespace

RecordSnapshot RecordSnapshot::read(const std::string& path) {
    RecordSnapshot s;
    RecordBlockReader reader(path);
    s.count = reader.readAll(s.bytes);
    s.bytes.resize(s.count * DrawingRecord::kSize);
    s.trailingBytes = reader.fileSize() % static_cast<std::int64_t>(DrawingRecord::kSize);
    s.sortedDates = sortedDrawingDates(s.bytes.data(), s.count);
    return s;
}

RecordSnapshot RecordSnapshot::of(const std::uint8_t* records, std::size_t count) {
    RecordSnapshot s;
    s.bytes.assign(records, records + count * DrawingRecord::kSize);
    s.count = count;
    s.sortedDates = sortedDrawingDates(records, count);
    return s;
}

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
    return lookupIn(reader, date, cur, onReadError);
}

std::optional<CaptionVariant> DrawingNavigator::lookup(const std::uint8_t* records, std::size_t count, DayNumber date,
                                                       CurrentDrawing& cur) {
    MemoryRecords reader(records, count);
    return lookupIn(reader, date, cur, {});
}

std::optional<CaptionVariant> DrawingNavigator::lookup(const RecordSnapshot& records, DayNumber date,
                                                       CurrentDrawing& cur) {
    const std::size_t count = records.count;
    // Every record a drawing and in date order: the record the scan would
    // stop at is the first one dated on or after `date`, else the last. A
    // date that is no number stops the scan at the first record; that case
    // and unsorted or damaged files take the scan itself.
    if (count == 0 || records.sortedDates.size() != count || date != date)
        return lookup(records.bytes.data(), count, date, cur);
    const auto& dates = records.sortedDates;
    std::size_t k = static_cast<std::size_t>(std::lower_bound(dates.begin(), dates.end(), date) - dates.begin());
    if (k == count)
        k = count - 1;
    takeRecord(cur, DrawingRecord::fromBytes(records.bytes.data() + k * DrawingRecord::kSize));
    cur.Position = static_cast<std::int32_t>(k);
    if (k + 1 == count)
        return CaptionVariant::EndOfFile;
    return k == 0 ? CaptionVariant::FirstRecord : CaptionVariant::LaterRecord;
}

namespace {

template <class Reader>
std::optional<CaptionVariant> lookupIn(Reader& reader, DayNumber date, CurrentDrawing& cur,
                                       const std::function<void()>& onReadError) {
    std::optional<CaptionVariant> shown;
    cur.Position = 1;
    DrawingRecord buf;
    buf.Date = 0.0;
    // The last drawing read, for a file that ends in records without one.
    std::optional<Found> lastDrawing;
    if (!reader.eof())
        buf = reader.next();
    if (isDrawing(buf)) {
        lastDrawing = Found{buf, 0};
        if (buf.Date >= date) {
            takeRecord(cur, buf);
            shown = CaptionVariant::FirstRecord;
        }
    }
    std::int64_t failedAt = -1;
    while (!reader.eof() && (!isDrawing(buf) || buf.Date < date)) {
        try {
            buf = reader.next();
            cur.Position += 1;
            if (isDrawing(buf)) {
                lastDrawing = Found{buf, reader.index() - 1};
                if (buf.Date >= date) {
                    takeRecord(cur, buf);
                    shown = CaptionVariant::LaterRecord;
                }
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
    if (reader.eof() && isDrawing(buf)) {
        takeRecord(cur, buf);
        shown = CaptionVariant::EndOfFile;
    } else if (reader.eof() && lastDrawing) {
        // The file ends in records without a drawing date: the last drawing
        // before them stands for the end of the file.
        cur.Position = static_cast<std::int32_t>(lastDrawing->index);
        takeRecord(cur, lastDrawing->record);
        shown = CaptionVariant::EndOfFile;
    }
    return shown;
}

} // namespace

bool DrawingNavigator::previous(const std::string& path, CurrentDrawing& cur) {
    RecordReader reader(path);
    return previousIn(reader, cur);
}

bool DrawingNavigator::previous(const RecordSnapshot& records, CurrentDrawing& cur) {
    if (records.count > 0 && records.sortedDates.size() == records.count) {
        // Every record a drawing: the one at the new position, the last one
        // past the end (the position stays where the step put it).
        cur.Position = std::max(cur.Position - 1, 0);
        const std::size_t k = std::min(static_cast<std::size_t>(cur.Position), records.count - 1);
        takeRecord(cur, DrawingRecord::fromBytes(records.bytes.data() + k * DrawingRecord::kSize));
        return true;
    }
    MemoryRecords reader(records.bytes.data(), records.count);
    return previousIn(reader, cur);
}

namespace {

template <class Reader>
bool previousIn(Reader& reader, CurrentDrawing& cur) {
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
        return false; // empty file, or no drawing in it
    // Passing over records without a drawing moves the position with it.
    if (chosen->index != lastRead)
        cur.Position = static_cast<std::int32_t>(chosen->index);
    takeRecord(cur, chosen->record);
    return true;
}

} // namespace

bool DrawingNavigator::next(const std::string& path, CurrentDrawing& cur) {
    RecordReader reader(path);
    return nextIn(reader, cur);
}

bool DrawingNavigator::next(const RecordSnapshot& records, CurrentDrawing& cur) {
    MemoryRecords reader(records.bytes.data(), records.count);
    return nextIn(reader, cur);
}

namespace {

template <class Reader>
bool nextIn(Reader& reader, CurrentDrawing& cur) {
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
        return false; // empty file, or no drawing in it
    cur.Position = static_cast<std::int32_t>(chosen->index);
    takeRecord(cur, chosen->record);
    cur.Zahl[6] = 0;
    return true;
}

} // namespace

} // namespace rz
