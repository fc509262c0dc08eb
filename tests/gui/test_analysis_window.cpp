// The tip search and the two historic analyses from the main window: the
// buttons reach the model, the window is locked while an analysis runs and
// Escape stops it.
#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <filesystem>
#include <memory>

#include "../core/TestSupport.h"
#include "WindowFixture.h"
#include "DarovAduzez.h"
#include "QtPlatform.h"

using rz::test::rec;

namespace {

using Program = rz::test::WindowProgram;
using rz::test::kThreeDrawings;

} // namespace

class AnalysisWindowTest : public QObject {
    Q_OBJECT
private slots:
    void searchButtonStopsAtTheFoundDrawing();
    void settingsAnalysisLocksTheWindowUntilEscape();
    void drawingAnalysisWritesAndOpensItsReport();
};

void AnalysisWindowTest::searchButtonStopsAtTheFoundDrawing() {
    Program p(kThreeDrawings);
    for (int k = 1; k <= 6; ++k)
        p.model.tips.set(2, k, std::to_string(std::array<int, 6>{5, 12, 33, 41, 70, 7}[static_cast<std::size_t>(k - 1)]));
    p.platform.inputAnswers = {std::string("5")};
    p.platform.questionAnswers = {false};
    QVERIFY(p.enabled("SpeedButton4"));
    p.click("SpeedButton4");
    QCOMPARE(p.model.lastSearchStop.row, 2);
    QCOMPARE(p.model.lastSearchStop.date, rz::dayFromYmd(2019, 10, 18));
    QCOMPARE(p.widget<QLabel>("Label23")->text(), QStringLiteral("5 + MB"));
}

void AnalysisWindowTest::settingsAnalysisLocksTheWindowUntilEscape() {
    Program p(kThreeDrawings);
    QtPlatform qt;
    qt.attachWindows(p.form.get(), nullptr);
    p.model.setServices({.dialogs = &p.platform, .shell = &p.platform, .sound = &p.platform, .events = &qt});
    // No tip passes this rule: the first pass's run goes on until it is stopped.
    p.model.Settings.set(rz::Gs::MaxRunsThousands, 30000);
    p.model.Settings.set(rz::Gs::MinEvenEnabled, 1);
    p.model.Settings.set(rz::Gs::MinEven, 6);
    p.model.DateTimePicker1.date = rz::dayFromYmd(2019, 10, 15);
    p.form->show();
    QVERIFY(QTest::qWaitForWindowExposed(p.form.get()));
    p.form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(p.form.get())); // Escape is a shortcut of the active window
    p.platform.questionAnswers = {true};
    p.platform.inputAnswers = {std::string("1")};

    // Once the analysis runs: its button alone stays usable, then Escape.
    bool ownButton = false, othersLocked = false;
    const rz::test::OnceReady escape(
        [&] { return p.model.operation.running(rz::OperationKind::SettingsAnalysis); },
        [&] {
            ownButton = p.enabled("BitBtn9");
            othersLocked = !p.enabled("BitBtn4") && !p.enabled("BitBtn19") && !p.enabled("SpeedButton4") &&
                           !p.enabled("ImportButton") && !p.enabled("Edit1") && !p.enabled("DateTimePicker1") &&
                           !p.enabled("BitBtn1") && !p.enabled("BitBtn8") && // also those the window enables from the model
                           !p.enabled("Warenkorb") && !p.enabled("OnlineTipp");
            QTest::keyClick(p.form.get(), Qt::Key_Escape);
        });
    p.click("BitBtn9"); // returns when the analysis has ended

    QVERIFY(escape.done());
    QVERIFY(ownButton);
    QVERIFY(othersLocked);
    QCOMPARE(p.model.lastAnalysisOutcome, rz::MainModel::AnalysisOutcome::Stopped);
    const std::string report = rz::test::readFile(p.home.file("Test.rtf"));
    QVERIFY(report.find("Ziehungen: 0mit je 5Tipp => 0 Reihen") != std::string::npos);
    QCOMPARE(p.platform.opened.back(), p.home.file("Test.rtf"));
    QCOMPARE(p.labelText("StatusPanel1"), QStringLiteral("Die Analyse wurde vorzeitig beendet."));
    QVERIFY(p.enabled("BitBtn4") && p.enabled("BitBtn19") && p.enabled("SpeedButton4") && p.enabled("Edit1") &&
            p.enabled("BitBtn1"));
    QVERIFY(p.enabled("Warenkorb") && p.enabled("OnlineTipp"));
    QCOMPARE(p.widget<QPushButton>("BitBtn4")->text(), QStringLiteral("Tipps berechnen"));
    QCOMPARE(QApplication::overrideCursor(), nullptr);
    p.platform.attach(p.model);
}

void AnalysisWindowTest::drawingAnalysisWritesAndOpensItsReport() {
    Program p(kThreeDrawings);
    p.model.DateTimePicker1.date = rz::dayFromYmd(2019, 10, 15);
    p.platform.questionAnswers = {true};
    p.platform.inputAnswers = {std::string("6")};
    p.click("BitBtn19");
    // 15 Oct -> 18 Oct and 18 Oct -> 22 Oct share nothing; 18 Oct shares
    // nothing with 15 Oct.
    const std::string expected = "Treffer von Ziehungen in der Datenbank\r\n0    =>1\r\n1    =>0\r\n2    =>0\r\n"
                                 "3    =>0\r\n4    =>0\r\n5    =>0\r\n \r\n"
                                 "Wie oft gab es bei der nächsten Ziehung ähnliche Zahlen\r\n0    =>2\r\n1    =>0\r\n"
                                 "2    =>0\r\n3    =>0\r\n4    =>0\r\n5    =>0\r\n";
    // The report as it was, then its comparison with chance.
    const std::string file = rz::test::readFile(p.home.file("Test.rtf"));
    QCOMPARE(file.substr(0, expected.size()), expected);
    QVERIFY(file.find("\r\nVerglichen mit dem Zufall\r\nTreffer von Ziehungen in der Datenbank\r\nKlasse\tbeobachtet") != std::string::npos);
    QVERIFY(file.find("\r\nA0\t1\t") != std::string::npos);
    QCOMPARE(p.platform.opened.back(), p.home.file("Test.rtf"));
    QCOMPARE(p.widget<QLabel>("Label29")->text().left(11), QStringLiteral("Di 22.10.19"));
    // The status bar ends with the result, not with the last pass's progress.
    QCOMPARE(p.labelText("StatusPanel1"), QStringLiteral("Analyse beendet; Durchläufe: 2."));
}

QTEST_MAIN(AnalysisWindowTest)
#include "test_analysis_window.moc"
