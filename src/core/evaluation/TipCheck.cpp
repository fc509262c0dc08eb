// Hit counting of one tip and the full check of all twelve rows.
#include <algorithm>

#include "app/MainModel.h"
#include "common/Text.h"

namespace rz {

void MainModel::Zettelcheck(const std::string& t1, const std::string& t2, const std::string& t3, const std::string& t4,
                            const std::string& t5, const std::string& t6, const std::string& /*t7*/) {
    Gewinn = 0;
    Zusatz = false;
    Super = false;
    for (int j = 1; j <= 5; ++j)
        Treffer[static_cast<std::size_t>(j)] = false;
    const std::string* texts[5] = {&t1, &t2, &t3, &t4, &t5};
    // An unconvertible text ends the count where it is met; the results so far stand.
    for (int i = 1; i <= 5; ++i) {
        for (int j = 1; j <= 5; ++j) {
            std::int32_t v = 0;
            if (!tryParseInt(*texts[j - 1], v))
                return;
            if (v == cur.Zahl[static_cast<std::size_t>(i)]) {
                Treffer[static_cast<std::size_t>(j)] = true;
                Gewinn += 1;
            }
        }
    }
    std::int32_t mb = 0;
    if (!tryParseInt(t6, mb))
        return;
    if (mb == cur.Zahl[7])
        Zusatz = true;
}

std::int32_t MainModel::Komplettcheck() {
    for (int r = 0; r <= 6; ++r)
        Statistik[static_cast<std::size_t>(r)] = {0, 0, 0};
    std::int32_t best = 0;
    if (!sortieren)
        return 0;
    for (int r = 1; r <= TipSet::kRows; ++r) {
        TipRow& row = tips.row(r);
        std::uint8_t v[6];
        bool ok = true;
        for (int k = 1; k <= 5 && ok; ++k) {
            std::int32_t n = 0;
            ok = tryParseInt(row.field[static_cast<std::size_t>(k)], n);
            v[k] = static_cast<std::uint8_t>(n);
        }
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
        Zettelcheck(row.field[1], row.field[2], row.field[3], row.field[4], row.field[5], row.field[6], row.field[7]);
        for (int j = 1; j <= 5; ++j)
            row.colour[static_cast<std::size_t>(j)] = Treffer[static_cast<std::size_t>(j)] ? Colour::HitGreen : Colour::WindowBackground;
        row.hitCaption = std::to_string(Gewinn);
        const int c = (Zusatz && Super) ? 2 : ((Zusatz != Super) ? 1 : 0);
        if (Gewinn >= 0 && Gewinn <= 7)
            Statistik[static_cast<std::size_t>(Gewinn)][static_cast<std::size_t>(c)] += 1;
        row.hitColour = (Gewinn < 3 && !Zusatz) ? Colour::Black : Colour::Red;
        if (Gewinn > 2 || Zusatz)
            sound().play(Home + SoundName);
        if (Zusatz)
            row.hitCaption += (r == 11) ? " +MB" : " + MB";
        best = std::max(best, Gewinn * 100 + (Zusatz ? 1 : 0));
        row.colour[6] = Zusatz ? Colour::Red : Colour::WindowBackground;
    }
    return best;
}

} // namespace rz
