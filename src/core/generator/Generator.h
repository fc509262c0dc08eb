#pragma once
#include <array>
#include <cstdint>
#include <vector>

#include "common/Dates.h"
#include "common/Random.h"
#include "generator/GenerationHost.h"
#include "settings/GeneratorSettings.h"
#include "tips/TipSet.h"

namespace rz {

// The weighted list of candidate numbers: a number appears as often as the
// statistics favour it; a draw picks a uniformly random position 0..Last.
// 0 marks an empty entry. Fixed capacity; appends beyond it are dropped.
struct CandidatePool {
    static constexpr int kCapacity = 501;
    std::array<std::uint8_t, kCapacity> entry{};
    int Last = -1;

    void clear() {
        entry.fill(0);
        Last = -1;
    }
    void append(int n) {
        if (Last + 1 < kCapacity)
            entry[static_cast<std::size_t>(++Last)] = static_cast<std::uint8_t>(n);
    }
    int size() const { return Last + 1; }
    int CountInPool(int n) const;
    int distinctNumbers() const;
    void exclude(int n); // every entry equal to n becomes empty
    void compact();      // fills holes from the end
};

// One of the last three drawings as the generator uses it.
struct PastDrawing {
    std::array<int, 6> n{}; // main numbers 1..5 in stored order
    int mb = 0;
};

// Hit counting of tips against the drawings of a date window, from an
// in-memory copy of the database taken at the start of a run. Results are the
// same as scanning the file: drawings are visited in file order and each
// stored main number counts once per slot.
class HistoryIndex {
public:
    void load(const std::vector<struct DrawingRecord>& all);
    // The same from the file's raw 32-byte records.
    void load(const std::uint8_t* records, std::size_t count);
    // True when some drawing with lo < date <= hi reaches `limit` hits
    // (main numbers plus one for an equal MegaBall when countMegaBall).
    bool anyReaches(DayNumber lo, DayNumber hi, const int* tip5, int mb, bool countMegaBall, int limit);

private:
    // The drawings of one date window, listed by stored number: the window
    // positions of the drawings holding number v are
    // numberPos[numberStart[v] .. numberStart[v + 1]), likewise for the MegaBall.
    struct Window {
        DayNumber lo = -1, hi = -2;
        bool valid = false;
        std::size_t size = 0;
        std::array<std::uint32_t, 257> numberStart{};
        std::array<std::uint32_t, 257> megaBallStart{};
        std::vector<std::uint32_t> numberPos;
        std::vector<std::uint32_t> megaBallPos;
    };
    Window& window(DayNumber lo, DayNumber hi);

    std::vector<DayNumber> dates_;
    std::vector<std::array<std::uint8_t, 6>> numbers_; // 5 mains + MegaBall
    std::array<Window, 2> cache_{};
    int nextSlot_ = 0;
    std::vector<std::uint8_t> counts_;
};

// One generation run's working state and its rules. The run works on the
// settings (it eases some rules near the end of its budget), the tips, the
// random generator and the attempt counter it is given; everything else it
// asks its host.
class Generator {
public:
    Generator(GenerationHost& host, GeneratorSettings& settings, TipSet& tips, Rng& rng, std::int64_t& runCounter,
              const int& laufMax)
        : host_(host), settings_(settings), tips_(tips), rng_(rng), runCounter_(runCounter), laufMax_(laufMax) {}

    void captureLastDrawings();
    // Returns false when the user cancelled the number selection list.
    bool BuildCandidatePool();
    void PoolFromNumberList();
    int ChooseMegaBall();

    static bool HasPair(const int* n);       // n[0..4] ascending
    static bool HasRunOfThree(const int* n); // n[0..4] ascending
    static int CountEven(const int* n);
    static int primzahlen(int z1, int z2, int z3, int z4, int z5, int z6, int z7);

    // Slip rule against rows 1..r-1 (r >= 2).
    bool CheckOverlap(const int* n, int r) const;
    // Rules after the sum rule, in order; true = accepted.
    bool CheckTipRules(const int* n, int mb);
    bool Secheroderfuenfer(const int* n, int mb);
    bool dreierodervierer(const int* n, int mb);
    // All rules of one attempt in order (overlap, pair, group, sum, then the rest).
    bool acceptable(const int* n, int mb, int row);

    // Computes rows 1..12 (the attempt loops); no attempt when the pool is unusable.
    void rowLoop(bool poolUsable);

    CandidatePool pool;
    std::array<PastDrawing, 4> LastDrawings{}; // 1..3
    std::array<std::array<int, 5>, 13> EarlierRows{}; // rows 1..12
    std::array<std::uint64_t, 13> earlierMaskLo{}, earlierMaskHi{};
    bool historyLoaded = false;
    HistoryIndex history;

private:
    int lastHits(const int* n, int mb, const PastDrawing& d) const;
    void loadHistory();
    void loadMegaBallTables();
    void writeRow(int r, const std::array<int, 5>& n, int mb, int spare);
    void showAttempt(int r, const int* n, int sum);

    GenerationHost& host_;
    GeneratorSettings& settings_;
    TipSet& tips_;
    Rng& rng_;
    std::int64_t& runCounter_;
    const int& laufMax_;
    bool mbTablesLoaded_ = false;
    std::array<int, 26> mbOverdue_{};
    std::array<int, 26> mbFrequency_{};
    int mbLongestKey_ = 1;
    int mbMaxOverdue_ = 0;
    int mbHighest_ = kMegaBallFieldMax; // the highest MegaBall candidate of this run
};

} // namespace rz
