// The historic analyses and the tip search over the whole history: the
// settings analysis from 2017 (about 500 generation runs with default
// settings), the drawing analysis, and a search with a low threshold.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <iostream>
#include <set>

#include "app/MainModel.h"
#include "database/Importer.h"

namespace {

namespace fs = std::filesystem;

// The real history when it is there, else 2,529 synthetic drawings.
const std::string& databaseFolder() {
    static const std::string folder = [] {
        const fs::path dir = fs::temp_directory_path() / "rz-bench-analysis";
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

// Every question answered yes, every input dialog answered with `input`.
class Yes : public rz::NullPlatform {
public:
    std::string input;
    bool question(const std::string&) override { return true; }
    std::optional<std::string> inputText(const std::string&, const std::string&, const std::string&) override {
        return input;
    }
};

rz::FixedClock& fixedToday() {
    static rz::FixedClock clock(rz::dayFromYmd(2026, 8, 10));
    return clock;
}

void prepare(rz::MainModel& model, Yes& yes, const std::string& input, rz::DayNumber chosen) {
    model.setServices({.dialogs = &yes, .shell = &yes, .sound = &yes, .events = &yes, .clock = &fixedToday()});
    yes.input = input;
    model.Home = databaseFolder();
    model.sortieren = true;
    model.DateTimePicker2.date = rz::dayFromYmd(2017, 1, 1);
    model.DateTimePicker1.date = model.today();
    model.SpeedButton5Click();
    model.DateTimePicker1.date = chosen;
}

// Settings analysis with default settings from 1 January 2017 to the last drawing.
void BM_SettingsAnalysis(benchmark::State& state) {
    int passes = 0;
    for (auto _ : state) {
        rz::MainModel model;
        Yes yes;
        prepare(model, yes, "1", rz::dayFromYmd(2017, 1, 1));
        model.BitBtn9Click();
        if (model.lastAnalysisOutcome != rz::MainModel::AnalysisOutcome::Finished)
            state.SkipWithError("the analysis did not finish");
        const std::string& r = model.lastReport;
        passes = std::stoi(r.substr(r.find("Ziehungen: ") + 11));
    }
    state.counters["passes"] = passes;
    state.counters["ms/pass"] = benchmark::Counter(passes, benchmark::Counter::kIsIterationInvariantRate |
                                                               benchmark::Counter::kInvert);
}
BENCHMARK(BM_SettingsAnalysis)->Unit(benchmark::kMillisecond)->UseRealTime();

// One generation run of the analysis (default settings, 3 July 2020), for the
// share of a pass that the run takes.
void BM_GenerationRunOfAPass(benchmark::State& state) {
    rz::MainModel model;
    Yes yes;
    prepare(model, yes, "1", rz::dayFromYmd(2020, 7, 3));
    model.SpeedButton5Click();
    for (auto _ : state) {
        model.rng.RandSeed = 1;
        model.Label28Click();
    }
}
BENCHMARK(BM_GenerationRunOfAPass)->Unit(benchmark::kMicrosecond)->UseRealTime();

// The lookup with its tip check that ends every pass, over the records the
// analysis read at its start.
void BM_LookupOfAPass(benchmark::State& state) {
    rz::MainModel model;
    Yes yes;
    prepare(model, yes, "1", rz::dayFromYmd(2020, 7, 3));
    const rz::RecordSnapshot records = rz::RecordSnapshot::read(model.DatabasePath());
    for (auto _ : state)
        model.lookupEndDate(&records);
}
BENCHMARK(BM_LookupOfAPass)->Unit(benchmark::kMicrosecond)->UseRealTime();

// The same lookup as the button does it, reading the file.
void BM_LookupFromTheFile(benchmark::State& state) {
    rz::MainModel model;
    Yes yes;
    prepare(model, yes, "1", rz::dayFromYmd(2020, 7, 3));
    for (auto _ : state)
        model.SpeedButton5Click();
}
BENCHMARK(BM_LookupFromTheFile)->Unit(benchmark::kMicrosecond)->UseRealTime();

// Drawing analysis from the first stored drawing: every drawing against every earlier one.
void BM_DrawingAnalysis(benchmark::State& state) {
    for (auto _ : state) {
        rz::MainModel model;
        Yes yes;
        prepare(model, yes, "6", rz::dayFromYmd(2002, 5, 17));
        model.DateTimePicker2.date = rz::dayFromYmd(2002, 5, 17);
        model.BitBtn19Click();
        if (model.lastAnalysisOutcome != rz::MainModel::AnalysisOutcome::Finished)
            state.SkipWithError("the analysis did not finish");
    }
}
BENCHMARK(BM_DrawingAnalysis)->Unit(benchmark::kMillisecond)->UseRealTime();

// Tip search over the whole history with threshold 2: many stops, each with a full check.
void BM_TipSearch(benchmark::State& state) {
    rz::MainModel model;
    Yes yes;
    prepare(model, yes, "2", rz::dayFromYmd(2026, 8, 7));
    model.DateTimePicker2.date = rz::dayFromYmd(2002, 5, 17);
    model.SpeedButton5Click();
    for (int r = 1; r <= rz::TipSet::kRows; ++r)
        for (int k = 1; k <= 6; ++k)
            model.tips.set(r, k, std::to_string((r * 7 + k * 11) % (k == 6 ? 25 : 70) + 1));
    for (auto _ : state)
        model.SpeedButton4Click();
}
BENCHMARK(BM_TipSearch)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace

BENCHMARK_MAIN();
