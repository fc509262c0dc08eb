// check: loads a tip file and checks every row against the drawing current
// for a date.
#include <filesystem>
#include <iostream>

#include "CliCommon.h"
#include "CliLanguage.h"

namespace rz::cli {

int cmdCheck(int argc, char** argv) {
    Args args;
    if (const int rc = parseCommand(kCheckCommand, argc, argv, args); rc >= 0)
        return rc;
    std::string error;
    if (!args.positional.empty() || !args.has("date") || !args.has("tips"))
        return usageError("check needs [--db DB] --date YYYY-MM-DD --tips FILE.qlt");
    DayNumber date = 0;
    if (!parseIsoDate(args.get("date"), date))
        return usageError("invalid --date (expected YYYY-MM-DD): " + args.get("date"));

    MainModel model;
    useDatabase(model, databasePath(args, argv[0]));
    if (int rc = 0; !applyLanguageOption(model, args, argv[0], rc))
        return rc;
    if (!model.database().exists()) {
        std::cerr << "ruvuzevodare-cli: database not found: " << model.DatabasePath() << "\n";
        return 1;
    }
    if (refuseNoDrawingDatabase(model.DatabasePath()))
        return 1;
    warnPartialRecord(model.DatabasePath());
    const std::string tipsPath = args.get("tips");
    if (const std::string problem = loadableTipFileProblem(tipsPath); !problem.empty()) {
        std::cerr << "ruvuzevodare-cli: " << problem << "\n";
        return 1;
    }

    model.sortieren = true;
    if (!model.DateTimePicker1.setDate(date))
        model.DateTimePicker1.date = model.DateTimePicker1.minDate;
    model.SpeedButton5Click();
    // As the load command: clear, read, then the lookup with its check.
    model.tips.ClearUnlockedRows();
    try {
        model.tips.ReadTipFile(tipsPath);
    } catch (const IoError& e) {
        std::cerr << "ruvuzevodare-cli: " << e.what() << "\n";
        return 1;
    }
    model.SpeedButton5Click();
    const std::int32_t score = model.Komplettcheck();

    for (int r = 1; r <= TipSet::kRows; ++r) {
        for (int k = 1; k <= TipSet::kFields; ++k) {
            if (k > 1)
                std::cout << ',';
            std::cout << model.tips.get(r, k);
        }
        const TipRow& row = model.tips.row(r);
        std::cout << '\t' << row.sumCaption << '\t' << row.hitCaption << '\n';
    }
    std::cout << "score " << score << '\n';
    return 0;
}

const CommandSpec kCheckCommand{"check", cmdCheck,
    "  check [--db DB] --date YYYY-MM-DD --tips FILE.qlt [--lang L]\n",
    {"db", "date", "tips", "lang"}, 0};

} // namespace rz::cli
