#pragma once
// A wheel as the tip page shows it: the plays twelve at a time (rows 1-12,
// 13-24, ...), each page one tip file when saved.
#include <string>
#include <vector>

#include "common/Dates.h"
#include "tips/TipSet.h"
#include "wheel/Wheel.h"

namespace rz::wheel {

// What the user asks for in the wheel dialog.
struct WheelRequest {
    std::vector<int> numbers;   // ticked, 6..30 of 1..70
    Guarantee guarantee{3, 4};
    double seconds = 2.0;       // 1..600 in the dialog
    std::string megaBalls;      // as typed: "4, 17" or empty
    bool cross = false;
};

// Empty when the request can run, else why not (German, as the program's own texts).
std::string requestProblem(const WheelRequest& r);

// "4,17,24" -> {4, 17, 24}; blanks around items are allowed, an empty text is
// an empty list. False on anything else.
bool parseMegaBalls(const std::string& text, std::vector<int>& out);

class WheelPages {
public:
    static constexpr int kRowsPerPage = TipSet::kRows;

    // Takes a checked design and its plays; shows the first page.
    void setResult(Design design, std::vector<Play> plays);
    void clear();

    bool empty() const { return plays_.empty(); }
    const Design& design() const { return design_; }
    const std::vector<Play>& plays() const { return plays_; }
    int pageCount() const;
    int page() const { return page_; } // 0-based
    bool setPage(int p);               // false (no change) outside 0..pageCount()-1
    int firstRow() const { return page_ * kRowsPerPage + 1; } // 1-based play number
    int lastRow() const;
    // "13-24 / 37"
    std::string pageCaption() const;

    // Rows 1..12 of the tips get page p's plays (the MegaBall empty when none
    // was given, the spare number empty); rows beyond the last play are cleared.
    // A page fills all twelve rows: locks are released.
    void fillTips(TipSet& tips, int p) const;
    // One tip file per page: base + "_1.qlt", "_2.qlt", ... (base without
    // ".qlt"). Returns the paths written. Throws IoError; pages written before
    // a failure stay.
    std::vector<std::string> saveNumbered(const std::string& base) const;

    // The printout of the whole wheel ("Tipp.txt", CR LF after every line):
    // the tip printout's heading line (heading, a blank, the date) and
    // tildes, the wheel's figures (numbers, guarantee, plays, cost, odds),
    // then every page under a line "Page p of n" with its plays numbered
    // 1..N over all pages. A play without MegaBall ends after its numbers.
    // costText and oddsText are given as the dialog shows them.
    std::string printout(DayNumber headerDate, int language, const std::string& heading,
                         const std::string& costText, const std::string& oddsText) const;

private:
    Design design_;
    std::vector<Play> plays_;
    int page_ = 0;
};

// The path without a trailing ".qlt" (any case), for the numbered files.
std::string numberedBase(const std::string& chosenPath);

} // namespace rz::wheel
