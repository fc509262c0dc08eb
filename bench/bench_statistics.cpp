// Times every statistics routine over the real drawing history, file read
// included, for the whole history and for the default window.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <iostream>
#include <memory>
#include <random>
#include <string>

#include "app/MainModel.h"
#include "database/Importer.h"

namespace {

namespace fs = std::filesystem;

const std::string kHistory = std::string(RZ_SHARED_DATA) + "/megamillions-history.csv";

// A temporary folder holding the imported history for the whole run.
struct HistoryDatabase {
    fs::path folder;
    bool ok = false;
    std::string error;

    HistoryDatabase() {
        if (!fs::exists(kHistory)) {
            error = "drawing history not found: " + kHistory;
            return;
        }
        std::random_device rd;
        folder = fs::temp_directory_path() / ("rz-bench-" + std::to_string(rd()));
        fs::create_directories(folder);
        const rz::ImportResult res = rz::importDrawingHistory(kHistory, (folder / "Ruvuzevodare.dat").string());
        ok = res.ok;
        if (!ok)
            error = "import failed: " + res.error;
    }
    ~HistoryDatabase() {
        std::error_code ec;
        if (!folder.empty())
            fs::remove_all(folder, ec);
    }
};

HistoryDatabase& history() {
    static HistoryDatabase db;
    return db;
}

enum class Window { All, Default };

void runRoutine(benchmark::State& state, void (rz::MainModel::*routine)(), Window window) {
    HistoryDatabase& db = history();
    if (!db.ok) {
        state.SkipWithError(db.error.c_str());
        return;
    }
    rz::MainModel model;
    model.Home = db.folder.string() + "/";
    model.sortieren = true;
    if (window == Window::All) {
        model.DateTimePicker2.setDate(rz::dayFromYmd(2002, 1, 1));
        model.DateTimePicker1.setDate(rz::dayFromYmd(2026, 12, 31));
    } else {
        model.DateTimePicker2.setDate(rz::dayFromYmd(2017, 1, 1));
        model.DateTimePicker1.setDate(rz::today());
        model.SpeedButton5Click(); // the window ends at the drawing found for today
    }
    // The tip distribution reads the tip rows: fill them all.
    for (int r = 1; r <= rz::TipSet::kRows; ++r)
        for (int k = 1; k <= 5; ++k)
            model.tips.set(r, k, std::to_string(5 * (r - 1) + k));
    for (auto _ : state) {
        (model.*routine)();
        benchmark::DoNotOptimize(model.chart.Entries.data());
    }
    state.counters["entries"] = static_cast<double>(model.chart.Entries.size());
}

void registerAll() {
    const struct {
        const char* name;
        void (rz::MainModel::*routine)();
    } routines[] = {
        {"frequency", &rz::MainModel::SpeedButton2Click}, {"overdue", &rz::MainModel::Button5Click},
        {"megaball", &rz::MainModel::SpeedButton3Click},  {"megaball_overdue", &rz::MainModel::Button8Click},
        {"pairs", &rz::MainModel::Button2Click},          {"triples", &rz::MainModel::Button3Click},
        {"quads", &rz::MainModel::Button4Click},          {"sums", &rz::MainModel::SpeedButton9Click},
        {"tip_distribution", &rz::MainModel::Button6Click},
    };
    for (const auto& r : routines) {
        const auto routine = r.routine;
        benchmark::RegisterBenchmark((std::string("Statistics/all_2002_2026/") + r.name).c_str(),
                                     [routine](benchmark::State& s) { runRoutine(s, routine, Window::All); })
            ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark((std::string("Statistics/default_window/") + r.name).c_str(),
                                     [routine](benchmark::State& s) { runRoutine(s, routine, Window::Default); })
            ->Unit(benchmark::kMicrosecond);
    }
}

} // namespace

int main(int argc, char** argv) {
    if (!fs::exists(kHistory))
        std::cerr << "bench_statistics: " << kHistory << " is absent; every benchmark is skipped\n";
    registerAll();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
