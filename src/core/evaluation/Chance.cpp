// The hit classes compared with chance; see Chance.h.
#include "evaluation/Chance.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "common/ProgramTexts.h"
#include "common/Text.h"
#include "database/GameFormat.h"
#include "evaluation/Odds.h"

namespace rz {
namespace {

double choose(int n, int k) {
    if (n < 0 || k < 0 || k > n)
        return 0;
    double r = 1;
    for (int i = 1; i <= k; ++i)
        r = r * (n - k + i) / i;
    return r;
}

// Entries of a distribution below this are dropped from its ends, which keeps
// the convolutions of long analyses (millions of trials) to about thirteen
// standard deviations either side of the mean. A p-value below about 1e-40
// therefore shows as 0; every larger one keeps its digits.
constexpr double kNegligible = 1e-40;

// Binomial(n, p) over the band around its mode where it is not negligible;
// `lo` is the count of the band's first entry. Built by the ratio of
// neighbouring terms from the mode and normalised, so no factorial is taken.
std::vector<double> binomialBand(std::int64_t n, double p, std::int64_t& lo) {
    const double q = 1.0 - p;
    std::int64_t mode = static_cast<std::int64_t>(std::floor(static_cast<double>(n + 1) * p));
    mode = std::clamp<std::int64_t>(mode, 0, n);
    std::vector<double> up{1.0};   // mode, mode+1, ...
    std::vector<double> down;      // mode-1, mode-2, ...
    for (std::int64_t k = mode; k < n; ++k) {
        const double v = up.back() * static_cast<double>(n - k) / static_cast<double>(k + 1) * (p / q);
        if (v < kNegligible)
            break;
        up.push_back(v);
    }
    double last = 1.0;
    for (std::int64_t k = mode; k > 0; --k) {
        last = last * static_cast<double>(k) / static_cast<double>(n - k + 1) * (q / p);
        if (last < kNegligible)
            break;
        down.push_back(last);
    }
    std::vector<double> band(down.rbegin(), down.rend());
    band.insert(band.end(), up.begin(), up.end());
    lo = mode - static_cast<std::int64_t>(down.size());
    double sum = 0;
    for (double v : band)
        sum += v;
    for (double& v : band)
        v /= sum;
    return band;
}

std::string significant(double v, int digits, int language) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*g", digits, v);
    std::string s(buf);
    if (const std::size_t point = s.find('.'); point != std::string::npos) {
        s.replace(point, 1, decimalMark(language));
    }
    return s;
}

} // namespace

ChanceTip chanceTip(const std::array<const std::string*, 6>& texts) {
    ChanceTip t;
    for (std::size_t j = 0; j < 5; ++j) {
        std::int32_t v = 0;
        if (!texts[j] || !tryParseInt(*texts[j], v))
            return t;
        t.values[j] = v;
        t.readable = static_cast<int>(j) + 1;
    }
    std::int32_t mb = 0;
    if (texts[5] && tryParseInt(*texts[5], mb))
        t.megaBall = mb;
    return t;
}

ClassProbabilities classProbabilities(const ChanceTip& tip, int mainMax, int megaBallMax) {
    ClassProbabilities out{};
    // The tip's numbers that a drawing can hold, with how often the tip has each.
    std::vector<int> mult;
    {
        std::map<int, int> m;
        for (int j = 0; j < tip.readable; ++j)
            if (tip.values[static_cast<std::size_t>(j)] >= 1 && tip.values[static_cast<std::size_t>(j)] <= mainMax)
                ++m[tip.values[static_cast<std::size_t>(j)]];
        for (const auto& [v, c] : m)
            mult.push_back(c);
    }
    std::array<double, 6> main{};
    if (tip.readable < 5) {
        // The count ends at the first text that is no number, while the first
        // drawn number is compared: the hits are how often the tip holds it.
        // The first drawn number is any of 1..mainMax alike.
        double rest = 1.0;
        for (int c : mult) {
            const double p = 1.0 / mainMax;
            main[static_cast<std::size_t>(std::min(c, 5))] += p;
            rest -= p;
        }
        main[0] += rest;
    } else {
        // ways[s][h]: sets of s of the tip's distinct numbers holding h of its
        // numbers; each is drawn together with 5-s of the other numbers.
        std::array<std::array<double, 6>, 6> ways{};
        ways[0][0] = 1;
        for (int c : mult)
            for (int s = 5; s >= 1; --s)
                for (int h = 5; h >= c; --h)
                    ways[static_cast<std::size_t>(s)][static_cast<std::size_t>(h)] +=
                        ways[static_cast<std::size_t>(s - 1)][static_cast<std::size_t>(h - c)];
        const int u = static_cast<int>(mult.size());
        const double all = choose(mainMax, 5);
        for (int s = 0; s <= 5; ++s)
            for (int h = 0; h <= 5; ++h)
                main[static_cast<std::size_t>(h)] +=
                    ways[static_cast<std::size_t>(s)][static_cast<std::size_t>(h)] * choose(mainMax - u, 5 - s) / all;
    }
    const double mb = (tip.readable == 5 && tip.megaBall >= 1 && tip.megaBall <= megaBallMax) ? 1.0 / megaBallMax : 0.0;
    for (std::size_t k = 0; k < 6; ++k) {
        out[k][0] = main[k] * (1.0 - mb);
        out[k][1] = main[k] * mb;
    }
    return out;
}

ClassProbabilities classProbabilities(const ChanceTip& tip, const GameFormat& format) {
    return classProbabilities(tip, format.mainMax, format.megaBallMax);
}

std::vector<double> poissonBinomial(const std::map<double, std::int64_t>& groups) {
    std::vector<double> pmf{1.0};
    std::int64_t offset = 0;
    for (const auto& [p, n] : groups) {
        if (n <= 0 || !(p > 0))
            continue;
        if (p >= 1) {
            offset += n;
            continue;
        }
        std::int64_t lo = 0;
        const std::vector<double> band = binomialBand(n, p, lo);
        std::vector<double> next(pmf.size() + band.size() - 1, 0.0);
        for (std::size_t i = 0; i < pmf.size(); ++i) {
            const double a = pmf[i];
            if (a == 0)
                continue;
            double* out = next.data() + i;
            for (std::size_t j = 0; j < band.size(); ++j)
                out[j] += a * band[j];
        }
        offset += lo;
        std::size_t first = 0;
        while (first + 1 < next.size() && next[first] < kNegligible)
            ++first;
        std::size_t end = next.size();
        while (end > first + 1 && next[end - 1] < kNegligible)
            --end;
        pmf.assign(next.begin() + static_cast<std::ptrdiff_t>(first), next.begin() + static_cast<std::ptrdiff_t>(end));
        offset += static_cast<std::int64_t>(first);
    }
    std::vector<double> out(static_cast<std::size_t>(offset), 0.0);
    out.insert(out.end(), pmf.begin(), pmf.end());
    return out;
}

double twoSidedP(const std::vector<double>& pmf, std::int64_t observed) {
    if (observed < 0)
        return 0;
    const auto o = static_cast<std::size_t>(observed);
    double lower = 0, upper = 0;
    for (std::size_t c = 0; c < pmf.size() && c <= o; ++c)
        lower += pmf[c];
    for (std::size_t c = pmf.size(); c > o; --c)
        upper += pmf[c - 1];
    return std::min(1.0, 2.0 * std::min(lower, upper));
}

ChanceTally::ChanceTally(std::vector<std::string> classNames)
    : names_(std::move(classNames)), groups_(names_.size()), expected_(names_.size(), 0.0L),
      observed_(names_.size(), 0) {}

void ChanceTally::addTrials(const std::vector<double>& probs, std::int64_t count) {
    if (count <= 0)
        return;
    trials_ += count;
    for (std::size_t c = 0; c < names_.size() && c < probs.size(); ++c) {
        if (!(probs[c] > 0))
            continue;
        groups_[c][probs[c]] += count;
        expected_[c] += static_cast<long double>(probs[c]) * count;
    }
}

void ChanceTally::addCertain(int cls) {
    std::vector<double> probs(names_.size(), 0.0);
    if (cls >= 0 && static_cast<std::size_t>(cls) < probs.size())
        probs[static_cast<std::size_t>(cls)] = 1.0;
    addTrials(probs);
}

void ChanceTally::addObserved(int cls, std::int64_t count) {
    if (cls >= 0 && static_cast<std::size_t>(cls) < observed_.size())
        observed_[static_cast<std::size_t>(cls)] += count;
}

std::vector<ChanceLine> ChanceTally::lines() const {
    std::vector<ChanceLine> out;
    for (std::size_t c = 0; c < names_.size(); ++c) {
        ChanceLine l;
        l.name = names_[c];
        l.observed = observed_[c];
        l.expected = static_cast<double>(expected_[c]);
        l.p = twoSidedP(poissonBinomial(groups_[c]), l.observed);
        if (l.p < 0.01)
            l.verdict = static_cast<double>(l.observed) > l.expected ? ChanceVerdict::More : ChanceVerdict::Less;
        out.push_back(l);
    }
    return out;
}

std::vector<std::string> hitClassNames() {
    std::vector<std::string> names;
    for (int k = 0; k <= 5; ++k) {
        names.push_back(std::to_string(k) + "x");
        names.push_back(std::to_string(k) + "x+MB");
    }
    return names;
}

void addTrial(ChanceTally& tally, const ClassProbabilities& p, std::int64_t count) {
    std::vector<double> probs;
    for (int k = 0; k <= 5; ++k) {
        probs.push_back(p[static_cast<std::size_t>(k)][0]);
        probs.push_back(p[static_cast<std::size_t>(k)][1]);
    }
    tally.addTrials(probs, count);
}

std::string chanceCommandLines(const std::vector<ChanceLine>& lines) {
    std::string s;
    char buf[128];
    for (const ChanceLine& l : lines) {
        std::snprintf(buf, sizeof buf, " observed=%lld expected=%.15g p=%.15g\n", static_cast<long long>(l.observed),
                      l.expected, l.p);
        s += "chance class=" + l.name + buf;
    }
    return s;
}

std::string chanceReportSection(const std::vector<ChanceGroup>& groups, int language) {
    const std::string crlf = "\r\n";
    std::string s = crlf + txt(Txt::ChanceHeading) + crlf;
    for (const ChanceGroup& g : groups) {
        if (!g.heading.empty())
            s += g.heading + crlf;
        s += txt(Txt::ChanceClass) + "\t" + txt(Txt::ChanceObserved) + "\t" + txt(Txt::ChanceExpected) + "\tp" + crlf;
        for (const ChanceLine& l : g.lines) {
            const Txt verdict = l.verdict == ChanceVerdict::More   ? Txt::ChanceMore
                                : l.verdict == ChanceVerdict::Less ? Txt::ChanceLess
                                                                   : Txt::ChanceAsChance;
            s += l.name + "\t" + std::to_string(l.observed) + "\t" + formatNumber(l.expected, 2, language) + "\t" +
                 significant(l.p, 3, language) + "\t" + txt(verdict) + crlf;
        }
    }
    s += txt(Txt::ChanceMethod) + crlf;
    return s;
}

std::vector<ChanceGroup> chanceGroups(const std::vector<ChanceTable>& tables) {
    std::vector<ChanceGroup> out;
    for (const ChanceTable& t : tables)
        out.push_back({t.heading, t.tally.lines()});
    return out;
}

std::string chanceCommandLines(const std::vector<ChanceTable>& tables) {
    std::string s;
    for (const ChanceTable& t : tables)
        s += chanceCommandLines(t.tally.lines());
    return s;
}

} // namespace rz
