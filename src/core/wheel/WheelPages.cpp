#include "wheel/WheelPages.h"

#include <algorithm>
#include <cstdio>

#include "common/Dates.h"
#include "common/ProgramTexts.h"

#include "common/Text.h"

namespace rz::wheel {

std::string requestProblem(const WheelRequest& r) {
    if (r.numbers.size() < static_cast<std::size_t>(kMinNumbers) || r.numbers.size() > static_cast<std::size_t>(kMaxNumbers))
        return "Bitte 6 bis 30 Zahlen ankreuzen (angekreuzt: " + std::to_string(r.numbers.size()) + ").";
    if (!numbersProblem(r.numbers).empty())
        return "Die Zahlen müssen verschieden sein und zwischen 1 und 70 liegen.";
    if (r.guarantee.t < 1 || r.guarantee.t > r.guarantee.p || r.guarantee.p > kRowSize)
        return "Ungültige Garantie.";
    if (!(r.seconds >= 0.1 && r.seconds <= 600))
        return "Die Rechenzeit muss zwischen 0,1 und 600 Sekunden liegen.";
    std::vector<int> megaBalls;
    if (!parseMegaBalls(r.megaBalls, megaBalls) || (!megaBalls.empty() && !megaBallsProblem(megaBalls).empty()))
        return "MegaBalls: verschiedene Zahlen von 1 bis 24, durch Kommas getrennt.";
    if (r.cross && megaBalls.empty())
        return "Für jede Zeile mit jedem MegaBall bitte MegaBalls angeben.";
    return {};
}

bool parseMegaBalls(const std::string& text, std::vector<int>& out) {
    out.clear();
    if (trimBlanks(text).empty())
        return true;
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = text.find(',', start);
        const std::string item =
            trimBlanks(text.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
        std::int32_t n = 0;
        if (item.empty() || item.size() > 3 || item.find_first_not_of("0123456789") != std::string::npos ||
            !tryParseInt(item, n))
            return false;
        out.push_back(n);
        if (comma == std::string::npos)
            return true;
        start = comma + 1;
    }
}

void WheelPages::setResult(Design design, std::vector<Play> plays) {
    design_ = std::move(design);
    plays_ = std::move(plays);
    page_ = 0;
}

void WheelPages::clear() {
    design_ = Design{};
    plays_.clear();
    page_ = 0;
}

int WheelPages::pageCount() const {
    return static_cast<int>((plays_.size() + kRowsPerPage - 1) / kRowsPerPage);
}

bool WheelPages::setPage(int p) {
    if (p < 0 || p >= pageCount())
        return false;
    page_ = p;
    return true;
}

int WheelPages::lastRow() const {
    return std::min(static_cast<int>(plays_.size()), (page_ + 1) * kRowsPerPage);
}

std::string WheelPages::pageCaption() const {
    if (plays_.empty())
        return {};
    return std::to_string(firstRow()) + "-" + std::to_string(lastRow()) + " / " + std::to_string(plays_.size());
}

void WheelPages::fillTips(TipSet& tips, int p) const {
    for (int r = 1; r <= TipSet::kRows; ++r) {
        TipRow& row = tips.row(r);
        row.Locked = false;
        const std::size_t i = static_cast<std::size_t>(p) * kRowsPerPage + static_cast<std::size_t>(r - 1);
        for (int k = 1; k <= TipSet::kFields; ++k)
            tips.set(r, k, "");
        tips.resetDisplay(r);
        if (p < 0 || i >= plays_.size())
            continue;
        const Play& play = plays_[i];
        for (int k = 1; k <= 5; ++k)
            tips.set(r, k, std::to_string(play.numbers[static_cast<std::size_t>(k - 1)]));
        if (play.megaBall)
            tips.set(r, 6, std::to_string(play.megaBall));
    }
}

std::vector<std::string> WheelPages::saveNumbered(const std::string& base) const {
    std::vector<std::string> written;
    for (int p = 0; p < pageCount(); ++p) {
        TipSet page;
        fillTips(page, p);
        const std::string path = base + "_" + std::to_string(p + 1) + ".qlt";
        page.WriteTipFile(path);
        written.push_back(path);
    }
    return written;
}

std::string WheelPages::printout(DayNumber headerDate, int language, const std::string& heading,
                                 const std::string& costText, const std::string& oddsText) const {
    const std::string eol = "\r\n";
    std::string text = heading + " " + formatShortDate(headerDate, language) + eol;
    text += std::string(46, '~') + eol;
    std::string numbers;
    for (const int n : design_.numbers)
        numbers += (numbers.empty() ? "" : ", ") + std::to_string(n);
    text += txt(Txt::WheelPrintNumbers, {std::to_string(design_.numbers.size()), numbers}) + eol;
    text += txt(Txt::WheelPrintGuarantee, {std::to_string(design_.guarantee.t), std::to_string(design_.guarantee.p)}) + eol;
    text += txt(Txt::WheelPrintRows, {std::to_string(plays_.size())}) + eol;
    text += txt(Txt::WheelPrintCost, {costText}) + eol;
    text += txt(Txt::WheelPrintOdds, {oddsText}) + eol;

    // The play numbers right-aligned in as many places as the last one needs (at least two).
    const int width = std::max<int>(2, static_cast<int>(std::to_string(plays_.size()).size()));
    auto padded = [](int v, int places) {
        char buf[24];
        std::snprintf(buf, sizeof buf, "%*d", places, v);
        return std::string(buf);
    };
    for (int p = 0; p < pageCount(); ++p) {
        text += eol;
        text += txt(Txt::WheelPrintPage, {std::to_string(p + 1), std::to_string(pageCount())}) + eol;
        const std::size_t first = static_cast<std::size_t>(p) * kRowsPerPage;
        const std::size_t last = std::min(plays_.size(), first + kRowsPerPage);
        for (std::size_t i = first; i < last; ++i) {
            const Play& play = plays_[i];
            std::string line = padded(static_cast<int>(i + 1), width) + ". " + heading + ": ";
            for (std::size_t k = 0; k < play.numbers.size(); ++k)
                line += (k > 0 ? "   " : "") + padded(play.numbers[k], 2);
            if (play.megaBall)
                line += "   MegaBall: " + padded(play.megaBall, 2);
            text += line + eol;
        }
    }
    return text;
}

std::string numberedBase(const std::string& chosenPath) {
    if (chosenPath.size() >= 4 && lowerAscii(chosenPath.substr(chosenPath.size() - 4)) == ".qlt")
        return chosenPath.substr(0, chosenPath.size() - 4);
    return chosenPath;
}

} // namespace rz::wheel
