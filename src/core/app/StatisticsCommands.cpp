// The statistics buttons of the main window: each reads the database once
// (or takes the records a run or an analysis holds),
// computes its table over the statistics window (statistics/Statistics.h)
// and publishes it in `chart`.
#include <cstdint>
#include <optional>
#include <vector>

#include "app/MainModel.h"
#include "statistics/Statistics.h"

namespace rz {
namespace {

// The record bytes of the last pass; kept so that a pass allocates nothing.
std::vector<std::uint8_t>& passBuffer() {
    thread_local std::vector<std::uint8_t> buffer;
    return buffer;
}

struct Pass {
    RecordSpan records;
    StatisticsWindow window;
};

// Opens the database, takes the window dates, clears the chart, then reads
// every whole record. A file that cannot be opened leaves the chart as it was.
Pass beginPass(MainModel& m, bool copyEndToDfb) {
    // The records a run or an analysis holds, else the file read now.
    std::optional<RecordBlockReader> reader;
    if (!m.heldRecords)
        reader.emplace(m.DatabasePath());
    m.aktDatum = m.StatisticsStartDate();
    Pass p;
    p.window.start = m.aktDatum;
    p.window.end = m.DatabaseEndDate();
    if (copyEndToDfb)
        m.dfb = p.window.end;
    m.chart.Entries.clear();
    if (m.heldRecords) {
        p.records.count = m.heldRecords->count;
        p.records.data = m.heldRecords->bytes.data();
        return p;
    }
    std::vector<std::uint8_t>& buffer = passBuffer();
    p.records.count = reader->readAll(buffer);
    p.records.data = buffer.data();
    return p;
}

void publish(MainModel& m, StatisticsOutcome&& out) {
    std::string title = std::move(m.chart.Title);
    m.chart = std::move(out.table);
    m.chart.Title = out.title ? std::move(*out.title) : std::move(title);
    if (out.lastCounted)
        for (std::size_t k = 1; k <= 8; ++k)
            m.cur.Zahl[k] = (*out.lastCounted)[k];
}

// Counts one table over the statistics window and publishes it; false for a
// table that does not come from the database.
bool count(MainModel& m, StatisticsKind kind) {
    switch (kind) {
    case StatisticsKind::Frequency:
    case StatisticsKind::Overdue:
    case StatisticsKind::MegaBallFrequency:
    case StatisticsKind::MegaBallOverdue:
    case StatisticsKind::Pairs:
    case StatisticsKind::Triples:
    case StatisticsKind::Quads:
    case StatisticsKind::Sums:
        break;
    default:
        return false;
    }
    BusyGuard busy(m);
    const Pass p = beginPass(m, kind != StatisticsKind::Pairs); // pairs keep the end date local
    switch (kind) {
    case StatisticsKind::Frequency:
        publish(m, numberFrequency(p.records, p.window, m.Memo2));
        break;
    case StatisticsKind::Overdue:
        publish(m, numberOverdue(p.records, p.window, m.Memo2));
        break;
    case StatisticsKind::MegaBallFrequency:
        publish(m, megaBallFrequency(p.records, p.window, m.Memo2));
        break;
    case StatisticsKind::MegaBallOverdue:
        publish(m, megaBallOverdue(p.records, p.window, m.Memo2));
        break;
    case StatisticsKind::Pairs:
        publish(m, consecutiveRuns(p.records, p.window, 2, m.Memo2));
        break;
    case StatisticsKind::Triples:
        publish(m, consecutiveRuns(p.records, p.window, 3, m.Memo2));
        break;
    case StatisticsKind::Quads:
        publish(m, consecutiveRuns(p.records, p.window, 4, m.Memo2));
        break;
    default:
        publish(m, drawingSums(p.records, p.window, m.Memo2));
        break;
    }
    return true;
}

} // namespace

void MainModel::SpeedButton2Click() {
    count(*this, StatisticsKind::Frequency);
    changed();
}

void MainModel::Button5Click() {
    count(*this, StatisticsKind::Overdue);
    showTab(Tab::Chart);
    changed();
}

void MainModel::SpeedButton3Click() {
    count(*this, StatisticsKind::MegaBallFrequency);
    changed();
}

void MainModel::Button8Click() {
    count(*this, StatisticsKind::MegaBallOverdue);
    // During a generation run the generator keeps the tab it shows.
    if (!Berechnunglaeuft)
        showTab(Tab::Chart);
    changed();
}

void MainModel::Button2Click() {
    count(*this, StatisticsKind::Pairs);
    showTab(Tab::Chart);
    changed();
}

void MainModel::Button3Click() {
    count(*this, StatisticsKind::Triples);
    showTab(Tab::Chart);
    changed();
}

void MainModel::Button4Click() {
    count(*this, StatisticsKind::Quads);
    showTab(Tab::Chart);
    changed();
}

void MainModel::SpeedButton9Click() {
    count(*this, StatisticsKind::Sums);
    changed();
}

void MainModel::Button6Click() {
    BusyGuard busy(*this);
    chart.Entries.clear();
    publish(*this, tipDistribution(tips, Memo2));
    showTab(Tab::Chart);
    changed();
}

void MainModel::recountChart() {
    if (count(*this, chart.Kind))
        changed();
}

void MainModel::DateTimePicker2Change(DayNumber date) {
    if (date == DateTimePicker2.date || !DateTimePicker2.setDate(date))
        return;
    // A run or an analysis counts its own tables; the chart follows at its end.
    if (!operation.running())
        recountChart();
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

void MainModel::SuperAusClick() { Button8Click(); }

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
