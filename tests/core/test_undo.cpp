// The undo history: the stack itself, the tip rows' steps and the drawing
// file's entries and deletes taken back and done again.
#include <gtest/gtest.h>

#include <stdexcept>

#include "TestSupport.h"
#include "common/ProgramTexts.h"
#include "common/UndoStack.h"
#include "database/Maintenance.h"

using namespace rz;
using rz::test::TempDir;

namespace {

// A stack over one integer: each step sets it from one value to another.
struct Counter {
    int value = 0;
    UndoStack stack;
    void set(int to, const std::string& name, int group = 0, const std::string& key = {}) {
        const int from = value;
        value = to;
        UndoStack::Step s;
        s.name = [name] { return name; };
        s.undo = [this, from] { value = from; };
        s.redo = [this, to] { value = to; };
        s.group = group;
        s.mergeKey = key;
        stack.push(std::move(s));
    }
};

} // namespace

TEST(UndoStack, UndoAndRedoWalkTheHistoryAndNameTheirStep) {
    Counter c;
    EXPECT_FALSE(c.stack.canUndo());
    EXPECT_EQ(c.stack.undoName(), "");
    c.set(1, "one");
    c.set(2, "two");
    c.set(3, "three");
    EXPECT_EQ(c.stack.undoName(), "three");
    c.stack.undo();
    c.stack.undo();
    EXPECT_EQ(c.value, 1);
    EXPECT_EQ(c.stack.undoName(), "one");
    EXPECT_EQ(c.stack.redoName(), "two");
    c.stack.redo();
    EXPECT_EQ(c.value, 2);
    // A new step drops what could have been redone.
    c.set(7, "seven");
    EXPECT_FALSE(c.stack.canRedo());
    c.stack.undo();
    c.stack.undo();
    c.stack.undo();
    EXPECT_EQ(c.value, 0);
    EXPECT_FALSE(c.stack.canUndo());
    c.stack.undo(); // nothing left: nothing happens
    EXPECT_EQ(c.value, 0);
}

TEST(UndoStack, StepsWithOneKeyMergeWhileTheTopIsOpen) {
    Counter c;
    c.set(1, "edit 1", 0, "row1");
    c.set(2, "edit 1", 0, "row1");
    c.set(3, "edit 1", 0, "row1");
    EXPECT_EQ(c.stack.size(), 1u);
    c.set(4, "edit 2", 0, "row2");
    EXPECT_EQ(c.stack.size(), 2u);
    c.stack.closeTop();
    c.set(5, "edit 2", 0, "row2");
    EXPECT_EQ(c.stack.size(), 3u);
    c.stack.undo();
    c.set(6, "edit 2", 0, "row2"); // after an undo nothing merges
    EXPECT_EQ(c.stack.size(), 3u);
    c.stack.undo();
    c.stack.undo();
    EXPECT_EQ(c.value, 3);
    c.stack.undo();
    EXPECT_EQ(c.value, 0); // the three merged edits went back in one step
}

TEST(UndoStack, AFailingStepIsDroppedAndTheOthersStay) {
    Counter c;
    c.set(1, "one");
    UndoStack::Step bad;
    bad.name = [] { return std::string("bad"); };
    bad.undo = [] { throw std::runtime_error("gone"); };
    bad.redo = [] {};
    c.stack.push(std::move(bad));
    c.set(2, "two");
    c.stack.undo();
    EXPECT_THROW(c.stack.undo(), std::runtime_error);
    EXPECT_EQ(c.stack.undoName(), "one");
    EXPECT_EQ(c.stack.redoName(), "two");
    c.stack.undo();
    EXPECT_EQ(c.value, 0);
    c.stack.redo();
    c.stack.redo();
    EXPECT_EQ(c.value, 2);
}

TEST(UndoStack, DroppingAGroupKeepsTheOthersInPlace) {
    Counter c;
    c.set(1, "tips");
    c.set(2, "file", 5);
    c.set(3, "tips");
    c.set(4, "file", 5);
    c.stack.undo(); // "file" 4 is undone
    c.stack.dropGroup(5);
    EXPECT_EQ(c.stack.size(), 2u);
    EXPECT_EQ(c.stack.undoName(), "tips");
    EXPECT_FALSE(c.stack.canRedo());
    for (int i = 0; i < static_cast<int>(UndoStack::kLimit) + 10; ++i)
        c.set(i, "many");
    EXPECT_EQ(c.stack.size(), UndoStack::kLimit);
}

// ---------------------------------------------------------------- the model

namespace {

struct EntryPlatform : test::ScriptedPlatform {
    std::optional<DrawingEntry> answer;
    std::optional<DrawingEntry> enterDrawing(const DrawingEntry&) override { return answer; }
};

DrawingEntry entry(int y, int m, int d, std::array<int, 5> mains, int mb, int mp) {
    DrawingEntry e;
    e.date = dayFromYmd(y, m, d);
    for (int i = 0; i < 5; ++i)
        e.numbers[static_cast<std::size_t>(i + 1)] = mains[static_cast<std::size_t>(i)];
    e.numbers[7] = mb;
    e.numbers[8] = mp;
    return e;
}

std::vector<DrawingRecord> three() {
    std::vector<DrawingRecord> v = {
        test::rec(2026, 7, 31, {4, 12, 14, 35, 70}, 2, 2),
        test::rec(2026, 8, 4, {18, 58, 60, 65, 67}, 20, 3),
        test::rec(2026, 8, 7, {8, 19, 27, 44, 66}, 21, 4),
    };
    for (std::size_t r = 0; r < v.size(); ++r)
        v[r].tail.fill(static_cast<std::uint8_t>(0xB0 + r));
    return v;
}

struct UndoFixture : ::testing::Test {
    TempDir dir;
    MainModel model;
    EntryPlatform platform;
    FixedClock clock{dayFromYmd(2026, 8, 10)};

    void SetUp() override {
        platform.attach(model);
        Services s = model.services();
        s.clock = &clock;
        model.setServices(s);
        model.Home = dir.str();
        model.sortieren = true;
        test::writeDatabase(model.DatabasePath(), three());
    }
    void TearDown() override { resetProgramTexts(); }
    void show(int y, int m, int d) {
        model.DateTimePicker1.setDate(dayFromYmd(y, m, d));
        model.SpeedButton5Click();
    }
    std::string file() const { return test::readFile(model.DatabasePath()); }
    void fill(int row, std::array<const char*, 6> fields) {
        for (int k = 1; k <= 6; ++k)
            model.tips.set(row, k, fields[static_cast<std::size_t>(k - 1)]);
    }
    std::string row(int r) const {
        std::string s;
        for (int k = 1; k <= 7; ++k)
            s += model.tips.get(r, k) + (k < 7 ? "," : "");
        return s;
    }
    // The English texts the menu needs, as a message file would bring them.
    void speakEnglish() {
        std::vector<std::string> lines(kMessageLines + static_cast<std::size_t>(Txt::Count));
        auto put = [&](Txt id, const char* text) { lines[kMessageLines + static_cast<std::size_t>(id)] = text; };
        put(Txt::UndoCaption, "&Undo %1");
        put(Txt::RedoCaption, "&Redo %1");
        put(Txt::UndoNothing, "&Undo");
        put(Txt::UndoStepDelete, "delete drawing of %1");
        put(Txt::UndoStepEnter, "enter drawing of %1");
        useProgramTexts(lines);
        model.sprache = 2;
    }
};

} // namespace

TEST_F(UndoFixture, DeleteIsTakenBackToTheSameBytesAndDoneAgain) {
    speakEnglish();
    const std::string before = file();
    show(2026, 8, 7);
    model.deleteShownDrawing();
    EXPECT_EQ(model.database().readAll().size(), 2u);
    EXPECT_EQ(model.undoCaption(), "&Undo delete drawing of 8/7/2026");

    model.Rueckgaengig1Click();
    EXPECT_EQ(file(), before); // bytes 16..31 included
    EXPECT_EQ(model.cur.Datum1, dayFromYmd(2026, 8, 7)); // the restored drawing is on display
    EXPECT_EQ(model.undoCaption(), "&Undo");
    EXPECT_EQ(model.redoCaption(), "&Redo delete drawing of 8/7/2026");

    model.Wiederholen1Click();
    EXPECT_EQ(model.database().readAll().size(), 2u);
    model.Rueckgaengig1Click();
    EXPECT_EQ(file(), before);
    EXPECT_TRUE(platform.messages.empty());
}

TEST_F(UndoFixture, EnteredDrawingIsShownSoTheNextDeleteTakesIt) {
    show(2026, 8, 4);
    platform.answer = entry(2026, 8, 10, {70, 5, 33, 12, 41}, 7, 3);
    model.BitBtn8Click();
    // The display shows what was entered, not the drawing shown before.
    EXPECT_EQ(model.cur.Datum1, dayFromYmd(2026, 8, 10));
    EXPECT_EQ(model.DatabaseEndDate(), dayFromYmd(2026, 8, 10));
    model.deleteShownDrawing();
    const auto left = model.database().readAll();
    ASSERT_EQ(left.size(), 3u);
    EXPECT_EQ(left.back().Date, dayFromYmd(2026, 8, 7)); // the entered one went, the shown one stayed
}

TEST_F(UndoFixture, EntryIsTakenBackAsNewOrAsTheCorrectionItWas) {
    struct Case {
        const char* name;
        DrawingEntry typed;
    } cases[] = {
        {"a new drawing is removed again", entry(2026, 8, 10, {70, 5, 33, 12, 41}, 7, 3)},
        {"a new drawing between two is removed again", entry(2026, 8, 5, {1, 2, 3, 4, 5}, 6, 0)},
        {"a correction gets the old record back", entry(2026, 8, 4, {1, 2, 3, 4, 5}, 6, 1)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::writeDatabase(model.DatabasePath(), three());
        model.undoStack.clear();
        const std::string before = file();
        show(2026, 8, 7);
        platform.answer = c.typed;
        model.BitBtn8Click();
        const std::string entered = file();
        ASSERT_NE(entered, before);
        EXPECT_EQ(model.undoStack.undoName(), "Eingabe der Ziehung vom " + formatShortDate(c.typed.date, 0));
        model.Rueckgaengig1Click();
        EXPECT_EQ(file(), before);
        model.Wiederholen1Click();
        EXPECT_EQ(file(), entered);
    }
    EXPECT_TRUE(platform.messages.empty());
}

TEST_F(UndoFixture, AChangedFileEndsTheDrawingStepsAndTheTipStepsStay) {
    show(2026, 8, 7);
    model.tips.set(1, 1, "5");
    model.SpeedButton11Click(); // a tip step before the delete
    model.deleteShownDrawing();
    // Another program (or the command line) adds a drawing meanwhile.
    std::vector<DrawingRecord> other = model.database().readAll();
    other.push_back(test::rec(2026, 8, 11, {1, 2, 3, 4, 5}, 6, 2));
    test::writeDatabase(model.DatabasePath(), other);
    const std::string changed = file();

    model.Rueckgaengig1Click();
    ASSERT_EQ(platform.messages.size(), 1u);
    EXPECT_NE(platform.messages[0].find("Löschen der Ziehung vom 07.08.2026"), std::string::npos) << platform.messages[0];
    EXPECT_EQ(file(), changed); // nothing written
    // The delete is gone from the history; the clear before it is next.
    EXPECT_EQ(model.undoStack.undoName(), "Löschen der Tipps");
    model.Rueckgaengig1Click();
    EXPECT_EQ(model.tips.get(1, 1), "5");

    // A download (or an import) drops the file's steps at once.
    model.Wiederholen1Click();
    show(2026, 8, 11);
    model.deleteShownDrawing();
    EXPECT_EQ(model.undoStack.size(), 2u);
    model.drawingFileChanged();
    EXPECT_EQ(model.undoStack.size(), 1u);
    EXPECT_EQ(model.undoStack.undoName(), "Löschen der Tipps");
}

TEST_F(UndoFixture, TipRowChangesAreStepsAndLocksStay) {
    test::TempDir files;
    const std::string tipFile = files.file("20260811.qlt");
    test::writeFile(tipFile, "1,2,3,4,5,6,\r\n");
    fill(1, {"10", "20", "30", "40", "50", "7"});
    fill(2, {"11", "21", "31", "41", "51", "8"});
    model.tips.row(2).Locked = true;
    const std::string row1 = row(1), row2 = row(2);

    struct Case {
        const char* name;
        std::function<void()> command;
        std::string step;
    } cases[] = {
        {"clear", [&] { model.SpeedButton11Click(); }, "Löschen der Tipps"},
        {"load a file over the rows", [&] { model.loadTipFile(tipFile); }, "Laden von 20260811.qlt"},
        {"a file from the dialog",
         [&] {
             platform.fileAnswers = {tipFile};
             model.SpeedButton16Click();
         },
         "Laden von 20260811.qlt"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.command();
        EXPECT_NE(row(1), row1);
        EXPECT_EQ(model.undoStack.undoName(), c.step);
        model.Rueckgaengig1Click();
        EXPECT_EQ(row(1), row1);
        EXPECT_EQ(row(2), row2);
        EXPECT_TRUE(model.tips.row(2).Locked);
        model.Wiederholen1Click();
        EXPECT_NE(row(1), row1);
        model.Rueckgaengig1Click();
    }

    // Typing into one row is one step, however many keys it took.
    model.undoStack.clear();
    model.tipFieldChanged(3, 1, "1");
    model.tipFieldChanged(3, 1, "12");
    model.tipFieldChanged(3, 2, "3");
    model.Edit1Exit();
    model.tipFieldChanged(4, 1, "9");
    EXPECT_EQ(model.undoStack.size(), 2u);
    EXPECT_EQ(model.undoStack.undoName(), "Änderung an Tipp 4");
    model.Rueckgaengig1Click();
    model.Rueckgaengig1Click();
    EXPECT_EQ(row(3), ",,,,,,");
    model.Wiederholen1Click();
    EXPECT_EQ(row(3), "12,3,,,,,");
    // A command that changes nothing is no step.
    model.undoStack.clear();
    model.SpeedButton11Click();
    model.SpeedButton11Click();
    EXPECT_EQ(model.undoStack.size(), 1u);
}

TEST_F(UndoFixture, NothingIsTakenBackWhileALongOperationRuns) {
    model.tips.set(1, 1, "5");
    model.SpeedButton11Click();
    const OperationScope running(model.operation, OperationKind::Download);
    EXPECT_FALSE(model.canUndo());
    model.Rueckgaengig1Click();
    EXPECT_EQ(model.tips.get(1, 1), "");
}

TEST(UndoHistory, ANewModelStartsWithAnEmptyHistory) {
    MainModel model;
    EXPECT_FALSE(model.canUndo());
    EXPECT_FALSE(model.canRedo());
    EXPECT_EQ(model.undoCaption(), "&Rückgängig");
    EXPECT_EQ(model.redoCaption(), "&Wiederholen");
}
