// The "Berechnung" tab: controls built from the settings table, changes
// written to the model, the consistency rules between spins, the sync from
// the model and the statistics commands of the sub-tabs.
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QMessageBox>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include "../core/TestSupport.h"
#include "GeneratorPage.h"
#include "QtPlatform.h"
#include "app/MainModel.h"

using rz::Gs;
using rz::GsKind;
using rz::GeneratorSettings;

namespace {

QString qs(const char* s) { return QString::fromUtf8(s); }

// Title of the sub-tab that holds w, or "" when w is on none.
QString subTabOf(const GeneratorPage& page, const QWidget* w) {
    const QTabWidget* tabs = page.pageControl();
    for (const QWidget* p = w; p; p = p->parentWidget())
        for (int i = 0; i < tabs->count(); ++i)
            if (tabs->widget(i) == p)
                return tabs->tabText(i);
    return {};
}

QSpinBox* spin(const GeneratorPage& page, Gs f) {
    return page.findChild<QSpinBox*>(qs(GeneratorSettings::info(f).edit));
}

QAbstractButton* button(const GeneratorPage& page, Gs f) {
    return page.findChild<QAbstractButton*>(qs(GeneratorSettings::info(f).control));
}

} // namespace

class TestGeneratorPage : public QObject {
    Q_OBJECT
private slots:
    void controlsFollowTheTable();
    void pageTextsSitOnTheirSubTabs();
    void userChangesReachTheModel_data();
    void userChangesReachTheModel();
    void megaBallModeIsExclusive();
    void overlapSpinsKeepMinBelowMax_data();
    void overlapSpinsKeepMinBelowMax();
    void evenAndOddMinimaStayWithinSix();
    void excludeDbClassRangeComesFromTheModel_data();
    void excludeDbClassRangeComesFromTheModel();
    void runBudgetKeepsLaufMaxInStep();
    void syncShowsTheModelWithoutWritingBack();
    void sentenceCaptionsHoldTheirSpins();
    void statisticsCommandsRunTheModel_data();
    void statisticsCommandsRunTheModel();
    void failingCommandEndsInAMessageBox();
};

void TestGeneratorPage::controlsFollowTheTable() {
    rz::MainModel model;
    GeneratorPage page(model);
    QTabWidget* tabs = page.findChild<QTabWidget*>(QStringLiteral("PageControl2"));
    QVERIFY(tabs);
    QCOMPARE(tabs, page.pageControl());
    QStringList titles;
    for (int i = 0; i < tabs->count(); ++i)
        titles << tabs->tabText(i);
    QCOMPARE(titles, (QStringList{qs("Statistisch"), qs("Schein Optimierung"), qs("Mathematisch"), qs("MegaBall"),
                                  qs("Allgemein")}));

    for (const auto& f : GeneratorSettings::table()) {
        const QString control = qs(f.control);
        if (qs(f.tab) == QLatin1String("Tipp")) {
            // The number of tips belongs to the tip tab, not to this page.
            QVERIFY2(!page.findChild<QWidget*>(qs(f.edit)) && !page.findChild<QWidget*>(control), f.control);
            continue;
        }
        QWidget* w = nullptr;
        switch (f.kind) {
        case GsKind::Bool: {
            auto* cb = page.findChild<QCheckBox*>(control);
            QVERIFY2(cb, f.control);
            QCOMPARE(cb->text(), qs(f.caption));
            QCOMPARE(cb->isChecked(), f.def != 0);
            w = cb;
            break;
        }
        case GsKind::Radio: {
            auto* rb = page.findChild<QRadioButton*>(control);
            QVERIFY2(rb, f.control);
            QCOMPARE(rb->text(), qs(f.caption));
            QCOMPARE(rb->isChecked(), f.def != 0);
            auto* frame = qobject_cast<QGroupBox*>(rb->parentWidget());
            QVERIFY2(frame, f.control);
            QCOMPARE(frame->title(), qs("Megaball Option"));
            w = rb;
            break;
        }
        case GsKind::Int: {
            auto* sp = page.findChild<QSpinBox*>(qs(f.edit));
            QVERIFY2(sp, f.edit);
            QCOMPARE(sp->property("upDown").toString(), control);
            QCOMPARE(sp->minimum(), f.min);
            QCOMPARE(sp->maximum(), f.max);
            QCOMPARE(sp->value(), f.def);
            QVERIFY2(!page.findChild<QWidget*>(control), f.control); // one widget per spin control
            w = sp;
            break;
        }
        }
        QCOMPARE(subTabOf(page, w), qs(f.tab));
        QCOMPARE(w->toolTip(), qs(f.hint));
        QCOMPARE(w->statusTip(), qs(f.hint));
    }
}

void TestGeneratorPage::pageTextsSitOnTheirSubTabs() {
    rz::MainModel model;
    GeneratorPage page(model);
    struct Text {
        const char* tab;
        const char* text;
    };
    const Text texts[] = {
        {"Statistisch", "Zahlen für die Tipps über Statistik bevorzugen"},
        {"Statistisch", "Für die Tippberechnung werden die jeweils ersten x% verwendet. (z.B. bis 30% vom Maximum)"},
        {"Schein Optimierung", "Optimierung der einzelnen Tipps miteinander im Schein "},
        {"Schein Optimierung", "Optimierung der einzelnen Tipps über die vergangenen Ziehungen"},
        {"Mathematisch", "Diese Bedingungen werden in jeder Tippreihe berücksichtigt"},
        {"Mathematisch", "Quersummen von                  bis                     im Tipp zulassen"},
        {"Mathematisch", "Die Quersummerverteilung der vergangenen Ziehungen sehen Sie im Diagramm unter QS  "},
        {"Mathematisch", "Dreier, "},
        {"MegaBall", "Berechnungsoptionen für  den Megaball"},
        {"Allgemein", "Allgemeine Berechnungsoptionen"},
        {"Allgemein", "Maximale Berechnungsläufe"},
        {"Allgemein", "Tausend"},
        {"Allgemein", "Sie können versuchen die Berechnungsläufe zu erhöhen, falls mit Ihren Einstellungen nicht alle "
                      "Reihen berechnet werden konnten. "},
    };
    const auto labels = page.findChildren<QLabel*>();
    for (const Text& t : texts) {
        const QLabel* found = nullptr;
        for (const QLabel* l : labels)
            if (l->text() == qs(t.text))
                found = l;
        QVERIFY2(found, t.text);
        QCOMPARE(subTabOf(page, found), qs(t.tab));
    }
    // The sum spins sit inside the sentence about the sums.
    const QLabel* label88 = page.findChild<QLabel*>(QStringLiteral("Label88"));
    QVERIFY(label88);
    QCOMPARE(spin(page, Gs::SumMin)->parentWidget(), spin(page, Gs::SumMax)->parentWidget());
    QCOMPARE(qobject_cast<QLabel*>(spin(page, Gs::SumMin)->parentWidget())->text(),
             qs("Quersummen von                  bis                     im Tipp zulassen"));
}

void TestGeneratorPage::userChangesReachTheModel_data() {
    QTest::addColumn<int>("field");
    QTest::addColumn<int>("typed");    // spin value typed, or -1: click the check box
    QTest::addColumn<int>("expected"); // model value afterwards
    QTest::newRow("CheckBox2 on") << int(Gs::PreferFrequent) << -1 << 1;
    QTest::newRow("CheckBox10 off") << int(Gs::PreferOverdue) << -1 << 0;
    QTest::newRow("CheckBox9 off") << int(Gs::ExcludeDbClassEnabled) << -1 << 0;
    QTest::newRow("CheckBox28 off") << int(Gs::ExcludeRecentEnabled) << -1 << 0;
    QTest::newRow("CheckBox20 on") << int(Gs::ShowNumberList) << -1 << 1;
    QTest::newRow("Edit85 percent") << int(Gs::PreferFrequentPercent) << 45 << 45;
    QTest::newRow("Edit87 below range clamps") << int(Gs::PreferRarePercent) << 2 << 5;
    QTest::newRow("Edit92 above range clamps") << int(Gs::ExcludeRecentDraws) << 200 << 128;
    QTest::newRow("Edit37 SumMin above SumMax") << int(Gs::SumMin) << 260 << 260;
    QTest::newRow("Edit105 MegaBall period") << int(Gs::MegaBallExcludeRecent) << 10 << 10;
    QTest::newRow("Edit40 last drawing") << int(Gs::MaxHitsLast1) << 3 << 3;
}

void TestGeneratorPage::userChangesReachTheModel() {
    QFETCH(int, field);
    QFETCH(int, typed);
    QFETCH(int, expected);
    const Gs f = static_cast<Gs>(field);
    rz::MainModel model;
    GeneratorPage page(model);
    if (typed < 0) {
        QAbstractButton* b = button(page, f);
        QVERIFY(b);
        b->click();
        QCOMPARE(b->isChecked(), expected != 0);
    } else {
        QSpinBox* sp = spin(page, f);
        QVERIFY(sp);
        sp->setValue(typed);
        QCOMPARE(sp->value(), expected);
    }
    QCOMPARE(model.Settings.get(f), expected);
    // The other fields keep their defaults.
    for (const auto& g : GeneratorSettings::table())
        if (g.id != f)
            QCOMPARE(model.Settings.get(g.id), g.def);
}

void TestGeneratorPage::megaBallModeIsExclusive() {
    rz::MainModel model;
    GeneratorPage page(model);
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    page.pageControl()->setCurrentIndex(3); // "MegaBall"
    QApplication::processEvents();
    const Gs modes[] = {Gs::MegaBallRandom, Gs::MegaBallRarest, Gs::MegaBallLongestOutstanding};
    for (Gs chosen : {Gs::MegaBallLongestOutstanding, Gs::MegaBallRarest, Gs::MegaBallRandom, Gs::MegaBallRarest}) {
        QAbstractButton* b = button(page, chosen);
        QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(8, b->height() / 2));
        for (Gs m : modes) {
            QCOMPARE(model.Settings.on(m), m == chosen);
            QCOMPARE(button(page, m)->isChecked(), m == chosen);
        }
    }
}

void TestGeneratorPage::overlapSpinsKeepMinBelowMax_data() {
    // Start values (applied to the model before the page exists), then steps
    // "min=v" / "max=v" typed into the spins, then the expected values.
    QTest::addColumn<int>("startMin");
    QTest::addColumn<int>("startMax");
    QTest::addColumn<QStringList>("steps");
    QTest::addColumn<int>("endMin");
    QTest::addColumn<int>("endMax");
    QTest::newRow("min stops at max") << 1 << 2 << QStringList{"min=4"} << 2 << 2;
    QTest::newRow("max stops at min") << 2 << 3 << QStringList{"max=0"} << 2 << 2;
    QTest::newRow("raise max first, then min follows") << 1 << 2 << QStringList{"max=4", "min=4"} << 4 << 4;
    QTest::newRow("lower min first, then max follows") << 3 << 4 << QStringList{"min=0", "max=0"} << 0 << 0;
    QTest::newRow("stored min above max: max is lifted to min") << 3 << 2 << QStringList{"max=1"} << 3 << 3;
    QTest::newRow("stored min above max: min drops to max") << 3 << 2 << QStringList{"min=4"} << 2 << 2;
    QTest::newRow("in range") << 1 << 2 << QStringList{"max=5", "min=3", "max=4"} << 3 << 4;
}

void TestGeneratorPage::overlapSpinsKeepMinBelowMax() {
    QFETCH(int, startMin);
    QFETCH(int, startMax);
    QFETCH(QStringList, steps);
    QFETCH(int, endMin);
    QFETCH(int, endMax);
    rz::MainModel model;
    model.Settings.set(Gs::MinOverlap, startMin);
    model.Settings.set(Gs::MaxOverlap, startMax);
    GeneratorPage page(model);
    QSpinBox* minSpin = spin(page, Gs::MinOverlap);
    QSpinBox* maxSpin = spin(page, Gs::MaxOverlap);
    // Nothing is corrected before a spin is used.
    QCOMPARE(minSpin->value(), startMin);
    QCOMPARE(maxSpin->value(), startMax);
    for (const QString& step : steps) {
        const int v = step.section('=', 1).toInt();
        (step.startsWith("min") ? minSpin : maxSpin)->setValue(v);
        QVERIFY2(model.Settings.get(Gs::MinOverlap) <= model.Settings.get(Gs::MaxOverlap), qPrintable(step));
    }
    QCOMPARE(model.Settings.get(Gs::MinOverlap), endMin);
    QCOMPARE(model.Settings.get(Gs::MaxOverlap), endMax);
    QCOMPARE(minSpin->value(), endMin);
    QCOMPARE(maxSpin->value(), endMax);
    // The arrows stop at the partner as well.
    minSpin->stepBy(5);
    maxSpin->stepBy(-5);
    QCOMPARE(minSpin->value(), maxSpin->value());
    QVERIFY(model.Settings.get(Gs::MinOverlap) == model.Settings.get(Gs::MaxOverlap));
}

void TestGeneratorPage::evenAndOddMinimaStayWithinSix() {
    rz::MainModel model;
    GeneratorPage page(model);
    QSpinBox* even = spin(page, Gs::MinEven);
    QSpinBox* odd = spin(page, Gs::MinOdd);
    auto check = [&](int e, int o) {
        QCOMPARE(model.Settings.get(Gs::MinEven), e);
        QCOMPARE(model.Settings.get(Gs::MinOdd), o);
        QCOMPARE(even->value(), e);
        QCOMPARE(odd->value(), o);
    };
    even->setValue(4);
    check(4, 2);
    // With MinEven 4 the odd spin stops at 2.
    for (int i = 0; i < 3; ++i)
        odd->stepBy(1);
    check(4, 2);
    QCOMPARE(odd->maximum(), 2);
    // The bound is six, not five.
    even->setValue(3);
    odd->setValue(3);
    check(3, 3);
    even->setValue(6);
    check(3, 3);
    odd->setValue(0);
    even->setValue(6);
    check(6, 0);
    odd->stepBy(1);
    check(6, 0);
    even->setValue(1);
    odd->setValue(6);
    check(1, 5);
}

void TestGeneratorPage::excludeDbClassRangeComesFromTheModel_data() {
    QTest::addColumn<bool>("megaBallCounts");
    QTest::addColumn<int>("top");
    QTest::newRow("MegaBall counted") << true << 7;
    QTest::newRow("MegaBall not counted") << false << 5;
}

void TestGeneratorPage::excludeDbClassRangeComesFromTheModel() {
    QFETCH(bool, megaBallCounts);
    QFETCH(int, top);
    rz::MainModel model;
    model.Settings.set(Gs::OverlapCountsMegaBall, megaBallCounts ? 1 : 0);
    model.Settings.fixExcludeDbClassRange();
    GeneratorPage page(model);
    QSpinBox* sp = spin(page, Gs::ExcludeDbClass);
    QCOMPARE(sp->minimum(), 3);
    QCOMPARE(sp->maximum(), top);
    sp->setValue(9);
    QCOMPARE(model.Settings.get(Gs::ExcludeDbClass), top);
    sp->setValue(1);
    QCOMPARE(model.Settings.get(Gs::ExcludeDbClass), 3);
    // Switching the MegaBall rule later leaves the range alone.
    button(page, Gs::OverlapCountsMegaBall)->click();
    QCOMPARE(model.Settings.on(Gs::OverlapCountsMegaBall), !megaBallCounts);
    QCOMPARE(sp->maximum(), top);
    sp->setValue(9);
    QCOMPARE(model.Settings.get(Gs::ExcludeDbClass), top);
}

void TestGeneratorPage::runBudgetKeepsLaufMaxInStep() {
    rz::MainModel model;
    GeneratorPage page(model);
    QSpinBox* runs = spin(page, Gs::MaxRunsThousands);
    QCOMPARE(runs->objectName(), QStringLiteral("Edit55"));
    QCOMPARE(runs->property("upDown").toString(), QStringLiteral("UpDown7"));
    // The up-down reports before its position moves, so LaufMax follows the
    // position it leaves.
    runs->setValue(7);
    QCOMPARE(model.Settings.get(Gs::MaxRunsThousands), 7);
    QCOMPARE(model.LaufMax, 50 * 1000);
    runs->stepBy(1);
    QCOMPARE(model.Settings.get(Gs::MaxRunsThousands), 8);
    QCOMPARE(model.LaufMax, 7000);
    runs->setValue(30000);
    runs->stepBy(1);
    QCOMPARE(model.Settings.get(Gs::MaxRunsThousands), 30000);
    QCOMPARE(model.LaufMax, 8000);
}

void TestGeneratorPage::syncShowsTheModelWithoutWritingBack() {
    rz::MainModel model;
    GeneratorPage page(model);
    // What a generation run does to the settings while the page is shown.
    auto& s = model.Settings;
    s.set(Gs::ForcePair, 1);
    s.set(Gs::NoGroups, 0);
    s.set(Gs::ExcludeDbClass, 6);
    s.set(Gs::MaxHitsLast1, 3);
    s.set(Gs::MaxRunsThousands, 12);
    s.set(Gs::MegaBallLongestOutstanding, 1);
    s.set(Gs::MinOverlap, 4); // above MaxOverlap: shown as it is
    s.setRange(Gs::MinPrimes, 1, 3);
    const int laufMax = model.LaufMax;
    int changes = 0;
    model.onChanged = [&] { ++changes; };
    page.syncFromModel();

    QVERIFY(button(page, Gs::ForcePair)->isChecked());
    QVERIFY(!button(page, Gs::NoGroups)->isChecked());
    QCOMPARE(spin(page, Gs::ExcludeDbClass)->value(), 6);
    QCOMPARE(spin(page, Gs::MaxHitsLast1)->value(), 3);
    QCOMPARE(spin(page, Gs::MaxRunsThousands)->value(), 12);
    QCOMPARE(spin(page, Gs::MinOverlap)->value(), 4);
    QCOMPARE(spin(page, Gs::MaxOverlap)->value(), 2);
    QCOMPARE(spin(page, Gs::MinPrimes)->minimum(), 1);
    QCOMPARE(spin(page, Gs::MinPrimes)->maximum(), 3);
    QVERIFY(button(page, Gs::MegaBallLongestOutstanding)->isChecked());
    QVERIFY(!button(page, Gs::MegaBallRandom)->isChecked());
    // Writing the controls must not feed back into the model.
    QCOMPARE(model.LaufMax, laufMax);
    QCOMPARE(s.get(Gs::MinOverlap), 4);
    QCOMPARE(s.get(Gs::MaxOverlap), 2);
    QCOMPARE(changes, 0);

    // A model with no MegaBall mode on shows none.
    s.set(Gs::MegaBallLongestOutstanding, 0);
    page.syncFromModel();
    for (Gs m : {Gs::MegaBallRandom, Gs::MegaBallRarest, Gs::MegaBallLongestOutstanding})
        QVERIFY(!button(page, m)->isChecked());
    // ... and a click still switches exactly one on.
    button(page, Gs::MegaBallRarest)->click();
    QVERIFY(s.on(Gs::MegaBallRarest));
    QVERIFY(!s.on(Gs::MegaBallRandom));
}

void TestGeneratorPage::sentenceCaptionsHoldTheirSpins() {
    rz::MainModel model;
    GeneratorPage page(model);
    page.resize(700, 500);
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    page.pageControl()->setCurrentIndex(1); // "Schein Optimierung"
    QApplication::processEvents();

    struct Case {
        Gs box;
        std::vector<Gs> spins;
    };
    const Case cases[] = {
        {Gs::ExcludeDbClassEnabled, {Gs::ExcludeDbClass}},
        {Gs::ExcludeRecentEnabled, {Gs::ExcludeRecentClass, Gs::ExcludeRecentDraws}},
    };
    for (const Case& c : cases) {
        auto* cb = qobject_cast<QCheckBox*>(button(page, c.box));
        QVERIFY(cb && cb->isVisible());
        int left = 0;
        for (Gs f : c.spins) {
            QSpinBox* sp = spin(page, f);
            // The spin lies inside the caption, in reading order, and fully visible.
            QCOMPARE(sp->parentWidget(), cb);
            QVERIFY(sp->isVisible());
            QVERIFY(sp->x() > left);
            QVERIFY(cb->rect().contains(sp->geometry()));
            left = sp->geometry().right();
            // Using the spin does not toggle the box.
            const bool before = cb->isChecked();
            QTest::mouseClick(sp, Qt::LeftButton, {}, QPoint(4, sp->height() / 2));
            QCOMPARE(cb->isChecked(), before);
        }
        // The text after the last gap still toggles the box.
        QVERIFY(cb->width() - left > 10);
        const bool before = cb->isChecked();
        QTest::mouseClick(cb, Qt::LeftButton, {}, QPoint(cb->width() - 5, cb->height() / 2));
        QCOMPARE(cb->isChecked(), !before);
        QCOMPARE(model.Settings.on(c.box), !before);
    }

    // A new caption (another language) keeps the spins in their gaps.
    auto* cb = qobject_cast<QCheckBox*>(button(page, Gs::ExcludeRecentEnabled));
    cb->setText(QStringLiteral("Tip must not be a              from the last              drawings, really"));
    QApplication::processEvents();
    cb->repaint();
    QSpinBox* first = spin(page, Gs::ExcludeRecentClass);
    QSpinBox* second = spin(page, Gs::ExcludeRecentDraws);
    QVERIFY(first->geometry().right() < second->x());
    QVERIFY(cb->sizeHint().width() > second->geometry().right());
}

void TestGeneratorPage::statisticsCommandsRunTheModel_data() {
    QTest::addColumn<QString>("control");
    QTest::addColumn<int>("routine");
    // routine: 0 frequency, 1 overdue, 2 pairs, 3 triples, 4 quads, 5 sums,
    //          6 MegaBall frequency, 7 MegaBall overdue
    QTest::newRow("SpeedButton26") << "SpeedButton26" << 0;
    QTest::newRow("SpeedButton22") << "SpeedButton22" << 1;
    QTest::newRow("SpeedButton23") << "SpeedButton23" << 2;
    QTest::newRow("SpeedButton24") << "SpeedButton24" << 3;
    QTest::newRow("SpeedButton25") << "SpeedButton25" << 4;
    QTest::newRow("Label88") << "Label88" << 5;
    QTest::newRow("Label89") << "Label89" << 2;
    QTest::newRow("Label91") << "Label91" << 3;
    QTest::newRow("Label90") << "Label90" << 4;
    QTest::newRow("Superselten") << "Superselten" << 6;
    QTest::newRow("SuperAus") << "SuperAus" << 7;
}

void TestGeneratorPage::statisticsCommandsRunTheModel() {
    QFETCH(QString, control);
    QFETCH(int, routine);
    rz::test::TempDir dir;
    rz::test::writeDatabase(dir.file("Ruvuzevodare.dat"),
                            {rz::test::rec(2020, 1, 3, {1, 2, 3, 40, 50}, 7), rz::test::rec(2020, 1, 7, {4, 5, 6, 7, 70}, 9),
                             rz::test::rec(2020, 1, 10, {10, 11, 30, 31, 32}, 7),
                             rz::test::rec(2020, 1, 14, {12, 13, 14, 15, 69}, 25)});
    auto prepare = [&](rz::MainModel& m) {
        m.Home = dir.str();
        m.DateTimePicker2.date = rz::dayFromYmd(2019, 12, 1);
        m.DateTimePicker1.date = rz::dayFromYmd(2020, 1, 31);
    };
    // What the routine leaves behind when called directly.
    rz::MainModel reference;
    prepare(reference);
    void (rz::MainModel::*const routines[])() = {
        &rz::MainModel::SpeedButton2Click, &rz::MainModel::Button5Click,       &rz::MainModel::Button2Click,
        &rz::MainModel::Button3Click,      &rz::MainModel::Button4Click,       &rz::MainModel::SpeedButton9Click,
        &rz::MainModel::SpeedButton3Click, &rz::MainModel::Button8Click,
    };
    (reference.*routines[routine])();

    rz::MainModel model;
    prepare(model);
    int changes = 0;
    model.onChanged = [&] { ++changes; };
    GeneratorPage page(model);
    page.resize(700, 500);
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    QWidget* w = page.findChild<QWidget*>(control);
    QVERIFY(w);
    if (auto* b = qobject_cast<QToolButton*>(w)) {
        b->click();
    } else {
        page.pageControl()->setCurrentWidget(page.pageControl()->widget(2));
        QApplication::processEvents();
        QVERIFY(w->isVisible());
        QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(3, w->height() / 2));
    }
    QVERIFY(changes >= 1);
    QVERIFY(model.activeTab == rz::Tab::Chart); // every one of them ends on the chart
    QVERIFY(!model.chart.Title.empty());
    QCOMPARE(model.chart.Title, reference.chart.Title);
    QCOMPARE(model.chart.Entries.size(), reference.chart.Entries.size());
    for (std::size_t i = 0; i < model.chart.Entries.size(); ++i) {
        QCOMPARE(model.chart.Entries[i].Key, reference.chart.Entries[i].Key);
        QCOMPARE(model.chart.Entries[i].Value, reference.chart.Entries[i].Value);
    }
}

void TestGeneratorPage::failingCommandEndsInAMessageBox() {
    rz::test::TempDir dir;
    rz::MainModel model;
    model.Home = dir.str() + "missing/"; // no database there
    // The failure reaches the user through the dialog service, as every
    // command's failure does.
    QtPlatform platform;
    model.setServices(platform.services());
    int changes = 0;
    model.onChanged = [&] { ++changes; };
    GeneratorPage page(model);
    QString shown;
    QTimer closer;
    closer.setInterval(10);
    connect(&closer, &QTimer::timeout, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            shown = box->text();
            box->accept();
        }
    });
    closer.start();
    page.findChild<QToolButton*>(QStringLiteral("SpeedButton26"))->click();
    closer.stop();
    QVERIFY(shown.contains(QStringLiteral("Ruvuzevodare.dat")));
    // The window is refreshed all the same: the command already switched the tab.
    QCOMPARE(changes, 1);
    QVERIFY(model.activeTab == rz::Tab::Chart);
}

QTEST_MAIN(TestGeneratorPage)
#include "test_generatorpage.moc"
