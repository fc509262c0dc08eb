// Statistics over the drawing window: number and MegaBall frequency and
// overdue counts, runs of consecutive numbers, sums, and the number
// distribution of the current tips, as pure functions over the records.
#include "statistics/Statistics.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "services/MessageTable.h"
#include "common/Round.h"
#include "common/Text.h"
#include "database/DrawingDatabase.h"
#include "database/GameFormat.h"
#include "tips/TipSet.h"

namespace rz {
namespace {

constexpr int kMainMax = kMainNumberMax;
constexpr int kMegaBallMax = kMegaBallFieldMax;
constexpr int kSumCapacity = 350; // sums 0..350 fit the sum table

constexpr bool isPrime(int n) {
    if (n < 2)
        return false;
    for (int d = 2; d * d <= n; ++d)
        if (n % d == 0)
            return false;
    return true;
}

DayNumber dateOf(const std::uint8_t* rec) { return RecordBlockReader::date(rec); }
int numberOf(const std::uint8_t* rec, int i) { return RecordBlockReader::number(rec, i); }

enum class Colouring { Primes, Green };

// Entries for keys first..last from values[key]; the range starts at the first
// key's value and widens over all keys.
void publish(StatisticsTable& t, const int* values, int first, int last, Colouring colouring) {
    t.Entries.clear();
    t.RangeMin = values[first];
    t.RangeMax = values[first];
    for (int k = first; k <= last; ++k) {
        const int v = values[k];
        const Colour c = (colouring == Colouring::Primes && isPrime(k)) ? Colour::Red : Colour::BarGreen;
        t.Entries.push_back(StatisticsEntry{k, v, c});
        t.RangeMin = std::min(t.RangeMin, v);
        t.RangeMax = std::max(t.RangeMax, v);
    }
    t.fixedAxis = true;
}

// Title "<head>     <drawings label>: <n>    <sum label>: <average>".
std::string averageTitle(const MessageTable& m, int headLine, int drawingsLine, std::int64_t drawings,
                         std::int64_t total) {
    const long long average = Round(static_cast<double>(total) / static_cast<double>(drawings));
    std::string t = m.line(headLine);
    t.append("     ").append(m.line(drawingsLine)).append(": ").append(std::to_string(drawings));
    t.append("    ").append(m.line(Msg::Sum)).append(": ").append(std::to_string(average));
    return t;
}

// Title "<drawings label>: <n>   <found label>:<groups>".
std::string groupTitle(const MessageTable& m, int foundLine, std::int64_t drawings, std::int64_t groups) {
    std::string t = m.line(Msg::DrawingsCount);
    t.append(": ").append(std::to_string(drawings));
    t.append("   ").append(m.line(foundLine)).append(":").append(std::to_string(groups));
    return t;
}

} // namespace

// ------------------------------------------------------------ main numbers

StatisticsOutcome numberFrequency(const RecordSpan& p, StatisticsWindow w, const MessageTable& messages) {
    std::array<int, kMainMax + 1> count{};
    std::int64_t drawings = 0;
    std::int64_t total = 0;
    for (std::size_t i = 0; i < p.count; ++i) {
        const std::uint8_t* rec = p.record(i);
        const DayNumber d = dateOf(rec);
        if (!(d >= w.start && d <= w.end))
            continue;
        for (int k = 1; k <= 5; ++k) {
            const int n = numberOf(rec, k);
            total += n; // the sum takes the stored numbers as they are
            if (n >= 1 && n <= kMainMax)
                ++count[static_cast<std::size_t>(n)];
        }
        ++drawings;
    }
    StatisticsOutcome out;
    out.table.Kind = StatisticsKind::Frequency;
    publish(out.table, count.data(), 1, kMainMax, Colouring::Primes);
    if (drawings > 0)
        out.title = averageTitle(messages, 46, 32, drawings, total);
    return out;
}

StatisticsOutcome numberOverdue(const RecordSpan& p, StatisticsWindow w, const MessageTable& messages) {
    // lastSeen[n]: ordinal (from 1) of the last drawing in the window holding n.
    std::array<int, kMainMax + 1> lastSeen{};
    int drawings = 0;
    for (std::size_t i = 0; i < p.count; ++i) {
        const std::uint8_t* rec = p.record(i);
        const DayNumber d = dateOf(rec);
        if (!(d >= w.start && d <= w.end))
            continue;
        ++drawings;
        for (int k = 1; k <= 5; ++k) {
            const int n = numberOf(rec, k);
            if (n >= 1 && n <= kMainMax)
                lastSeen[static_cast<std::size_t>(n)] = drawings;
        }
    }
    std::array<int, kMainMax + 1> overdue{};
    for (int n = 1; n <= kMainMax; ++n)
        overdue[static_cast<std::size_t>(n)] = drawings - lastSeen[static_cast<std::size_t>(n)];
    StatisticsOutcome out;
    out.table.Kind = StatisticsKind::Overdue;
    publish(out.table, overdue.data(), 1, kMainMax, Colouring::Primes);
    out.title = messages.line(Msg::OverdueTitle);
    return out;
}

// ---------------------------------------------------------------- MegaBall

StatisticsOutcome megaBallFrequency(const RecordSpan& p, StatisticsWindow w, const MessageTable& messages) {
    std::array<int, kMegaBallMax + 1> count{};
    for (std::size_t i = 0; i < p.count; ++i) {
        const std::uint8_t* rec = p.record(i);
        const DayNumber d = dateOf(rec);
        if (!(d >= w.start && d <= w.end))
            continue;
        const int mb = numberOf(rec, 7);
        if (mb >= 1 && mb <= kMegaBallMax)
            ++count[static_cast<std::size_t>(mb)];
    }
    StatisticsOutcome out;
    out.table.Kind = StatisticsKind::MegaBallFrequency;
    publish(out.table, count.data(), 1, kMegaBallMax, Colouring::Green);
    out.title = messages.line(Msg::MegaBallFrequencyTitle);
    return out;
}

StatisticsOutcome megaBallOverdue(const RecordSpan& p, StatisticsWindow w, const MessageTable& messages) {
    std::array<int, kMegaBallMax + 1> lastSeen{};
    int drawings = 0;
    for (std::size_t i = 0; i < p.count; ++i) {
        const std::uint8_t* rec = p.record(i);
        const DayNumber d = dateOf(rec);
        if (!(d >= w.start && d <= w.end))
            continue;
        ++drawings;
        const int mb = numberOf(rec, 7);
        if (mb >= 1 && mb <= kMegaBallMax)
            lastSeen[static_cast<std::size_t>(mb)] = drawings;
    }
    std::array<int, kMegaBallMax + 1> overdue{};
    for (int n = 1; n <= kMegaBallMax; ++n)
        overdue[static_cast<std::size_t>(n)] = drawings - lastSeen[static_cast<std::size_t>(n)];
    StatisticsOutcome out;
    out.table.Kind = StatisticsKind::MegaBallOverdue;
    publish(out.table, overdue.data(), 1, kMegaBallMax, Colouring::Green);
    out.title = messages.line(Msg::MegaBallOverdueTitle);
    return out;
}

// ------------------------------------------------- pairs, triples, quads

StatisticsOutcome consecutiveRuns(const RecordSpan& p, StatisticsWindow w, int size, const MessageTable& messages) {
    const int lastKey = kMainMax - size + 1; // highest first number of a run within 1..70
    std::array<int, kMainMax + 1> count{};
    std::int64_t drawings = 0;
    std::int64_t groups = 0;
    std::array<bool, kMainMax + 4> present{};
    const std::uint8_t* last = nullptr; // the last drawing counted
    for (std::size_t i = 0; i < p.count; ++i) {
        const std::uint8_t* rec = p.record(i);
        const DayNumber d = dateOf(rec);
        if (!(d > w.start && d <= w.end))
            continue;
        ++drawings;
        last = rec;
        // Distinct numbers of the drawing within 1..70 (a repeated number forms no run with itself).
        int firsts[5];
        int distinct = 0;
        for (int k = 1; k <= 5; ++k) {
            const int n = numberOf(rec, k);
            if (n >= 1 && n <= kMainMax && !present[static_cast<std::size_t>(n)]) {
                present[static_cast<std::size_t>(n)] = true;
                firsts[distinct++] = n;
            }
        }
        for (int j = 0; j < distinct; ++j) {
            const int n = firsts[j];
            if (n > lastKey)
                continue;
            bool run = true;
            for (int s = 1; s < size && run; ++s)
                run = present[static_cast<std::size_t>(n + s)];
            if (run) {
                ++count[static_cast<std::size_t>(n)];
                ++groups;
            }
        }
        for (int j = 0; j < distinct; ++j)
            present[static_cast<std::size_t>(firsts[j])] = false;
    }
    StatisticsOutcome out;
    out.table.Kind = size == 2 ? StatisticsKind::Pairs : size == 3 ? StatisticsKind::Triples : StatisticsKind::Quads;
    if (last) {
        std::array<std::int32_t, 9> slots{};
        for (int k = 1; k <= 8; ++k)
            slots[static_cast<std::size_t>(k)] = numberOf(last, k);
        out.lastCounted = slots;
    }
    // Pairs show keys 1..69, triples 1..68; quads all 70 keys (68..70 hold no
    // run of four and stay 0) on a value axis that scales itself from 0.
    const int foundLine = size == 2 ? 54 : size == 3 ? 55 : 57;
    publish(out.table, count.data(), 1, size == 4 ? kMainMax : lastKey, Colouring::Green);
    if (size == 4) {
        out.table.RangeMin = 0;
        out.table.fixedAxis = false;
    }
    out.title = groupTitle(messages, foundLine, drawings, groups);
    return out;
}

// ------------------------------------------------------------------- sums

StatisticsOutcome drawingSums(const RecordSpan& p, StatisticsWindow w, const MessageTable& messages) {
    std::array<int, kSumCapacity + 1> count{};
    int smallest = 500;
    int largest = 0;
    std::int64_t drawings = 0;
    std::int64_t total = 0;
    for (std::size_t i = 0; i < p.count; ++i) {
        const std::uint8_t* rec = p.record(i);
        const DayNumber d = dateOf(rec);
        if (!(d > w.start && d <= w.end))
            continue;
        int s = 0;
        for (int k = 1; k <= 5; ++k)
            s += numberOf(rec, k);
        if (s > kSumCapacity)
            continue; // an older game's drawing beyond the table: left out entirely
        ++count[static_cast<std::size_t>(s)];
        smallest = std::min(smallest, s);
        largest = std::max(largest, s);
        ++drawings;
        total += s;
    }
    StatisticsOutcome out;
    out.table.Kind = StatisticsKind::Sums;
    StatisticsTable& t = out.table;
    t.RangeMin = 0;
    t.RangeMax = 0;
    for (int k = smallest; k <= largest; ++k) {
        const int v = count[static_cast<std::size_t>(k)];
        t.Entries.push_back(StatisticsEntry{k, v, Colour::BarGreen});
        t.RangeMax = std::max(t.RangeMax, v);
    }
    t.fixedAxis = false;
    if (drawings > 0)
        out.title = averageTitle(messages, 56, 53, drawings, total);
    return out;
}

// ------------------------------------------------------ tip distribution

StatisticsOutcome tipDistribution(const TipSet& tips, const MessageTable& messages) {
    std::array<int, kMainMax + 1> count{};
    bool counting = true;
    for (int r = 1; r <= TipSet::kRows && counting; ++r) {
        for (int k = 1; k <= 5; ++k) {
            std::int32_t n = 0;
            if (!tryParseInt(tips.get(r, k), n)) {
                counting = false; // the first field without a number ends the count
                break;
            }
            if (n >= 0 && n <= kMainMax)
                ++count[static_cast<std::size_t>(n)];
        }
    }
    StatisticsOutcome out;
    out.table.Kind = StatisticsKind::TipDistribution;
    publish(out.table, count.data(), 1, kMainMax, Colouring::Primes);
    out.title = messages.line(Msg::TipDistributionTitle);
    return out;
}

namespace {

// A step of 1, 2 or 5 times a power of ten giving about five ticks.
int niceStep(int span) {
    if (span <= 5)
        return 1;
    const double raw = span / 5.0;
    const double mag = std::pow(10.0, std::floor(std::log10(raw)));
    for (double m : {1.0, 2.0, 5.0, 10.0})
        if (m * mag >= raw)
            return std::max(1, static_cast<int>(m * mag));
    return std::max(1, static_cast<int>(10 * mag));
}

} // namespace

ChartValueAxis chartValueAxis(const StatisticsTable& t) {
    ChartValueAxis a;
    if (t.fixedAxis) {
        const int least = t.RangeMin;
        a.hi = std::max(t.RangeMax, least + 1);
        a.step = niceStep(a.hi - least);
        // A round step below the smallest value, so that its bar has a height.
        a.lo = least > 0 ? (least - 1) / a.step * a.step : least;
        return a;
    }
    a.lo = 0;
    int hi = t.RangeMax;
    for (const auto& e : t.Entries)
        hi = std::max(hi, e.Value);
    hi = std::max(hi, 1);
    a.step = niceStep(hi);
    a.hi = (hi + a.step - 1) / a.step * a.step;
    return a;
}

} // namespace rz
