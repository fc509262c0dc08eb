#pragma once
// Known designs with rows of five, built from their mathematics: the
// projective plane of order 4, the affine plane of order 5, the Steiner
// system S(3,5,17) as the orbit of one 5-set under the sharply
// 3-transitive group PGL(2,16) on the projective line over GF(16), and
// S(4,5,11) derived from S(5,6,12), the orbit of a 6-set under PSL(2,11).
// S(3,5,26) is no such orbit: a 5-set whose stabiliser in PGL(2,25) has
// order 60 would have A5 acting on it, and the stabiliser of one of its
// points, A4, would lie in the affine group of order 600, whose involutions
// z -> b - z never commute. It comes instead from S(5,7,28), a union of two
// orbits of 7-sets under PSL(2,27) on the projective line over GF(27): the
// blocks through two fixed points, without them. Each is a wheel "t if t"
// over its points in which every t-subset lies in exactly one row, so it
// meets the lower bound. Rows are masks over the points 0..v-1; point i
// stands for the i-th chosen number.
//
// Wheels over one or two numbers fewer come from deleting points, over one
// more from adding a point; the search may then shrink them.
#include <vector>

#include "wheel/Wheel.h"

namespace rz::wheel {

// Every t-subset of the v points in exactly one row (a Steiner system
// S(t,5,v)), for (t, v) = (2, 21), (2, 25), (3, 17), (3, 26), (4, 11);
// empty for any other pair. Built on the first call (a few milliseconds;
// S(3,5,26) some tens), then kept.
const std::vector<RowMask>& steinerSystem(int t, int v);

// Point v-1 taken out: a row that held it takes the lowest point it lacks
// instead (the rows keep "t if t" over the v-1 points); repeats dropped.
std::vector<RowMask> deleteLastPoint(int v, const std::vector<RowMask>& rows);

// Point v added: the rows stay and the new point joins 4-sets of the old
// points that hold every (t-1)-subset of them (chosen greedily), so the
// rows keep "t if t" over v+1 points.
std::vector<RowMask> addPoint(int v, int t, const std::vector<RowMask>& rows);

struct ConstructedCover {
    std::vector<RowMask> rows; // empty: none known for these parameters
    bool exact = false;        // a Steiner system over exactly these points
};

// The smallest wheel "t if t" over v points these constructions give: the
// Steiner system itself, or one over up to two points more with points
// deleted, or one over a point fewer with a point added.
ConstructedCover constructedCover(int v, int t);

} // namespace rz::wheel
