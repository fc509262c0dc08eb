// The wheel dialog driven like a user: tick numbers, pick the guarantee, run
// the search, page the result through the twelve tip rows, save the pages as
// numbered tip files, print, stop a long search, refuse too few numbers.
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QToolButton>
#include <QtTest>

#include <bit>
#include <filesystem>
#include <fstream>
#include <memory>
#include <set>

#include "../core/TestSupport.h"
#include "WindowFixture.h"
#include "DarovAduzez.h"
#include "WheelDialog.h"

using rz::test::rec;

namespace {

const std::vector<rz::DrawingRecord> kTwoDrawings = {rec(2019, 10, 15, {2, 11, 20, 38, 61}, 3),
                                                    rec(2019, 10, 18, {5, 12, 33, 41, 70}, 7)};

struct Program : rz::test::WindowProgram {
    Program() : WindowProgram(kTwoDrawings) {}

    template <typename T>
    T* widget(const QString& name) const {
        return rz::test::namedWidget<T>(form.get(), qPrintable(name));
    }
    void click(const QString& name) const { QTest::mouseClick(widget<QAbstractButton>(name), Qt::LeftButton); }
    QString text(const char* name) const { return widget<QLabel>(QLatin1String(name))->text(); }
    QString field(int row, int k) const { return widget<QLineEdit>(QLatin1String(rz::TipSet::fieldName(row, k)))->text(); }

    void openAndTick(const std::vector<int>& numbers) {
        click(QStringLiteral("WheelButton"));
        QVERIFY(form->wheelDialog()->isVisible());
        for (int n : numbers)
            click(QStringLiteral("WheelNumber%1").arg(n));
    }
};

const std::vector<int> kFourteen = {1, 4, 9, 13, 17, 22, 28, 33, 39, 45, 51, 58, 63, 70};

} // namespace

class WheelDialogTest : public QObject {
    Q_OBJECT
private slots:
    void fillsTheRowsPageByPageSavesAndPrints();
    void stopEndsALongSearchWithACheckedDesign();
    void tooFewNumbersAreRefusedAndTheRowsStay();
    void aKnownDesignIsShownAsOptimal();
};

void WheelDialogTest::fillsTheRowsPageByPageSavesAndPrints() {
    Program p;
    p.openAndTick(kFourteen);
    QCOMPARE(p.text("WheelCount"), QStringLiteral("14"));
    auto* guarantee = p.widget<QComboBox>(QStringLiteral("WheelGuarantee"));
    guarantee->setCurrentIndex(guarantee->findText(QStringLiteral("3 / 4")));
    p.widget<QDoubleSpinBox>(QStringLiteral("WheelSeconds"))->setValue(0.3);
    auto* megaBalls = p.widget<QLineEdit>(QStringLiteral("WheelMegaBalls"));
    megaBalls->setFocus();
    QTest::keyClicks(megaBalls, QStringLiteral("4, 24"));
    QVERIFY(!p.widget<QAbstractButton>(QStringLiteral("WheelNext"))->isEnabled());

    p.click(QStringLiteral("WheelStart"));
    QVERIFY2(p.platform.messages.empty(), p.platform.messages.empty() ? "" : p.platform.messages.front().c_str());
    const rz::wheel::WheelPages& pages = p.model.wheelPages;
    QVERIFY(!pages.empty());
    const int rows = static_cast<int>(pages.plays().size());
    QVERIFY(rows > 12); // 3 if 4 over 14 numbers takes more than a page
    QCOMPARE(p.text("WheelRows"), QString::number(rows));
    QVERIFY(p.text("WheelBound").toInt() <= rows);
    QVERIFY(p.text("WheelKnown").startsWith(QStringLiteral("%1 – ").arg(rows)));
    // Odds as "1 zu N" and money in the German form (the built-in texts).
    const QRegularExpression odds(QStringLiteral("^1 zu (\\d{1,3}(\\.\\d{3})*)(,\\d)?$"));
    const auto oneIn = [&](const char* name) {
        const QRegularExpressionMatch m = odds.match(p.text(name));
        if (!m.hasMatch())
            qFatal("not odds: %s", qPrintable(p.text(name)));
        return m.captured(1).remove(QLatin1Char('.')).toDouble() + m.captured(3).mid(1).toDouble() / 10;
    };
    QVERIFY(oneIn("WheelHit") <= oneIn("WheelCondition"));
    QCOMPARE(p.text("WheelCost"), QStringLiteral("%1,00\u00a0$").arg(5 * rows));
    QCOMPARE(p.text("WheelPage"), QStringLiteral("1-12 / %1").arg(rows));

    // The rows shown are the design's, over the ticked numbers, MegaBalls in turn.
    auto checkPage = [&](int page) {
        for (int r = 1; r <= 12; ++r) {
            const std::size_t i = static_cast<std::size_t>(page * 12 + r - 1);
            if (i >= pages.plays().size()) {
                QVERIFY(p.field(r, 1).isEmpty());
                continue;
            }
            for (int k = 1; k <= 5; ++k) {
                const int n = p.field(r, k).toInt();
                QCOMPARE(n, pages.plays()[i].numbers[static_cast<std::size_t>(k - 1)]);
                QVERIFY(std::find(kFourteen.begin(), kFourteen.end(), n) != kFourteen.end());
            }
            QCOMPARE(p.field(r, 6), QString::number(i % 2 == 0 ? 4 : 24));
        }
    };
    checkPage(0);
    QVERIFY(!p.widget<QAbstractButton>(QStringLiteral("WheelPrev"))->isEnabled());
    p.click(QStringLiteral("WheelNext"));
    QCOMPARE(p.text("WheelPage"), QStringLiteral("13-%1 / %2").arg(std::min(24, rows)).arg(rows));
    checkPage(1);
    p.click(QStringLiteral("WheelPrev"));
    checkPage(0);

    // Every 4 of the 14 meets some row in 3: the design the rows came from.
    std::vector<std::set<int>> played;
    for (const auto& play : pages.plays())
        played.emplace_back(play.numbers.begin(), play.numbers.end());
    for (unsigned m = 0; m < (1u << 14); ++m) {
        if (std::popcount(m) != 4)
            continue;
        bool met = false;
        for (const auto& row : played) {
            int hits = 0;
            for (int b = 0; b < 14; ++b)
                hits += (m >> b & 1) && row.count(kFourteen[static_cast<std::size_t>(b)]);
            met = met || hits >= 3;
        }
        QVERIFY(met);
    }

    // Saved as numbered tip files, one a page, twelve rows each.
    p.platform.fileAnswers = {p.home.file("wheel.qlt")};
    p.click(QStringLiteral("WheelSave"));
    const int pageCount = (rows + 11) / 12;
    for (int k = 1; k <= pageCount; ++k) {
        std::ifstream in(p.home.file("wheel_" + std::to_string(k) + ".qlt"), std::ios::binary);
        QVERIFY(in.good());
        std::string line;
        int lines = 0;
        while (std::getline(in, line)) {
            const auto& play = pages.plays()[static_cast<std::size_t>((k - 1) * 12 + lines)];
            std::string want;
            for (int n : play.numbers)
                want += std::to_string(n) + ",";
            want += std::to_string(play.megaBall) + ",\r";
            QCOMPARE(QString::fromStdString(line), QString::fromStdString(want));
            ++lines;
        }
        QCOMPARE(lines, std::min(12, rows - (k - 1) * 12));
    }
    QVERIFY(!std::filesystem::exists(p.home.file("wheel_" + std::to_string(pageCount + 1) + ".qlt")));

    // Printed: every row of every page in "Tipp.txt", opened by the shell.
    p.click(QStringLiteral("WheelPrint"));
    QVERIFY(p.platform.messages.empty());
    QCOMPARE(p.platform.opened.back(), p.home.file("Tipp.txt"));
    std::ifstream printed(p.home.file("Tipp.txt"), std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(printed)), std::istreambuf_iterator<char>());
    std::size_t megaBallLines = 0;
    for (std::size_t at = text.find("MegaBall: "); at != std::string::npos; at = text.find("MegaBall: ", at + 1))
        ++megaBallLines;
    QCOMPARE(megaBallLines, pages.plays().size());
    // The figures of the wheel head the list; the plays are numbered once over all pages.
    QVERIFY(text.find("\r\nZahlen (14): 1, 4, 9, 13, 17, 22, 28, 33, 39, 45, 51, 58, 63, 70\r\n") != std::string::npos);
    QVERIFY(text.find("\r\nGarantie: 3 Richtige in einer Reihe, wenn 4 der gezogenen Zahlen darunter sind\r\n") !=
            std::string::npos);
    QVERIFY(text.find("\r\nReihen: " + std::to_string(rows) + "\r\n") != std::string::npos);
    QVERIFY(text.find("\r\nSeite 2 von " + std::to_string(pageCount) + "\r\n13. ") != std::string::npos);
}

void WheelDialogTest::stopEndsALongSearchWithACheckedDesign() {
    Program p;
    p.openAndTick({2, 5, 8, 11, 14, 17, 20, 23, 26, 29, 32, 35, 38, 41, 44, 47, 50, 53, 56, 59});
    auto* guarantee = p.widget<QComboBox>(QStringLiteral("WheelGuarantee"));
    guarantee->setCurrentIndex(guarantee->findText(QStringLiteral("4 / 4")));
    p.widget<QDoubleSpinBox>(QStringLiteral("WheelSeconds"))->setValue(600);
    // The search lets events through a few times, then the user clicks
    // "stop": counted turns, not elapsed time. A lost stop would let the
    // search run its ten minutes, past the test's time limit.
    int turnsWhileSearching = 0;
    bool sawStop = false;
    p.platform.onPendingEvents = [&] {
        auto* stop = p.widget<QAbstractButton>(QStringLiteral("WheelStop"));
        if (!sawStop && stop->isEnabled() && ++turnsWhileSearching == 3) {
            QVERIFY(!p.widget<QAbstractButton>(QStringLiteral("WheelStart"))->isEnabled());
            sawStop = true;
            QTest::mouseClick(stop, Qt::LeftButton);
        }
    };
    p.click(QStringLiteral("WheelStart"));
    QVERIFY(sawStop);
    QVERIFY(p.model.wheelPages.design().stopped);
    QVERIFY(!p.model.wheelPages.empty());
    QVERIFY(rz::wheel::keepsGuarantee(20, {4, 4}, p.model.wheelPages.design().rows));
    QVERIFY(p.widget<QAbstractButton>(QStringLiteral("WheelStart"))->isEnabled());
    QVERIFY(!p.widget<QAbstractButton>(QStringLiteral("WheelStop"))->isEnabled());
    QVERIFY(!p.field(1, 1).isEmpty());
}

void WheelDialogTest::tooFewNumbersAreRefusedAndTheRowsStay() {
    Program p;
    p.model.tips.set(1, 1, "7");
    p.openAndTick({3, 4, 5});
    p.click(QStringLiteral("WheelStart"));
    QCOMPARE(p.platform.messages.size(), std::size_t{1});
    QCOMPARE(QString::fromStdString(p.platform.messages[0]),
             QString::fromUtf8("Bitte 6 bis 30 Zahlen ankreuzen (angekreuzt: 3)."));
    QVERIFY(p.model.wheelPages.empty());
    QCOMPARE(p.model.tips.get(1, 1), std::string("7"));
    QVERIFY(!p.widget<QAbstractButton>(QStringLiteral("WheelSave"))->isEnabled());
}

void WheelDialogTest::aKnownDesignIsShownAsOptimal() {
    // 3 if 3 over 17 numbers: the Steiner system, 68 rows, the bound.
    Program p;
    p.openAndTick({2, 5, 8, 11, 14, 17, 20, 23, 26, 29, 32, 35, 38, 41, 44, 47, 50});
    auto* guarantee = p.widget<QComboBox>(QStringLiteral("WheelGuarantee"));
    guarantee->setCurrentIndex(guarantee->findText(QStringLiteral("3 / 3")));
    p.click(QStringLiteral("WheelStart"));
    QVERIFY2(p.platform.messages.empty(), p.platform.messages.empty() ? "" : p.platform.messages.front().c_str());
    QCOMPARE(p.text("WheelRows"), QStringLiteral("68"));
    QCOMPARE(p.text("WheelBound"), QStringLiteral("68"));
    QCOMPARE(p.text("WheelKnown"),
             QString::fromUtf8("68 – aus einer bekannten Konstruktion; optimal: die untere Schranke ist erreicht"));
}

QTEST_MAIN(WheelDialogTest)
#include "test_wheeldialog.moc"
