// Statistics over the drawing window: number and MegaBall frequency and
// overdue counts, runs of consecutive numbers, sums, and the number
// distribution of the current tips. Each routine replaces `chart`.
#include <algorithm>
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "app/MainModel.h"
#include "common/Round.h"
#include "common/Text.h"

namespace rz {
namespace {

constexpr int kMainMax = 70;
constexpr int kMegaBallMax = 25;
constexpr int kSumCapacity = 350; // sums 0..350 fit the sum table

constexpr bool isPrime(int n) {
    if (n < 2)
        return false;
    for (int d = 2; d * d <= n; ++d)
        if (n % d == 0)
            return false;
    return true;
}

// Restores the normal cursor however the routine ends (an IoError included).
class BusyGuard {
public:
    explicit BusyGuard(MainModel& m) : m_(m) { m_.setBusy(true); }
    ~BusyGuard() { m_.setBusy(false); }
    BusyGuard(const BusyGuard&) = delete;
    BusyGuard& operator=(const BusyGuard&) = delete;

private:
    MainModel& m_;
};

// The record bytes of the last pass; kept so that a pass allocates nothing.
std::vector<std::uint8_t>& passBuffer() {
    thread_local std::vector<std::uint8_t> buffer;
    return buffer;
}

struct Pass {
    const std::uint8_t* data = nullptr;
    std::size_t count = 0;
    DayNumber start = 0.0;
    DayNumber end = 0.0;
    const std::uint8_t* record(std::size_t i) const { return data + i * DrawingRecord::kSize; }
};

// Opens the database, takes the window dates, clears the chart, then reads
// every whole record. A file that cannot be opened leaves the chart as it was.
Pass beginPass(MainModel& m, bool copyEndToDfb) {
    RecordBlockReader reader(m.DatabasePath());
    m.aktDatum = m.StatisticsStartDate();
    Pass p;
    p.start = m.aktDatum;
    p.end = m.DatabaseEndDate();
    if (copyEndToDfb)
        m.dfb = p.end;
    m.chart.Entries.clear();
    std::vector<std::uint8_t>& buffer = passBuffer();
    p.count = reader.readAll(buffer);
    p.data = buffer.data();
    return p;
}

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
std::string averageTitle(const MainModel& m, int headLine, int drawingsLine, std::int64_t drawings, std::int64_t total) {
    const long long average = Round(static_cast<double>(total) / static_cast<double>(drawings));
    std::string t = m.msg(headLine);
    t.append("     ").append(m.msg(drawingsLine)).append(": ").append(std::to_string(drawings));
    t.append("    ").append(m.msg(43)).append(": ").append(std::to_string(average));
    return t;
}

// Title "<drawings label>: <n>   <found label>:<groups>".
std::string groupTitle(const MainModel& m, int foundLine, std::int64_t drawings, std::int64_t groups) {
    std::string t = m.msg(53);
    t.append(": ").append(std::to_string(drawings));
    t.append("   ").append(m.msg(foundLine)).append(":").append(std::to_string(groups));
    return t;
}

// Runs of consecutive numbers among one drawing's main numbers.
enum class Group { Pairs = 2, Triples = 3, Quads = 4 };

// Counts, over the drawings with start < date <= end, every run of `size`
// consecutive numbers by its first number; the number slots of the current
// drawing take each counted record's numbers. Returns the drawings counted.
std::int64_t countGroups(MainModel& m, const Pass& p, Group group, std::array<int, kMainMax + 1>& count,
                         std::int64_t& groups) {
    const int size = static_cast<int>(group);
    const int lastKey = kMainMax - size + 1; // highest first number of a run within 1..70
    std::int64_t drawings = 0;
    groups = 0;
    std::array<bool, kMainMax + 4> present{};
    for (std::size_t i = 0; i < p.count; ++i) {
        const std::uint8_t* rec = p.record(i);
        const DayNumber d = RecordBlockReader::date(rec);
        if (!(d > p.start && d <= p.end))
            continue;
        ++drawings;
        for (int k = 1; k <= 8; ++k)
            m.cur.Zahl[static_cast<std::size_t>(k)] = RecordBlockReader::number(rec, k);
        // Distinct numbers of the drawing within 1..70 (a repeated number forms no run with itself).
        int firsts[5];
        int distinct = 0;
        for (int k = 1; k <= 5; ++k) {
            const int n = RecordBlockReader::number(rec, k);
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
    return drawings;
}

} // namespace

// ------------------------------------------------------------ main numbers

void MainModel::SpeedButton2Click() {
    BusyGuard busyGuard(*this);
    const Pass p = beginPass(*this, true);
    std::array<int, kMainMax + 1> count{};
    std::int64_t drawings = 0;
    std::int64_t total = 0;
    for (std::size_t i = 0; i < p.count; ++i) {
        const std::uint8_t* rec = p.record(i);
        const DayNumber d = RecordBlockReader::date(rec);
        if (!(d >= p.start && d <= p.end))
            continue;
        for (int k = 1; k <= 5; ++k) {
            const int n = RecordBlockReader::number(rec, k);
            total += n; // the sum takes the stored numbers as they are
            if (n >= 1 && n <= kMainMax)
                ++count[static_cast<std::size_t>(n)];
        }
        ++drawings;
    }
    publish(chart, count.data(), 1, kMainMax, Colouring::Primes);
    chart.Kind = StatisticsKind::Frequency;
    // Without a drawing there is no average: the previous title stays.
    if (drawings > 0)
        chart.Title = averageTitle(*this, 46, 32, drawings, total);
    changed();
}

void MainModel::Button5Click() {
    BusyGuard busyGuard(*this);
    const Pass p = beginPass(*this, true);
    // lastSeen[n]: ordinal (from 1) of the last drawing in the window holding n.
    std::array<int, kMainMax + 1> lastSeen{};
    int drawings = 0;
    for (std::size_t i = 0; i < p.count; ++i) {
        const std::uint8_t* rec = p.record(i);
        const DayNumber d = RecordBlockReader::date(rec);
        if (!(d >= p.start && d <= p.end))
            continue;
        ++drawings;
        for (int k = 1; k <= 5; ++k) {
            const int n = RecordBlockReader::number(rec, k);
            if (n >= 1 && n <= kMainMax)
                lastSeen[static_cast<std::size_t>(n)] = drawings;
        }
    }
    std::array<int, kMainMax + 1> overdue{};
    for (int n = 1; n <= kMainMax; ++n)
        overdue[static_cast<std::size_t>(n)] = drawings - lastSeen[static_cast<std::size_t>(n)];
    publish(chart, overdue.data(), 1, kMainMax, Colouring::Primes);
    chart.Kind = StatisticsKind::Overdue;
    chart.Title = msg(26);
    showTab(Tab::Chart);
    changed();
}

// ---------------------------------------------------------------- MegaBall

void MainModel::SpeedButton3Click() {
    BusyGuard busyGuard(*this);
    const Pass p = beginPass(*this, true);
    std::array<int, kMegaBallMax + 1> count{};
    for (std::size_t i = 0; i < p.count; ++i) {
        const std::uint8_t* rec = p.record(i);
        const DayNumber d = RecordBlockReader::date(rec);
        if (!(d >= p.start && d <= p.end))
            continue;
        const int mb = RecordBlockReader::number(rec, 7);
        if (mb >= 1 && mb <= kMegaBallMax)
            ++count[static_cast<std::size_t>(mb)];
    }
    publish(chart, count.data(), 1, kMegaBallMax, Colouring::Green);
    chart.Kind = StatisticsKind::MegaBallFrequency;
    chart.Title = msg(47);
    changed();
}

void MainModel::Button8Click() {
    BusyGuard busyGuard(*this);
    const Pass p = beginPass(*this, true);
    std::array<int, kMegaBallMax + 1> lastSeen{};
    int drawings = 0;
    for (std::size_t i = 0; i < p.count; ++i) {
        const std::uint8_t* rec = p.record(i);
        const DayNumber d = RecordBlockReader::date(rec);
        if (!(d >= p.start && d <= p.end))
            continue;
        ++drawings;
        const int mb = RecordBlockReader::number(rec, 7);
        if (mb >= 1 && mb <= kMegaBallMax)
            lastSeen[static_cast<std::size_t>(mb)] = drawings;
    }
    std::array<int, kMegaBallMax + 1> overdue{};
    for (int n = 1; n <= kMegaBallMax; ++n)
        overdue[static_cast<std::size_t>(n)] = drawings - lastSeen[static_cast<std::size_t>(n)];
    publish(chart, overdue.data(), 1, kMegaBallMax, Colouring::Green);
    chart.Kind = StatisticsKind::MegaBallOverdue;
    chart.Title = msg(10);
    // During a generation run the generator keeps the tab it shows.
    if (!Berechnunglaeuft)
        showTab(Tab::Chart);
    changed();
}

// ------------------------------------------------- pairs, triples, quads

void MainModel::Button2Click() {
    BusyGuard busyGuard(*this);
    const Pass p = beginPass(*this, false); // the end date stays local here
    std::array<int, kMainMax + 1> count{};
    std::int64_t groups = 0;
    const std::int64_t drawings = countGroups(*this, p, Group::Pairs, count, groups);
    publish(chart, count.data(), 1, kMainMax - 1, Colouring::Green);
    chart.Kind = StatisticsKind::Pairs;
    chart.Title = groupTitle(*this, 54, drawings, groups);
    showTab(Tab::Chart);
    changed();
}

void MainModel::Button3Click() {
    BusyGuard busyGuard(*this);
    const Pass p = beginPass(*this, true);
    std::array<int, kMainMax + 1> count{};
    std::int64_t groups = 0;
    const std::int64_t drawings = countGroups(*this, p, Group::Triples, count, groups);
    publish(chart, count.data(), 1, kMainMax - 2, Colouring::Green);
    chart.Kind = StatisticsKind::Triples;
    chart.Title = groupTitle(*this, 55, drawings, groups);
    showTab(Tab::Chart);
    changed();
}

void MainModel::Button4Click() {
    BusyGuard busyGuard(*this);
    const Pass p = beginPass(*this, true);
    std::array<int, kMainMax + 1> count{}; // keys 68..70 can hold no run of four and stay 0
    std::int64_t groups = 0;
    const std::int64_t drawings = countGroups(*this, p, Group::Quads, count, groups);
    publish(chart, count.data(), 1, kMainMax, Colouring::Green);
    chart.Kind = StatisticsKind::Quads;
    // The value axis scales itself from the bars' base 0.
    chart.RangeMin = 0;
    chart.fixedAxis = false;
    chart.Title = groupTitle(*this, 57, drawings, groups);
    showTab(Tab::Chart);
    changed();
}

// ------------------------------------------------------------------- sums

void MainModel::SpeedButton9Click() {
    BusyGuard busyGuard(*this);
    const Pass p = beginPass(*this, true);
    std::array<int, kSumCapacity + 1> count{};
    int smallest = 500;
    int largest = 0;
    std::int64_t drawings = 0;
    std::int64_t total = 0;
    for (std::size_t i = 0; i < p.count; ++i) {
        const std::uint8_t* rec = p.record(i);
        const DayNumber d = RecordBlockReader::date(rec);
        if (!(d > p.start && d <= p.end))
            continue;
        int s = 0;
        for (int k = 1; k <= 5; ++k)
            s += RecordBlockReader::number(rec, k);
        if (s > kSumCapacity)
            continue; // an older game's drawing beyond the table: left out entirely
        ++count[static_cast<std::size_t>(s)];
        smallest = std::min(smallest, s);
        largest = std::max(largest, s);
        ++drawings;
        total += s;
    }
    chart.Entries.clear();
    chart.RangeMin = 0;
    chart.RangeMax = 0;
    for (int k = smallest; k <= largest; ++k) {
        const int v = count[static_cast<std::size_t>(k)];
        chart.Entries.push_back(StatisticsEntry{k, v, Colour::BarGreen});
        chart.RangeMax = std::max(chart.RangeMax, v);
    }
    chart.fixedAxis = false;
    chart.Kind = StatisticsKind::Sums;
    if (drawings > 0)
        chart.Title = averageTitle(*this, 56, 53, drawings, total);
    changed();
}

// ------------------------------------------------------ tip distribution

void MainModel::Button6Click() {
    BusyGuard busyGuard(*this);
    chart.Entries.clear();
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
    publish(chart, count.data(), 1, kMainMax, Colouring::Primes);
    chart.Kind = StatisticsKind::TipDistribution;
    chart.Title = msg(25);
    showTab(Tab::Chart);
    changed();
}

// ------------------------------------------------- show the tab, then run

void MainModel::SpeedButton26Click() {
    showTab(Tab::Chart);
    SpeedButton2Click();
}

void MainModel::SuperseltenClick() {
    showTab(Tab::Chart);
    SpeedButton3Click();
}

void MainModel::SuperAusClick() {
    Button8Click();
}

void MainModel::Label89Click() {
    showTab(Tab::Chart);
    Button2Click();
}

void MainModel::Label91Click() {
    showTab(Tab::Chart);
    Button3Click();
}

void MainModel::Label90Click() {
    showTab(Tab::Chart);
    Button4Click();
}

void MainModel::Label88Click() {
    showTab(Tab::Chart);
    SpeedButton9Click();
}

} // namespace rz
