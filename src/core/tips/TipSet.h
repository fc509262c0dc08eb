#pragma once
#include <array>
#include <cstdint>
#include <string>

#include "common/Colour.h"
#include "database/GameFormat.h"

namespace rz {

// One tip row: seven field texts (1..5 main numbers, 6 MegaBall, 7 the hidden
// SpareNumber), each empty or the canonical decimal text of a value in range.
struct TipRow {
    std::array<std::string, 8> field{};                  // index 1..7
    std::array<Colour, 8> colour{};                      // background of fields 1..7
    bool Locked = false;
    std::string hitCaption;                              // "3 + MB", "2", ...
    Colour hitColour = Colour::Black;
    std::string sumCaption;
    // Set by the tip check when the MegaBall cannot be drawn in the format of
    // the checked drawing (the field is then yellow); empty otherwise.
    std::string megaBallHint;

    TipRow() { colour.fill(Colour::WindowBackground); }
    bool operator==(const TipRow&) const = default;
};

class TipSet {
public:
    static constexpr int kRows = 12;
    static constexpr int kFields = 7;

    // Control names of the fields, labels and captions of row r (1..12).
    static const char* fieldName(int row, int k);  // "Edit1" ...
    static const char* labelName(int row);         // "Label28" ...
    static const char* hitName(int row);           // "Label22" ...
    static const char* sumName(int row);           // "Label36" ...
    static const char* editButtonName(int row);    // "Tipp1Edit" ...
    static int fieldMax(int k) { return k <= 5 ? kMainNumberMax : kMegaBallFieldMax; }

    // Field check: canonical decimal text of an integer within 1..max, else "".
    static std::string CheckTipField(const std::string& text, int max);
    // Splits one tip-file line into the seven raw field texts (index 1..7).
    static std::array<std::string, 8> splitTipLine(const std::string& line);

    TipRow& row(int r) { return rows_[static_cast<std::size_t>(r - 1)]; }
    const TipRow& row(int r) const { return rows_[static_cast<std::size_t>(r - 1)]; }
    const std::string& get(int r, int k) const { return row(r).field[static_cast<std::size_t>(k)]; }
    // Every set passes the field check.
    void set(int r, int k, const std::string& text);

    bool IsRowFilled(int r) const { return !get(r, 1).empty(); }
    void ClearUnlockedRows();
    void resetDisplay(int r);

    // One line per filled row, CR LF after every line. Throws IoError.
    void WriteTipFile(const std::string& path) const;
    // Whether the file can be a tip file, so that loading it cannot wipe the
    // rows with something else: an empty file is one; a file larger than
    // kMaxTipFileBytes, one with many control bytes (binary data) or one whose
    // lines read by the load all hold text but none of them is a row (a
    // first field that is a number, or nothing but digits, commas and
    // blanks) is not. Single odd lines among rows pass: the load empties
    // their fields. A file that cannot be read passes too: the read reports it.
    static bool looksLikeTipFile(const std::string& path);
    static constexpr std::uintmax_t kMaxTipFileBytes = 1u << 20;

    // Reads twelve lines into rows 1..12 (missing lines read as empty).
    // Throws IoError; rows read before a failure keep their new values.
    void ReadTipFile(const std::string& path);

    bool operator==(const TipSet&) const = default;

private:
    std::array<TipRow, kRows> rows_{};
};

} // namespace rz
