// Manual entry and deletion of drawings, the bundled history at start-up and
// the display after an import.
#include <gtest/gtest.h>

#include <functional>
#include <map>

#include "TestSupport.h"
#include "database/Maintenance.h"
#include "download/Download.h"
#include "download/Http.h"

using namespace rz;
using rz::test::TempDir;

namespace {

// Answers the drawing entry dialog; remembers what it was opened with.
struct EntryPlatform : test::ScriptedPlatform {
    std::optional<DrawingEntry> answer;
    std::vector<DrawingEntry> shown;
    std::optional<DrawingEntry> enterDrawing(const DrawingEntry& initial) override {
        shown.push_back(initial);
        return answer;
    }
};

DrawingEntry entry(int y, int m, int d, std::array<int, 5> mains, int mb, int mp, int sixth = 0) {
    DrawingEntry e;
    e.date = dayFromYmd(y, m, d);
    for (int i = 0; i < 5; ++i)
        e.numbers[static_cast<std::size_t>(i + 1)] = mains[static_cast<std::size_t>(i)];
    e.numbers[6] = sixth;
    e.numbers[7] = mb;
    e.numbers[8] = mp;
    return e;
}

// Three drawings; each carries its own bytes 16..31.
std::vector<DrawingRecord> three() {
    std::vector<DrawingRecord> v = {
        test::rec(2019, 10, 15, {4, 12, 14, 35, 70}, 2, 2),
        test::rec(2019, 10, 18, {18, 58, 60, 65, 67}, 20, 3),
        test::rec(2019, 10, 22, {8, 19, 27, 44, 66}, 21, 4),
    };
    for (std::size_t r = 0; r < v.size(); ++r)
        v[r].tail.fill(static_cast<std::uint8_t>(0xA0 + r));
    return v;
}

struct MaintenanceFixture : ::testing::Test {
    TempDir dir;
    MainModel model;
    EntryPlatform platform;

    void SetUp() override {
        platform.attach(model);
        model.Home = dir.str();
        model.sortieren = true;
    }
    void store(const std::vector<DrawingRecord>& recs) { test::writeDatabase(model.DatabasePath(), recs); }
    void show(int y, int m, int d) {
        model.DateTimePicker1.setDate(dayFromYmd(y, m, d));
        model.SpeedButton5Click();
    }
    std::vector<DrawingRecord> records() const { return model.database().readAll(); }
};

} // namespace

TEST_F(MaintenanceFixture, EntryAppendsInsertsOrReplaces) {
    struct Case {
        const char* name;
        bool empty;                        // start from an empty file
        Ymd shown;                         // drawing on display when "Eingeben" is clicked
        std::optional<DrawingEntry> typed; // nullopt: the dialog is cancelled
        std::vector<Ymd> dates;            // dates in the file afterwards
        int at;                            // index of the entered record (-1: none written)
        std::array<int, 9> numbers;        // its numbers 1..8
        int tailOf;                        // whose bytes 16..31 it carries (index in three(), -1 zeros)
        Ymd display;                       // the drawing on display afterwards
    } cases[] = {
        {"a date after the last drawing is appended, sorted; the display shows it",
         false, {2019, 10, 22}, entry(2019, 10, 25, {70, 5, 33, 12, 41}, 7, 3),
         {{2019, 10, 15}, {2019, 10, 18}, {2019, 10, 22}, {2019, 10, 25}}, 3, {0, 5, 12, 33, 41, 70, 0, 7, 3}, 2,
         {2019, 10, 25}},
        {"a stored date is replaced in place; the display shows the correction",
         false, {2019, 10, 18}, entry(2019, 10, 18, {60, 58, 18, 67, 65}, 21, 2),
         {{2019, 10, 15}, {2019, 10, 18}, {2019, 10, 22}}, 1, {0, 18, 58, 60, 65, 67, 0, 21, 2}, 1,
         {2019, 10, 18}},
        {"the last drawing is replaced, not appended a second time",
         false, {2019, 10, 22}, entry(2019, 10, 22, {1, 2, 3, 4, 5}, 6, 1),
         {{2019, 10, 15}, {2019, 10, 18}, {2019, 10, 22}}, 2, {0, 1, 2, 3, 4, 5, 0, 6, 1}, 2,
         {2019, 10, 22}},
        {"a date between two drawings is inserted between them",
         false, {2019, 10, 22}, entry(2019, 10, 20, {1, 2, 3, 4, 5}, 6, 0),
         {{2019, 10, 15}, {2019, 10, 18}, {2019, 10, 20}, {2019, 10, 22}}, 2, {0, 1, 2, 3, 4, 5, 0, 6, 0}, 2,
         {2019, 10, 20}},
        {"a date before the first drawing is inserted first",
         false, {2019, 10, 15}, entry(2019, 10, 11, {9, 8, 7, 6, 5}, 4, 5),
         {{2019, 10, 11}, {2019, 10, 15}, {2019, 10, 18}, {2019, 10, 22}}, 0, {0, 5, 6, 7, 8, 9, 0, 4, 5}, 0,
         {2019, 10, 11}},
        {"an empty file gets one record, and the display shows it",
         true, {2019, 10, 22}, entry(2019, 10, 22, {70, 5, 33, 12, 41}, 7, 3),
         {{2019, 10, 22}}, 0, {0, 5, 12, 33, 41, 70, 0, 7, 3}, -1, {2019, 10, 22}},
        {"the hidden sixth field is carried as it is",
         false, {2019, 10, 22}, entry(2019, 10, 25, {1, 2, 3, 4, 5}, 6, 0, 9),
         {{2019, 10, 15}, {2019, 10, 18}, {2019, 10, 22}, {2019, 10, 25}}, 3, {0, 1, 2, 3, 4, 5, 9, 6, 0}, 2,
         {2019, 10, 25}},
        {"cancel writes nothing",
         false, {2019, 10, 18}, std::nullopt,
         {{2019, 10, 15}, {2019, 10, 18}, {2019, 10, 22}}, -1, {}, -1, {2019, 10, 18}},
        {"a number twice is refused, nothing written",
         false, {2019, 10, 18}, entry(2019, 10, 25, {5, 5, 33, 12, 41}, 7, 3),
         {{2019, 10, 15}, {2019, 10, 18}, {2019, 10, 22}}, -1, {}, -1, {2019, 10, 18}},
        {"a MegaBall above 25 is refused",
         false, {2019, 10, 18}, entry(2019, 10, 25, {1, 2, 3, 4, 5}, 26, 3),
         {{2019, 10, 15}, {2019, 10, 18}, {2019, 10, 22}}, -1, {}, -1, {2019, 10, 18}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        store(c.empty ? std::vector<DrawingRecord>{} : three());
        platform.messages.clear();
        show(c.shown.year, c.shown.month, c.shown.day);
        platform.answer = c.typed;
        model.BitBtn8Click();

        const auto after = records();
        ASSERT_EQ(after.size(), c.dates.size());
        for (std::size_t i = 0; i < after.size(); ++i)
            EXPECT_EQ(after[i].Date, dayFromYmd(c.dates[i].year, c.dates[i].month, c.dates[i].day)) << i;
        if (c.at >= 0) {
            const DrawingRecord& r = after[static_cast<std::size_t>(c.at)];
            for (int i = 1; i <= 8; ++i)
                EXPECT_EQ(r.Numbers[static_cast<std::size_t>(i)], c.numbers[static_cast<std::size_t>(i)]) << i;
            std::array<std::uint8_t, 16> tail{};
            if (c.tailOf >= 0)
                tail = three()[static_cast<std::size_t>(c.tailOf)].tail;
            EXPECT_EQ(r.tail, tail);
            EXPECT_TRUE(platform.messages.empty());
        } else if (c.typed) {
            EXPECT_EQ(platform.messages.size(), 1u);
        }
        EXPECT_EQ(model.cur.Datum1, dayFromYmd(c.display.year, c.display.month, c.display.day));
    }
}

TEST_F(MaintenanceFixture, DialogOpensOnTheDrawingOfTheChosenDateElseTheLast) {
    store(three());
    struct Case {
        Ymd picker;
        Ymd opened;
        int megaBall;
    } cases[] = {
        {{2019, 10, 18}, {2019, 10, 18}, 20},
        {{2019, 10, 16}, {2019, 10, 22}, 21}, // no drawing on that day: the last one
        {{2020, 1, 1}, {2019, 10, 22}, 21},
    };
    for (const Case& c : cases) {
        platform.shown.clear();
        platform.answer.reset();
        model.DateTimePicker1.setDate(dayFromYmd(c.picker.year, c.picker.month, c.picker.day));
        model.BitBtn8Click();
        ASSERT_EQ(platform.shown.size(), 1u);
        EXPECT_EQ(platform.shown[0].date, dayFromYmd(c.opened.year, c.opened.month, c.opened.day));
        EXPECT_EQ(platform.shown[0].numbers[7], c.megaBall);
    }
    // An empty file: the empty record dated 17 May 2000.
    store({});
    platform.shown.clear();
    model.BitBtn8Click();
    ASSERT_EQ(platform.shown.size(), 1u);
    EXPECT_EQ(platform.shown[0].date, kEarliestPickerDate);
    EXPECT_EQ(platform.shown[0].numbers, (std::array<int, 9>{}));
}

TEST_F(MaintenanceFixture, DeleteMovesTheDisplayOn) {
    struct Case {
        const char* name;
        Ymd shown;
        std::vector<Ymd> left;
        Ymd display;
    } cases[] = {
        {"a middle drawing: the next later one is shown", {2019, 10, 18}, {{2019, 10, 15}, {2019, 10, 22}},
         {2019, 10, 22}},
        {"the last drawing: the new last one is shown", {2019, 10, 22}, {{2019, 10, 15}, {2019, 10, 18}},
         {2019, 10, 18}},
        {"the first drawing", {2019, 10, 15}, {{2019, 10, 18}, {2019, 10, 22}}, {2019, 10, 18}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        store(three());
        show(c.shown.year, c.shown.month, c.shown.day);
        model.deleteShownDrawing();
        const auto after = records();
        ASSERT_EQ(after.size(), c.left.size());
        for (std::size_t i = 0; i < after.size(); ++i) {
            EXPECT_EQ(after[i].Date, dayFromYmd(c.left[i].year, c.left[i].month, c.left[i].day));
            EXPECT_EQ(after[i].tail, three()[after[i].Date == dayFromYmd(2019, 10, 15) ? 0
                                             : after[i].Date == dayFromYmd(2019, 10, 18) ? 1 : 2].tail);
        }
        EXPECT_EQ(model.cur.Datum1, dayFromYmd(c.display.year, c.display.month, c.display.day));
        EXPECT_FALSE(model.busy);
        EXPECT_TRUE(platform.messages.empty());
    }
}

TEST_F(MaintenanceFixture, DeletingTheOnlyDrawingLeavesAnEmptyFileAndTheDisplay) {
    store({test::rec(2019, 10, 22, {5, 12, 33, 41, 70}, 7, 3)});
    show(2019, 10, 22);
    const std::string caption = model.Label29;
    model.deleteShownDrawing();
    EXPECT_EQ(test::readFile(model.DatabasePath()), "");
    EXPECT_EQ(model.Label29, caption);
    EXPECT_EQ(model.cur.Datum1, dayFromYmd(2019, 10, 22));
}

TEST_F(MaintenanceFixture, EnteredAndDeletedAgainLeavesTheFileByteIdentical) {
    store(three());
    const std::string before = test::readFile(model.DatabasePath());
    for (const DrawingEntry& e : {entry(2019, 10, 25, {70, 5, 33, 12, 41}, 7, 3), entry(2019, 10, 20, {1, 2, 3, 4, 5}, 6, 0)}) {
        show(2019, 10, 22);
        platform.answer = e;
        model.BitBtn8Click();
        EXPECT_EQ(records().size(), 4u);
        model.DateTimePicker1.setDate(e.date);
        model.SpeedButton5Click();
        model.deleteShownDrawing();
        EXPECT_EQ(test::readFile(model.DatabasePath()), before);
    }
}

TEST_F(MaintenanceFixture, MissingFileIsAnIoErrorForBothCommands) {
    platform.answer = entry(2019, 10, 25, {1, 2, 3, 4, 5}, 6, 0);
    EXPECT_THROW(model.BitBtn8Click(), IoError);
    EXPECT_THROW(model.deleteShownDrawing(), IoError);
    EXPECT_FALSE(model.busy);
    EXPECT_FALSE(model.database().exists());
}

// A drawing dated after today would make every later download start after it
// and ask for nothing; the entry refuses it and the file stays as it was.
TEST_F(MaintenanceFixture, DateAfterTodayIsRefusedWithTheReason) {
    FixedClock clock(dayFromYmd(2019, 10, 25));
    Services s = model.services();
    s.clock = &clock;
    model.setServices(s);
    struct Case {
        const char* name;
        DrawingEntry typed;
        bool stored;
    } cases[] = {
        {"today is taken", entry(2019, 10, 25, {1, 2, 3, 4, 5}, 6, 2), true},
        {"tomorrow is refused", entry(2019, 10, 26, {1, 2, 3, 4, 5}, 6, 2), false},
        {"a mistyped year is refused", entry(2030, 8, 7, {1, 2, 3, 4, 5}, 6, 2), false},
        {"the date is checked before the numbers", entry(2030, 8, 7, {1, 1, 3, 4, 5}, 6, 2), false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        store(three());
        platform.messages.clear();
        platform.answer = c.typed;
        show(2019, 10, 22);
        model.BitBtn8Click();
        EXPECT_EQ(records().size(), c.stored ? 4u : 3u);
        if (c.stored) {
            EXPECT_TRUE(platform.messages.empty());
        } else {
            ASSERT_EQ(platform.messages.size(), 1u);
            EXPECT_EQ(platform.messages[0], "Die Ziehung vom " + formatShortDate(c.typed.date, 0) +
                                                " liegt nach dem heutigen Tag (25.10.2019) und wird nicht gespeichert.");
        }
    }
    // The plain field check knows no "today".
    EXPECT_FALSE(entryError(entry(2030, 8, 7, {1, 2, 3, 4, 5}, 6, 2)).has_value());
}

TEST(EntryCheck, RangesAndRepeats) {
    struct Case {
        DrawingEntry e;
        bool ok;
    } cases[] = {
        {entry(2019, 10, 25, {1, 2, 3, 4, 70}, 25, 5), true},
        {entry(2019, 10, 25, {1, 2, 3, 4, 71}, 25, 5), false},
        {entry(2019, 10, 25, {0, 2, 3, 4, 5}, 1, 0), false},
        {entry(2019, 10, 25, {1, 2, 3, 4, 4}, 1, 0), false},
        {entry(2019, 10, 25, {1, 2, 3, 4, 5}, 0, 0), false},
        {entry(2019, 10, 25, {1, 2, 3, 4, 5}, 1, 6), false},
        {entry(2019, 10, 25, {1, 2, 3, 4, 5}, 1, -1), false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(!entryError(c.e).has_value(), c.ok);
}

TEST(EntryCheck, TheRangesAreThoseOfTheGameOnTheDrawingsDate) {
    struct Case {
        DrawingEntry e;
        const char* refusal; // empty: stored
    } cases[] = {
        // 1..24 since the change of 8 April 2025
        {entry(2025, 4, 8, {1, 2, 3, 4, 5}, 25, 0), "MegaBall 25 liegt nicht in 1–24 (Spielformat 5/70 + 1/24, ohne Megaplier am 08.04.2025)"},
        {entry(2026, 12, 11, {1, 2, 3, 4, 5}, 25, 0), "MegaBall 25 liegt nicht in 1–24 (Spielformat 5/70 + 1/24, ohne Megaplier am 11.12.2026)"},
        {entry(2025, 4, 8, {1, 2, 3, 4, 70}, 24, 0), ""},
        // older drawings keep their game's ranges
        {entry(2025, 4, 4, {1, 2, 3, 4, 5}, 25, 2), ""},
        {entry(2016, 6, 3, {1, 2, 3, 4, 75}, 15, 2), ""},
        {entry(2016, 6, 3, {1, 2, 3, 4, 5}, 16, 2), "MegaBall 16 liegt nicht in 1–15 (Spielformat 5/75 + 1/15 am 03.06.2016)"},
        {entry(2010, 6, 1, {1, 2, 3, 4, 56}, 46, 2), ""},
        {entry(2010, 6, 1, {1, 2, 3, 4, 57}, 46, 2), "Hauptzahl 57 liegt nicht in 1–56 (Spielformat 5/56 + 1/46 am 01.06.2010)"},
    };
    for (const Case& c : cases) {
        const auto refusal = entryError(c.e);
        EXPECT_EQ(refusal.value_or(""), c.refusal) << formatIsoDate(c.e.date);
    }
    // The date in the message in the user's language.
    EXPECT_EQ(entryError(entry(2026, 12, 11, {1, 2, 3, 4, 5}, 25, 0), 2).value_or("").find("12/11/2026") != std::string::npos,
              true);
}

// ------------------------------------------------------------- bundled history

namespace {

const char* kHistory = "date,n1,n2,n3,n4,n5,megaball,megaplier\n"
                       "2019-10-15,4,12,14,35,70,2,2\n"
                       "2019-10-18,18,58,60,65,67,20,3\n"
                       "2019-10-22,5,12,33,41,70,7,\n";

} // namespace

TEST(BundledHistory, FillsAMissingDatabaseAtStartUp) {
    struct Case {
        const char* name;
        const char* history;   // nullptr: no file
        bool databaseBefore;
        std::size_t records;
        std::vector<std::string> messages;
        const char* status;
    } cases[] = {
        {"missing database, history beside the program", kHistory, false, 3, {},
         "3 Ziehungen aus den mitgelieferten Daten geladen, bis 22.10.2019"},
        {"no history: the empty file and the request to load data", nullptr, false, 0,
         {"Lesen Sie zuerst die Daten der Ziehungen ein"}, ""},
        {"a database exists: the history is not used", kHistory, true, 1, {}, ""},
        {"a history that is no drawing file", "<html>", false, 0, {"Lesen Sie zuerst die Daten der Ziehungen ein"},
         "Mitgelieferte Ziehungsdaten nicht geladen: "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TempDir home;
        test::ScriptedPlatform platform;
        MainModel model;
        platform.attach(model);
        if (c.history) {
            std::filesystem::create_directories(home.file("history"));
            test::writeFile(home.file("history/megamillions.csv"), c.history);
        }
        if (c.databaseBefore)
            test::writeDatabase(home.file("Ruvuzevodare.dat"), {test::rec(2019, 10, 1, {1, 2, 3, 4, 5}, 6)});
        model.FormCreate(home.str());
        model.SpracheSetzen();

        EXPECT_EQ(model.database().readAll().size(), c.records);
        EXPECT_EQ(platform.messages, c.messages);
        EXPECT_EQ(model.StatusPanel[1].rfind(c.status, 0), 0u) << model.StatusPanel[1];
        if (c.records == 3) {
            EXPECT_EQ(model.cur.Datum1, dayFromYmd(2019, 10, 22)); // the newest drawing
            EXPECT_EQ(model.cur.Zahl[8], 0);                       // no Megaplier given
        }
    }
}

TEST(ImportCommand, ShowsTheNewestDrawing) {
    TempDir home;
    test::ScriptedPlatform platform;
    MainModel model;
    platform.attach(model);
    model.Home = home.str();
    model.sortieren = true;
    test::writeDatabase(model.DatabasePath(), {});
    model.DateTimePicker1.setDate(kEarliestPickerDate); // as a run on an empty file leaves it
    test::writeFile(home.file("h.csv"), kHistory);
    platform.fileAnswers = {home.file("h.csv")};
    model.importCommand();
    EXPECT_EQ(model.cur.Datum1, dayFromYmd(2019, 10, 22));
    EXPECT_EQ(model.DateTimePicker1.date, dayFromYmd(2019, 10, 22));
}

// ------------------------------------------- adds decided under the lock

namespace {

// Answers the drawing request from a table "yyyymmdd" -> body at once; lets
// a test act (as a second program would) when a request goes out.
struct TableHttp : IHttp {
    std::map<std::string, std::string> bodies;
    std::function<void(const std::string& date)> onRequest;
    std::map<Id, HttpResponse> done;
    Id next = 1;
    Id start(const HttpRequest& r) override {
        const std::size_t at = r.url.find("Datum=");
        const std::string date = at == std::string::npos ? std::string() : r.url.substr(at + 6);
        if (onRequest)
            onRequest(date);
        HttpResponse res;
        res.status = 200;
        res.statusLine = "HTTP/1.1 200 OK";
        if (const auto it = bodies.find(date); it != bodies.end())
            res.body = it->second;
        done[next] = res;
        return next++;
    }
    bool finished(Id) override { return true; }
    void wait(Id, int) override {}
    void abort(Id) override {}
    HttpResponse take(Id id) override {
        HttpResponse r = done[id];
        done.erase(id);
        return r;
    }
};

std::vector<DayNumber> datesIn(const MainModel& m) {
    std::vector<DayNumber> out;
    for (const DrawingRecord& r : m.database().readAll())
        out.push_back(r.Date);
    return out;
}

// A second program adds a drawing while the entry dialog is open.
struct BusyEntryPlatform : EntryPlatform {
    std::function<void()> meanwhile;
    std::optional<DrawingEntry> enterDrawing(const DrawingEntry& initial) override {
        if (meanwhile)
            meanwhile();
        return EntryPlatform::enterDrawing(initial);
    }
};

} // namespace

// The entry dialog decided "append" from the last date it saw when it opened;
// a drawing added meanwhile by another program put the file out of date order
// or stored a date twice.
TEST(AddsUnderTheLock, AnEntryMadeWhileAnotherProgramAddsKeepsDateOrderAndOneRecordPerDate) {
    struct Case {
        const char* name;
        Ymd otherAdds;      // by the second program while the dialog is open
        Ymd entered;
        std::vector<Ymd> expected;
    };
    const std::vector<Case> cases = {
        {"a later date meanwhile", {2019, 10, 25}, {2019, 10, 22}, {{2019, 10, 15}, {2019, 10, 18}, {2019, 10, 22}, {2019, 10, 25}}},
        {"the same date meanwhile", {2019, 10, 22}, {2019, 10, 22}, {{2019, 10, 15}, {2019, 10, 18}, {2019, 10, 22}}},
    };
    for (const Case& c : cases) {
        TempDir dir;
        MainModel model;
        BusyEntryPlatform platform;
        platform.attach(model);
        model.Home = dir.str();
        model.sortieren = true;
        std::vector<DrawingRecord> two = three();
        two.pop_back(); // 15 and 18 October
        test::writeDatabase(model.DatabasePath(), two);
        model.DateTimePicker1.setDate(dayFromYmd(2019, 10, 18));
        model.SpeedButton5Click();
        platform.meanwhile = [&] {
            DrawingDatabase(model.DatabasePath())
                .append(test::rec(c.otherAdds.year, c.otherAdds.month, c.otherAdds.day, {1, 2, 3, 4, 5}, 6));
        };
        platform.answer = entry(c.entered.year, c.entered.month, c.entered.day, {10, 20, 30, 40, 50}, 9, 2);
        model.BitBtn8Click();
        std::vector<DayNumber> expected;
        for (const Ymd& y : c.expected)
            expected.push_back(dayFromYmd(y.year, y.month, y.day));
        EXPECT_EQ(datesIn(model), expected) << c.name;
        for (const DrawingRecord& r : model.database().readAll())
            if (r.Date == dayFromYmd(c.entered.year, c.entered.month, c.entered.day))
                EXPECT_EQ(r.main(1), 10) << c.name << ": the entry replaces the drawing of its date";
    }
}

// The download decided where its drawings go from the last date before its
// first request; a drawing added meanwhile (a manual entry, a second
// download) ended up twice, or before an earlier one.
TEST(AddsUnderTheLock, ADownloadWhileAnotherProgramAddsKeepsDateOrderAndNeverStoresADateTwice) {
    struct Case {
        const char* name;
        Ymd otherAdds;
        std::vector<Ymd> expected;
    };
    const std::vector<Case> cases = {
        {"the next date meanwhile", {2019, 10, 25}, {{2019, 10, 15}, {2019, 10, 18}, {2019, 10, 25}, {2019, 10, 29}}},
        {"a later date meanwhile", {2019, 10, 29}, {{2019, 10, 15}, {2019, 10, 18}, {2019, 10, 25}, {2019, 10, 29}}},
    };
    for (const Case& c : cases) {
        TempDir dir;
        MainModel model;
        test::ScriptedPlatform platform;
        TableHttp http;
        FixedClock clock(dayFromYmd(2019, 10, 30));
        model.setServices({.dialogs = &platform, .shell = &platform, .sound = &platform, .events = &platform,
                           .clock = &clock, .http = &http});
        model.Home = dir.str();
        model.sortieren = true;
        model.ServerAddress = "http://127.0.0.1:9";
        std::vector<DrawingRecord> two = three();
        two.pop_back(); // 15 and 18 October
        test::writeDatabase(model.DatabasePath(), two);
        http.bodies = {{"20191025", "16,24,25,52,60,6,3"}, {"20191029", "1,2,3,4,5,7,2"}};
        bool once = false;
        http.onRequest = [&](const std::string&) {
            if (once)
                return;
            once = true;
            DrawingDatabase(model.DatabasePath())
                .append(test::rec(c.otherAdds.year, c.otherAdds.month, c.otherAdds.day, {11, 12, 13, 14, 15}, 8));
        };
        model.KalventoClick();
        std::vector<DayNumber> expected;
        for (const Ymd& y : c.expected)
            expected.push_back(dayFromYmd(y.year, y.month, y.day));
        EXPECT_EQ(datesIn(model), expected) << c.name;
        // A stored drawing is never replaced by a download.
        for (const DrawingRecord& r : model.database().readAll())
            if (r.Date == dayFromYmd(c.otherAdds.year, c.otherAdds.month, c.otherAdds.day))
                EXPECT_EQ(r.main(1), 11) << c.name;
    }
}

// ------------------------------------------------ answers that are no drawing

namespace {

struct AnswerRun {
    TempDir dir;
    MainModel model;
    test::ScriptedPlatform platform;
    TableHttp http;
    FixedClock clock{dayFromYmd(2019, 10, 27)};
    AnswerRun() {
        model.setServices({.dialogs = &platform, .shell = &platform, .sound = &platform, .events = &platform,
                           .clock = &clock, .http = &http});
        model.Home = dir.str();
        model.sortieren = true;
        model.ServerAddress = "http://127.0.0.1:9";
        std::vector<DrawingRecord> two = three();
        two.pop_back(); // 15 and 18 October; the next date asked for is 22 October
        test::writeDatabase(model.DatabasePath(), two);
    }
};

} // namespace

// A 10 MB answer line that is no drawing: the user is shown its start, not
// megabytes (which froze the window for minutes), and the work on it ends.
TEST(AnswersThatAreNoDrawing, AHugeLineIsShownShortened) {
    struct Case {
        const char* name;
        std::string body;
        std::string shownStart;
    };
    const std::vector<Case> cases = {
        {"10 MB of one character", std::string(10 * 1024 * 1024, 'x'), std::string(200, 'x')},
        {"10 MB of commas", std::string(10 * 1024 * 1024, ','), std::string(200, ',')},
        {"10 MB of a two-byte character", [] {
             std::string s;
             for (int i = 0; i < 5 * 1024 * 1024; ++i)
                 s += "ä";
             return s;
         }(), [] {
             std::string s;
             for (int i = 0; i < 200; ++i)
                 s += "ä";
             return s;
         }()},
        {"a short notice", "Server wird gewartet", "Server wird gewartet"},
    };
    for (const Case& c : cases) {
        AnswerRun run;
        run.http.bodies = {{"20191022", c.body}};
        run.model.KalventoClick();
        EXPECT_EQ(run.model.lastDownload.end, DownloadEnd::BadAnswer) << c.name;
        ASSERT_EQ(run.platform.messages.size(), 1u) << c.name;
        const std::string& shown = run.platform.messages[0];
        EXPECT_EQ(shown, c.body.size() > 1000 ? c.shownStart + "…" : c.shownStart) << c.name;
        EXPECT_EQ(run.model.lastDownload.message, shown) << c.name;
        EXPECT_EQ(run.model.database().readAll().size(), 2u) << c.name;
    }
}

// One line per date is expected; an answer's lines after the 100th are not
// taken at all (an endless answer of drawing lines wrote 127,550 records).
TEST(AnswersThatAreNoDrawing, OnlyTheFirstHundredLinesOfAnAnswerAreTaken) {
    std::string body;
    for (int i = 0; i < 100; ++i)
        body += "16,24,25,52,60,6,3\r\n";
    AnswerRun taken;
    taken.http.bodies = {{"20191022", body + "no drawing\r\n"}};
    taken.model.KalventoClick();
    EXPECT_EQ(taken.model.lastDownload.end, DownloadEnd::Completed);
    EXPECT_TRUE(taken.platform.messages.empty());
    EXPECT_EQ(taken.model.database().readAll().size(), 2u + 100u); // every line taken up to the 100th
    EXPECT_EQ(splitAnswerLines(body + body).size(), 100u);
    EXPECT_EQ(splitAnswerLines(std::string(10 * 1024 * 1024, '\n')).size(), 100u);
}
