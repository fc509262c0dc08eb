// The database readers: any bytes as "Ruvuzevodare.dat", then lookups,
// steps and every statistics routine of the main window.
// Invariants: the current drawing is always a record of the file with a
// readable date (or unchanged when the file holds none), its position indexes
// that record, steps move by whole drawings in their direction and stop at
// either end; statistics keys ascend, counts are within the number of
// drawings; a file that is no drawing database is never changed, and one that
// is survives a rebuild byte for byte (less a broken end).
#include <cmath>
#include <cstring>

#include "FuzzSupport.h"
#include "app/MainModel.h"
#include "database/DrawingDatabase.h"

using namespace rz;

namespace {

bool isDrawing(const DrawingRecord& r) { return isRepresentableDay(r.Date) && r.Date > 0.0; }

struct Checker {
    MainModel& m;
    const std::vector<DrawingRecord>& records;
    bool anyDrawing = false;

    void current() const {
        FUZZ_CHECK(isRepresentableDay(m.cur.Datum1));
        FUZZ_CHECK(m.Label29.find("??") == std::string::npos);
        if (!anyDrawing)
            return;
        FUZZ_CHECK(m.cur.Position >= 0 && static_cast<std::size_t>(m.cur.Position) < records.size());
        const DrawingRecord& r = records[static_cast<std::size_t>(m.cur.Position)];
        FUZZ_CHECK(isDrawing(r));
        // The picker refuses dates before its earliest one and takes that instead.
        if (r.Date >= m.DateTimePicker1.minDate)
            FUZZ_CHECK(m.cur.Datum1 == r.Date);
        for (int k = 1; k <= 5; ++k)
            FUZZ_CHECK(m.cur.Zahl[static_cast<std::size_t>(k)] == r.Numbers[static_cast<std::size_t>(k)]);
    }

    void table(std::int64_t drawings) const {
        const StatisticsTable& t = m.chart;
        for (std::size_t i = 0; i < t.Entries.size(); ++i) {
            FUZZ_CHECK(i == 0 || t.Entries[i - 1].Key < t.Entries[i].Key);
            FUZZ_CHECK(t.Entries[i].Value >= 0);
            FUZZ_CHECK(t.Entries[i].Value <= 5 * drawings);
            if (t.fixedAxis)
                FUZZ_CHECK(t.Entries[i].Value >= t.RangeMin && t.Entries[i].Value <= t.RangeMax);
        }
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string home = fuzz::scratchFolder().string() + "/";
    const std::string path = home + "Ruvuzevodare.dat";
    fuzz::putFile(path, data, size);

    MainModel m;
    m.Home = home;
    m.sortieren = true;
    const std::vector<DrawingRecord> records = DrawingDatabase(path).readAll();
    FUZZ_CHECK(records.size() == size / DrawingRecord::kSize);
    Checker check{m, records};
    for (const DrawingRecord& r : records)
        check.anyDrawing = check.anyDrawing || isDrawing(r);

    // Lookups for fixed dates and for dates of the file itself.
    std::vector<DayNumber> dates = {kEarliestPickerDate, dayFromYmd(2019, 10, 22), dayFromYmd(2100, 1, 1)};
    for (std::size_t i = 0; i < records.size() && i < 4; ++i)
        dates.push_back(records[i].Date);
    for (DayNumber d : dates) {
        if (!m.DateTimePicker1.setDate(d))
            m.DateTimePicker1.date = m.DateTimePicker1.minDate;
        m.SpeedButton5Click();
        check.current();
        for (int i = 0; i < 3; ++i) {
            const std::int32_t before = m.cur.Position;
            m.SpeedButton7Click();
            check.current();
            FUZZ_CHECK(!check.anyDrawing || m.cur.Position >= before);
        }
        for (int i = 0; i < 4; ++i) {
            const std::int32_t before = m.cur.Position;
            m.SpeedButton6Click();
            check.current();
            FUZZ_CHECK(!check.anyDrawing || m.cur.Position <= before);
        }
    }

    // Statistics over the whole history up to the last lookup.
    m.DateTimePicker2.date = m.DateTimePicker2.minDate;
    m.DateTimePicker1.date = dayFromYmd(2100, 1, 1);
    const std::int64_t n = static_cast<std::int64_t>(records.size());
    for (auto routine : {&MainModel::SpeedButton2Click, &MainModel::Button5Click, &MainModel::SpeedButton3Click,
                         &MainModel::Button8Click, &MainModel::Button2Click, &MainModel::Button3Click,
                         &MainModel::Button4Click, &MainModel::SpeedButton9Click}) {
        (m.*routine)();
        check.table(n);
    }

    // A rebuild that removes nothing: the same bytes (less a broken end), or a
    // refusal that leaves the file alone.
    const std::string before = fuzz::getFile(path);
    DayNumber absent = -1.0;
    for (const DrawingRecord& r : records)
        if (r.Date == absent)
            absent -= 1.0;
    bool refused = false;
    try {
        DrawingDatabase(path).removeDate(absent);
    } catch (const IoError& e) {
        refused = true;
        FUZZ_CHECK(std::strstr(e.what(), "ist keine Ziehungsdatenbank") != nullptr);
    }
    const bool looksLikeDatabase =
        !DrawingDatabase::firstUnreadableRecord(reinterpret_cast<const std::uint8_t*>(before.data()), before.size());
    FUZZ_CHECK(refused == !looksLikeDatabase);
    const std::string after = fuzz::getFile(path);
    if (refused)
        FUZZ_CHECK(after == before);
    else
        FUZZ_CHECK(after == before.substr(0, before.size() / DrawingRecord::kSize * DrawingRecord::kSize));
    return 0;
}
