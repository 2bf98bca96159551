#pragma once

#include <string>
#include <utility>
#include <vector>

class Poly;
class Unfolder;

namespace testsupport {

/// What the strongest check of a net found.
struct NetReport {
    /// One line per fault: a vertex off the net plane, a face not facing
    /// down or not congruent to its source face, a fold edge whose vertices
    /// are not shared, a twin link broken, or an overlap on which the engine
    /// and the brute-force checker disagree.
    std::vector<std::string> faults;
    /// The overlapping pairs by the brute-force checker (FindNetOverlaps).
    std::vector<std::pair<Poly*, Poly*>> overlaps;
    /// Every source face has its net face.
    bool complete = false;

    /// A net to print and fold: complete, without faults or overlaps.
    bool isSound() const { return faults.empty() && overlaps.empty() && complete; }
    /// The faults as one text, one per line.
    std::string describe() const;
};

/// Checks the net of `u` (finished or not) independently of the engine's own
/// bookkeeping, apart from asking it for its overlap graph (recomputed). The
/// flatness and congruence limits are 1e-6 of the source's size: fold angles
/// are single precision, so a net drifts off its plane by about 1e-8 per
/// fold, while a face turned the wrong way leaves it by its own size.
NetReport CheckNet(Unfolder& u);

} // namespace testsupport
