#pragma once

#include "sorvex/M3d.h"
#include "sorvex/MPlane.h"

#include <memory>
#include <vector>

namespace Sorvex {

/// Binary space partition over borrowed points that finds an already-known point within
/// a tolerance, so that independently computed positions can share one vertex.
///
/// A leaf splits once it holds 6 points, at the centre of their bounds across their
/// longest axis. Points within 2 * tolerance of a node's split plane stay in that node's
/// own list, and only queries that also fall within that band see them.
class PointSorter {
public:
    explicit PointSorter(double tolerance);
    PointSorter(const PointSorter& sorter);
    PointSorter& operator=(const PointSorter& sorter);
    virtual ~PointSorter();

    /// Frees the children and empties the list; the tolerance is kept.
    void clear();
    /// Stores p (borrowed, not copied); null is ignored.
    void add(M3d* p);
    /// The first stored point within the tolerance of p (distance inclusive), or null.
    M3d* findNear(const M3d& p) const;

    double getTolerance() const { return m_tolerance; }

private:
    /// -1 (right child), 1 (left child) or 0 (within the band around the split plane).
    int side(const M3d& p) const;
    void split();
    M3d* scan(const M3d& p) const;

    std::vector<M3d*> m_points;
    MPlane m_split;
    double m_tolerance;
    std::unique_ptr<PointSorter> m_left;
    std::unique_ptr<PointSorter> m_right;
};

} // namespace Sorvex
