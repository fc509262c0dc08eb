// Settings store: kinds and names, loading in groups at start-up, saving at
// the end, and the round trip from one run to the next.
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>

#include "TestSupport.h"
#include "app/SettingsPersistence.h"
#include "settings/SettingsStore.h"

using namespace rz;
using rz::test::ScriptedPlatform;
using rz::test::TempDir;

namespace {

using Values = std::vector<std::pair<std::string, StoredValue>>;

StoredValue I(std::int32_t v) { return StoredValue::ofInteger(v); }
StoredValue T(const std::string& v) { return StoredValue::ofText(v); }
StoredValue D(double v) { return StoredValue::ofDate(v); }

MemorySettingsStore storeWith(const Values& values) {
    MemorySettingsStore s;
    for (const auto& [name, v] : values)
        s.put(name, v);
    return s;
}

void useStore(MainModel& m, ISettingsStore& store) {
    Services s = m.services();
    s.settings = &store;
    m.setServices(s);
}

// Starts a model over the store as the program does.
void start(MainModel& m, ISettingsStore& store, const std::string& home) {
    useStore(m, store);
    m.FormCreate(home);
}

// A store whose writes fail from a given value on, like a full disk.
class FailingStore : public MemorySettingsStore {
public:
    std::string failAt;      // the first name whose write fails ("" never)
    bool failClose = false;
    bool failOpen = false;
    bool failing = false;
    void open() override {
        if (failOpen)
            throw SettingsStoreError("cannot open");
    }
    void close() override {
        if (failClose)
            throw SettingsStoreError("cannot write the store");
    }
    void put(const std::string& name, const StoredValue& v) override {
        if (!failAt.empty() && settingsKey(name) == settingsKey(failAt))
            failing = true;
        if (failing)
            throw SettingsStoreError("disk full");
        MemorySettingsStore::put(name, v);
    }
    std::optional<StoredValue> get(const std::string& name) override {
        if (failOpen)
            throw SettingsStoreError("cannot read");
        return MemorySettingsStore::get(name);
    }
};

} // namespace

TEST(SettingsStore, KindsAndCaseInsensitiveNames) {
    enum class Read { Bool, Int, Text, Date };
    struct Case {
        const char* what;
        StoredValue stored;
        Read read;
        bool fails;
        std::function<void(ISettingsStore&)> check;
    };
    const Case cases[] = {
        {"bool true", I(1), Read::Bool, false, [](ISettingsStore& s) { EXPECT_EQ(s.readBool("CHEKCBOX1"), true); }},
        {"any non-zero integer is true", I(-7), Read::Bool, false,
         [](ISettingsStore& s) { EXPECT_EQ(s.readBool("chekcbox1"), true); }},
        {"zero is false", I(0), Read::Bool, false, [](ISettingsStore& s) { EXPECT_EQ(s.readBool("Chekcbox1"), false); }},
        {"integer", I(-2147483647 - 1), Read::Int, false,
         [](ISettingsStore& s) { EXPECT_EQ(s.readInt("cHeKcBoX1"), -2147483647 - 1); }},
        {"text", T(" a,b\\c \"q\" äß中 "), Read::Text, false,
         [](ISettingsStore& s) { EXPECT_EQ(s.readText("CHEKCBOX1"), " a,b\\c \"q\" äß中 "); }},
        {"date keeps its fraction", D(42736.123456789), Read::Date, false,
         [](ISettingsStore& s) { EXPECT_EQ(s.readDate("chekcbox1"), 42736.123456789); }},
        {"text read as bool", T("1"), Read::Bool, true, nullptr},
        {"text read as integer", T("5"), Read::Int, true, nullptr},
        {"integer read as text", I(5), Read::Text, true, nullptr},
        {"date read as integer", D(1.0), Read::Int, true, nullptr},
        {"integer read as date", I(42736), Read::Date, true, nullptr},
        {"a date that is no number", D(std::numeric_limits<double>::quiet_NaN()), Read::Date, true, nullptr},
        {"an infinite date", D(std::numeric_limits<double>::infinity()), Read::Date, true, nullptr},
    };
    for (const Case& c : cases) {
        MemorySettingsStore s;
        s.put("Chekcbox1", c.stored);
        auto read = [&] {
            switch (c.read) {
            case Read::Bool: s.readBool("Chekcbox1"); break;
            case Read::Int: s.readInt("Chekcbox1"); break;
            case Read::Text: s.readText("Chekcbox1"); break;
            case Read::Date: s.readDate("Chekcbox1"); break;
            }
        };
        if (c.fails)
            EXPECT_THROW(read(), SettingsStoreError) << c.what;
        else
            c.check(s);
    }
}

TEST(SettingsStore, MissingValuesAndRewritesUnderAnotherCase) {
    MemorySettingsStore s;
    EXPECT_FALSE(s.readInt("UpDown1").has_value());
    EXPECT_FALSE(s.readText("Edit1").has_value());
    s.writeText("Edit1", "5");
    s.writeText("EDIT1", "6");
    EXPECT_EQ(s.readText("edit1"), "6");
    EXPECT_EQ(s.names(), std::vector<std::string>{"Edit1"}); // one value, first spelling
}

TEST(SettingsLoad, StartUpFromStoredValues) {
    TempDir dir;
    const DayNumber today = rz::today();
    const DayNumber picked = dayFromYmd(2019, 3, 5) + 0.75;

    struct Case {
        const char* what;
        Values stored;
        std::function<void(const MainModel&)> check;
    };
    const Case cases[] = {
        {"empty store: designed settings, English, statistics from 1 January 2017", {},
         [](const MainModel& m) {
             const GeneratorSettings designed;
             for (const GsFieldInfo& f : GeneratorSettings::table())
                 EXPECT_EQ(m.Settings.get(f.id), designed.get(f.id)) << f.valueName;
             EXPECT_EQ(m.sprache, 2);
             EXPECT_EQ(m.DateTimePicker2.date, dayFromYmd(2017, 1, 1));
             EXPECT_EQ(m.Settings.maxOf(Gs::ExcludeDbClass), 7);
             EXPECT_EQ(m.ProxyHost, "");
             EXPECT_EQ(m.ProxyPort, "80");
             EXPECT_EQ(m.Window.Height, 0); // the view keeps its designed size
             EXPECT_EQ(m.Window.Width, 0);
             for (const auto& [r, k] : tipFieldsInNameOrder())
                 EXPECT_EQ(m.tips.get(r, k), "");
             EXPECT_TRUE(m.sortieren);
         }},
        {"UpDown6 7 without the MegaBall in the overlap comes back as 5",
         {{"Chekcbox31", I(0)}, {"UpDown6", I(7)}},
         [](const MainModel& m) {
             EXPECT_EQ(m.Settings.get(Gs::ExcludeDbClass), 5);
             EXPECT_EQ(m.Settings.maxOf(Gs::ExcludeDbClass), 5);
         }},
        {"UpDown6 7 with the MegaBall in the overlap stays 7",
         {{"Chekcbox31", I(1)}, {"UpDown6", I(7)}},
         [](const MainModel& m) { EXPECT_EQ(m.Settings.get(Gs::ExcludeDbClass), 7); }},
        {"Sprache 0 keeps the German texts", {{"Sprache", I(0)}},
         [](const MainModel& m) { EXPECT_EQ(m.sprache, 0); }},
        {"Sprache 6 is Russian", {{"sprache", I(6)}}, [](const MainModel& m) { EXPECT_EQ(m.sprache, 6); }},
        {"Chekcbox5 as text ends group 1 only",
         {{"Chekcbox1", I(1)}, {"Chekcbox5", T("1")}, {"Chekcbox6", I(1)}, {"Chekcbox31", I(0)},
          {"RadioButton2", I(1)}, {"height", I(700)}, {"width", I(800)}, {"Sprache", I(3)},
          {"UpDown8", I(9)}, {"Edit1", T("12")}, {"ProxyHostEdit", T("proxy.example")}},
         [](const MainModel& m) {
             EXPECT_TRUE(m.Settings.on(Gs::PreferPairs));            // before the failure
             EXPECT_TRUE(m.Settings.on(Gs::MaxHitsLast2Enabled));    // its designed state
             EXPECT_FALSE(m.Settings.on(Gs::PreferTriples));         // after it: designed
             EXPECT_TRUE(m.Settings.on(Gs::OverlapCountsMegaBall));
             EXPECT_EQ(m.Settings.maxOf(Gs::ExcludeDbClass), 7);
             EXPECT_TRUE(m.Settings.on(Gs::MegaBallRandom));
             EXPECT_FALSE(m.Settings.on(Gs::MegaBallRarest));
             EXPECT_EQ(m.Window.Height, 0);
             EXPECT_EQ(m.Window.Width, 0);
             EXPECT_EQ(m.sprache, 0);                                 // German
             EXPECT_EQ(m.Settings.get(Gs::TipCount), 9);              // group 2 is read
             EXPECT_EQ(m.tips.get(1, 1), "12");
             EXPECT_EQ(m.ProxyHost, "proxy.example");                 // group 3 is read
         }},
        {"a spin position stored as text ends group 2: later spins and every tip keep theirs",
         {{"UpDown1", I(60)}, {"UpDown3", T("4")}, {"UpDown4", I(3)}, {"Edit1", T("12")},
          {"ProxyHostEdit", T("h")}, {"ProxyPortEdit", T("3128")}, {"DateTimePicker2", D(picked)}},
         [picked](const MainModel& m) {
             EXPECT_EQ(m.Settings.get(Gs::SumMin), 60);
             EXPECT_EQ(m.Settings.get(Gs::MaxOverlap), 2);
             EXPECT_EQ(m.Settings.get(Gs::MaxHitsLast1), 0);
             EXPECT_EQ(m.tips.get(1, 1), "");
             EXPECT_EQ(m.ProxyPort, "3128");
             EXPECT_EQ(m.DateTimePicker2.date, picked);
         }},
        {"a tip field stored as an integer ends group 2 at that field",
         {{"Edit1", T("3")}, {"Edit2", I(4)}, {"Edit3", T("5")}, {"Edit93", T("7")}},
         [](const MainModel& m) {
             EXPECT_EQ(m.tips.get(1, 1), "3");
             EXPECT_EQ(m.tips.get(1, 2), "");
             EXPECT_EQ(m.tips.get(1, 3), "");
             EXPECT_EQ(m.tips.get(1, 7), "");
         }},
        {"tip fields pass their change check",
         {{"Edit1", T("75")}, {"Edit2", T("007")}, {"Edit6", T("25")}, {"Edit12", T("26")},
          {"Edit93", T("25")}, {"Edit104", T("26")}, {"Edit79", T(" 5")}, {"Edit74", T("70")}},
         [](const MainModel& m) {
             EXPECT_EQ(m.tips.get(1, 1), "");
             EXPECT_EQ(m.tips.get(1, 2), "7");
             EXPECT_EQ(m.tips.get(1, 6), "25");
             EXPECT_EQ(m.tips.get(2, 6), "");
             EXPECT_EQ(m.tips.get(1, 7), "25");
             EXPECT_EQ(m.tips.get(12, 7), "");
             EXPECT_EQ(m.tips.get(12, 6), "");
             EXPECT_EQ(m.tips.get(12, 1), "70");
         }},
        {"spin positions outside their range go to the nearer end",
         {{"UpDown1", I(5)}, {"UpDown7", I(99999)}, {"UpDown18", I(-3)}},
         [](const MainModel& m) {
             EXPECT_EQ(m.Settings.get(Gs::SumMin), 21);
             EXPECT_EQ(m.Settings.get(Gs::MaxRunsThousands), 30000);
             EXPECT_EQ(m.LaufMax, 30000 * 1000);
             EXPECT_EQ(m.Settings.get(Gs::ExcludeRecentDraws), 4);
         }},
        {"the last MegaBall rule read as true wins",
         {{"RadioButton1", I(1)}, {"RadioButton2", I(1)}, {"RadioButton3", I(0)}},
         [](const MainModel& m) {
             EXPECT_FALSE(m.Settings.on(Gs::MegaBallRandom));
             EXPECT_TRUE(m.Settings.on(Gs::MegaBallRarest));
             EXPECT_FALSE(m.Settings.on(Gs::MegaBallLongestOutstanding));
         }},
        {"all MegaBall rules false selects none",
         {{"RadioButton1", I(0)}, {"RadioButton2", I(0)}, {"RadioButton3", I(0)}},
         [](const MainModel& m) {
             EXPECT_FALSE(m.Settings.on(Gs::MegaBallRandom));
             EXPECT_FALSE(m.Settings.on(Gs::MegaBallRarest));
             EXPECT_FALSE(m.Settings.on(Gs::MegaBallLongestOutstanding));
         }},
        {"window size; a size no window can have keeps the designed one",
         {{"height", I(-5)}, {"width", I(900)}},
         [](const MainModel& m) {
             EXPECT_EQ(m.Window.Height, 0);
             EXPECT_EQ(m.Window.Width, 900);
         }},
        {"Losnummer is read outside the groups", {{"Losnummer", T("A-123")}},
         [](const MainModel& m) { EXPECT_EQ(m.Losnummer, "A-123"); }},
        {"an unreadable Losnummer stops nothing", {{"Losnummer", I(5)}, {"Chekcbox1", I(1)}},
         [](const MainModel& m) {
             EXPECT_EQ(m.Losnummer, "");
             EXPECT_TRUE(m.Settings.on(Gs::PreferPairs));
         }},
        {"proxy port without a host becomes 80", {{"ProxyHostEdit", T("")}, {"ProxyPortEdit", T("8080")}},
         [](const MainModel& m) { EXPECT_EQ(m.ProxyPort, "80"); }},
        {"proxy host stored as an integer ends group 3", {{"ProxyHostEdit", I(1)}, {"ProxyPortEdit", T("8080")}},
         [](const MainModel& m) {
             EXPECT_EQ(m.ProxyHost, "");
             EXPECT_EQ(m.ProxyPort, "80");
         }},
        {"data server address is read with the proxy", {{"ProxyHostEdit", T("h")}, {"ServerEdit", T("http://10.0.0.5:9000")}},
         [](const MainModel& m) { EXPECT_EQ(m.ServerAddress, "http://10.0.0.5:9000"); }},
        {"an empty stored data server keeps the default", {{"ServerEdit", T("  ")}},
         [](const MainModel& m) { EXPECT_EQ(m.ServerAddress, MainModel().ServerAddress); }},
        {"wheel price in cents", {{"WheelPrice", I(250)}}, [](const MainModel& m) { EXPECT_EQ(m.wheelPriceCents, 250); }},
        {"a wheel price no price field takes keeps $5",
         {{"WheelPrice", I(0)}}, [](const MainModel& m) { EXPECT_EQ(m.wheelPriceCents, 500); }},
        {"a wheel price above $1000 keeps $5",
         {{"WheelPrice", I(100001)}}, [](const MainModel& m) { EXPECT_EQ(m.wheelPriceCents, 500); }},
        {"a wheel price stored as text keeps $5 and stops nothing else",
         {{"WheelPrice", T("7.50")}, {"DateTimePicker2", D(picked)}},
         [picked](const MainModel& m) {
             EXPECT_EQ(m.wheelPriceCents, 500);
             EXPECT_EQ(m.DateTimePicker2.date, picked);
         }},
        {"statistics start with a time of day is kept exactly", {{"DateTimePicker2", D(picked)}},
         [picked](const MainModel& m) { EXPECT_EQ(m.DateTimePicker2.date, picked); }},
        {"statistics start that cannot be read gives 17 May 2000", {{"DateTimePicker2", T("2019-03-05")}},
         [](const MainModel& m) { EXPECT_EQ(m.DateTimePicker2.date, dayFromYmd(2000, 5, 17)); }},
        {"statistics start before the earliest date gives 17 May 2000", {{"DateTimePicker2", D(dayFromYmd(1999, 1, 1))}},
         [](const MainModel& m) { EXPECT_EQ(m.DateTimePicker2.date, dayFromYmd(2000, 5, 17)); }},
        {"statistics start that is no number gives 17 May 2000",
         {{"DateTimePicker2", D(std::numeric_limits<double>::quiet_NaN())}},
         [](const MainModel& m) { EXPECT_EQ(m.DateTimePicker2.date, dayFromYmd(2000, 5, 17)); }},
        {"statistics start exactly a week ago is kept", {{"DateTimePicker2", D(today - 7)}},
         [today](const MainModel& m) { EXPECT_EQ(m.DateTimePicker2.date, today - 7); }},
        {"statistics start six days ago leaves no window: 17 May 2000", {{"DateTimePicker2", D(today - 6)}},
         [](const MainModel& m) { EXPECT_EQ(m.DateTimePicker2.date, dayFromYmd(2000, 5, 17)); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MemorySettingsStore store = storeWith(c.stored);
        MainModel m;
        start(m, store, dir.str());
        c.check(m);
    }
}

TEST(SettingsLoad, StoreThatCannotBeOpenedStartsLikeAFreshMachine) {
    TempDir dir;
    FailingStore store;
    store.failOpen = true;
    MainModel m;
    start(m, store, dir.str());
    EXPECT_EQ(m.sprache, 2);
    EXPECT_EQ(m.DateTimePicker2.date, dayFromYmd(2017, 1, 1));
    EXPECT_TRUE(m.sortieren);
}

namespace {

// Every stored setting away from its designed value.
void changeEverything(MainModel& m) {
    for (const GsFieldInfo& f : GeneratorSettings::table()) {
        if (f.kind == GsKind::Bool)
            m.Settings.set(f.id, f.def ? 0 : 1);
        else if (f.kind == GsKind::Int)
            m.Settings.set(f.id, f.def == f.min ? f.def + 1 : f.def - 1);
    }
    m.Settings.set(Gs::OverlapCountsMegaBall, 1); // keeps ExcludeDbClass's range at 3..7
    m.Settings.set(Gs::ExcludeDbClass, 7);
    m.Settings.set(Gs::MegaBallLongestOutstanding, 1);
    int n = 0;
    for (const auto& [r, k] : tipFieldsInNameOrder())
        m.tips.set(r, k, std::to_string(1 + (n++ % TipSet::fieldMax(k))));
    m.tips.set(5, 3, ""); // an empty field is stored as empty text
    m.tips.row(3).Locked = true;
    m.sprache = 7;
    m.Window = {1001, 777, false, false};
    m.ProxyHost = "proxy.example";
    m.ProxyPort = "3128";
    m.ServerAddress = "http://127.0.0.1:8123";
    m.DateTimePicker2.date = dayFromYmd(2018, 2, 3) + 0.3;
    m.wheelPriceCents = 725;
}

} // namespace

TEST(SettingsSave, WhatOneRunWritesTheNextReads) {
    TempDir dir;
    MemorySettingsStore store;
    store.writeText("Losnummer", "L-42");

    MainModel first;
    start(first, store, dir.str());
    changeEverything(first);
    first.FormClose();

    MainModel second;
    start(second, store, dir.str());
    for (const GsFieldInfo& f : GeneratorSettings::table())
        EXPECT_EQ(second.Settings.get(f.id), first.Settings.get(f.id)) << f.valueName;
    for (const auto& [r, k] : tipFieldsInNameOrder())
        EXPECT_EQ(second.tips.get(r, k), first.tips.get(r, k)) << TipSet::fieldName(r, k);
    EXPECT_FALSE(second.tips.row(3).Locked); // row locks are not stored
    EXPECT_EQ(second.sprache, 7);
    EXPECT_EQ(second.Window.Width, 1001);
    EXPECT_EQ(second.Window.Height, 777);
    EXPECT_EQ(second.ProxyHost, "proxy.example");
    EXPECT_EQ(second.ProxyPort, "3128");
    EXPECT_EQ(second.ServerAddress, "http://127.0.0.1:8123"); // the data server of "Internet options"
    EXPECT_EQ(second.DateTimePicker2.date, first.DateTimePicker2.date);
    EXPECT_EQ(second.Losnummer, "L-42");
    EXPECT_EQ(second.wheelPriceCents, 725);

    // The second run writes back exactly what it read.
    MemorySettingsStore again = store;
    second.FormClose();
    for (const std::string& name : store.names())
        EXPECT_EQ(store.get(name), again.get(name)) << name;
    EXPECT_EQ(store.names(), again.names());

    // Every value has its kind and the read-only Losnummer is never written.
    EXPECT_EQ(store.get("Chekcbox1")->kind, StoredKind::Integer);
    EXPECT_EQ(store.get("RadioButton3")->integer, 1);
    EXPECT_EQ(store.get("UpDown19")->kind, StoredKind::Integer);
    EXPECT_EQ(store.get("Edit104")->kind, StoredKind::Text);
    EXPECT_EQ(store.get("Edit27")->text, "");
    EXPECT_EQ(store.get("DateTimePicker2")->kind, StoredKind::Date);
    EXPECT_EQ(store.get("Losnummer")->text, "L-42");
    EXPECT_EQ(store.get("ServerEdit")->text, "http://127.0.0.1:8123");
    EXPECT_EQ(store.get("WheelPrice")->integer, 725);
    // MegaBall24, ServerEdit, WheelPrice, the rest of the wheel dialog, the recent tip files
    EXPECT_EQ(store.names().size(), 29u + 3 + 2 + 1 + 19 + 84 + 3 + 1 + 1 + 1 + 1 + 5 + 5);
}

TEST(SettingsSave, AChangedWheelPriceSurvivesARestartAndPricesTheNextWheel) {
    TempDir dir;
    MemorySettingsStore store;
    {
        MainModel first;
        start(first, store, dir.str());
        EXPECT_EQ(first.wheelPriceCents, 500); // $5 on a fresh machine
        first.wheelPriceCents = 725;
        first.FormClose();
    }
    MainModel second;
    start(second, store, dir.str());
    ASSERT_EQ(second.wheelPriceCents, 725);
    // Every 5 of 6 numbers: six plays at $7.25.
    second.wheelRequest.numbers = {3, 14, 15, 26, 53, 58};
    second.wheelRequest.guarantee = {5, 5};
    second.WheelStartClick();
    EXPECT_EQ(second.wheelFigures.rows, "6");
    EXPECT_EQ(second.wheelFigures.cost, "$43.50"); // English, the language of a first start
}

TEST(SettingsSave, MinimisedOrMaximisedWindowKeepsTheStoredSize) {
    TempDir dir;
    struct Case {
        bool minimised, maximised;
        int expectedWidth, expectedHeight;
    };
    const Case cases[] = {{false, false, 1200, 900}, {true, false, 700, 600}, {false, true, 700, 600},
                          {true, true, 700, 600}};
    for (const Case& c : cases) {
        MemorySettingsStore store = storeWith({{"width", I(700)}, {"height", I(600)}});
        MainModel m;
        start(m, store, dir.str());
        m.Window = {1200, 900, c.minimised, c.maximised};
        m.FormClose();
        EXPECT_EQ(store.readInt("width"), c.expectedWidth) << c.minimised << c.maximised;
        EXPECT_EQ(store.readInt("height"), c.expectedHeight) << c.minimised << c.maximised;
    }
}

TEST(SettingsSave, FailureKeepsWhatWasWrittenAndShowsNothing) {
    TempDir dir;
    ScriptedPlatform platform;
    FailingStore store;
    store.put("Sprache", I(1));
    store.put("UpDown8", I(3));
    store.put("ProxyHostEdit", T("old.example"));

    MainModel m;
    platform.attach(m);
    start(m, store, dir.str());
    m.sprache = 4;
    m.Settings.set(Gs::TipCount, 11);
    m.ProxyHost = "new.example";
    store.failAt = "UpDown1"; // the disk fills up after the language is written
    EXPECT_NO_THROW(m.FormClose());

    EXPECT_EQ(store.readInt("Sprache"), 4);               // written before the failure
    EXPECT_EQ(store.readInt("UpDown8"), 3);               // not written: keeps the old value
    EXPECT_EQ(store.readText("ProxyHostEdit"), "old.example");
    EXPECT_FALSE(store.contains("Edit1"));
    EXPECT_TRUE(platform.messages.empty());

    FailingStore closing;
    closing.failClose = true;
    useStore(m, closing);
    EXPECT_NO_THROW(m.FormClose());
    EXPECT_TRUE(platform.messages.empty());
}

TEST(SettingsSave, ClosingDuringARunWritesOnceTheRunHasEnded) {
    TempDir dir;
    ScriptedPlatform platform;
    MemorySettingsStore store;
    MainModel m;
    platform.attach(m);
    start(m, store, dir.str());
    // Drawings on Tuesdays and Fridays, enough for every rule.
    std::vector<DrawingRecord> history;
    DayNumber day = dayFromYmd(2017, 1, 3);
    for (int i = 0; i < 120; ++i, day += (i % 2) ? 3 : 4)
        history.push_back(DrawingRecord::make(day, {1 + i % 60, 3 + i % 60, 5 + i % 60, 7 + i % 60, 9 + i % 60}, 1 + i % 25, 2));
    test::writeDatabase(m.DatabasePath(), history);
    m.DateTimePicker1.date = history.back().Date;
    m.SpeedButton5Click();

    // No tip can pass: the run goes on until it is stopped.
    m.Settings.set(Gs::MaxRunsThousands, 30000);
    m.Settings.set(Gs::MinEvenEnabled, 1);
    m.Settings.set(Gs::MinOddEnabled, 1);
    m.Settings.set(Gs::MinEven, 3);
    m.Settings.set(Gs::MinOdd, 3);
    m.Settings.set(Gs::ForcePair, 1);
    bool closed = false;
    platform.onPendingEvents = [&] {
        if (closed)
            return;
        closed = true;
        m.FormClose(); // the window's close box, while the run yields
        EXPECT_TRUE(store.empty());
    };
    m.Label28Click();
    ASSERT_TRUE(closed);
    EXPECT_TRUE(store.empty()); // the run has ended, the window waits for its loop to finish
    m.finishClose();
    EXPECT_EQ(store.readBool("Chekcbox8"), true);
    EXPECT_EQ(store.readInt("UpDown15"), 3);
    m.finishClose(); // once only
    store.erase("Chekcbox8");
    m.finishClose();
    EXPECT_FALSE(store.contains("Chekcbox8"));
}

TEST(SettingsSave, TheWheelDialogAndTheRecentTipFilesSurviveARestart) {
    TempDir dir;
    MemorySettingsStore store;
    {
        MainModel first;
        start(first, store, dir.str());
        EXPECT_TRUE(first.wheelRequest.numbers.empty()); // a fresh machine
        EXPECT_TRUE(first.recentTipFiles.empty());
        first.wheelRequest.numbers = {3, 14, 15, 26, 53, 58, 70};
        first.wheelRequest.guarantee = {3, 5};
        first.wheelRequest.seconds = 12.5;
        first.wheelRequest.megaBalls = "4, 17";
        first.wheelRequest.cross = true;
        for (int i = 1; i <= 7; ++i) // seven files: the last five stay, the latest first
            first.rememberTipFile(dir.file("tips" + std::to_string(i) + ".qlt"));
        first.rememberTipFile(dir.file("tips5.qlt")); // used again: moves to the top, no double
        first.FormClose();
    }
    MainModel second;
    start(second, store, dir.str());
    EXPECT_EQ(second.wheelRequest.numbers, (std::vector<int>{3, 14, 15, 26, 53, 58, 70}));
    EXPECT_EQ(second.wheelRequest.guarantee, (wheel::Guarantee{3, 5}));
    EXPECT_DOUBLE_EQ(second.wheelRequest.seconds, 12.5);
    EXPECT_EQ(second.wheelRequest.megaBalls, "4, 17");
    EXPECT_TRUE(second.wheelRequest.cross);
    const std::vector<std::string> recent = {dir.file("tips5.qlt"), dir.file("tips7.qlt"), dir.file("tips6.qlt"),
                                             dir.file("tips4.qlt"), dir.file("tips3.qlt")};
    EXPECT_EQ(second.recentTipFiles, recent);
}

TEST(SettingsLoad, WheelValuesTheDialogCannotShowKeepTheirDefaults) {
    TempDir dir;
    const wheel::WheelRequest designed;
    struct Case {
        const char* what;
        std::vector<std::pair<std::string, StoredValue>> stored;
        std::function<void(const MainModel&)> check;
    } cases[] = {
        {"a number out of range", {{"WheelNumbers", T("3,71")}},
         [](const MainModel& m) { EXPECT_TRUE(m.wheelRequest.numbers.empty()); }},
        {"a number twice", {{"WheelNumbers", T("3,3")}},
         [](const MainModel& m) { EXPECT_TRUE(m.wheelRequest.numbers.empty()); }},
        {"thirty-one numbers",
         {{"WheelNumbers", T("1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16,17,18,19,20,21,22,23,24,25,26,27,28,29,30,31")}},
         [](const MainModel& m) { EXPECT_TRUE(m.wheelRequest.numbers.empty()); }},
        {"no list at all", {{"WheelNumbers", T("3;4")}},
         [](const MainModel& m) { EXPECT_TRUE(m.wheelRequest.numbers.empty()); }},
        {"fewer than six ticked are kept as ticked, sorted", {{"WheelNumbers", T("9,2")}},
         [](const MainModel& m) { EXPECT_EQ(m.wheelRequest.numbers, (std::vector<int>{2, 9})); }},
        {"a guarantee 4 if 3", {{"WheelGuarantee", T("4if3")}},
         [designed](const MainModel& m) { EXPECT_EQ(m.wheelRequest.guarantee, designed.guarantee); }},
        {"no time", {{"WheelSecondsTenths", I(0)}},
         [designed](const MainModel& m) { EXPECT_EQ(m.wheelRequest.seconds, designed.seconds); }},
        {"more than ten minutes", {{"WheelSecondsTenths", I(6001)}},
         [designed](const MainModel& m) { EXPECT_EQ(m.wheelRequest.seconds, designed.seconds); }},
        {"the time as text stops nothing after it", {{"WheelSecondsTenths", T("5")}, {"WheelCross", I(1)}},
         [designed](const MainModel& m) {
             EXPECT_EQ(m.wheelRequest.seconds, designed.seconds);
             EXPECT_TRUE(m.wheelRequest.cross);
         }},
        {"MegaBalls longer than the field", {{"WheelMegaBalls", T(std::string(81, '1'))}},
         [](const MainModel& m) { EXPECT_EQ(m.wheelRequest.megaBalls, ""); }},
        {"an empty recent file ends the list", {{"RecentTipFile1", T("a.qlt")}, {"RecentTipFile2", T("")}, {"RecentTipFile3", T("c.qlt")}},
         [](const MainModel& m) { EXPECT_EQ(m.recentTipFiles, (std::vector<std::string>{"a.qlt"})); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        MemorySettingsStore store = storeWith(c.stored);
        MainModel m;
        start(m, store, dir.str());
        c.check(m);
    }
}

TEST(RecentTipFiles, AFileThatIsGoneIsTakenOffTheListWithAWord) {
    TempDir dir;
    MainModel m;
    test::ScriptedPlatform platform;
    platform.attach(m);
    m.FormCreate(dir.str());
    m.sortieren = true;
    const std::string kept = dir.file("kept.qlt");
    test::writeFile(kept, "1,2,3,4,5,6,\r\n");
    m.rememberTipFile(kept);
    m.rememberTipFile(dir.file("gone.qlt"));
    m.RecentTipFileClick(0);
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_NE(platform.messages[0].find("gone.qlt"), std::string::npos);
    EXPECT_EQ(m.recentTipFiles, (std::vector<std::string>{kept}));
    EXPECT_EQ(m.tips.get(1, 1), "");
    m.RecentTipFileClick(0);
    EXPECT_EQ(m.tips.get(1, 6), "6");
    EXPECT_EQ(m.undoStack.undoName(), "Laden von kept.qlt");
}
