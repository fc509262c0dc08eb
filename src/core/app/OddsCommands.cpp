// The odds of the tip rows under the tip rows, and the report's comparison
// with chance.
#include "app/MainModel.h"
#include "app/TipBook.h"
#include "common/ProgramTexts.h"
#include "generator/MegaBallRange.h"

namespace rz {

int MainModel::oddsMegaBallRange() const { return megaBallHighest(Settings); }

const TipOdds& MainModel::tipOdds() {
    const int range = oddsMegaBallRange();
    std::vector<std::string> key;
    key.reserve(TipSet::kRows * 6 + 1);
    for (int r = 1; r <= TipSet::kRows; ++r)
        for (int k = 1; k <= 6; ++k)
            key.push_back(tips.get(r, k));
    key.push_back(std::to_string(range));
    if (key != oddsMemo_.key) {
        const LanguageTexts& texts = languageTexts();
        oddsMemo_.odds = TipBook(tips, texts).odds(range);
        oddsMemo_.key = std::move(key);
    }
    return oddsMemo_.odds;
}

std::string MainModel::oddsLine() {
    const TipOdds& odds = tipOdds();
    const LanguageTexts& texts = languageTexts();
    return TipBook(tips, texts).oddsLine(odds);
}

std::string MainModel::reportWithChance() const {
    if (lastChance.empty())
        return lastReport;
    return lastReport + chanceReportSection(chanceGroups(lastChance), sprache);
}

} // namespace rz
