// The odds of the tip rows as the window computes them after a row changes:
// 5 and 12 rows, disjoint (|U| = 60, the largest union) and overlapping.
//   cmake --build build --target bench_odds && build/bin/bench_odds
#include <benchmark/benchmark.h>

#include <vector>

#include "evaluation/Odds.h"

namespace {

std::vector<rz::OddsRow> rows(int count, bool disjoint) {
    std::vector<rz::OddsRow> out;
    for (int r = 0; r < count; ++r) {
        rz::OddsRow row;
        for (int i = 0; i < 5; ++i)
            row.main[static_cast<std::size_t>(i)] = disjoint ? r * 5 + i + 1 : (r * 3 + i * 7) % 70 + 1;
        row.megaBall = r % 24 + 1;
        out.push_back(row);
    }
    return out;
}

void odds(benchmark::State& state) {
    const std::vector<rz::OddsRow> r = rows(static_cast<int>(state.range(0)), state.range(1) != 0);
    for (auto _ : state)
        benchmark::DoNotOptimize(rz::computeTipOdds(r, 24));
}

} // namespace

BENCHMARK(odds)->ArgNames({"rows", "disjoint"})->Args({5, 1})->Args({12, 1})->Args({12, 0})->Unit(benchmark::kMicrosecond);
BENCHMARK_MAIN();
