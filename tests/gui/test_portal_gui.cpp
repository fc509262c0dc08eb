// The online submission in the window: "Warenkorb" against the data server
// on the loopback (the shell is scripted, no browser opens), "Online abgeben"
// and Ctrl+G with the real script choice dialog and a fake robot started as a
// separate process, the credential store without a keyring, and the
// machine-wide robot location.
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDirIterator>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <filesystem>
#include <functional>
#include <memory>
#include <thread>

#include "../core/TestSupport.h"
#include "WindowFixture.h"
#include "DarovAduzez.h"
#include "QtCredentialStore.h"
#include "QtHttp.h"
#include "QtMachineSettings.h"
#include "QtPlatform.h"
#include "QtSettingsStore.h"
#include "Scriptwahl.h"
#include "online/OnlineServices.h"
#include "../download/RunningDataServer.h"

namespace {

namespace fs = std::filesystem;

const char* kRobot = "#!/bin/sh\n"
                     "for a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"$(dirname \"$0\")/args.tmp\"\n"
                     "mv \"$(dirname \"$0\")/args.tmp\" \"$(dirname \"$0\")/args.txt\"\n";

const char* kPassword = "Pa55-wort-7391";


// Qt's dialogs, event processing and process start; a shell that opens
// nothing but records.
struct RecordingShell : rz::IShell {
    std::vector<std::string> opened;
    std::function<void()> onOpen; // after each address; may be empty
    bool open(const std::string& what) override {
        opened.push_back(what);
        if (onOpen)
            onOpen();
        return true;
    }
};

struct Program {
    rz::test::TempDir home;
    rz::test::TempDir robotDir;
    rz::test::TempDir config;
    QtPlatform qt;
    RecordingShell shell;
    QtHttp http;
    QtSettingsStore store;
    QtCredentialStore credentials;
    QtMachineSettings machine;
    rz::FixedClock clock{rz::dayFromYmd(2024, 7, 4)};
    rz::MainModel model;
    std::unique_ptr<TForm1> form;

    Program()
        : store(QString::fromStdString(config.file("RuvuZevodare.ini"))),
          machine(QString::fromStdString(config.str())) {
        rz::test::writeDatabase(home.file("Ruvuzevodare.dat"), {rz::test::rec(2024, 7, 2, {5, 12, 33, 41, 70}, 7, 3)});
        const std::string robot = robotDir.file("ostrevo");
        rz::test::writeFile(robot, kRobot);
        fs::permissions(robot, fs::perms::owner_all);
        fs::create_directories(config.file("Quendral"));
        rz::test::writeFile(config.file("Quendral/Varendo.ini"), "[Settings]\nPath=" + robotDir.str() + "\n");
        fs::create_directory(home.file("Script"));
        rz::test::writeFile(home.file("Script/Lottoland.qcs"), "LOGIN [Z1_1] [S1_1] [TIPPDATEI]\n");
        model.setServices(services());
        model.ServerAddress = "http://127.0.0.1:1";
        form = startProgram(model, home.str(), &qt);
        model.setServices(services());
        model.DateTimePicker1.setDate(rz::dayFromYmd(2024, 7, 2));
        for (int k = 1; k <= 6; ++k)
            model.tips.set(1, k, std::to_string(k * 3));
        form->refreshFromModel();
    }
    ~Program() {
        model.setServices({});
        qt.attachWindows(nullptr, nullptr);
        form.reset();
    }
    rz::Services services() {
        rz::Services s = qt.services();
        s.shell = &shell;
        s.clock = &clock;
        s.http = &http;
        s.settings = &store;
        s.credentials = &credentials;
        s.machineSettings = &machine;
        return s;
    }
    template <typename T>
    T* widget(const char* name) const {
        return rz::test::namedWidget<T>(form.get(), name);
    }
    // Answers the script choice dialog as soon as it shows.
    void answerDialog(const std::function<void(TQCSForm*)>& answer) {
        auto* timer = new QTimer(form.get());
        timer->setInterval(10);
        QObject::connect(timer, &QTimer::timeout, form.get(), [this, timer, answer] {
            TQCSForm* dialog = form->qcsForm();
            if (!dialog->isVisible())
                return;
            timer->stop();
            timer->deleteLater();
            answer(dialog);
        });
        timer->start();
    }
};

// Every file below `folder` whose bytes contain `text`.
QStringList filesContaining(const QString& folder, const QByteArray& text) {
    QStringList hits;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        QFile f(it.next());
        if (f.open(QIODevice::ReadOnly) && f.readAll().contains(text))
            hits << f.fileName();
    }
    return hits;
}

} // namespace

class PortalGuiTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void cartButtonOpensTwoCartsWhileTheWindowWorks();
    void onlineButtonStartsTheRobotWithTheFilledCopy();
    void hiddenMenuItemByItsShortcut();
    void dialogFieldsAndSearchButton();
    void noKeyringKeepsNoPassword();
    void machineWideRobotLocation();
};

void PortalGuiTest::initTestCase() {
    // A home folder of its own, so that the search for the password never
    // reads the real user's files, and no keyring that could be reached: the
    // program must then keep the password nowhere.
    static rz::test::TempDir home;
    qputenv("HOME", QByteArray::fromStdString(home.str()));
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString(home.file(".config")));
    qputenv("XDG_DATA_HOME", QByteArray::fromStdString(home.file(".local/share")));
    qputenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/bus");
}

void PortalGuiTest::cartButtonOpensTwoCartsWhileTheWindowWorks() {
    Program p;
    rz::test::writeDatabase(p.home.file("served.dat"), {});
    rz::PortalOptions portal;
    portal.cartBase = "https://portal.example/cart?";
    rz::test::RunningDataServer server(p.home.file("served.dat"), {.portal = portal});
    p.model.ServerAddress = server.address();
    for (int r = 1; r <= 12; ++r)
        for (int k = 1; k <= 6; ++k)
            p.model.tips.set(r, k, std::to_string(k == 6 ? r : r + 10 * k));
    p.form->show();
    QVERIFY(QTest::qWaitForWindowExposed(p.form.get()));
    p.form->refreshFromModel();

    // Between the two carts the window handles its events: a call queued
    // when the first cart opens has run before the second one opens. The
    // pause's length runs on the cart's own clock and is tested there.
    p.model.cartPauseMs = 0;
    std::vector<std::size_t> openedWhenEventsRan;
    p.shell.onOpen = [&] {
        QMetaObject::invokeMethod(
            p.form.get(), [&] { openedWhenEventsRan.push_back(p.shell.opened.size()); }, Qt::QueuedConnection);
    };
    auto* button = p.widget<QPushButton>("Warenkorb");
    QVERIFY(button->isEnabled());
    QTest::mouseClick(button, Qt::LeftButton);
    QCOMPARE(p.shell.opened.size(), std::size_t{2});
    QVERIFY(p.shell.opened[0].rfind("https://portal.example/cart?kasten1=11,21,31,41,51,1,&", 0) == 0);
    QVERIFY(p.shell.opened[1].find("kasten6=22,32,42,52,62,12,&Tipps=6") != std::string::npos);
    QVERIFY(!openedWhenEventsRan.empty());
    QCOMPARE(openedWhenEventsRan.front(), std::size_t{1});
    QCOMPARE(p.widget<QLabel>("StatusPanel1")->text(), QStringLiteral("Überprüfen Sie den Tipp im Warenkorb!!!"));
}

void PortalGuiTest::onlineButtonStartsTheRobotWithTheFilledCopy() {
    Program p;
    p.answerDialog([](TQCSForm* d) {
        d->findChild<QLineEdit*>("ZAHL1")->setText(QStringLiteral("2"));
        d->findChild<QLineEdit*>("TEXT1")->setText(QStringLiteral("Max Mustermann"));
        d->findChild<QLineEdit*>("ZAHL2")->clear();
        d->findChild<QLineEdit*>("TEXT2")->setText(QLatin1String(kPassword));
        QTest::mouseClick(d->findChild<QPushButton*>("BitBtn1"), Qt::LeftButton);
    });
    QTest::mouseClick(p.widget<QPushButton>("OnlineTipp"), Qt::LeftButton);
    QCOMPARE(p.model.lastScriptRun.end, rz::ScriptRunEnd::Started);
    const std::string copy = p.home.file("Tipps/20240704.qcs");
    const std::string tipFile = p.home.file("Tipps/20240709.qlt");
    QCOMPARE(rz::test::readFile(copy), "LOGIN 3 18 " + tipFile + "\r\n");
    // The robot runs on its own; it writes its arguments when it is done.
    const QString args = QString::fromStdString(p.robotDir.file("args.txt"));
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(args), 10000);
    const std::string expected = "START\n" + copy + "\n2\nMax Mustermann\n0\n" + kPassword + "\n";
    QCOMPARE(rz::test::readFile(args.toStdString()), expected);

    // Without a keyring the password is in no file of the program or the user.
    p.store.close();
    QVERIFY(QFile::exists(QString::fromStdString(p.config.file("RuvuZevodare.ini"))));
    QCOMPARE(filesContaining(QString::fromStdString(p.config.str()), kPassword), QStringList());
    QCOMPARE(filesContaining(QString::fromStdString(p.home.str()), kPassword), QStringList());
    QCOMPARE(filesContaining(QDir::homePath(), kPassword), QStringList());
    QSettings ini(QString::fromStdString(p.config.file("RuvuZevodare.ini")), QSettings::IniFormat);
    QCOMPARE(ini.value("Varendo/MegaLottoText1").toString(), QStringLiteral("text:Max Mustermann"));
    QVERIFY(!ini.contains("Varendo/MegaLottoText2"));
}

void PortalGuiTest::hiddenMenuItemByItsShortcut() {
    Program p;
    p.form->show();
    QVERIFY(QTest::qWaitForWindowExposed(p.form.get()));
    QAction* abgeben = p.form->findChild<QAction*>("Abgeben1");
    QVERIFY(abgeben && !abgeben->isVisible());
    bool shown = false;
    p.answerDialog([&shown](TQCSForm* d) {
        shown = true;
        QTest::mouseClick(d->findChild<QPushButton*>("BitBtn2"), Qt::LeftButton);
    });
    QTest::keyClick(p.form.get(), Qt::Key_G, Qt::ControlModifier);
    QTRY_VERIFY(shown);
    QCOMPARE(p.model.lastScriptRun.end, rz::ScriptRunEnd::Cancelled);
    QVERIFY(fs::exists(p.home.file("Tipps/20240709.qlt")));
}

void PortalGuiTest::dialogFieldsAndSearchButton() {
    Program p;
    TQCSForm* d = p.form->qcsForm();
    std::vector<rz::FileDialogRequest> requests;
    d->openFile = [&requests](const rz::FileDialogRequest& r) {
        requests.push_back(r);
        return std::optional<std::string>("/elsewhere/Eigenes.qcs");
    };
    rz::ScriptChoice initial;
    initial.script = "/home/u/Script/b.qcs";
    initial.scripts = {"/home/u/Script/a.qcs", "/home/u/Script/b.qcs"};
    initial.scriptFolder = "/home/u/Script";
    initial.text2 = kPassword;
    std::optional<rz::ScriptChoice> got;
    QTimer::singleShot(0, [&] {
        auto* combo = d->findChild<QComboBox*>("ComboBox1");
        QCOMPARE(combo->count(), 2);
        QCOMPARE(combo->currentText(), QStringLiteral("/home/u/Script/b.qcs"));
        auto* password = d->findChild<QLineEdit*>("TEXT2");
        QCOMPARE(password->echoMode(), QLineEdit::Password);
        QTest::mouseClick(d->findChild<QToolButton*>("ScriptButton"), Qt::LeftButton);
        QCOMPARE(combo->currentText(), QStringLiteral("/elsewhere/Eigenes.qcs"));
        QTest::mouseClick(d->findChild<QPushButton*>("BitBtn1"), Qt::LeftButton);
    });
    got = d->choose(initial);
    QVERIFY(got.has_value());
    QCOMPARE(got->script, std::string("/elsewhere/Eigenes.qcs"));
    QCOMPARE(got->zahl1, std::string("0")); // empty numbers become 0
    QCOMPARE(got->zahl2, std::string("0"));
    QCOMPARE(got->text2, std::string(kPassword));
    QCOMPARE(d->findChild<QLineEdit*>("TEXT2")->text(), QString()); // not left in the hidden window
    QCOMPARE(requests.size(), std::size_t{1});
    QCOMPARE(requests[0].filter, std::string("Quendrals Click Script|*.qcs"));
    QCOMPARE(requests[0].defaultExt, std::string("QCS"));
    QCOMPARE(requests[0].initialDir, std::string("/home/u/Script"));

    QTimer::singleShot(0, [&] { QTest::mouseClick(d->findChild<QPushButton*>("BitBtn2"), Qt::LeftButton); });
    QVERIFY(!d->choose(initial).has_value());
}

void PortalGuiTest::noKeyringKeepsNoPassword() {
    // No keyring can be reached (initTestCase): the calls come back with
    // "not kept", and the password lands in no file.
    rz::test::TempDir dir;
    QtCredentialStore store;
    QVERIFY(!store.writeSecret(rz::kCredentialService, "MegaLottoText2", kPassword));
    QVERIFY(!store.readSecret(rz::kCredentialService, "MegaLottoText2").has_value());
    QCOMPARE(filesContaining(QDir::homePath(), kPassword), QStringList());
}

void PortalGuiTest::machineWideRobotLocation() {
    rz::test::TempDir dir;
    QtMachineSettings none(QString::fromStdString(dir.str()));
    QVERIFY(!none.readText("Varendo", "Settings/Path").has_value());
    fs::create_directories(dir.file("Quendral"));
    rz::test::writeFile(dir.file("Quendral/Varendo.ini"), "[Settings]\nPath=/opt/Quendral/Ostrevo\n");
    QtMachineSettings machine(QString::fromStdString(dir.str()));
    QCOMPARE(machine.readText("Varendo", "Settings/Path"), std::optional<std::string>("/opt/Quendral/Ostrevo"));
    QVERIFY(!machine.readText("Varendo", "Settings/Other").has_value());
    QVERIFY(!machine.readText("Other", "Settings/Path").has_value());
}

QTEST_MAIN(PortalGuiTest)
#include "test_portal_gui.moc"
