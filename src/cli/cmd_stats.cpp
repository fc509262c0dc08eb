// stats KIND --db DB [--start YYYY-MM-DD] [--end YYYY-MM-DD]
#include <iostream>
#include <utility>

#include "CliCommon.h"
#include "CliLanguage.h"

namespace rz::cli {
namespace {

using Routine = void (MainModel::*)();

const std::pair<const char*, Routine> kKinds[] = {
    {"frequency", &MainModel::SpeedButton2Click},
    {"overdue", &MainModel::Button5Click},
    {"megaball", &MainModel::SpeedButton3Click},
    {"megaball-overdue", &MainModel::Button8Click},
    {"pairs", &MainModel::Button2Click},
    {"triples", &MainModel::Button3Click},
    {"quads", &MainModel::Button4Click},
    {"sums", &MainModel::SpeedButton9Click},
};

std::string kindList() {
    std::string s;
    for (const auto& [name, routine] : kKinds)
        s += (s.empty() ? "" : ", ") + std::string(name);
    return s;
}

} // namespace

int cmdStats(int argc, char** argv) {
    Args args;
    if (const int rc = parseCommand(kStatsCommand, argc, argv, args); rc >= 0)
        return rc;
    std::string error;
    if (args.positional.size() != 1)
        return usageError("stats needs KIND [--db DB] [--start YYYY-MM-DD] [--end YYYY-MM-DD]; KIND is one of " +
                          kindList());
    Routine routine = nullptr;
    for (const auto& [name, r] : kKinds)
        if (args.positional[0] == name)
            routine = r;
    if (!routine)
        return usageError("unknown statistics kind \"" + args.positional[0] + "\"; use one of " + kindList());

    MainModel model;
    useDatabase(model, databasePath(args, argv[0]));
    if (int rc = 0; !applyLanguageOption(model, args, argv[0], rc))
        return rc;
    if (!applyWindowDates(model, args, error))
        return usageError(error);
    if (!model.database().exists()) {
        std::cerr << "ruvuzevodare-cli: database not found: " << model.DatabasePath() << "\n";
        return 1;
    }
    if (refuseNoDrawingDatabase(model.DatabasePath()))
        return 1;
    warnPartialRecord(model.DatabasePath());
    model.sortieren = true;
    try {
        model.SpeedButton5Click(); // the window ends at the drawing found for --end
        (model.*routine)();
    } catch (const IoError& e) {
        std::cerr << "ruvuzevodare-cli: " << e.what() << "\n";
        return 1;
    }
    for (const StatisticsEntry& e : model.chart.Entries)
        std::cout << e.Key << ' ' << e.Value << '\n';
    std::cout << "range " << model.chart.RangeMin << ' ' << model.chart.RangeMax << '\n';
    std::cout << "title " << model.chart.Title << '\n';
    return 0;
}

const CommandSpec kStatsCommand{"stats", cmdStats,
    "  stats KIND [--db DB] [--start YYYY-MM-DD] [--end YYYY-MM-DD] [--lang L]\n"
    "        KIND: frequency overdue megaball megaball-overdue pairs triples quads sums\n"
    "        L: 0 built-in texts (default), 1 de 2 en 3 fr 4 es 5 it 6 ru 7 pt 8 cn, from the shipped land/\n",
    {"db", "start", "end", "lang"}, 1};

} // namespace rz::cli
