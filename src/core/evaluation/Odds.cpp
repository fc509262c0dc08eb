// Exact odds of tip rows.
//
// Only the numbers that stand in some row change the outcome of a drawing:
// a drawing of five of 70 splits into D, the drawn numbers among the union U
// of the rows' numbers (|D| = j <= 5), and 5 - j others, which C(70-|U|, 5-j)
// drawings share. The MegaBall is drawn independently of the main numbers.
//
// - Per tier: a row has m of its five numbers with probability
//   C(5,m) C(65,5-m) / C(70,5), whatever the other rows are; its MegaBall hits
//   with probability 1/range when it has one the game draws.
// - Jackpot: each distinct (five numbers, MegaBall) pair wins in exactly one of
//   the C(70,5) * range drawings, and no drawing makes two of them win.
// - Some prize: every row with a MegaBall wins something when its MegaBall is
//   drawn (0+1, 1+1, 2+1 or better), and every row with three or more main hits
//   wins whatever the MegaBall. So nothing is won exactly when no row has three
//   main hits and the MegaBall is none of the rows' MegaBalls; the two parts are
//   independent. The drawings in which some row has three main hits are counted
//   by enumerating D: each such D is counted once, under the first row r it
//   meets in three or more numbers (A = D within row r, B = the rest, at most
//   two numbers outside row r, meeting no earlier row in three).
#include "evaluation/Odds.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdio>
#include <map>
#include <set>
#include <stdexcept>

#include "common/Text.h"
#include "tips/TipSet.h"

namespace rz {
namespace {

std::uint64_t choose(int n, int k) {
    if (n < 0 || k < 0 || k > n)
        return 0;
    std::uint64_t r = 1;
    for (int i = 1; i <= k; ++i)
        r = r * static_cast<std::uint64_t>(n - k + i) / static_cast<std::uint64_t>(i);
    return r;
}

bool rowIsValid(const OddsRow& r) {
    for (std::size_t i = 0; i < 5; ++i) {
        if (r.main[i] < 1 || r.main[i] > kOddsMainMax)
            return false;
        for (std::size_t j = 0; j < i; ++j)
            if (r.main[i] == r.main[j])
                return false;
    }
    return true;
}

// Drawings (of the C(70,5)) in which some row has three or more main hits.
std::uint64_t drawingsWithThreeHits(const std::vector<std::uint64_t>& rows, int unionSize) {
    const int outside = kOddsMainMax - unionSize;
    std::uint64_t total = 0;
    for (std::size_t r = 0; r < rows.size(); ++r) {
        const std::uint64_t row = rows[r];
        std::vector<std::uint64_t> others; // single bits of U outside row r
        std::uint64_t all = 0;
        for (std::uint64_t x : rows)
            all |= x;
        for (std::uint64_t rest = all & ~row; rest; rest &= rest - 1)
            others.push_back(rest & (~rest + 1));
        auto firstBad = [&](std::uint64_t d) {
            for (std::size_t e = 0; e < r; ++e)
                if (std::popcount(d & rows[e]) >= 3)
                    return false;
            return true;
        };
        // A: the subsets of row r with three or more of its five numbers.
        for (std::uint64_t a = row;; a = (a - 1) & row) {
            const int na = std::popcount(a);
            if (na >= 3) {
                auto count = [&](std::uint64_t d) {
                    if (firstBad(d))
                        total += choose(outside, 5 - std::popcount(d));
                };
                count(a);
                if (na <= 4)
                    for (std::size_t i = 0; i < others.size(); ++i) {
                        count(a | others[i]);
                        if (na == 3)
                            for (std::size_t k = i + 1; k < others.size(); ++k)
                                count(a | others[i] | others[k]);
                    }
            }
            if (a == 0)
                break;
        }
    }
    return total;
}

struct NumberForm {
    const char* group;
    const char* decimal;
};

NumberForm numberForm(int language) {
    switch (language) {
    case 2: // English
    case 8: // Chinese
        return {",", "."};
    case 3: // French: a narrow no-break space
        return {"\u202F", ","};
    case 6: // Russian: a no-break space
        return {"\u00A0", ","};
    default: // German, Spanish, Italian, Portuguese
        return {".", ","};
    }
}

} // namespace

int prizeTier(int mainHits, bool megaBallHit) {
    if (mainHits < 0 || mainHits > 5)
        return -1;
    if (mainHits >= 3)
        return (5 - mainHits) * 2 + (megaBallHit ? 0 : 1);
    if (!megaBallHit)
        return -1;
    return 6 + (2 - mainHits);
}

std::vector<OddsRow> oddsRows(const TipSet& tips, int megaBallRange, int& skipped) {
    std::vector<OddsRow> rows;
    skipped = 0;
    for (int r = 1; r <= TipSet::kRows; ++r) {
        bool any = false;
        for (int k = 1; k <= 6; ++k)
            any = any || !tips.get(r, k).empty();
        if (!any)
            continue;
        OddsRow row;
        bool ok = true;
        for (int k = 1; k <= 5 && ok; ++k) {
            std::int32_t v = 0;
            ok = tryParseInt(tips.get(r, k), v);
            row.main[static_cast<std::size_t>(k - 1)] = v;
        }
        if (!ok || !rowIsValid(row)) {
            ++skipped;
            continue;
        }
        std::int32_t mb = 0;
        if (tryParseInt(tips.get(r, 6), mb) && mb >= 1 && mb <= megaBallRange)
            row.megaBall = mb;
        rows.push_back(row);
    }
    return rows;
}

TipOdds computeTipOdds(const std::vector<OddsRow>& rows, int megaBallRange) {
    if (megaBallRange < 1)
        throw std::invalid_argument("MegaBall range below 1");
    TipOdds o;
    o.rows = static_cast<int>(rows.size());
    o.megaBallRange = megaBallRange;
    if (rows.empty())
        return o;

    // The union of the rows' numbers, numbered 0..|U|-1, and each row over it.
    std::array<int, kOddsMainMax + 1> index{};
    index.fill(-1);
    int unionSize = 0;
    for (const OddsRow& r : rows) {
        if (!rowIsValid(r))
            throw std::invalid_argument("a row is not five different numbers 1..70");
        for (int n : r.main)
            if (index[static_cast<std::size_t>(n)] < 0)
                index[static_cast<std::size_t>(n)] = unionSize++;
    }
    std::set<std::uint64_t> distinctMasks;
    std::set<std::pair<std::uint64_t, int>> jackpots;
    std::set<int> megaBalls;
    int withMegaBall = 0;
    for (const OddsRow& r : rows) {
        std::uint64_t m = 0;
        for (int n : r.main)
            m |= std::uint64_t{1} << index[static_cast<std::size_t>(n)];
        distinctMasks.insert(m);
        const bool hasMb = r.megaBall >= 1 && r.megaBall <= megaBallRange;
        if (hasMb) {
            ++withMegaBall;
            megaBalls.insert(r.megaBall);
            jackpots.insert({m, r.megaBall});
        }
    }

    const std::uint64_t drawings = choose(kOddsMainMax, 5);
    const auto range = static_cast<std::uint64_t>(megaBallRange);
    const long double all = static_cast<long double>(drawings) * static_cast<long double>(range);

    // Per tier.
    const int withoutMegaBall = o.rows - withMegaBall;
    for (int m = 0; m <= 5; ++m) {
        const long double ways = static_cast<long double>(choose(5, m) * choose(kOddsMainMax - 5, 5 - m));
        // Rows with a MegaBall: hit in 1 of the range, missed in the rest.
        const int hitTier = prizeTier(m, true);
        const int missTier = prizeTier(m, false);
        if (hitTier >= 0)
            o.expected[static_cast<std::size_t>(hitTier)] += static_cast<double>(withMegaBall * ways / all);
        if (missTier >= 0)
            o.expected[static_cast<std::size_t>(missTier)] +=
                static_cast<double>((withMegaBall * ways * static_cast<long double>(range - 1) +
                                     withoutMegaBall * ways * static_cast<long double>(range)) /
                                    all);
    }

    o.pJackpot = static_cast<double>(static_cast<long double>(jackpots.size()) / all);

    const std::vector<std::uint64_t> masks(distinctMasks.begin(), distinctMasks.end());
    const std::uint64_t threeHits = drawingsWithThreeHits(masks, unionSize);
    const std::uint64_t nothing = (drawings - threeHits) * (range - std::min<std::uint64_t>(range, megaBalls.size()));
    o.pAny = static_cast<double>(static_cast<long double>(drawings * range - nothing) / all);
    return o;
}

std::string formatNumber(double value, int decimals, int language) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, std::fabs(value));
    std::string digits(buf);
    std::string frac;
    if (const std::size_t point = digits.find('.'); point != std::string::npos) {
        frac = digits.substr(point + 1);
        digits.resize(point);
    }
    const NumberForm form = numberForm(language);
    std::string out;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            out += form.group;
        out += digits[i];
    }
    if (!frac.empty())
        out += std::string(form.decimal) + frac;
    if (value < 0 && out.find_first_not_of("0.,") != std::string::npos)
        out.insert(0, "-");
    return out;
}

std::string decimalMark(int language) { return numberForm(language).decimal; }

std::string oneInText(double p, int language) {
    if (!(p > 0))
        return {};
    const double x = 1.0 / p;
    return x < 100.0 ? formatNumber(x, 1, language) : formatNumber(std::round(x), 0, language);
}

} // namespace rz
