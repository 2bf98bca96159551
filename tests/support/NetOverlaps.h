#pragma once

#include <utility>
#include <vector>

class PolyMesh;
class Poly;

namespace testsupport {

/// How deeply net faces `a` and `b` overlap in the net plane, found by brute
/// force: both faces are split into triangles, every triangle of one is
/// clipped against every triangle of the other, and the thickest clipped
/// piece counts (thickness: twice its area over its perimeter, so a sliver
/// left by rounding is as thick as it is wide). 0 when they do not overlap.
/// Only the splitting into triangles is the engine's (NetOutline, tested on
/// its own); the measure is independent of the engine's separating lines.
double OverlapDepth(const Poly& a, const Poly& b);

/// The size an overlap depth is measured against, as the engine measures it:
/// the largest side of the two faces' boxes in the net plane.
double PairSize(const Poly& a, const Poly& b);

/// Every pair of faces of `net` (the earlier face first, in face order) that
/// overlaps deeper than the engine's tolerance (OverlapTolerance times the
/// pair's size). Tests all pairs: O(faces^2), for small nets only.
std::vector<std::pair<Poly*, Poly*>> FindNetOverlaps(PolyMesh& net);

} // namespace testsupport
