// Setting tips by hand: the change checks of the tip fields, leaving a field,
// the row editor through the number selection list, and the lucky number.
#include "app/MainModel.h"
#include "common/Text.h"

namespace rz {

void MainModel::tipFieldChanged(int row, int k, const std::string& text) {
    if (row < 1 || row > TipSet::kRows || k < 1 || k > TipSet::kFields)
        return;
    // Edit1Change (k 1..5, 1..70) and Edit6Change (k 6..7, 1..25).
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
    NumberList& list = numberList;
    list.caption = msg(11) + " " + std::to_string(row);
    list.Zufall = msg(60);
    list.Stopp = msg(61);
    list.retryVisible = false;
    list.randomVisible = true;
    list.MaxTipp = 5;
    list.MaxZahl = 70;
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

    const ModalResult result = dialogs().showNumberList();

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
            tips.set(row, j, std::to_string(rng.Random(25) + 1));
    }

    list.retryVisible = true;
    list.randomVisible = false;
    for (int n = 1; n <= NumberList::kBoxes; ++n)
        list.box(n).colour = Colour::TooltipBackground;
    list.caption = msg(12);
    changed();
}

void MainModel::SpeedButton13Click() {
    const std::string d = std::to_string(rng.Random(99999));
    const std::string answer = dialogs().inputText(msg(20), msg(21), d).value_or(d);
    std::int32_t n = 0;
    if (tryParseInt(answer, n)) {
        rng.RandSeed = static_cast<std::uint32_t>(n);
        setStatus(msg(22) + std::to_string(n) + msg(23));
    } else {
        rng.RandSeed = clock().seed();
    }
    changed();
}

} // namespace rz
