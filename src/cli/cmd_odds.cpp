// odds: the exact odds of the rows of a tip file in today's game.
#include <cstdio>
#include <iostream>

#include "CliCommon.h"
#include "CliLanguage.h"
#include "app/TipBook.h"
#include "evaluation/Odds.h"
#include "generator/MegaBallRange.h"

namespace rz::cli {

int cmdOdds(int argc, char** argv) {
    Args args;
    if (const int rc = parseCommand(kOddsCommand, argc, argv, args); rc >= 0)
        return rc;
    if (!args.positional.empty() || !args.has("tips"))
        return usageError("odds needs --tips FILE.qlt [--megaballs 24|25]");
    LanguageTexts texts;
    if (int rc = 0; !applyLanguageOption(texts, args, argv[0], rc))
        return rc;
    int range = megaBallHighest(GeneratorSettings{});
    if (args.has("megaballs")) {
        const std::string m = args.get("megaballs");
        if (m != "24" && m != "25")
            return usageError("--megaballs takes 24 or 25: " + m);
        range = m == "24" ? 24 : 25;
    }
    const std::string tipsPath = args.get("tips");
    if (const std::string problem = tipFileProblem(tipsPath); !problem.empty()) {
        std::cerr << "ruvuzevodare-cli: " << problem << "\n";
        return 1;
    }
    TipSet tips;
    TipOdds o;
    try {
        // Read as it stands: nothing is changed by these odds, whatever the file holds.
        tips.ReadTipFile(tipsPath);
        o = TipBook(tips, texts).odds(range);
    } catch (const Failure& failure) {
        return reportFailure(failure);
    }
    char buf[128];
    std::cout << "rows=" << o.rows << " skipped=" << o.skipped << '\n';
    for (std::size_t t = 0; t < kPrizeTiers; ++t) {
        std::snprintf(buf, sizeof buf, "tier=%s expected=%.15g\n", kPrizeTierNames[t], o.expected[t]);
        std::cout << buf;
    }
    std::snprintf(buf, sizeof buf, "p_any=%.15g\np_jackpot=%.15g\n", o.pAny, o.pJackpot);
    std::cout << buf;
    return 0;
}

const CommandSpec kOddsCommand{"odds", cmdOdds,
    "  odds --tips FILE.qlt [--megaballs 24|25] [--lang L]\n",
    {"tips", "megaballs", "lang"}, 0};

} // namespace rz::cli
