// "Tipps in DB suchen": would the tips on the window have won before? Walks
// the drawings of the statistics window, counts every row's hits and stops
// where a row reaches the hit count the user chose.
#include <map>
#include <vector>

#include "app/MainModel.h"
#include "common/Text.h"
#include "database/DrawingDatabase.h"
#include "database/GameFormat.h"
#include "evaluation/Chance.h"
#include "evaluation/HistoricAnalysis.h"
#include "evaluation/TipCheck.h"

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
    const DayNumber from = StatisticsStartDate();
    const DayNumber to = DatabaseEndDate();
    const bool rowOneCountsMegaBall = Settings.on(Gs::OverlapCountsMegaBall);

    // Compared with chance: every filled row against every drawing visited is
    // one trial, counted per row and game format and added when the walk ends
    // (a stop keeps the rows' numbers; the full check only sorts them).
    lastChance.clear();
    ChanceTally chance(hitClassNames());
    std::map<std::pair<int, const GameFormat*>, std::int64_t> trials;
    auto tallyChance = [&] {
        for (const auto& [key, count] : trials) {
            const TipRow& row = tips.row(key.first);
            const ChanceTip tip = chanceTip({&row.field[1], &row.field[2], &row.field[3], &row.field[4], &row.field[5], &row.field[6]});
            addTrial(chance, classProbabilities(tip, *key.second), count);
        }
        lastChance = {ChanceTable{{}, chance}};
    };

    for (const DrawingRecord& rec : drawings) {
        if (!(from <= rec.Date && rec.Date <= to))
            continue;
        cur.Datum1 = rec.Date;
        for (int k = 1; k <= 8; ++k)
            cur.Zahl[static_cast<std::size_t>(k)] = rec.Numbers[static_cast<std::size_t>(k)];
        std::string caption = formatCaptionDate(cur.Datum1, sprache) + "  ";
        std::int64_t sum = 0;
        for (int i = 1; i <= 5; ++i) {
            caption += "  " + std::to_string(cur.Zahl[static_cast<std::size_t>(i)]);
            sum += cur.Zahl[static_cast<std::size_t>(i)];
        }
        caption += "  MB: " + std::to_string(cur.Zahl[7]) + "     MP: " + std::to_string(cur.Zahl[8]);
        Label29 = caption;
        Label13 = msg(Msg::Sum) + ": " + std::to_string(sum);
        Label35 = Label29;

        const GameFormat* format = gameFormatOn(rec.Date);
        if (!format)
            format = &gameFormats().front();
        for (int r = 1; r <= TipSet::kRows; ++r) {
            TipRow& row = tips.row(r);
            Zettelcheck(row.field[1], row.field[2], row.field[3], row.field[4], row.field[5], row.field[6],
                        row.field[7]);
            if (tips.IsRowFilled(r)) {
                ++trials[{r, format}];
                if (Gewinn >= 0 && Gewinn <= 5)
                    chance.addObserved(hitClassIndex(Gewinn, Zusatz));
            }
            row.hitCaption = std::to_string(Gewinn);
            if (r == 1 && rowOneCountsMegaBall && Zusatz)
                Gewinn += 1;
            row.hitColour = (Gewinn < 3 && !Zusatz) ? Colour::Black : Colour::Red;
            if (Zusatz)
                row.hitCaption += searchSuffix(r);
            if (Gewinn < threshold)
                continue;

            lastSearchStop = SearchStop{rec.Date, r, row.hitCaption};
            Komplettcheck();
            changed();
            const std::string date = formatShortDate(rec.Date, sprache);
            const bool goOn = r == 1 ? dialogs().askYesNo(msg(Msg::TipSearchHitTitle), msg(Msg::TipSearchHitAt) + "  " + date + " . " + msg(Msg::TipSearchGoOn))
                                     : dialogs().askYesNo(msg(Msg::DrawingAnalysisHitTitle), msg(Msg::DrawingAnalysisHitAt) + date + msg(Msg::DrawingAnalysisHitGoOn));
            if (!goOn) {
                tallyChance();
                return;
            }
        }
    }
    // The walk ends on the last drawing of the window, which the captions
    // show; the marks of the last stop (or of the drawing before the search)
    // follow it. The rows' captions stay as the search left them.
    if (sortieren)
        markHits(tips, cur);
    tallyChance();
    changed();
}

} // namespace rz
