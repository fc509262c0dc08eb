#include "tips/TipSet.h"

#include <filesystem>
#include <system_error>
#include <vector>

#include "common/IoError.h"
#include "common/Path.h"

#include "common/Text.h"
#include "common/TextFile.h"
#include "database/DrawingDatabase.h"

namespace rz {
namespace {

struct RowNames {
    const char* fields[7];
    const char* label;
    const char* hit;
    const char* sum;
    const char* editButton;
};

const RowNames kRowNames[12] = {
    {{"Edit1", "Edit2", "Edit3", "Edit4", "Edit5", "Edit6", "Edit93"}, "Label28", "Label22", "Label36", "Tipp1Edit"},
    {{"Edit7", "Edit8", "Edit9", "Edit10", "Edit11", "Edit12", "Edit94"}, "Label30", "Label23", "Label37", "Tipp2Edit"},
    {{"Edit13", "Edit14", "Edit15", "Edit16", "Edit17", "Edit18", "Edit95"}, "Label31", "Label24", "Label38", "Tipp3Edit"},
    {{"Edit19", "Edit20", "Edit21", "Edit22", "Edit23", "Edit24", "Edit96"}, "Label32", "Label25", "Label39", "Tipp4Edit"},
    {{"Edit25", "Edit26", "Edit27", "Edit28", "Edit29", "Edit30", "Edit97"}, "Label33", "Label26", "Label40", "Tipp5Edit"},
    {{"Edit31", "Edit32", "Edit33", "Edit34", "Edit35", "Edit36", "Edit98"}, "Label34", "Label27", "Label41", "Tipp6Edit"},
    {{"Edit43", "Edit44", "Edit45", "Edit46", "Edit47", "Edit48", "Edit99"}, "Label46", "Label45", "Label49", "Tipp7Edit"},
    {{"Edit49", "Edit50", "Edit51", "Edit52", "Edit53", "Edit54", "Edit100"}, "Label48", "Label47", "Label50", "Tipp8Edit"},
    {{"Edit56", "Edit57", "Edit58", "Edit59", "Edit60", "Edit61", "Edit101"}, "Label62", "Label65", "Label67", "Tipp9Edit"},
    {{"Edit62", "Edit63", "Edit64", "Edit65", "Edit66", "Edit67", "Edit102"}, "Label61", "Label66", "Label68", "Tipp10Edit"},
    {{"Edit68", "Edit69", "Edit70", "Edit71", "Edit72", "Edit73", "Edit103"}, "Label63", "Label69", "Label71", "Tipp11Edit"},
    {{"Edit74", "Edit75", "Edit76", "Edit77", "Edit78", "Edit79", "Edit104"}, "Label64", "Label70", "Label72", "Tipp12Edit"},
};

} // namespace

const char* TipSet::fieldName(int row, int k) { return kRowNames[row - 1].fields[k - 1]; }
const char* TipSet::labelName(int row) { return kRowNames[row - 1].label; }
const char* TipSet::hitName(int row) { return kRowNames[row - 1].hit; }
const char* TipSet::sumName(int row) { return kRowNames[row - 1].sum; }
const char* TipSet::editButtonName(int row) { return kRowNames[row - 1].editButton; }

std::string TipSet::CheckTipField(const std::string& text, int max) {
    std::int32_t v = 0;
    if (!tryParseInt(text, v) || v < 1 || v > max)
        return std::string();
    return std::to_string(v);
}

std::array<std::string, 8> TipSet::splitTipLine(const std::string& line) {
    std::array<std::string, 8> f{};
    std::string rest = line;
    for (int k = 1; k <= 6; ++k) {
        const std::size_t p = rest.find(',');
        if (p == std::string::npos) {
            f[static_cast<std::size_t>(k)].clear();
        } else {
            f[static_cast<std::size_t>(k)] = rest.substr(0, p);
            rest = rest.substr(p + 1);
        }
    }
    f[7] = rest;
    return f;
}

void TipSet::set(int r, int k, const std::string& text) {
    row(r).field[static_cast<std::size_t>(k)] = CheckTipField(text, fieldMax(k));
}

void TipSet::resetDisplay(int r) {
    TipRow& tr = row(r);
    tr.colour.fill(Colour::WindowBackground);
    tr.hitCaption.clear();
    tr.sumCaption.clear();
}

void TipSet::ClearUnlockedRows() {
    for (int r = 1; r <= kRows; ++r) {
        if (row(r).Locked)
            continue;
        for (int k = 1; k <= kFields; ++k)
            row(r).field[static_cast<std::size_t>(k)].clear();
        resetDisplay(r);
    }
}

void TipSet::WriteTipFile(const std::string& path) const {
    std::string content;
    for (int r = 1; r <= kRows; ++r) {
        if (!IsRowFilled(r))
            continue;
        for (int k = 1; k <= kFields; ++k) {
            if (k > 1)
                content += ',';
            content += get(r, k);
        }
        content += "\r\n";
    }
    writeTextFile(path, content);
}

bool TipSet::looksLikeTipFile(const std::string& path) {
    std::error_code ec;
    const std::uintmax_t size = std::filesystem::file_size(toPath(path), ec);
    if (ec)
        return true; // the read names the problem
    if (size > kMaxTipFileBytes)
        return false;
    std::vector<std::string> lines;
    try {
        lines = readTextFileLines(path);
    } catch (const IoError&) {
        return true;
    }
    if (lines.size() > static_cast<std::size_t>(kRows))
        lines.resize(static_cast<std::size_t>(kRows));
    std::size_t controlBytes = 0;
    bool anyText = false;
    bool anyRow = false;
    for (const std::string& line : lines) {
        for (const char c : line) {
            const auto b = static_cast<unsigned char>(c);
            if ((b < 0x20 && b != '\t') || b == 0x7f)
                ++controlBytes;
        }
        if (line.find_first_not_of(" \t") == std::string::npos)
            continue;
        anyText = true;
        const bool plain = line.find_first_not_of("0123456789, \t") == std::string::npos;
        if (plain || !CheckTipField(splitTipLine(line)[1], fieldMax(1)).empty())
            anyRow = true;
    }
    constexpr std::size_t kMaxControlBytes = 8;
    if (controlBytes > kMaxControlBytes)
        return false;
    return !anyText || anyRow;
}

void TipSet::ReadTipFile(const std::string& path) {
    TextLineReader reader(path);
    // A missing line reads as empty.
    for (int r = 1; r <= kRows; ++r) {
        std::string line;
        reader.readLine(line);
        const auto f = splitTipLine(line);
        for (int k = 1; k <= kFields; ++k)
            set(r, k, f[static_cast<std::size_t>(k)]);
    }
}

} // namespace rz
