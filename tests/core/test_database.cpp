#include <gtest/gtest.h>

#include <filesystem>

#include "FaultInjection.h"
#include "TestSupport.h"
#include "database/DrawingDatabase.h"
#include "database/Importer.h"

using namespace rz;
using rz::test::TempDir;

namespace {

std::vector<DayNumber> datesOf(const DrawingDatabase& db) {
    std::vector<DayNumber> out;
    for (const auto& r : db.readAll())
        out.push_back(r.Date);
    return out;
}

} // namespace

TEST(DrawingRecord, BytesOfTheExampleRecord) {
    const DrawingRecord r = DrawingRecord::make(43760.0, {5, 12, 33, 41, 70}, 7, 3);
    std::uint8_t b[32];
    r.toBytes(b);
    const std::uint8_t date[8] = {0x00, 0x00, 0x00, 0x00, 0x00, 0x5E, 0xE5, 0x40};
    EXPECT_EQ(0, std::memcmp(b, date, 8));
    const std::uint8_t nums[8] = {5, 12, 33, 41, 70, 0, 7, 3};
    EXPECT_EQ(0, std::memcmp(b + 8, nums, 8));
    const DrawingRecord back = DrawingRecord::fromBytes(b);
    EXPECT_EQ(back.Date, 43760.0);
    EXPECT_EQ(back.megaBall(), 7);
    EXPECT_EQ(back.megaplier(), 3);
}

TEST(DrawingDatabase, EmptyAndPartialFiles) {
    TempDir dir;
    DrawingDatabase db(dir.file("Ruvuzevodare.dat"));
    EXPECT_FALSE(db.exists());
    EXPECT_THROW(db.readAll(), IoError);
    db.createEmpty();
    EXPECT_TRUE(db.exists());
    EXPECT_TRUE(db.readAll().empty());
    EXPECT_FALSE(db.readLast().has_value());

    // 70 bytes: two whole records, the last 6 bytes are never read.
    test::writeDatabase(db.path(), {test::rec(2019, 10, 18, {1, 2, 3, 4, 5}, 6), test::rec(2019, 10, 22, {5, 12, 33, 41, 70}, 7)});
    std::string bytes = test::readFile(db.path()) + std::string(6, '\x7f');
    test::writeFile(db.path(), bytes);
    EXPECT_EQ(db.readAll().size(), 2u);
    EXPECT_EQ(db.readLast()->Date, dayFromYmd(2019, 10, 22));

    // Appending to that file writes at the record boundary.
    db.append(test::rec(2019, 10, 25, {9, 10, 11, 12, 13}, 14));
    EXPECT_EQ(std::filesystem::file_size(db.path()), 96u);
    const auto all = db.readAll();
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all[2].Date, dayFromYmd(2019, 10, 25));
    EXPECT_EQ(all[2].main(1), 9);
}

TEST(DrawingDatabase, InsertOrReplaceKeepsDateOrder) {
    TempDir dir;
    DrawingDatabase db(dir.file("Ruvuzevodare.dat"));
    db.createEmpty();
    db.insertOrReplace(test::rec(2019, 10, 22, {5, 12, 33, 41, 70}, 7));
    EXPECT_EQ(std::filesystem::file_size(db.path()), 32u);

    db.insertOrReplace(test::rec(2019, 10, 15, {1, 2, 3, 4, 5}, 1));  // before
    db.insertOrReplace(test::rec(2019, 10, 29, {6, 7, 8, 9, 10}, 2)); // after every stored date: appended
    db.insertOrReplace(test::rec(2019, 10, 18, {11, 12, 13, 14, 15}, 3)); // between
    EXPECT_EQ(datesOf(db), (std::vector<DayNumber>{dayFromYmd(2019, 10, 15), dayFromYmd(2019, 10, 18),
                                                   dayFromYmd(2019, 10, 22), dayFromYmd(2019, 10, 29)}));
    // Same date: one record, new numbers, old place.
    db.insertOrReplace(test::rec(2019, 10, 18, {21, 22, 23, 24, 25}, 4));
    const auto all = db.readAll();
    ASSERT_EQ(all.size(), 4u);
    EXPECT_EQ(all[1].main(1), 21);
    EXPECT_EQ(all[1].megaBall(), 4);
    EXPECT_TRUE(test::temporariesBeside(db.path()).empty());
}

TEST(DrawingDatabase, RemoveDateAndByteCopies) {
    TempDir dir;
    DrawingDatabase db(dir.file("Ruvuzevodare.dat"));
    auto a = test::rec(2019, 10, 15, {1, 2, 3, 4, 5}, 1);
    a.tail[3] = 0xAB; // bytes 16..31 travel unchanged
    test::writeDatabase(db.path(), {a, test::rec(2019, 10, 18, {6, 7, 8, 9, 10}, 2)});
    const std::string before = test::readFile(db.path());
    db.removeDate(dayFromYmd(2001, 1, 1)); // not stored: identical content
    EXPECT_EQ(test::readFile(db.path()), before);
    db.removeDate(dayFromYmd(2019, 10, 18));
    const auto all = db.readAll();
    ASSERT_EQ(all.size(), 1u);
    EXPECT_EQ(all[0].tail[3], 0xAB);
    EXPECT_TRUE(test::temporariesBeside(db.path()).empty());
    EXPECT_FALSE(std::filesystem::exists(dir.file("Zahlen.da~")));
}

TEST(DrawingDatabase, FailedRebuildKeepsTheOldFile) {
    TempDir dir;
    DrawingDatabase db(dir.file("Ruvuzevodare.dat"));
    test::writeDatabase(db.path(), {test::rec(2019, 10, 15, {1, 2, 3, 4, 5}, 1)});
    const std::string before = test::readFile(db.path());
    // The temporary file cannot be created: the command fails with the
    // system's text and the database stays whole.
    for (int rebuild = 0; rebuild < 2; ++rebuild) {
        test::FaultHook hook(test::failTemporaryOf(db.path(), EACCES));
        try {
            if (rebuild == 0)
                db.insertOrReplace(test::rec(2019, 10, 18, {6, 7, 8, 9, 10}, 2));
            else
                db.removeDate(dayFromYmd(2019, 10, 15));
            FAIL() << "expected an IoError";
        } catch (const IoError& e) {
            // The temporary file beside the database is named, not the database.
            EXPECT_EQ(std::string(e.what()).rfind("\"" + db.path() + ".", 0), 0u) << e.what();
        }
        EXPECT_EQ(test::readFile(db.path()), before);
        EXPECT_TRUE(test::temporariesBeside(db.path()).empty());
    }
}

// ------------------------------------------------------------- importer

TEST(Importer, ReadsBothFormatsInDateOrder) {
    const std::string stateExport =
        "\"Draw Date\",\"Winning Numbers\",\"Mega Ball\",\"Multiplier\"\n"
        "\"10/22/2019\",\"05 12 33 41 70\",\"07\",\"03\"\n"
        "\"10/18/2019\",\"18 58 60 65 67\",\"20\",\n";
    std::vector<DrawingRecord> out;
    ImportResult res = parseDrawingHistory(stateExport, out);
    ASSERT_TRUE(res.ok) << res.error;
    ASSERT_EQ(out.size(), 2u);
    EXPECT_EQ(out[0].Date, dayFromYmd(2019, 10, 18));
    EXPECT_EQ(out[0].megaplier(), 0);
    EXPECT_EQ(out[1].main(1), 5);
    EXPECT_EQ(out[1].main(5), 70);
    EXPECT_EQ(out[1].megaBall(), 7);
    EXPECT_EQ(out[1].megaplier(), 3);

    const std::string plain = "date,n1,n2,n3,n4,n5,megaball,megaplier\r\n2002-05-17,15,18,25,33,47,30,\r\n";
    res = parseDrawingHistory(plain, out);
    ASSERT_TRUE(res.ok) << res.error;
    ASSERT_EQ(out.size(), 1u);
    EXPECT_EQ(out[0].Date, dayFromYmd(2002, 5, 17));
    EXPECT_EQ(out[0].megaBall(), 30);
}

TEST(Importer, RejectsBadLinesAndUnusableFiles) {
    std::vector<DrawingRecord> out;
    const std::string plain = "date,n1,n2,n3,n4,n5,megaball,megaplier\n"
                              "2019-10-22,5,12,33,41,70,7,3\n"
                              "2019-10-25,5,5,33,41,70,7,3\n"   // repeated number
                              "2019-10-29,5,12,33,41,99,7,3\n"  // out of range
                              "2019-02-30,1,2,3,4,5,6,\n"       // no such day
                              "2019-11-01,1,2,3,4,5\n"          // too few fields
                              "2019-10-22,1,2,3,4,5,6,\n";      // same date twice
    ImportResult res = parseDrawingHistory(plain, out);
    ASSERT_TRUE(res.ok);
    EXPECT_EQ(out.size(), 1u);
    EXPECT_EQ(res.skippedLines, (std::vector<int>{3, 4, 5, 6, 7}));
    EXPECT_NE(res.report().find("5 Zeilen übersprungen"), std::string::npos);

    for (const std::string bad : {std::string("hello,world\n1,2\n"), std::string(""),
                                  std::string("date,n1,n2,n3,n4,n5,megaball\nx,1,2,3,4,5,6\n")}) {
        res = parseDrawingHistory(bad, out);
        EXPECT_FALSE(res.ok) << bad;
        EXPECT_FALSE(res.error.empty());
    }
}

TEST(Importer, MergesIntoTheDatabaseAndLeavesItAloneOnBadFiles) {
    TempDir dir;
    const std::string dbPath = dir.file("Ruvuzevodare.dat");
    test::writeDatabase(dbPath, {test::rec(2019, 10, 18, {1, 2, 3, 4, 5}, 6), test::rec(2019, 10, 25, {6, 7, 8, 9, 10}, 11)});
    test::writeFile(dir.file("in.csv"), "2019-10-22,5,12,33,41,70,7,3\n2019-10-25,11,12,13,14,15,16,2\n");
    ImportResult res = importDrawingHistory(dir.file("in.csv"), dbPath);
    ASSERT_TRUE(res.ok);
    EXPECT_EQ(res.added, 1);
    EXPECT_EQ(res.replaced, 1);
    const auto all = DrawingDatabase(dbPath).readAll();
    ASSERT_EQ(all.size(), 3u);
    EXPECT_EQ(all[1].Date, dayFromYmd(2019, 10, 22));
    EXPECT_EQ(all[2].main(1), 11);

    const std::string before = test::readFile(dbPath);
    test::writeFile(dir.file("bad.csv"), "this is not a drawing file\n");
    res = importDrawingHistory(dir.file("bad.csv"), dbPath);
    EXPECT_FALSE(res.ok);
    EXPECT_EQ(test::readFile(dbPath), before);
    EXPECT_THROW(importDrawingHistory(dir.file("missing.csv"), dbPath), IoError);
}
