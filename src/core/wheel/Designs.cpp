#include "wheel/Designs.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <unordered_set>

namespace rz::wheel {

namespace {

// GF(q), q = p^n <= 27: elements 0..q-1 as the base-p digits of a
// polynomial in x (digit i = coefficient of x^i), multiplication modulo a
// monic polynomial of degree n in which x has order q-1 (such a polynomial
// is irreducible: its residue ring has q-1 units, so it is a field).
class Field {
public:
    Field(int p, int n) : p_(p), n_(n), q_(1) {
        for (int i = 0; i < n; ++i)
            q_ *= p;
        add_.resize(static_cast<std::size_t>(q_ * q_));
        mul_.resize(add_.size());
        for (int a = 0; a < q_; ++a)
            for (int b = 0; b < q_; ++b) {
                int sum = 0;
                for (int i = 0, w = 1; i < n_; ++i, w *= p_)
                    sum += ((a / w % p_ + b / w % p_) % p_) * w;
                add_[idx(a, b)] = sum;
            }
        modulus_ = primitiveModulus();
        for (int a = 0; a < q_; ++a)
            for (int b = 0; b < q_; ++b)
                mul_[idx(a, b)] = polyMul(a, b, modulus_);
        neg_.resize(static_cast<std::size_t>(q_));
        inv_.assign(static_cast<std::size_t>(q_), 0);
        for (int a = 0; a < q_; ++a)
            for (int b = 0; b < q_; ++b) {
                if (add(a, b) == 0)
                    neg_[static_cast<std::size_t>(a)] = b;
                if (mul(a, b) == 1)
                    inv_[static_cast<std::size_t>(a)] = b;
            }
    }

    int size() const { return q_; }
    int add(int a, int b) const { return add_[idx(a, b)]; }
    int sub(int a, int b) const { return add(a, neg_[static_cast<std::size_t>(b)]); }
    int mul(int a, int b) const { return mul_[idx(a, b)]; }
    int div(int a, int b) const { return mul(a, inv_[static_cast<std::size_t>(b)]); }
    bool isSquare(int a) const {
        for (int y = 1; y < q_; ++y)
            if (mul(y, y) == a)
                return true;
        return false;
    }

private:
    std::size_t idx(int a, int b) const { return static_cast<std::size_t>(a * q_ + b); }

    // a * b reduced by x^n = -(f_0 + f_1 x + ... + f_{n-1} x^{n-1}).
    int polyMul(int a, int b, const std::vector<int>& f) const {
        std::vector<int> prod(static_cast<std::size_t>(2 * n_), 0);
        for (int i = 0, wi = 1; i < n_; ++i, wi *= p_)
            for (int j = 0, wj = 1; j < n_; ++j, wj *= p_)
                prod[static_cast<std::size_t>(i + j)] += (a / wi % p_) * (b / wj % p_);
        for (int k = 2 * n_ - 2; k >= n_; --k) {
            const int c = prod[static_cast<std::size_t>(k)] % p_;
            prod[static_cast<std::size_t>(k)] = 0;
            for (int i = 0; i < n_ && c; ++i)
                prod[static_cast<std::size_t>(k - n_ + i)] += (p_ - c) * f[static_cast<std::size_t>(i)];
        }
        int r = 0;
        for (int i = 0, w = 1; i < n_; ++i, w *= p_)
            r += prod[static_cast<std::size_t>(i)] % p_ * w;
        return r;
    }

    std::vector<int> primitiveModulus() const {
        if (n_ == 1)
            return {0}; // x = 0 modulo x: plain arithmetic modulo p
        const int x = p_;
        for (int code = 1; code < q_; ++code) {
            std::vector<int> f;
            for (int i = 0, c = code; i < n_; ++i, c /= p_)
                f.push_back(c % p_);
            if (f[0] == 0)
                continue;
            int y = 1, order = 0;
            do {
                y = polyMul(y, x, f);
                ++order;
            } while (y != 1 && order < q_);
            if (order == q_ - 1)
                return f;
        }
        return {}; // not reached for a prime power
    }

    int p_, n_, q_;
    std::vector<int> modulus_, add_, mul_, neg_, inv_;
};

using Permutation = std::vector<std::uint8_t>;

// The maps z -> (az + b) / (cz + d), ad - bc != 0, of the projective line
// GF(q) + {infinity} (infinity is the point q), each once: c = 0, d = 1 or
// c = 1. That is PGL(2,q); with squaresOnly the determinant must be a
// square, which for odd q is PSL(2,q).
std::vector<Permutation> moebiusMaps(const Field& F, bool squaresOnly) {
    const int q = F.size();
    std::vector<Permutation> maps;
    auto push = [&](int a, int b, int c, int d) {
        Permutation m(static_cast<std::size_t>(q + 1));
        m[static_cast<std::size_t>(q)] = static_cast<std::uint8_t>(c == 0 ? q : F.div(a, c));
        for (int z = 0; z < q; ++z) {
            const int num = F.add(F.mul(a, z), b), den = F.add(F.mul(c, z), d);
            m[static_cast<std::size_t>(z)] = static_cast<std::uint8_t>(den == 0 ? q : F.div(num, den));
        }
        maps.push_back(std::move(m));
    };
    for (int a = 1; a < q; ++a)
        for (int b = 0; b < q; ++b)
            if (!squaresOnly || F.isSquare(a))
                push(a, b, 0, 1);
    for (int a = 0; a < q; ++a)
        for (int b = 0; b < q; ++b)
            for (int d = 0; d < q; ++d) {
                const int det = F.sub(F.mul(a, d), b);
                if (det != 0 && (!squaresOnly || F.isSquare(det)))
                    push(a, b, 1, d);
            }
    return maps;
}

RowMask image(const Permutation& m, RowMask set) {
    RowMask out = 0;
    for (; set; set &= set - 1)
        out |= RowMask{1} << m[static_cast<std::size_t>(std::countr_zero(set))];
    return out;
}

std::vector<RowMask> orbit(const std::vector<Permutation>& maps, RowMask base) {
    std::vector<RowMask> out;
    out.reserve(maps.size());
    for (const Permutation& m : maps)
        out.push_back(image(m, base));
    std::sort(out.begin(), out.end());
    out.erase(std::unique(out.begin(), out.end()), out.end());
    return out;
}

std::uint64_t choose(int n, int k) {
    if (k < 0 || k > n)
        return 0;
    std::uint64_t r = 1;
    for (int i = 1; i <= k; ++i)
        r = r * static_cast<std::uint64_t>(n - k + i) / static_cast<std::uint64_t>(i);
    return r;
}

// Colexicographic rank of a set of bits.
std::size_t colexRank(RowMask m) {
    std::size_t r = 0;
    for (int j = 1; m; ++j, m &= m - 1)
        r += static_cast<std::size_t>(choose(std::countr_zero(m), j));
    return r;
}

// S(3,5,q+1): PGL(2,q) is sharply 3-transitive on the q+1 points, so the
// orbit of a 5-set B is a 3-design, each triple in |orbit| * 10 / C(q+1,3)
// blocks: in one exactly when |orbit| = (q+1)q(q-1) / 60, that is when the
// stabiliser of B has order 60 (each of the 5*4*3 ordered triples of B is
// the image of (infinity, 0, 1) under a map that keeps B). Every orbit has a member holding infinity, 0 and 1,
// so the search runs over the 5-sets {infinity, 0, 1, x, y}.
std::vector<RowMask> steinerThreeFromLine(int p, int n) {
    const Field F(p, n);
    const int q = F.size();
    const std::vector<Permutation> maps = moebiusMaps(F, false);
    // The map sending (infinity, 0, 1) to (u, v, w), by those images.
    const auto key = [q](int u, int v, int w) { return (static_cast<std::size_t>(u) * static_cast<std::size_t>(q + 1) + static_cast<std::size_t>(v)) * static_cast<std::size_t>(q + 1) + static_cast<std::size_t>(w); };
    std::vector<std::uint32_t> byImages(static_cast<std::size_t>((q + 1) * (q + 1) * (q + 1)), 0);
    for (std::uint32_t i = 0; i < maps.size(); ++i)
        byImages[key(maps[i][static_cast<std::size_t>(q)], maps[i][0], maps[i][1])] = i;
    // A map sending B to itself sends (infinity, 0, 1) into B.
    for (int x = 2; x < q; ++x)
        for (int y = x + 1; y < q; ++y) {
            const int pts[5] = {q, 0, 1, x, y};
            RowMask b = 0;
            for (int e : pts)
                b |= RowMask{1} << e;
            int stabiliser = 0;
            for (int i = 0; i < 5; ++i)
                for (int j = 0; j < 5; ++j)
                    for (int k = 0; k < 5; ++k)
                        if (i != j && j != k && i != k &&
                            image(maps[byImages[key(pts[i], pts[j], pts[k])]], b) == b)
                            ++stabiliser;
            if (stabiliser == 60)
                return orbit(maps, b);
        }
    return {};
}

// S(4,5,11): the hexads of S(5,6,12) through one point, without it.
// S(5,6,12) is the orbit of a 6-set under PSL(2,11) on the 12 points of the
// projective line over GF(11) when that orbit has 132 members holding every
// 5-subset (132 * 6 = C(12,5)). As above, every orbit has a member holding
// infinity, 0 and 1.
std::vector<RowMask> steinerFourEleven() {
    const Field F(11, 1);
    const int q = 11;
    const std::vector<Permutation> maps = moebiusMaps(F, true);
    const RowMask infinity = RowMask{1} << q;
    for (int x = 2; x < q; ++x)
        for (int y = x + 1; y < q; ++y)
            for (int z = y + 1; z < q; ++z) {
                const RowMask base = infinity | 0b11 | RowMask{1} << x | RowMask{1} << y | RowMask{1} << z;
                const std::vector<RowMask> hexads = orbit(maps, base);
                if (hexads.size() != 132)
                    continue;
                std::unordered_set<RowMask> fives;
                for (RowMask h : hexads)
                    for (RowMask e = h; e; e &= e - 1)
                        fives.insert(h & ~(e & (~e + 1)));
                if (fives.size() != 792)
                    continue;
                std::vector<RowMask> rows;
                for (RowMask h : hexads)
                    if (h & infinity)
                        rows.push_back(h & ~infinity);
                return rows;
            }
    return {};
}

// The order of a permutation.
int order(const Permutation& m) {
    int n = 1;
    for (Permutation power = m;; ++n) {
        bool identity = true;
        for (std::size_t i = 0; i < power.size(); ++i)
            identity = identity && power[i] == i;
        if (identity)
            return n;
        for (std::uint8_t& x : power)
            x = m[x];
    }
}

// The cycle of the permutation through point `from`, as a set.
RowMask cycleThrough(const Permutation& m, int from) {
    RowMask set = 0;
    for (int x = from; !(set >> x & 1); x = m[static_cast<std::size_t>(x)])
        set |= RowMask{1} << x;
    return set;
}

// S(5,7,28) on the projective line over GF(27), as a union of two orbits
// of 7-sets under G = PSL(2,27) (order 9828): each of the C(28,5) = 98280
// 5-sets must lie in exactly one block, so the blocks are 98280 / 21 = 4680
// = 9828/7 + 9828/3, an orbit of a 7-set kept by an element of order 7
// and one of a 7-set kept by an element of order 3. An element of order 7
// (its order divides 28 = q + 1) fixes no point and has four 7-cycles; the
// translation z -> z + 1 (order 3) fixes infinity and has nine 3-cycles,
// so {infinity} with two of them is a 7-set it keeps. Among these
// candidates the pair whose orbits hold every 5-set once is the design;
// the check below decides, nothing is taken on trust.
std::vector<RowMask> steinerFiveSevenTwentyEight() {
    const Field F(3, 3);
    const int q = F.size(), points = q + 1;
    const std::vector<Permutation> maps = moebiusMaps(F, true);
    // The orbits of the candidates of each kind, each orbit once (sorted).
    std::vector<std::vector<RowMask>> sevenOrbits, threeOrbits;
    const auto known = [](const std::vector<std::vector<RowMask>>& orbits, RowMask set) {
        for (const auto& o : orbits)
            if (std::binary_search(o.begin(), o.end(), set))
                return true;
        return false;
    };
    for (const Permutation& m : maps) {
        if (order(m) != 7)
            continue;
        for (int from = 0; from < points; ++from) {
            const RowMask cycle = cycleThrough(m, from);
            if (!known(sevenOrbits, cycle))
                sevenOrbits.push_back(orbit(maps, cycle));
        }
        break;
    }
    Permutation shift(static_cast<std::size_t>(points));
    for (int z = 0; z < q; ++z)
        shift[static_cast<std::size_t>(z)] = static_cast<std::uint8_t>(F.add(z, 1));
    shift[static_cast<std::size_t>(q)] = static_cast<std::uint8_t>(q);
    std::vector<RowMask> cycles;
    for (int z = 0; z < q; ++z)
        if (std::countr_zero(cycleThrough(shift, z)) == z)
            cycles.push_back(cycleThrough(shift, z));
    for (std::size_t i = 0; i < cycles.size(); ++i)
        for (std::size_t j = i + 1; j < cycles.size(); ++j) {
            const RowMask set = RowMask{1} << q | cycles[i] | cycles[j];
            if (!known(threeOrbits, set))
                threeOrbits.push_back(orbit(maps, set));
        }
    constexpr std::size_t kBlocks = 4680;
    for (const auto& a : sevenOrbits)
        for (const auto& b : threeOrbits) {
            if (a.size() + b.size() != kBlocks)
                continue;
            // 4680 blocks * 21 five-subsets = all 98280 of them: each once
            // exactly when none is held twice.
            std::vector<char> held(static_cast<std::size_t>(choose(points, 5)), 0);
            bool once = true;
            for (const auto* part : {&a, &b})
                for (std::size_t k = 0; once && k < part->size(); ++k) {
                    const RowMask block = (*part)[k];
                    for (RowMask x = block; once && x; x &= x - 1)
                        for (RowMask y = x & (x - 1); once && y; y &= y - 1) {
                            char& h = held[colexRank(block & ~(x & (~x + 1)) & ~(y & (~y + 1)))];
                            once = !h;
                            h = 1;
                        }
                }
            if (!once)
                continue;
            std::vector<RowMask> blocks = a;
            blocks.insert(blocks.end(), b.begin(), b.end());
            return blocks;
        }
    return {};
}

// S(3,5,26): the blocks of S(5,7,28) through its two last points, without
// them. Any three of the other 26 points and those two are five points,
// which lie in exactly one block.
std::vector<RowMask> steinerThreeTwentySix() {
    const RowMask lastTwo = RowMask{0b11} << 26;
    std::vector<RowMask> rows;
    for (RowMask block : steinerFiveSevenTwentyEight())
        if ((block & lastTwo) == lastTwo)
            rows.push_back(block & ~lastTwo);
    return rows;
}

// PG(2,4): the points are the 21 one-dimensional subspaces of GF(4)^3 (the
// vectors with first nonzero coordinate 1); the line with the same
// coordinates l holds the points x with l.x = 0, five of them.
std::vector<RowMask> projectivePlaneOfOrder4() {
    const Field F(2, 2);
    std::vector<std::array<int, 3>> points;
    for (int a = 0; a < 4; ++a)
        for (int b = 0; b < 4; ++b)
            for (int c = 0; c < 4; ++c) {
                const int first = a ? a : b ? b : c;
                if (first == 1)
                    points.push_back({a, b, c});
            }
    std::vector<RowMask> lines;
    for (const auto& l : points) {
        RowMask line = 0;
        for (std::size_t i = 0; i < points.size(); ++i) {
            const auto& x = points[i];
            if (F.add(F.add(F.mul(l[0], x[0]), F.mul(l[1], x[1])), F.mul(l[2], x[2])) == 0)
                line |= RowMask{1} << i;
        }
        lines.push_back(line);
    }
    return lines;
}

// AG(2,5): the points (x, y) of GF(5)^2 as 5x + y; the lines y = mx + b
// and x = c.
std::vector<RowMask> affinePlaneOfOrder5() {
    std::vector<RowMask> lines;
    for (int m = 0; m < 5; ++m)
        for (int b = 0; b < 5; ++b) {
            RowMask line = 0;
            for (int x = 0; x < 5; ++x)
                line |= RowMask{1} << (5 * x + (m * x + b) % 5);
            lines.push_back(line);
        }
    for (int c = 0; c < 5; ++c)
        lines.push_back(RowMask{0b11111} << (5 * c));
    return lines;
}

std::vector<RowMask> dropRepeats(const std::vector<RowMask>& rows) {
    std::vector<RowMask> out;
    std::unordered_set<RowMask> seen;
    for (RowMask r : rows)
        if (seen.insert(r).second)
            out.push_back(r);
    return out;
}

} // namespace

const std::vector<RowMask>& steinerSystem(int t, int v) {
    static const std::vector<RowMask> none;
    static const std::vector<RowMask> s2_21 = projectivePlaneOfOrder4();
    static const std::vector<RowMask> s2_25 = affinePlaneOfOrder5();
    if (t == 2 && v == 21)
        return s2_21;
    if (t == 2 && v == 25)
        return s2_25;
    if (t == 3 && v == 17) {
        static const std::vector<RowMask> rows = steinerThreeFromLine(2, 4);
        return rows;
    }
    if (t == 3 && v == 26) {
        static const std::vector<RowMask> rows = steinerThreeTwentySix();
        return rows;
    }
    if (t == 4 && v == 11) {
        static const std::vector<RowMask> rows = steinerFourEleven();
        return rows;
    }
    return none;
}

std::vector<RowMask> deleteLastPoint(int v, const std::vector<RowMask>& rows) {
    const RowMask last = RowMask{1} << (v - 1);
    std::vector<RowMask> out;
    out.reserve(rows.size());
    for (RowMask r : rows) {
        if (r & last) {
            r &= ~last;
            r |= ~r & (r + 1); // the lowest point it lacks
        }
        out.push_back(r);
    }
    return dropRepeats(out);
}

std::vector<RowMask> addPoint(int v, int t, const std::vector<RowMask>& rows) {
    std::vector<RowMask> out = rows;
    const RowMask added = RowMask{1} << v;
    if (t <= 1) {
        if (v >= 4)
            out.push_back(added | 0b1111);
        return out;
    }
    // Greedily: the 4-set holding the most (t-1)-subsets not yet held.
    const int k = t - 1;
    std::vector<char> held(static_cast<std::size_t>(choose(v, k)), 0);
    std::size_t left = held.size();
    std::vector<RowMask> quads;
    for (RowMask m = 0b1111; m < (RowMask{1} << v);) {
        quads.push_back(m);
        const RowMask c = m & (~m + 1), r = m + c;
        m = (((r ^ m) >> 2) / c) | r;
    }
    const int most = static_cast<int>(choose(4, k));
    while (left > 0) {
        RowMask best = 0;
        int bestGain = -1;
        for (RowMask quad : quads) {
            int gain = 0;
            // The k-subsets of the 4-set: the 4-set minus 4-k of its points.
            for (RowMask sub = quad; sub; sub = (sub - 1) & quad)
                if (std::popcount(sub) == k && !held[colexRank(sub)])
                    ++gain;
            if (gain > bestGain) {
                bestGain = gain;
                best = quad;
                if (gain == most)
                    break;
            }
        }
        for (RowMask sub = best; sub; sub = (sub - 1) & best)
            if (std::popcount(sub) == k && !held[colexRank(sub)]) {
                held[colexRank(sub)] = 1;
                --left;
            }
        out.push_back(best | added);
    }
    return out;
}

ConstructedCover constructedCover(int v, int t) {
    ConstructedCover best;
    struct Base {
        int t, v;
    };
    for (const Base b : {Base{2, 21}, Base{2, 25}, Base{3, 17}, Base{3, 26}, Base{4, 11}}) {
        // Only the designs within reach are built (S(3,5,26) takes some
        // tens of milliseconds).
        if (b.t != t || v < b.v - 2 || v > b.v + 1 || steinerSystem(t, b.v).empty())
            continue;
        std::vector<RowMask> rows;
        bool exact = false;
        if (b.v == v) {
            rows = steinerSystem(t, v);
            exact = true;
        } else if (b.v > v && b.v - v <= 2) {
            rows = steinerSystem(t, b.v);
            for (int n = b.v; n > v; --n)
                rows = deleteLastPoint(n, rows);
        } else if (v == b.v + 1) {
            rows = addPoint(b.v, t, steinerSystem(t, b.v));
        }
        if (!rows.empty() && (best.rows.empty() || rows.size() < best.rows.size() || (exact && rows.size() == best.rows.size()))) {
            best.rows = std::move(rows);
            best.exact = exact;
        }
    }
    return best;
}

} // namespace rz::wheel
