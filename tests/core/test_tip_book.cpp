// The tip book without a window: loading a tip file as the window's load
// does, saving, the printout and the odds line. The check of the rows
// against a drawing is in test_tipcheck.cpp.
#include <gtest/gtest.h>

#include "TestSupport.h"
#include "app/TipBook.h"

using namespace rz;
using rz::test::TempDir;

namespace {

using Texts = std::array<std::string, 7>;

struct TipBookFixture : ::testing::Test {
    TempDir dir;
    TipSet tips;
    LanguageTexts texts; // the built-in German
    TipBook book{tips, texts};

    void setRow(int r, const Texts& f) {
        for (int k = 1; k <= 7; ++k)
            tips.set(r, k, f[static_cast<std::size_t>(k - 1)]);
    }
    Texts row(int r) const {
        Texts out;
        for (int k = 1; k <= 7; ++k)
            out[static_cast<std::size_t>(k - 1)] = tips.get(r, k);
        return out;
    }
    // Expects `call` to fail with a failure of `kind` whose text holds `part`.
    template <class Call>
    void expectFailure(Call call, FailureKind kind, const std::string& part) {
        try {
            call();
            ADD_FAILURE() << "no failure, expected one naming " << part;
        } catch (const Failure& f) {
            EXPECT_EQ(f.kind(), kind) << f.what();
            EXPECT_NE(std::string(f.what()).find(part), std::string::npos) << f.what();
        }
    }
};

const Texts kEmpty{};

} // namespace

TEST_F(TipBookFixture, LoadClearsTheUnlockedRowsAndReadsTheFile) {
    setRow(1, {"1", "2", "3", "4", "5", "6", ""});
    setRow(2, {"10", "20", "30", "40", "50", "10", ""});
    setRow(7, {"7", "8", "9", "10", "11", "12", ""});
    tips.row(2).Locked = true;
    tips.row(7).hitCaption = "3";
    const std::string path = dir.file("mine.qlt");
    test::writeFile(path, "5,17,33,41,62,9,\r\n2,8,19,50,70,25,4\r\n");
    book.load(path);
    // Twelve lines are read into rows 1..12 (the locked row too); missing lines read as empty.
    EXPECT_EQ(row(1), (Texts{"5", "17", "33", "41", "62", "9", ""}));
    EXPECT_EQ(row(2), (Texts{"2", "8", "19", "50", "70", "25", "4"}));
    EXPECT_TRUE(tips.row(2).Locked);
    EXPECT_EQ(row(7), kEmpty);
    EXPECT_EQ(tips.row(7).hitCaption, ""); // a cleared row shows no old check

    // An empty file is a tip file without rows: the unlocked rows are empty afterwards.
    const std::string empty = dir.file("empty.qlt");
    test::writeFile(empty, "");
    setRow(3, {"1", "2", "3", "4", "5", "6", ""});
    book.load(empty);
    EXPECT_EQ(row(3), kEmpty);
}

TEST_F(TipBookFixture, AFileThatIsNoTipFileIsRefusedAndTheRowsStay) {
    setRow(1, {"5", "12", "33", "1", "2", "7", ""});
    tips.row(1).hitCaption = "3 + MB";
    const TipSet before = tips;
    struct Case {
        const char* name;
        std::string content;
    } cases[] = {
        {"history.qlt", "date,n1,n2,n3,n4,n5,megaball,megaplier\n2002-05-17,15,18,25,33,47,30,\n"},
        {"printout.qlt", " 1. Quendrals Lotto-Tipp f\xc3\xbcr :  5   17   33   41   62   MegaBall:  9\r\n"},
        {"binary.qlt", std::string(40, '\x01') + "\r\n5,17,33,41,62,9,\r\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = dir.file(c.name);
        test::writeFile(path, c.content);
        expectFailure([&] { book.load(path); }, FailureKind::File, path);
        expectFailure([&] { book.load(path); }, FailureKind::File, "ist keine Tippdatei");
        EXPECT_EQ(tips, before); // values, locks and hit displays as they were
    }
}

TEST_F(TipBookFixture, AFileThatCannotBeReadIsAFileFailureNamingIt) {
    expectFailure([&] { book.load(dir.file("vanished.qlt")); }, FailureKind::File, "vanished.qlt");
}

TEST_F(TipBookFixture, SaveWritesTheFilledRowsAndReportsAFolderThatIsMissing) {
    setRow(2, {"5", "17", "33", "41", "62", "9", ""});
    setRow(5, {"2", "8", "19", "50", "70", "25", "4"});
    setRow(6, {"", "8", "19", "50", "70", "25", ""}); // not filled: no line
    const std::string path = dir.file("mine.qlt");
    book.save(path);
    EXPECT_EQ(test::readFile(path), "5,17,33,41,62,9,\r\n2,8,19,50,70,25,4\r\n");

    expectFailure([&] { book.save(dir.file("no-such-folder/x.qlt")); }, FailureKind::File, "no-such-folder");
}

TEST_F(TipBookFixture, ThePrintoutRefusesAnIncompleteRowAndWritesNothing) {
    setRow(1, {"5", "17", "33", "41", "62", "9", "3"});
    const DayNumber friday = dayFromYmd(2019, 10, 18);
    EXPECT_EQ(book.printout(friday).rfind("Quendrals Lotto-Tipp f\xc3\xbcr  18.10.2019\r\n", 0), 0u);

    const std::string path = dir.file("Tipp.txt");
    test::writeFile(path, "the list before");
    setRow(4, {"5", "17", "", "41", "62", "", ""});
    expectFailure([&] { book.writePrintout(path, friday); }, FailureKind::Refused, "Tipp 4");
    EXPECT_EQ(test::readFile(path), "the list before");

    setRow(4, {"5", "17", "20", "41", "62", "8", ""});
    book.writePrintout(path, friday);
    EXPECT_EQ(test::readFile(path), test::inSystemForm(book.printout(friday)));
}

TEST_F(TipBookFixture, TheOddsLineCountsRowsAndNamesTheSkippedOnes) {
    EXPECT_EQ(book.oddsLine(book.odds(24)), "Keine vollständige Reihe: keine Gewinnchance zu berechnen");

    setRow(1, {"1", "2", "3", "4", "5", "25", ""}); // MegaBall 25 is not among 1..24: no jackpot
    setRow(2, {"1", "2", "3", "", "", "", ""});    // skipped
    const TipOdds o24 = book.odds(24);
    EXPECT_EQ(o24.rows, 1);
    EXPECT_EQ(o24.skipped, 1);
    EXPECT_EQ(o24.pJackpot, 0.0);
    const std::string line = book.oddsLine(o24);
    EXPECT_EQ(line.rfind("Chance, dass diese 1 Reihen etwas gewinnen: 1 zu ", 0), 0u) << line;
    EXPECT_NE(line.find("Jackpot 1 zu nie (1 unvollständige Reihen nicht gezählt)"), std::string::npos) << line;

    const TipOdds o25 = book.odds(25);
    EXPECT_GT(o25.pJackpot, 0.0);
    EXPECT_GT(o25.pAny, o24.pAny); // the MegaBall can be hit now
}
