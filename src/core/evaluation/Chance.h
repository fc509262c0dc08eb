#pragma once
// The historic analyses and the tip search compared with chance: what the
// hit classes would have counted if every drawing had been drawn uniformly at
// random in its own game format, with the tips as they were played, and how
// surprising the observed counts are.
//
// A hit class is (main hits k = 0..5, MegaBall hit b). One comparison of a tip
// row with one drawing is one trial: it falls into exactly one class (or into
// none the tally keeps, such as k = 6). A class's count is the sum of its
// trials' indicators; the p-value treats the trials as independent (true for
// trials against different drawings; rows checked against the same drawing
// share it, and the expectation, which holds regardless, is the firmer figure).
#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace rz {

struct GameFormat;

// A tip row as the hit counter reads its six texts: the main numbers up to the
// first text that is no number, and the MegaBall when all five are numbers.
struct ChanceTip {
    std::array<int, 5> values{};
    int readable = 0;        // main texts read before the first that is no number (0..5)
    int megaBall = 0;        // 0 = none (no number, or not reached)
};
ChanceTip chanceTip(const std::array<const std::string*, 6>& texts);

// P(class) for one comparison of the tip with a drawing of five different
// numbers 1..mainMax in random order and a MegaBall 1..megaBallMax, as the hit
// counter counts: [k][b], k = 0..5 main hits, b = MegaBall hit.
using ClassProbabilities = std::array<std::array<double, 2>, 6>;
ClassProbabilities classProbabilities(const ChanceTip& tip, int mainMax, int megaBallMax);
// The same for the format in force on a drawing's date.
ClassProbabilities classProbabilities(const ChanceTip& tip, const GameFormat& format);

// Exact Poisson-binomial distribution of a sum of independent Bernoulli
// trials, given as groups of equal probability: pmf[c] = P(sum = c), without
// the far tails below 1e-40.
std::vector<double> poissonBinomial(const std::map<double, std::int64_t>& groups);
// Two-sided p-value of an observed sum: twice the smaller of P(X <= o) and
// P(X >= o), at most 1. (Doubling the smaller tail keeps the test symmetric
// in its error rates and needs only the two tails.)
double twoSidedP(const std::vector<double>& pmf, std::int64_t observed);

enum class ChanceVerdict { AsChance, More, Less };

struct ChanceLine {
    std::string name;        // the class as the report names it, without blanks
    std::int64_t observed = 0;
    double expected = 0;
    double p = 1;
    ChanceVerdict verdict = ChanceVerdict::AsChance;
};

// Collects the trials of one analysis, class by class.
class ChanceTally {
public:
    explicit ChanceTally(std::vector<std::string> classNames);
    std::size_t classes() const { return names_.size(); }
    // `count` trials, each falling into class c with probability probs[c].
    void addTrials(const std::vector<double>& probs, std::int64_t count = 1);
    // A trial whose class was certain (a drawing compared with itself).
    void addCertain(int cls);
    void addObserved(int cls, std::int64_t count = 1);
    std::vector<ChanceLine> lines() const;
    bool empty() const { return trials_ == 0; }

private:
    std::vector<std::string> names_;
    std::vector<std::map<double, std::int64_t>> groups_;
    std::vector<long double> expected_;
    std::vector<std::int64_t> observed_;
    std::int64_t trials_ = 0;
};

// The twelve classes k+b of the settings analysis and the tip search, in
// the order k = 0..5, without then with the MegaBall: "0x", "0x+MB", ...
std::vector<std::string> hitClassNames();
inline int hitClassIndex(int k, bool megaBall) { return k * 2 + (megaBall ? 1 : 0); }
void addTrial(ChanceTally& tally, const ClassProbabilities& p, std::int64_t count = 1);

// The command line's lines "chance class=C observed=O expected=E p=P".
std::string chanceCommandLines(const std::vector<ChanceLine>& lines);
// The report's section, CR LF after every line, in the current language;
// `groups` splits the lines into tables under their headings (one group
// with an empty heading: no heading line).
struct ChanceGroup {
    std::string heading;
    std::vector<ChanceLine> lines;
};
std::string chanceReportSection(const std::vector<ChanceGroup>& groups, int language);

// A tally under its heading, as an analysis leaves it; the lines (and their
// p-values, the costly part) are computed when they are shown.
struct ChanceTable {
    std::string heading;
    ChanceTally tally;
};
std::vector<ChanceGroup> chanceGroups(const std::vector<ChanceTable>& tables);
std::string chanceCommandLines(const std::vector<ChanceTable>& tables);

} // namespace rz
