// "Tipp ausdrucken": the filled rows as a plain-text list "Tipp.txt" in the
// program folder, handed to the system's viewer.
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>

#include "app/MainModel.h"
#include "common/Text.h"

namespace rz {
namespace {

const char* const kFieldNames[8] = {"", "Zahl 1", "Zahl 2", "Zahl 3", "Zahl 4", "Zahl 5", "MegaBall", ""};

std::string pad2(std::int32_t v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%2d", static_cast<int>(v));
    return buf;
}

} // namespace

void MainModel::BitBtn7Click() {
    const std::string T = msg(28);
    const DayNumber headerDate = cur.Datum1 + (weekday(DatabaseEndDate()) == 2 ? 3.0 : 4.0);

    // The whole text is built first: a row that cannot be printed stops the
    // command before an earlier list is touched.
    std::string text;
    text += T + " " + formatShortDate(headerDate, sprache) + "\r\n";
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
            dialogs().message("Tipp " + std::to_string(r) + " ist unvollständig: es " +
                             (missingCount == 1 ? "fehlt " : "fehlen ") + missing +
                             ". \"Tipp.txt\" wurde nicht geschrieben.");
            return;
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

    namespace fs = std::filesystem;
    const std::string path = Home + "Tipp.txt";
    const std::string temp = path + ".tmp";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out) {
            dialogs().message("\"" + path + "\" kann nicht geschrieben werden: " + systemErrorText(errno));
            return;
        }
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
        out.close();
        if (!out) {
            const int err = errno;
            std::error_code ignored;
            fs::remove(temp, ignored);
            dialogs().message("\"" + path + "\" kann nicht geschrieben werden: " + systemErrorText(err));
            return;
        }
    }
    std::error_code ec;
    fs::rename(temp, path, ec);
    if (ec) {
        std::error_code ignored;
        fs::remove(temp, ignored);
        dialogs().message("\"" + path + "\" kann nicht geschrieben werden: " + ec.message());
        return;
    }
    shell().open(path);
}

} // namespace rz
