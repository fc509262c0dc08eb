// The number selection list: random pick, closing, and the list file.
#include "generator/NumberList.h"

#include "common/TextFile.h"

#include <algorithm>

#include "common/Colour.h"
#include "common/Random.h"
#include "database/DrawingDatabase.h"

namespace rz {
namespace {

int boxesInUse(int maxZahl) { return std::clamp(maxZahl, 0, NumberList::kBoxes); }

} // namespace

void NumberList::randomButtonClick() {
    if (!timerRunning) {
        timerRunning = true;
        for (int n = 1; n <= boxesInUse(MaxZahl); ++n) {
            box(n).checked = false;
            box(n).colour = Colour::TooltipBackground;
        }
        Tippreihe.fill(0);
        Losgeht = 1;
    } else if (Losgeht < MaxTipp) {
        Losgeht += 1;
    } else {
        timerRunning = false;
        randomButtonCaption = Zufall;
        Losgeht = 1;
    }
}

void NumberList::randomDrawTick(Rng& rng) {
    if (!timerRunning)
        return;
    const int maxZahl = boxesInUse(MaxZahl);
    randomButtonCaption = std::to_string(Losgeht);
    randomButtonCaption += ' ';
    randomButtonCaption += Stopp;
    for (int n = 1; n <= maxZahl; ++n) {
        box(n).checked = false;
        box(n).colour = Colour::TooltipBackground;
    }
    for (int i = 1; i <= Losgeht - 1 && i <= 26; ++i) {
        const int v = Tippreihe[static_cast<std::size_t>(i)];
        if (v >= 1 && v <= maxZahl) {
            box(v).checked = true;
            box(v).colour = Colour::Yellow;
        }
    }
    // Never ask for more distinct numbers than there are boxes.
    const int last = std::min({MaxTipp, maxZahl, 26});
    for (int i = Losgeht; i <= last; ++i) {
        int v = 0;
        do {
            v = static_cast<int>(rng.Random(static_cast<std::uint32_t>(maxZahl))) + 1;
        } while (box(v).checked);
        Tippreihe[static_cast<std::size_t>(i)] = v;
        box(v).checked = true;
        box(v).colour = Colour::Yellow;
    }
}

void NumberList::windowClosed() {
    timerRunning = false;
    randomButtonCaption = Zufall;
    Losgeht = 1;
}

void NumberList::saveToFile(const std::string& path) {
    // A checked box without a weight is written, and from then on shown, as "1";
    // a file that cannot be written changes no weight.
    std::string content;
    for (int n = 1; n <= boxesInUse(MaxZahl); ++n) {
        const Box& b = box(n);
        if (b.checked)
            content += b.weight.empty() ? std::string("1") : b.weight;
        content += "\r\n";
    }
    writeTextFile(path, content);
    for (int n = 1; n <= boxesInUse(MaxZahl); ++n)
        if (box(n).checked && box(n).weight.empty())
            box(n).weight.assign(1, '1');
}

void NumberList::loadFromFile(const std::string& path) {
    TextLineReader reader(path);
    // Lines after the last box are ignored; a missing line reads as empty.
    for (int n = 1; n <= boxesInUse(MaxZahl); ++n) {
        std::string line;
        reader.readLine(line);
        Box& b = box(n);
        if (line.empty()) {
            b.checked = false;
            b.weight.assign(1, '1');
        } else {
            b.checked = true;
            b.weight = line;
        }
    }
}

} // namespace rz
