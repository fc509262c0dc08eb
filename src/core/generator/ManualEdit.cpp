// Setting a tip row through the number selection list.
#include "generator/ManualEdit.h"

#include "services/MessageTable.h"
#include "common/Random.h"
#include "common/Text.h"
#include "generator/NumberList.h"
#include "tips/TipSet.h"

namespace rz {

void prepareRowEditor(NumberList& list, const TipSet& tips, int row, const MessageTable& messages) {
    list.caption = messages.line(Msg::NumbersForTip) + " " + std::to_string(row);
    list.Zufall = messages.line(Msg::NumberListRandom);
    list.Stopp = messages.line(Msg::NumberListStop);
    list.retryVisible = false;
    list.randomVisible = true;
    list.MaxTipp = 5;
    list.MaxZahl = kMainNumberMax;
    for (int n = 1; n <= NumberList::kBoxes; ++n) {
        list.box(n).checked = false;
        list.box(n).colour = Colour::TooltipBackground;
    }
    // Pre-mark the row's numbers; an empty field or a text that names no box
    // ends the marking.
    for (int j = 1; j <= 5; ++j) {
        std::int32_t n = 0;
        if (!tryParseInt(tips.get(row, j), n) || n < 1 || n > NumberList::kBoxes)
            break;
        list.box(n).checked = true;
        list.box(n).colour = Colour::Yellow;
    }
}

void finishRowEditor(NumberList& list, TipSet& tips, int row, ModalResult result, Rng& rng,
                     const MessageTable& messages, int megaBallHighest) {
    if (result == ModalResult::Ok) {
        int j = 1;
        for (int n = 1; n <= NumberList::kBoxes; ++n) {
            if (list.box(n).checked && j <= 5) {
                tips.set(row, j, std::to_string(n));
                ++j;
            }
        }
        // The field after the last one written: the MegaBall field after five numbers.
        if (tips.get(row, j).empty())
            tips.set(row, j, std::to_string(rng.Random(static_cast<std::uint32_t>(megaBallHighest)) + 1));
    }
    list.retryVisible = true;
    list.randomVisible = false;
    for (int n = 1; n <= NumberList::kBoxes; ++n)
        list.box(n).colour = Colour::TooltipBackground;
    list.caption = messages.line(Msg::ChooseNumbersTitle);
}

} // namespace rz
