// The main window's controls behave as desktop controls: the tab bar and the
// page agree whatever refresh runs during a change, the hidden page stays
// out of reach, typed dates arrive, questions can be read and displays are
// never stale.
#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QValueAxis>
#include <QDateEdit>
#include <QLineEdit>
#include <QTabBar>
#include <QTabWidget>
#include <QWheelEvent>
#include <QtTest>

#include <memory>

#include "../core/TestSupport.h"
#include "WindowFixture.h"
#include "DarovAduzez.h"
#include "LoEingab.h"
#include "QtPlatform.h"

using rz::test::rec;

namespace {

struct Program : rz::test::WindowProgram {
    using WindowProgram::WindowProgram;
    QTabWidget* tabs() const { return widget<QTabWidget>("PageControl1"); }
    QString pageShown() const { return tabs()->currentWidget()->objectName(); }
    // The tab bar, the page on display and the model name the same tab.
    void verifyTab(rz::Tab t, const char* page) const {
        QCOMPARE(tabs()->tabBar()->currentIndex(), static_cast<int>(t));
        QCOMPARE(pageShown(), QLatin1String(page));
        QCOMPARE(model.activeTab, t);
    }
    void showActive() const {
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
        form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(form.get()));
    }
    void clickTab(rz::Tab t) const {
        QTabBar* bar = tabs()->tabBar();
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(static_cast<int>(t)).center());
    }
};
using rz::test::kThreeDrawings;

} // namespace

class WindowControlsTest : public QObject {
    Q_OBJECT
private slots:
    void tabBarAndPageAgreeAfterLeavingAnEditedField_data();
    void tabBarAndPageAgreeAfterLeavingAnEditedField();
    void hiddenPageIsOutOfReach();
    void typedDigitsArriveInEveryDateField_data();
    void typedDigitsArriveInEveryDateField();
    void leastFrequentNumberHasABar();
    void messageAfterAnAnalysisComesOverAFinishedWindow();
};

void WindowControlsTest::tabBarAndPageAgreeAfterLeavingAnEditedField_data() {
    QTest::addColumn<int>("tab");
    QTest::addColumn<QString>("page");
    QTest::newRow("Database") << static_cast<int>(rz::Tab::Database) << "TabSheet4";
    QTest::newRow("Chart") << static_cast<int>(rz::Tab::Chart) << "TabSheet5";
    QTest::newRow("Internet options") << static_cast<int>(rz::Tab::Internet) << "TabSheet3";
}

void WindowControlsTest::tabBarAndPageAgreeAfterLeavingAnEditedField() {
    QFETCH(int, tab);
    QFETCH(QString, page);
    Program p(kThreeDrawings);
    p.showActive();
    // Into the first field of "Tip 2", then another tab: the field's exit
    // refreshes the window while the tab changes.
    auto* field = p.widget<QLineEdit>(rz::TipSet::fieldName(2, 1));
    QTest::mouseClick(field, Qt::LeftButton);
    QVERIFY(field->hasFocus());
    QTest::keyClicks(field, "7");
    p.clickTab(static_cast<rz::Tab>(tab));
    p.verifyTab(static_cast<rz::Tab>(tab), page.toLatin1().constData());

    // Back to the tips at the first click, and again away and back.
    p.clickTab(rz::Tab::TipOverview);
    p.verifyTab(rz::Tab::TipOverview, "TabSheet1");
    QCOMPARE(QString::fromStdString(p.model.tips.get(2, 1)), QStringLiteral("7"));
    QTest::mouseClick(field, Qt::LeftButton);
    p.clickTab(static_cast<rz::Tab>(tab));
    p.verifyTab(static_cast<rz::Tab>(tab), page.toLatin1().constData());
    p.clickTab(rz::Tab::TipOverview);
    p.verifyTab(rz::Tab::TipOverview, "TabSheet1");

    // A tab the model brings forward (a statistics button) still comes.
    QTest::mouseClick(field, Qt::LeftButton);
    QTest::mouseClick(p.widget<QWidget>("Button6"), Qt::LeftButton);
    p.verifyTab(rz::Tab::Chart, "TabSheet5");
}

void WindowControlsTest::hiddenPageIsOutOfReach() {
    Program p(kThreeDrawings);
    p.showActive();
    QTabBar* bar = p.tabs()->tabBar();
    p.clickTab(rz::Tab::TipOverview);
    p.verifyTab(rz::Tab::TipOverview, "TabSheet1");

    // The Right arrow on the tab bar steps over it.
    bar->setFocus();
    QTest::keyClick(bar, Qt::Key_Right);
    p.verifyTab(rz::Tab::Generator, "TabSheet6");
    QTest::keyClick(bar, Qt::Key_Left);
    p.verifyTab(rz::Tab::TipOverview, "TabSheet1");

    // Ctrl+Tab from the first tab, Ctrl+Shift+Tab back.
    QTest::keyClick(p.tabs(), Qt::Key_Tab, Qt::ControlModifier);
    p.verifyTab(rz::Tab::Generator, "TabSheet6");
    QTest::keyClick(p.tabs(), Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    p.verifyTab(rz::Tab::TipOverview, "TabSheet1");

    // The mouse wheel over the tab bar, both ways.
    for (int delta : {-120, 120}) {
        const QPoint at = bar->tabRect(0).center();
        QWheelEvent wheel(at, bar->mapToGlobal(at), {}, {0, delta}, Qt::NoButton, {}, Qt::NoScrollPhase, false);
        QApplication::sendEvent(bar, &wheel);
        QVERIFY2(p.tabs()->currentIndex() != static_cast<int>(rz::Tab::LastDrawing), "the wheel showed the hidden page");
        QCOMPARE(p.model.activeTab, static_cast<rz::Tab>(p.tabs()->currentIndex()));
    }

    // Whatever asks for it, the model refuses the page and keeps its tab.
    p.clickTab(rz::Tab::Database);
    p.tabs()->setCurrentIndex(static_cast<int>(rz::Tab::LastDrawing));
    p.verifyTab(rz::Tab::Database, "TabSheet4");
    QCOMPARE(p.model.chooseTab(rz::Tab::LastDrawing), rz::Tab::Database);
}

void WindowControlsTest::typedDigitsArriveInEveryDateField_data() {
    QTest::addColumn<int>("field"); // 0 "Drawing of", 1 the chart's "from", 2 the manual-entry window
    QTest::addColumn<int>("at");    // the character the click lands on
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QDate>("expected");
    // "Drawing of" and the entry window start on 22.10.2019, "from" on 01.01.2017.
    for (int field : {0, 2}) {
        const QByteArray f = QByteArray::number(field);
        QTest::newRow(f + " day") << field << 1 << "07" << QDate(2019, 10, 7);
        QTest::newRow(f + " month") << field << 4 << "03" << QDate(2019, 3, 22);
        QTest::newRow(f + " year") << field << 8 << "2018" << QDate(2018, 10, 22);
        QTest::newRow(f + " end of the day") << field << 2 << "15" << QDate(2019, 10, 15);
    }
    QTest::newRow("from: day") << 1 << 1 << "15" << QDate(2017, 1, 15);
    QTest::newRow("from: month") << 1 << 3 << "06" << QDate(2017, 6, 1);
    QTest::newRow("from: year") << 1 << 9 << "2018" << QDate(2018, 1, 1);
}

void WindowControlsTest::typedDigitsArriveInEveryDateField() {
    QFETCH(int, field);
    QFETCH(int, at);
    QFETCH(QString, typed);
    QFETCH(QDate, expected);
    Program p(kThreeDrawings);
    p.showActive();
    QDateEdit* edit = nullptr;
    if (field == 2) {
        TForm3* dialog = p.form->form3();
        dialog->setEntry(rz::DrawingEntry{rz::dayFromYmd(2019, 10, 22), {}});
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog));
        dialog->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(dialog));
        edit = dialog->findChild<QDateEdit*>("DateTimePicker1");
    } else {
        p.clickTab(field == 0 ? rz::Tab::Database : rz::Tab::Chart);
        edit = p.form->centralWidget()->findChild<QDateEdit*>(field == 0 ? "DateTimePicker1" : "DateTimePicker2");
    }
    QVERIFY(edit && edit->isVisible());
    auto* line = edit->findChild<QLineEdit*>();
    QVERIFY(line);
    // Where character `at` stands on the screen.
    line->setCursorPosition(at);
    const QPoint point = line->inputMethodQuery(Qt::ImCursorRectangle).toRect().center();
    line->setCursorPosition(0);
    line->deselect();

    // One click into the field, the digits, then on to the next control.
    QTest::mouseClick(line, Qt::LeftButton, {}, point);
    QVERIFY(edit->hasFocus());
    QTest::keyClicks(line, typed.left(1));
    if (field != 2)
        p.form->refreshFromModel(); // a refresh while the date is half typed
    QTest::keyClicks(line, typed.mid(1));
    QCOMPARE(edit->date(), expected);
    QTest::keyClick(line, Qt::Key_Tab);
    QCOMPARE(edit->date(), expected);
    if (field == 2) {
        QCOMPARE(p.form->form3()->entry().date, rz::dayFromYmd(expected.year(), expected.month(), expected.day()));
        p.form->form3()->hide();
        return;
    }
    const rz::DatePicker& model = field == 0 ? p.model.DateTimePicker1 : p.model.DateTimePicker2;
    QCOMPARE(model.date, rz::dayFromYmd(expected.year(), expected.month(), expected.day()));
    // A refresh keeps it.
    p.form->refreshFromModel();
    QCOMPARE(edit->date(), expected);
}

void WindowControlsTest::leastFrequentNumberHasABar() {
    // Every number drawn once in 14 drawings, 1..5 three times more: the
    // least frequent numbers have 1, the most frequent 4.
    std::vector<rz::DrawingRecord> drawings;
    for (int i = 0; i < 17; ++i) {
        const int first = i < 14 ? 5 * i + 1 : 1;
        drawings.push_back(rec(2019, 1, 1 + i, {first, first + 1, first + 2, first + 3, first + 4}, 1));
    }
    Program p(drawings);
    p.model.DateTimePicker2.setDate(rz::dayFromYmd(2018, 1, 1));
    p.model.DateTimePicker1.setDate(rz::dayFromYmd(2019, 1, 17));
    QTest::mouseClick(p.widget<QWidget>("SpeedButton2"), Qt::LeftButton);
    QCOMPARE(p.model.chart.RangeMin, 1);
    QCOMPARE(p.model.chart.RangeMax, 4);
    auto* axis = qobject_cast<QValueAxis*>(p.widget<QChartView>("Chart1")->chart()->axes(Qt::Vertical).value(0));
    QVERIFY(axis);
    QVERIFY2(axis->min() < 1, qPrintable(QString::number(axis->min())));
    QVERIFY(axis->min() >= 0);
    QCOMPARE(axis->max(), 4.0);
}

namespace {

// Answers the analysis's own questions; every other box is a real one.
class AnsweringPlatform : public QtPlatform {
public:
    bool askYesNo(const std::string&, const std::string&) override { return true; }
    std::optional<std::string> inputText(const std::string&, const std::string&, const std::string&) override {
        return std::string("6");
    }
};

// Notes the text each label of a window last painted, and what the window
// looks like when a message box shows.
class PaintWatch : public QObject {
public:
    explicit PaintWatch(QWidget* window) : window_(window) {}
    std::function<void()> onBox;
    QStringList unpainted; // labels whose text on screen is not their text

protected:
    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() == QEvent::Paint)
            if (auto* l = qobject_cast<QLabel*>(o); l && window_->isAncestorOf(l))
                painted_[l] = l->text();
        if (e->type() == QEvent::Show && qobject_cast<QMessageBox*>(o)) {
            for (QLabel* l : window_->findChildren<QLabel*>())
                if (l->isVisible() && l->window() == window_ && painted_.value(l) != l->text())
                    unpainted << l->objectName() + ": \"" + painted_.value(l) + "\" for \"" + l->text() + "\"";
            if (onBox)
                onBox();
            QTimer::singleShot(0, o, [o] { static_cast<QMessageBox*>(o)->accept(); });
        }
        return false;
    }

private:
    QWidget* window_;
    QHash<QLabel*, QString> painted_;
};

} // namespace

void WindowControlsTest::messageAfterAnAnalysisComesOverAFinishedWindow() {
    Program p(kThreeDrawings);
    AnsweringPlatform qt;
    qt.attachWindows(p.form.get(), nullptr);
    p.platform.openSucceeds = false; // the report cannot be opened: a message follows the analysis
    p.model.setServices({.dialogs = &qt, .shell = &p.platform, .sound = &p.platform, .events = &qt});
    p.model.DateTimePicker1.date = rz::dayFromYmd(2019, 10, 15);
    p.showActive();

    PaintWatch watch(p.form.get());
    int boxes = 0;
    bool unlocked = false;
    QString shownDrawing;
    watch.onBox = [&] {
        ++boxes;
        unlocked = p.form->centralWidget()->findChild<QPushButton*>("BitBtn4")->isEnabled();
        shownDrawing = p.widget<QLabel>("Label35")->text();
    };
    qApp->installEventFilter(&watch);
    QTest::mouseClick(p.widget<QWidget>("BitBtn19"), Qt::LeftButton); // returns when the analysis has ended
    qApp->removeEventFilter(&watch);
    p.platform.attach(p.model);

    QCOMPARE(p.model.lastAnalysisOutcome, rz::MainModel::AnalysisOutcome::Finished);
    QCOMPARE(boxes, 1);
    // The box came over the window as the analysis left it, all painted.
    QVERIFY(unlocked);
    QCOMPARE(shownDrawing, QString::fromStdString(p.model.Label35));
    QVERIFY2(watch.unpainted.isEmpty(), qPrintable(watch.unpainted.join("; ")));
}

QTEST_MAIN(WindowControlsTest)
#include "test_windowcontrols.moc"
