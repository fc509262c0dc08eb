// "Tipp ausdrucken": the filled rows as a plain-text list.
#include "tips/Printout.h"

#include <cstdio>

#include "common/ProgramTexts.h"
#include "common/Round.h"
#include "common/Text.h"
#include "tips/TipSet.h"

namespace rz {
namespace {

const char* const kFieldNames[8] = {"", "Zahl 1", "Zahl 2", "Zahl 3", "Zahl 4", "Zahl 5", "MegaBall", ""};

std::string pad2(std::int32_t v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%2d", static_cast<int>(v));
    return buf;
}

} // namespace

DayNumber nextDrawingAfter(DayNumber d) {
    return static_cast<DayNumber>(Round(d + (weekday(d) == 2 ? 3.0 : 4.0)));
}

Printout buildPrintout(const TipSet& tips, DayNumber headerDate, int language, const std::string& T) {
    Printout out;
    std::string& text = out.text;
    text += T + " " + formatShortDate(headerDate, language) + "\r\n";
    text += std::string(46, '~') + "\r\n";
    text += "\r\n";
    for (int r = 1; r <= TipSet::kRows; ++r) {
        if (!tips.IsRowFilled(r))
            continue;
        std::int32_t v[7] = {};
        std::string missing;
        int missingCount = 0;
        for (int k = 1; k <= 6; ++k) {
            if (!tryParseInt(tips.get(r, k), v[k])) {
                if (missingCount++ > 0)
                    missing += ", ";
                missing += kFieldNames[k];
            }
        }
        if (missingCount > 0) {
            out.text.clear();
            out.error = txt(missingCount == 1 ? Txt::TipMissingOne : Txt::TipMissingMany, {std::to_string(r), missing});
            return out;
        }
        std::string line = pad2(r);
        line += ". ";
        line += T;
        line += ": ";
        for (int k = 1; k <= 5; ++k) {
            if (k > 1)
                line += "   ";
            line += pad2(v[k]);
        }
        line += "   MegaBall: ";
        line += pad2(v[6]);
        line += "\r\n";
        text += line;
    }
    out.ok = true;
    return out;
}

} // namespace rz
