// The main window's commands: each handler forwards to the subsystem that
// does the work and publishes the result in the window's fields. Handlers of
// the statistics and the generation run live with them (statistics/,
// generator/); start-up, first show and close in Startup.cpp.
#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "app/MainModel.h"
#include "common/Path.h"
#include "common/ProgramTexts.h"
#include "common/Round.h"
#include "common/Text.h"
#include "common/TextFile.h"
#include "evaluation/TipCheck.h"
#include "generator/ManualEdit.h"
#include "generator/MegaBallRange.h"
#include "tips/Printout.h"

namespace rz {
namespace {

FileDialogRequest tipFileRequest(const std::string& home) {
    FileDialogRequest req;
    req.filter = "Tippdatei|*.qlt";
    req.defaultExt = "qlt";
    req.initialDir = home;
    return req;
}

FileDialogRequest numberListRequest(DayNumber today) {
    FileDialogRequest req;
    req.filter = "Werteliste|*.qlw";
    req.defaultExt = "qlw";
    req.suggestedName = formatYyyymmdd(today) + ".qlw";
    return req;
}

} // namespace

// ------------------------------------------------------- current drawing

std::string MainModel::drawingCaption(CaptionVariant v) const { return rz::drawingCaption(cur, v, sprache); }

void MainModel::showCurrentDrawing(CaptionVariant v) {
    Label29 = drawingCaption(v);
    Label13 = msg(Msg::Sum) + ": " + std::to_string(drawingSum(cur));
}

// After a step: the caption on both tabs, the date picker on the drawing,
// and every row checked against it.
void MainModel::drawingChanged(bool pickerMayRefuse) {
    Label35 = Label29;
    if (!DateTimePicker1.setDate(cur.Datum1) && pickerMayRefuse) {
        DateTimePicker1.date = DateTimePicker1.minDate;
        cur.Datum1 = DateTimePicker1.date;
    }
    Komplettcheck();
    changed();
}

void MainModel::SpeedButton5Click() {
    lookupEndDate(nullptr);
}

void MainModel::lookupEndDate(const RecordSnapshot* records) {
    DrawingDatabase db = database();
    if (!records && !db.exists()) { // records read before come from a file that was there
        dialogs().message(txt(Txt::ReadDrawingsFirst));
        db.createEmpty();
        changed();
        return;
    }
    aktDatum = static_cast<DayNumber>(Round(DatabaseEndDate()));
    const auto shown = records ? DrawingNavigator::lookup(*records, aktDatum, cur)
                               : DrawingNavigator::lookup(db.path(), aktDatum, cur, [this] { dialogs().message("Fehler"); });
    // A broken end of the file (a crash during an append) is told once per size.
    const std::int64_t partial = records ? records->trailingBytes : db.trailingBytes();
    if (partial != reportedPartialBytes) {
        reportedPartialBytes = partial;
        if (partial > 0)
            setStatus(partialRecordNotice(partial));
    }
    if (shown)
        showCurrentDrawing(*shown);
    drawingChanged(true);
}

void MainModel::SpeedButton6Click() {
    aktDatum = StatisticsStartDate();
    if (!DrawingNavigator::previous(DatabasePath(), cur))
        return; // empty file: nothing changes
    showCurrentDrawing(CaptionVariant::EndOfFile);
    drawingChanged(true);
}

void MainModel::SpeedButton7Click() {
    aktDatum = StatisticsStartDate();
    if (!DrawingNavigator::next(DatabasePath(), cur))
        return; // empty file: nothing changes
    showCurrentDrawing(CaptionVariant::EndOfFile);
    drawingChanged(false); // a refusal of the picker is ignored here
}

// ------------------------------------------------------------- tip check

void MainModel::Zettelcheck(const std::string& t1, const std::string& t2, const std::string& t3,
                            const std::string& t4, const std::string& t5, const std::string& t6,
                            const std::string& /*t7*/) {
    const HitCount h = countTipHits(cur, {&t1, &t2, &t3, &t4, &t5, &t6});
    Gewinn = h.Gewinn;
    Treffer = h.Treffer;
    Zusatz = h.Zusatz;
    Super = h.Super;
}

std::int32_t MainModel::Komplettcheck() {
    for (int r = 0; r <= 6; ++r)
        Statistik[static_cast<std::size_t>(r)] = {0, 0, 0};
    if (!sortieren)
        return 0;
    HitCount last{Gewinn, Treffer, Zusatz, Super};
    const TipCheckResult result = checkAllRows(tips, cur, last);
    Gewinn = last.Gewinn;
    Treffer = last.Treffer;
    Zusatz = last.Zusatz;
    Super = last.Super;
    for (std::size_t r = 0; r <= 6; ++r)
        Statistik[r] = result.Statistik[r];
    for (std::size_t c = 0; c < 3; ++c)
        Statistik[7][c] += result.Statistik[7][c];
    for (int i = 0; i < result.goodRows; ++i)
        sound().play(paths().soundFile(SoundName));
    return result.best;
}

// ------------------------------------------------------------- tip rows

void MainModel::SpeedButton11Click() {
    const TipUndoScope undo(*this, [] { return txt(Txt::UndoStepClear); });
    tips.ClearUnlockedRows();
    changed();
}

void MainModel::Label30Click(int row) {
    if (row < 1 || row > TipSet::kRows)
        return;
    TipRow& r = tips.row(row);
    r.Locked = !r.Locked;
    changed();
}

DayNumber MainModel::NextDrawingDate() const { return nextDrawingAfter(DatabaseEndDate()); }

void MainModel::SpeedButton15Click() {
    FileDialogRequest req = tipFileRequest(paths().userFolder());
    req.suggestedName = formatYyyymmdd(NextDrawingDate()) + ".qlt";
    const auto path = chooseSaveTarget(req);
    if (!path)
        return;
    try {
        tips.WriteTipFile(*path);
        rememberTipFile(*path);
    } catch (const IoError& e) {
        dialogs().message(e.what());
    }
    changed();
}

void MainModel::SpeedButton16Click() {
    const auto path = dialogs().openFile(tipFileRequest(paths().userFolder()));
    if (path) {
        loadTipFile(*path);
        return;
    }
    SpeedButton5Click(); // current drawing for DatabaseEndDate, ends with Komplettcheck
    changed();
}

void MainModel::loadTipFile(const std::string& path) {
    if (!TipSet::looksLikeTipFile(path)) {
        // Loading it would only empty the rows: they stay as they are.
        dialogs().message(txt(Txt::TipFileNotTips, {path}));
        changed();
        return;
    }
    {
        const std::string name = fromPath(toPath(path).filename());
        const TipUndoScope undo(*this, [name] { return txt(Txt::UndoStepLoad, {name}); });
        tips.ClearUnlockedRows();
        try {
            tips.ReadTipFile(path);
        } catch (const IoError& e) {
            // The rows read so far stay; the re-check does not run.
            dialogs().message(e.what());
            changed();
            return;
        }
    }
    rememberTipFile(path);
    SpeedButton5Click(); // current drawing for DatabaseEndDate, ends with Komplettcheck
    changed();
}

void MainModel::rememberTipFile(const std::string& path) {
    std::vector<std::string>& list = recentTipFiles;
    list.erase(std::remove_if(list.begin(), list.end(), [&](const std::string& p) { return p == path; }), list.end());
    list.insert(list.begin(), path);
    if (list.size() > static_cast<std::size_t>(kRecentTipFiles))
        list.resize(static_cast<std::size_t>(kRecentTipFiles));
}

void MainModel::RecentTipFileClick(int index) {
    if (index < 0 || index >= static_cast<int>(recentTipFiles.size()))
        return;
    const std::string path = recentTipFiles[static_cast<std::size_t>(index)];
    std::error_code ec;
    if (!std::filesystem::is_regular_file(toPath(path), ec)) {
        recentTipFiles.erase(recentTipFiles.begin() + index);
        dialogs().message(txt(Txt::RecentMissing, {path}));
        changed();
        return;
    }
    loadTipFile(path);
}

void MainModel::tipFieldChanged(int row, int k, const std::string& text) {
    if (row < 1 || row > TipSet::kRows || k < 1 || k > TipSet::kFields)
        return;
    // Edit1Change (k 1..5, 1..70) and Edit6Change (k 6..7, 1..25). Typing
    // into one row is one step of the undo history.
    const TipUndoScope undo(*this, [row] { return txt(Txt::UndoStepEdit, {std::to_string(row)}); },
                            "edit " + std::to_string(row));
    tips.set(row, k, text);
}

void MainModel::Edit1Exit() {
    if (sortieren) {
        Komplettcheck();
        changed();
    }
}

void MainModel::TippEdit(int row) {
    if (row < 1 || row > TipSet::kRows)
        return;
    const TipUndoScope undo(*this, [row] { return txt(Txt::UndoStepEdit, {std::to_string(row)}); });
    prepareRowEditor(numberList, tips, row, Memo2);
    const ModalResult result = dialogs().showNumberList();
    finishRowEditor(numberList, tips, row, result, rng, Memo2, megaBallHighest(Settings));
    changed();
}

void MainModel::SpeedButton13Click() {
    const std::string d = std::to_string(rng.Random(99999));
    const std::string answer = dialogs().inputText(msg(Msg::LuckyNumberTitle), msg(Msg::LuckyNumberPrompt), d).value_or(d);
    std::int32_t n = 0;
    if (tryParseInt(answer, n)) {
        rng.RandSeed = static_cast<std::uint32_t>(n);
        setStatus(msg(Msg::LuckyNumberSetStart) + std::to_string(n) + msg(Msg::LuckyNumberSetEnd));
    } else {
        rng.RandSeed = clock().seed();
    }
    changed();
}

void MainModel::BitBtn7Click() {
    const DayNumber headerDate = cur.Datum1 + (weekday(DatabaseEndDate()) == 2 ? 3.0 : 4.0);
    // The whole text is built first: a row that cannot be printed stops the
    // command before an earlier list is touched.
    const Printout printout = buildPrintout(tips, headerDate, sprache, msg(Msg::PrintoutHeading));
    if (!printout.ok) {
        dialogs().message(printout.error);
        return;
    }
    const std::string path = paths().printoutFile();
    try {
        writeTextFile(path, printout.text);
    } catch (const IoError& e) {
        dialogs().message(e.what()); // names the file and the reason
        return;
    }
    openInShell(path);
}

// ----------------------------------------------------- number list window

void MainModel::numberListSave() {
    const auto path = chooseSaveTarget(numberListRequest(today()));
    if (!path)
        return;
    try {
        numberList.saveToFile(*path);
    } catch (const IoError& e) {
        dialogs().message(e.what());
    }
}

void MainModel::numberListLoad() {
    const auto path = dialogs().openFile(numberListRequest(today()));
    if (!path)
        return;
    try {
        numberList.loadFromFile(*path);
    } catch (const IoError& e) {
        dialogs().message(e.what());
    }
}

} // namespace rz
