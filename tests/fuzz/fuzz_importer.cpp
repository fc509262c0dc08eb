// The importer: any bytes as a drawing history file.
// Invariants: the parse never yields a record that the game format of its
// date forbids; dates are whole, within 17 May 2000 .. "today", ascending and
// unique; every skipped line is listed once with a reason; the records survive
// a write/read round trip through CSV and through the database file.
#include <cmath>
#include <cstring>
#include <set>

#include "FuzzSupport.h"
#include "common/TextCodec.h"
#include "database/DrawingDatabase.h"
#include "database/GameFormat.h"
#include "database/Importer.h"

using namespace rz;

namespace {

const DayNumber kLatest = dayFromYmd(2026, 8, 10);

std::string csvOf(const std::vector<DrawingRecord>& records) {
    std::string s = "date,n1,n2,n3,n4,n5,megaball,megaplier\r\n";
    for (const DrawingRecord& r : records) {
        s += formatIsoDate(r.Date);
        for (int i = 1; i <= 5; ++i)
            s += "," + std::to_string(r.main(i));
        s += "," + std::to_string(r.megaBall()) + "," + (r.megaplier() ? std::to_string(r.megaplier()) : "") + "\r\n";
    }
    return s;
}

bool sameRecords(const std::vector<DrawingRecord>& a, const std::vector<DrawingRecord>& b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        std::uint8_t x[32], y[32];
        a[i].toBytes(x);
        b[i].toBytes(y);
        if (std::memcmp(x, y, 32) != 0)
            return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text = decodeText(std::string_view(reinterpret_cast<const char*>(data), size)).text;
    FUZZ_CHECK(isValidUtf8(text));
    std::vector<DrawingRecord> out;
    const ImportResult res = parseDrawingHistory(text, out, kLatest);
    FUZZ_CHECK(isValidUtf8(res.report()));
    if (!res.ok) {
        FUZZ_CHECK(!res.error.empty());
        FUZZ_CHECK(out.empty());
        return 0;
    }
    FUZZ_CHECK(!out.empty());
    FUZZ_CHECK(res.skipped == static_cast<int>(res.skippedLines.size()));
    FUZZ_CHECK(res.skipReasons.size() == res.skippedLines.size());
    for (std::size_t i = 0; i < res.skippedLines.size(); ++i) {
        FUZZ_CHECK(!res.skipReasons[i].empty());
        FUZZ_CHECK(i == 0 || res.skippedLines[i - 1] < res.skippedLines[i]);
    }
    for (std::size_t i = 0; i < out.size(); ++i) {
        const DrawingRecord& r = out[i];
        FUZZ_CHECK(r.Date == std::floor(r.Date));
        FUZZ_CHECK(r.Date >= kEarliestPickerDate && r.Date <= kLatest);
        FUZZ_CHECK(i == 0 || out[i - 1].Date < r.Date);
        const GameFormat* f = gameFormatOn(r.Date);
        FUZZ_CHECK(f != nullptr);
        std::set<int> mains;
        for (int k = 1; k <= 5; ++k) {
            FUZZ_CHECK(f->allowsMain(r.main(k)));
            mains.insert(r.main(k));
        }
        FUZZ_CHECK(mains.size() == 5);
        FUZZ_CHECK(r.Numbers[6] == 0);
        FUZZ_CHECK(f->allowsMegaBall(r.megaBall()));
        FUZZ_CHECK(f->allowsMegaplier(r.megaplier()));
        DayNumber back = 0;
        FUZZ_CHECK(parseIsoDate(formatIsoDate(r.Date), back) && back == r.Date);
    }

    // Written as CSV and read again: the same records, nothing skipped.
    std::vector<DrawingRecord> again;
    const ImportResult res2 = parseDrawingHistory(csvOf(out), again, kLatest);
    FUZZ_CHECK(res2.ok && res2.skipped == 0);
    FUZZ_CHECK(sameRecords(out, again));

    // Through the database file: replaced, read back, merged again without change.
    const DrawingDatabase db(fuzz::scratchFile("import.dat"));
    db.replaceAll(out);
    FUZZ_CHECK(sameRecords(db.readAll(), out));
    const std::string csv = fuzz::scratchFile("import.csv");
    const std::string content = csvOf(out);
    fuzz::putFile(csv, reinterpret_cast<const std::uint8_t*>(content.data()), content.size());
    const ImportResult merged = importDrawingHistory(csv, db.path(), kLatest);
    FUZZ_CHECK(merged.ok && merged.added == 0 && merged.replaced == static_cast<int>(out.size()));
    FUZZ_CHECK(sameRecords(db.readAll(), out));
    return 0;
}
