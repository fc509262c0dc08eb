// The number selection list: random pick, closing, and the list file.
#include "generator/NumberList.h"

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>

#include "app/MainModel.h"
#include "common/Random.h"
#include "database/DrawingDatabase.h"

namespace rz {
namespace {

int boxesInUse(int maxZahl) { return std::clamp(maxZahl, 0, NumberList::kBoxes); }

} // namespace

void NumberList::BitBtn4Click() {
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

void NumberList::Timer1Timer(Rng& rng) {
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

void NumberList::FormClose() {
    timerRunning = false;
    randomButtonCaption = Zufall;
    Losgeht = 1;
}

void NumberList::saveToFile(const std::string& path) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out)
        throw IoError("Cannot create \"" + path + "\": " + systemErrorText(errno));
    for (int n = 1; n <= boxesInUse(MaxZahl); ++n) {
        Box& b = box(n);
        if (b.checked) {
            if (b.weight.empty())
                b.weight.assign(1, '1');
            out << b.weight;
        }
        out << "\r\n";
    }
    out.close();
    if (!out)
        throw IoError("Cannot write \"" + path + "\": " + systemErrorText(errno));
}

void NumberList::loadFromFile(const std::string& path) {
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec))
        throw IoError("Cannot open \"" + path + "\": " + systemErrorText(EISDIR));
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw IoError("Cannot open \"" + path + "\": " + systemErrorText(errno));
    // A line ends at CR LF, LF or a lone CR; lines after the last box are ignored.
    for (int n = 1; n <= boxesInUse(MaxZahl); ++n) {
        std::string line;
        std::istream::int_type c;
        while ((c = in.get()) != std::istream::traits_type::eof()) {
            if (c == '\n')
                break;
            if (c == '\r') {
                if (in.peek() == '\n')
                    in.get();
                break;
            }
            line.push_back(static_cast<char>(c));
        }
        if (in.bad())
            throw IoError("Cannot read \"" + path + "\": " + systemErrorText(errno));
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

namespace {

FileDialogRequest numberListRequest() {
    FileDialogRequest req;
    req.filter = "Werteliste|*.qlw";
    req.defaultExt = "qlw";
    req.suggestedName = formatYyyymmdd(today()) + ".qlw";
    return req;
}

} // namespace

void MainModel::numberListSave() {
    const auto path = dialogs->saveFile(numberListRequest());
    if (!path)
        return;
    try {
        numberList.saveToFile(*path);
    } catch (const IoError& e) {
        dialogs->message(e.what());
    }
}

void MainModel::numberListLoad() {
    const auto path = dialogs->openFile(numberListRequest());
    if (!path)
        return;
    try {
        numberList.loadFromFile(*path);
    } catch (const IoError& e) {
        dialogs->message(e.what());
    }
}

} // namespace rz
