// The drawing file under crashes, I/O errors, bad input and a second writer.
#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cmath>
#include <filesystem>
#include <limits>
#include <thread>

#include "FaultInjection.h"
#include "TestSupport.h"
#include "database/DatabaseLock.h"
#include "database/GameFormat.h"
#include "database/Importer.h"

#if !defined(_WIN32)
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

using namespace rz;
using rz::test::FaultHook;
using rz::test::Step;
using rz::test::TempDir;
namespace fs = std::filesystem;

namespace {

const DayNumber kToday = dayFromYmd(2026, 8, 10); // "today" for the importer

const std::vector<DrawingRecord> kStored = {
    test::rec(2019, 10, 15, {4, 12, 14, 35, 70}, 2, 2),
    test::rec(2019, 10, 18, {18, 58, 60, 65, 67}, 20, 3),
};
const char* const kNewDrawing = "2019-10-22,5,12,33,41,70,7,3\n";

std::string errorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const IoError& e) {
        return e.what();
    }
    return std::string();
}

DrawingRecord withDate(DayNumber d) {
    DrawingRecord r = test::rec(2019, 1, 1, {1, 2, 3, 4, 5}, 6);
    r.Date = d;
    return r;
}

// One plain CSV line through the parser: the skip reason, or "" when taken.
std::string verdict(const std::string& line) {
    std::vector<DrawingRecord> out;
    const ImportResult res = parseDrawingHistory("date,n1,n2,n3,n4,n5,megaball,megaplier\n" + line + "\n", out, kToday);
    if (res.ok && res.skipped == 0)
        return std::string();
    return res.skipReasons.empty() ? res.error : res.skipReasons[0];
}

struct DbFixture : ::testing::Test {
    TempDir dir;
    std::string db;
    std::string csv;
    void SetUp() override {
        db = dir.file("Ruvuzevodare.dat");
        csv = dir.file("in.csv");
        test::writeDatabase(db, kStored);
        test::writeFile(csv, kNewDrawing);
    }
    // Every way the program changes an existing database.
    std::vector<std::pair<const char*, std::function<void()>>> writers() const {
        const DrawingDatabase d(db);
        const DrawingRecord r = test::rec(2019, 10, 25, {1, 2, 3, 4, 5}, 6);
        return {
            {"import", [this] { importDrawingHistory(csv, db, kToday); }},
            {"insertOrReplace", [d, r] { d.insertOrReplace(r); }},
            {"removeDate", [d] { d.removeDate(dayFromYmd(2019, 10, 15)); }},
            {"append", [d, r] { d.append(r); }},
            {"replaceAll", [d, r] { d.replaceAll({r}); }},
        };
    }
};

} // namespace

// --------------------------------------------- failed syncs and read errors

TEST_F(DbFixture, FailedWriteOrSyncFailsTheImportAndChangesNothing) {
    const std::string before = test::readFile(db);
#if defined(_WIN32)
    const std::vector<Step> steps{Step::Write, Step::SyncFile, Step::Close, Step::Rename}; // no folder sync
#else
    const std::vector<Step> steps{Step::Write, Step::SyncFile, Step::Close, Step::SyncFolder, Step::Rename};
#endif
    for (Step step : steps) {
        FaultHook hook(test::failNth(step, 1, EIO));
        const std::string error = errorOf([&] { importDrawingHistory(csv, db, kToday); });
        EXPECT_NE(error.find(systemErrorText(EIO)), std::string::npos) << fileio_test::stepName(step) << ": " << error;
        EXPECT_EQ(test::readFile(db), before) << fileio_test::stepName(step);
        EXPECT_TRUE(test::temporariesBeside(db).empty()) << fileio_test::stepName(step);
    }
    // Without a failure the same import goes through.
    EXPECT_EQ(importDrawingHistory(csv, db, kToday).added, 1);
}

TEST_F(DbFixture, ReadErrorInTheInputFailsTheImportWithTheSystemText) {
    std::string history = "date,n1,n2,n3,n4,n5,megaball,megaplier\n";
    for (int i = 0; i < 400; ++i)
        history += formatIsoDate(dayFromYmd(2018, 1, 2) + 3.5 * i) + ",1,2,3,4,5,6,\n";
    test::writeFile(csv, history);
    const std::string before = test::readFile(db);
    for (int nth : {1, 2}) {
        FaultHook hook(test::failNth(Step::Read, nth, EIO));
        const std::string error = errorOf([&] { importDrawingHistory(csv, db, kToday); });
        EXPECT_EQ(error, "\"" + csv + "\" kann nicht gelesen werden: " + systemErrorText(EIO)) << nth;
        EXPECT_EQ(test::readFile(db), before);
    }
}

// ------------------------------------------------ permissions and links

#if !defined(_WIN32)
TEST_F(DbFixture, WriteProtectedDatabaseIsReportedAndKept) {
    const std::string before = test::readFile(db);
    ::chmod(db.c_str(), 0444);
    for (const auto& [name, write] : writers()) {
        const std::string error = errorOf(write);
        EXPECT_NE(error.find("schreibgeschützt"), std::string::npos) << name << ": " << error;
        EXPECT_EQ(test::readFile(db), before) << name;
        struct stat st {};
        ::stat(db.c_str(), &st);
        EXPECT_EQ(st.st_mode & 07777, 0444u) << name;
    }
}

TEST_F(DbFixture, RebuildsKeepModeAndLinksAndNeverWriteThroughAStaleTemporaryLink) {
    ::chmod(db.c_str(), 0600);
    test::writeFile(dir.file("victim"), "precious");
    fs::create_symlink(dir.file("victim"), db + "~");
    fs::create_symlink(dir.file("victim"), dir.file("Zahlen.da~"));
    for (const auto& [name, write] : writers()) {
        if (std::string(name) == "append")
            continue; // writes in place
        write();
        struct stat st {};
        ::stat(db.c_str(), &st);
        EXPECT_EQ(st.st_mode & 07777, 0600u) << name;
        EXPECT_EQ(test::readFile(dir.file("victim")), "precious") << name;
        EXPECT_TRUE(test::temporariesBeside(db).empty()) << name;
    }
    // Links of the old fixed temporary names are neither followed nor removed.
    EXPECT_TRUE(fs::is_symlink(db + "~"));
    EXPECT_TRUE(fs::is_symlink(dir.file("Zahlen.da~")));

    // A database that is a link to one elsewhere is rebuilt there.
    fs::create_directory(dir.file("data"));
    test::writeDatabase(dir.file("data/real.dat"), kStored);
    fs::create_symlink("data/real.dat", dir.file("link.dat"));
    DrawingDatabase(dir.file("link.dat")).insertOrReplace(test::rec(2019, 10, 25, {1, 2, 3, 4, 5}, 6));
    EXPECT_TRUE(fs::is_symlink(dir.file("link.dat")));
    EXPECT_EQ(DrawingDatabase(dir.file("data/real.dat")).readAll().size(), 3u);
    EXPECT_TRUE(test::temporariesBeside(dir.file("data/real.dat")).empty());
}
#endif

// ------------------------------------------------- not a drawing database

TEST_F(DbFixture, FileThatIsNoDrawingDatabaseIsNeverChanged) {
    const std::string readme =
        "# RuvuZevodare\n\n    scripts/run     # fresh Debian 12: installs what is missing, builds, starts\n"
        "A desktop program for tips. It keeps a local file of past drawings, shows statistics.\n";
    const std::vector<std::pair<const char*, std::string>> files = {
        {"text", readme},
        {"NaN date", [] {
             std::string b(64, '\0');
             withDate(dayFromYmd(2019, 1, 1)).toBytes(reinterpret_cast<std::uint8_t*>(b.data()));
             withDate(std::nan("")).toBytes(reinterpret_cast<std::uint8_t*>(b.data()) + 32);
             return b;
         }()},
        {"date 1e300", [] {
             std::string b(32, '\0');
             withDate(1e300).toBytes(reinterpret_cast<std::uint8_t*>(b.data()));
             return b;
         }()},
    };
    for (const auto& [kind, content] : files) {
        for (const auto& [name, write] : writers()) {
            test::writeFile(db, content);
            const std::string error = errorOf(write);
            EXPECT_NE(error.find("\"" + db + "\" ist keine Ziehungsdatenbank"), std::string::npos)
                << kind << ", " << name << ": " << error;
            EXPECT_EQ(test::readFile(db), content) << kind << ", " << name;
        }
    }
}

TEST(UnreadableDates, AreShownAsUnreadableAndNeverTakenAsDrawings) {
    const DayNumber bad[] = {std::nan(""), std::numeric_limits<double>::infinity(),
                             -std::numeric_limits<double>::infinity(), 1e300, -1e300, 9.3e18, kLastRepresentableDay + 1};
    for (DayNumber d : bad) {
        EXPECT_FALSE(isRepresentableDay(d)) << d;
        EXPECT_EQ(formatCaptionDate(d, 0), "?? ??.??.??") << d;
        EXPECT_EQ(formatIsoDate(d), "?\?\?\?-?\?-?\?") << d; // escaped: no trigraph
        EXPECT_EQ(formatShortDate(d, 2), "??.??.????") << d;
        EXPECT_EQ(formatYyyymmdd(d), "????????") << d;
        EXPECT_EQ(weekday(d), -1) << d;
        DatePicker picker;
        EXPECT_FALSE(picker.setDate(d)) << d;
    }
    EXPECT_EQ(formatIsoDate(kFirstRepresentableDay), "0001-01-01");
    EXPECT_EQ(formatIsoDate(kLastRepresentableDay), "9999-12-31");
}

TEST(UnreadableDates, LookupStepsAndStatisticsPassOverThem) {
    TempDir dir;
    test::ScriptedPlatform platform;
    MainModel model;
    platform.attach(model);
    model.Home = dir.str();
    model.sortieren = true;
    const std::vector<DrawingRecord> good = {
        test::rec(2019, 10, 15, {4, 12, 14, 35, 70}, 2, 2),
        test::rec(2019, 10, 18, {18, 58, 60, 65, 67}, 20, 3),
        test::rec(2019, 10, 22, {5, 12, 33, 41, 70}, 7, 3),
    };
    // index: 0 NaN, 1 good, 2 1e300, 3 good, 4 -inf, 5 good, 6 NaN
    test::writeDatabase(model.DatabasePath(), {withDate(std::nan("")), good[0], withDate(1e300), good[1],
                                               withDate(-std::numeric_limits<double>::infinity()), good[2],
                                               withDate(std::nan(""))});
    auto lookup = [&](DayNumber d) {
        model.DateTimePicker1.setDate(d);
        model.SpeedButton5Click();
    };
    struct Move {
        const char* what;
        std::function<void()> run;
        int position;
        DayNumber date;
    };
    const Move moves[] = {
        {"lookup before the first", [&] { lookup(dayFromYmd(2019, 1, 1)); }, 1, good[0].Date},
        {"lookup between", [&] { lookup(dayFromYmd(2019, 10, 16)); }, 3, good[1].Date},
        {"next over +1e300 and -inf", [&] { model.SpeedButton7Click(); }, 5, good[2].Date},
        {"next at the end", [&] { model.SpeedButton7Click(); }, 5, good[2].Date},
        {"previous", [&] { model.SpeedButton6Click(); }, 3, good[1].Date},
        {"previous", [&] { model.SpeedButton6Click(); }, 1, good[0].Date},
        {"previous at the start", [&] { model.SpeedButton6Click(); }, 1, good[0].Date},
        {"lookup after the last", [&] { lookup(dayFromYmd(2030, 1, 1)); }, 5, good[2].Date},
    };
    for (const Move& s : moves) {
        s.run();
        EXPECT_EQ(model.cur.Position, s.position) << s.what;
        EXPECT_EQ(model.cur.Datum1, s.date) << s.what;
        EXPECT_EQ(model.Label29.find('?'), std::string::npos) << s.what << ": " << model.Label29;
    }
    EXPECT_EQ(model.Label29, "Di 22.10.19    5  12  33  41  70   MB: 7 MP: 3");

    // The statistics see the three drawings only: the same tables as from a clean file.
    auto tables = [&] {
        std::vector<std::vector<std::pair<int, int>>> out;
        model.DateTimePicker2.date = dayFromYmd(2019, 1, 1);
        model.DateTimePicker1.date = dayFromYmd(2019, 12, 31);
        for (auto routine : {&MainModel::SpeedButton2Click, &MainModel::Button5Click, &MainModel::SpeedButton3Click,
                             &MainModel::Button8Click, &MainModel::Button2Click, &MainModel::SpeedButton9Click}) {
            (model.*routine)();
            out.emplace_back();
            for (const StatisticsEntry& e : model.chart.Entries)
                out.back().emplace_back(e.Key, e.Value);
        }
        return out;
    };
    const auto damaged = tables();
    test::writeDatabase(model.DatabasePath(), good);
    EXPECT_EQ(tables(), damaged);
}

// ------------------------------------------- dates and numbers of a line

TEST(ImportChecks, OnlyRealDatesFromTheFirstPickerDateToToday) {
    const struct {
        const char* date;
        const char* reason; // part of the reason, "" when taken
    } cases[] = {
        {"-001-01-01", "kein gültiges Datum"},
        {"0000-01-01", "kein gültiges Datum"},
        {"1899-12-30", "vor dem 17.05.2000"},
        {"2000-05-16", "vor dem 17.05.2000"},
        {"2000-05-17", ""},
        {"9999-12-31", "nach dem heutigen Tag"},
        {"2026-08-11", "nach dem heutigen Tag"},
        {"2026-08-10", ""},
        {"2019-02- 3", "kein gültiges Datum"},
        {"2019-02-+3", "kein gültiges Datum"},
        {"2019-2-03", "kein gültiges Datum"},
        {"2019-02-29", "kein gültiges Datum"},
        {"2020-02-29", ""},
        {"2019-13-01", "kein gültiges Datum"},
        {" 2019-02-03", ""}, // blanks around a field are trimmed
    };
    for (const auto& c : cases) {
        const std::string v = verdict(std::string(c.date) + ",1,2,3,4,5,6,");
        if (*c.reason == '\0')
            EXPECT_EQ(v, "") << c.date;
        else
            EXPECT_NE(v.find(c.reason), std::string::npos) << c.date << ": " << v;
    }
    // The State export's dates likewise.
    const struct {
        const char* date;
        bool taken;
    } us[] = {{"10/22/2019", true}, {"2/3/2019", true}, {"02/30/2019", false}, {"13/01/2019", false},
              {"10/22/19", false},  {"1 0/22/2019", false}, {"10/22/2019x", false}, {"05/16/2000", false}};
    for (const auto& c : us) {
        std::vector<DrawingRecord> out;
        const ImportResult res = parseDrawingHistory(
            "\"Draw Date\",\"Winning Numbers\",\"Mega Ball\",\"Multiplier\"\n\"" + std::string(c.date) + "\",\"01 02 03 04 05\",\"06\",\n",
            out, kToday);
        EXPECT_EQ(res.ok && res.skipped == 0, c.taken) << c.date;
    }
}

TEST(ImportChecks, NumbersMustFitTheGameFormatOfTheirDate) {
    const struct {
        const char* line;
        const char* reason; // part of the reason, "" when taken
    } cases[] = {
        {"2024-01-02,1,2,3,4,75,52,2", "Hauptzahl 75 liegt nicht in 1–70"},
        {"2024-01-02,1,2,3,4,70,25,5", ""},
        {"2024-01-02,1,2,3,4,70,26,2", "MegaBall 26 liegt nicht in 1–25"},
        {"2005-06-21,1,2,3,4,52,52,", ""},
        {"2005-06-21,1,2,3,4,53,1,", "Hauptzahl 53 liegt nicht in 1–52"},
        {"2005-06-24,1,2,3,4,56,46,", ""},
        {"2005-06-24,1,2,3,4,56,47,", "MegaBall 47 liegt nicht in 1–46"},
        {"2013-10-18,1,2,3,4,56,46,3", ""},
        {"2013-10-22,1,2,3,4,75,15,3", ""},
        {"2013-10-22,1,2,3,4,76,15,3", "Hauptzahl 76 liegt nicht in 1–75"},
        {"2013-10-22,1,2,3,4,5,16,3", "MegaBall 16 liegt nicht in 1–15"},
        {"2017-10-27,1,2,3,4,75,15,", ""},
        {"2017-10-31,1,2,3,4,70,25,", ""},
        {"2017-10-31,1,2,3,4,71,2,", "Hauptzahl 71 liegt nicht in 1–70"},
        {"2025-04-04,1,2,3,4,70,25,3", ""},
        {"2025-04-08,1,2,3,4,70,24,", ""},
        {"2025-04-08,1,2,3,4,70,24,0", ""},
        {"2025-04-08,1,2,3,4,70,25,", "MegaBall 25 liegt nicht in 1–24"},
        {"2025-04-08,1,2,3,4,70,24,2", "Megaplier 2 gibt es nicht"},
        {"2019-10-22,1,2,3,4,5,6,1", "Megaplier 1 ist nicht erlaubt"},
        {"2019-10-22,1,2,3,4,5,6,6", "Megaplier 6 ist nicht erlaubt"},
        {"2019-10-22,1,2,3,4,5,6,x", "Megaplier \"x\" ist keine Zahl"},
        {"2019-10-22,5,2,3,4,5,6,2", "Hauptzahl 5 kommt doppelt vor"},
        {"2019-10-22,0,2,3,4,5,6,2", "Hauptzahl 0 liegt nicht in 1–70"},
        {"2019-10-22,1,2,3,4,5,0,2", "MegaBall 0 liegt nicht in 1–25"},
        {"2019-10-22,1,2,3,4,5,x,2", "MegaBall \"x\" ist keine Zahl"},
        {"2019-10-22,1,2,3,4,5", "falsche Anzahl Felder"},
    };
    for (const auto& c : cases) {
        const std::string v = verdict(c.line);
        if (*c.reason == '\0')
            EXPECT_EQ(v, "") << c.line;
        else
            EXPECT_NE(v.find(c.reason), std::string::npos) << c.line << ": " << v;
    }
}

TEST(ImportChecks, ReportNamesEachSkippedLineAndWhy) {
    TempDir dir;
    test::writeFile(dir.file("in.csv"), "date,n1,n2,n3,n4,n5,megaball,megaplier\n"
                                        "2024-01-02,1,2,3,4,75,52,2\n"
                                        "2024-01-05,1,2,3,4,5,6,2\n"
                                        "2024-01-05,7,8,9,10,11,12,2\n");
    const ImportResult res = importDrawingHistory(dir.file("in.csv"), dir.file("db.dat"), kToday);
    ASSERT_TRUE(res.ok);
    EXPECT_EQ(res.report(), "1 Ziehungen importiert, 0 ersetzt, 2 Zeilen übersprungen (Zeilen 2, 4)\n"
                            "Zeile 2: Hauptzahl 75 liegt nicht in 1–70 (Spielformat 5/70 + 1/25 am 02.01.2024)\n"
                            "Zeile 4: das Datum 05.01.2024 steht schon in Zeile 3");
}

TEST(GameFormat, TheFormatOfEachDate) {
    const struct {
        Ymd day;
        int mainMax, megaBallMax;
        bool megaplier;
    } cases[] = {
        {{2000, 5, 17}, 52, 52, true},  {{2005, 6, 21}, 52, 52, true}, {{2005, 6, 22}, 56, 46, true},
        {{2013, 10, 18}, 56, 46, true}, {{2013, 10, 19}, 75, 15, true}, {{2017, 10, 27}, 75, 15, true},
        {{2017, 10, 28}, 70, 25, true}, {{2017, 10, 31}, 70, 25, true}, {{2025, 4, 7}, 70, 25, true},
        {{2025, 4, 8}, 70, 24, false},  {{9999, 12, 31}, 70, 24, false},
    };
    for (const auto& c : cases) {
        const GameFormat* f = gameFormatOn(dayFromYmd(c.day.year, c.day.month, c.day.day));
        ASSERT_NE(f, nullptr) << formatIsoDate(dayFromYmd(c.day.year, c.day.month, c.day.day));
        EXPECT_EQ(f->mainMax, c.mainMax) << c.day.year;
        EXPECT_EQ(f->megaBallMax, c.megaBallMax) << c.day.year;
        EXPECT_EQ(f->hasMegaplier, c.megaplier) << c.day.year;
        EXPECT_EQ(f->allowsMegaplier(3), c.megaplier);
        EXPECT_TRUE(f->allowsMegaplier(0));
    }
    EXPECT_EQ(gameFormatOn(dayFromYmd(2000, 5, 16)), nullptr);
    EXPECT_EQ(gameFormatOn(std::nan("")), nullptr);
    EXPECT_EQ(gameFormatOn(dayFromYmd(2019, 10, 22) + 0.75), gameFormatOn(dayFromYmd(2019, 10, 22)));
    // One after the other, without gap or overlap; the newest is the latest.
    const auto all = gameFormats();
    for (std::size_t i = 1; i < all.size(); ++i)
        EXPECT_EQ(all[i].firstDay, all[i - 1].lastDay + 1);
    EXPECT_EQ(&latestGameFormat(), &all.back());
    EXPECT_EQ(latestGameFormat().describe(), "5/70 + 1/24, ohne Megaplier");
}

// ------------------------------------------------- pipes and devices

#if !defined(_WIN32)
TEST(SpecialFiles, EveryReaderRefusesPipesAndDevicesAtOnce) {
    TempDir dir;
    const std::string pipe = dir.file("pipe");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    const std::string db = dir.file("Ruvuzevodare.dat");
    test::writeDatabase(db, kStored);
    for (const std::string& special : {pipe, std::string("/dev/zero")}) {
        TipSet tips;
        NumberList list;
        const std::pair<const char*, std::function<void()>> readers[] = {
            {"import", [&] { importDrawingHistory(special, db, kToday); }},
            {"tip file", [&] { tips.ReadTipFile(special); }},
            {"number list", [&] { list.loadFromFile(special); }},
            {"database", [&] { DrawingDatabase(special).readAll(); }},
            {"record reader", [&] { RecordReader r(special); }},
            {"block reader", [&] { RecordBlockReader r(special); }},
        };
        for (const auto& [name, read] : readers) {
            const std::string error = errorOf(read);
            EXPECT_NE(error.find("keine gewöhnliche Datei"), std::string::npos) << special << ", " << name << ": " << error;
        }
    }
    EXPECT_EQ(DrawingDatabase(db).readAll().size(), 2u);
}
#endif

// ------------------------------------------------------- two writers

TEST_F(DbFixture, SecondWriterWaitsThenReportsDatabaseInUse) {
    const std::string before = test::readFile(db);
    const auto saved = DatabaseLock::defaultWait();
    DatabaseLock::setDefaultWait(std::chrono::milliseconds(100));
    {
        DatabaseLock held(db);
        for (const auto& [name, write] : writers()) {
            const auto start = std::chrono::steady_clock::now();
            const std::string error = errorOf(write);
            EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(100)) << name;
            EXPECT_NE(error.find("von einem anderen Programm benutzt"), std::string::npos) << name << ": " << error;
            EXPECT_EQ(test::readFile(db), before) << name;
        }
    }
    // A writer that waits gets its turn once the first one is done.
    DatabaseLock::setDefaultWait(std::chrono::seconds(10));
    auto held = std::make_unique<DatabaseLock>(db);
    std::thread release([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        held.reset();
    });
    EXPECT_EQ(importDrawingHistory(csv, db, kToday).added, 1);
    release.join();
    DatabaseLock::setDefaultWait(saved);
    EXPECT_EQ(DrawingDatabase(db).readAll().size(), 3u);
}

#if !defined(_WIN32)
TEST_F(DbFixture, ImportsRunningAtOnceLoseNothing) {
    constexpr int kWriters = 4;
    constexpr int kRounds = 4;
    for (int round = 0; round < kRounds; ++round) {
        test::writeDatabase(db, {});
        int gate[2];
        ASSERT_EQ(::pipe(gate), 0);
        std::vector<pid_t> children;
        for (int w = 0; w < kWriters; ++w) {
            // Each writer imports its own 40 dates (every fourth day from its start).
            std::string lines = "date,n1,n2,n3,n4,n5,megaball,megaplier\n";
            for (int i = 0; i < 40; ++i)
                lines += formatIsoDate(dayFromYmd(2018, 1, 1) + w + 4.0 * i) + ",1,2,3,4,5,6,\n";
            const std::string file = dir.file(std::to_string(w) + "w.csv");
            test::writeFile(file, lines);
            const pid_t pid = ::fork();
            ASSERT_GE(pid, 0);
            if (pid == 0) {
                ::close(gate[1]);
                char c;
                (void)!::read(gate[0], &c, 1); // all start together
                int code = 0;
                try {
                    code = importDrawingHistory(file, db, kToday).added == 40 ? 0 : 2;
                } catch (const IoError& e) {
                    code = std::string(e.what()).find("von einem anderen Programm benutzt") != std::string::npos ? 3 : 1;
                }
                ::_exit(code);
            }
            children.push_back(pid);
        }
        ::close(gate[0]);
        ::close(gate[1]); // releases them
        int succeeded = 0;
        for (pid_t pid : children) {
            int status = 0;
            ::waitpid(pid, &status, 0);
            ASSERT_TRUE(WIFEXITED(status));
            EXPECT_TRUE(WEXITSTATUS(status) == 0 || WEXITSTATUS(status) == 3) << WEXITSTATUS(status);
            succeeded += WEXITSTATUS(status) == 0;
        }
        // Every import that said so is in the file, and nothing else.
        EXPECT_EQ(succeeded, kWriters) << "round " << round; // the default wait is ample
        EXPECT_EQ(DrawingDatabase(db).readAll().size(), static_cast<std::size_t>(40 * succeeded)) << "round " << round;
    }
}

// Every rebuild (delete, insert) of two databases in one folder, in two
// processes at once: each file only ever holds its own drawings, and no
// rebuild fails. With one fixed temporary name for every database, one
// delete renamed the other's temporary file over its own database.
TEST(TwoDatabasesInOneFolder, RebuildsAtOnceNeverMixThem) {
    TempDir dir;
    const std::string paths[2] = {dir.file("first.dat"), dir.file("second.dat")};
    const std::vector<DrawingRecord> own[2] = {
        {test::rec(2019, 10, 15, {1, 2, 3, 4, 5}, 1), test::rec(2019, 10, 18, {6, 7, 8, 9, 10}, 2)},
        {test::rec(2020, 3, 3, {11, 12, 13, 14, 15}, 3), test::rec(2020, 3, 6, {16, 17, 18, 19, 20}, 4),
         test::rec(2020, 3, 10, {21, 22, 23, 24, 25}, 5)},
    };
    for (int i = 0; i < 2; ++i)
        test::writeDatabase(paths[i], own[i]);
    const std::string bytes[2] = {test::readFile(paths[0]), test::readFile(paths[1])};

    // Returns the number of rounds that failed or found foreign content.
    auto rounds = [&](int i) {
        const DrawingDatabase db(paths[i]);
        const DrawingRecord extra = test::rec(2021, 1, 5 + i, {31, 32, 33, 34, 35}, 6);
        int bad = 0;
        for (int round = 0; round < 100; ++round) {
            try {
                db.insertOrReplace(extra);
                db.removeDate(extra.Date);
                db.removeDate(dayFromYmd(2001, 1, 1)); // nothing to remove: a rebuild all the same
                if (test::readFile(paths[i]) != bytes[i])
                    ++bad;
            } catch (const IoError&) {
                ++bad;
            }
        }
        return bad;
    };
    int gate[2];
    ASSERT_EQ(::pipe(gate), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        ::close(gate[1]);
        char c;
        (void)!::read(gate[0], &c, 1);
        ::_exit(std::min(rounds(1), 100));
    }
    ::close(gate[0]);
    ::close(gate[1]); // both start together
    const int badFirst = rounds(0);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(badFirst, 0);
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(test::readFile(paths[0]), bytes[0]);
    EXPECT_EQ(test::readFile(paths[1]), bytes[1]);
    EXPECT_TRUE(test::temporariesBeside(paths[0]).empty());
    EXPECT_TRUE(test::temporariesBeside(paths[1]).empty());
}
#endif

// ------------------------------------------------- broken end of the file

TEST(PartialRecord, TheUserIsToldOnceHowManyBytesAreNoDrawing) {
    TempDir dir;
    test::ScriptedPlatform platform;
    MainModel model;
    platform.attach(model);
    model.Home = dir.str();
    test::writeDatabase(model.DatabasePath(), kStored);
    test::writeFile(model.DatabasePath(), test::readFile(model.DatabasePath()) + std::string(6, '\x7f'));
    model.DateTimePicker1.setDate(dayFromYmd(2019, 10, 1));
    model.SpeedButton5Click();
    EXPECT_EQ(model.StatusPanel[1], "Die letzten 6 Bytes der Datenbank sind keine ganze Ziehung und werden nicht gelesen");
    model.setStatus("");
    model.SpeedButton5Click();
    EXPECT_EQ(model.StatusPanel[1], ""); // once
    EXPECT_EQ(model.cur.Datum1, dayFromYmd(2019, 10, 15));

    // The broken end of the database is dropped by a rebuild, and the import says so.
    test::writeFile(dir.file("in.csv"), kNewDrawing);
    const ImportResult res = importDrawingHistory(dir.file("in.csv"), model.DatabasePath(), kToday);
    EXPECT_EQ(res.droppedTrailingBytes, 6);
    EXPECT_NE(res.report().find("Die letzten 6 Bytes der alten Datenbank"), std::string::npos) << res.report();
    EXPECT_EQ(fs::file_size(model.DatabasePath()), 96u);
    EXPECT_EQ(DrawingDatabase(model.DatabasePath()).trailingBytes(), 0);
}

// --------------------------------------------------- nothing to open it

TEST(ShellOpen, FailureIsReportedWithThePath) {
    TempDir dir;
    test::ScriptedPlatform platform;
    MainModel model;
    platform.attach(model);
    model.Home = dir.str();
    model.cur.Datum1 = model.DateTimePicker1.date = dayFromYmd(2019, 10, 15);
    model.tips.set(1, 1, "5");
    for (int k = 2; k <= 6; ++k)
        model.tips.set(1, k, std::to_string(k + 10));
    platform.openSucceeds = false;
    model.BitBtn7Click();
    EXPECT_TRUE(fs::exists(dir.file("Tipp.txt")));
    ASSERT_EQ(platform.messages.size(), 1u);
    const std::string expected = std::string(1, '"').append(dir.file("Tipp.txt")).append("\" kann nicht geöffnet werden: kein Programm dafür gefunden.");
    EXPECT_EQ(platform.messages[0], expected);

    EXPECT_FALSE(model.openInShell("https://example.invalid/"));
    EXPECT_NE(platform.messages.back().find("\"https://example.invalid/\""), std::string::npos);
    platform.openSucceeds = true;
    EXPECT_TRUE(model.openInShell("https://example.invalid/"));
    EXPECT_EQ(platform.messages.size(), 2u);
}

TEST(SaveTargets, TheDrawingDatabaseIsNeverOverwrittenByASave) {
    TempDir dir;
    test::writeDatabase(dir.file("Ruvuzevodare.dat"), kStored);
    const std::string before = test::readFile(dir.file("Ruvuzevodare.dat"));
    fs::create_directories(dir.file("sub"));
#if !defined(_WIN32)
    fs::create_symlink(dir.file("Ruvuzevodare.dat"), dir.file("link.qlt"));
    fs::create_hard_link(dir.file("Ruvuzevodare.dat"), dir.file("hard.qlt"));
#endif
    struct Case {
        std::string chosen;
        bool refused;
    };
    std::vector<Case> cases = {
        {dir.file("Ruvuzevodare.dat"), true},
        {dir.file("sub/../Ruvuzevodare.dat"), true},
        {dir.file("./Ruvuzevodare.dat"), true},
        {dir.file("tips.qlt"), false},
        {dir.file("sub/Ruvuzevodare.dat"), false},
    };
#if !defined(_WIN32)
    cases.push_back({dir.file("link.qlt"), true});
    cases.push_back({dir.file("hard.qlt"), true});
#endif
    for (const Case& c : cases) {
        test::ScriptedPlatform platform;
        MainModel model;
        platform.attach(model);
        model.Home = dir.str();
        model.tips.set(1, 1, "5");
        // Tips and the number list go through the same choice.
        platform.fileAnswers = {c.chosen, c.chosen};
        model.SpeedButton15Click();
        model.numberListSave();
        EXPECT_EQ(test::readFile(dir.file("Ruvuzevodare.dat")), before) << c.chosen;
        EXPECT_EQ(platform.messages.size(), c.refused ? 2u : 0u) << c.chosen;
        if (c.refused)
            EXPECT_NE(platform.messages[0].find("ist die Ziehungsdatenbank"), std::string::npos);
        else
            EXPECT_TRUE(fs::exists(c.chosen)) << c.chosen;
    }
}
