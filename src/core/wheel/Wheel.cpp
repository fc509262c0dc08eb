#include "wheel/Wheel.h"

#include "wheel/Designs.h"

#include <algorithm>
#include <bit>
#include <chrono>
#include <cmath>
#include <unordered_set>

namespace rz::wheel {

namespace {

// Binomials up to C(70, 5); the wheel itself needs n <= 30, k <= 5.
struct BinomialTable {
    std::uint64_t c[71][6]{};
    BinomialTable() {
        for (int n = 0; n <= 70; ++n) {
            c[n][0] = 1;
            for (int k = 1; k <= 5; ++k)
                c[n][k] = n == 0 ? 0 : c[n - 1][k - 1] + c[n - 1][k];
        }
    }
};
const BinomialTable kBinom;

// Colexicographic rank of a k-subset given as a mask: sum of C(e_j, j+1)
// over its elements e_0 < e_1 < ...; ranks run 0 .. C(v,k)-1.
inline std::uint32_t rankOf(RowMask m) {
    std::uint32_t r = 0;
    for (int j = 1; m; ++j) {
        const int e = std::countr_zero(m);
        m &= m - 1;
        r += static_cast<std::uint32_t>(kBinom.c[e][j]);
    }
    return r;
}

// Calls f(mask) for every k-subset of the lowest n bits.
template <class F>
void forEachSubset(int n, int k, F&& f) {
    if (k < 0 || k > n)
        return;
    if (k == 0) {
        f(RowMask{0});
        return;
    }
    // Gosper's hack over n <= 30 bits.
    RowMask m = (RowMask{1} << k) - 1;
    const RowMask limit = RowMask{1} << n;
    while (m < limit) {
        f(m);
        const RowMask c = m & (~m + 1);
        const RowMask r = m + c;
        m = (((r ^ m) >> 2) / c) | r;
    }
}

// The subsets of `set` with k elements.
template <class F>
void forEachSubsetOf(RowMask set, int k, F&& f) {
    int idx[32];
    int n = 0;
    for (RowMask s = set; s; s &= s - 1)
        idx[n++] = std::countr_zero(s);
    forEachSubset(n, k, [&](RowMask pattern) {
        RowMask m = 0;
        for (RowMask q = pattern; q; q &= q - 1)
            m |= RowMask{1} << idx[std::countr_zero(q)];
        f(m);
    });
}

RowMask fullMask(int v) { return v >= 32 ? ~RowMask{0} : (RowMask{1} << v) - 1; }

bool isRow(int v, RowMask r) { return std::popcount(r) == kRowSize && (r & ~fullMask(v)) == 0; }

// Marks every t-subset that lies inside some row: a set D meets a row in at
// least t numbers exactly when one of D's t-subsets is marked.
std::vector<char> markedTSubsets(int v, int t, const std::vector<RowMask>& rows) {
    std::vector<char> marked(kBinom.c[v][t], 0);
    for (RowMask r : rows)
        forEachSubsetOf(r, t, [&](RowMask s) { marked[rankOf(s)] = 1; });
    return marked;
}

bool meetsSomeRow(RowMask d, int t, const std::vector<char>& marked) {
    bool hit = false;
    forEachSubsetOf(d, t, [&](RowMask s) { hit = hit || marked[rankOf(s)]; });
    return hit;
}

// Small fast generator (splitmix64): the search's own, so that a seed gives
// the same rows whatever else in the program draws numbers.
struct SearchRng {
    std::uint64_t s;
    std::uint64_t next() {
        std::uint64_t z = (s += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    std::uint32_t below(std::uint32_t n) { return static_cast<std::uint32_t>(((next() >> 32) * n) >> 32); }
    double unit() { return static_cast<double>(next() >> 11) * (1.0 / 9007199254740992.0); }
};

// The state of the local search: how many rows serve each p-subset, and the
// list of the p-subsets no row serves.
class Cover {
public:
    Cover(int v, Guarantee g) : v_(v), g_(g) {
        const std::uint64_t n = kBinom.c[v][g.p];
        count_.assign(n, 0);
        where_.resize(n);
        uncovered_.resize(n);
        for (std::uint32_t i = 0; i < n; ++i) {
            uncovered_[i] = i;
            where_[i] = i;
        }
        // Which of a row's numbers and which of the others make up a served
        // p-subset: i of the row's 5 and p-i of the v-5 others, i >= t.
        for (int i = g.t; i <= std::min(g.p, kRowSize); ++i) {
            if (g.p - i > v - kRowSize)
                continue;
            Part part;
            forEachSubset(kRowSize, i, [&](RowMask m) { part.inside.push_back(m); });
            forEachSubset(v - kRowSize, g.p - i, [&](RowMask m) { part.outside.push_back(m); });
            parts_.push_back(std::move(part));
        }
        // Swapping one number y of a row for x changes only the p-subsets
        // made of t-1 of the row's other four, p-t of the v-6 numbers in
        // neither, and y (served no more) or x (served now).
        forEachSubset(kRowSize - 1, g.t - 1, [&](RowMask m) { swapInside_.push_back(m); });
        forEachSubset(v - kRowSize - 1, g.p - g.t, [&](RowMask m) { swapOutside_.push_back(m); });
    }

    // Calls f(lost, gained) for the p-subsets a swap of y (in the row) for x
    // (not in it) touches: those with y the row serves no more, those with x
    // it serves now, in pairs.
    template <class F>
    void forEachSwapped(RowMask row, int y, int x, F&& f) const {
        int in[kRowSize];
        int out[kMaxNumbers];
        int ni = 0, no = 0;
        for (int e = 0; e < v_; ++e) {
            if (e == y || e == x)
                continue;
            if (row >> e & 1)
                in[ni++] = e;
            else
                out[no++] = e;
        }
        const RowMask bitY = RowMask{1} << y, bitX = RowMask{1} << x;
        for (RowMask pi : swapInside_) {
            RowMask base = 0;
            for (RowMask q = pi; q; q &= q - 1)
                base |= RowMask{1} << in[std::countr_zero(q)];
            for (RowMask po : swapOutside_) {
                RowMask m = base;
                for (RowMask q = po; q; q &= q - 1)
                    m |= RowMask{1} << out[std::countr_zero(q)];
                f(rankOf(m | bitY), rankOf(m | bitX));
            }
        }
    }

    // Replaces y by x in the row (y in it, x not); returns the change in
    // the number unserved.
    long swap(RowMask row, int y, int x) {
        long delta = 0;
        forEachSwapped(row, y, x, [&](std::uint32_t lost, std::uint32_t gained) {
            if (--count_[lost] == 0) {
                pushUncovered(lost);
                ++delta;
            }
            if (count_[gained]++ == 0) {
                dropUncovered(gained);
                --delta;
            }
        });
        return delta;
    }

    // The change in the number unserved if the swap were made. The
    // subsets lost contain y and not x, those gained x and not y, so the
    // counts as they stand decide.
    long swapCost(RowMask row, int y, int x) const {
        long delta = 0;
        forEachSwapped(row, y, x, [&](std::uint32_t lost, std::uint32_t gained) {
            delta += count_[lost] == 1;
            delta -= count_[gained] == 0;
        });
        return delta;
    }

    // The p-subsets one swap touches, lost and gained counted once.
    std::size_t swapWork() const { return swapInside_.size() * swapOutside_.size(); }

    std::size_t uncoveredCount() const { return uncovered_.size(); }
    std::uint32_t uncoveredAt(std::size_t i) const { return uncovered_[i]; }

    // The p-subset with colex rank `rank`.
    RowMask unrank(std::uint32_t rank) const {
        RowMask m = 0;
        for (int j = g_.p; j >= 1; --j) {
            int e = j - 1;
            while (kBinom.c[e + 1][j] <= rank)
                ++e;
            rank -= static_cast<std::uint32_t>(kBinom.c[e][j]);
            m |= RowMask{1} << e;
        }
        return m;
    }

    // Calls f(rank) for every p-subset the row serves.
    template <class F>
    void forEachServed(RowMask row, F&& f) const {
        int in[kRowSize];
        int out[kMaxNumbers];
        int ni = 0, no = 0;
        for (int e = 0; e < v_; ++e) {
            if (row >> e & 1)
                in[ni++] = e;
            else
                out[no++] = e;
        }
        for (const Part& part : parts_) {
            for (RowMask pi : part.inside) {
                RowMask base = 0;
                for (RowMask q = pi; q; q &= q - 1)
                    base |= RowMask{1} << in[std::countr_zero(q)];
                for (RowMask po : part.outside) {
                    RowMask m = base;
                    for (RowMask q = po; q; q &= q - 1)
                        m |= RowMask{1} << out[std::countr_zero(q)];
                    f(rankOf(m));
                }
            }
        }
    }

    // Adds or removes a row; returns the change in the number uncovered.
    long add(RowMask row) {
        long delta = 0;
        forEachServed(row, [&](std::uint32_t s) {
            if (count_[s]++ == 0) {
                dropUncovered(s);
                --delta;
            }
        });
        return delta;
    }
    long remove(RowMask row) {
        long delta = 0;
        forEachServed(row, [&](std::uint32_t s) {
            if (--count_[s] == 0) {
                pushUncovered(s);
                ++delta;
            }
        });
        return delta;
    }
    // How many p-subsets the row would newly serve / would leave unserved.
    long gain(RowMask row) const {
        long g = 0;
        forEachServed(row, [&](std::uint32_t s) { g += count_[s] == 0; });
        return g;
    }
    long loss(RowMask row) const {
        long l = 0;
        forEachServed(row, [&](std::uint32_t s) { l += count_[s] == 1; });
        return l;
    }

private:
    struct Part {
        std::vector<RowMask> inside;  // patterns over the row's 5 positions
        std::vector<RowMask> outside; // patterns over the v-5 other positions
    };
    void dropUncovered(std::uint32_t s) {
        const std::uint32_t at = where_[s];
        const std::uint32_t last = uncovered_.back();
        uncovered_[at] = last;
        where_[last] = at;
        uncovered_.pop_back();
    }
    void pushUncovered(std::uint32_t s) {
        where_[s] = static_cast<std::uint32_t>(uncovered_.size());
        uncovered_.push_back(s);
    }

    int v_;
    Guarantee g_;
    std::vector<Part> parts_;
    std::vector<RowMask> swapInside_;
    std::vector<RowMask> swapOutside_;
    std::vector<std::uint32_t> count_;
    std::vector<std::uint32_t> where_;
    std::vector<std::uint32_t> uncovered_;
};

RowMask randomBits(SearchRng& rng, RowMask from, int k) {
    RowMask chosen = 0;
    int n = std::popcount(from);
    for (; k > 0 && n > 0; --k, --n) {
        std::uint32_t pick = rng.below(static_cast<std::uint32_t>(n));
        RowMask rest = from;
        while (pick--)
            rest &= rest - 1;
        const RowMask bit = rest & (~rest + 1);
        chosen |= bit;
        from &= ~bit;
    }
    return chosen;
}

// For each (t-1)-subset the rows that hold it. A row that meets an unserved
// p-subset s in t-1 numbers holds exactly one of s's (t-1)-subsets (two would
// make t), so these lists name the rows one swap away from serving s, each
// once.
class RowIndex {
public:
    RowIndex(int v, int k) : k_(k), lists_(kBinom.c[v][k]) {}
    void add(std::uint32_t i, RowMask row) {
        forEachSubsetOf(row, k_, [&](RowMask sub) { lists_[rankOf(sub)].push_back(i); });
    }
    void remove(std::uint32_t i, RowMask row) {
        forEachSubsetOf(row, k_, [&](RowMask sub) {
            std::vector<std::uint32_t>& l = lists_[rankOf(sub)];
            *std::find(l.begin(), l.end(), i) = l.back();
            l.pop_back();
        });
    }
    const std::vector<std::uint32_t>& holding(RowMask sub) const { return lists_[rankOf(sub)]; }

private:
    int k_;
    std::vector<std::vector<std::uint32_t>> lists_;
};

// The search: a greedy start, then, one row fewer each time the p-subsets are
// all served again (rows that serve nothing alone go first), annealing on the
// number of unserved p-subsets. Each step takes an unserved subset s and a
// row one swap away from serving it (through the index, so the step costs
// the same however many rows there are), and weighs the swap that leaves the
// fewest unserved against the temperature.
class Search {
public:
    // With rows to start from (a design that keeps the guarantee) the greedy
    // start is skipped.
    Search(int v, Guarantee g, const SearchLimits& limits, std::vector<RowMask> startRows = {})
        : v_(v), g_(g), limits_(limits), cover_(v, g), index_(v, g.t - 1),
          rng_{limits.seed * 0x2545F4914F6CDD1Dull + 1}, start_(std::chrono::steady_clock::now()),
          rows_(std::move(startRows)) {}

    std::vector<RowMask> run(std::uint64_t bound, std::uint64_t& steps, bool& stopped) {
        bound_ = bound;
        if (rows_.empty()) {
            greedy();
            if (greedyCut_) {
                steps = 0;
                stopped = stopped_;
                return {};
            }
        } else {
            for (RowMask r : rows_)
                cover_.add(r);
        }
        for (std::size_t i = 0; i < rows_.size(); ++i)
            index_.add(static_cast<std::uint32_t>(i), rows_[i]);
        pruneRedundant();
        startSize_ = rows_.size();
        std::vector<RowMask> best = rows_;
        steps_ = 0;
        if (best.size() > bound && !stopped_)
            dropOne();
        while (best.size() > bound && !stopped_ && !outOfBudget()) {
            ++steps_;
            if (cover_.uncoveredCount() == 0) {
                pruneRedundant();
                best = rows_;
                lastGain_ = steps_;
                if (best.size() <= bound)
                    break;
                dropOne();
                continue;
            }
            move();
        }
        steps = steps_;
        stopped = stopped_;
        return best;
    }

    // Ends the search after this many steps without a smaller design.
    void stopWhenStalled(std::uint64_t steps) { stallSteps_ = steps; }

    // Gives up, returning no rows, when the time runs out before the greedy
    // start is whole (for callers that hold a design already).
    void giveUpAtDeadline() { giveUp_ = true; }

    // The rows of the start once the rows that serve nothing alone are gone.
    std::size_t startSize() const { return startSize_; }

private:
    bool outOfBudget() {
        if (limits_.maxSteps && steps_ >= limits_.maxSteps)
            return true;
        if (stallSteps_ && steps_ - lastGain_ >= stallSteps_)
            return true;
        if ((steps_ & 63) != 0)
            return false;
        if (limits_.seconds > 0) {
            const std::chrono::duration<double> used = std::chrono::steady_clock::now() - start_;
            if (used.count() >= limits_.seconds)
                return true;
        }
        if (limits_.progress && (steps_ & 1023) == 0) {
            Progress p{steps_, bestSize_, bound_};
            if (!limits_.progress(p)) {
                stopped_ = true;
                return true;
            }
        }
        return false;
    }

    // A random row that serves the p-subset s: t of its numbers and 5 - t others.
    RowMask rowServing(RowMask s) {
        RowMask r = randomBits(rng_, s, g_.t);
        r |= randomBits(rng_, fullMask(v_) & ~r, kRowSize - g_.t);
        return r;
    }

    RowMask randomUncovered() {
        return cover_.unrank(cover_.uncoveredAt(rng_.below(static_cast<std::uint32_t>(cover_.uncoveredCount()))));
    }

    // Repeatedly serves a random unserved p-subset with the best of a few
    // random rows that serve it.
    void greedy() {
        constexpr int kTries = 24;
        while (cover_.uncoveredCount() > 0) {
            const RowMask s = randomUncovered();
            RowMask best = 0;
            long bestGain = -1;
            for (int k = 0; k < kTries; ++k) {
                const RowMask r = rowServing(s);
                const long gain = cover_.gain(r);
                if (gain > bestGain) {
                    bestGain = gain;
                    best = r;
                }
            }
            cover_.add(best);
            rows_.push_back(best);
            // The window stays alive; a stop takes effect once the design is whole.
            if (limits_.progress && rows_.size() % 64 == 0 && !stopped_) {
                Progress p{0, 0, bound_};
                stopped_ = !limits_.progress(p);
            }
            if (giveUp_ && limits_.seconds > 0 && rows_.size() % 16 == 0) {
                const std::chrono::duration<double> used = std::chrono::steady_clock::now() - start_;
                if (used.count() >= limits_.seconds) {
                    greedyCut_ = true;
                    return;
                }
            }
        }
        bestSize_ = rows_.size();
    }

    // Takes row i out; the last row moves into its place.
    void removeRow(std::size_t i) {
        const auto at = static_cast<std::uint32_t>(i), last = static_cast<std::uint32_t>(rows_.size() - 1);
        cover_.remove(rows_[i]);
        index_.remove(at, rows_[i]);
        if (at != last) {
            index_.remove(last, rows_[last]);
            index_.add(at, rows_[last]);
            rows_[i] = rows_[last];
        }
        rows_.pop_back();
    }

    void replaceRow(std::size_t i, RowMask next) {
        index_.remove(static_cast<std::uint32_t>(i), rows_[i]);
        index_.add(static_cast<std::uint32_t>(i), next);
        rows_[i] = next;
    }

    // Drops rows that serve nothing alone, the latest first.
    void pruneRedundant() {
        for (std::size_t i = rows_.size(); i-- > 0;)
            if (cover_.loss(rows_[i]) == 0)
                removeRow(i);
        bestSize_ = rows_.size();
    }

    // Removes the row whose loss leaves the fewest p-subsets unserved.
    void dropOne() {
        bestSize_ = rows_.size();
        std::size_t worst = 0;
        long least = -1;
        for (std::size_t i = 0; i < rows_.size(); ++i) {
            const long l = cover_.loss(rows_[i]);
            if (least < 0 || l < least) {
                least = l;
                worst = i;
            }
        }
        removeRow(worst);
    }

    // One step aimed at an unserved p-subset s (see the class comment).
    void move() {
        const RowMask s = randomUncovered();
        // A random one of the rows one swap away from serving s.
        const std::vector<std::uint32_t>* lists[10];
        int nLists = 0;
        std::uint32_t total = 0;
        forEachSubsetOf(s, g_.t - 1, [&](RowMask sub) {
            lists[nLists] = &index_.holding(sub);
            total += static_cast<std::uint32_t>(lists[nLists]->size());
            ++nLists;
        });
        if (total == 0) {
            replaceTowards(s);
            return;
        }
        std::uint32_t k = rng_.below(total);
        int l = 0;
        while (k >= lists[l]->size())
            k -= static_cast<std::uint32_t>(lists[l++]->size());
        const std::size_t pick = (*lists[l])[k];
        const RowMask old = rows_[pick];
        const RowMask outs = old & ~s, ins = s & ~old;
        // Every swap of one of the row's others for one of s's missing
        // numbers when that is cheap, else one at random.
        int bestY = -1, bestX = -1;
        long bestCost = 0;
        const int pairs = std::popcount(outs) * std::popcount(ins);
        if (cover_.swapWork() * static_cast<std::size_t>(pairs) <= 4096) {
            std::uint32_t ties = 0;
            for (RowMask o = outs; o; o &= o - 1)
                for (RowMask n = ins; n; n &= n - 1) {
                    const int y = std::countr_zero(o), x = std::countr_zero(n);
                    const long cost = cover_.swapCost(old, y, x);
                    if (bestY < 0 || cost < bestCost) {
                        bestY = y, bestX = x, bestCost = cost, ties = 1;
                    } else if (cost == bestCost && rng_.below(++ties) == 0) {
                        bestY = y, bestX = x;
                    }
                }
        } else {
            bestY = std::countr_zero(randomBits(rng_, outs, 1));
            bestX = std::countr_zero(randomBits(rng_, ins, 1));
            bestCost = cover_.swapCost(old, bestY, bestX);
        }
        if (!accept(bestCost))
            return;
        cover_.swap(old, bestY, bestX);
        replaceRow(pick, (old & ~(RowMask{1} << bestY)) | (RowMask{1} << bestX));
    }

    // No row is one swap away from serving s: a random row gives way to a
    // random row serving s.
    void replaceTowards(RowMask s) {
        const std::size_t pick = rng_.below(static_cast<std::uint32_t>(rows_.size()));
        const RowMask old = rows_[pick], next = rowServing(s);
        const long delta = cover_.remove(old) + cover_.add(next);
        if (!accept(delta)) {
            cover_.remove(next);
            cover_.add(old);
            return;
        }
        replaceRow(pick, next);
    }

    // Metropolis at a fixed temperature: a step that leaves d more
    // p-subsets unserved is taken with probability exp(-d / T). Tried on
    // 10..30 numbers and the usual guarantees, 0.3 did best; the search
    // restarts from a full cover at each size, so cooling bought nothing.
    bool accept(long delta) {
        constexpr double kTemperature = 0.3;
        return delta <= 0 || rng_.unit() < std::exp(-static_cast<double>(delta) / kTemperature);
    }

    int v_;
    Guarantee g_;
    const SearchLimits& limits_;
    Cover cover_;
    RowIndex index_;
    SearchRng rng_;
    std::chrono::steady_clock::time_point start_;
    std::vector<RowMask> rows_;
    std::size_t bestSize_ = 0;
    std::size_t startSize_ = 0;
    std::uint64_t stallSteps_ = 0, lastGain_ = 0;
    std::uint64_t bound_ = 1;
    std::uint64_t steps_ = 0;
    bool stopped_ = false;
    bool giveUp_ = false, greedyCut_ = false;
};

using Clock = std::chrono::steady_clock;

// The steps each part of a split may take when the caller sets no step
// limit: enough for the small wheels "t if t" a split is made of to reach
// their best sizes (3if3 over 13 numbers: 34 rows after about a million).
constexpr std::uint64_t kPartSteps = 1000000;
// A part's search ends once this many steps brought no smaller wheel.
constexpr std::uint64_t kPartStall = 250000;

struct Found {
    std::vector<RowMask> rows;
    Origin origin = Origin::Search;
    std::uint64_t steps = 0;
    bool stopped = false;
};

Found findWheel(int v, Guarantee g, const SearchLimits& limits, std::uint64_t stepsBefore, std::uint64_t stall = 0);

// How many parts a split may have: each holds at most t-1 of the p drawn
// without a row having t of them, so with k parts and k(t-1) < p some part
// holds t of any p drawn.
int splitParts(Guarantee g) { return g.t >= 2 ? (g.p - 1) / (g.t - 1) : 1; }

// Limits for a search inside the whole: the steps reported to the caller
// count on from `before`; a part's rows are no design of the whole yet.
SearchLimits innerLimits(const SearchLimits& outer, double seconds, std::uint64_t maxSteps,
                         std::uint64_t before, std::uint64_t bound, bool isPart) {
    SearchLimits l;
    l.seconds = seconds;
    l.maxSteps = maxSteps;
    l.seed = outer.seed;
    if (outer.progress)
        l.progress = [&outer, before, bound, isPart](const Progress& p) {
            return outer.progress(Progress{before + p.steps, isPart ? 0 : p.rows, bound});
        };
    return l;
}

double secondsUntil(Clock::time_point end) {
    const std::chrono::duration<double> left = end - Clock::now();
    return std::max(left.count(), 1e-9); // a sliver: the search ends at once
}

// A wheel "t if p" for p > t from wheels "t if t" over the parts of a split
// of the numbers. A part of s numbers holds at most min(s, t-1) of the drawn
// without a row having t of them; when these add up to less than p, any p
// drawn put t into one part, and that part's wheel has a row with them. A
// part of fewer than t numbers needs no row, one of t to 5 numbers one row
// (the part and any others). The parts of the most even split are searched
// first. Then the split with the fewest rows is found with the lower bounds
// plus 5 % standing in for the wheels not yet searched; a part size is
// searched only when the best split by that measure holds it, until the
// best split holds only sizes searched already.
Found splitWheel(int v, Guarantee g, const SearchLimits& limits, std::uint64_t stepsBefore) {
    const int t = g.t, capacity = g.p - 1;
    const Guarantee partGuarantee{t, t};
    const Clock::time_point end =
        Clock::now() + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(std::max(limits.seconds, 0.0)));
    const std::uint64_t wholeBound = lowerBound(v, g);
    constexpr long kNone = -1;
    std::vector<long> known(static_cast<std::size_t>(v), kNone); // rows of the part wheel over s numbers
    std::vector<std::vector<RowMask>> partRows(static_cast<std::size_t>(v));
    for (int s = 0; s < v; ++s) {
        if (s <= kRowSize) {
            known[static_cast<std::size_t>(s)] = s < t ? 0 : 1;
        } else if (const std::vector<RowMask>& design = steinerSystem(t, s); !design.empty()) {
            known[static_cast<std::size_t>(s)] = static_cast<long>(design.size());
            partRows[static_cast<std::size_t>(s)] = design;
        }
    }
    // The split of the v numbers (two parts at least) with the fewest rows,
    // each part counted as `known` or, when `optimistic`, its lower bound.
    const auto bestSplit = [&](bool optimistic, std::vector<int>& sizes) -> long {
        const std::size_t width = static_cast<std::size_t>(v) + 1;
        std::vector<long> cost(static_cast<std::size_t>(capacity + 1) * width, kNone);
        std::vector<int> last(cost.size(), 0);
        cost[0] = 0;
        for (int n = 1; n <= v; ++n)
            for (int c = 0; c <= capacity; ++c)
                for (int s = 1; s <= std::min(n, v - 1); ++s) {
                    const int cs = std::min(s, t - 1);
                    if (cs > c)
                        continue;
                    const long before = cost[static_cast<std::size_t>(c - cs) * width + static_cast<std::size_t>(n - s)];
                    long rows = known[static_cast<std::size_t>(s)];
                    if (rows == kNone && optimistic) // the search ends some 5 % above the bound
                        rows = static_cast<long>((lowerBound(s, partGuarantee) * 21 + 19) / 20);
                    if (before == kNone || rows == kNone)
                        continue;
                    long& here = cost[static_cast<std::size_t>(c) * width + static_cast<std::size_t>(n)];
                    if (here == kNone || before + rows < here) {
                        here = before + rows;
                        last[static_cast<std::size_t>(c) * width + static_cast<std::size_t>(n)] = s;
                    }
                }
        int bestC = -1;
        for (int c = 0; c <= capacity; ++c) {
            const long here = cost[static_cast<std::size_t>(c) * width + static_cast<std::size_t>(v)];
            if (here != kNone && (bestC < 0 || here < cost[static_cast<std::size_t>(bestC) * width + static_cast<std::size_t>(v)]))
                bestC = c;
        }
        sizes.clear();
        if (bestC < 0)
            return kNone;
        for (int c = bestC, n = v; n > 0;) {
            const int s = last[static_cast<std::size_t>(c) * width + static_cast<std::size_t>(n)];
            sizes.push_back(s);
            n -= s;
            c -= std::min(s, t - 1);
        }
        return cost[static_cast<std::size_t>(bestC) * width + static_cast<std::size_t>(v)];
    };

    Found found;
    // The parts of the most even split are searched first: the wheels grow
    // about as the t-th power of their numbers, so it is mostly the best or
    // close to it, and whatever the time allows after it can only improve
    // on it. The lower bounds alone would send the search to uneven splits
    // first, where a bound is far below what the parts need (3if5 over 25:
    // 11 and 14 numbers, bounds 18 + 37, found 20 + 44, while 12 and 13
    // give 29 + 34), and a busy machine would then never reach the even one.
    std::vector<int> sizes;
    const int parts = splitParts(g);
    for (int i = 0; i < parts; ++i)
        sizes.push_back(v / parts + (i < v % parts ? 1 : 0));
    for (bool even = true;; even = false) {
        if (!even && bestSplit(true, sizes) == kNone)
            return found;
        std::vector<int> missing;
        for (int s : sizes)
            if (known[static_cast<std::size_t>(s)] == kNone && std::find(missing.begin(), missing.end(), s) == missing.end())
                missing.push_back(s);
        if (missing.empty() && !even)
            break;
        bool cut = false;
        for (int s : missing) {
            // Each part its own allotment of steps, whatever the caller's
            // limit (the steps of a bigger guarantee cost far more).
            const SearchLimits partLimits =
                innerLimits(limits, limits.seconds > 0 ? secondsUntil(end) : 0, kPartSteps, stepsBefore + found.steps,
                            wholeBound, true);
            Found part = findWheel(s, partGuarantee, partLimits, 0, kPartStall);
            found.steps += part.steps;
            known[static_cast<std::size_t>(s)] = static_cast<long>(part.rows.size());
            partRows[static_cast<std::size_t>(s)] = std::move(part.rows);
            if (part.stopped || (limits.seconds > 0 && Clock::now() >= end)) {
                found.stopped = part.stopped;
                cut = true;
                break;
            }
        }
        if (cut) {
            if (bestSplit(false, sizes) == kNone)
                return found;
            break;
        }
    }
    int offset = 0;
    for (int s : sizes) {
        const RowMask part = ((RowMask{1} << s) - 1) << offset;
        if (s >= t && s <= kRowSize) {
            RowMask row = part;
            for (int e = 0; std::popcount(row) < kRowSize; ++e)
                row |= RowMask{1} << e;
            found.rows.push_back(row);
        } else if (s > kRowSize) {
            for (RowMask r : partRows[static_cast<std::size_t>(s)])
                found.rows.push_back(r << offset);
        }
        offset += s;
    }
    found.origin = Origin::Split;
    return found;
}

// The best wheel this program makes over v numbers within the limits: a
// known design or a split, shrunk by the search unless it meets the bound;
// without either, the search from a greedy start.
Found findWheel(int v, Guarantee g, const SearchLimits& limits, std::uint64_t stepsBefore, std::uint64_t stall) {
    Found found;
    if (g.t == kRowSize) {
        // The full wheel: every 5 of the numbers must be a row.
        forEachSubset(v, kRowSize, [&](RowMask r) { found.rows.push_back(r); });
        found.origin = Origin::Full;
        return found;
    }
    const Clock::time_point begin = Clock::now();
    const std::uint64_t bound = lowerBound(v, g);
    std::vector<RowMask> start;
    Origin startOrigin = Origin::Search;
    if (g.p == g.t) {
        ConstructedCover c = constructedCover(v, g.t);
        if (!c.rows.empty()) {
            start = std::move(c.rows);
            startOrigin = Origin::Construction;
        }
    } else if (splitParts(g) >= 2 && v > kRowSize) {
        // The wheels over the parts decide; the search has the last tenth
        // of the time and its own steps.
        const SearchLimits splitLimits = innerLimits(limits, limits.seconds * 0.9, 0, 0, bound, false);
        Found split = splitWheel(v, g, splitLimits, stepsBefore);
        found.steps += split.steps;
        found.stopped = split.stopped;
        if (!split.rows.empty()) {
            start = std::move(split.rows);
            startOrigin = Origin::Split;
        }
    }
    // A start that would not keep the guarantee is no start.
    if (!start.empty() && !keepsGuarantee(v, g, start))
        start.clear();
    if (!start.empty()) {
        std::vector<RowMask> unique = start;
        std::sort(unique.begin(), unique.end());
        unique.erase(std::unique(unique.begin(), unique.end()), unique.end());
        if (unique.size() <= bound) {
            found.rows = std::move(start);
            found.origin = startOrigin;
            return found;
        }
    }
    const SearchLimits searchLimits = innerLimits(
        limits, limits.seconds > 0 ? secondsUntil(begin + std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(limits.seconds))) : 0,
        limits.maxSteps, stepsBefore + found.steps, bound, false);
    // A known design is shrunk further. A split is not: it is made of
    // wheels that were searched already, and over few numbers the search
    // from a greedy start does better; the smaller of the two is returned.
    const bool fromStart = !start.empty() && startOrigin == Origin::Construction;
    Search search(v, g, searchLimits, fromStart ? std::move(start) : std::vector<RowMask>{});
    search.stopWhenStalled(stall);
    // Beside a split the search from a greedy start is only worth its time
    // when it gets past the start (3if5 over 30 numbers: some 0.3 s).
    if (!start.empty() && !fromStart)
        search.giveUpAtDeadline();
    std::uint64_t steps = 0;
    bool stopped = false;
    std::vector<RowMask> rows = search.run(bound, steps, stopped);
    found.steps += steps;
    found.stopped = found.stopped || stopped;
    if (fromStart) {
        found.rows = std::move(rows);
        found.origin = found.rows.size() >= search.startSize() ? startOrigin : Origin::Search;
    } else if (!start.empty() && (rows.empty() || start.size() <= rows.size())) {
        found.rows = std::move(start);
        found.origin = startOrigin;
    } else {
        found.rows = std::move(rows);
        found.origin = Origin::Search;
    }
    return found;
}

} // namespace

std::uint64_t binomial(int n, int k) {
    if (n < 0 || k < 0 || k > n)
        return 0;
    if (n <= 70 && k <= 5)
        return kBinom.c[n][k];
    std::uint64_t r = 1;
    for (int i = 1; i <= k; ++i)
        r = r * static_cast<std::uint64_t>(n - k + i) / static_cast<std::uint64_t>(i);
    return r;
}

bool parseGuarantee(const std::string& text, Guarantee& g) {
    if (text.size() != 4 || text.compare(1, 2, "if") != 0)
        return false;
    const char a = text[0], b = text[3];
    if (a < '1' || a > '5' || b < '1' || b > '5' || a > b)
        return false;
    g = Guarantee{a - '0', b - '0'};
    return true;
}

bool parsePrice(const std::string& text, std::int64_t& cents) {
    const std::size_t point = text.find('.');
    const std::string whole = text.substr(0, point);
    const std::string frac = point == std::string::npos ? std::string() : text.substr(point + 1);
    if (whole.empty() || whole.size() > 4 || frac.size() > 2 || (point != std::string::npos && frac.empty()))
        return false;
    if (whole.find_first_not_of("0123456789") != std::string::npos || frac.find_first_not_of("0123456789") != std::string::npos)
        return false;
    std::int64_t c = std::stoll(whole) * 100;
    if (!frac.empty())
        c += std::stoll(frac) * (frac.size() == 1 ? 10 : 1);
    if (c < 1 || c > kMaxPriceCents)
        return false;
    cents = c;
    return true;
}

std::string priceText(std::int64_t cents) {
    return std::to_string(cents / 100) + "." + (cents % 100 < 10 ? "0" : "") + std::to_string(cents % 100);
}

std::string guaranteeText(Guarantee g) { return std::to_string(g.t) + "if" + std::to_string(g.p); }

std::string numbersProblem(const std::vector<int>& numbers) {
    if (numbers.size() < static_cast<std::size_t>(kMinNumbers) || numbers.size() > static_cast<std::size_t>(kMaxNumbers))
        return "a wheel takes 6 to 30 numbers, not " + std::to_string(numbers.size());
    std::vector<int> seen(kHighestNumber + 1, 0);
    for (int n : numbers) {
        if (n < 1 || n > kHighestNumber)
            return "number outside 1-70: " + std::to_string(n);
        if (seen[n]++)
            return "number given twice: " + std::to_string(n);
    }
    return {};
}

std::string megaBallsProblem(const std::vector<int>& megaBalls) {
    if (megaBalls.empty())
        return "no MegaBall given";
    std::vector<int> seen(kHighestMegaBall + 1, 0);
    for (int m : megaBalls) {
        if (m < 1 || m > kHighestMegaBall)
            return "MegaBall outside 1-24: " + std::to_string(m);
        if (seen[m]++)
            return "MegaBall given twice: " + std::to_string(m);
    }
    return {};
}

std::uint64_t lowerBound(int v, Guarantee g) {
    // Most p-subsets one row serves: i of its 5 and p-i of the v-5 others.
    std::uint64_t perRow = 0;
    for (int i = g.t; i <= std::min(g.p, kRowSize); ++i)
        perRow += binomial(kRowSize, i) * binomial(v - kRowSize, g.p - i);
    std::uint64_t bound = perRow ? (binomial(v, g.p) + perRow - 1) / perRow : 1;
    if (g.p == g.t) {
        // Schönheim: L(v,k,t) = ceil(v/k * L(v-1,k-1,t-1)), L(.,.,0) = 1.
        std::uint64_t s = 1;
        for (int i = g.t - 1; i >= 0; --i) {
            const std::uint64_t n = static_cast<std::uint64_t>(v - i), k = static_cast<std::uint64_t>(kRowSize - i);
            s = (n * s + k - 1) / k;
        }
        bound = std::max(bound, s);
    } else if (v >= g.p) {
        // The t-subsets that lie in some row: a p-subset is served exactly
        // when it contains one of them, so they form a family F of t-subsets
        // of the n = v numbers that meets every p-subset. Let T(n) be the
        // least size of such a family. Leaving out one number x, the members
        // of F without x still meet every p-subset of the other n-1, so
        // |F| - deg(x) >= T(n-1); summed over the n numbers, each member
        // counted t times in the degrees: (n - t)|F| >= n T(n-1), hence
        // T(n) >= ceil(n T(n-1) / (n - t)), starting from T(p) = 1 (the one
        // p-subset must contain a member). A row holds C(5,t) t-subsets, so
        // the rows are at least ceil(T(v) / C(5,t)). From about 12 numbers
        // on this beats the count above (3if4 over 20: 38 against 32).
        std::uint64_t family = 1;
        for (int n = g.p + 1; n <= v; ++n) {
            const auto un = static_cast<std::uint64_t>(n), ut = static_cast<std::uint64_t>(g.t);
            family = (un * family + (un - ut) - 1) / (un - ut);
        }
        const std::uint64_t perRowT = binomial(kRowSize, g.t);
        bound = std::max(bound, (family + perRowT - 1) / perRowT);
    }
    return std::max<std::uint64_t>(bound, 1);
}

bool keepsGuarantee(int v, Guarantee g, const std::vector<RowMask>& rows) {
    if (v < kRowSize || v > kMaxNumbers || g.t < 1 || g.t > g.p || g.p > kRowSize)
        return false;
    for (RowMask r : rows)
        if (!isRow(v, r))
            return false;
    const std::vector<char> marked = markedTSubsets(v, g.t, rows);
    bool all = true;
    forEachSubset(v, g.p, [&](RowMask s) { all = all && meetsSomeRow(s, g.t, marked); });
    return all;
}

Odds computeOdds(int v, Guarantee g, const std::vector<RowMask>& rows) {
    Odds o;
    const int others = kHighestNumber - v;
    o.drawings = binomial(kHighestNumber, kRowSize);
    for (int i = g.p; i <= kRowSize; ++i)
        o.conditionDrawings += binomial(v, i) * binomial(others, kRowSize - i);
    // The drawn numbers among the chosen ones, D, with j = |D|: C(70-v, 5-j)
    // drawings share it; they hit when D meets some row in t numbers.
    const std::vector<char> marked = markedTSubsets(v, g.t, rows);
    for (int j = g.t; j <= kRowSize; ++j) {
        std::uint64_t hits = 0;
        forEachSubset(v, j, [&](RowMask d) { hits += meetsSomeRow(d, g.t, marked); });
        o.hitDrawings += hits * binomial(others, kRowSize - j);
    }
    const long double total = static_cast<long double>(o.drawings);
    o.pCondition = static_cast<long double>(o.conditionDrawings) / total;
    o.pHit = static_cast<long double>(o.hitDrawings) / total;
    for (int h = 0; h <= kRowSize; ++h)
        o.expectedRows[h] = static_cast<long double>(rows.size()) *
                            static_cast<long double>(binomial(kRowSize, h) * binomial(kHighestNumber - kRowSize, kRowSize - h)) /
                            total;
    return o;
}

std::array<int, 5> Design::row(std::size_t r) const {
    std::array<int, 5> out{};
    int k = 0;
    for (RowMask m = rows.at(r); m && k < 5; m &= m - 1)
        out[k++] = numbers[std::countr_zero(m)];
    return out;
}

Design certifyDesign(std::vector<int> numbers, Guarantee g, std::vector<RowMask> rows) {
    if (const std::string problem = numbersProblem(numbers); !problem.empty())
        throw WheelError(problem);
    std::sort(numbers.begin(), numbers.end());
    const int v = static_cast<int>(numbers.size());
    // Repeats first seen stay in place; a repeat never serves anything new.
    std::vector<RowMask> unique;
    std::unordered_set<RowMask> seen;
    for (RowMask r : rows)
        if (seen.insert(r).second)
            unique.push_back(r);
    if (!keepsGuarantee(v, g, unique))
        throw WheelError("the rows do not keep the guarantee " + guaranteeText(g));
    Design d;
    d.numbers = std::move(numbers);
    d.guarantee = g;
    d.rows = std::move(unique);
    d.bound = lowerBound(v, g);
    return d;
}

Design buildWheel(const std::vector<int>& numbers, Guarantee g, const SearchLimits& limits) {
    if (const std::string problem = numbersProblem(numbers); !problem.empty())
        throw WheelError(problem);
    if (g.t < 1 || g.t > g.p || g.p > kRowSize)
        throw WheelError("a guarantee needs 1 <= t <= p <= 5");
    if (limits.maxSteps > kMaxSteps)
        throw WheelError("at most " + std::to_string(kMaxSteps) + " steps");
    const int v = static_cast<int>(numbers.size());
    Found found = findWheel(v, g, limits, 0);
    // Rows in the order of their numbers, as a list would sort them.
    std::sort(found.rows.begin(), found.rows.end(), [](RowMask a, RowMask b) {
        while (a && b) {
            const int ea = std::countr_zero(a), eb = std::countr_zero(b);
            if (ea != eb)
                return ea < eb;
            a &= a - 1;
            b &= b - 1;
        }
        return false;
    });
    Design d = certifyDesign(numbers, g, std::move(found.rows));
    d.steps = found.steps;
    d.stopped = found.stopped;
    d.origin = found.origin;
    return d;
}

std::vector<Play> plays(const Design& d, const std::vector<int>& megaBalls, bool cross) {
    std::vector<Play> out;
    if (megaBalls.empty()) {
        for (std::size_t r = 0; r < d.rows.size(); ++r)
            out.push_back(Play{d.row(r), 0});
    } else if (cross) {
        for (std::size_t r = 0; r < d.rows.size(); ++r)
            for (int mb : megaBalls)
                out.push_back(Play{d.row(r), mb});
    } else {
        for (std::size_t r = 0; r < d.rows.size(); ++r)
            out.push_back(Play{d.row(r), megaBalls[r % megaBalls.size()]});
    }
    return out;
}

} // namespace rz::wheel
