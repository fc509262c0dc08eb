// The candidate pool: built from the statistics tables, or from the number
// selection list the user edited.
#include "generator/Generator.h"

#include "common/Round.h"
#include "common/Text.h"
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
    auto title = [this](Msg line) { host_.setStatus(host_.text(line)); };

    // Consecutive groups: frequent and rarest, for pairs, triples, quads.
    struct GroupStep {
        Gs frequent, rarest;
        Msg line;
        int size, lastKey;
        StatisticsKind kind;
    };
    const GroupStep groups[] = {
        {Gs::PreferPairs, Gs::PairsRarest, Msg::CalculatingPairs, 2, 69, StatisticsKind::Pairs},
        {Gs::PreferTriples, Gs::TriplesRarest, Msg::CalculatingTriples, 3, 68, StatisticsKind::Triples},
        {Gs::PreferQuads, Gs::QuadsRarest, Msg::CalculatingQuads, 4, 67, StatisticsKind::Quads},
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
            for (int n = 1; n <= kMainNumberMax; ++n) {
                const int v = value(n);
                if (lower <= v && v <= upper)
                    for (int t = 0; t < times; ++t)
                        pool.append(n);
            }
        }
    };
    if (s.on(Gs::PreferFrequent)) {
        title(Msg::CalculatingFrequency);
        compute(StatisticsKind::Frequency);
        topPasses(s.get(Gs::PreferFrequentPercent));
    }
    if (s.on(Gs::PreferRare)) {
        if (!s.on(Gs::PreferFrequent)) {
            title(Msg::CalculatingFrequency);
            compute(StatisticsKind::Frequency);
        }
        const int x = s.get(Gs::PreferRarePercent);
        const double mx = table->RangeMax, mn = table->RangeMin, d = mx - mn;
        const long long lower = Round(mn);
        for (int pass = 1; pass <= 2; ++pass) {
            const double share = static_cast<double>(x) / (pass == 1 ? 100.0 : 200.0);
            const long long upper = Round(mn + share * d);
            status(lower, upper);
            for (int n = 1; n <= kMainNumberMax; ++n) {
                const int v = value(n);
                if (lower <= v && v <= upper)
                    for (int t = 0; t < (pass == 1 ? 2 : 1); ++t)
                        pool.append(n);
            }
        }
    }
    if (s.on(Gs::PreferOverdue)) {
        title(Msg::CalculatingOverdue);
        compute(StatisticsKind::Overdue);
        topPasses(s.get(Gs::PreferOverduePercent));
    }
    if (s.on(Gs::PreferNeighbours)) {
        title(Msg::CalculatingNeighbours);
        for (int i = 1; i <= 5; ++i) {
            const int v = LastDrawings[1].n[static_cast<std::size_t>(i)];
            if (v > 1)
                for (int t = 0; t < 4; ++t)
                    pool.append(v - 1);
            if (v < kMainNumberMax)
                for (int t = 0; t < 4; ++t)
                    pool.append(v + 1);
        }
    }
    if (!s.on(Gs::PreferredOnly)) {
        pool.append(0);
        for (int n = 1; n <= kMainNumberMax; ++n)
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
        list.Zufall = host_.text(Msg::NumberListRandom);
        list.Stopp = host_.text(Msg::NumberListStop);
        list.MaxZahl = kMainNumberMax;
        for (int n = 1; n <= kMainNumberMax; ++n) {
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
    for (int n = 1; n <= kMainNumberMax; ++n) {
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

} // namespace rz
