// The statistics buttons of the main window: each reads the database once,
// computes its table over the statistics window (statistics/Statistics.h)
// and publishes it in `chart`.
#include <cstdint>
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
    RecordBlockReader reader(m.DatabasePath());
    m.aktDatum = m.StatisticsStartDate();
    Pass p;
    p.window.start = m.aktDatum;
    p.window.end = m.DatabaseEndDate();
    if (copyEndToDfb)
        m.dfb = p.window.end;
    m.chart.Entries.clear();
    std::vector<std::uint8_t>& buffer = passBuffer();
    p.records.count = reader.readAll(buffer);
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

} // namespace

void MainModel::SpeedButton2Click() {
    BusyGuard busy(*this);
    const Pass p = beginPass(*this, true);
    publish(*this, numberFrequency(p.records, p.window, Memo2));
    changed();
}

void MainModel::Button5Click() {
    BusyGuard busy(*this);
    const Pass p = beginPass(*this, true);
    publish(*this, numberOverdue(p.records, p.window, Memo2));
    showTab(Tab::Chart);
    changed();
}

void MainModel::SpeedButton3Click() {
    BusyGuard busy(*this);
    const Pass p = beginPass(*this, true);
    publish(*this, megaBallFrequency(p.records, p.window, Memo2));
    changed();
}

void MainModel::Button8Click() {
    BusyGuard busy(*this);
    const Pass p = beginPass(*this, true);
    publish(*this, megaBallOverdue(p.records, p.window, Memo2));
    // During a generation run the generator keeps the tab it shows.
    if (!Berechnunglaeuft)
        showTab(Tab::Chart);
    changed();
}

void MainModel::Button2Click() {
    BusyGuard busy(*this);
    const Pass p = beginPass(*this, false); // the end date stays local here
    publish(*this, consecutiveRuns(p.records, p.window, 2, Memo2));
    showTab(Tab::Chart);
    changed();
}

void MainModel::Button3Click() {
    BusyGuard busy(*this);
    const Pass p = beginPass(*this, true);
    publish(*this, consecutiveRuns(p.records, p.window, 3, Memo2));
    showTab(Tab::Chart);
    changed();
}

void MainModel::Button4Click() {
    BusyGuard busy(*this);
    const Pass p = beginPass(*this, true);
    publish(*this, consecutiveRuns(p.records, p.window, 4, Memo2));
    showTab(Tab::Chart);
    changed();
}

void MainModel::SpeedButton9Click() {
    BusyGuard busy(*this);
    const Pass p = beginPass(*this, true);
    publish(*this, drawingSums(p.records, p.window, Memo2));
    changed();
}

void MainModel::Button6Click() {
    BusyGuard busy(*this);
    chart.Entries.clear();
    publish(*this, tipDistribution(tips, Memo2));
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
