#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "common/Dates.h"
#include "database/DrawingNavigator.h"
#include "evaluation/Odds.h"
#include "evaluation/TipCheck.h"
#include "i18n/LanguageFiles.h"
#include "tips/TipSet.h"

namespace rz {

// The outcome of checking the twelve tip rows against one drawing.
struct TipCheckReport {
    std::int32_t best = 0; // hits * 100 + MegaBall (0 or 1) of the best row; 0 when no row was checked
    // Rows by main numbers hit (0..7) and class (0: without the MegaBall, 1: with it).
    std::array<std::array<std::int32_t, 3>, 8> statistics{};
    int goodRows = 0; // rows with three or more hits or the MegaBall
    // The count of the last row that holds five numbers; none when no row does.
    std::optional<HitCount> lastRow;
    // Per row (index 0 for row 1): the sum of its numbers and its hit caption
    // ("3 + MB"). A row without five numbers keeps the sum it showed and has
    // no hit caption.
    struct RowCaptions {
        std::string sum, hits;
    };
    std::array<RowCaptions, TipSet::kRows> rows;
};

// The twelve tip rows as the user keeps them: checked against a drawing,
// loaded from and saved to tip files, printed, and their odds.
class TipBook {
public:
    TipBook(TipSet& tips, const LanguageTexts& texts);
    // The book keeps references: no temporaries.
    TipBook(TipSet&, LanguageTexts&&) = delete;

    TipSet& tips() { return tips_; }
    const TipSet& tips() const { return tips_; }

    // Checks every row against the drawing: rows of five numbers are sorted
    // and get their sum, hit colours and hit caption; the others lose their
    // hit caption and colours.
    TipCheckReport check(const CurrentDrawing& drawing) { return check(tips_, drawing); }
    // The same for rows without a book (the check needs no language).
    static TipCheckReport check(TipSet& tips, const CurrentDrawing& drawing);

    // Loads a tip file over the rows: a file that is no tip file
    // (TipSet::looksLikeTipFile) is refused and the rows stay as they were;
    // otherwise the unlocked rows are cleared and the file is read. Throws
    // Failure (of kind File); after a failed read the rows read so far keep
    // their new values.
    void load(const std::string& path);
    // Writes the filled rows as a tip file. Throws Failure (of kind File).
    void save(const std::string& path) const;

    // The printout of the filled rows for the drawing of `drawingDate`.
    // Throws Failure naming the first row that cannot be printed.
    std::string printout(DayNumber drawingDate) const;
    // The printout written to `path`: nothing is written when a row cannot
    // be printed. Throws Failure.
    void writePrintout(const std::string& path, DayNumber drawingDate) const;

    // The exact odds of the rows with `megaBallRange` MegaBalls.
    TipOdds odds(int megaBallRange) const;
    // "Chance that these 5 rows win a prize: 1 in 4.6 · jackpot 1 in ..." in
    // the language, with the skipped rows when there are any.
    std::string oddsLine(const TipOdds& odds) const;

private:
    TipSet& tips_;
    const LanguageTexts& texts_;
};

} // namespace rz
