// The window for every user: read over the accessibility interface every
// focusable control of every page and dialog has a name in the user's
// language; the keyboard reaches every control, each page's accelerators are
// distinct in every language, and the run has its keys; the window opens
// inside a small or highly scaled screen with its contents scaled; the
// language menu names each language in its own language.
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QRegularExpression>
#include <QScreen>
#include <QStatusBar>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>
#include <QtTest>

#include <filesystem>
#include <functional>
#include <memory>

#include "../core/TestSupport.h"
#include "DarovAduzez.h"
#include "LoEingab.h"
#include "Scriptwahl.h"
#include "WheelDialog.h"
#include "WindowFixture.h"
#include "Zahlenwahl.h"
#include "common/ProgramTexts.h"
#include "i18n/LanguageFiles.h"
#include "settings/SettingsStore.h"
#include "tips/TipSet.h"

using rz::test::rec;

namespace {

// One program run in its own folder with the shipped language files.
struct Program : rz::test::ShownProgram {
    explicit Program(int language)
        : ShownProgram({rec(2019, 10, 15, {2, 11, 20, 38, 61}, 3), rec(2019, 10, 18, {5, 12, 33, 41, 70}, 7)},
                       nullptr, language) {}
    ~Program() {
        for (QWidget* dialog : dialogs())
            dialog->hide();
    }

    void choose(int language) {
        for (const rz::LanguageInfo& l : rz::languageTable())
            if (l.sprache == language)
                widget<QAction>(l.menuItem)->trigger();
        QApplication::processEvents();
    }
    std::vector<QWidget*> dialogs() const {
        if (!form)
            return {};
        return {form->form3(), form->form6(), form->qcsForm(), form->wheelDialog()};
    }

    // Brings every page and sub-page forward in turn; `visit` gets the
    // page's caption.
    void onEveryPage(const std::function<void(const QString&)>& visit) const {
        auto* tabs = widget<QTabWidget>("PageControl1");
        auto* sub = widget<QTabWidget>("PageControl2");
        for (int t = 0; t < tabs->count(); ++t) {
            if (!tabs->isTabVisible(t))
                continue;
            tabs->setCurrentIndex(t);
            const int pages = tabs->widget(t)->isAncestorOf(sub) ? sub->count() : 1;
            for (int s = 0; s < pages; ++s) {
                if (pages > 1)
                    sub->setCurrentIndex(s);
                QApplication::processEvents();
                visit(pages > 1 ? tabs->tabText(t) + QLatin1Char('/') + sub->tabText(s) : tabs->tabText(t));
            }
        }
        tabs->setCurrentIndex(0);
        QApplication::processEvents();
    }
    // Shows each secondary window (not modal) in turn.
    void onEveryDialog(const std::function<void(QWidget*)>& visit) const {
        for (QWidget* dialog : dialogs()) {
            dialog->show();
            QApplication::processEvents();
            visit(dialog);
            dialog->hide();
        }
    }
};

// What a screen reader calls a control.
QString describe(QAccessibleInterface* a) {
    QObject* o = a->object();
    QString who = o ? o->objectName() : QString();
    if (who.isEmpty() && o)
        who = QString::fromLatin1(o->metaObject()->className());
    if (o && o->parent() && !o->parent()->objectName().isEmpty())
        who = o->parent()->objectName() + QLatin1Char('/') + who;
    return who;
}

// The focusable, shown controls below `root` in the accessibility tree that
// have no name.
QStringList unnamedFocusable(QWidget* root) {
    QStringList out;
    std::function<void(QAccessibleInterface*)> walk = [&](QAccessibleInterface* a) {
        if (!a || !a->isValid())
            return;
        const QAccessible::State st = a->state();
        if (st.invisible)
            return;
        if (st.focusable && a->text(QAccessible::Name).trimmed().isEmpty())
            out << describe(a);
        for (int i = 0; i < a->childCount(); ++i)
            walk(a->child(i));
    };
    walk(QAccessible::queryAccessibleInterface(root));
    return out;
}

QString accessibleName(QObject* o) { return QAccessible::queryAccessibleInterface(o)->text(QAccessible::Name); }

// The accelerator letter of a caption, lower case; empty without one.
QString mnemonicOf(const QString& text) {
    static const QRegularExpression mark(QStringLiteral("&([^&\\s])"));
    const auto m = mark.match(QString(text).replace(QStringLiteral("&&"), QString()));
    return m.hasMatch() ? m.captured(1).toLower() : QString();
}

// The captions with an accelerator that a user can reach now below `root`:
// shown buttons, labels that lead to a field, group titles.
QList<QPair<QString, QString>> shownMnemonics(QWidget* root) {
    QList<QPair<QString, QString>> out;
    for (QWidget* w : root->findChildren<QWidget*>()) {
        if (!w->isVisible())
            continue;
        QString text;
        if (auto* b = qobject_cast<QAbstractButton*>(w))
            text = b->text();
        else if (auto* l = qobject_cast<QLabel*>(w); l && l->buddy())
            text = l->text();
        else if (auto* g = qobject_cast<QGroupBox*>(w))
            text = g->title();
        const QString key = mnemonicOf(text);
        if (!key.isEmpty())
            out << qMakePair(key, w->objectName() + QStringLiteral(" \"") + text + QLatin1Char('"'));
    }
    return out;
}

QStringList repeated(const QList<QPair<QString, QString>>& keys) {
    QStringList out;
    for (int i = 0; i < keys.size(); ++i)
        for (int j = i + 1; j < keys.size(); ++j)
            if (keys[i].first == keys[j].first)
                out << keys[i].second + QStringLiteral(" / ") + keys[j].second;
    return out;
}

// The languages a test walks: the built-in texts, then the eight files.
QList<int> everyLanguage() { return {0, 1, 2, 3, 4, 5, 6, 7, 8}; }

} // namespace

class AccessibilityTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QAccessible::setActive(true); }

    void everyFocusableControlIsNamedInTheUsersLanguage();
    void acceleratorsAreDistinctOnEveryPageInEveryLanguage();
    void theKeyboardReachesEveryControlAndRunsTheTips();
    void placingAWindowInsideAScreen_data();
    void placingAWindowInsideAScreen();
    void theWindowOpensInsideASmallOrScaledScreen();
    void theLanguageMenuNamesEachLanguageInItsOwnLanguage();
};

void AccessibilityTest::everyFocusableControlIsNamedInTheUsersLanguage() {
    Program p(0);
    for (int language : everyLanguage()) {
        if (language > 0)
            p.choose(language);
        QStringList unnamed;
        p.onEveryPage([&](const QString& page) {
            for (const QString& who : unnamedFocusable(p.form.get()))
                unnamed << page + QStringLiteral(": ") + who;
        });
        p.onEveryDialog([&](QWidget* dialog) {
            for (const QString& who : unnamedFocusable(dialog))
                unnamed << dialog->objectName() + QStringLiteral(": ") + who;
        });
        unnamed.removeDuplicates();
        QVERIFY2(unnamed.isEmpty(), qPrintable(QStringLiteral("language %1:\n").arg(language) + unnamed.join('\n')));

        // The names follow the language: the program's texts, the language
        // file's hints, the labels beside the fields.
        using rz::TipSet;
        QCOMPARE(accessibleName(p.widget<QWidget>(TipSet::fieldName(3, 2))).toStdString(),
                 rz::txt(rz::Txt::AccTipNumber, {"3", "2"}));
        QCOMPARE(accessibleName(p.widget<QWidget>(TipSet::fieldName(12, 6))).toStdString(),
                 rz::txt(rz::Txt::AccTipMegaBall, {"12"}));
        QCOMPARE(accessibleName(p.widget<QWidget>(TipSet::editButtonName(7))).toStdString(),
                 rz::txt(rz::Txt::AccTipEdit, {"7"}));
        auto* previous = p.widget<QWidget>("SpeedButton6");
        QCOMPARE(accessibleName(previous), previous->statusTip());
        auto* proxyLabel = p.widget<QLabel>("Label58");
        QCOMPARE(accessibleName(p.widget<QWidget>("ProxyHostEdit")),
                 proxyLabel->text().remove(QLatin1Char('&')));
        QCOMPARE(accessibleName(p.form->form3()->findChild<QWidget*>(QStringLiteral("UpDown7"))).toStdString(),
                 rz::txt(rz::Txt::AccEntryMegaBall, {}));
        // The banner is read as the name and version it spells out.
        QCOMPARE(accessibleName(p.widget<QWidget>("Label44")), QStringLiteral("RuvuZevodare 2.6"));
    }
    // In English and Russian as a user hears them.
    p.choose(2);
    QCOMPARE(accessibleName(p.widget<QWidget>(rz::TipSet::fieldName(3, 2))), QStringLiteral("Tip 3, number 2"));
    p.choose(6);
    QCOMPARE(accessibleName(p.widget<QWidget>(rz::TipSet::fieldName(3, 2))), QStringLiteral("Ставка 3, число 2"));
}

void AccessibilityTest::acceleratorsAreDistinctOnEveryPageInEveryLanguage() {
    Program p(0);
    for (int language : everyLanguage()) {
        if (language > 0)
            p.choose(language);
        QList<QPair<QString, QString>> menu;
        for (QAction* a : p.form->menuBar()->actions())
            if (a->isVisible() && !mnemonicOf(a->text()).isEmpty())
                menu << qMakePair(mnemonicOf(a->text()), a->objectName() + QStringLiteral(" \"") + a->text() + '"');
        QStringList clashes;
        QStringList missing;
        p.onEveryPage([&](const QString& page) {
            const auto keys = menu + shownMnemonics(p.widget<QTabWidget>("PageControl1")->currentWidget());
            for (const QString& c : repeated(keys))
                clashes << page + QStringLiteral(": ") + c;
            // With a language file every button of the tips, chart and
            // database pages that shows a caption has an accelerator.
            const QWidget* shown = p.widget<QTabWidget>("PageControl1")->currentWidget();
            const bool commandPage = shown->objectName() == QLatin1String("TabSheet1") ||
                                     shown->objectName() == QLatin1String("TabSheet5") ||
                                     shown->objectName() == QLatin1String("TabSheet4");
            if (language > 0 && commandPage)
                for (QAbstractButton* b : shown->findChildren<QAbstractButton*>())
                    if (b->isVisible() && b->text().contains(QRegularExpression(QStringLiteral("\\w"))) &&
                        mnemonicOf(b->text()).isEmpty())
                        missing << page + QStringLiteral(": ") + b->objectName() + QStringLiteral(" \"") + b->text() + '"';
        });
        p.onEveryDialog([&](QWidget* dialog) {
            for (const QString& c : repeated(shownMnemonics(dialog)))
                clashes << dialog->objectName() + QStringLiteral(": ") + c;
        });
        QVERIFY2(clashes.isEmpty(), qPrintable(QStringLiteral("language %1:\n").arg(language) + clashes.join('\n')));
        QVERIFY2(missing.isEmpty(), qPrintable(QStringLiteral("language %1:\n").arg(language) + missing.join('\n')));
    }
    // The built-in German captions stay as they are.
    Program builtIn(0);
    QCOMPARE(builtIn.widget<QPushButton>("BitBtn4")->text(), QStringLiteral("Tipps berechnen"));
    QCOMPARE(builtIn.widget<QPushButton>("BitBtn1")->text(), QStringLiteral("&Datenbank aktualisieren"));
}

void AccessibilityTest::theKeyboardReachesEveryControlAndRunsTheTips() {
    Program p(2);
    p.form->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(p.form.get()));
    auto* tabs = p.widget<QTabWidget>("PageControl1");

    // From the tab bar of the tips page, "Calculate tips" is a few Tabs away.
    tabs->setCurrentIndex(0);
    tabs->tabBar()->setFocus(Qt::TabFocusReason);
    auto* run = p.widget<QPushButton>("BitBtn4");
    int presses = 0;
    while (QApplication::focusWidget() != run && presses < 200) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        ++presses;
    }
    QVERIFY2(presses <= 4, qPrintable(QString::number(presses)));

    // Tab visits every control a screen reader can focus on each page.
    p.onEveryPage([&](const QString& page) {
        QWidget* current = tabs->currentWidget();
        tabs->tabBar()->setFocus(Qt::TabFocusReason);
        // Round the page once (a date field takes a Tab per section).
        QSet<QWidget*> visited;
        for (int i = 0; i < 600; ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QWidget* f = QApplication::focusWidget();
            if (!f || f == tabs->tabBar())
                break;
            visited.insert(f);
        }
        QStringList unreached;
        for (QWidget* w : current->findChildren<QWidget*>()) {
            if (!w->isVisible() || !w->isEnabled() || !(w->focusPolicy() & Qt::TabFocus) || w->focusProxy())
                continue;
            if (!visited.contains(w) && !w->isAncestorOf(QApplication::focusWidget()))
                unreached << w->objectName() + QLatin1Char(':') + QString::fromLatin1(w->metaObject()->className());
        }
        QVERIFY2(unreached.isEmpty(), qPrintable(page + QStringLiteral(": ") + unreached.join(QStringLiteral(", "))));
    });

    // The chart kinds take the focus; Space draws the focused one.
    tabs->setCurrentIndex(static_cast<int>(rz::Tab::Chart));
    auto* pairs = p.widget<QToolButton>("SpeedButton1");
    QVERIFY(pairs->focusPolicy() & Qt::TabFocus);
    pairs->setFocus(Qt::TabFocusReason);
    QTest::keyClick(pairs, Qt::Key_Space);
    QCOMPARE(p.model.chart.Kind, rz::StatisticsKind::Pairs);

    // A row's lock by keyboard, heard as a check box.
    tabs->setCurrentIndex(0);
    auto* rowLabel = p.widget<QLabel>(rz::TipSet::labelName(2));
    rowLabel->setFocus(Qt::TabFocusReason);
    QVERIFY(rowLabel->hasFocus());
    QTest::keyClick(rowLabel, Qt::Key_Space);
    QVERIFY(p.model.tips.row(2).Locked);
    QAccessibleInterface* lock = QAccessible::queryAccessibleInterface(rowLabel);
    QCOMPARE(lock->role(), QAccessible::CheckBox);
    QVERIFY(lock->state().checked);
    QCOMPARE(lock->text(QAccessible::Name), rowLabel->text());
    QTest::keyClick(rowLabel, Qt::Key_Return);
    QVERIFY(!p.model.tips.row(2).Locked);
    QVERIFY(!lock->state().checked);

    // The run has Ctrl+R and F5, and the button's tool tip says so.
    auto* runAction = p.widget<QAction>("Berechnen1");
    QVERIFY(runAction->shortcuts().contains(QKeySequence(Qt::CTRL | Qt::Key_R)));
    QVERIFY(runAction->shortcuts().contains(QKeySequence(Qt::Key_F5)));
    QVERIFY2(run->toolTip().contains(QKeySequence(Qt::Key_F5).toString(QKeySequence::NativeText)) &&
                 run->toolTip().startsWith(run->statusTip()),
             qPrintable(run->toolTip()));
    // F5 runs it (the key returns when the run has ended).
    QVERIFY(p.model.RunCounter == 0);
    QTest::keyClick(p.form.get(), Qt::Key_F5);
    QVERIFY(p.model.RunCounter > 0);
    QVERIFY(!p.model.Berechnunglaeuft);
}

void AccessibilityTest::placingAWindowInsideAScreen_data() {
    QTest::addColumn<QRect>("available");
    QTest::addColumn<QRect>("client");
    QTest::addColumn<bool>("keepInside");
    QTest::addColumn<QRect>("expected");
    const QMargins f = kFrameAllowance;
    // 1280 x 1024 at scale 2 is 640 x 512; a task bar takes 40 at the bottom.
    QTest::newRow("too large for a scaled screen")
        << QRect(0, 0, 640, 472) << QRect(100, 50, 720, 540) << true
        << QRect(f.left(), f.top(), 640 - f.left() - f.right(), 472 - f.top() - f.bottom());
    QTest::newRow("fits: stays where it is") << QRect(0, 0, 1024, 768) << QRect(100, 80, 720, 540) << true
                                             << QRect(100, 80, 720, 540);
    QTest::newRow("overhangs the right and bottom edge: moved in")
        << QRect(0, 0, 1024, 768) << QRect(600, 500, 720, 540) << true
        << QRect(1024 - f.right() - 720, 768 - f.bottom() - 540, 720, 540);
    QTest::newRow("a second screen to the left") << QRect(-1280, 0, 1280, 1024) << QRect(-2000, -10, 720, 540) << true
                                                 << QRect(-1280 + f.left(), f.top(), 720, 540);
    QTest::newRow("not yet placed: only the size") << QRect(0, 0, 800, 600) << QRect(0, 0, 900, 700) << false
                                                   << QRect(0, 0, 800 - f.left() - f.right(), 600 - f.top() - f.bottom());
}

void AccessibilityTest::placingAWindowInsideAScreen() {
    QFETCH(QRect, available);
    QFETCH(QRect, client);
    QFETCH(bool, keepInside);
    QFETCH(QRect, expected);
    QCOMPARE(placeInside(available, client, kFrameAllowance, keepInside), expected);
}

void AccessibilityTest::theWindowOpensInsideASmallOrScaledScreen() {
    // The screen this test runs on, as the platform reports it (a small
    // or scaled one when the test runs so, see tests/CMakeLists.txt), then
    // the available areas of 1280 x 1024 at scale 2 and of 1024 x 768.
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    // Run on a screen of a given size (RZ_SCREEN=640x512), the platform
    // must have made it so.
    if (const QByteArray expected = qgetenv("RZ_SCREEN"); !expected.isEmpty())
        QCOMPARE(QStringLiteral("%1x%2").arg(screen.width()).arg(screen.height()), QString::fromLatin1(expected));
    QList<QRect> screens{screen, QRect(0, 0, 640, 472), QRect(0, 0, 1024, 728)};
    for (const QRect& available : screens) {
        Program p(2);
        // The start has fitted the window into the screen it opens on.
        if (available != screen)
            p.form->fitIntoScreen(available);
        QApplication::processEvents();
        // The window with its frame lies inside the screen.
        const QRect frame = p.form->frameGeometry();
        QVERIFY2(available.contains(frame), qPrintable(QStringLiteral("%1,%2 %3x%4 in %5x%6")
                                                           .arg(frame.x())
                                                           .arg(frame.y())
                                                           .arg(frame.width())
                                                           .arg(frame.height())
                                                           .arg(available.width())
                                                           .arg(available.height())));
        // Everything of the tips page lies inside the window: the run, the
        // search, the wheel and the status bar.
        for (const char* name : {"BitBtn4", "SpeedButton4", "WheelButton", "OnlineTipp", "StatusBar1"}) {
            auto* w = p.widget<QWidget>(name);
            const QRect r(w->mapTo(p.form.get(), QPoint(0, 0)), w->size());
            QVERIFY2(p.form->rect().contains(r), qPrintable(QStringLiteral("%1 at %2,%3 %4x%5 in %6x%7")
                                                                 .arg(name)
                                                                 .arg(r.x())
                                                                 .arg(r.y())
                                                                 .arg(r.width())
                                                                 .arg(r.height())
                                                                 .arg(p.form->width())
                                                                 .arg(p.form->height())));
        }
        // A window smaller than designed shows its contents scaled down.
        if (p.form->height() < p.form->designedHeight())
            QVERIFY2(p.form->contentScale() < 1.0, qPrintable(QString::number(p.form->contentScale())));
    }
}

void AccessibilityTest::theLanguageMenuNamesEachLanguageInItsOwnLanguage() {
    const QStringList names = {QStringLiteral("Deutsch"),  QStringLiteral("English"),  QStringLiteral("Français"),
                               QStringLiteral("Español"),  QStringLiteral("Italiano"), QStringLiteral("Русский"),
                               QStringLiteral("Português"), QStringLiteral("中文")};
    const QStringList items = {"Deutsch1", "Englich1", "Franz1", "Spanisch1", "Italenisch1", "Russisch1", "Porugiesisch1", "N2"};
    // The built-in captions, without a language file.
    Program p(0);
    QStringList builtIn;
    for (const QString& item : items)
        builtIn << p.widget<QAction>(qPrintable(item))->text();
    QCOMPARE(builtIn, (QStringList{"Deutsch", "English", "français", "espagnol", "italiano", "русский", "português",
                                   QStringLiteral("中国的")}));
    for (int language : everyLanguage().mid(1)) {
        p.choose(language);
        QStringList shown;
        for (const QString& item : items)
            shown << p.widget<QAction>(qPrintable(item))->text();
        QCOMPARE(shown, names);
    }
}

QTEST_MAIN(AccessibilityTest)
#include "test_accessibility.moc"
