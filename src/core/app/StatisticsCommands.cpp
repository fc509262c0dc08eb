// The statistics buttons of the main window: each counts its table over the
// statistics window (app/StatisticsCounter.h) and shows it in `chart`.
#include "app/MainModel.h"
#include "app/StatisticsCounter.h"

namespace rz {

// The count's table on the chart; the window keeps its dates, and the
// drawing on display takes the numbers of the last drawing a table of runs
// counted.
void MainModel::showStatistics(const StatisticsCount& c) {
    aktDatum = c.window.start;
    if (c.keepsEndDate)
        dfb = c.window.end;
    chart = c.chart(std::move(chart.Title));
    if (c.lastDrawing)
        for (std::size_t k = 1; k <= 8; ++k)
            cur.Zahl[k] = (*c.lastDrawing)[k];
}

namespace {

// Counts one table over the statistics window (from the records a run or an
// analysis holds, else from the file) and shows it; false for a table that
// does not come from the database. A file that cannot be read leaves the
// chart as it was.
bool count(MainModel& m, StatisticsKind kind) {
    if (!StatisticsCounter::countsDrawings(kind))
        return false;
    BusyGuard busy(m);
    const StatisticsCounter counter(m.Memo2);
    const StatisticsWindow window{m.StatisticsStartDate(), m.DatabaseEndDate()};
    m.showStatistics(m.heldRecords ? counter.count(kind, *m.heldRecords, window)
                                   : counter.count(kind, m.DatabasePath(), window));
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
    StatisticsOutcome out = tipDistribution(tips, Memo2);
    std::string title = out.title ? std::move(*out.title) : std::move(chart.Title);
    chart = std::move(out.table);
    chart.Title = std::move(title);
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
