// Candidate pool, MegaBall choice, tip rules and the generation run.
#include "generator/Generator.h"

#include <algorithm>
#include <bit>
#include <chrono>
#include <cstring>
#include <optional>

#include "common/Round.h"
#include "common/Text.h"
#include "database/DrawingDatabase.h"
#include "evaluation/TipCheck.h"
#include "generator/MegaBallRange.h"
#include "generator/NumberList.h"

namespace rz {

// ------------------------------------------------------------------ pool

int CandidatePool::CountInPool(int n) const {
    int c = 0;
    for (int p = 0; p <= Last; ++p)
        c += entry[static_cast<std::size_t>(p)] == n;
    return c;
}

int CandidatePool::distinctNumbers() const {
    std::array<bool, 256> seen{};
    int c = 0;
    for (int p = 0; p <= Last; ++p) {
        const std::uint8_t v = entry[static_cast<std::size_t>(p)];
        if (v != 0 && !seen[v]) {
            seen[v] = true;
            ++c;
        }
    }
    return c;
}

void CandidatePool::exclude(int n) {
    for (int p = 0; p <= Last; ++p)
        if (entry[static_cast<std::size_t>(p)] == n)
            entry[static_cast<std::size_t>(p)] = 0;
}

void CandidatePool::compact() {
    int p = 0;
    while (p <= Last) {
        while (p <= Last && entry[static_cast<std::size_t>(p)] == 0) {
            entry[static_cast<std::size_t>(p)] = entry[static_cast<std::size_t>(Last)];
            entry[static_cast<std::size_t>(Last)] = 0;
            --Last;
        }
        ++p;
    }
}

// --------------------------------------------------------- history index

void HistoryIndex::load(const std::vector<DrawingRecord>& all) {
    dates_.clear();
    numbers_.clear();
    dates_.reserve(all.size());
    numbers_.reserve(all.size());
    for (const DrawingRecord& r : all) {
        dates_.push_back(r.Date);
        numbers_.push_back({r.Numbers[1], r.Numbers[2], r.Numbers[3], r.Numbers[4], r.Numbers[5], r.Numbers[7]});
    }
    for (Window& w : cache_)
        w.valid = false;
}

void HistoryIndex::load(const std::uint8_t* records, std::size_t count) {
    dates_.resize(count);
    numbers_.resize(count);
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t* rec = records + i * DrawingRecord::kSize;
        dates_[i] = RecordBlockReader::date(rec);
        numbers_[i] = {RecordBlockReader::number(rec, 1), RecordBlockReader::number(rec, 2),
                       RecordBlockReader::number(rec, 3), RecordBlockReader::number(rec, 4),
                       RecordBlockReader::number(rec, 5), RecordBlockReader::number(rec, 7)};
    }
    for (Window& w : cache_)
        w.valid = false;
}

HistoryIndex::Window& HistoryIndex::window(DayNumber lo, DayNumber hi) {
    for (Window& w : cache_)
        if (w.valid && w.lo == lo && w.hi == hi)
            return w;
    Window& w = cache_[static_cast<std::size_t>(nextSlot_)];
    nextSlot_ = (nextSlot_ + 1) % static_cast<int>(cache_.size());
    w.lo = lo;
    w.hi = hi;
    w.valid = true;
    // Counting first, then every list in one array: no allocation per number.
    // Every stored number counts, those of older game formats too.
    std::array<std::uint32_t, 257> numberCount{};
    std::array<std::uint32_t, 257> megaBallCount{};
    w.size = 0;
    for (std::size_t i = 0; i < dates_.size(); ++i) {
        if (!(lo < dates_[i] && dates_[i] <= hi))
            continue;
        ++w.size;
        for (int k = 0; k < 5; ++k) {
            const int v = numbers_[i][static_cast<std::size_t>(k)];
            if (v >= 1)
                ++numberCount[static_cast<std::size_t>(v)];
        }
        if (numbers_[i][5] >= 1)
            ++megaBallCount[numbers_[i][5]];
    }
    std::uint32_t n = 0, m = 0;
    for (std::size_t v = 0; v < 256; ++v) {
        w.numberStart[v] = n;
        w.megaBallStart[v] = m;
        n += numberCount[v];
        m += megaBallCount[v];
    }
    w.numberStart[256] = n;
    w.megaBallStart[256] = m;
    w.numberPos.resize(n);
    w.megaBallPos.resize(m);
    std::array<std::uint32_t, 257> nextNumber = w.numberStart;
    std::array<std::uint32_t, 257> nextMegaBall = w.megaBallStart;
    std::uint32_t pos = 0;
    for (std::size_t i = 0; i < dates_.size(); ++i) {
        if (!(lo < dates_[i] && dates_[i] <= hi))
            continue;
        for (int k = 0; k < 5; ++k) {
            const int v = numbers_[i][static_cast<std::size_t>(k)];
            if (v >= 1)
                w.numberPos[nextNumber[static_cast<std::size_t>(v)]++] = pos;
        }
        if (numbers_[i][5] >= 1)
            w.megaBallPos[nextMegaBall[numbers_[i][5]]++] = pos;
        ++pos;
    }
    return w;
}

bool HistoryIndex::anyReaches(DayNumber lo, DayNumber hi, const int* tip5, int mb, bool countMegaBall, int limit) {
    Window& w = window(lo, hi);
    if (w.size == 0)
        return false;
    if (limit <= 0)
        return true;
    if (counts_.size() < w.size)
        counts_.resize(w.size);
    std::memset(counts_.data(), 0, w.size);
    const std::uint8_t lim = static_cast<std::uint8_t>(std::min(limit, 255));
    std::uint8_t* counts = counts_.data();
    for (int k = 0; k < 5; ++k) {
        const int v = tip5[k];
        if (v < 1 || v > 255)
            continue;
        for (std::uint32_t p = w.numberStart[static_cast<std::size_t>(v)]; p < w.numberStart[static_cast<std::size_t>(v) + 1]; ++p)
            if (++counts[w.numberPos[p]] >= lim)
                return true;
    }
    if (countMegaBall && mb >= 1 && mb <= 255) {
        for (std::uint32_t p = w.megaBallStart[static_cast<std::size_t>(mb)]; p < w.megaBallStart[static_cast<std::size_t>(mb) + 1]; ++p)
            if (++counts[w.megaBallPos[p]] >= lim)
                return true;
    }
    return false;
}

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

// ------------------------------------------------------- last drawings

void Generator::captureLastDrawings() {
    auto copy = [](PastDrawing& d, const CurrentDrawing& cur) {
        for (int i = 1; i <= 5; ++i)
            d.n[static_cast<std::size_t>(i)] = cur.Zahl[static_cast<std::size_t>(i)];
        d.mb = cur.Zahl[7];
    };
    const DayNumber endDate = host_.databaseEndDate();
    if (host_.databaseExists() && captureFromFile(endDate))
        return;
    copy(LastDrawings[1], host_.lookupEndDate());
    copy(LastDrawings[2], host_.previousDrawing());
    copy(LastDrawings[3], host_.previousDrawing());
    host_.restoreEndDate(endDate);
}

// The lookup for `endDate`, two steps back and the lookup again, from one
// read of the file: the drawings the three first commands would show, and the
// window as the last lookup leaves it. When the lookup takes a record, the
// steps leave nothing behind that the last lookup does not set again (the tip
// check is off during a run). Returns false, having changed nothing, when the
// lookup would take no record (an empty file, odd dates): then the commands
// themselves must run.
bool Generator::captureFromFile(DayNumber endDate) {
    std::vector<std::uint8_t>& buffer = fileBytes_;
    std::size_t count = 0;
    {
        RecordBlockReader reader(host_.databasePath());
        count = reader.readAll(buffer);
    }
    fileRecords_ = count;
    fileRead_ = true;
    if (count == 0)
        return false;
    auto record = [&](std::size_t i) { return buffer.data() + i * DrawingRecord::kSize; };
    auto date = [&](std::size_t i) { return RecordBlockReader::date(record(i)); };
    // The lookup reads on while the date is before the chosen one and takes
    // the first record on or after it, at the end of the file the last one
    // (unless its date is not positive).
    const DayNumber chosen = static_cast<DayNumber>(Round(endDate));
    std::size_t pos = 0;
    std::size_t shown = 0;
    std::optional<CaptionVariant> variant;
    if (date(0) >= chosen)
        variant = CaptionVariant::FirstRecord;
    while (pos + 1 < count && date(pos) < chosen) {
        ++pos;
        if (date(pos) >= chosen) {
            variant = CaptionVariant::LaterRecord;
            shown = pos;
        }
    }
    if (pos + 1 == count && date(pos) > 0.0) {
        variant = CaptionVariant::EndOfFile;
        shown = pos;
    }
    if (!variant)
        return false;
    auto take = [&](PastDrawing& d, std::size_t i) {
        for (int k = 1; k <= 5; ++k)
            d.n[static_cast<std::size_t>(k)] = RecordBlockReader::number(record(i), k);
        d.mb = RecordBlockReader::number(record(i), 7);
    };
    // Two steps back, each one record earlier but not before the first.
    const std::size_t second = pos >= 2 ? pos - 1 : 0;
    const std::size_t third = second >= 2 ? second - 1 : 0;
    take(LastDrawings[1], shown);
    take(LastDrawings[2], second);
    take(LastDrawings[3], third);

    // The lookup again, for the picker set back to the chosen date.
    CurrentDrawing found;
    found.Datum1 = date(shown);
    for (int k = 1; k <= 8; ++k)
        found.Zahl[static_cast<std::size_t>(k)] = RecordBlockReader::number(record(shown), k);
    found.Position = static_cast<std::int32_t>(pos);
    host_.showLookup(endDate, found, *variant);
    return true;
}

// ------------------------------------------------------- candidate pool

bool Generator::BuildCandidatePool() {
    const GeneratorSettings& s = settings_;
    const StatisticsTable* table = nullptr; // the table the last step computed
    auto compute = [&](StatisticsKind kind) { table = &host_.statisticsTable(kind); };
    auto value = [&table](int key) {
        const auto& e = table->Entries;
        const std::size_t p = static_cast<std::size_t>(key - 1);
        return p < e.size() ? e[p].Value : 0;
    };
    auto status = [this](long long lower, long long upper) {
        host_.setStatus("Min: " + std::to_string(lower) + "  Max: " + std::to_string(upper) + "  " +
                    std::to_string(pool.size()));
    };
    auto title = [this](int line) { host_.setStatus(host_.text(line)); };

    // Consecutive groups: frequent and rarest, for pairs, triples, quads.
    struct GroupStep {
        Gs frequent, rarest;
        int line, size, lastKey;
        StatisticsKind kind;
    };
    const GroupStep groups[] = {
        {Gs::PreferPairs, Gs::PairsRarest, 35, 2, 69, StatisticsKind::Pairs},
        {Gs::PreferTriples, Gs::TriplesRarest, 36, 3, 68, StatisticsKind::Triples},
        {Gs::PreferQuads, Gs::QuadsRarest, 37, 4, 67, StatisticsKind::Quads},
    };
    for (const GroupStep& g : groups) {
        if (s.on(g.frequent)) {
            title(g.line);
            compute(g.kind);
            const double mx = table->RangeMax, mn = table->RangeMin, d = mx - mn;
            const long long lower = Round(mx - d * 0.3), upper = Round(mx);
            status(lower, upper);
            for (int n = 1; n <= g.lastKey; ++n) {
                const int v = value(n);
                if (lower < v && v <= upper)
                    for (int k = 0; k < g.size; ++k)
                        pool.append(n + k);
            }
        }
        if (s.on(g.rarest)) {
            if (!s.on(g.frequent)) {
                title(g.line);
                compute(g.kind);
            }
            const double mx = table->RangeMax, mn = table->RangeMin, d = mx - mn;
            const long long upper = Round(mn + d * 0.3);
            status(0, upper);
            for (int n = 1; n <= g.lastKey; ++n) {
                const int v = value(n);
                if (0 < v && v <= upper)
                    for (int k = 0; k < g.size; ++k)
                        pool.append(n + k);
            }
        }
    }

    // Number passes: the top (or bottom) X % of a table's range.
    auto topPasses = [&](int x) {
        const double mx = table->RangeMax, mn = table->RangeMin, d = mx - mn;
        const long long upper = Round(mx);
        for (double share : {static_cast<double>(x) / 100.0, static_cast<double>(x) / 200.0}) {
            const long long lower = Round(mx - share * d);
            status(lower, upper);
            const int times = share == static_cast<double>(x) / 100.0 ? 2 : 1;
            for (int n = 1; n <= 70; ++n) {
                const int v = value(n);
                if (lower <= v && v <= upper)
                    for (int t = 0; t < times; ++t)
                        pool.append(n);
            }
        }
    };
    if (s.on(Gs::PreferFrequent)) {
        title(38);
        compute(StatisticsKind::Frequency);
        topPasses(s.get(Gs::PreferFrequentPercent));
    }
    if (s.on(Gs::PreferRare)) {
        if (!s.on(Gs::PreferFrequent)) {
            title(38);
            compute(StatisticsKind::Frequency);
        }
        const int x = s.get(Gs::PreferRarePercent);
        const double mx = table->RangeMax, mn = table->RangeMin, d = mx - mn;
        const long long lower = Round(mn);
        for (int pass = 1; pass <= 2; ++pass) {
            const double share = static_cast<double>(x) / (pass == 1 ? 100.0 : 200.0);
            const long long upper = Round(mn + share * d);
            status(lower, upper);
            for (int n = 1; n <= 70; ++n) {
                const int v = value(n);
                if (lower <= v && v <= upper)
                    for (int t = 0; t < (pass == 1 ? 2 : 1); ++t)
                        pool.append(n);
            }
        }
    }
    if (s.on(Gs::PreferOverdue)) {
        title(39);
        compute(StatisticsKind::Overdue);
        topPasses(s.get(Gs::PreferOverduePercent));
    }
    if (s.on(Gs::PreferNeighbours)) {
        title(40);
        for (int i = 1; i <= 5; ++i) {
            const int v = LastDrawings[1].n[static_cast<std::size_t>(i)];
            if (v > 1)
                for (int t = 0; t < 4; ++t)
                    pool.append(v - 1);
            if (v < 70)
                for (int t = 0; t < 4; ++t)
                    pool.append(v + 1);
        }
    }
    if (!s.on(Gs::PreferredOnly)) {
        pool.append(0);
        for (int n = 1; n <= 70; ++n)
            pool.append(n);
        pool.append(1);
    }

    // Exclusions: an excluded entry becomes empty, nothing moves.
    const std::pair<Gs, Gs> lastRules[] = {{Gs::MaxHitsLast1Enabled, Gs::MaxHitsLast1},
                                           {Gs::MaxHitsLast2Enabled, Gs::MaxHitsLast2},
                                           {Gs::MaxHitsLast3Enabled, Gs::MaxHitsLast3}};
    for (int k = 0; k < 3; ++k) {
        if (s.on(lastRules[k].first) && s.get(lastRules[k].second) == 0)
            for (int i = 1; i <= 5; ++i)
                pool.exclude(LastDrawings[static_cast<std::size_t>(k + 1)].n[static_cast<std::size_t>(i)]);
    }
    if (s.on(Gs::AvoidMonthNumbers))
        for (int v = 1; v <= 12; ++v)
            pool.exclude(v);
    if (s.on(Gs::DampDateNumbers)) {
        for (int v = 1; v <= 31; ++v) {
            for (int p = 0; p <= pool.Last; ++p) {
                if (pool.entry[static_cast<std::size_t>(p)] == v) {
                    pool.entry[static_cast<std::size_t>(p)] = 0;
                    break;
                }
            }
        }
    }
    pool.compact();

    if (s.on(Gs::ShowNumberList)) {
        host_.showTipOverview();
        NumberList& list = host_.numberList();
        list.Zufall = host_.text(60);
        list.Stopp = host_.text(61);
        list.MaxZahl = 70;
        for (int n = 1; n <= 70; ++n) {
            const int c = pool.CountInPool(n);
            list.box(n).checked = c > 0;
            list.box(n).weight = std::to_string(c);
        }
        host_.setBusy(false);
        host_.changed();
        const ModalResult r = host_.askNumberList();
        if (r == ModalResult::Retry)
            PoolFromNumberList();
        else if (r != ModalResult::Ok)
            return false;
        host_.setBusy(true);
    }
    return true;
}

void Generator::PoolFromNumberList() {
    pool.clear();
    for (int n = 1; n <= 70; ++n) {
        NumberList::Box& box = host_.numberList().box(n);
        if (box.weight.empty())
            box.weight = "0";
        if (!box.checked)
            continue;
        std::int32_t w = 0;
        if (!tryParseInt(box.weight, w))
            w = 0; // a text that is no number (from a list file) keeps the number in once
        if (w >= 1)
            for (std::int32_t t = 0; t < w && pool.size() < CandidatePool::kCapacity; ++t)
                pool.append(n);
        else if (w == 0)
            pool.append(n);
    }
}

// -------------------------------------------------------------- MegaBall

void Generator::loadMegaBallTables() {
    // Both tables depend only on the window and the database, which a run
    // does not change: computed once, at the first choice, as the first
    // choice would compute them.
    const StatisticsTable* table = &host_.statisticsTable(StatisticsKind::MegaBallOverdue);
    mbMaxOverdue_ = 0;
    mbLongestKey_ = 1;
    // The candidates: 1..24 when only today's game format is wanted.
    mbHighest_ = megaBallHighest(settings_);
    for (int k = 1; k <= 25; ++k) {
        const std::size_t p = static_cast<std::size_t>(k - 1);
        mbOverdue_[static_cast<std::size_t>(k)] = p < table->Entries.size() ? table->Entries[p].Value : 0;
    }
    mbMaxOverdue_ = mbOverdue_[1];
    for (int k = 1; k <= mbHighest_; ++k)
        mbMaxOverdue_ = std::max(mbMaxOverdue_, mbOverdue_[static_cast<std::size_t>(k)]);
    for (int k = 1; k <= mbHighest_; ++k)
        if (mbOverdue_[static_cast<std::size_t>(k)] == mbMaxOverdue_)
            mbLongestKey_ = k;
    table = &host_.statisticsTable(StatisticsKind::MegaBallFrequency);
    for (int k = 1; k <= 25; ++k) {
        const std::size_t p = static_cast<std::size_t>(k - 1);
        mbFrequency_[static_cast<std::size_t>(k)] = p < table->Entries.size() ? table->Entries[p].Value : 0;
    }
    mbTablesLoaded_ = true;
}

int Generator::ChooseMegaBall() {
    if (!mbTablesLoaded_)
        loadMegaBallTables();
    const GeneratorSettings& s = settings_;
    const int recentLimit = std::min(s.get(Gs::MegaBallExcludeRecent), mbMaxOverdue_);
    const bool rarest = s.on(Gs::MegaBallRarest);
    const bool longest = s.on(Gs::MegaBallLongestOutstanding);
    const bool random = s.on(Gs::MegaBallRandom) || (!rarest && !longest);
    const bool excludeRecent = s.on(Gs::MegaBallExcludeRecentEnabled);
    if (!rarest || random) {
        for (;;) {
            const int mb = random ? static_cast<int>(rng_.Random(static_cast<std::uint32_t>(mbHighest_))) + 1
                                   : mbLongestKey_;
            if (!(excludeRecent && mbOverdue_[static_cast<std::size_t>(mb)] < recentLimit))
                return mb;
            // A discarded key's frequency is lifted out of reach; it only
            // matters for the rarest mode.
        }
    }
    std::array<int, 26> freq = mbFrequency_;
    const int highest = mbHighest_;
    auto lowest = [&freq, highest] {
        int lo = freq[1];
        for (int k = 2; k <= highest; ++k)
            lo = std::min(lo, freq[static_cast<std::size_t>(k)]);
        return lo;
    };
    int lowestFrequency = lowest();
    for (;;) {
        int mb = 1;
        for (int k = 1; k <= highest; ++k)
            if (freq[static_cast<std::size_t>(k)] == lowestFrequency)
                mb = k;
        if (excludeRecent && mbOverdue_[static_cast<std::size_t>(mb)] < recentLimit) {
            freq[static_cast<std::size_t>(mb)] = 999999;
            lowestFrequency = lowest();
            continue;
        }
        return mb;
    }
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
    // The drawings do not change during a run: the copy read at its start serves.
    if (fileRead_)
        history.load(fileBytes_.data(), fileRecords_);
    else
        history.load(DrawingDatabase(host_.databasePath()).readAll());
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

// ------------------------------------------------------------------- run

void Generator::showAttempt(int r, const int* n, int sum) {
    const char* sumLabel = (r == 3) ? "    CS: " : ((r == 2 || r == 4) ? "   CS: " : "  CS: ");
    host_.setStatus(std::to_string(r) + "." + host_.text(29) + ":  " + std::to_string(n[0]) + " " + std::to_string(n[1]) +
                "  " + std::to_string(n[2]) + "  " + std::to_string(n[3]) + "  " + std::to_string(n[4]) + sumLabel +
                std::to_string(sum));
}

void Generator::writeRow(int r, const std::array<int, 5>& n, int mb, int spare) {
    for (int k = 1; k <= 5; ++k)
        tips_.set(r, k, std::to_string(n[static_cast<std::size_t>(k - 1)]));
    tips_.set(r, 6, std::to_string(mb));
    tips_.set(r, 7, std::to_string(spare));
}

void Generator::rowLoop(bool poolUsable) {
    Yielder yield(host_.events());
    const CurrentOperation& op = host_.operation();
    std::array<int, 5> shown{};
    int shownRow = 1;

    for (int r = 1; r <= TipSet::kRows; ++r) {
        std::array<int, 5> n{};
        int mb = 0, spare = 0, count = 0;
        TipRow& row = tips_.row(r);
        if (row.Locked) {
            // A locked row is taken over as it stands; a field that is no number counts as 0.
            auto num = [&row](int k) {
                std::int32_t v = 0;
                return tryParseInt(row.field[static_cast<std::size_t>(k)], v) ? static_cast<int>(v) : 0;
            };
            for (int k = 1; k <= 5; ++k)
                n[static_cast<std::size_t>(k - 1)] = num(k);
            mb = num(6);
            spare = num(7);
        } else {
            if (poolUsable && (r == 1 || (runCounter_ < laufMax_ && r <= settings_.get(Gs::TipCount)))) {
                while (count < 5 && runCounter_ < laufMax_) {
                    if (op.stopRequested)
                        break;
                    yield([&] { showAttempt(shownRow, shown.data(), shown[0] + shown[1] + shown[2] + shown[3] + shown[4]); });
                    if (r == 1)
                        host_.showTipOverview();
                    const std::int64_t counter = ++runCounter_;
                    if (counter * 2 == laufMax_)
                        settings_.set(Gs::ForcePair, 0);
                    if (r >= 3) {
                        if (counter == laufMax_ - 20000) {
                            settings_.set(Gs::ExcludeDbClass, 6);
                        } else if (counter == laufMax_ - 10000) {
                            settings_.set(Gs::MaxHitsLast2, 2);
                            settings_.set(Gs::MaxHitsLast1, 1);
                        } else if (counter == laufMax_ - 5000) {
                            settings_.set(Gs::MaxHitsLast2, 3);
                            settings_.set(Gs::MaxHitsLast1, 2);
                        }
                    }
                    const std::uint32_t poolSize = static_cast<std::uint32_t>(pool.size());
                    while (count < 5) {
                        const int v = pool.entry[rng_.Random(poolSize)];
                        if (v == 0)
                            continue;
                        bool dup = false;
                        for (int i = 0; i < count; ++i)
                            dup |= n[static_cast<std::size_t>(i)] == v;
                        if (!dup)
                            n[static_cast<std::size_t>(count++)] = v;
                    }
                    mb = op.stopRequested ? 0 : ChooseMegaBall();
                    for (int i = 1; i < 5; ++i) // ascending
                        for (int j = i; j > 0 && n[static_cast<std::size_t>(j - 1)] > n[static_cast<std::size_t>(j)]; --j)
                            std::swap(n[static_cast<std::size_t>(j - 1)], n[static_cast<std::size_t>(j)]);
                    shown = n;
                    shownRow = r;
                    if (!acceptable(n.data(), mb, r)) {
                        n.fill(0);
                        mb = 0;
                        count = 0;
                    }
                }
            }
            if (runCounter_ >= laufMax_) {
                n.fill(0); // the tip of the attempt that reached the budget is dropped too
                mb = 0;
                count = 0;
            }
            std::sort(n.begin(), n.end());
            tips_.row(r).sumCaption = std::to_string(n[0] + n[1] + n[2] + n[3] + n[4]);
        }
        writeRow(r, n, mb, spare);
        EarlierRows[static_cast<std::size_t>(r)] = n;
        std::uint64_t lo = 0, hi = 0;
        for (int v : n) {
            if (v <= 0 || v > 127)
                continue;
            if (v < 64)
                lo |= std::uint64_t{1} << v;
            else
                hi |= std::uint64_t{1} << (v - 64);
        }
        earlierMaskLo[static_cast<std::size_t>(r)] = lo;
        earlierMaskHi[static_cast<std::size_t>(r)] = hi;
        host_.changed();
    }
}

} // namespace rz
