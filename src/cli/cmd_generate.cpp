// generate: one generation run from a seed, printed row by row.
#include <iostream>

#include "CliCommon.h"
#include "CliLanguage.h"
#include "app/Generation.h"
#include "common/Text.h"
#include "database/DrawingDatabase.h"

namespace rz::cli {

int cmdGenerate(int argc, char** argv) {
    Args args;
    if (const int rc = parseCommand(kGenerateCommand, argc, argv, args); rc >= 0)
        return rc;
    std::string error;
    if (!args.has("seed"))
        return usageError("generate needs [--db DB] --seed N");
    long long seed = 0;
    {
        const std::string s = args.get("seed");
        std::size_t used = 0;
        try {
            seed = std::stoll(s, &used, 10);
        } catch (...) {
            used = 0;
        }
        if (used == 0 || used != s.size())
            return usageError("--seed needs an integer: " + s);
    }

    LanguageTexts texts;
    if (int rc = 0; !applyLanguageOption(texts, args, argv[0], rc))
        return rc;
    const std::string db = absoluteDatabasePath(databasePath(args, argv[0]));
    DateOptions dates;
    if (!readDateOptions(args, rz::today(), dates, error))
        return usageError(error);
    GeneratorSettings settings;
    if (!applySettingOptions(settings, args, error))
        return usageError(error);
    settings.fixExcludeDbClassRange();
    settings.set(Gs::ShowNumberList, 0);

    TipSet tips;
    for (const std::string& lock : args.all("lock")) {
        const std::size_t eq = lock.find('=');
        std::int32_t row = 0;
        if (eq == std::string::npos || !tryParseInt(lock.substr(0, eq), row) || row < 1 || row > 12)
            return usageError("--lock needs R=F1,F2,F3,F4,F5,F6,F7 with R in 1..12: " + lock);
        const auto fields = TipSet::splitTipLine(lock.substr(eq + 1));
        for (int k = 1; k <= TipSet::kFields; ++k)
            tips.set(row, k, fields[static_cast<std::size_t>(k)]);
        tips.row(row).Locked = true;
    }

    if (!DrawingDatabase(db).exists())
        return usageError("database not found: " + db);
    if (refuseNoDrawingDatabase(db))
        return 1;
    warnPartialRecord(db);
    GenerationResult result;
    try {
        const RecordSnapshot records = RecordSnapshot::read(db);
        GenerationStart start{dates.start.date, dates.end, {}};
        Generation::lookUpEndDate(records, start.endDate, start.drawing);
        Rng rng;
        rng.RandSeed = static_cast<std::uint32_t>(static_cast<unsigned long long>(seed));
        NumberList numberList;
        NullPlatform platform;
        const CurrentOperation operation;
        GenerationObserver quiet;
        Generation generation(texts.messages, settings, tips, rng, records, start, numberList, platform, platform,
                              operation, quiet);
        result = generation.run();
    } catch (const Failure& e) {
        return reportFailure(e);
    }

    for (int r = 1; r <= TipSet::kRows; ++r) {
        for (int k = 1; k <= TipSet::kFields; ++k)
            std::cout << (k > 1 ? "," : "") << tips.get(r, k);
        std::cout << "\n";
    }
    std::cout << "attempts " << result.attempts << "\n";
    std::cout << "message " << (result.cancelled ? -1 : static_cast<int>(result.endMessage)) << "\n";
    return 0;
}

const CommandSpec kGenerateCommand{"generate", cmdGenerate,
    "  generate [--db DB] --seed N [--start D] [--end D] [--set NAME=VALUE]... [--change NAME=VALUE]...\n"
    "           [--lock R=F1,...,F7]... [--lang L]\n",
    {"db", "seed", "start", "end", "set", "change", "lock", "lang"}, 0};

} // namespace rz::cli
