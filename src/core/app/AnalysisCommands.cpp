// The window's tip search (over app/TipSearch.h) and the two historic
// analyses on the "Datenbank" tab: the settings analysis replays the
// generator week by week over the past, the drawing analysis compares every
// drawing with the earlier ones and with the next one. Both analyses end with a plain-text report "Test.rtf" in the program folder, written by
// evaluation/AnalysisReports.cpp.
#include "evaluation/HistoricAnalysis.h"
#include "common/Text.h"

#include <array>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <limits>
#include <optional>
#include <span>
#include <stdexcept>
#include <vector>

#include "common/ProgramTexts.h"
#include "app/MainModel.h"
#include "app/TipSearch.h"
#include "services/Operation.h"
#include "common/Text.h"
#include "common/TextFile.h"
#include "common/IoError.h"
#include "database/DrawingDatabase.h"
#include "database/GameFormat.h"
#include "evaluation/Chance.h"
#include "evaluation/TipCheck.h"

namespace rz {

// ------------------------------------------------------------ shared pieces

namespace {

// The one sentence the status bar keeps after an analysis, instead of its
// last progress line.
std::string analysisEndText(std::int32_t passes, bool stopped) {
    return stopped ? txt(Txt::AnalysisEndedEarly) : txt(Txt::AnalysisFinished, {std::to_string(passes)});
}

// The window's event service while an analysis runs: events are passed on,
// but the many short commands inside a pass do not switch the cursor; it
// stays busy until the analysis ends.
class SteadyCursor : public IEvents {
public:
    explicit SteadyCursor(IEvents& inner) : inner_(inner) {}
    void processPendingEvents() override { inner_.processPendingEvents(); }
    void setBusyCursor(bool) override {}

private:
    IEvents& inner_;
};

// Marks the analysis as the running operation for its whole life. Repaints
// are held back while it runs: the window catches up when the loop yields
// (at most every 15 ms) and before each question, not after every step of
// every pass.
class AnalysisScope {
public:
    AnalysisScope(MainModel& m, OperationKind kind)
        : m_(m), operation_(std::in_place, m.operation, kind), repaint_(std::move(m.onChanged)),
          services_(m.services()), steady_(*services_.events), yield_(steady_, std::chrono::milliseconds(15), 1) {
        m_.onChanged = nullptr;
        m_.events().setBusyCursor(true);
        Services s = services_;
        s.events = &steady_;
        m_.setServices(s);
    }
    ~AnalysisScope() { finish(); }
    // The analysis is over: the window gets its services, its repaint and
    // its controls back and shows the final state at once, so that the
    // report and any message after it come over a finished window.
    void finish() {
        if (!operation_)
            return;
        m_.setServices(services_);
        m_.onChanged = std::move(repaint_);
        repaint_ = nullptr;
        operation_.reset();
        m_.setBusy(false);
        m_.changed();
    }
    AnalysisScope(const AnalysisScope&) = delete;
    AnalysisScope& operator=(const AnalysisScope&) = delete;

    void repaint() {
        if (repaint_)
            repaint_();
    }
    // Normal cursor and a repaint, before a message that ends the analysis.
    void idle() {
        m_.busy = false;
        services_.events->setBusyCursor(false);
        repaint();
    }
    // Lets the window repaint and take input (a stop request among it),
    // throttled so that the analysis spends its time on its passes.
    void yield() {
        yield_([this] { m_.busy = true; }); // the busy cursor stays while the analysis runs
    }

private:
    MainModel& m_;
    std::optional<OperationScope> operation_;
    std::function<void()> repaint_;
    Services services_;
    SteadyCursor steady_;
    Yielder yield_;
};

// ShowNumberList is off while the settings analysis runs and gets its old
// state back however the command ends.
class NumberListOff {
public:
    explicit NumberListOff(MainModel& m) : m_(m), old_(m.Settings.get(Gs::ShowNumberList)) {
        m_.Settings.set(Gs::ShowNumberList, 0);
    }
    ~NumberListOff() { m_.Settings.set(Gs::ShowNumberList, old_); }
    NumberListOff(const NumberListOff&) = delete;
    NumberListOff& operator=(const NumberListOff&) = delete;

private:
    MainModel& m_;
    int old_;
};

// Hit count of tip row 1 against one raw record, the same as Zettelcheck on
// the row's texts gives, without converting the texts for every record.
class RowOneCounter {
public:
    explicit RowOneCounter(const TipRow& row) {
        for (int j = 1; j <= 5; ++j) {
            std::int32_t v = 0;
            if (!tryParseInt(row.field[static_cast<std::size_t>(j)], v)) {
                firstInvalid_ = j;
                break;
            }
            values_[static_cast<std::size_t>(j)] = v;
        }
        if (firstInvalid_ > 5)
            for (int j = 1; j <= 5; ++j) {
                const std::int32_t v = values_[static_cast<std::size_t>(j)];
                if (v >= 0 && v <= 255)
                    ++count_[static_cast<std::size_t>(v)];
            }
    }
    int hits(const std::uint8_t* rec) const {
        if (firstInvalid_ <= 5) {
            // The count ends at the first text that is no number, during the
            // comparison with the first drawn number.
            const int z1 = RecordBlockReader::number(rec, 1);
            int g = 0;
            for (int j = 1; j < firstInvalid_; ++j)
                g += values_[static_cast<std::size_t>(j)] == z1;
            return g;
        }
        int g = 0;
        for (int i = 1; i <= 5; ++i)
            g += count_[RecordBlockReader::number(rec, i)];
        return g;
    }

private:
    int firstInvalid_ = 6;
    std::array<std::int32_t, 6> values_{};
    std::array<std::uint8_t, 256> count_{};
};

void takeRaw(CurrentDrawing& cur, const std::uint8_t* rec) {
    cur.Datum1 = RecordBlockReader::date(rec);
    for (int k = 1; k <= 8; ++k)
        cur.Zahl[static_cast<std::size_t>(k)] = RecordBlockReader::number(rec, k);
}

void zettelcheckRow(MainModel& m, int r) {
    const TipRow& row = m.tips.row(r);
    m.Zettelcheck(row.field[1], row.field[2], row.field[3], row.field[4], row.field[5], row.field[6], row.field[7]);
}

// Passes still to come from the drawing on display to the last stored one,
// one per week, plus the last drawing's second pass.
std::int32_t estimateWeeklyPasses(const MainModel& m) {
    const std::optional<DrawingRecord> last = m.database().readLast();
    if (!last)
        return 1;
    const double weeks = (last->Date - m.DatabaseEndDate()) / 7.0;
    return weeks > 0 ? static_cast<std::int32_t>(weeks) + 2 : 2;
}

// The opening both analyses share: a second click on the running one stops
// it, another long command keeps the window, and the user confirms the start.
bool confirmAnalysisStart(MainModel& m, OperationKind kind, Msg title, Msg askStart, Msg askEnd) {
    if (m.operation.running(kind)) {
        m.operation.requestStop();
        return false;
    }
    if (m.operation.running())
        return false; // another long command owns the window
    m.lastAnalysisOutcome = MainModel::AnalysisOutcome::None;
    if (!m.dialogs().askYesNo(m.msg(title),
                              m.msg(askStart) + formatShortDate(m.DatabaseEndDate(), m.sprache) + m.msg(askEnd))) {
        m.lastAnalysisOutcome = MainModel::AnalysisOutcome::Declined;
        return false;
    }
    return true;
}

const GameFormat& formatOf(DayNumber day) {
    const GameFormat* f = gameFormatOn(day);
    return f ? *f : gameFormats().front();
}

std::array<const std::string*, 6> rowTexts(const TipRow& row) {
    return {&row.field[1], &row.field[2], &row.field[3], &row.field[4], &row.field[5], &row.field[6]};
}

// The main-hit classes of the drawing analysis, the MegaBall left aside.
std::vector<double> mainHitProbabilities(const ClassProbabilities& p) {
    std::vector<double> out;
    for (const auto& k : p)
        out.push_back(k[0] + k[1]);
    return out;
}

std::vector<std::string> histogramClassNames(const char* table) {
    std::vector<std::string> names;
    for (int k = 0; k <= 5; ++k)
        names.push_back(table + std::to_string(k));
    return names;
}

// The last row the full check can evaluate (all five main texts numbers), 0 for none.
int lastCheckedRow(const TipSet& tips) {
    for (int r = TipSet::kRows; r >= 1; --r) {
        bool all = true;
        for (int k = 1; k <= 5 && all; ++k) {
            std::int32_t v = 0;
            all = tryParseInt(tips.get(r, k), v);
        }
        if (all)
            return r;
    }
    return 0;
}

} // namespace

void MainModel::analysisEscape() {
    if (operation.running(OperationKind::SettingsAnalysis) || operation.running(OperationKind::DrawingAnalysis))
        operation.requestStop(); // a generation run inside a pass stops at its next attempt
}

// ---------------------------------------------------------- settings analysis

void MainModel::BitBtn9Click() {
    if (!confirmAnalysisStart(*this, OperationKind::SettingsAnalysis, Msg::SettingsAnalysisTitle, Msg::SettingsAnalysisAskStart, Msg::SettingsAnalysisAskEnd))
        return;
    lastChance.clear();
    const TipUndoScope undo(*this, [] { return txt(Txt::UndoStepAnalysis); });
    NumberListOff numberListOff(*this);
    AnalysisScope scope(*this, OperationKind::SettingsAnalysis);

    DayNumber start = DatabaseEndDate();
    SpeedButton5Click();

    const std::string preset = std::to_string(rng.RandSeed);
    const std::string answer = dialogs().inputText(msg(Msg::LuckyNumberTitle), msg(Msg::LuckyNumberPrompt), preset).value_or(preset);
    try {
        std::int64_t seed = 0;
        if (!tryParseInt64(answer, seed))
            throw std::invalid_argument("seed");
        setStatus(msg(Msg::LuckyNumberSetStart) + std::to_string(seed) + msg(Msg::LuckyNumberSetEnd));
        HitClassTable sums{};
        ChanceTally chance(hitClassNames());
        std::int32_t passes = 0;
        const std::int32_t estimate = estimateWeeklyPasses(*this);
        bool stopped = false;

        // The file does not change while the analysis runs: the passes (the
        // run's lookups, statistics and history rules, the lookup after each
        // week's step) share the records read once here.
        std::optional<RecordSnapshot> records;
        if (database().exists()) {
            try {
                records = RecordSnapshot::read(DatabasePath());
            } catch (const IoError&) {
                // the commands read the file and report as they always do
            }
        }
        const HoldRecords hold(*this, records ? &*records : nullptr);

        DayNumber previous = today();
        // Each pass starts from a copy of what a run changes (RunState); a
        // stop in the middle of a pass takes the copy back.
        RunState before;
        while (previous != start) {
            if (operation.stopRequested) {
                stopped = true;
                break;
            }
            before = static_cast<const RunState&>(*this);
            previous = start;
            const DayNumber generatedFrom = cur.Datum1;
            rng.RandSeed = static_cast<std::uint32_t>(static_cast<std::uint64_t>(seed));
            generationRun();
            if (operation.stopRequested) {
                // The run was cut short: the window goes back to the last complete pass.
                static_cast<RunState&>(*this) = before;
                stopped = true;
                break;
            }
            DateTimePicker1.setDate(DatabaseEndDate() + 7.0);
            lookupEndDate(records ? &*records : nullptr);
            ++passes;
            for (std::size_t k = 0; k <= 5; ++k)
                for (std::size_t c = 0; c < 3; ++c)
                    sums[k][c] += Statistik[k][c];
            if (sortieren) {
                // Each row the check counted is one trial against the drawing
                // it was checked with; against the drawing the tips were made
                // from (the last pass) the outcome was no chance.
                const bool same = cur.Datum1 == generatedFrom;
                for (int r = 1; r <= TipSet::kRows; ++r) {
                    const ChanceTip tip = chanceTip(rowTexts(tips.row(r)));
                    if (tip.readable < 5)
                        continue;
                    if (same) {
                        const HitCount h = countTipHits(cur, rowTexts(tips.row(r)));
                        if (h.Gewinn >= 0 && h.Gewinn <= 5)
                            chance.addCertain(hitClassIndex(h.Gewinn, h.Zusatz));
                    } else {
                        addTrial(chance, classProbabilities(tip, formatOf(cur.Datum1)));
                    }
                }
            }
            start = DatabaseEndDate();
            setStatus(analysisProgress(passes, estimate, start, sprache));
            scope.yield();
        }

        std::string report = settingsAnalysisReport(Memo2, sums, passes, Settings.get(Gs::TipCount));
        if (stopped)
            report += stoppedReportLine();
        lastReport = report;
        for (int k = 0; k <= 5; ++k)
            for (int b = 0; b <= 1; ++b)
                chance.addObserved(hitClassIndex(k, b == 1), sums[static_cast<std::size_t>(k)][static_cast<std::size_t>(b)]);
        lastChance = {ChanceTable{{}, chance}};
        scope.finish();
        if (writeReportFile) {
            const std::string path = paths().reportFile();
            writeTextFile(path, reportWithChance());
            openInShell(path);
        }
        lastAnalysisOutcome = stopped ? AnalysisOutcome::Stopped : AnalysisOutcome::Finished;
        setStatus(analysisEndText(passes, stopped));
    } catch (...) {
        // Whatever went wrong after the seed dialog is reported with one text.
        lastAnalysisOutcome = AnalysisOutcome::Failed;
        scope.idle();
        dialogs().message(msg(Msg::LuckyNumberInputError));
    }
}

// ----------------------------------------------------------- drawing analysis

void MainModel::BitBtn19Click() {
    if (!confirmAnalysisStart(*this, OperationKind::DrawingAnalysis, Msg::DrawingAnalysisTitle, Msg::DrawingAnalysisAskStart, Msg::DrawingAnalysisAskEnd))
        return;
    const TipUndoScope undo(*this, [] { return txt(Txt::UndoStepAnalysis); });
    SpeedButton5Click();
    showTab(Tab::TipOverview);
    DayNumber limit = DatabaseEndDate() + 10.0;

    const std::string preset = "5";
    const std::string answer = dialogs().inputText(msg(Msg::DrawingAnalysisThresholdPrompt), msg(Msg::DrawingAnalysisThresholdTitle), preset).value_or(preset);
    std::int32_t threshold = 0;
    if (!tryParseInt(answer, threshold)) {
        lastAnalysisOutcome = AnalysisOutcome::Failed;
        dialogs().message(notAnIntegerMessage(answer));
        changed();
        return;
    }

    lastChance.clear();
    AnalysisScope scope(*this, OperationKind::DrawingAnalysis);
    BusyGuard busyScope(*this);
    HitHistogram earlier{};
    HitHistogram next{};
    // A: row 1 (this drawing) against each earlier drawing; B: the checked
    // row against the next drawing. Trials against a format, counted per pass.
    ChanceTally chanceEarlier(histogramClassNames("A"));
    ChanceTally chanceNext(histogramClassNames("B"));
    std::int32_t passes = 0;
    bool stopped = false;
    std::vector<std::uint8_t> buffer;
    std::int32_t estimate = 0;
    {
        RecordBlockReader reader(DatabasePath());
        estimate = static_cast<std::int32_t>(reader.readAll(buffer)) - cur.Position;
    }

    while (cur.Datum1 < limit) {
        if (operation.stopRequested) {
            stopped = true;
            break;
        }
        tips.ClearUnlockedRows();
        for (int k = 1; k <= 5; ++k)
            tips.set(1, k, std::to_string(cur.Zahl[static_cast<std::size_t>(k)]));
        tips.set(1, 6, std::to_string(cur.Zahl[7]));
        tips.set(1, 7, std::to_string(cur.Zahl[8]));
        StatusPanel[0] = formatShortDate(limit, sprache);
        StatusPanel[1] = analysisProgress(passes + 1, estimate, cur.Datum1, sprache);
        scope.yield();

        // Every record of the file is read; those from aktDatum up to the
        // drawing on display are compared with row 1.
        const RowOneCounter rowOne(tips.row(1));
        std::size_t count = 0;
        {
            RecordBlockReader reader(DatabasePath());
            count = reader.readAll(buffer);
        }
        const DayNumber from = aktDatum;
        const DayNumber before = DatabaseEndDate();
        const std::uint8_t* lastCompared = nullptr;
        const ChanceTip rowOneTip = chanceTip(rowTexts(tips.row(1)));
        std::array<std::int64_t, 8> perFormat{};
        const std::span<const GameFormat> formats = gameFormats();
        for (std::size_t i = 0; i < count; ++i) {
            const std::uint8_t* rec = buffer.data() + i * DrawingRecord::kSize;
            const DayNumber d = RecordBlockReader::date(rec);
            if (!(from <= d && d < before))
                continue;
            lastCompared = rec;
            ++perFormat[static_cast<std::size_t>(&formatOf(d) - formats.data())];
            const int g = rowOne.hits(rec);
            if (g <= 6)
                ++earlier[static_cast<std::size_t>(g)];
            if (g >= threshold) {
                takeRaw(cur, rec);
                zettelcheckRow(*this, 1);
                scope.repaint();
                if (!dialogs().askYesNo(msg(Msg::DrawingAnalysisHitTitle), msg(Msg::DrawingAnalysisHitAt) + formatShortDate(d, sprache) + msg(Msg::DrawingAnalysisHitGoOn))) {
                    lastAnalysisOutcome = AnalysisOutcome::Ended;
                    setStatus(analysisEndText(passes, true));
                    return;
                }
            }
        }
        for (std::size_t f = 0; f < formats.size(); ++f)
            chanceEarlier.addTrials(mainHitProbabilities(classProbabilities(rowOneTip, formats[f])), perFormat[f]);
        if (lastCompared) {
            // The fields as the comparison of the last record left them.
            takeRaw(cur, lastCompared);
            zettelcheckRow(*this, 1);
        }
        limit = count > 0 ? RecordBlockReader::date(buffer.data() + (count - 1) * DrawingRecord::kSize) : 0.0;

        const int checkedRow = sortieren ? lastCheckedRow(tips) : 0;
        const ChanceTip checkedTip = checkedRow ? chanceTip(rowTexts(tips.row(checkedRow))) : ChanceTip{};
        const DayNumber shownBefore = cur.Datum1;
        SpeedButton7Click();
        if (Gewinn >= 0 && Gewinn <= 6)
            ++next[static_cast<std::size_t>(Gewinn)];
        // No step (the last drawing) or no row checked: the count was certain.
        if (checkedRow == 0 || cur.Datum1 == shownBefore)
            chanceNext.addCertain(Gewinn);
        else
            chanceNext.addTrials(mainHitProbabilities(classProbabilities(checkedTip, formatOf(cur.Datum1))));
        ++passes;
    }

    std::string report = drawingAnalysisReport(Memo2, earlier, next);
    if (stopped)
        report += stoppedReportLine();
    lastReport = report;
    for (int k = 0; k <= 5; ++k) {
        chanceEarlier.addObserved(k, earlier[static_cast<std::size_t>(k)]);
        chanceNext.addObserved(k, next[static_cast<std::size_t>(k)]);
    }
    lastChance = {ChanceTable{msg(Msg::ReportHitsInDatabase), chanceEarlier}, ChanceTable{msg(Msg::ReportHitsNextDrawing), chanceNext}};
    scope.finish();
    if (writeReportFile) {
        const std::string path = paths().reportFile();
        try {
            writeTextFile(path, reportWithChance());
        } catch (const IoError& e) {
            lastAnalysisOutcome = AnalysisOutcome::Failed;
            scope.idle();
            dialogs().message(e.what());
            return;
        }
        openInShell(path);
    }
    lastAnalysisOutcome = stopped ? AnalysisOutcome::Stopped : AnalysisOutcome::Finished;
    setStatus(analysisEndText(passes, stopped));
}

} // namespace rz

// ---------------------------------------------------------------- tip search

namespace rz {
namespace {

// The window follows the search's stops: the drawing and its captions, the
// rows checked against it (with the window's counts and sounds).
class WindowFollowsSearch : public TipSearchObserver {
public:
    explicit WindowFollowsSearch(MainModel& m) : m_(m) {}
    HitCount checkRows(TipSet&, const SearchedDrawing& drawing, HitCount last) override {
        show(m_, drawing, last);
        m_.Komplettcheck(); // the search's rows are the window's
        return {m_.Gewinn, m_.Treffer, m_.Zusatz, m_.Super};
    }
    void stopped(const SearchStop& stop, const SearchedDrawing&) override {
        m_.lastSearchStop = {stop.date, stop.row, stop.caption};
        m_.changed();
    }
    static void show(MainModel& m, const SearchedDrawing& drawing, const HitCount& last) {
        m.cur = drawing.drawing;
        m.Label29 = drawing.caption;
        m.Label13 = drawing.sumCaption;
        m.Label35 = m.Label29;
        m.Gewinn = last.Gewinn;
        m.Treffer = last.Treffer;
        m.Zusatz = last.Zusatz;
        m.Super = last.Super;
    }

private:
    MainModel& m_;
};

} // namespace

void MainModel::SpeedButton4Click() {
    if (operation.running())
        return; // another long command owns the window
    const std::string preset = "4";
    const std::string answer = dialogs().inputText(msg(Msg::TipSearchThresholdPrompt), msg(Msg::TipSearchTitle), preset).value_or(preset);
    std::int32_t threshold = 0;
    if (!tryParseInt(answer, threshold)) {
        dialogs().message(notAnIntegerMessage(answer));
        return;
    }
    const std::vector<DrawingRecord> drawings = database().readAll();
    lastChance.clear();
    WindowFollowsSearch follow(*this);
    const TipSearch search(sprache, Memo2, dialogs(), follow);
    TipSearchResult result = search.run(tips, drawings, {StatisticsStartDate(), DatabaseEndDate()}, threshold,
                                        Settings.on(Gs::OverlapCountsMegaBall), cur, {Gewinn, Treffer, Zusatz, Super});
    lastChance = std::move(result.chance);
    if (result.endedByUser)
        return;
    if (result.visited)
        WindowFollowsSearch::show(*this, result.shown, result.lastChecked);
    changed();
}

} // namespace rz
