// The main window as the user meets it: start-up, navigation, the tip rows,
// the chart, hints, failures, scaling and a stop click during a run.
#include <QApplication>
#include <QBarSet>
#include <QChart>
#include <QChartView>
#include <QDateEdit>
#include <QDialog>
#include <QDir>
#include <QFocusEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStackedBarSeries>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QValueAxis>
#include <QtTest>

#include <filesystem>
#include <memory>

#include "../core/TestSupport.h"
#include "WindowFixture.h"
#include "DarovAduzez.h"
#include "GuiFit.h"
#include "LoEingab.h"
#include "QtComponentTree.h"
#include "QtPlatform.h"
#include "Zahlenwahl.h"

using rz::test::rec;

namespace {

using Program = rz::test::WindowProgram;
using rz::test::kThreeDrawings;

QColor textColour(const QWidget* w) { return w->palette().color(QPalette::WindowText); }
// Bars per set: every set holds one value per key.
int barCount(const QStackedBarSeries* series) {
    return series->barSets().isEmpty() ? 0 : static_cast<int>(series->barSets().front()->count());
}

QColor baseColour(const QWidget* w) { return w->palette().color(QPalette::Base); }

} // namespace

class MainWindowTest : public QObject {
    Q_OBJECT
private slots:
    void registryListsTheControlsOfEveryWindowInOrder();
    void twoWindowsKeepTheirControlsApart();
    void startupOnEmptyHomeAsksForDataAndCreatesDatabase();
    void previousAndNextStepThroughTheDrawings();
    void rowLabelTogglesLockAndColour();
    void typingIsCheckedOnEveryKeystroke_data();
    void typingIsCheckedOnEveryKeystroke();
    void leavingAFieldChecksTheRows();
    void statisticsButtonsFillTheChart();
    void hintShowsWhileTheMouseIsOverItsControl();
    void makerPanelsAndLinkLabelsOpenTheirAddresses();
    void failingCommandEndsInMessageAndRestoresCursor();
    void contentsScaleWithTheHeightAsFarAsTheyFit();
    void stopClickDuringRunReachesTheModel();
    void megaBallNoLongerDrawnIsMarkedYellow();
    void installedTitleNamesTheFolderOfTheDrawingFile();
};

void MainWindowTest::startupOnEmptyHomeAsksForDataAndCreatesDatabase() {
    Program p(nullptr);
    QCOMPARE(p.platform.messages, std::vector<std::string>{"Lesen Sie zuerst die Daten der Ziehungen ein"});
    const std::string db = p.home.file("Ruvuzevodare.dat");
    QVERIFY(std::filesystem::exists(db));
    QCOMPARE(std::filesystem::file_size(db), std::uintmax_t{0});

    QCOMPARE(p.form->windowTitle(), QString::fromUtf8("Quendrals Kalvento for RuvuZevodare®"));
    // Tabs in order; the message table's tab exists but is never shown.
    auto* tabs = p.widget<QTabWidget>("PageControl1");
    const QStringList names = {"TabSheet1", "TabSheet2", "TabSheet6", "TabSheet5", "TabSheet4", "TabSheet3"};
    QCOMPARE(tabs->count(), names.size());
    for (int i = 0; i < tabs->count(); ++i)
        QCOMPARE(tabs->widget(i)->objectName(), names[i]);
    QVERIFY(!tabs->isTabVisible(1));
    // It holds the message table.
    const QStringList memo = p.widget<QPlainTextEdit>("Memo2")->toPlainText().split('\n');
    QCOMPARE(memo.size(), 62);
    QCOMPARE(memo[43], QStringLiteral("Quersumme"));

    // Every row has its hidden seventh field beside the six visible ones.
    for (int r = 1; r <= rz::TipSet::kRows; ++r) {
        QVERIFY(p.widget<QLineEdit>(rz::TipSet::fieldName(r, 6))->isVisibleTo(p.form.get()));
        QVERIFY(!p.widget<QLineEdit>(rz::TipSet::fieldName(r, 7))->isVisibleTo(p.form.get()));
    }

    // The secondary windows exist, hidden, in their creation order.
    QStringList dialogs;
    for (QObject* c : p.form->children())
        if (auto* d = qobject_cast<QDialog*>(c))
            dialogs << d->objectName();
    QCOMPARE(dialogs, (QStringList{"TForm3", "TForm6", "TQCSForm", "TWheelForm"}));
    QVERIFY(!p.form->form3()->isVisible() && !p.form->form6()->isVisible());
}

void MainWindowTest::previousAndNextStepThroughTheDrawings() {
    Program p(&kThreeDrawings);
    // Start-up shows the drawing current for today: the last one.
    QCOMPARE(p.model.cur.Position, 2);
    QVERIFY(p.labelText("Label35").contains("22.10.19"));

    // Choose the middle drawing on the database tab.
    p.widget<QDateEdit>("DateTimePicker1")->setDate(QDate(2019, 10, 18));
    p.click("SpeedButton5");
    QCOMPARE(p.model.cur.Position, 1);
    QVERIFY(p.labelText("Label29").contains("18.10.19"));
    QCOMPARE(p.labelText("Label35"), p.labelText("Label29"));
    QCOMPARE(p.labelText("Label13"), QStringLiteral("Quersumme: 161"));

    const struct {
        const char* button;
        int position;
        const char* date;
    } steps[] = {
        {"SpeedButton7", 2, "22.10.19"}, {"SpeedButton7", 2, "22.10.19"}, {"SpeedButton6", 1, "18.10.19"},
        {"SpeedButton6", 0, "15.10.19"}, {"SpeedButton6", 0, "15.10.19"},
    };
    for (const auto& s : steps) {
        p.click(s.button);
        QCOMPARE(p.model.cur.Position, s.position);
        QVERIFY2(p.labelText("Label35").contains(s.date), qPrintable(p.labelText("Label35")));
        // The database tab's date follows the drawing shown.
        QCOMPARE(p.widget<QDateEdit>("DateTimePicker1")->date().toString("dd.MM.yy"), QString(s.date));
    }
}

void MainWindowTest::rowLabelTogglesLockAndColour() {
    Program p(&kThreeDrawings);
    auto* row1 = p.widget<ClickLabel>("Label28");
    auto* row9 = p.widget<ClickLabel>("Label62");
    const QColor normal = textColour(row1);
    QVERIFY(normal != QColor(255, 0, 0));

    QTest::mouseClick(row9, Qt::LeftButton);
    QVERIFY(p.model.tips.row(9).Locked);
    QCOMPARE(textColour(row9), QColor(255, 0, 0));
    QCOMPARE(textColour(row1), normal);

    QTest::mouseClick(row9, Qt::LeftButton);
    QVERIFY(!p.model.tips.row(9).Locked);
    QCOMPARE(textColour(row9), normal);
}

void MainWindowTest::typingIsCheckedOnEveryKeystroke_data() {
    QTest::addColumn<QString>("field");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("k");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");
    QTest::newRow("75 is rejected at its second digit") << "Edit1" << 1 << 1 << "75" << "";
    QTest::newRow("leading zero disappears") << "Edit1" << 1 << 1 << "07" << "7";
    QTest::newRow("zero empties at once, then 5") << "Edit44" << 7 << 2 << "05" << "5";
    QTest::newRow("70 is the largest number") << "Edit78" << 12 << 5 << "70" << "70";
    QTest::newRow("letters are no number") << "Edit2" << 1 << 2 << "x" << "";
    QTest::newRow("MegaBall 25 stays") << "Edit6" << 1 << 6 << "25" << "25";
    QTest::newRow("MegaBall 26 is too large") << "Edit61" << 9 << 6 << "26" << "";
}

void MainWindowTest::typingIsCheckedOnEveryKeystroke() {
    QFETCH(QString, field);
    QFETCH(int, row);
    QFETCH(int, k);
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    Program p(&kThreeDrawings);
    auto* edit = p.widget<QLineEdit>(field.toLatin1().constData());
    QTest::keyClicks(edit, typed);
    QCOMPARE(edit->text(), shown);
    QCOMPARE(QString::fromStdString(p.model.tips.get(row, k)), shown);
    QCOMPARE(edit->cursorPosition(), static_cast<int>(shown.size()));
}

void MainWindowTest::leavingAFieldChecksTheRows() {
    Program p(&kThreeDrawings);
    p.widget<QDateEdit>("DateTimePicker1")->setDate(QDate(2019, 10, 18)); // 5 12 33 41 70, MegaBall 7
    p.click("SpeedButton5");

    const char* fields[] = {"Edit1", "Edit2", "Edit3", "Edit4", "Edit5", "Edit6"};
    const char* typed[] = {"70", "5", "9", "33", "1", "7"};
    for (int i = 0; i < 6; ++i)
        QTest::keyClicks(p.widget<QLineEdit>(fields[i]), typed[i]);
    auto* edit6 = p.widget<QLineEdit>("Edit6");

    // Another window taking the focus is no exit: nothing is checked yet.
    QFocusEvent away(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
    QApplication::sendEvent(edit6, &away);
    QCOMPARE(p.labelText("Label22"), QString());

    QFocusEvent tab(QEvent::FocusOut, Qt::TabFocusReason);
    QApplication::sendEvent(edit6, &tab);
    const char* sorted[] = {"1", "5", "9", "33", "70"};
    for (int i = 0; i < 5; ++i)
        QCOMPARE(p.widget<QLineEdit>(fields[i])->text(), QString(sorted[i]));
    QCOMPARE(p.labelText("Label36"), QStringLiteral("118"));
    QCOMPARE(p.labelText("Label22"), QStringLiteral("3 + MB"));
    QCOMPARE(textColour(p.widget<QLabel>("Label22")), QColor(255, 0, 0));
    const QColor green(0, 255, 0);
    QVERIFY(baseColour(p.widget<QLineEdit>("Edit1")) != green); // 1
    QCOMPARE(baseColour(p.widget<QLineEdit>("Edit2")), green);  // 5
    QVERIFY(baseColour(p.widget<QLineEdit>("Edit3")) != green); // 9
    QCOMPARE(baseColour(p.widget<QLineEdit>("Edit4")), green);  // 33
    QCOMPARE(baseColour(p.widget<QLineEdit>("Edit5")), green);  // 70
    QCOMPARE(baseColour(edit6), QColor(255, 0, 0));

    // Clearing the rows gives the fields their normal colour back.
    p.click("SpeedButton11");
    QCOMPARE(p.widget<QLineEdit>("Edit2")->text(), QString());
    QCOMPARE(baseColour(p.widget<QLineEdit>("Edit2")), QApplication::palette().color(QPalette::Base));
    QCOMPARE(p.labelText("Label22"), QString());
}

void MainWindowTest::statisticsButtonsFillTheChart() {
    Program p(&kThreeDrawings);
    p.model.DateTimePicker2.setDate(rz::dayFromYmd(2019, 1, 1));
    p.form->refreshFromModel();
    QCOMPARE(p.widget<QDateEdit>("DateTimePicker2")->date(), QDate(2019, 1, 1));
    auto* chartView = p.widget<QChartView>("Chart1");
    auto* series = qobject_cast<QStackedBarSeries*>(chartView->chart()->series().value(0));
    QVERIFY(series);

    p.click("SpeedButton2"); // frequency
    QCOMPARE(barCount(series), 70);
    // Every key shows exactly one bar, in the colour of its table entry.
    for (int i = 0; i < 70; ++i) {
        const auto& e = p.model.chart.Entries[static_cast<std::size_t>(i)];
        int bars = 0;
        for (QBarSet* set : series->barSets()) {
            if (set->at(i) != 0) {
                ++bars;
                QCOMPARE(set->color(), toQColour(e.BarColour));
                QCOMPARE(static_cast<int>(set->at(i)), e.Value);
            }
        }
        QCOMPARE(bars, e.Value != 0 ? 1 : 0);
    }
    QCOMPARE(p.model.chart.Entries[1].BarColour, rz::Colour::Red); // 2 is prime
    const QString title = p.labelText("ChartTitle");
    QVERIFY2(title.startsWith("Zahlenverteilung") && title.contains(": 3"), qPrintable(title));
    auto* axis = qobject_cast<QValueAxis*>(chartView->chart()->axes(Qt::Vertical).value(0));
    QVERIFY(axis);
    QCOMPARE(axis->min(), 0.0);
    QCOMPARE(axis->max(), 1.0);

    // The MegaBall table has 25 bars; the overdue table brings the chart tab forward.
    auto* tabs = p.widget<QTabWidget>("PageControl1");
    tabs->setCurrentIndex(0);
    p.click("SpeedButton20");
    QCOMPARE(barCount(series), 25);
    tabs->setCurrentIndex(4);
    p.click("Button5");
    QCOMPARE(barCount(series), 70);
    QCOMPARE(tabs->currentWidget()->objectName(), QStringLiteral("TabSheet5"));
    QCOMPARE(p.labelText("ChartTitle"), QString::fromStdString(p.model.msg(26)));

    // The chart button of the chart on display looks pressed, whichever tab
    // drew the chart; a click gives none the focus, Tab reaches each.
    const char* chartButtons[] = {"SpeedButton2", "SpeedButton9", "SpeedButton1", "SpeedButton3",
                                  "SpeedButton12", "SpeedButton19", "SpeedButton20", "SpeedButton21"};
    for (const char* name : chartButtons)
        QCOMPARE(p.widget<QToolButton>(name)->focusPolicy(), Qt::TabFocus);
    auto pressed = [&] {
        QStringList on;
        for (const char* name : chartButtons)
            if (p.widget<QToolButton>(name)->isChecked())
                on << QLatin1String(name);
        return on;
    };
    QCOMPARE(pressed(), QStringList{"SpeedButton19"}); // overdue, from the database tab
    p.click("SpeedButton9");
    QCOMPARE(pressed(), QStringList{"SpeedButton9"});
    p.click("SpeedButton9"); // a second click keeps it pressed
    QCOMPARE(pressed(), QStringList{"SpeedButton9"});
    tabs->setCurrentIndex(4);
    p.click("Button2"); // pairs
    QCOMPARE(pressed(), QStringList{"SpeedButton1"});
    tabs->setCurrentIndex(0);
    p.click("Button6"); // the tips' distribution has no button of its own
    QCOMPARE(pressed(), QStringList());
}

void MainWindowTest::hintShowsWhileTheMouseIsOverItsControl() {
    Program p(&kThreeDrawings);
    auto enter = [](QWidget* w) {
        QEvent e(QEvent::Enter);
        QApplication::sendEvent(w, &e);
    };
    auto leave = [](QWidget* w) {
        QEvent e(QEvent::Leave);
        QApplication::sendEvent(w, &e);
    };
    p.model.setStatus("Tipps wurden neu berechnet");
    p.form->refreshFromModel();
    auto* clear = p.widget<QWidget>("SpeedButton11");
    enter(clear);
    QCOMPARE(p.labelText("StatusPanel1"), QStringLiteral("Löschen aller Tipps"));
    QCOMPARE(p.model.StatusPanel[1], std::string("Löschen aller Tipps"));
    // Leaving the button brings back the result the hint covered.
    leave(clear);
    QCOMPARE(p.labelText("StatusPanel1"), QStringLiteral("Tipps wurden neu berechnet"));
    QCOMPARE(p.model.StatusPanel[1], std::string("Tipps wurden neu berechnet"));
    enter(p.widget<QWidget>("Edit1")); // no hint
    QCOMPARE(p.labelText("StatusPanel1"), QStringLiteral("Tipps wurden neu berechnet"));
    // From one control with a hint straight into the next: the first result comes back at the end.
    enter(p.widget<QWidget>("Label64"));
    QCOMPARE(p.labelText("StatusPanel1"), QStringLiteral("Ist \"Tipp\" rot, wird diese Reihe nicht neu berechnet!"));
    enter(p.widget<QWidget>("SpeedButton5"));
    QCOMPARE(p.labelText("StatusPanel1"), QStringLiteral("Bewertung des Tipps für die Ziehung des gewählten Datums"));
    leave(p.widget<QWidget>("SpeedButton5"));
    QCOMPARE(p.labelText("StatusPanel1"), QStringLiteral("Tipps wurden neu berechnet"));
    // A result said while the mouse was over a control stays when it leaves.
    enter(clear);
    p.model.setStatus("Überprüfen Sie den Tipp im Warenkorb!!!");
    p.form->refreshFromModel();
    leave(clear);
    QCOMPARE(p.labelText("StatusPanel1"), QStringLiteral("Überprüfen Sie den Tipp im Warenkorb!!!"));
}

void MainWindowTest::makerPanelsAndLinkLabelsOpenTheirAddresses() {
    Program p(&kThreeDrawings);
    const char* labels[] = {"Label43", "Label44", "Label52", "Label53", "Label54"};
    for (const char* name : labels)
        QTest::mouseClick(p.widget<QLabel>(name), Qt::LeftButton);
    QCOMPARE(p.platform.opened.size(), std::size_t{5});
    QCOMPARE(p.platform.opened[0], std::string(kMakerSite));
    QCOMPARE(p.platform.opened[1], std::string(kMakerSite));
    for (int i = 2; i < 5; ++i) {
        // A link label opens the address it shows.
        QCOMPARE(QString::fromStdString(p.platform.opened[static_cast<std::size_t>(i)]), p.labelText(labels[i]));
        QVERIFY(p.labelText(labels[i]).startsWith("https://"));
    }
}

void MainWindowTest::failingCommandEndsInMessageAndRestoresCursor() {
    Program p(&kThreeDrawings);
    p.platform.messages.clear();
    std::filesystem::remove(p.home.file("Ruvuzevodare.dat"));
    p.click("SpeedButton6"); // the step has no existence test
    QCOMPARE(p.platform.messages.size(), std::size_t{1});
    QVERIFY2(p.platform.messages[0].find("Ruvuzevodare.dat") != std::string::npos, p.platform.messages[0].c_str());

    p.click("SpeedButton2"); // a statistics routine fails while busy
    QCOMPARE(p.platform.messages.size(), std::size_t{2});
    QVERIFY(!p.model.busy);
    QCOMPARE(QApplication::overrideCursor(), nullptr);
    QVERIFY(p.form->isEnabled());
}

void MainWindowTest::contentsScaleWithTheHeightAsFarAsTheyFit() {
    Program p(&kThreeDrawings);
    for (int r = 1; r <= 3; ++r)
        for (int k = 1; k <= 6; ++k)
            p.model.tips.set(r, k, std::to_string(k == 6 ? 25 : 70 - k));
    p.model.Komplettcheck();
    p.form->refreshFromModel();
    p.form->show();
    QVERIFY(QTest::qWaitForWindowExposed(p.form.get()));
    auto* tabs = p.widget<QTabWidget>("PageControl1");
    const int px = tabs->font().pixelSize();
    const int h = p.form->height();
    const int w = p.form->width();
    QCOMPARE(h, p.form->designedHeight());
    auto fits = [&](const char* what) {
        rz::test::settle();
        const QStringList misfits = textMisfits(p.form.get());
        QVERIFY2(misfits.isEmpty(), qPrintable(QString::fromLatin1(what) + ": " + misfits.join(QStringLiteral("; "))));
        // The sum column stays clear of the edit buttons.
        for (int r = 1; r <= 3; ++r) {
            const QRect sum = p.widget<QLabel>(rz::TipSet::sumName(r))->geometry();
            const QRect edit = p.widget<QToolButton>(rz::TipSet::editButtonName(r))->geometry();
            QVERIFY2(!sum.intersects(edit), what);
        }
    };
    fits("designed size");

    // The width alone scales nothing.
    p.form->resize(w + 150, h);
    QTRY_COMPARE(p.form->width(), w + 150);
    QCOMPARE(tabs->font().pixelSize(), px);
    QCOMPARE(p.form->contentScale(), 1.0);

    // Twice as high and twice as wide: all contents twice as large.
    p.form->resize(2 * w, 2 * h);
    QTRY_COMPARE(p.form->height(), 2 * h);
    QCOMPARE(p.form->groesse(), 2 * h);
    QCOMPARE(tabs->font().pixelSize(), 2 * px);
    QCOMPARE(p.widget<QLineEdit>("Edit1")->font().pixelSize(), 2 * px);
    fits("twice the size");

    // Taller than the width allows: the window keeps its width and the
    // contents grow only as far as they fit.
    p.form->resize(w, 2 * h);
    QTRY_COMPARE(p.form->size(), QSize(w, 2 * h));
    rz::test::settle();
    QCOMPARE(p.form->width(), w);
    QVERIFY(tabs->font().pixelSize() < 2 * px);
    fits("tall and narrow");

    // Back to the designed size in one step.
    p.form->resize(w, h);
    QTRY_COMPARE(p.form->size(), QSize(w, h));
    QCOMPARE(tabs->font().pixelSize(), px);
    fits("designed size again");
}

void MainWindowTest::stopClickDuringRunReachesTheModel() {
    Program p(&kThreeDrawings);
    // The Qt event service, everything else scripted.
    QtPlatform qt;
    qt.attachWindows(p.form.get(), nullptr);
    p.model.setServices({.dialogs = &p.platform, .shell = &p.platform, .sound = &p.platform, .events = &qt});
    // A rule no tip can pass keeps the run going until it is stopped.
    p.model.Settings.set(rz::Gs::MaxRunsThousands, 30000);
    p.model.Settings.set(rz::Gs::MinEvenEnabled, 1);
    p.model.Settings.set(rz::Gs::MinEven, 6);
    p.form->show();
    QVERIFY(QTest::qWaitForWindowExposed(p.form.get()));

    auto* button = p.widget<QPushButton>("BitBtn4");
    const QString idle = button->text();
    // Once the run is under way, a second click on the same button stops it.
    QString captionDuringRun;
    const rz::test::OnceReady stop([&] { return p.model.Berechnunglaeuft; },
                                   [&] {
                                       captionDuringRun = button->text();
                                       QTest::mouseClick(button, Qt::LeftButton);
                                   });
    QTest::mouseClick(button, Qt::LeftButton); // returns when the run has ended

    QCOMPARE(captionDuringRun, QStringLiteral("Stoppen"));
    QVERIFY(stop.done());
    QVERIFY(!p.model.Berechnunglaeuft);
    QVERIFY(p.model.RunCounter > 0 && p.model.RunCounter < p.model.LaufMax);
    QCOMPARE(button->text(), idle);
    QCOMPARE(QApplication::overrideCursor(), nullptr);
    p.platform.attach(p.model);
}

void MainWindowTest::registryListsTheControlsOfEveryWindowInOrder() {
    Program p(&kThreeDrawings);
    const auto& entries = p.form->controls().entries();
    // Windows in their creation order, each one contiguous.
    QStringList windows;
    for (const auto& e : entries)
        if (windows.isEmpty() || windows.back() != e.window)
            windows << e.window;
    QCOMPARE(windows, (QStringList{"Form1", "Form3", "Form6", "QCSForm", "WheelForm"}));
    // A name is unique within its window, and every control has one.
    QSet<QString> seen;
    for (const auto& e : entries) {
        QVERIFY2(e.object, qPrintable(e.name));
        QVERIFY2(!e.name.isEmpty(), qPrintable(e.window));
        QVERIFY2(!seen.contains(e.window + "." + e.name), qPrintable(e.window + "." + e.name));
        seen.insert(e.window + "." + e.name);
    }
    // The language items, with their Tags, and the tab sheets by name.
    const char* languages[] = {"Deutsch1", "Englich1", "Franz1", "Spanisch1", "Italenisch1", "Russisch1",
                               "Porugiesisch1", "N2"};
    for (const char* name : languages) {
        ControlEntry* e = p.form->controls().find("Form1", name);
        QVERIFY2(e, name);
        QCOMPARE(e->kind, ControlKind::MenuItem);
        QCOMPARE(e->tag, 0); // the language files name every language in its own language
    }
    const QStringList tabs = {"TabSheet1", "TabSheet2", "TabSheet6", "TabSheet5", "TabSheet4", "TabSheet3",
                              "TabSheet7", "TabSheet8", "TabSheet9", "TabSheet10", "TabSheet11"};
    QStringList captions;
    for (const QString& name : tabs) {
        ControlEntry* e = p.form->controls().find("Form1", name);
        QVERIFY2(e && e->kind == ControlKind::TabSheet, qPrintable(name));
        captions << ControlRegistry::caption(*e);
    }
    QCOMPARE(captions.mid(6), (QStringList{"Statistisch", "Schein Optimierung", "Mathematisch", "MegaBall", "Allgemein"}));

    // A caption set through the registry: a tab's text, and the run button's
    // caption, which the model owns and a refresh keeps.
    ControlRegistry::setCaption(*p.form->controls().find("Form1", "TabSheet5"), "Chart");
    QCOMPARE(p.widget<QTabWidget>("PageControl1")->tabText(3), QStringLiteral("Chart"));
    ControlRegistry::setCaption(*p.form->controls().find("Form1", "BitBtn4"), "Compute tips");
    p.form->refreshFromModel();
    QCOMPARE(p.widget<QPushButton>("BitBtn4")->text(), QStringLiteral("Compute tips"));
    QCOMPARE(p.model.Tippsberechnen, std::string("Compute tips"));
    // Window titles and edit fields keep their texts.
    const QString title = p.form->windowTitle();
    ControlRegistry::setCaption(*p.form->controls().find("Form1", "Form1") , "x");
    QCOMPARE(p.form->windowTitle(), title);
}

void MainWindowTest::twoWindowsKeepTheirControlsApart() {
    const auto listed = [](const TForm1& form) {
        QStringList out;
        for (const ControlEntry& e : form.controls().entries())
            out << e.window + QLatin1Char('.') + e.name;
        return out;
    };
    // Every entry is a live control of `form` or of one of its dialogs, and
    // the window holds one registry (no control made a registry of its own).
    const auto allOwnedBy = [](const TForm1& form) {
        for (const ControlEntry& e : form.controls().entries()) {
            QObject* o = e.object;
            while (o && o != &form)
                o = o->parent();
            if (!o)
                return false;
        }
        return form.findChildren<ControlRegistry*>().size() == 1;
    };
    Program first(&kThreeDrawings);
    const QStringList firstControls = listed(*first.form);
    QVERIFY(firstControls.contains(QStringLiteral("Form1.BitBtn4")));
    QVERIFY(firstControls.contains(QStringLiteral("Form1.TabSheet11")));
    QVERIFY(firstControls.contains(QStringLiteral("WheelForm.WheelSeconds")));
    QVERIFY(allOwnedBy(*first.form));
    {
        Program second(&kThreeDrawings);
        QCOMPARE(listed(*first.form), firstControls);
        QCOMPARE(listed(*second.form), firstControls);
        QVERIFY(allOwnedBy(*first.form));
        QVERIFY(allOwnedBy(*second.form));
        // The language loader of each window reaches its own controls only.
        QtComponentTree(second.form->controls()).setTexts("Form1", "TabSheet5", true, "Chart", "The chart");
        QCOMPARE(second.widget<QTabWidget>("PageControl1")->tabText(3), QStringLiteral("Chart"));
        QCOMPARE(first.widget<QTabWidget>("PageControl1")->tabText(3), QStringLiteral("Diagramm"));
    }
    // The second window is gone; the first one's controls are all there.
    QCOMPARE(listed(*first.form), firstControls);
    QVERIFY(allOwnedBy(*first.form));
    QtComponentTree(first.form->controls()).setTexts("Form3", "BitBtn1", true, "Enter", "");
    QCOMPARE(rz::test::namedWidget<QPushButton>(first.form->form3(), "BitBtn1")->text(), QStringLiteral("Enter"));
}

void MainWindowTest::megaBallNoLongerDrawnIsMarkedYellow() {
    const std::vector<rz::DrawingRecord> drawings = {
        rec(2025, 4, 4, {5, 12, 33, 41, 70}, 25),
        rec(2025, 4, 11, {5, 12, 33, 41, 70}, 7),
    };
    Program p(&drawings);
    auto* edit6 = p.widget<QLineEdit>("Edit6");
    const QString ownHint = edit6->toolTip();
    const QString hint = QStringLiteral("MegaBall 25 wird seit dem 8. April 2025 nicht mehr gezogen");
    const char* fields[] = {"Edit1", "Edit2", "Edit3", "Edit4", "Edit5", "Edit6"};
    const char* typed[] = {"70", "5", "9", "33", "1", "25"};
    for (int i = 0; i < 6; ++i)
        QTest::keyClicks(p.widget<QLineEdit>(fields[i]), typed[i]);
    struct Step {
        QDate date;
        bool marked;
        const char* hits;
    };
    // After, before and again after the change of format; the hits stay as they are.
    const Step steps[] = {{QDate(2025, 4, 11), true, "3"}, {QDate(2025, 4, 4), false, "3 + MB"},
                          {QDate(2025, 4, 11), true, "3"}};
    for (const Step& s : steps) {
        p.widget<QDateEdit>("DateTimePicker1")->setDate(s.date);
        p.click("SpeedButton5");
        QFocusEvent tab(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(edit6, &tab);
        QCOMPARE(p.labelText("Label22"), QString::fromLatin1(s.hits));
        if (s.marked) {
            QCOMPARE(baseColour(edit6), toQColour(rz::Colour::Yellow));
            QCOMPARE(edit6->toolTip(), hint);
        } else {
            QCOMPARE(baseColour(edit6), QColor(255, 0, 0)); // the MegaBall hit
            QCOMPARE(edit6->toolTip(), ownHint);
        }
    }
}

void MainWindowTest::installedTitleNamesTheFolderOfTheDrawingFile() {
    // Installed: the user's files in a folder of their own, named in the
    // title bar; the first start fills the drawing file from the shipped
    // history.
    rz::test::TempDir program, user, share;
    std::filesystem::create_directories(share.file("history"));
    rz::test::writeFile(share.file("history/megamillions.csv"), "date,n1,n2,n3,n4,n5,megaball,megaplier\n"
                                                                 "2019-10-22,5,12,33,41,70,7,3\n");
    const std::string userFolder = user.file("Quendral/RuvuZevodare");
    rz::test::ScriptedPlatform platform;
    rz::MainModel model;
    platform.attach(model);
    auto form = startProgram(model, rz::AppPaths(program.str(), userFolder, share.str()), nullptr);
    QCOMPARE(platform.messages, std::vector<std::string>{});
    QVERIFY(std::filesystem::is_regular_file(userFolder + "/Ruvuzevodare.dat"));
    QCOMPARE(form->windowTitle(), QString::fromUtf8("Quendrals Kalvento for RuvuZevodare® – ") +
                                      QDir::toNativeSeparators(QString::fromStdString(userFolder)));
    QVERIFY(std::filesystem::is_empty(program.str()));
}

QTEST_MAIN(MainWindowTest)
#include "test_mainwindow.moc"
