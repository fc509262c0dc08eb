// The main window's commands: each handler forwards to the subsystem that
// does the work and publishes the result in the window's fields. Handlers of
// the statistics and the generation run live with them (statistics/,
// generator/); start-up, first show and close in Startup.cpp.
#include <algorithm>
#include <cstdio>
#include <filesystem>

#include "app/DrawingBrowser.h"
#include "app/MainModel.h"
#include "app/TipBook.h"
#include "common/Path.h"
#include "common/ProgramTexts.h"
#include "common/Round.h"
#include "common/Text.h"
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

void MainModel::showDrawing(const DrawingView& view, bool pickerMayRefuse) {
    cur = view.drawing;
    if (view.found) {
        Label29 = view.caption;
        Label13 = view.sumCaption;
    }
    Label35 = Label29;
    if (!DateTimePicker1.setDate(cur.Datum1) && pickerMayRefuse) {
        DateTimePicker1.date = DateTimePicker1.minDate;
        cur.Datum1 = DateTimePicker1.date;
    }
    Komplettcheck();
}

void MainModel::SpeedButton5Click() {
    lookupEndDate(nullptr);
}

void MainModel::lookupEndDate(const RecordSnapshot* records) {
    showDrawingForEndDate(records);
    changed();
}

void MainModel::showDrawingForEndDate(const RecordSnapshot* records) {
    DrawingDatabase db = database();
    if (!records && !db.exists()) { // records read before come from a file that was there
        dialogs().message(txt(Txt::ReadDrawingsFirst));
        db.createEmpty();
        return;
    }
    aktDatum = static_cast<DayNumber>(Round(DatabaseEndDate()));
    const LanguageTexts& texts = languageTexts();
    const DrawingView view = records ? DrawingBrowser(*records, texts).lookup(aktDatum, cur)
                                     : DrawingBrowser(db.path(), texts).lookup(aktDatum, cur);
    for (int i = 0; i < view.readErrors; ++i)
        dialogs().message("Fehler");
    // A broken end of the file (a crash during an append) is told once per size.
    if (view.trailingBytes != reportedPartialBytes) {
        reportedPartialBytes = view.trailingBytes;
        if (view.trailingBytes > 0)
            setStatus(partialRecordNotice(view.trailingBytes));
    }
    showDrawing(view, true);
}

void MainModel::SpeedButton6Click() {
    aktDatum = StatisticsStartDate();
    const LanguageTexts& texts = languageTexts();
    const DrawingView view = DrawingBrowser(DatabasePath(), texts).previous(cur);
    cur = view.drawing;
    if (!view.found)
        return; // empty file: nothing else changes
    showDrawing(view, true);
    changed();
}

void MainModel::SpeedButton7Click() {
    aktDatum = StatisticsStartDate();
    const LanguageTexts& texts = languageTexts();
    const DrawingView view = DrawingBrowser(DatabasePath(), texts).next(cur);
    cur = view.drawing;
    if (!view.found)
        return; // empty file: nothing else changes
    showDrawing(view, false); // a refusal of the picker is ignored here
    changed();
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
        return 0; // a run is changing the rows: they are checked when it ends
    const TipCheckReport report = TipBook::check(tips, cur);
    if (report.lastRow) {
        Gewinn = report.lastRow->Gewinn;
        Treffer = report.lastRow->Treffer;
        Zusatz = report.lastRow->Zusatz;
        Super = report.lastRow->Super;
    }
    for (std::size_t r = 0; r <= 6; ++r)
        Statistik[r] = report.statistics[r];
    for (std::size_t c = 0; c < 3; ++c)
        Statistik[7][c] += report.statistics[7][c];
    for (int i = 0; i < report.goodRows; ++i)
        sound().play(paths().soundFile(SoundName));
    return report.best;
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
        const LanguageTexts& texts = languageTexts();
        TipBook(tips, texts).save(*path);
        rememberTipFile(*path);
    } catch (const Failure& e) {
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
    showDrawingForEndDate(nullptr); // current drawing for DatabaseEndDate, ends with Komplettcheck
    changed();
}

void MainModel::loadTipFile(const std::string& path) {
    const LanguageTexts& texts = languageTexts();
    TipBook book(tips, texts);
    try {
        const std::string name = fromPath(toPath(path).filename());
        const TipUndoScope undo(*this, [name] { return txt(Txt::UndoStepLoad, {name}); });
        book.load(path);
    } catch (const Failure& e) {
        // A file that is no tip file leaves the rows as they are; after a
        // failed read the rows read so far stay and the re-check does not run.
        dialogs().message(e.what());
        changed();
        return;
    }
    rememberTipFile(path);
    showDrawingForEndDate(nullptr); // current drawing for DatabaseEndDate, ends with Komplettcheck
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
    const std::string path = paths().printoutFile();
    try {
        // Nothing is written when a row cannot be printed; a write failure
        // names the file and the reason.
        const LanguageTexts& texts = languageTexts();
        TipBook(tips, texts).writePrintout(path, headerDate);
    } catch (const Failure& e) {
        dialogs().message(e.what());
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
