// The download in the window: the Qt HTTP client against scripted servers on
// the loopback, the stop button during a request, the buttons, the server
// field, and the drawing entry dialog.
#include <QAction>
#include <QApplication>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <memory>

#include "../core/TestSupport.h"
#include "WindowFixture.h"
#include "../download/RawServer.h"
#include "../download/ScriptedServer.h"
#include "DarovAduzez.h"
#include "LoEingab.h"
#include "QtHttp.h"
#include "QtPlatform.h"

using rz::test::ScriptedAnswer;
using rz::test::ScriptedServer;

namespace {

const std::vector<rz::DrawingRecord> kStored = {
    rz::test::rec(2019, 10, 18, {18, 58, 60, 65, 67}, 20, 3),
    rz::test::rec(2019, 10, 22, {5, 12, 33, 41, 70}, 7, 3),
};

// Answers the entry dialog through the real TForm3.
struct DialogPlatform : rz::test::ScriptedPlatform {
    TForm1* form = nullptr;
    std::optional<rz::DrawingEntry> enterDrawing(const rz::DrawingEntry& initial) override {
        return form->form3()->edit(initial);
    }
};

// Qt's event processing, with a hook for the test.
struct HookedEvents : rz::IEvents {
    QtPlatform* qt = nullptr;
    std::function<void()> hook;
    void processPendingEvents() override {
        qt->processPendingEvents();
        if (hook)
            hook();
    }
    void setBusyCursor(bool busy) override { qt->setBusyCursor(busy); }
};

// The program with the Qt HTTP client and Qt event processing; dialogs scripted.
struct Program {
    rz::test::TempDir home;
    DialogPlatform platform;
    QtPlatform qt;
    HookedEvents events;
    QtHttp http;
    rz::FixedClock clock;
    rz::MainModel model;
    std::unique_ptr<TForm1> form;

    Program(const std::string& server, int todayY, int todayM, int todayD)
        : clock(rz::dayFromYmd(todayY, todayM, todayD)) {
        rz::test::writeDatabase(home.file("Ruvuzevodare.dat"), kStored);
        model.setServices({.dialogs = &platform, .shell = &platform, .sound = &platform, .events = &platform,
                           .clock = &clock, .http = &http});
        model.ServerAddress = server;
        form = startProgram(model, home.str(), nullptr);
        platform.form = form.get();
        qt.attachWindows(form.get(), nullptr);
        events.qt = &qt;
        model.setServices({.dialogs = &platform, .shell = &platform, .sound = &platform, .events = &events,
                           .clock = &clock, .http = &http});
    }
    ~Program() {
        model.setServices({.dialogs = &platform, .shell = &platform, .sound = &platform, .events = &platform});
        form.reset();
    }
    template <typename T>
    T* widget(const char* name) const {
        return rz::test::namedWidget<T>(form.get(), name);
    }
    std::size_t records() const { return model.database().readAll().size(); }
};

ScriptedAnswer line(const char* body) { return ScriptedAnswer{200, body, {}, 0}; }

rz::HttpResponse get(QtHttp& http, const std::string& url, int timeoutMs = 5000) {
    rz::HttpRequest req;
    req.url = url;
    req.readTimeoutMs = req.connectTimeoutMs = timeoutMs;
    const auto id = http.start(req);
    while (!http.finished(id))
        http.wait(id, 10);
    return http.take(id);
}

} // namespace

class DownloadGuiTest : public QObject {
    Q_OBJECT
private slots:
    void clientAnswersAndFailures();
    void clientTreatsBrokenOversizedAndEndlessAnswersAsFailures();
    void cutCsvExportStoresNothing();
    void clientFollowsAtMostFifteenRedirects();
    void clientKeepsCookiesAndSendsHeaders();
    void updateButtonAddsDrawingsAndRestoresTheButtons();
    void stopButtonAbortsASlowRequest();
    void firstShowRunsTheDownload();
    void serverFieldOnTheInternetTab();
    void entryDialogFieldsAndRanges();
    void enterAndDeleteThroughTheButtons();
};

void DownloadGuiTest::clientAnswersAndFailures() {
    ScriptedServer server([](const httplib::Request& req) {
        if (req.path == "/slow")
            return ScriptedAnswer{200, "late", {}, 3000};
        if (req.path == "/missing")
            return ScriptedAnswer{404, "nope", {}, 0};
        return ScriptedAnswer{200, "5,12,33,41,70,7,3\r\n", {{"Last-Modified", "Sun, 06 Nov 1994 08:49:37 GMT"}}, 0};
    });
    QtHttp http;
    rz::HttpResponse r = get(http, server.url() + "/ok");
    QVERIFY(r.answered());
    QCOMPARE(r.status, 200);
    QCOMPARE(r.statusLine, std::string("HTTP/1.1 200 OK"));
    QCOMPARE(r.body, std::string("5,12,33,41,70,7,3\r\n"));
    QCOMPARE(r.lastModified, std::optional<std::int64_t>(784111777));

    r = get(http, server.url() + "/missing"); // an HTTP error is an answer
    QVERIFY(r.answered());
    QCOMPARE(r.status, 404);
    QCOMPARE(r.statusLine, std::string("HTTP/1.1 404 Not Found"));

    r = get(http, server.url() + "/slow", 200);
    QCOMPARE(r.failure, rz::HttpFailure::Timeout);

    r = get(http, "http://127.0.0.1:" + std::to_string(rz::test::closedPort()) + "/");
    QCOMPARE(r.failure, rz::HttpFailure::ConnectionRefused);

    r = get(http, "ftp://127.0.0.1/x");
    QCOMPARE(r.failure, rz::HttpFailure::Other);
}

// A reply that broke off after its status is no answer, and every answer has
// a size limit and every request a deadline (short ones here).
void DownloadGuiTest::clientTreatsBrokenOversizedAndEndlessAnswersAsFailures() {
    using rz::test::RawServer;
    struct Case {
        const char* name;
        RawServer::Handler handler;
        rz::HttpFailure expected;
    };
    const std::vector<Case> cases = {
        {"body shorter than announced", RawServer::announcesMore(4800, std::string(1600, 'x')), rz::HttpFailure::Broken},
        {"reset after part of the body", RawServer::announcesMore(4800, std::string(1600, 'x'), true),
         rz::HttpFailure::Broken},
        {"announced larger than the limit", RawServer::announcesMore(200 * 1024 * 1024, "x"), rz::HttpFailure::TooLarge},
        {"endless body", RawServer::endlessBody("1,2,3,4,5,6,7\r\n"), rz::HttpFailure::TooLarge},
        {"body one byte at a time",
         RawServer::trickle("HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n", "1,2,3,4,5,6,7\r\n", 100),
         rz::HttpFailure::Timeout},
        {"headers one byte at a time", RawServer::trickle("HTTP/1.1 200 OK\r\n", "X-Slow: a\r\n", 100),
         rz::HttpFailure::Timeout},
    };
    QCOMPARE(rz::HttpRequest{}.maxAnswerBytes, std::int64_t{16} * 1024 * 1024);
    QCOMPARE(rz::HttpRequest{}.deadlineMs, 30000);
    for (const Case& c : cases) {
        RawServer server(c.handler);
        QtHttp http;
        rz::HttpRequest req;
        req.url = server.url() + "/script.qcs";
        req.maxAnswerBytes = 1024 * 1024;
        req.deadlineMs = 1500;
        const auto id = http.start(req);
        // Each case ends by its limit or its deadline of 1.5 s; the test's
        // own deadline is far beyond.
        QTRY_VERIFY2_WITH_TIMEOUT(http.finished(id), c.name, 20000);
        const rz::HttpResponse r = http.take(id);
        QVERIFY2(!r.answered(), c.name);
        QVERIFY2(r.failure == c.expected, (std::string(c.name) + ": " + r.failureText).c_str());
        QVERIFY2(r.body.empty(), c.name);
    }
    // Endless headers: whichever limit ends them, no answer.
    RawServer server(RawServer::endlessHeaders());
    QtHttp http;
    rz::HttpRequest req;
    req.url = server.url() + "/";
    req.maxAnswerBytes = 1024 * 1024;
    req.deadlineMs = 1500;
    const auto id = http.start(req);
    while (!http.finished(id))
        http.wait(id, 10);
    QVERIFY(!http.take(id).answered());
}

// A CSV export cut off in the middle of a line stored a drawing with a wrong
// MegaBall that no later download replaces.
void DownloadGuiTest::cutCsvExportStoresNothing() {
    const std::string csv = "\"Draw Date\",\"Winning Numbers\",\"Mega Ball\",\"Multiplier\"\n"
                            "\"10/25/2019\",\"16 24 25 52 60\",\"1";
    rz::test::RawServer server(rz::test::RawServer::announcesMore(csv.size() + 10, csv));
    Program p(server.url() + "/export.csv", 2019, 11, 1);
    const std::string before = rz::test::readFile(p.model.DatabasePath());
    QTest::mouseClick(p.widget<QPushButton>("BitBtn1"), Qt::LeftButton);
    QCOMPARE(rz::test::readFile(p.model.DatabasePath()), before);
    QVERIFY(p.widget<QLabel>("StatusPanel0")->text() != QStringLiteral("HTTP/1.1 200 OK"));
    QCOMPARE(p.model.lastDownload.end, rz::DownloadEnd::TransportFailed);
}

void DownloadGuiTest::clientFollowsAtMostFifteenRedirects() {
    ScriptedServer server([](const httplib::Request& req) {
        const int hop = std::stoi(req.path.substr(1));
        const int target = std::stoi(req.get_param_value("to"));
        if (hop < target) {
            const QString next = QStringLiteral("/%1?to=%2").arg(hop + 1).arg(target);
            return ScriptedAnswer{302, "", {{"Location", next.toStdString()}}, 0};
        }
        return line("arrived");
    });
    QtHttp http;
    rz::HttpResponse r = get(http, server.url() + "/0?to=15");
    QVERIFY(r.answered());
    QCOMPARE(r.body, std::string("arrived"));
    QCOMPARE(r.finalUrl, server.url() + "/15?to=15");
    r = get(http, server.url() + "/0?to=16");
    QCOMPARE(r.failure, rz::HttpFailure::TooManyRedirects);
}

void DownloadGuiTest::clientKeepsCookiesAndSendsHeaders() {
    ScriptedServer server([](const httplib::Request& req) {
        ScriptedAnswer a;
        if (!req.has_header("Cookie"))
            a.headers.push_back({"Set-Cookie", "sid=q1; Path=/"});
        return a;
    });
    Program p(server.url(), 2019, 10, 30);
    p.model.KalventoClick();
    const auto headers = server.headers();
    QCOMPARE(headers.size(), std::size_t{4});
    for (std::size_t i = 0; i < headers.size(); ++i) {
        QCOMPARE(headers[i].find("User-Agent")->second, std::string("Mozilla/3.0 (compatible; Indy Library)"));
        QCOMPARE(headers[i].find("Accept")->second, std::string("text/html, */*"));
        QCOMPARE(headers[i].count("Cookie"), i == 0 ? std::size_t{0} : std::size_t{1});
    }
    QCOMPARE(headers[3].find("Cookie")->second, std::string("sid=q1"));
}

void DownloadGuiTest::updateButtonAddsDrawingsAndRestoresTheButtons() {
    ScriptedServer server(rz::test::byDate({{"20191026", line("16,24,25,52,60,6,3")}, {"20191029", line("1,2,3,4,5,6,7")}}));
    Program p(server.url(), 2019, 11, 1);
    auto* update = p.widget<QPushButton>("BitBtn1");
    auto* update10 = p.widget<QToolButton>("SpeedButton10");
    auto* stop = p.widget<QToolButton>("SpeedButton8");
    QVERIFY(update->isEnabled() && update10->isEnabled());
    QVERIFY(p.form->findChild<QAction*>("Aktualisieren1")->isEnabled());

    bool disabledDuring = false, stopShownDuring = false;
    p.events.hook = [&] {
        disabledDuring = disabledDuring || (!update->isEnabled() && !update10->isEnabled());
        stopShownDuring = stopShownDuring || !stop->isHidden();
    };
    QTest::mouseClick(update, Qt::LeftButton);

    QCOMPARE(p.records(), std::size_t{4});
    QVERIFY(disabledDuring);
    QVERIFY(stopShownDuring);
    QVERIFY(update->isEnabled() && update10->isEnabled());
    QVERIFY(stop->isHidden());
    QCOMPARE(p.widget<QLabel>("Label35")->text(), QStringLiteral("Di 29.10.19    1  2  3  4  5   MB: 6 MP: 7"));
    QCOMPARE(p.widget<QLabel>("StatusPanel0")->text(), QStringLiteral("HTTP/1.1 200 OK"));
    // The status bar ends with what the download brought.
    QCOMPARE(p.widget<QLabel>("StatusPanel1")->text(), QStringLiteral("Ziehungen hinzugefügt: 2; letzte Ziehung vom 29.10.2019."));
}

void DownloadGuiTest::stopButtonAbortsASlowRequest() {
    // Every request would take 20 seconds.
    ScriptedServer server([](const httplib::Request&) { return ScriptedAnswer{200, "", {}, 20000}; });
    Program p("http://127.0.0.1:" + std::to_string(rz::test::closedPort()), 2019, 11, 30);
    p.form->show();
    QVERIFY(QTest::qWaitForWindowExposed(p.form.get()));
    QTRY_VERIFY(p.model.lastDownload.end == rz::DownloadEnd::TransportFailed); // the first-show download
    p.model.ServerAddress = server.url();
    p.model.showTab(rz::Tab::Database); // the stop button sits beside "Datenbank aktualisieren"
    p.form->refreshFromModel();
    auto* stop = p.widget<QToolButton>("SpeedButton8");

    // The stop is clicked while the request is under way.
    const rz::test::OnceReady click(
        [&] { return p.model.operation.running(rz::OperationKind::Download) && stop->isVisible(); },
        [&] { QTest::mouseClick(stop, Qt::LeftButton); });
    QTest::mouseClick(p.widget<QPushButton>("BitBtn1"), Qt::LeftButton); // returns when the download ends
    QVERIFY(click.done());
    QCOMPARE(p.model.lastDownload.end, rz::DownloadEnd::Stopped);
    QCOMPARE(p.model.lastDownload.requests, 1);
    QCOMPARE(p.widget<QLabel>("StatusPanel0")->text(), QStringLiteral("Abgebrochen"));
    QVERIFY(!stop->isVisible());
    QVERIFY(p.widget<QPushButton>("BitBtn1")->isEnabled());
    QCOMPARE(p.records(), kStored.size());
}

void DownloadGuiTest::firstShowRunsTheDownload() {
    ScriptedServer server(rz::test::byDate({{"20191025", line("16,24,25,52,60,6,3")}}));
    Program p(server.url(), 2019, 10, 26);
    QCOMPARE(p.records(), kStored.size()); // start-up alone asks nothing
    QVERIFY(server.targets().empty());
    p.form->show();
    QTRY_COMPARE(p.records(), kStored.size() + 1);
    QTRY_VERIFY(!p.model.operation.running(rz::OperationKind::Download));
    QCOMPARE(server.dates(), (std::vector<std::string>{"20191026", "20191025"}));
    QVERIFY(p.widget<QLabel>("Label35")->text().startsWith(QStringLiteral("Fr 25.10.19")));
}

void DownloadGuiTest::serverFieldOnTheInternetTab() {
    Program p("http://127.0.0.1:1", 2019, 10, 26);
    auto* edit = p.widget<QLineEdit>("ServerEdit");
    QCOMPARE(p.widget<QLabel>("LabelServer")->text(), QStringLiteral("Datenserver:"));
    QCOMPARE(edit->statusTip(), QStringLiteral("Adresse des Datenservers (http://host:port)"));
    QCOMPARE(edit->text(), QStringLiteral("http://127.0.0.1:1"));
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, QStringLiteral("http://server.lan:8080"));
    QCOMPARE(p.model.ServerAddress, std::string("http://server.lan:8080"));

    rz::MainModel fresh;
    QCOMPARE(fresh.ServerAddress, std::string("https://data.ny.gov/api/views/5xaw-6ayf/rows.csv?accessType=DOWNLOAD"));
}

void DownloadGuiTest::entryDialogFieldsAndRanges() {
    TForm3 dlg;
    QCOMPARE(dlg.windowTitle(), QStringLiteral("Zahlen der Ziehung eingeben"));
    struct Field {
        const char* name;
        int lo, hi;
        bool visible;
    } fields[] = {{"UpDown1", 1, 70, true}, {"UpDown5", 1, 70, true}, {"UpDown6", 0, 255, false},
                  {"UpDown7", 1, 25, true}, {"UpDown8", 0, 5, true}};
    for (const Field& f : fields) {
        auto* s = dlg.findChild<QSpinBox*>(QLatin1String(f.name));
        QVERIFY2(s, f.name);
        QCOMPARE(s->minimum(), f.lo);
        QCOMPARE(s->maximum(), f.hi);
        QCOMPARE(s->isVisibleTo(&dlg), f.visible);
    }
    QVERIFY(dlg.findChild<QLineEdit*>("Edit7"));
    QCOMPARE(dlg.findChild<QLabel*>("Label7")->text(), QStringLiteral("MB:"));
    QVERIFY(dlg.findChild<QLabel*>("Label7")->font().bold());
    QCOMPARE(dlg.findChild<QLabel*>("Label8")->text(), QStringLiteral("MP:"));

    // An old drawing shows its values clamped to the fields' ranges.
    rz::DrawingEntry old;
    old.date = rz::dayFromYmd(2005, 3, 4);
    old.numbers = {0, 3, 17, 44, 52, 75, 0, 46, 0};
    dlg.setEntry(old);
    const rz::DrawingEntry shown = dlg.entry();
    QCOMPARE(shown.date, old.date);
    QCOMPARE(shown.numbers[5], 70);
    QCOMPARE(shown.numbers[7], 25);

    // OK with a number twice: a warning, the dialog stays open.
    // (A date of today's main numbers 1..70: the ranges follow the date.)
    rz::DrawingEntry twice = old;
    twice.date = rz::dayFromYmd(2019, 3, 5);
    twice.numbers = {0, 3, 3, 44, 52, 60, 0, 7, 2};
    // Each answer comes as soon as its window is the one waiting for it.
    const auto waiting = [](QWidget* w) { return QApplication::activeModalWidget() == w; };
    bool warned = false, firstOkDone = false;
    const rz::test::OnceReady firstOk([&] { return waiting(&dlg); },
                                      [&] {
                                          QTest::mouseClick(dlg.findChild<QPushButton*>("BitBtn2"), Qt::LeftButton);
                                          firstOkDone = true; // the warning has been answered
                                      });
    const rz::test::OnceReady warning([] { return qobject_cast<QMessageBox*>(QApplication::activeModalWidget()); },
                                      [&] {
                                          auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                                          warned = box->text().contains(QStringLiteral("zweimal"));
                                          box->accept();
                                      });
    const rz::test::OnceReady secondOk([&] { return firstOkDone && waiting(&dlg); },
                                       [&] {
                                           dlg.findChild<QSpinBox*>("UpDown2")->setValue(4);
                                           QTest::mouseClick(dlg.findChild<QPushButton*>("BitBtn2"), Qt::LeftButton);
                                       });
    const auto result = dlg.edit(twice);
    QVERIFY(warned);
    QVERIFY(result.has_value());
    QCOMPARE(result->numbers[2], 4);

    const rz::test::OnceReady cancel([&] { return waiting(&dlg); },
                                     [&] { QTest::mouseClick(dlg.findChild<QPushButton*>("BitBtn1"), Qt::LeftButton); });
    QVERIFY(!dlg.edit(old).has_value());
}

void DownloadGuiTest::enterAndDeleteThroughTheButtons() {
    Program p("http://127.0.0.1:1", 2019, 10, 26);
    const std::string before = rz::test::readFile(p.home.file("Ruvuzevodare.dat"));
    const rz::test::OnceReady enter([&] { return QApplication::activeModalWidget() == p.form->form3(); }, [&] {
        TForm3* dlg = p.form->form3();
        dlg->findChild<QDateEdit*>("DateTimePicker1")->setDate(QDate(2019, 10, 25));
        const int typed[] = {70, 5, 33, 12, 41};
        for (int i = 1; i <= 5; ++i)
            dlg->findChild<QSpinBox*>(QStringLiteral("UpDown%1").arg(i))->setValue(typed[i - 1]);
        dlg->findChild<QSpinBox*>("UpDown7")->setValue(9);
        QTest::mouseClick(dlg->findChild<QPushButton*>("BitBtn2"), Qt::LeftButton);
    });
    QTest::mouseClick(p.widget<QPushButton>("BitBtn8"), Qt::LeftButton);
    const auto recs = p.model.database().readAll();
    QCOMPARE(recs.size(), kStored.size() + 1);
    QCOMPARE(recs.back().Date, rz::dayFromYmd(2019, 10, 25));
    QCOMPARE(int(recs.back().Numbers[1]), 5);
    QCOMPARE(int(recs.back().Numbers[5]), 70);
    // The entered drawing is on display, so "Delete" takes what the user sees.
    QVERIFY(p.widget<QLabel>("Label29")->text().startsWith(QStringLiteral("Fr 25.10.19")));
    const std::string entered = rz::test::readFile(p.home.file("Ruvuzevodare.dat"));

    QTest::mouseClick(p.widget<QPushButton>("BitBtn6"), Qt::LeftButton);
    QCOMPARE(rz::test::readFile(p.home.file("Ruvuzevodare.dat")), before);
    QVERIFY(p.widget<QLabel>("Label29")->text().startsWith(QStringLiteral("Di 22.10.19")));

    // The Edit menu names the step; Ctrl+Z brings the drawing back, Ctrl+Y deletes it again.
    auto* undo = p.form->findChild<QAction*>("Rueckgaengig1");
    auto* redo = p.form->findChild<QAction*>("Wiederholen1");
    QVERIFY(undo && redo);
    QCOMPARE(undo->text(), QStringLiteral("&Rückgängig: Löschen der Ziehung vom 25.10.2019"));
    QVERIFY(undo->isEnabled());
    QVERIFY(!redo->isEnabled());
    p.form->activateWindow();
    undo->trigger();
    QCOMPARE(rz::test::readFile(p.home.file("Ruvuzevodare.dat")), entered);
    QVERIFY(p.widget<QLabel>("Label29")->text().startsWith(QStringLiteral("Fr 25.10.19")));
    QCOMPARE(redo->text(), QStringLiteral("&Wiederholen: Löschen der Ziehung vom 25.10.2019"));
    QCOMPARE(undo->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Z));
    QCOMPARE(redo->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Y));
    redo->trigger();
    QCOMPARE(rz::test::readFile(p.home.file("Ruvuzevodare.dat")), before);
}

QTEST_MAIN(DownloadGuiTest)
#include "test_download_gui.moc"
