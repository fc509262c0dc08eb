// check: loads a tip file and checks every row against the drawing current
// for a date.
#include <iostream>

#include "CliCommon.h"
#include "CliLanguage.h"
#include "app/DrawingBrowser.h"
#include "app/TipBook.h"
#include "database/DrawingDatabase.h"

namespace rz::cli {

int cmdCheck(int argc, char** argv) {
    Args args;
    if (const int rc = parseCommand(kCheckCommand, argc, argv, args); rc >= 0)
        return rc;
    if (!args.positional.empty() || !args.has("date") || !args.has("tips"))
        return usageError("check needs [--db DB] --date YYYY-MM-DD --tips FILE.qlt");
    DayNumber date = 0;
    if (!parseIsoDate(args.get("date"), date))
        return usageError("invalid --date (expected YYYY-MM-DD): " + args.get("date"));

    const std::string dbPath = absoluteDatabasePath(databasePath(args, argv[0]));
    LanguageTexts texts;
    if (int rc = 0; !applyLanguageOption(texts, args, argv[0], rc))
        return rc;
    if (!DrawingDatabase(dbPath).exists()) {
        std::cerr << "ruvuzevodare-cli: database not found: " << dbPath << "\n";
        return 1;
    }
    TipSet tips;
    TipBook book(tips, texts);
    TipCheckReport report;
    try {
        const RecordSnapshot records = RecordSnapshot::read(dbPath); // the one read of the file
        if (refuseNoDrawingDatabase(dbPath, records))
            return 1;
        warnPartialRecord(dbPath, records.trailingBytes);
        const std::string tipsPath = args.get("tips");
        if (const std::string problem = tipFileProblem(tipsPath); !problem.empty()) {
            std::cerr << "ruvuzevodare-cli: " << problem << "\n";
            return 1;
        }
        // As the window's load: a file that is no tip file is refused, the
        // rows are read, the drawing for the date looked up and every row
        // checked against it.
        book.load(tipsPath);
        DatePicker endDate;
        endDate.setDateOrEarliest(date);
        report = book.check(DrawingBrowser(records, texts).lookup(endDate.date).drawing);
    } catch (const Failure& failure) {
        return reportFailure(failure);
    }

    for (int r = 1; r <= TipSet::kRows; ++r) {
        for (int k = 1; k <= TipSet::kFields; ++k) {
            if (k > 1)
                std::cout << ',';
            std::cout << tips.get(r, k);
        }
        const TipCheckReport::RowCaptions& captions = report.rows[static_cast<std::size_t>(r - 1)];
        std::cout << '\t' << captions.sum << '\t' << captions.hits << '\n';
    }
    std::cout << "score " << report.best << '\n';
    return 0;
}

const CommandSpec kCheckCommand{"check", cmdCheck,
    "  check [--db DB] --date YYYY-MM-DD --tips FILE.qlt [--lang L]\n",
    {"db", "date", "tips", "lang"}, 0};

} // namespace rz::cli
