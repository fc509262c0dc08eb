// Hit counting of one tip and the full check of all twelve rows.
#include "evaluation/TipCheck.h"

#include <algorithm>

#include "common/Colour.h"
#include "common/Text.h"
#include "database/GameFormat.h"
#include "tips/TipSet.h"

namespace rz {

HitCount countTipHits(const CurrentDrawing& drawing, const std::array<const std::string*, 6>& texts) {
    HitCount h;
    // An unconvertible text ends the count where it is met; the results so far stand.
    for (int i = 1; i <= 5; ++i) {
        for (int j = 1; j <= 5; ++j) {
            std::int32_t v = 0;
            if (!tryParseInt(*texts[static_cast<std::size_t>(j - 1)], v))
                return h;
            if (v == drawing.Zahl[static_cast<std::size_t>(i)]) {
                h.Treffer[static_cast<std::size_t>(j)] = true;
                h.Gewinn += 1;
            }
        }
    }
    std::int32_t mb = 0;
    if (!tryParseInt(*texts[5], mb))
        return h;
    if (mb == drawing.Zahl[7])
        h.Zusatz = true;
    return h;
}

namespace {

// A MegaBall the tip fields accept (1..25) that the newest game format, in
// force on the drawing's date, no longer draws. Older formats are left
// alone: the hint speaks of the change of 8 April 2025 only.
bool megaBallNoLongerDrawn(const std::string& text, DayNumber day) {
    std::int32_t mb = 0;
    if (!tryParseInt(text, mb) || mb < 1 || mb > 25)
        return false;
    const GameFormat* format = gameFormatOn(day);
    return format != nullptr && format == &latestGameFormat() && !format->allowsMegaBall(mb);
}

// The fields' colours for a row's count: green for a number drawn, red for
// the MegaBall hit, yellow (with its hint) for a MegaBall no longer drawn.
void colourHits(TipRow& row, const HitCount& h, const CurrentDrawing& drawing) {
    for (int j = 1; j <= 5; ++j)
        row.colour[static_cast<std::size_t>(j)] =
            h.Treffer[static_cast<std::size_t>(j)] ? Colour::HitGreen : Colour::WindowBackground;
    row.colour[6] = h.Zusatz ? Colour::Red : Colour::WindowBackground;
    if (megaBallNoLongerDrawn(row.field[6], drawing.Datum1)) {
        row.colour[6] = Colour::Yellow;
        row.megaBallHint = kMegaBallNotDrawnHint;
    }
}

} // namespace

TipCheckResult checkAllRows(TipSet& tips, const CurrentDrawing& drawing, HitCount& last) {
    TipCheckResult result;
    for (int r = 1; r <= TipSet::kRows; ++r) {
        TipRow& row = tips.row(r);
        std::uint8_t v[6];
        bool ok = true;
        for (int k = 1; k <= 5 && ok; ++k) {
            std::int32_t n = 0;
            ok = tryParseInt(row.field[static_cast<std::size_t>(k)], n);
            v[k] = static_cast<std::uint8_t>(n);
        }
        row.megaBallHint.clear();
        if (!ok) {
            row.hitCaption.clear();
            for (int k = 1; k <= 7; ++k)
                row.colour[static_cast<std::size_t>(k)] = Colour::WindowBackground;
            continue;
        }
        int sum = 0;
        for (int k = 1; k <= 5; ++k)
            sum += v[k];
        row.sumCaption = std::to_string(sum);
        for (int i = 1; i <= 5; ++i)
            for (int k = i; k <= 5; ++k)
                if (v[i] > v[k])
                    std::swap(v[i], v[k]);
        for (int k = 1; k <= 5; ++k)
            tips.set(r, k, std::to_string(v[k]));
        last = countTipHits(drawing, {&row.field[1], &row.field[2], &row.field[3], &row.field[4], &row.field[5],
                                      &row.field[6]});
        colourHits(row, last, drawing);
        row.hitCaption = std::to_string(last.Gewinn);
        const int c = (last.Zusatz && last.Super) ? 2 : ((last.Zusatz != last.Super) ? 1 : 0);
        if (last.Gewinn >= 0 && last.Gewinn <= 7)
            result.Statistik[static_cast<std::size_t>(last.Gewinn)][static_cast<std::size_t>(c)] += 1;
        row.hitColour = (last.Gewinn < 3 && !last.Zusatz) ? Colour::Black : Colour::Red;
        if (last.Gewinn > 2 || last.Zusatz)
            result.goodRows += 1;
        if (last.Zusatz)
            row.hitCaption += (r == 11) ? " +MB" : " + MB";
        result.best = std::max(result.best, last.Gewinn * 100 + (last.Zusatz ? 1 : 0));
    }
    return result;
}

void markHits(TipSet& tips, const CurrentDrawing& drawing) {
    for (int r = 1; r <= TipSet::kRows; ++r) {
        TipRow& row = tips.row(r);
        row.megaBallHint.clear();
        bool ok = true;
        for (int k = 1; k <= 5 && ok; ++k) {
            std::int32_t n = 0;
            ok = tryParseInt(row.field[static_cast<std::size_t>(k)], n);
        }
        if (!ok) {
            for (int k = 1; k <= 7; ++k)
                row.colour[static_cast<std::size_t>(k)] = Colour::WindowBackground;
            continue;
        }
        colourHits(row, countTipHits(drawing, {&row.field[1], &row.field[2], &row.field[3], &row.field[4],
                                               &row.field[5], &row.field[6]}),
                   drawing);
    }
}

} // namespace rz
