// The desktop around the tabs, used as a user would: the File menu with the
// recent tip files, the Edit menu's undo and redo of the tip rows, the Help
// menu, the wheel dialog as the last run left it, and the chart that follows
// its first date, reads a bar under the mouse and copies itself.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QChart>
#include <QChartView>
#include <QClipboard>
#include <QComboBox>
#include <QDateEdit>
#include <QDialog>
#include <QTextBrowser>
#include <QUrl>
#include <QDoubleSpinBox>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QTimer>
#include <QTabWidget>
#include <QToolButton>
#include <QToolTip>
#include <QHelpEvent>
#include <QValueAxis>
#include <QtTest>

#include <filesystem>

#include "../core/TestSupport.h"
#include "ChartPage.h"
#include "WheelDialog.h"
#include "WindowFixture.h"

namespace {

struct Program : rz::test::WindowProgram {
    Program() : WindowProgram(rz::test::kThreeDrawings) {}
    QAction* action(const char* name) const {
        auto* a = form->findChild<QAction*>(QLatin1String(name));
        if (!a)
            qFatal("no action %s", name);
        return a;
    }
    QString field(int row, int k) const {
        return widget<QLineEdit>(rz::TipSet::fieldName(row, k))->text();
    }
    void type(int row, int k, const QString& text) const {
        QLineEdit* e = widget<QLineEdit>(rz::TipSet::fieldName(row, k));
        e->setFocus();
        e->selectAll();
        QTest::keyClicks(e, text);
    }
};

} // namespace

class DesktopTest : public QObject {
    Q_OBJECT
private slots:
    void menusStandWhereUsersLookAndAreNamed();
    void recentTipFilesLoadAgainFromTheFileMenu();
    void editMenuTakesBackTypingAndClearing();
    void wheelDialogShowsWhatTheLastRunLeft();
    void chartFollowsItsFirstDateReadsABarAndCopiesItself();
};

void DesktopTest::menusStandWhereUsersLookAndAreNamed() {
    Program p;
    const QList<QAction*> top = p.form->menuBar()->actions();
    QVERIFY(top.size() >= 3);
    QCOMPARE(top.first()->objectName(), QStringLiteral("Datei1"));
    QCOMPARE(top.at(1)->objectName(), QStringLiteral("Bearbeiten1"));
    QCOMPARE(top.last()->objectName(), QStringLiteral("Hilfe1"));
    for (const char* name : {"Datei1", "Bearbeiten1", "Hilfe1", "ZuletztGeoeffnet1"}) {
        auto* menu = p.form->findChild<QMenu*>(QLatin1String(name));
        QVERIFY2(menu, name);
        QVERIFY2(!menu->title().isEmpty(), name);
    }
    for (const char* name : {"TippLaden1", "TippSpeichern1", "Rueckgaengig1", "Wiederholen1", "Handbuch1",
                             "DatenordnerOeffnen1", "Info1"})
        QVERIFY2(!p.action(name)->text().isEmpty(), name);
    QCOMPARE(p.action("Handbuch1")->shortcut(), QKeySequence(Qt::Key_F1));

    // "Open data folder" asks the shell for the folder of the user's files.
    p.action("DatenordnerOeffnen1")->trigger();
    QCOMPARE(p.platform.opened.back(), p.home.str());

    // Without the manual the user is told so.
    p.action("Handbuch1")->trigger();
    QCOMPARE(p.platform.messages.size(), std::size_t(1));
    QVERIFY(p.platform.messages.back().find("manual_en.html") != std::string::npos);

    // The manual shipped with the program opens in a help window, in the
    // user's language or else in English.
    namespace fs = std::filesystem;
    fs::create_directories(p.home.file("help"));
    fs::copy_file(fs::path(RZ_SOURCE_DIR) / "data/help/manual_de.html", p.home.file("help/manual_de.html"));
    fs::copy_file(fs::path(RZ_SOURCE_DIR) / "data/help/manual_en.html", p.home.file("help/manual_en.html"));
    p.action("Handbuch1")->trigger();
    auto* help = p.form->findChild<QDialog*>(QStringLiteral("HelpForm"));
    QVERIFY(help && help->isVisible());
    auto* text = help->findChild<QTextBrowser*>(QStringLiteral("HelpText"));
    QCOMPARE(text->source(), QUrl::fromLocalFile(QString::fromStdString(p.home.file("help/manual_de.html"))));
    QVERIFY(text->toPlainText().contains(QStringLiteral("Kurzanleitung")));
    QCOMPARE(help->windowTitle(), QStringLiteral("Handbuch"));
    QCOMPARE(text->accessibleName(), QStringLiteral("Handbuch"));
    p.model.sprache = 6; // Russian has no manual of its own
    p.action("Handbuch1")->trigger();
    QCOMPARE(text->source(), QUrl::fromLocalFile(QString::fromStdString(p.home.file("help/manual_en.html"))));
    QCOMPARE(p.platform.messages.size(), std::size_t(1));
    help->hide();

    // About names the version and the places; it closes with its button.
    QString aboutText;
    QTimer::singleShot(0, [&] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* box = qobject_cast<QMessageBox*>(w); box && box->objectName() == QLatin1String("AboutBox")) {
                aboutText = box->informativeText();
                QVERIFY(!box->accessibleName().isEmpty());
                box->accept();
            }
    });
    p.action("Info1")->trigger();
    QVERIFY(aboutText.contains(QString::fromStdString(p.home.str())));
    QVERIFY(aboutText.contains(QStringLiteral("LGPL-3.0")));
}

void DesktopTest::recentTipFilesLoadAgainFromTheFileMenu() {
    Program p;
    const std::string first = p.home.file("erste.qlt");
    const std::string second = p.home.file("zweite.qlt");
    rz::test::writeFile(first, "1,2,3,4,5,6,\r\n");
    rz::test::writeFile(second, "7,8,9,10,11,12,\r\n");
    auto* none = p.form->findChild<QAction*>(QStringLiteral("RecentTipFileNone"));
    QVERIFY(none && none->isVisible() && !none->isEnabled());

    p.platform.fileAnswers = {first};
    p.action("TippLaden1")->trigger();
    p.platform.fileAnswers = {second};
    p.click("SpeedButton16"); // the button of the tip page loads as the menu does
    QCOMPARE(p.field(1, 1), QStringLiteral("7"));

    QAction* latest = p.action("RecentTipFile1");
    QAction* before = p.action("RecentTipFile2");
    QVERIFY(latest->isVisible() && before->isVisible());
    QVERIFY(!p.action("RecentTipFile3")->isVisible());
    QVERIFY(!none->isVisible());
    QVERIFY(latest->text().contains(QStringLiteral("zweite.qlt")));
    QVERIFY(before->text().startsWith(QStringLiteral("&2 ")));
    before->trigger();
    QCOMPARE(p.field(1, 1), QStringLiteral("1"));
    QVERIFY(p.action("RecentTipFile1")->text().contains(QStringLiteral("erste.qlt")));
}

void DesktopTest::editMenuTakesBackTypingAndClearing() {
    Program p;
    p.form->show();
    p.form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(p.form.get()));
    QAction* undo = p.action("Rueckgaengig1");
    QAction* redo = p.action("Wiederholen1");
    QVERIFY(!undo->isEnabled());
    p.type(2, 1, QStringLiteral("17"));
    p.type(2, 2, QStringLiteral("23"));
    QCOMPARE(undo->text(), QStringLiteral("&Rückgängig: Änderung an Tipp 2"));
    p.click("SpeedButton11"); // clear every unlocked row
    QCOMPARE(p.field(2, 1), QString());
    QCOMPARE(undo->text(), QStringLiteral("&Rückgängig: Löschen der Tipps"));
    // Ctrl+Z on the window (not in a field, whose own undo takes the key there).
    p.widget<QWidget>("TabSheet1")->setFocus();
    QTest::keyClick(p.form.get(), Qt::Key_Z, Qt::ControlModifier);
    QCOMPARE(p.field(2, 1), QStringLiteral("17"));
    QCOMPARE(p.field(2, 2), QStringLiteral("23"));
    undo->trigger();
    QCOMPARE(p.field(2, 1), QString());
    QVERIFY(!undo->isEnabled());
    QTest::keyClick(p.form.get(), Qt::Key_Y, Qt::ControlModifier);
    QCOMPARE(p.field(2, 2), QStringLiteral("23"));
    QCOMPARE(redo->text(), QStringLiteral("&Wiederholen: Löschen der Tipps"));
}

void DesktopTest::wheelDialogShowsWhatTheLastRunLeft() {
    Program p;
    // As the settings of the last run bring them (the model's tests read and write them).
    p.model.wheelRequest.numbers = {3, 14, 15, 26, 53, 58, 70};
    p.model.wheelRequest.guarantee = {3, 5};
    p.model.wheelRequest.seconds = 12.5;
    p.model.wheelRequest.megaBalls = "4, 17";
    WheelDialog* dialog = p.form->wheelDialog();
    dialog->open();
    QVERIFY(dialog->findChild<QCheckBox*>(QStringLiteral("WheelNumber53"))->isChecked());
    QVERIFY(!dialog->findChild<QCheckBox*>(QStringLiteral("WheelNumber52"))->isChecked());
    QCOMPARE(dialog->findChild<QComboBox*>(QStringLiteral("WheelGuarantee"))->currentText(), QStringLiteral("3 / 5"));
    QCOMPARE(dialog->findChild<QDoubleSpinBox*>(QStringLiteral("WheelSeconds"))->value(), 12.5);
    QCOMPARE(dialog->findChild<QLineEdit*>(QStringLiteral("WheelMegaBalls"))->text(), QStringLiteral("4, 17"));
    // A tick in the dialog is in the model at once, ready to be stored.
    dialog->findChild<QCheckBox*>(QStringLiteral("WheelNumber52"))->setChecked(true);
    QCOMPARE(p.model.wheelRequest.numbers.size(), 8u);
    dialog->hide();
}

void DesktopTest::chartFollowsItsFirstDateReadsABarAndCopiesItself() {
    Program p;
    p.form->resize(900, 700);
    p.form->show();
    QVERIFY(QTest::qWaitForWindowExposed(p.form.get()));
    auto* picker = p.widget<QDateEdit>("DateTimePicker2");
    picker->setDate(QDate(2019, 10, 1));
    p.click("SpeedButton2"); // frequency of the main numbers
    p.form->findChild<QTabWidget*>(QStringLiteral("PageControl1"))->setCurrentIndex(static_cast<int>(rz::Tab::Chart));
    QTRY_VERIFY(p.widget<QWidget>("Chart1")->isVisible());
    auto count = [&p](int number) {
        for (const auto& e : p.model.chart.Entries)
            if (e.Key == number)
                return e.Value;
        return -1;
    };
    QCOMPARE(count(5), 1); // 18 October
    QCOMPARE(count(8), 1); // 22 October
    const int allDrawings = count(12) + count(11);

    // A later first drawing: the chart on display is counted again at once.
    picker->setDate(QDate(2019, 10, 20));
    QCOMPARE(count(5), 0);
    QCOMPARE(count(8), 1);
    QVERIFY(count(12) + count(11) < allDrawings);
    QCOMPARE(p.model.DateTimePicker2.date, rz::dayFromYmd(2019, 10, 20));

    // The value of the bar under the mouse, wherever in its column.
    auto* page = p.form->findChild<ChartPage*>();
    QVERIFY(page);
    QChartView* view = page->chartView();
    QChart* chart = view->chart();
    const auto& entries = p.model.chart.Entries;
    int index8 = -1;
    for (std::size_t i = 0; i < entries.size(); ++i)
        if (entries[i].Key == 8)
            index8 = static_cast<int>(i);
    QVERIFY(index8 >= 0);
    auto* valueAxis = qobject_cast<QValueAxis*>(chart->axes(Qt::Vertical).first());
    QVERIFY(valueAxis);
    const double middle = (valueAxis->min() + valueAxis->max()) / 2;
    const QPointF top = chart->mapToPosition(QPointF(index8, middle), chart->series().first());
    const QPoint inView = view->mapFromScene(chart->mapToScene(top));
    QCOMPARE(page->barToolTipAt(inView), QStringLiteral("8: 1"));
    QCOMPARE(page->barToolTipAt(QPoint(1, 1)), QString()); // outside the bars
    // The tip shows when the mouse rests there (the view's scene, which has
    // no tips of its own, must not hide it).
    QHelpEvent rest(QEvent::ToolTip, inView, view->viewport()->mapToGlobal(inView));
    QApplication::sendEvent(view->viewport(), &rest);
    QVERIFY(QToolTip::isVisible());
    QCOMPARE(QToolTip::text(), QStringLiteral("8: 1"));
    QToolTip::hideText();

    // Copy puts the chart as shown on the clipboard.
    QApplication::clipboard()->clear();
    p.click("ChartCopy");
    const QImage copied = QApplication::clipboard()->image();
    QVERIFY(!copied.isNull());
    QCOMPARE(copied.size(), page->chartImage().size());
    QCOMPARE(QString::fromStdString(p.model.StatusPanel[1]), QStringLiteral("Diagramm in die Zwischenablage kopiert"));
}

QTEST_MAIN(DesktopTest)
#include "test_desktop.moc"
