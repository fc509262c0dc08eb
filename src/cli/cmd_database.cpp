// lookup and import.
#include <iostream>

#include "CliCommon.h"
#include "CliLanguage.h"
#include "app/DrawingBrowser.h"
#include "common/Text.h"
#include "database/DrawingDatabase.h"
#include "database/Importer.h"

namespace rz::cli {

int cmdLookup(int argc, char** argv) {
    Args args;
    if (const int rc = parseCommand(kLookupCommand, argc, argv, args); rc >= 0)
        return rc;
    if (!args.has("date"))
        return usageError("lookup needs [--db DB] --date YYYY-MM-DD");
    DayNumber date = 0;
    if (!parseIsoDate(args.get("date"), date))
        return usageError("invalid --date (expected YYYY-MM-DD): " + args.get("date"));

    const std::string dbPath = absoluteDatabasePath(databasePath(args, argv[0]));
    LanguageTexts texts;
    if (int rc = 0; !applyLanguageOption(texts, args, argv[0], rc))
        return rc;
    DatePicker endDate; // the date as the window's end date picker takes it
    endDate.setDateOrEarliest(date);
    if (!DrawingDatabase(dbPath).exists())
        return usageError("database not found: " + dbPath);
    RecordSnapshot records;
    try {
        records = RecordSnapshot::read(dbPath); // the one read of the file; the steps go over these
    } catch (const Failure& failure) {
        return reportFailure(failure);
    }
    if (refuseNoDrawingDatabase(dbPath, records))
        return 1;
    warnPartialRecord(dbPath, records.trailingBytes);

    const DrawingBrowser browser(records, texts);
    DrawingView view = browser.lookup(endDate.date);
    // A call that finds no drawing (an empty file) leaves the captions shown before.
    std::string caption = view.caption, sumCaption = view.sumCaption;
    auto print = [&] { std::cout << caption << "\n" << sumCaption << "\n" << view.drawing.Position << "\n"; };
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
            view = name == "prev" ? browser.previous(view.drawing) : browser.next(view.drawing);
            if (view.found) {
                caption = view.caption;
                sumCaption = view.sumCaption;
            }
            print();
            if (!view.moved && i + 1 < n) {
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
