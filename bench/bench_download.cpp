// Times the drawing download of the whole history over the loopback into an
// empty database, headless: from ruvuzevodare's data server (the Tuesday/
// Friday walk from 17 May 2000, two requests per date without an answer to
// D + 1) and from a CSV export served as one file.
#include <benchmark/benchmark.h>
#include <httplib.h>

#include <filesystem>
#include <iostream>
#include <random>
#include <sstream>
#include <thread>

#include "app/MainModel.h"
#include "database/Importer.h"
#include "net/BlockingHttp.h"
#include "server/DataServer.h"

namespace {

namespace fs = std::filesystem;

struct TempFolder {
    fs::path path;
    TempFolder() {
        std::random_device rd;
        path = fs::temp_directory_path() / ("rz-bench-" + std::to_string(rd()));
        fs::create_directories(path);
    }
    ~TempFolder() {
        std::error_code ec;
        fs::remove_all(path, ec);
    }
    std::string home() const { return path.string() + "/"; }
};

// The bundled history as the served database, and as a CSV in the State's form.
struct Served {
    TempFolder folder;
    std::string db;
    std::string csv;
    rz::DayNumber last = 0;
    bool ok = false;

    Served() {
        db = folder.home() + "served.dat";
        const rz::ImportResult res = rz::importDrawingHistory(RZ_BUNDLED_HISTORY, db);
        ok = res.ok;
        if (!ok)
            return;
        std::ostringstream out;
        out << "\"Draw Date\",\"Winning Numbers\",\"Mega Ball\",\"Multiplier\"\n";
        const auto all = rz::DrawingDatabase(db).readAll();
        for (auto it = all.rbegin(); it != all.rend(); ++it) { // newest first, like the State's file
            const rz::Ymd d = rz::ymdFromDay(it->Date);
            char line[96];
            std::snprintf(line, sizeof line, "\"%02d/%02d/%04d\",\"%02d %02d %02d %02d %02d\",\"%02d\",\"%02d\"\n", d.month,
                          d.day, d.year, it->main(1), it->main(2), it->main(3), it->main(4), it->main(5),
                          it->megaBall(), it->megaplier());
            out << line;
        }
        csv = out.str();
        last = all.back().Date;
    }
};

Served& served() {
    static Served s;
    return s;
}

void runDownload(benchmark::State& state, const std::string& address) {
    Served& s = served();
    std::int64_t requests = 0, added = 0;
    for (auto _ : state) {
        state.PauseTiming();
        TempFolder home;
        rz::MainModel model;
        rz::BlockingHttp http;
        rz::FixedClock clock(s.last + 1);
        model.setServices({.clock = &clock, .http = &http});
        model.Home = home.home();
        model.ServerAddress = address;
        state.ResumeTiming();
        model.KalventoClick();
        requests += model.lastDownload.requests;
        added += model.lastDownload.added;
        if (model.lastDownload.end != rz::DownloadEnd::Completed)
            state.SkipWithError(("download ended early: " + model.lastDownload.statusLine).c_str());
    }
    state.counters["requests"] = benchmark::Counter(static_cast<double>(requests), benchmark::Counter::kAvgIterations);
    state.counters["drawings"] = benchmark::Counter(static_cast<double>(added), benchmark::Counter::kAvgIterations);
    state.counters["requests/s"] = benchmark::Counter(static_cast<double>(requests), benchmark::Counter::kIsRate);
}

void BM_DownloadFromDataServer(benchmark::State& state) {
    Served& s = served();
    if (!s.ok) {
        state.SkipWithError("no history to serve");
        return;
    }
    rz::DataServer server(s.db, nullptr);
    if (!server.start("127.0.0.1", 0)) {
        state.SkipWithError("cannot listen");
        return;
    }
    std::thread thread([&] { server.serve(); });
    while (!server.running())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    runDownload(state, server.address());
    server.stop();
    thread.join();
}

void BM_DownloadFromCsvExport(benchmark::State& state) {
    Served& s = served();
    if (!s.ok) {
        state.SkipWithError("no history to serve");
        return;
    }
    httplib::Server server;
    server.Get("/rows.csv", [&](const httplib::Request&, httplib::Response& res) { res.set_content(s.csv, "text/csv"); });
    const int port = server.bind_to_any_port("127.0.0.1");
    std::thread thread([&] { server.listen_after_bind(); });
    while (!server.is_running())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    runDownload(state, "http://127.0.0.1:" + std::to_string(port) + "/rows.csv");
    server.stop();
    thread.join();
}

} // namespace

BENCHMARK(BM_DownloadFromDataServer)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();
BENCHMARK(BM_DownloadFromCsvExport)->Unit(benchmark::kMillisecond)->Iterations(5)->UseRealTime();

BENCHMARK_MAIN();
