// The search of the drawing history for the tips on the rows.
#include "app/TipSearch.h"

#include <map>
#include <utility>

#include "database/GameFormat.h"

namespace rz {
namespace {

// Appended to a row's result when its MegaBall hits.
const char* searchSuffix(int row) {
    if (row == 1)
        return " + PP";
    if (row == 2)
        return " + MB";
    return " + Z";
}

std::array<const std::string*, 6> rowTexts(const TipRow& row) {
    return {&row.field[1], &row.field[2], &row.field[3], &row.field[4], &row.field[5], &row.field[6]};
}

} // namespace

SearchedDrawing TipSearch::show(const CurrentDrawing& drawing) const {
    SearchedDrawing s{drawing, formatCaptionDate(drawing.Datum1, language_) + "  ", {}};
    std::int64_t sum = 0;
    for (int i = 1; i <= 5; ++i) {
        s.caption += "  " + std::to_string(drawing.Zahl[static_cast<std::size_t>(i)]);
        sum += drawing.Zahl[static_cast<std::size_t>(i)];
    }
    s.caption += "  MB: " + std::to_string(drawing.Zahl[7]) + "     MP: " + std::to_string(drawing.Zahl[8]);
    s.sumCaption = messages_.line(Msg::Sum) + ": " + std::to_string(sum);
    return s;
}

TipSearchResult TipSearch::run(TipSet& tips, const std::vector<DrawingRecord>& drawings, StatisticsWindow window,
                               std::int32_t threshold, bool rowOneCountsMegaBall, const CurrentDrawing& drawing,
                               const HitCount& last) const {
    TipSearchResult result;
    result.lastChecked = last;
    CurrentDrawing cur = drawing;

    // Compared with chance: every filled row against every drawing visited is
    // one trial, counted per row and game format and added when the walk ends
    // (a stop keeps the rows' numbers; the full check only sorts them).
    ChanceTally chance(hitClassNames());
    std::map<std::pair<int, const GameFormat*>, std::int64_t> trials;
    auto tallyChance = [&] {
        for (const auto& [key, count] : trials)
            addTrial(chance, classProbabilities(chanceTip(rowTexts(tips.row(key.first))), *key.second), count);
        result.chance = {ChanceTable{{}, chance}};
    };

    for (const DrawingRecord& rec : drawings) {
        if (!(window.start <= rec.Date && rec.Date <= window.end))
            continue;
        cur.Datum1 = rec.Date;
        for (int k = 1; k <= 8; ++k)
            cur.Zahl[static_cast<std::size_t>(k)] = rec.Numbers[static_cast<std::size_t>(k)];
        result.visited = true;
        result.shown = show(cur);

        const GameFormat* format = gameFormatOn(rec.Date);
        if (!format)
            format = &gameFormats().front();
        for (int r = 1; r <= TipSet::kRows; ++r) {
            TipRow& row = tips.row(r);
            HitCount& h = result.lastChecked;
            h = countTipHits(cur, rowTexts(row));
            if (tips.IsRowFilled(r)) {
                ++trials[{r, format}];
                if (h.Gewinn >= 0 && h.Gewinn <= 5)
                    chance.addObserved(hitClassIndex(h.Gewinn, h.Zusatz));
            }
            row.hitCaption = std::to_string(h.Gewinn);
            if (r == 1 && rowOneCountsMegaBall && h.Zusatz)
                h.Gewinn += 1;
            row.hitColour = (h.Gewinn < 3 && !h.Zusatz) ? Colour::Black : Colour::Red;
            if (h.Zusatz)
                row.hitCaption += searchSuffix(r);
            if (h.Gewinn < threshold)
                continue;

            const SearchStop stop{rec.Date, r, row.hitCaption};
            h = observer_.checkRows(tips, result.shown, h);
            observer_.stopped(stop, result.shown);
            const std::string date = formatShortDate(rec.Date, language_);
            const bool goOn =
                r == 1 ? dialogs_.askYesNo(messages_.line(Msg::TipSearchHitTitle),
                                           messages_.line(Msg::TipSearchHitAt) + "  " + date + " . " +
                                               messages_.line(Msg::TipSearchGoOn))
                       : dialogs_.askYesNo(messages_.line(Msg::DrawingAnalysisHitTitle),
                                           messages_.line(Msg::DrawingAnalysisHitAt) + date +
                                               messages_.line(Msg::DrawingAnalysisHitGoOn));
            if (!goOn) {
                result.endedByUser = true;
                tallyChance();
                return result;
            }
        }
    }
    // The walk ends on the last drawing of the window; the marks of the last
    // stop (or of the drawing before the search) follow it. The rows'
    // captions stay as the search left them.
    markHits(tips, cur);
    tallyChance();
    return result;
}

} // namespace rz
