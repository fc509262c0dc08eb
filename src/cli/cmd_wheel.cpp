// wheel: rows over more numbers than a row holds, keeping a guarantee "t if p";
// one row a line, then the size, the bound and the exact odds.
#include <cerrno>
#include <cinttypes>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "CliCommon.h"
#include "CliLanguage.h"
#include "wheel/Wheel.h"

namespace rz::cli {

namespace {

int wheelUsage(const std::string& message) {
    std::cerr << "ruvuzevodare-cli: " << message << "\n"
              << "usage: ruvuzevodare-cli" << kWheelCommand.usage + 1;
    return 2;
}

bool parseUnsigned(const std::string& text, std::uint64_t& out) {
    if (text.empty() || text.size() > 19 || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    out = std::strtoull(text.c_str(), nullptr, 10);
    return true;
}

// "1,5,17" -> {1, 5, 17}; every item 1..3 digits, nothing empty.
bool parseList(const std::string& text, std::vector<int>& out) {
    out.clear();
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = text.find(',', start);
        const std::string item = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        std::uint64_t n = 0;
        if (item.size() > 3 || !parseUnsigned(item, n))
            return false;
        out.push_back(static_cast<int>(n));
        if (comma == std::string::npos)
            return true;
        start = comma + 1;
    }
}

const char* originName(wheel::Origin origin) {
    switch (origin) {
    case wheel::Origin::Construction: return "construction";
    case wheel::Origin::Split: return "split";
    case wheel::Origin::Full: return "full";
    case wheel::Origin::Search: break;
    }
    return "search";
}

} // namespace

int cmdWheel(int argc, char** argv) {
    Args args;
    if (const int rc = parseCommand(kWheelCommand, argc, argv, args); rc >= 0)
        return rc;
    if (int rc = 0; !applyLanguageOnly(args, argv[0], rc))
        return rc;
    const std::string numbersText = args.get("numbers"), guaranteeText = args.get("guarantee"),
                      secondsText = args.get("seconds"), seedText = args.get("seed"), stepsText = args.get("steps"),
                      megaBallsText = args.get("megaballs"), priceText = args.get("price");
    const bool haveNumbers = args.has("numbers"), haveGuarantee = args.has("guarantee"),
               haveMegaBalls = args.has("megaballs"), cross = args.has("cross"), known = args.has("known");
    if (!haveNumbers || !haveGuarantee)
        return wheelUsage("wheel needs --numbers and --guarantee");

    std::vector<int> numbers;
    if (!parseList(numbersText, numbers))
        return wheelUsage("invalid --numbers (expected N1,N2,... from 1-70): " + numbersText);
    if (const std::string problem = wheel::numbersProblem(numbers); !problem.empty())
        return wheelUsage(problem);
    wheel::Guarantee g;
    if (!wheel::parseGuarantee(guaranteeText, g))
        return wheelUsage("invalid --guarantee (expected TifP with 1 <= T <= P <= 5, e.g. 3if4): " + guaranteeText);

    wheel::SearchLimits limits;
    if (!secondsText.empty()) {
        char* end = nullptr;
        errno = 0;
        const double s = std::strtod(secondsText.c_str(), &end);
        if (errno != 0 || end == secondsText.c_str() || *end != '\0' || !std::isfinite(s) || s <= 0 || s > 3600)
            return wheelUsage("invalid --seconds (expected more than 0, at most 3600): " + secondsText);
        limits.seconds = s;
    }
    if (!seedText.empty() && !parseUnsigned(seedText, limits.seed))
        return wheelUsage("invalid --seed (expected a whole number): " + seedText);
    if (!stepsText.empty()) {
        if (!parseUnsigned(stepsText, limits.maxSteps) || limits.maxSteps == 0 || limits.maxSteps > wheel::kMaxSteps)
            return wheelUsage("invalid --steps (expected a whole number from 1 to " + std::to_string(wheel::kMaxSteps) +
                              "): " + stepsText);
        // A step budget alone makes the rows the same on any machine.
        if (secondsText.empty())
            limits.seconds = 0;
    }
    std::int64_t priceCents = 0;
    if (args.has("price") && !wheel::parsePrice(priceText, priceCents))
        return wheelUsage("invalid --price (expected dollars per play from 0.01 to 1000, e.g. 5.00): " + priceText);
    std::vector<int> megaBalls;
    if (haveMegaBalls) {
        if (!parseList(megaBallsText, megaBalls))
            return wheelUsage("invalid --megaballs (expected M1,M2,... from 1-24): " + megaBallsText);
        if (const std::string problem = wheel::megaBallsProblem(megaBalls); !problem.empty())
            return wheelUsage(problem);
    } else if (cross) {
        return wheelUsage("--cross needs --megaballs");
    }

    const wheel::Design design = wheel::buildWheel(numbers, g, limits);
    const wheel::Odds odds = wheel::computeOdds(static_cast<int>(design.numbers.size()), g, design.rows);
    const std::vector<wheel::Play> plays = wheel::plays(design, megaBalls, cross);
    std::string out;
    out.reserve(plays.size() * 18 + 128);
    for (const wheel::Play& p : plays) {
        for (int n : p.numbers) {
            out += std::to_string(n);
            out += ',';
        }
        if (p.megaBall)
            out += std::to_string(p.megaBall);
        out += '\n';
    }
    char summary[200];
    std::snprintf(summary, sizeof summary, "rows=%zu bound=%" PRIu64 " verified=yes p_condition=%.15Lf p_hit=%.15Lf",
                  plays.size(), design.bound, odds.pCondition, odds.pHit);
    out += summary;
    // With a price the line ends with what the plays cost.
    if (priceCents > 0)
        out += " cost=" + wheel::priceText(priceCents * static_cast<std::int64_t>(plays.size()));
    out += '\n';
    // --known: how the rows compare with what is known for these parameters.
    if (known) {
        out += "known=" + std::to_string(design.rows.size()) + " from=" + originName(design.origin) +
               " optimal=" + (design.optimal() ? "yes" : "no") + "\n";
    }
    std::cout << out;
    return 0;
}

const CommandSpec kWheelCommand{"wheel", cmdWheel,
    "  wheel --numbers N1,N2,... --guarantee TifP [--seconds S] [--seed N] [--steps N] [--megaballs M1,M2,... [--cross]] [--price D.CC] [--known] [--lang L]\n",
    {"numbers", "guarantee", "seconds", "seed", "steps", "megaballs", "price", "lang"}, 0, {"cross", "known"}};

} // namespace rz::cli
