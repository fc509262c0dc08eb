// The whole program used at random, as an impatient user would: clicks on
// whatever is enabled, junk typed into fields, tabs and dates changed, menu
// items triggered, every dialog (message boxes, file dialogs, the number
// list, drawing entry, script choice) answered at random, long runs stopped
// with Escape. The program must not crash or hang, the drawing file must stay
// a valid drawing file, and every tip field must hold what its check allows.
//
// RZ_MONKEY_SEEDS=a,b,c and RZ_MONKEY_STEPS=N run longer sessions by hand,
// RZ_MONKEY_DB=FILE on a drawing file of your own (a copy of it).
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDialog>
#include <QFileDialog>
#include <QLineEdit>
#include <QMenuBar>
#include <QSpinBox>
#include <QTabWidget>
#include <QTimer>
#include <QtTest>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <memory>
#include <random>

#include "../core/TestSupport.h"
#include "DarovAduzez.h"
#include "QtPlatform.h"
#include "common/Text.h"
#include "settings/SettingsStore.h"

using rz::test::rec;

namespace {

// Shell, sound and programs that never leave the test.
class Recorder : public rz::IShell, public rz::ISound, public rz::IProcesses {
public:
    bool open(const std::string& what) override {
        opened.push_back(what);
        return opened.size() % 5 != 0; // now and then nothing can open it
    }
    void play(const std::string&) override {}
    bool start(const std::string& program, const std::vector<std::string>&) override {
        started.push_back(program);
        return true;
    }
    std::vector<std::string> opened, started;
};

// The window's event service, with a turn counter: a long operation lets
// events through only here, so its stop can follow a count of these turns.
class CountedEvents : public rz::IEvents {
public:
    explicit CountedEvents(rz::IEvents& inner) : inner_(inner) {}
    std::function<void()> onTurn; // before each turn; may be empty
    void processPendingEvents() override {
        if (onTurn)
            onTurn();
        inner_.processPendingEvents();
    }
    void setBusyCursor(bool busy) override { inner_.setBusyCursor(busy); }

private:
    rz::IEvents& inner_;
};

const char* const kJunk[] = {"",   "7",  "0",   "-1", "70",  "71", "25",  "24",   "99999999999", "abc", "1,2",
                             " 5", "+3", "07",  "1e3", "ä",  "\t", "%s%n", "../x", "12345",      "-",   "0x10"};

struct Monkey {
    std::mt19937 rng;
    rz::test::TempDir home;
    QtPlatform platform;
    CountedEvents events{platform};
    Recorder recorder;
    rz::MemorySettingsStore store;
    rz::FixedClock clock{rz::dayFromYmd(2025, 6, 20)};
    std::unique_ptr<rz::MainModel> owned = std::make_unique<rz::MainModel>();
    rz::MainModel* modelPtr = owned.get();
    std::unique_ptr<TForm1> form;
    QTimer modalTimer;
    // Turns of the event loop that a long operation lets through: after
    // enough of them the operation is stopped (counted, not timed, so that a
    // seed's stops come at the same turn of the operation on every machine).
    int operationTurns = 0;
    static constexpr int kTurnsBeforeStop = 30;
    int modalActions = 0;
    QStringList log;
    const bool verbose = qEnvironmentVariableIsSet("RZ_MONKEY_VERBOSE");
    void note(const QString& line) {
        log << line;
        if (verbose)
            qInfo("%s", qPrintable(line));
    }

    explicit Monkey(unsigned seed) : rng(seed) {
        // A short history across the change of the MegaBall range.
        std::vector<rz::DrawingRecord> drawings;
        rz::DayNumber d = rz::dayFromYmd(2024, 10, 1);
        for (int i = 0; i < 60; ++i, d += (i % 2 ? 3 : 4)) {
            std::array<int, 5> n{};
            for (int k = 0; k < 5; ++k)
                n[static_cast<std::size_t>(k)] = 1 + 13 * k + static_cast<int>((i * 7 + k * 3) % 13);
            const rz::Ymd ymd = rz::ymdFromDay(d);
            drawings.push_back(rec(ymd.year, ymd.month, ymd.day, n, 1 + i % 24));
        }
        rz::test::writeDatabase(home.file("Ruvuzevodare.dat"), drawings);
        if (const QByteArray given = qgetenv("RZ_MONKEY_DB"); !given.isEmpty()) // e.g. the whole history
            std::filesystem::copy_file(given.toStdString(), home.file("Ruvuzevodare.dat"),
                                       std::filesystem::copy_options::overwrite_existing);
        std::filesystem::create_directories(home.file("Script"));
        rz::test::writeFile(home.file("Script/Portal.qcs"), "[Z1_1] [S1_1] [TIPPDATEI]\r\n");
        rz::test::writeFile(home.file("junk.qlt"), std::string("5,17,x\r\n\xff\xfe,,,\r\n99,1,2,3,4,5,6,7,8\r\n"));

        rz::Services s = platform.services();
        s.events = &events;
        events.onTurn = [this] { onOperationTurn(); };
        s.shell = &recorder;
        s.sound = &recorder;
        s.processes = &recorder;
        s.clock = &clock;
        s.settings = &store;
        s.http = nullptr;         // no network: downloads end at once
        s.credentials = nullptr;  // no keyring
        s.machineSettings = nullptr;
        model().setServices(s);

        // Whatever modal window is open gets a few random answers, then
        // leaves (a modal window waits for them, so their timing changes
        // nothing). A dialog that opens another gets its answers from the
        // inner loop.
        modalTimer.setInterval(3);
        QObject::connect(&modalTimer, &QTimer::timeout, [this] { onTimer(); });
        modalTimer.start();

        form = startProgram(model(), home.str(), &platform);
        form->show();
        if (!QTest::qWaitForWindowExposed(form.get()))
            qFatal("window not shown");
        model().ServerAddress = "http://127.0.0.1:1/";
    }
    ~Monkey() {
        modalTimer.stop();
        if (form && form->isVisible())
            form->close();
        model().finishClose();
        platform.attachWindows(nullptr, nullptr);
        form.reset();
        model().setServices({});
    }

    rz::MainModel& model() const { return *modelPtr; }

    // Closes the window as the user does (the settings are written) and
    // starts the program again on the same folder and settings.
    void restart() {
        if (form->isVisible())
            form->close();
        model().finishClose();
        platform.attachWindows(nullptr, nullptr);
        form.reset();
        const rz::Services s = model().services();
        owned = std::make_unique<rz::MainModel>();
        modelPtr = owned.get();
        model().setServices(s);
        form = startProgram(model(), home.str(), &platform);
        form->show();
        if (!QTest::qWaitForWindowExposed(form.get()))
            qFatal("window not shown");
        model().ServerAddress = "http://127.0.0.1:1/";
    }

    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); }
    template <typename T>
    T* any(const QList<T*>& xs) {
        return xs.isEmpty() ? nullptr : xs[pick(static_cast<int>(xs.size()))];
    }
    QString junk() { return QString::fromUtf8(kJunk[pick(static_cast<int>(std::size(kJunk)))]); }

    template <typename T>
    static QList<T*> usable(QWidget* root) {
        QList<T*> out;
        for (T* w : root->findChildren<T*>())
            if (w->isVisible() && w->isEnabled())
                out << w;
        return out;
    }

    void typeInto(QWidget* w, const QString& text) {
        w->setFocus();
        QTest::keyClick(w, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(w, Qt::Key_Backspace);
        for (const QChar c : text) { // any character, as a keyboard layout would give it
            QTest::sendKeyEvent(QTest::Press, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
            QTest::sendKeyEvent(QTest::Release, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
        }
        QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(w, &out);
    }

    // The timer only queues the action: a click that opens a dialog runs a
    // nested loop, and a timer's own slot is not entered again meanwhile.
    void onTimer() {
        if (pending)
            return;
        if (QApplication::activeModalWidget())
            later([this] {
                if (QWidget* modal = QApplication::activeModalWidget())
                    answer(modal);
            });
    }
    // A long operation lets events through: after enough turns it is stopped
    // with Escape (and by the run button, which stops a run).
    void onOperationTurn() {
        if (pending || !model().operation.running())
            return;
        if (++operationTurns <= kTurnsBeforeStop)
            return;
        operationTurns = 0;
        later([this] {
            note(QStringLiteral("stop with Escape"));
            QTest::keyClick(form.get(), Qt::Key_Escape);
            if (auto* run = form->findChild<QAbstractButton*>(QStringLiteral("BitBtn4"));
                run && run->isEnabled() && model().operation.running())
                QTest::mouseClick(run, Qt::LeftButton);
        });
    }
    template <typename Fn>
    void later(Fn fn) {
        pending = true;
        QTimer::singleShot(0, form.get(), [this, fn] {
            pending = false;
            fn();
        });
    }
    bool pending = false;

    void answer(QWidget* modal) {
        if (++modalActions > 6) {
            modalActions = 0;
            if (auto* d = qobject_cast<QDialog*>(modal)) {
                note(QStringLiteral("reject %1").arg(modal->metaObject()->className()));
                d->reject();
            }
            return;
        }
        if (auto* files = qobject_cast<QFileDialog*>(modal)) {
            const QString choices[] = {QString::fromStdString(home.file("junk.qlt")),
                                       QString::fromStdString(home.file("out.qlt")),
                                       QString::fromStdString(home.file("Ruvuzevodare.dat")),
                                       QString::fromStdString(home.str()),
                                       QString::fromStdString(home.file("missing/x.qlw")),
                                       QString::fromStdString(home.file("Script/Portal.qcs"))};
            const QString chosen = choices[pick(static_cast<int>(std::size(choices)))];
            note(QStringLiteral("file dialog: %1").arg(chosen));
            if (pick(4) == 0) {
                files->reject();
            } else {
                files->selectFile(chosen);
                static_cast<QDialog*>(files)->accept(); // as the Open button does
            }
            modalActions = 0;
            return;
        }
        switch (pick(4)) {
        case 0:
        case 1:
            if (auto* e = any(usable<QLineEdit>(modal))) {
                const QString t = junk();
                note(QStringLiteral("modal %1 type %2 into %3").arg(modal->objectName(), t, e->objectName()));
                typeInto(e, t);
                return;
            }
            [[fallthrough]];
        case 2:
            if (auto* c = any(usable<QCheckBox>(modal))) {
                note(QStringLiteral("modal toggle %1").arg(c->objectName()));
                c->click();
                return;
            }
            [[fallthrough]];
        default:
            if (auto* b = any(usable<QAbstractButton>(modal))) {
                note(QStringLiteral("modal %1 click %2 \"%3\"").arg(modal->objectName(), b->objectName(), b->text()));
                modalActions = 0;
                QTest::mouseClick(b, Qt::LeftButton);
            }
        }
    }

    // One random step on the main window; false once the window is closed.
    bool step() {
        operationTurns = 0;
        QWidget* root = form.get();
        switch (pick(10)) {
        case 0:
        case 1:
        case 2:
        case 3:
            if (auto* b = any(usable<QAbstractButton>(root))) {
                note(QStringLiteral("click %1 \"%2\"").arg(b->objectName(), b->text()));
                QTest::mouseClick(b, Qt::LeftButton);
            }
            break;
        case 4:
        case 5: {
            QList<QWidget*> fields;
            for (auto* e : usable<QLineEdit>(root))
                if (!qobject_cast<QSpinBox*>(e->parentWidget()) && !qobject_cast<QDateEdit*>(e->parentWidget()))
                    fields << e;
            for (auto* s : usable<QSpinBox>(root))
                fields << s;
            if (QWidget* w = any(fields)) {
                const QString t = junk();
                note(QStringLiteral("type \"%1\" into %2").arg(t, w->objectName()));
                typeInto(w, t);
            }
            break;
        }
        case 6:
            if (auto* t = any(usable<QTabWidget>(root))) {
                const int i = pick(t->count());
                note(QStringLiteral("tab %1 of %2").arg(i).arg(t->objectName()));
                t->setCurrentIndex(i);
            }
            break;
        case 7:
            if (auto* d = any(usable<QDateEdit>(root))) {
                const QDate date = QDate(2000 + pick(30), 1 + pick(12), 1 + pick(28));
                note(QStringLiteral("date %1 into %2").arg(date.toString(Qt::ISODate), d->objectName()));
                d->setDate(date);
            }
            break;
        case 8: {
            QList<QAction*> actions;
            for (QAction* a : root->findChildren<QAction*>())
                if (a->isEnabled() && !a->menu() && !a->objectName().isEmpty() &&
                    a->objectName() != QLatin1String("Schlieen1"))
                    actions << a;
            if (QAction* a = any(actions)) {
                note(QStringLiteral("menu %1").arg(a->objectName()));
                a->trigger();
            }
            break;
        }
        default:
            if (auto* c = any(usable<QComboBox>(root)); c && c->count() > 0) {
                c->setCurrentIndex(pick(c->count()));
            } else {
                const QSize size(400 + pick(900), 300 + pick(700));
                note(QStringLiteral("resize %1x%2").arg(size.width()).arg(size.height()));
                form->resize(size);
            }
        }
        QApplication::processEvents();
        return form->isVisible();
    }

    // What must hold after every step.
    QString broken() const {
        const std::string db = rz::test::readFile(home.file("Ruvuzevodare.dat"));
        if (db.size() % rz::DrawingRecord::kSize != 0)
            return QStringLiteral("the drawing file is %1 bytes long").arg(db.size());
        for (int r = 1; r <= rz::TipSet::kRows; ++r)
            for (int k = 1; k <= 6; ++k) {
                const std::string v = model().tips.get(r, k);
                if (v.empty())
                    continue;
                std::int32_t n = 0;
                const int highest = k == 6 ? 25 : 70;
                if (!rz::tryParseInt(v, n) || n < 1 || n > highest)
                    return QStringLiteral("row %1 field %2 holds \"%3\"").arg(r).arg(k).arg(QString::fromStdString(v));
            }
        if (model().operation.running())
            return QStringLiteral("an operation still runs between steps");
        return {};
    }
};

std::vector<unsigned> seeds() {
    const QByteArray env = qgetenv("RZ_MONKEY_SEEDS");
    if (env.isEmpty())
        return {1, 2, 3};
    std::vector<unsigned> out;
    for (const QByteArray& s : env.split(','))
        out.push_back(s.toUInt());
    return out;
}

} // namespace

class MonkeyTest : public QObject {
    Q_OBJECT
private slots:
    void randomUseNeitherCrashesNorBreaksTheData_data();
    void randomUseNeitherCrashesNorBreaksTheData();
};

// One row a seed, so that the time limit of a test function holds per session.
void MonkeyTest::randomUseNeitherCrashesNorBreaksTheData_data() {
    QTest::addColumn<unsigned>("seed");
    for (unsigned seed : seeds())
        QTest::newRow(qPrintable(QStringLiteral("seed %1").arg(seed))) << seed;
}

void MonkeyTest::randomUseNeitherCrashesNorBreaksTheData() {
    const int steps = qEnvironmentVariableIsSet("RZ_MONKEY_STEPS") ? qEnvironmentVariableIntValue("RZ_MONKEY_STEPS") : 150;
    QFETCH(unsigned, seed);
    {
        Monkey m(seed);
        for (int i = 0; i < steps; ++i) {
            const bool open = m.step();
            const QString fault = m.broken();
            if (!fault.isEmpty()) {
                const QStringList last = m.log.mid(std::max<qsizetype>(0, m.log.size() - 15));
                QFAIL(qPrintable(QStringLiteral("seed %1, step %2: %3\n%4").arg(seed).arg(i).arg(fault, last.join('\n'))));
            }
            if (!open)
                break;
            if (m.pick(60) == 0) {
                // What the rows hold comes back after a restart.
                std::vector<std::string> before;
                for (int r = 1; r <= rz::TipSet::kRows; ++r)
                    for (int k = 1; k <= rz::TipSet::kFields; ++k)
                        before.push_back(m.model().tips.get(r, k));
                m.note(QStringLiteral("restart"));
                m.restart();
                const auto field = [](const std::vector<std::string>& fields, int r, int k) {
                    return QString::fromStdString(fields[static_cast<std::size_t>((r - 1) * rz::TipSet::kFields + k - 1)]);
                };
                const auto rowText = [&field](const std::vector<std::string>& fields, int r) {
                    QStringList out;
                    for (int k = 1; k <= rz::TipSet::kFields; ++k)
                        out << field(fields, r, k);
                    return out.join(QLatin1Char(','));
                };
                // The tip check at start-up may put a row's five numbers in order.
                const auto sameTip = [&field](const std::vector<std::string>& a, const std::vector<std::string>& b, int r) {
                    QList<int> na, nb;
                    for (int k = 1; k <= 5; ++k) {
                        na << field(a, r, k).toInt();
                        nb << field(b, r, k).toInt();
                    }
                    std::sort(na.begin(), na.end());
                    std::sort(nb.begin(), nb.end());
                    return na == nb && field(a, r, 6) == field(b, r, 6) && field(a, r, 7) == field(b, r, 7);
                };
                std::vector<std::string> after;
                for (int r = 1; r <= rz::TipSet::kRows; ++r)
                    for (int k = 1; k <= rz::TipSet::kFields; ++k)
                        after.push_back(m.model().tips.get(r, k));
                for (int r = 1; r <= rz::TipSet::kRows; ++r)
                    if (!sameTip(after, before, r))
                        QFAIL(qPrintable(QStringLiteral("seed %1, step %2: after a restart row %3 holds \"%4\", before \"%5\"\n%6")
                                             .arg(seed)
                                             .arg(i)
                                             .arg(r)
                                             .arg(rowText(after, r), rowText(before, r),
                                                  m.log.mid(std::max<qsizetype>(0, m.log.size() - 15)).join('\n'))));
            }
        }
    }
}

QTEST_MAIN(MonkeyTest)
#include "test_monkey.moc"
