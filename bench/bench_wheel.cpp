// Wheels over v = 10..30 numbers and the six usual guarantees in the default
// budget: rows found, the lower bound, the gap and the time (one run each,
// seed 1). RZ_WHEEL_SECONDS changes the budget, RZ_WHEEL_MAX_V the largest v.
//   cmake --build build --target bench_wheel && build/bin/bench_wheel
//   build/bin/bench_wheel --benchmark_filter='v:1[0-9]/|v:20/'   (v <= 20)
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

#include "wheel/Wheel.h"

namespace {

using namespace rz::wheel;

double budget() {
    const char* s = std::getenv("RZ_WHEEL_SECONDS");
    const double v = s ? std::atof(s) : 0;
    return v > 0 ? v : 2.0;
}

void wheel(benchmark::State& state, Guarantee g) {
    const int v = static_cast<int>(state.range(0));
    std::vector<int> numbers;
    for (int i = 1; i <= v; ++i)
        numbers.push_back(i);
    SearchLimits limits;
    limits.seconds = budget();
    limits.seed = 1;
    Design d;
    for (auto _ : state) {
        d = buildWheel(numbers, g, limits);
        benchmark::DoNotOptimize(d.rows.data());
    }
    const double rows = static_cast<double>(d.rows.size());
    const double bound = static_cast<double>(d.bound);
    state.counters["rows"] = rows;
    state.counters["bound"] = bound;
    state.counters["gap%"] = 100.0 * (rows - bound) / bound;
    state.counters["steps"] = static_cast<double>(d.steps);
}

const int kMaxV = [] {
    const char* s = std::getenv("RZ_WHEEL_MAX_V");
    const int v = s ? std::atoi(s) : 0;
    return v >= kMinNumbers && v <= kMaxNumbers ? v : kMaxNumbers;
}();

// Each guarantee over v = 10..30. Nothing is left out: the search keeps to
// the budget and the greedy start stays well under it (3if5 over 30 numbers,
// the slowest, about 0.4 s); 5if5 is the full wheel, every 5 of the numbers,
// which is both the bound and the optimum.
int registerAll() {
    for (const char* name : {"3if3", "3if4", "3if5", "4if4", "4if5", "5if5"}) {
        Guarantee g;
        parseGuarantee(name, g);
        auto* b = benchmark::RegisterBenchmark((std::string("wheel/") + name).c_str(),
                                               [g](benchmark::State& s) { wheel(s, g); });
        b->ArgName("v")->DenseRange(10, kMaxV)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();
    }
    return 0;
}
const int kRegistered = registerAll();

} // namespace

BENCHMARK_MAIN();
