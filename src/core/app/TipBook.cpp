// The tip rows: their check against a drawing, tip files, printout and odds.
#include "app/TipBook.h"

#include "common/Failure.h"
#include "common/ProgramTexts.h"
#include "common/TextFile.h"
#include "tips/Printout.h"

namespace rz {

TipBook::TipBook(TipSet& tips, const LanguageTexts& texts) : tips_(tips), texts_(texts) {}

TipCheckReport TipBook::check(TipSet& tips, const CurrentDrawing& drawing) {
    // The counter never gives a negative count: one left here means that no
    // row held five numbers.
    HitCount last;
    last.Gewinn = -1;
    const TipCheckResult result = checkAllRows(tips, drawing, last);
    TipCheckReport report;
    report.best = result.best;
    report.statistics = result.Statistik;
    report.goodRows = result.goodRows;
    if (last.Gewinn >= 0)
        report.lastRow = last;
    for (int r = 1; r <= TipSet::kRows; ++r) {
        const TipRow& row = tips.row(r);
        report.rows[static_cast<std::size_t>(r - 1)] = {row.sumCaption, row.hitCaption};
    }
    return report;
}

void TipBook::load(const std::string& path) {
    if (!TipSet::looksLikeTipFile(path))
        throw Failure(txt(Txt::TipFileNotTips, {path}), FailureKind::File);
    tips_.ClearUnlockedRows();
    tips_.ReadTipFile(path);
}

void TipBook::save(const std::string& path) const { tips_.WriteTipFile(path); }

std::string TipBook::printout(DayNumber drawingDate) const {
    Printout p = buildPrintout(tips_, drawingDate, texts_.language, texts_.msg(Msg::PrintoutHeading));
    if (!p.ok)
        throw Failure(p.error);
    return std::move(p.text);
}

void TipBook::writePrintout(const std::string& path, DayNumber drawingDate) const {
    writeTextFile(path, printout(drawingDate));
}

TipOdds TipBook::odds(int megaBallRange) const { return computeTipOdds(tips_, megaBallRange); }

std::string TipBook::oddsLine(const TipOdds& o) const {
    std::string line;
    if (o.rows == 0) {
        line = txt(Txt::OddsNoRows);
    } else {
        const std::string jackpot = o.pJackpot > 0 ? oneInText(o.pJackpot, texts_.language) : txt(Txt::OddsNever);
        line = txt(Txt::OddsLine, {std::to_string(o.rows), oneInText(o.pAny, texts_.language), jackpot});
    }
    if (o.skipped > 0)
        line = txt(Txt::OddsLineSkipped, {line, std::to_string(o.skipped)});
    return line;
}

} // namespace rz
