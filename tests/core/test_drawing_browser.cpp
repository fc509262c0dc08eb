// The drawing browser without a window: lookup, previous and next over the
// drawing file and over records read before, with the captions in the
// language handed in.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "app/DrawingBrowser.h"

using namespace rz;
using rz::test::TempDir;

namespace {

const std::vector<DrawingRecord> kThree = {
    test::rec(2019, 10, 15, {4, 12, 14, 35, 70}, 2, 2),
    test::rec(2019, 10, 18, {18, 58, 60, 65, 67}, 20, 3),
    test::rec(2019, 10, 22, {5, 12, 33, 41, 70}, 7, 3),
};

// English weekday names and an English sum caption, so that a caption built
// in the built-in German would show.
LanguageTexts english() {
    LanguageTexts texts;
    texts.language = 2;
    std::vector<std::string> lines = MessageTable::builtIn();
    lines[static_cast<std::size_t>(Msg::Sum)] = "Sum";
    texts.messages.setLines(lines);
    return texts;
}

// The same calls over the file and over its records read once.
struct BrowserFixture : ::testing::Test {
    TempDir dir;
    std::string path = dir.file("Ruvuzevodare.dat");
    LanguageTexts texts = english();

    void store(const std::vector<DrawingRecord>& recs, const std::string& tail = {}) {
        test::writeDatabase(path, recs);
        if (!tail.empty())
            test::writeFile(path, test::readFile(path) + tail);
    }

    // Runs `call` on a browser over the file and one over the records, and
    // expects both to give the same view; returns the file's.
    template <class Call>
    DrawingView both(Call call) {
        const RecordSnapshot records = RecordSnapshot::read(path);
        const DrawingView fromFile = call(DrawingBrowser(path, texts));
        const DrawingView fromRecords = call(DrawingBrowser(records, texts));
        EXPECT_EQ(fromRecords.drawing, fromFile.drawing);
        EXPECT_EQ(fromRecords.found, fromFile.found);
        EXPECT_EQ(fromRecords.moved, fromFile.moved);
        EXPECT_EQ(fromRecords.caption, fromFile.caption);
        EXPECT_EQ(fromRecords.sumCaption, fromFile.sumCaption);
        EXPECT_EQ(fromRecords.trailingBytes, fromFile.trailingBytes);
        EXPECT_EQ(fromFile.readErrors, 0);
        return fromFile;
    }
};

} // namespace

TEST_F(BrowserFixture, LookupFindsTheDrawingOfADateWithCaptionsInTheLanguage) {
    store(kThree);
    struct Case {
        Ymd date;
        int position;
        CaptionVariant variant;
        const char* caption;
    } cases[] = {
        {{2019, 1, 1}, 0, CaptionVariant::FirstRecord, "Tue 15.10.19     4  12  14  35  70 MB:2 MP:2"},
        {{2019, 10, 15}, 0, CaptionVariant::FirstRecord, "Tue 15.10.19     4  12  14  35  70 MB:2 MP:2"},
        {{2019, 10, 16}, 1, CaptionVariant::LaterRecord, "Fri 18.10.19    18  58  60  65  67 MB:20 MP:3"},
        {{2019, 10, 18}, 1, CaptionVariant::LaterRecord, "Fri 18.10.19    18  58  60  65  67 MB:20 MP:3"},
        {{2019, 10, 22}, 2, CaptionVariant::EndOfFile, "Tue 22.10.19    5  12  33  41  70   MB: 7 MP: 3"},
        {{2030, 1, 1}, 2, CaptionVariant::EndOfFile, "Tue 22.10.19    5  12  33  41  70   MB: 7 MP: 3"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.caption);
        const DrawingView v =
            both([&](const DrawingBrowser& b) { return b.lookup(dayFromYmd(c.date.year, c.date.month, c.date.day)); });
        EXPECT_TRUE(v.found);
        EXPECT_EQ(v.drawing.Position, c.position);
        EXPECT_EQ(v.variant, c.variant);
        EXPECT_EQ(v.caption, c.caption);
        EXPECT_EQ(v.drawing.Datum1, kThree[static_cast<std::size_t>(c.position)].Date);
        EXPECT_EQ(v.drawing.Zahl[7], kThree[static_cast<std::size_t>(c.position)].Numbers[7]);
        EXPECT_EQ(v.trailingBytes, 0);
    }
    const DrawingView last = both([](const DrawingBrowser& b) { return b.lookup(dayFromYmd(2019, 10, 22)); });
    EXPECT_EQ(last.sumCaption, "Sum: 161");
}

TEST_F(BrowserFixture, StepsStayAtTheFirstAndTheLastDrawing) {
    store(kThree);
    CurrentDrawing shown = both([](const DrawingBrowser& b) { return b.lookup(dayFromYmd(2019, 10, 18)); }).drawing;
    // from the middle: next, next (stays), previous, previous, previous (stays)
    struct Step {
        char direction;
        int position;
        bool moved;
    } steps[] = {{'n', 2, true}, {'n', 2, false}, {'p', 1, true}, {'p', 0, true}, {'p', 0, false}};
    for (const Step& s : steps) {
        const DrawingView v = both([&](const DrawingBrowser& b) {
            return s.direction == 'n' ? b.next(shown) : b.previous(shown);
        });
        SCOPED_TRACE(std::string(1, s.direction) + " to " + std::to_string(s.position));
        EXPECT_TRUE(v.found);
        EXPECT_EQ(v.moved, s.moved);
        EXPECT_EQ(v.drawing.Position, s.position);
        EXPECT_EQ(v.drawing.Datum1, kThree[static_cast<std::size_t>(s.position)].Date);
        EXPECT_EQ(v.variant, CaptionVariant::EndOfFile); // a step always shows the end-of-file form
        EXPECT_NE(v.caption.find("   MB: "), std::string::npos) << v.caption;
        shown = v.drawing;
    }
}

TEST_F(BrowserFixture, AFileWithoutDrawingsKeepsTheDrawingShown) {
    store({});
    CurrentDrawing shown;
    shown.Datum1 = dayFromYmd(2019, 10, 18);
    shown.Zahl = {0, 18, 58, 60, 65, 67, 0, 20, 3};
    shown.Position = 4;
    for (const char* call : {"lookup", "previous", "next"}) {
        SCOPED_TRACE(call);
        const DrawingView v = both([&](const DrawingBrowser& b) {
            const std::string c = call;
            return c == "lookup" ? b.lookup(dayFromYmd(2019, 10, 18), shown)
                                 : c == "previous" ? b.previous(shown) : b.next(shown);
        });
        EXPECT_FALSE(v.found);
        EXPECT_TRUE(v.caption.empty());
        EXPECT_TRUE(v.sumCaption.empty());
        EXPECT_EQ(v.drawing.Datum1, shown.Datum1);
        EXPECT_EQ(v.drawing.Zahl, shown.Zahl);
    }
}

TEST_F(BrowserFixture, ABrokenEndIsToldAndItsBytesAreNeverADrawing) {
    store(kThree, std::string("\x01\x02\x03\x04\x05", 5));
    const DrawingView end = both([](const DrawingBrowser& b) { return b.lookup(dayFromYmd(2030, 1, 1)); });
    EXPECT_EQ(end.trailingBytes, 5);
    EXPECT_EQ(end.drawing.Position, 2);
    EXPECT_EQ(end.drawing.Datum1, kThree[2].Date);
    const DrawingView next = both([&](const DrawingBrowser& b) { return b.next(end.drawing); });
    EXPECT_FALSE(next.moved);
    EXPECT_EQ(next.trailingBytes, 5);
}

TEST_F(BrowserFixture, RecordsWithoutADateArePassedOver) {
    std::vector<DrawingRecord> recs = kThree;
    recs[1].Date = 0.0; // a damaged record between two drawings
    store(recs);
    const DrawingView v = both([](const DrawingBrowser& b) { return b.lookup(dayFromYmd(2019, 10, 16)); });
    EXPECT_EQ(v.drawing.Position, 2);
    const DrawingView back = both([&](const DrawingBrowser& b) { return b.previous(v.drawing); });
    EXPECT_EQ(back.drawing.Position, 0);
    EXPECT_EQ(back.drawing.Datum1, kThree[0].Date);
    const DrawingView forward = both([&](const DrawingBrowser& b) { return b.next(back.drawing); });
    EXPECT_EQ(forward.drawing.Position, 2);
}

TEST_F(BrowserFixture, AMissingFileIsAFileFailure) {
    const DrawingBrowser browser(path, texts);
    for (const char* call : {"lookup", "previous", "next"}) {
        SCOPED_TRACE(call);
        try {
            const std::string c = call;
            if (c == "lookup")
                browser.lookup(dayFromYmd(2019, 10, 18));
            else if (c == "previous")
                browser.previous({});
            else
                browser.next({});
            ADD_FAILURE() << "no failure";
        } catch (const Failure& f) {
            EXPECT_EQ(f.kind(), FailureKind::File);
            EXPECT_NE(std::string(f.what()).find("Ruvuzevodare.dat"), std::string::npos) << f.what();
        }
    }
}
