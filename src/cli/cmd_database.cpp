// lookup and import.
#include <iostream>

#include "CliCommon.h"
#include "CliLanguage.h"
#include "common/Text.h"
#include "database/Importer.h"

namespace rz::cli {

int cmdLookup(int argc, char** argv) {
    Args args;
    if (const int rc = parseCommand(kLookupCommand, argc, argv, args); rc >= 0)
        return rc;
    std::string error;
    if (!args.has("date"))
        return usageError("lookup needs [--db DB] --date YYYY-MM-DD");
    DayNumber date = 0;
    if (!parseIsoDate(args.get("date"), date))
        return usageError("invalid --date (expected YYYY-MM-DD): " + args.get("date"));

    MainModel model;
    useDatabase(model, databasePath(args, argv[0]));
    model.sortieren = true;
    if (int rc = 0; !applyLanguageOption(model, args, argv[0], rc))
        return rc;
    if (!model.DateTimePicker1.setDate(date))
        model.DateTimePicker1.date = model.DateTimePicker1.minDate;
    if (!model.database().exists())
        return usageError("database not found: " + model.DatabasePath());
    if (refuseNoDrawingDatabase(model.DatabasePath()))
        return 1;
    warnPartialRecord(model.DatabasePath());
    model.SpeedButton5Click();
    auto print = [&] {
        std::cout << model.Label29 << "\n" << model.Label13 << "\n" << model.cur.Position << "\n";
    };
    print();
    // Steps in the order given on the command line.
    for (const auto& [name, value] : args.options) {
        if (name != "prev" && name != "next")
            continue;
        std::int32_t n = 0;
        if (!tryParseInt(value, n) || n < 0)
            return usageError("--" + name + " needs a count >= 0");
        // A step that does not move has reached the first or last drawing:
        // the steps left in that direction would show it again and again.
        for (std::int32_t i = 0; i < n; ++i) {
            const std::int32_t before = model.cur.Position;
            if (name == "prev")
                model.SpeedButton6Click();
            else
                model.SpeedButton7Click();
            print();
            if (model.cur.Position == before && i + 1 < n) {
                std::cerr << "ruvuzevodare-cli: --" << name << " stopped at the " << (name == "prev" ? "first" : "last")
                          << " drawing after " << (i + 1) << " of " << n << " steps\n";
                break;
            }
        }
    }
    return 0;
}

int cmdImport(int argc, char** argv) {
    Args args;
    if (const int rc = parseCommand(kImportCommand, argc, argv, args); rc >= 0)
        return rc;
    std::string error;
    if (args.positional.size() != 1)
        return usageError("import needs FILE [--db DB]");
    if (int rc = 0; !applyLanguageOnly(args, argv[0], rc))
        return rc;
    const ImportResult res = importDrawingHistory(args.positional[0], databasePath(args, argv[0]));
    if (!res.ok) {
        std::cerr << "ruvuzevodare-cli: " << res.report() << "\n";
        return 1;
    }
    std::cout << res.report() << "\n";
    return 0;
}

const CommandSpec kLookupCommand{"lookup", cmdLookup,
    "  lookup [--db DB] --date YYYY-MM-DD [--prev N] [--next N] [--lang L]\n",
    {"db", "date", "prev", "next", "lang"}, 0};

const CommandSpec kImportCommand{"import", cmdImport,
    "  import FILE [--db DB] [--lang L]          import drawing history (state export or plain CSV)\n",
    {"db", "lang"}, 1};

} // namespace rz::cli
