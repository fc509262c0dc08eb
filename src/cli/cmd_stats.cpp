// stats KIND --db DB [--start YYYY-MM-DD] [--end YYYY-MM-DD]
#include <iostream>
#include <optional>
#include <utility>

#include "CliCommon.h"
#include "CliLanguage.h"
#include "app/Generation.h"
#include "app/StatisticsCounter.h"
#include "database/DrawingDatabase.h"

namespace rz::cli {
namespace {

const std::pair<const char*, StatisticsKind> kKinds[] = {
    {"frequency", StatisticsKind::Frequency},
    {"overdue", StatisticsKind::Overdue},
    {"megaball", StatisticsKind::MegaBallFrequency},
    {"megaball-overdue", StatisticsKind::MegaBallOverdue},
    {"pairs", StatisticsKind::Pairs},
    {"triples", StatisticsKind::Triples},
    {"quads", StatisticsKind::Quads},
    {"sums", StatisticsKind::Sums},
};

std::string kindList() {
    std::string s;
    for (const auto& [name, kind] : kKinds)
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
    std::optional<StatisticsKind> kind;
    for (const auto& [name, k] : kKinds)
        if (args.positional[0] == name)
            kind = k;
    if (!kind)
        return usageError("unknown statistics kind \"" + args.positional[0] + "\"; use one of " + kindList());

    const std::string db = absoluteDatabasePath(databasePath(args, argv[0]));
    LanguageTexts texts;
    if (int rc = 0; !applyLanguageOption(texts, args, argv[0], rc))
        return rc;
    DateOptions dates;
    if (!readDateOptions(args, rz::today(), dates, error))
        return usageError(error);
    if (!DrawingDatabase(db).exists()) {
        std::cerr << "ruvuzevodare-cli: database not found: " << db << "\n";
        return 1;
    }
    if (refuseNoDrawingDatabase(db))
        return 1;
    warnPartialRecord(db);
    StatisticsCount count;
    try {
        const RecordSnapshot records = RecordSnapshot::read(db);
        // The window ends at the drawing found for --end.
        CurrentDrawing drawing;
        Generation::lookUpEndDate(records, dates.end, drawing);
        count = StatisticsCounter(texts.messages).count(*kind, records, {dates.start.date, dates.end.date});
    } catch (const Failure& e) {
        return reportFailure(e);
    }
    const StatisticsTable table = count.chart({});
    for (const StatisticsEntry& e : table.Entries)
        std::cout << e.Key << ' ' << e.Value << '\n';
    std::cout << "range " << table.RangeMin << ' ' << table.RangeMax << '\n';
    std::cout << "title " << table.Title << '\n';
    return 0;
}

const CommandSpec kStatsCommand{"stats", cmdStats,
    "  stats KIND [--db DB] [--start YYYY-MM-DD] [--end YYYY-MM-DD] [--lang L]\n"
    "        KIND: frequency overdue megaball megaball-overdue pairs triples quads sums\n"
    "        L: 0 built-in texts (default), 1 de 2 en 3 fr 4 es 5 it 6 ru 7 pt 8 cn, from the shipped land/\n",
    {"db", "start", "end", "lang"}, 1};

} // namespace rz::cli
