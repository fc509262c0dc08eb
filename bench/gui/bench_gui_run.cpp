// Times the exhausting generation run (30,000,000 attempts, all rejected by
// the even/odd rule) in the real main window, clicked like a user would.
// Run it under a display (e.g. Xvfb); prints the seconds and attempts/s.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <filesystem>
#include <iostream>

#include "DarovAduzez.h"
#include "QtPlatform.h"
#include "database/Importer.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QTemporaryDir home;
    const std::string csv = std::string(RZ_SHARED_DATA) + "/megamillions-history.csv";
    if (!std::filesystem::exists(csv)) {
        std::cerr << "no history at " << csv << "; nothing to measure\n";
        return 0;
    }
    const std::string homePath = QDir(home.path()).absolutePath().toStdString() + "/";
    rz::importDrawingHistory(csv, homePath + "Ruvuzevodare.dat");

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
    const double seconds = static_cast<double>(timer.nsecsElapsed()) / 1e9;
    std::cout << "attempts " << model.RunCounter << "\nseconds " << seconds << "\nattempts/s "
              << static_cast<double>(model.RunCounter) / seconds << "\nmessage " << model.lastEndMessage << "\n";
    platform.attachWindows(nullptr, nullptr);
    model.setServices({});
    return 0;
}
