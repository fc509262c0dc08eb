// The number selection list window: the view of the model's boxes, the
// modal results, box clicks, the random pick with its timer, and the list
// file buttons.
#include <QApplication>
#include <QCheckBox>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <functional>

#include "../core/TestSupport.h"
#include "Zahlenwahl.h"
#include "app/MainModel.h"

namespace {

QCheckBox* box(const Zahlenwahl& dlg, int n) { return dlg.findChild<QCheckBox*>(QStringLiteral("CheckBox%1").arg(n)); }

QPushButton* push(const Zahlenwahl& dlg, const char* name) { return dlg.findChild<QPushButton*>(QString::fromUtf8(name)); }

// Shows the list modally and runs `inside` once it is up; whatever happens
// inside, the window is closed afterwards so that the test cannot hang.
rz::ModalResult runModal(Zahlenwahl& dlg, const std::function<void()>& inside) {
    QTimer::singleShot(0, &dlg, [&] {
        inside();
        if (dlg.isVisible())
            dlg.reject();
    });
    return dlg.showModalList();
}

// The colour the box's background is filled with.
QColor windowColour(const QWidget* w) {
    return w->autoFillBackground() ? w->palette().color(w->backgroundRole()) : QColor();
}

// The boxes of the view against the model, and their colours.
void compareWithModel(const Zahlenwahl& dlg, const rz::NumberList& nl) {
    for (int n = 1; n <= 70; ++n) {
        QCOMPARE(box(dlg, n)->isChecked(), nl.box(n).checked);
        const QColor want = nl.box(n).colour == rz::Colour::Yellow ? QColor(255, 255, 0)
                                                                   : QApplication::palette().color(QPalette::ToolTipBase);
        QCOMPARE(windowColour(box(dlg, n)), want);
    }
}

} // namespace

class TestZahlenwahl : public QObject {
    Q_OBJECT
private slots:
    void showsTheModelsBoxes();
    void closesWithItsResult_data();
    void closesWithItsResult();
    void boxClicksWriteBack();
    void randomPickFollowsTheSharedGenerator();
    void timerRunsThePickUntilTheWindowCloses();
    void loadAndSaveButtonsUseTheListFile();
};

void TestZahlenwahl::showsTheModelsBoxes() {
    rz::MainModel model;
    QWidget parent;
    parent.setGeometry(100, 100, 800, 600);
    parent.show();
    Zahlenwahl dlg(model, &parent);
    QCOMPARE(dlg.objectName(), QStringLiteral("TForm6"));

    rz::NumberList& nl = model.numberList;
    for (int n = 1; n <= 70; ++n)
        nl.box(n).checked = false;
    nl.box(3) = {true, "2", rz::Colour::Yellow};
    nl.box(7) = {true, "", rz::Colour::TooltipBackground};
    nl.box(70) = {false, "12", rz::Colour::Yellow};
    nl.caption = "Zahlen für Berechnung wählen";

    runModal(dlg, [&] {
        QCOMPARE(dlg.windowTitle(), QString::fromUtf8("Zahlen für Berechnung wählen"));
        compareWithModel(dlg, nl);
        QCOMPARE(box(dlg, 3)->toolTip(), QStringLiteral("2"));
        QCOMPARE(box(dlg, 7)->toolTip(), QString());
        QCOMPARE(box(dlg, 70)->toolTip(), QStringLiteral("12"));
        // Captions "1".."70" in ten lines of seven.
        for (int n = 1; n <= 70; ++n) {
            QCheckBox* b = box(dlg, n);
            QVERIFY(b);
            QCOMPARE(b->text(), QString::number(n));
            if ((n - 1) % 7 != 0) {
                QCOMPARE(b->y(), box(dlg, n - 1)->y());
                QVERIFY(b->x() > box(dlg, n - 1)->x());
            }
            if (n > 7) {
                QCOMPARE(b->x(), box(dlg, n - 7)->x());
                QVERIFY(b->y() > box(dlg, n - 7)->y());
            }
        }
        // Centred on the parent.
        const QPoint offset = dlg.frameGeometry().center() - parent.frameGeometry().center();
        QVERIFY2(offset.manhattanLength() <= 4, qPrintable(QStringLiteral("%1,%2").arg(offset.x()).arg(offset.y())));
        // Save and load carry their hints.
        QCOMPARE(dlg.findChild<QToolButton*>(QStringLiteral("SpeedButton1"))->toolTip(), QStringLiteral("Speichern der Liste"));
        QCOMPARE(dlg.findChild<QToolButton*>(QStringLiteral("SpeedButton2"))->toolTip(), QStringLiteral("Laden der Liste"));
    });
}

void TestZahlenwahl::closesWithItsResult_data() {
    QTest::addColumn<QString>("action");
    QTest::addColumn<bool>("retryVisible");
    QTest::addColumn<int>("expected");
    QTest::newRow("OK") << "BitBtn1" << false << int(rz::ModalResult::Ok);
    QTest::newRow("Abort") << "BitBtn2" << true << int(rz::ModalResult::Abort);
    QTest::newRow("Rechnen") << "BitBtn3" << true << int(rz::ModalResult::Retry);
    QTest::newRow("closing the window") << "close" << true << int(rz::ModalResult::Abort);
    QTest::newRow("Escape") << "escape" << false << int(rz::ModalResult::Abort);
    QTest::newRow("Enter") << "enter" << false << int(rz::ModalResult::Ok);
    QTest::newRow("Enter under Rechnen is still OK") << "enter" << true << int(rz::ModalResult::Ok);
}

void TestZahlenwahl::closesWithItsResult() {
    QFETCH(QString, action);
    QFETCH(bool, retryVisible);
    QFETCH(int, expected);
    rz::MainModel model;
    Zahlenwahl dlg(model);
    model.numberList.retryVisible = retryVisible;
    model.numberList.randomVisible = !retryVisible;
    const rz::ModalResult result = runModal(dlg, [&] {
        QPushButton* ok = push(dlg, "BitBtn1");
        QPushButton* retry = push(dlg, "BitBtn3");
        QVERIFY(ok->isDefault());
        QCOMPARE(ok->text(), QStringLiteral("OK"));
        QCOMPARE(push(dlg, "BitBtn2")->text(), QStringLiteral("Abort"));
        QCOMPARE(retry->text(), QStringLiteral("&Rechnen"));
        QCOMPARE(retry->isVisible(), retryVisible);
        QCOMPARE(push(dlg, "BitBtn4")->isVisible(), !retryVisible);
        if (retryVisible) // "&Rechnen" lies over "OK"
            QCOMPARE(retry->geometry(), ok->geometry());
        if (action == QLatin1String("close"))
            dlg.close();
        else if (action == QLatin1String("escape"))
            QTest::keyClick(box(dlg, 1), Qt::Key_Escape);
        else if (action == QLatin1String("enter"))
            QTest::keyClick(box(dlg, 1), Qt::Key_Return);
        else
            QTest::mouseClick(push(dlg, qPrintable(action)), Qt::LeftButton);
    });
    QCOMPARE(int(result), expected);
    QVERIFY(!dlg.isVisible());
}

void TestZahlenwahl::boxClicksWriteBack() {
    rz::MainModel model;
    Zahlenwahl dlg(model);
    model.numberList.box(5).checked = true;
    model.numberList.box(6).checked = false;
    const rz::ModalResult result = runModal(dlg, [&] {
        QTest::mouseClick(box(dlg, 5), Qt::LeftButton);
        QTest::mouseClick(box(dlg, 6), Qt::LeftButton);
        QTest::mouseClick(push(dlg, "BitBtn1"), Qt::LeftButton);
    });
    QCOMPARE(result, rz::ModalResult::Ok);
    QVERIFY(!model.numberList.box(5).checked);
    QVERIFY(model.numberList.box(6).checked);
    QVERIFY(model.numberList.box(4).checked);
}

void TestZahlenwahl::randomPickFollowsTheSharedGenerator() {
    // Drives the pick step by step (no event processing in between, so the
    // 25 ms timer cannot add steps) and repeats the same on a bare list.
    rz::MainModel model;
    Zahlenwahl dlg(model);
    rz::NumberList& nl = model.numberList;
    nl.retryVisible = false;
    nl.randomVisible = true;
    model.rng.RandSeed = 20240611u;
    rz::NumberList ref = nl;
    rz::Rng refRng;
    refRng.RandSeed = model.rng.RandSeed;

    runModal(dlg, [&] {
        QPushButton* random = push(dlg, "BitBtn4");
        QTimer* timer = dlg.findChild<QTimer*>(QStringLiteral("Timer1"));
        QVERIFY(random && timer);
        QVERIFY(random->isVisible());
        QCOMPARE(random->text(), QStringLiteral("&Zufall"));
        QVERIFY(!timer->isActive());

        random->click(); // start
        ref.randomButtonClick();
        QVERIFY(timer->isActive());
        QCOMPARE(timer->interval(), 25);
        for (int click = 1; click <= 5; ++click) {
            for (int step = 0; step < 3; ++step) {
                dlg.timerTick();
                ref.randomDrawTick(refRng);
            }
            QCOMPARE(model.rng.RandSeed, refRng.RandSeed);
            QCOMPARE(random->text(), QStringLiteral("%1 Stop").arg(click));
            compareWithModel(dlg, nl);
            for (int n = 1; n <= 70; ++n)
                QCOMPARE(nl.box(n).checked, ref.box(n).checked);
            random->click(); // fixes position `click`; the fifth click stops
            ref.randomButtonClick();
        }
        QVERIFY(!timer->isActive());
        QCOMPARE(random->text(), QStringLiteral("Zufall"));
        int checked = 0;
        for (int n = 1; n <= 70; ++n) {
            QCOMPARE(nl.box(n).checked, ref.box(n).checked);
            if (box(dlg, n)->isChecked()) {
                ++checked;
                QCOMPARE(windowColour(box(dlg, n)), QColor(255, 255, 0));
            }
        }
        QCOMPARE(checked, 5);
        QTest::mouseClick(push(dlg, "BitBtn1"), Qt::LeftButton);
    });
}

void TestZahlenwahl::timerRunsThePickUntilTheWindowCloses() {
    rz::MainModel model;
    Zahlenwahl dlg(model);
    rz::NumberList& nl = model.numberList;
    nl.retryVisible = false;
    nl.randomVisible = true;
    model.rng.RandSeed = 77u;
    runModal(dlg, [&] {
        QPushButton* random = push(dlg, "BitBtn4");
        random->click();
        QTRY_VERIFY_WITH_TIMEOUT(random->text() == QStringLiteral("1 Stop"), 2000);
        const std::uint32_t seed = model.rng.RandSeed;
        QTRY_VERIFY_WITH_TIMEOUT(model.rng.RandSeed != seed, 2000); // the numbers keep changing
        int checked = 0;
        for (int n = 1; n <= 70; ++n)
            checked += box(dlg, n)->isChecked() ? 1 : 0;
        QCOMPARE(checked, 5);
        dlg.close(); // during the pick
    });
    QVERIFY(!nl.timerRunning);
    QCOMPARE(nl.Losgeht, 1);
    QVERIFY(!dlg.findChild<QTimer*>(QStringLiteral("Timer1"))->isActive());
    // No more steps once the window is closed.
    const std::uint32_t seed = model.rng.RandSeed;
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    QCOMPARE(model.rng.RandSeed, seed);
    // Shown again, the button reads "Zufall".
    runModal(dlg, [&] { QCOMPARE(push(dlg, "BitBtn4")->text(), QStringLiteral("Zufall")); });
}

void TestZahlenwahl::loadAndSaveButtonsUseTheListFile() {
    rz::test::TempDir dir;
    rz::test::ScriptedPlatform platform;
    rz::MainModel model;
    platform.attach(model);
    Zahlenwahl dlg(model);
    const std::string listFile = dir.file("short.qlw");
    rz::test::writeFile(listFile, "3\r\n\r\nabc\r\n4\r\n5\r\n6\r\n7\r\n8\r\n9\r\n10\r\n");
    const std::string savedFile = dir.file("saved.qlw");
    platform.fileAnswers = {listFile, savedFile};

    runModal(dlg, [&] {
        dlg.findChild<QToolButton*>(QStringLiteral("SpeedButton2"))->click(); // load
        QVERIFY(box(dlg, 1)->isChecked());
        QCOMPARE(box(dlg, 1)->toolTip(), QStringLiteral("3"));
        QVERIFY(!box(dlg, 2)->isChecked());
        QCOMPARE(box(dlg, 2)->toolTip(), QStringLiteral("1"));
        QCOMPARE(box(dlg, 3)->toolTip(), QStringLiteral("abc"));
        for (int n = 11; n <= 70; ++n) {
            QVERIFY(!box(dlg, n)->isChecked());
            QCOMPARE(box(dlg, n)->toolTip(), QStringLiteral("1"));
        }
        QTest::mouseClick(box(dlg, 2), Qt::LeftButton); // checked again, weight "1"
        QTest::mouseClick(box(dlg, 4), Qt::LeftButton); // unchecked
        dlg.findChild<QToolButton*>(QStringLiteral("SpeedButton1"))->click(); // save
        QVERIFY(dlg.isVisible());
    });
    QCOMPARE(platform.fileRequests.size(), std::size_t(2));
    for (const auto& r : platform.fileRequests) {
        QCOMPARE(r.filter, std::string("Werteliste|*.qlw"));
        QCOMPARE(r.defaultExt, std::string("qlw"));
    }
    std::string expected = "3\r\n1\r\nabc\r\n\r\n5\r\n6\r\n7\r\n8\r\n9\r\n10\r\n";
    for (int n = 11; n <= 70; ++n)
        expected += "\r\n";
    QCOMPARE(rz::test::readFile(savedFile), expected);
}

QTEST_MAIN(TestZahlenwahl)
#include "test_zahlenwahl.moc"
