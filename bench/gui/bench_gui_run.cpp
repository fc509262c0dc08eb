// Times "Tipps berechnen" in the real main window, clicked like a user would,
// and the start of the window. Run it under a display (Xvfb, or
// QT_QPA_PLATFORM=offscreen).
//
//   bench_gui_run [THOUSANDS]       the exhausting run (THOUSANDS x 1000
//                                   attempts, 30,000 by default, all rejected
//                                   by the even/odd rule): seconds and attempts/s
//   bench_gui_run --default [N]     the run with the default settings, click to
//                                   done, N times (5 by default): each time and
//                                   the median
//   bench_gui_run --start [N]       the start to a visible window, N times (5 by
//                                   default): creating the application, the
//                                   start-up (settings, windows, language, first
//                                   lookup and chart) and the first show until
//                                   the window is exposed
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <vector>

#include "DarovAduzez.h"
#include "QtPlatform.h"
#include "database/Importer.h"

namespace {

double seconds(const QElapsedTimer& t) { return static_cast<double>(t.nsecsElapsed()) / 1e9; }

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0.0 : v[v.size() / 2];
}

std::string historyInto(const QTemporaryDir& home) {
    const std::string csv = std::string(RZ_SHARED_DATA) + "/megamillions-history.csv";
    if (!std::filesystem::exists(csv))
        return {};
    const std::string homePath = QDir(home.path()).absolutePath().toStdString() + "/";
    rz::importDrawingHistory(csv, homePath + "Ruvuzevodare.dat");
    return homePath;
}

int exhaustingRun(int argc, char** argv, const std::string& homePath) {
    rz::MainModel model;
    QtPlatform platform;
    model.setServices(platform.services());
    std::unique_ptr<TForm1> form = startProgram(model, homePath, &platform);
    form->show();
    QApplication::processEvents();

    rz::GeneratorSettings& s = model.Settings;
    s.set(rz::Gs::MinEvenEnabled, 1);
    s.set(rz::Gs::MinOddEnabled, 1);
    s.set(rz::Gs::MinEven, 3);
    s.set(rz::Gs::MinOdd, 3);
    s.set(rz::Gs::MaxRunsThousands, argc > 1 ? std::atoi(argv[1]) : 30000);
    model.changed();
    model.rng.RandSeed = 1;

    auto* button = form->findChild<QPushButton*>("BitBtn4");
    if (!button) {
        std::cerr << "button BitBtn4 not found\n";
        return 1;
    }
    QElapsedTimer timer;
    timer.start();
    QTest::mouseClick(button, Qt::LeftButton); // returns when the run has ended
    const double s_ = seconds(timer);
    std::cout << "attempts " << model.RunCounter << "\nseconds " << s_ << "\nattempts/s "
              << static_cast<double>(model.RunCounter) / s_ << "\nmessage " << model.lastEndMessage << "\n";
    platform.attachWindows(nullptr, nullptr);
    model.setServices({});
    return 0;
}

// The default settings (a new installation), the window shown, the click on
// "Tipps berechnen" until the run has ended and the window shows its rows.
int defaultRun(int repeats, const std::string& homePath) {
    rz::MainModel model;
    QtPlatform platform;
    model.setServices(platform.services());
    std::unique_ptr<TForm1> form = startProgram(model, homePath, &platform);
    form->show();
    if (!QTest::qWaitForWindowExposed(form.get()))
        std::cerr << "the window was not exposed\n";
    QApplication::processEvents();
    auto* button = form->findChild<QPushButton*>("BitBtn4");
    if (!button) {
        std::cerr << "button BitBtn4 not found\n";
        return 1;
    }
    std::vector<double> times;
    for (int i = 0; i < repeats; ++i) {
        model.rng.RandSeed = static_cast<std::uint32_t>(i + 1);
        QElapsedTimer timer;
        timer.start();
        QTest::mouseClick(button, Qt::LeftButton); // returns when the run has ended
        QApplication::processEvents();             // the rows painted
        times.push_back(seconds(timer));
        std::cout << "run " << (i + 1) << ": " << times.back() << " s, attempts " << model.RunCounter << ", rows "
                  << model.Settings.get(rz::Gs::TipCount) << ", " << model.lastEndMessage << "\n";
    }
    std::cout << "median click to done " << median(times) << " s\n";
    platform.attachWindows(nullptr, nullptr);
    model.setServices({});
    return 0;
}

// The start as the program does it: QApplication, start-up, first show.
int startToVisible(int argc, char** argv, int repeats, const std::string& homePath) {
    std::vector<double> total;
    for (int i = 0; i < repeats; ++i) {
        QElapsedTimer timer;
        timer.start();
        double appSeconds = 0;
        double startSeconds = 0;
        {
            QApplication app(argc, argv);
            appSeconds = seconds(timer);
            rz::MainModel model;
            QtPlatform platform;
            model.setServices(platform.services());
            std::unique_ptr<TForm1> form = startProgram(model, homePath, &platform);
            startSeconds = seconds(timer) - appSeconds;
            form->show();
            if (!QTest::qWaitForWindowExposed(form.get()))
                std::cerr << "the window was not exposed\n";
            total.push_back(seconds(timer));
            std::cout << "start " << (i + 1) << ": " << total.back() << " s (application " << appSeconds
                      << " s, start-up " << startSeconds << " s, show " << total.back() - appSeconds - startSeconds
                      << " s)\n";
            platform.attachWindows(nullptr, nullptr);
            model.setServices({});
        }
    }
    std::cout << "median start to visible window " << median(total) << " s\n";
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    const bool start = argc > 1 && std::strcmp(argv[1], "--start") == 0;
    const bool byDefault = argc > 1 && std::strcmp(argv[1], "--default") == 0;
    const int repeats = (start || byDefault) && argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    QTemporaryDir* home = nullptr;
    std::string homePath;
    if (start) {
        // The history is imported before the clock runs, without an application.
        home = new QTemporaryDir;
        homePath = historyInto(*home);
        if (homePath.empty()) {
            std::cerr << "no history in " << RZ_SHARED_DATA << "; nothing to measure\n";
            delete home;
            return 0;
        }
        const int rc = startToVisible(argc, argv, repeats, homePath);
        delete home;
        return rc;
    }
    QApplication app(argc, argv);
    QTemporaryDir dir;
    homePath = historyInto(dir);
    if (homePath.empty()) {
        std::cerr << "no history in " << RZ_SHARED_DATA << "; nothing to measure\n";
        return 0;
    }
    return byDefault ? defaultRun(repeats, homePath) : exhaustingRun(argc, argv, homePath);
}
