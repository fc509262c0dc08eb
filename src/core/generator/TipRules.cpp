// The tip and slip rules of a generation run.
#include "generator/Generator.h"

#include <algorithm>
#include <bit>

#include "database/DrawingDatabase.h"
#include "evaluation/TipCheck.h"

namespace rz {

// ------------------------------------------------------------- helpers

bool Generator::HasPair(const int* n) {
    for (int i = 0; i < 4; ++i)
        if (n[i] + 1 == n[i + 1])
            return true;
    return false;
}

bool Generator::HasRunOfThree(const int* n) {
    for (int i = 0; i < 3; ++i)
        if (n[i] + 1 == n[i + 1] && n[i + 1] + 1 == n[i + 2])
            return true;
    return false;
}

int Generator::CountEven(const int* n) {
    int c = 0;
    for (int i = 0; i < 5; ++i)
        c += (n[i] % 2) == 0;
    return c;
}

int Generator::primzahlen(int z1, int z2, int z3, int z4, int z5, int z6, int /*z7*/) {
    // The counting table lists the primes up to 73.
    static const std::array<bool, 256> isPrime = [] {
        std::array<bool, 256> t{};
        for (int p : {2, 3, 5, 7, 11, 13, 17, 19, 23, 29, 31, 37, 41, 43, 47, 53, 59, 61, 67, 71, 73})
            t[static_cast<std::size_t>(p)] = true;
        return t;
    }();
    int c = 0;
    for (int z : {z1, z2, z3, z4, z5, z6})
        c += (z >= 0 && z < 256 && isPrime[static_cast<std::size_t>(z)]) ? 1 : 0;
    return c;
}

int Generator::lastHits(const int* n, int mb, const PastDrawing& d) const {
    int h = countMainHits(n, &d.n[1]);
    if (settings_.on(Gs::OverlapCountsMegaBall) && mb != 0 && mb == d.mb)
        h += 1;
    return h;
}

// ----------------------------------------------------------------- rules

bool Generator::CheckOverlap(const int* n, int r) const {
    const GeneratorSettings& s = settings_;
    std::uint64_t lo = 0, hi = 0;
    for (int i = 0; i < 5; ++i) {
        if (n[i] < 64)
            lo |= std::uint64_t{1} << n[i];
        else
            hi |= std::uint64_t{1} << (n[i] - 64);
    }
    const int minOverlap = s.get(Gs::MinOverlap), maxOverlap = s.get(Gs::MaxOverlap);
    const bool eachPair = s.on(Gs::OverlapEachPair);
    int smallest = 6, largest = 0;
    bool pairViolation = false;
    for (int k = 1; k < r; ++k) {
        const int o = std::popcount(lo & earlierMaskLo[static_cast<std::size_t>(k)]) +
                      std::popcount(hi & earlierMaskHi[static_cast<std::size_t>(k)]);
        largest = std::max(largest, o);
        smallest = std::min(smallest, o);
        if (eachPair && (o > maxOverlap || o < minOverlap))
            pairViolation = true;
    }
    if (s.on(Gs::MaxOverlapEnabled) && smallest > maxOverlap)
        return false;
    if (s.on(Gs::MinOverlapEnabled) && largest < minOverlap)
        return false;
    return !pairViolation;
}

void Generator::loadHistory() {
    // The drawings do not change during a run: the records read at its start serve.
    const RecordSnapshot& records = host_.drawingRecords();
    history.load(records.bytes.data(), records.count);
    historyLoaded = true;
}

bool Generator::Secheroderfuenfer(const int* n, int mb) {
    if (!historyLoaded)
        loadHistory();
    return !history.anyReaches(host_.statisticsStartDate(), host_.databaseEndDate(), n, mb,
                               settings_.on(Gs::OverlapCountsMegaBall), settings_.get(Gs::ExcludeDbClass));
}

bool Generator::dreierodervierer(const int* n, int mb) {
    if (!historyLoaded)
        loadHistory();
    const DayNumber end = host_.databaseEndDate();
    const DayNumber start = end - 7.0 * settings_.get(Gs::ExcludeRecentDraws);
    return !history.anyReaches(start, end, n, mb, settings_.on(Gs::OverlapCountsMegaBall),
                               settings_.get(Gs::ExcludeRecentClass));
}

bool Generator::CheckTipRules(const int* n, int mb) {
    const GeneratorSettings& s = settings_;
    const std::pair<Gs, Gs> lastRules[] = {{Gs::MaxHitsLast1Enabled, Gs::MaxHitsLast1},
                                           {Gs::MaxHitsLast2Enabled, Gs::MaxHitsLast2},
                                           {Gs::MaxHitsLast3Enabled, Gs::MaxHitsLast3}};
    for (int k = 0; k < 3; ++k) {
        const int limit = s.get(lastRules[k].second);
        if (s.on(lastRules[k].first) && limit > 0 && lastHits(n, mb, LastDrawings[static_cast<std::size_t>(k + 1)]) > limit)
            return false;
    }
    if (s.on(Gs::MinEvenEnabled) && CountEven(n) < s.get(Gs::MinEven))
        return false;
    if (s.on(Gs::MinOddEnabled) && 5 - CountEven(n) < s.get(Gs::MinOdd))
        return false;
    if (s.on(Gs::ExcludeDbClassEnabled) && !Secheroderfuenfer(n, mb))
        return false;
    if (s.on(Gs::ExcludeRecentEnabled) && !dreierodervierer(n, mb))
        return false;
    if (s.on(Gs::MinPrimesEnabled) && primzahlen(n[0], n[1], n[2], n[3], n[4], mb, 0) < s.get(Gs::MinPrimes))
        return false;
    return true;
}

bool Generator::acceptable(const int* n, int mb, int row) {
    const GeneratorSettings& s = settings_;
    if (row >= 2 && !CheckOverlap(n, row))
        return false;
    if (s.on(Gs::ForcePair) && !HasPair(n))
        return false;
    if (s.on(Gs::NoGroups) && HasRunOfThree(n))
        return false;
    const int sum = n[0] + n[1] + n[2] + n[3] + n[4];
    if (sum < s.get(Gs::SumMin) || sum > s.get(Gs::SumMax))
        return false;
    return CheckTipRules(n, mb);
}

} // namespace rz
