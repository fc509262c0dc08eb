// Times the settings analysis from 1 January 2017 (default settings, about
// 500 generation runs) in the real main window, clicked like a user would,
// with Yes to the question and seed 1. Compare with BM_SettingsAnalysis of
// bench_analysis. Run it under a display (e.g. Xvfb or offscreen).
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <ctime>
#include <filesystem>
#include <iostream>

#include "DarovAduzez.h"
#include "QtPlatform.h"
#include "database/Importer.h"

namespace {

// The Qt services, with the question and the seed answered and the report not opened.
class Answered : public QtPlatform {
public:
    bool question(const std::string&) override { return true; }
    std::optional<std::string> inputText(const std::string&, const std::string&, const std::string&) override {
        return std::string("1");
    }
    bool open(const std::string& path) override {
        opened = path;
        return true;
    }
    void processPendingEvents() override {
        const std::clock_t start = std::clock();
        QtPlatform::processPendingEvents();
        windowCpu += static_cast<double>(std::clock() - start) / CLOCKS_PER_SEC;
        ++yields;
    }
    std::string opened;
    double windowCpu = 0; // processor time spent repainting and handling events
    int yields = 0;
};

} // namespace

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
    Answered platform;
    rz::FixedClock clock(rz::dayFromYmd(2026, 8, 10));
    rz::Services services = platform.services();
    services.clock = &clock;
    model.setServices(services);
    std::unique_ptr<TForm1> form = startProgram(model, homePath, &platform);
    form->show();
    QApplication::processEvents();
    model.DateTimePicker1.date = rz::dayFromYmd(2017, 1, 1);
    model.changed();

    auto* button = form->findChild<QPushButton*>("BitBtn9");
    if (!button) {
        std::cerr << "button BitBtn9 not found\n";
        return 1;
    }
    QElapsedTimer timer;
    timer.start();
    const std::clock_t cpu = std::clock();
    QTest::mouseClick(button, Qt::LeftButton); // returns when the analysis has ended
    const double seconds = static_cast<double>(timer.nsecsElapsed()) / 1e9;
    const double cpuSeconds = static_cast<double>(std::clock() - cpu) / CLOCKS_PER_SEC;
    const std::string& r = model.lastReport;
    const std::size_t at = r.find("Ziehungen: ");
    std::cout << "passes " << (at == std::string::npos ? std::string("?") : r.substr(at + 11, r.find('m', at) - at - 11))
              << "\nseconds " << seconds << "\ncpu seconds " << cpuSeconds << "\nyields " << platform.yields
              << "\ncpu seconds in the window " << platform.windowCpu << "\nreport " << platform.opened << "\n";
    platform.attachWindows(nullptr, nullptr);
    model.setServices({});
    return 0;
}
