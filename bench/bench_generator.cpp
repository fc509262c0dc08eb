// Generator benchmarks: the exhausting run (every tip rejected by cheap rules)
// and the two history rules on their own.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <iostream>
#include <set>

#include "app/MainModel.h"
#include "database/Importer.h"
#include "app/Generation.h"

namespace {

namespace fs = std::filesystem;

// A database with the real history when it is there, else a synthetic one of
// the same size.
const std::string& databaseFolder() {
    static const std::string folder = [] {
        const fs::path dir = fs::temp_directory_path() / "rz-bench-generator";
        fs::create_directories(dir);
        const std::string db = (dir / "Ruvuzevodare.dat").string();
        fs::remove(db);
        const std::string csv = std::string(RZ_SHARED_DATA) + "/megamillions-history.csv";
        if (fs::exists(csv)) {
            const rz::ImportResult res = rz::importDrawingHistory(csv, db);
            std::cerr << "real history: " << res.report() << "\n";
        } else {
            std::cerr << "no real history at " << csv << ": using 2,529 synthetic drawings\n";
            rz::Rng rng;
            rng.RandSeed = 1;
            std::vector<rz::DrawingRecord> recs;
            rz::DayNumber day = rz::dayFromYmd(2002, 5, 17);
            for (int i = 0; i < 2529; ++i) {
                std::set<int> n;
                while (n.size() < 5)
                    n.insert(static_cast<int>(rng.Random(70)) + 1);
                std::array<int, 5> mains{};
                std::copy(n.begin(), n.end(), mains.begin());
                recs.push_back(rz::DrawingRecord::make(day, mains, static_cast<int>(rng.Random(25)) + 1, 2));
                day += (i % 2) ? 4 : 3;
            }
            rz::DrawingDatabase(db).replaceAll(recs);
        }
        return dir.string() + "/";
    }();
    return folder;
}

void prepare(rz::MainModel& model) {
    model.Home = databaseFolder();
    model.sortieren = true;
    model.DateTimePicker2.date = rz::dayFromYmd(2017, 1, 1);
    model.DateTimePicker1.date = rz::dayFromYmd(2026, 8, 7);
    model.SpeedButton5Click();
}

// 30,000,000 attempts, all rejected by the even/odd rule.
void BM_ExhaustingRun(benchmark::State& state) {
    for (auto _ : state) {
        rz::MainModel model;
        prepare(model);
        model.Settings.set(rz::Gs::MinEvenEnabled, 1);
        model.Settings.set(rz::Gs::MinOddEnabled, 1);
        model.Settings.set(rz::Gs::MinEven, 3);
        model.Settings.set(rz::Gs::MinOdd, 3);
        model.Settings.set(rz::Gs::MaxRunsThousands, static_cast<int>(state.range(0)));
        model.rng.RandSeed = 1;
        model.Label28Click();
        state.counters["attempts"] = static_cast<double>(model.RunCounter);
        state.counters["attempts/s"] = benchmark::Counter(static_cast<double>(model.RunCounter), benchmark::Counter::kIsRate);
    }
}
BENCHMARK(BM_ExhaustingRun)->Arg(30000)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

// The database rule and the recent-drawings rule on random tips, window from 2017 on.
void BM_HistoryRules(benchmark::State& state) {
    rz::MainModel model;
    prepare(model);
    const rz::RecordSnapshot records = rz::RecordSnapshot::read(model.DatabasePath());
    rz::NullPlatform platform;
    const rz::CurrentOperation operation;
    rz::GenerationObserver quiet;
    rz::Generation run(model.Memo2, model.Settings, model.tips, model.rng, records,
                       {model.StatisticsStartDate(), model.DateTimePicker1, model.cur}, model.numberList, platform,
                       platform, operation, quiet);
    rz::Generator& g = run.generator();
    rz::Rng rng;
    rng.RandSeed = 5;
    std::vector<std::array<int, 6>> tips(4096);
    for (auto& t : tips) {
        std::set<int> n;
        while (n.size() < 5)
            n.insert(static_cast<int>(rng.Random(70)) + 1);
        std::copy(n.begin(), n.end(), t.begin());
        t[5] = static_cast<int>(rng.Random(25)) + 1;
    }
    std::size_t i = 0;
    std::int64_t passed = 0;
    for (auto _ : state) {
        const auto& t = tips[i++ & 4095];
        const bool ok = g.Secheroderfuenfer(t.data(), t[5]) && g.dreierodervierer(t.data(), t[5]);
        passed += ok;
        benchmark::DoNotOptimize(ok);
    }
    state.counters["tips/s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["passed"] = static_cast<double>(passed) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_HistoryRules);

} // namespace

BENCHMARK_MAIN();
