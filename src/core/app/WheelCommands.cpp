// The wheel dialog's commands: the search under the window's operation (its
// progress and stop as the generator's), the pages into the tip rows, the
// numbered tip files and the printout of every page.
#include <cstdio>

#include "app/MainModel.h"
#include "services/Operation.h"
#include "common/IoError.h"
#include "common/ProgramTexts.h"
#include "common/NumberFormat.h"
#include "common/TextFile.h"
#include "tips/Printout.h"

namespace rz {

namespace {

Txt originText(wheel::Origin origin) {
    switch (origin) {
    case wheel::Origin::Construction: return Txt::WheelFromDesign;
    case wheel::Origin::Split: return Txt::WheelFromSplit;
    case wheel::Origin::Full: return Txt::WheelFromFull;
    case wheel::Origin::Search: break;
    }
    return Txt::WheelFromSearch;
}

} // namespace

void MainModel::WheelStartClick() {
    if (wheelRunning()) {
        operation.requestStop();
        changed();
        return;
    }
    if (operation.running())
        return; // another long command owns the window
    if (const std::string problem = wheel::requestProblem(wheelRequest); !problem.empty()) {
        dialogs().message(problem);
        return;
    }
    const OperationScope scope(operation, OperationKind::Wheel);
    wheelFigures = WheelFigures{};
    Yielder yield(events(), std::chrono::milliseconds(15), 1);
    wheel::SearchLimits limits;
    limits.seconds = wheelRequest.seconds;
    limits.seed = wheelSeed;
    limits.progress = [&](const wheel::Progress& p) {
        yield([&] {
            wheelFigures.progress = std::to_string(p.steps) + " / " + std::to_string(p.rows);
            changed();
        });
        return !operation.stopRequested;
    };
    setBusy(true);
    wheel::Design design;
    try {
        design = wheel::buildWheel(wheelRequest.numbers, wheelRequest.guarantee, limits);
    } catch (const wheel::WheelError& e) {
        setBusy(false);
        dialogs().message(e.what());
        changed();
        return;
    }
    setBusy(false);
    const wheel::Odds odds =
        wheel::computeOdds(static_cast<int>(design.numbers.size()), design.guarantee, design.rows);
    std::vector<int> megaBalls;
    wheel::parseMegaBalls(wheelRequest.megaBalls, megaBalls); // checked above
    std::vector<wheel::Play> plays = wheel::plays(design, megaBalls, wheelRequest.cross);
    wheelFigures.progress = std::to_string(design.steps) + " / " + std::to_string(design.rows.size());
    wheelFigures.rows = std::to_string(design.rows.size()) +
                        (plays.size() != design.rows.size() ? " (" + std::to_string(plays.size()) + ")" : "");
    wheelFigures.bound = std::to_string(design.bound);
    wheelFigures.known = txt(design.optimal() ? Txt::WheelBestOptimal : Txt::WheelBestOpen,
                             {std::to_string(design.rows.size()), txt(originText(design.origin))});
    // Odds and money in the form of the user's language.
    wheelFigures.pCondition = formatOneIn(odds.pCondition, sprache);
    wheelFigures.pHit = formatOneIn(odds.pHit, sprache);
    const long double perPlay = static_cast<long double>(plays.size()) / static_cast<long double>(design.rows.size());
    wheelFigures.expected345 = formatDecimal(odds.expectedRows[3] * perPlay, 6, sprache) + " / " +
                               formatDecimal(odds.expectedRows[4] * perPlay, 8, sprache) + " / " +
                               formatDecimal(odds.expectedRows[5] * perPlay, 10, sprache);
    wheelFigures.cost = formatDollars(wheelPriceCents * static_cast<std::int64_t>(plays.size()), sprache);
    wheelPages.setResult(std::move(design), std::move(plays));
    {
        const TipUndoScope undo(*this, [] { return txt(Txt::UndoStepWheel, {"1"}); });
        wheelPages.fillTips(tips, 0);
    }
    SpeedButton5Click(); // the tip check against the current drawing, as after loading
    changed();
}

void MainModel::WheelPageClick(int delta) {
    if (wheelRunning() || wheelPages.empty())
        return;
    if (wheelPages.setPage(wheelPages.page() + delta)) {
        {
            const std::string page = std::to_string(wheelPages.page() + 1);
            const TipUndoScope undo(*this, [page] { return txt(Txt::UndoStepWheel, {page}); });
            wheelPages.fillTips(tips, wheelPages.page());
        }
        SpeedButton5Click();
    }
    changed();
}

void MainModel::WheelSaveClick() {
    if (wheelRunning() || wheelPages.empty())
        return;
    FileDialogRequest req;
    req.filter = "Tippdatei|*.qlt";
    req.defaultExt = "qlt";
    req.initialDir = Home;
    req.suggestedName = formatYyyymmdd(NextDrawingDate()) + ".qlt";
    const auto path = chooseSaveTarget(req);
    if (!path)
        return;
    try {
        wheelPages.saveNumbered(wheel::numberedBase(*path));
    } catch (const IoError& e) {
        dialogs().message(e.what());
    }
    changed();
}

void MainModel::WheelPrintClick() {
    if (wheelRunning() || wheelPages.empty())
        return;
    const DayNumber headerDate = cur.Datum1 + (weekday(DatabaseEndDate()) == 2 ? 3.0 : 4.0);
    const wheel::Design& design = wheelPages.design();
    const wheel::Odds odds = wheel::computeOdds(static_cast<int>(design.numbers.size()), design.guarantee, design.rows);
    const std::string text = wheelPages.printout(
        headerDate, sprache, msg(Msg::PrintoutHeading),
        formatDollars(wheelPriceCents * static_cast<std::int64_t>(wheelPages.plays().size()), sprache),
        formatOneIn(odds.pCondition, sprache));
    const std::string path = Home + "Tipp.txt";
    try {
        writeTextFile(path, text);
    } catch (const IoError& e) {
        dialogs().message(e.what()); // names the file and the reason
        return;
    }
    openInShell(path);
}

} // namespace rz
