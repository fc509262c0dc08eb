// Filling a click script whose every few bytes are a placeholder: a script
// update from the server can deliver such a script, and the filling runs in
// the window's thread. The time must grow with the size, not its square.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "online/ClickScript.h"

namespace {

std::string placeholderScript(std::size_t bytes) {
    const std::string unit = "[Z1_1]";
    std::string s;
    s.reserve(bytes + unit.size());
    while (s.size() < bytes)
        s += unit;
    return s;
}

// One filled script of 1.5, 3 or 6 MB of "[Z1_1]" (the argument in KiB).
void BM_FillPlaceholderScript(benchmark::State& state) {
    const std::string script = placeholderScript(static_cast<std::size_t>(state.range(0)) * 1024);
    const std::vector<std::string> tips = {"4,12,14,35,70,2,", "18,58,60,65,67,20,"};
    const rz::ScriptFlags flags;
    std::size_t out = 0;
    for (auto _ : state) {
        const std::string filled = rz::fillClickScript(script, tips, flags, "/tmp/20191022.qlt");
        out = filled.size();
        benchmark::DoNotOptimize(out);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(script.size()));
    state.counters["filled_bytes"] = static_cast<double>(out);
}
BENCHMARK(BM_FillPlaceholderScript)->Arg(1536)->Arg(3072)->Arg(6144)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

BENCHMARK_MAIN();
