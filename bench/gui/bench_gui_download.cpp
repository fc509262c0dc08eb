// Times the download of the whole history over the loopback in the real main
// window, clicked like a user would, and watches the window: the longest gap
// between two turns of the event loop while the download runs. Then measures
// how long the stop button takes to end a download whose request hangs.
// Prints the figures; runs offscreen (QT_QPA_PLATFORM=offscreen) or on a display.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <httplib.h>

#include <fstream>
#include <iostream>
#include <thread>

#include "DarovAduzez.h"
#include "QtHttp.h"
#include "QtPlatform.h"
#include "database/Importer.h"
#include "server/DataServer.h"

namespace {

// One program run on an empty drawing file.
struct Program {
    QTemporaryDir home;
    rz::MainModel model;
    QtPlatform platform;
    QtHttp http;
    rz::FixedClock clock;
    std::unique_ptr<TForm1> form;

    explicit Program(rz::DayNumber today) : clock(today) {
        const std::string path = QDir(home.path()).absolutePath().toStdString() + "/";
        std::ofstream(path + "Ruvuzevodare.dat", std::ios::binary); // empty, so start-up asks nothing
        rz::Services services = platform.services();
        services.clock = &clock;
        services.http = &http;
        model.setServices(services);
        model.ServerAddress = "http://127.0.0.1:1"; // the first-show download ends at once
        form = startProgram(model, path, &platform);
        form->show();
        while (model.lastDownload.end == rz::DownloadEnd::None)
            QApplication::processEvents(QEventLoop::AllEvents, 10);
        model.showTab(rz::Tab::Database);
        model.changed();
    }
    ~Program() {
        platform.attachWindows(nullptr, nullptr);
        model.setServices({});
    }
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);

    QTemporaryDir servedHome;
    const std::string served = QDir(servedHome.path()).absolutePath().toStdString() + "/served.dat";
    if (!rz::importDrawingHistory(RZ_BUNDLED_HISTORY, served).ok) {
        std::cerr << "cannot read " << RZ_BUNDLED_HISTORY << "\n";
        return 1;
    }
    const rz::DayNumber last = rz::DrawingDatabase(served).readAll().back().Date;

    // 1. The whole history from the data server.
    {
        rz::DataServer server(served, nullptr);
        server.start("127.0.0.1", 0);
        std::thread thread([&] { server.serve(); });
        while (!server.running())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));

        Program p(last + 1);
        p.model.ServerAddress = server.address();
        QElapsedTimer sinceTick;
        qint64 longestGap = 0, ticks = 0;
        int longestAt = 0, over15 = 0;
        QTimer ticker;
        ticker.setInterval(1);
        ticker.setTimerType(Qt::PreciseTimer);
        QObject::connect(&ticker, &QTimer::timeout, [&] {
            if (p.model.operation.running(rz::OperationKind::Download)) {
                if (sinceTick.nsecsElapsed() > 15'000'000)
                    ++over15;
                if (sinceTick.nsecsElapsed() > longestGap) {
                    longestGap = sinceTick.nsecsElapsed();
                    longestAt = p.model.lastDownload.requests;
                }
                ++ticks;
            }
            sinceTick.restart();
        });
        sinceTick.start();
        ticker.start();
        QElapsedTimer clock;
        clock.start();
        QTest::mouseClick(p.form->findChild<QPushButton*>("BitBtn1"), Qt::LeftButton); // returns at the end
        const double seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;
        ticker.stop();
        std::cout << "full history: drawings " << p.model.lastDownload.added << ", requests "
                  << p.model.lastDownload.requests << ", seconds " << seconds << ", requests/s "
                  << p.model.lastDownload.requests / seconds << "\n"
                  << "event loop turns during the download " << ticks << ", longest gap ms "
                  << static_cast<double>(longestGap) / 1e6 << " (at request " << longestAt << "), gaps over 15 ms " << over15 << "\n";
        server.stop();
        thread.join();
    }

    // 2. Stop while a request hangs.
    {
        httplib::Server slow;
        std::atomic<bool> stopping{false};
        slow.Get(".*", [&](const httplib::Request&, httplib::Response& res) {
            for (int i = 0; i < 1000 && !stopping; ++i)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
            res.set_content("", "text/plain");
        });
        const int port = slow.bind_to_any_port("127.0.0.1");
        std::thread thread([&] { slow.listen_after_bind(); });
        while (!slow.is_running())
            std::this_thread::sleep_for(std::chrono::milliseconds(1));

        Program p(last + 1);
        p.model.ServerAddress = "http://127.0.0.1:" + std::to_string(port);
        QElapsedTimer sinceStop;
        auto* stop = p.form->findChild<QToolButton*>("SpeedButton8");
        QTimer::singleShot(500, [&] {
            sinceStop.start();
            QTest::mouseClick(stop, Qt::LeftButton);
        });
        QTest::mouseClick(p.form->findChild<QPushButton*>("BitBtn1"), Qt::LeftButton);
        std::cout << "stop during a hanging request: download ended " << static_cast<double>(sinceStop.nsecsElapsed()) / 1e6
                  << " ms after the click\n";
        stopping = true;
        slow.stop();
        thread.join();
    }
    return 0;
}
