// The odds line under the tip rows follows the rows as the user types them,
// speaks the chosen language, and its dialog shows the prize tiers.
#include <QAction>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QtTest>

#include <filesystem>

#include "../core/TestSupport.h"
#include "DarovAduzez.h"
#include "WindowFixture.h"
#include "settings/SettingsStore.h"

using rz::test::rec;

namespace {

struct Program : rz::test::ShownProgram {
    Program() : ShownProgram({rec(2019, 10, 15, {2, 11, 20, 38, 61}, 3)}) {}
    QString line() const { return widget<QLabel>("OddsLine")->text(); }
    void type(int row, const std::vector<const char*>& values) {
        for (std::size_t k = 0; k < values.size(); ++k) {
            auto* e = widget<QLineEdit>(rz::TipSet::fieldName(row, static_cast<int>(k) + 1));
            e->setFocus();
            e->selectAll();
            QTest::keyClicks(e, QLatin1String(values[k]));
        }
        widget<QWidget>("Edit80")->setFocus(); // leave the row
        QApplication::processEvents();
    }
    QDialog* openDialog() {
        QTest::mouseClick(widget<QPushButton>("OddsButton"), Qt::LeftButton);
        QDialog* d = form->findChild<QDialog*>(QStringLiteral("OddsDialog"));
        if (!d)
            qFatal("no odds dialog");
        return d;
    }
};

} // namespace

class OddsGuiTest : public QObject {
    Q_OBJECT
private slots:
    void lineFollowsTheRowsInEnglish();
    void russianFormsAndTheDialog();
};

void OddsGuiTest::lineFollowsTheRowsInEnglish() {
    Program p;
    p.widget<QAction>("Englich1")->trigger();
    QApplication::processEvents();
    QCOMPARE(p.line(), QStringLiteral("No complete row: no odds to compute"));

    p.type(1, {"5", "17", "33", "41", "62", "9"});
    QCOMPARE(p.line(), QStringLiteral("Chance that these 1 rows win a prize: 1 in 23.1 · jackpot 1 in 290,472,336"));
    QCOMPARE(p.widget<QLabel>("OddsLine")->accessibleName(), p.line());

    // A second row with other numbers and MegaBall: the jackpot chance doubles.
    p.type(2, {"1", "2", "3", "4", "6", "10"});
    QVERIFY2(p.line().startsWith(QStringLiteral("Chance that these 2 rows win a prize: 1 in 11.")), qPrintable(p.line()));
    QVERIFY2(p.line().endsWith(QStringLiteral("jackpot 1 in 145,236,168")), qPrintable(p.line()));

    // A number twice: the row is skipped and said so.
    p.type(2, {"1", "1"});
    QCOMPARE(p.line(), QStringLiteral("Chance that these 1 rows win a prize: 1 in 23.1 · jackpot 1 in 290,472,336"
                                      " (1 incomplete rows not counted)"));

    QDialog* d = p.openDialog();
    QVERIFY(d->isVisible());
    QCOMPARE(d->windowTitle(), QStringLiteral("Odds of the tip rows"));
    QCOMPARE(d->accessibleName(), d->windowTitle());
    auto* table = rz::test::namedWidget<QTableWidget>(d, "OddsTable");
    QCOMPARE(table->rowCount(), 9);
    QCOMPARE(table->item(0, 0)->text(), QStringLiteral("5+1"));
    QCOMPARE(table->item(8, 0)->text(), QStringLiteral("0+1"));
    QCOMPARE(table->horizontalHeaderItem(0)->text(), QStringLiteral("Prize tier"));
    QCOMPARE(rz::test::namedWidget<QLabel>(d, "OddsJackpot")->text(), QStringLiteral("Jackpot: 1 in 290,472,336"));
    QCOMPARE(rz::test::namedWidget<QLabel>(d, "OddsRange")->text(), QStringLiteral("MegaBall 1–24; 1 rows counted, 1 skipped"));
    QTest::mouseClick(rz::test::namedWidget<QPushButton>(d, "OddsClose"), Qt::LeftButton);
    QTRY_VERIFY(!p.form->findChild<QDialog*>(QStringLiteral("OddsDialog")));
}

void OddsGuiTest::russianFormsAndTheDialog() {
    Program p;
    p.widget<QAction>("Russisch1")->trigger();
    QApplication::processEvents();
    p.type(1, {"5", "17", "33", "41", "62", "9"});
    QCOMPARE(p.line(), QString::fromUtf8("Шанс, что эти 1 ряда выиграют приз: 1 к 23,1 · джекпот 1 к 290\u00A0472\u00A0336"));
    QCOMPARE(p.widget<QPushButton>("OddsButton")->text(), QString::fromUtf8("&Шансы…"));
    QDialog* d = p.openDialog();
    QCOMPARE(d->windowTitle(), QString::fromUtf8("Шансы рядов"));
    QCOMPARE(rz::test::namedWidget<QLabel>(d, "OddsAny")->text(), QString::fromUtf8("Хотя бы один приз: 1 к 23,1"));
    d->close();
}

QTEST_MAIN(OddsGuiTest)
#include "test_odds_gui.moc"
