#pragma once

#include "sorvex/M3d.h"

#include <cstddef>
#include <memory>
#include <vector>

/// Convex hull of points added one at a time in a plane, kept counter-clockwise about the
/// centroid of the first three points. Each hull vertex carries a user pointer (not
/// owned). Points of 3D space are taken in the xz plane.
class PlanarConvexHull {
public:
    /// One hull vertex in the circular list, ordered by increasing polar angle from the head.
    struct Node {
        double x = 0.0;
        double y = 0.0;
        /// Polar angle about the original centre, in [0, 2*pi).
        double angle = 0.0;
        /// Distance from the original centre.
        double dist = 0.0;
        void* data = nullptr;
        /// Direction angle of the edge to the next vertex, in [0, 2*pi).
        double edgeAngle = 0.0;
        Node* next = nullptr;
        Node* prev = nullptr;
    };

    /// A point for a deferred batch (see resetDeferred).
    struct Point {
        double x = 0.0;
        double y = 0.0;
        void* data = nullptr;
    };

    PlanarConvexHull();
    PlanarConvexHull(const PlanarConvexHull& hull);
    PlanarConvexHull& operator=(const PlanarConvexHull& hull);
    ~PlanarConvexHull();

    /// Frees all vertices and sets every member to 0.
    void reset();
    /// reset(), then addPoint of every point in order, with a mark() taken just before
    /// points[markAt] (none when markAt >= points.size()); but the additions wait until
    /// the hull is first read or changed, so a caller that rebuilds the hull often and
    /// reads it rarely pays only for the hulls read. Whatever reads the hull sees exactly
    /// what the additions would have made now, journal included. The whole batch counts
    /// as one change of the revision, made now.
    /// The first read of a deferred batch builds the hull, const reads included, so a hull
    /// holding a deferred batch must not be read from two threads at once.
    void resetDeferred(std::vector<Point> points, std::size_t markAt);
    /// addPoint(x, y, data), carried out when the hull is next read or changed in another
    /// way, after the points queued before it. A grower that adds every face and reads the
    /// hull rarely (a batch run never does) then pays only for the hulls it reads. Counts
    /// as a change of the revision now, whether or not the point will be taken. mark() and
    /// rollBack() between queued points keep their meaning without building the hull.
    void addPointLater(double x, double y, void* data);

    /// Adds a point. The first two are only stored, the third makes the first triangle.
    /// False, with nothing changed, for a point within 1e-5 of a vertex in both x and y,
    /// a point inside or on the hull, or a non-finite coordinate.
    bool addPoint(double x, double y, void* data);
    /// Adds (p.x, p.z).
    bool addPoint(const Sorvex::M3d& p, void* data) { return addPoint(p.x(), p.z(), data); }
    /// True exactly when addPoint would reject the point as a duplicate or as inside;
    /// false with fewer than three vertices.
    bool contains(double x, double y) const;

    int getLength() const {
        settle();
        return m_length;
    }
    Node* getHead() const {
        settle();
        return m_head;
    }
    /// Writes the user pointers in list order; out must hold getLength() entries.
    void fillArray(void** out) const;
    void getOriginalCenter(double* x, double* y) const;

    /// Area as the sum of the triangles (centre, a, b) over consecutive vertices.
    double getArea() const;
    /// The area the hull would have after addPoint of (xs[i], ys[i]) for i = 0 .. count - 1
    /// in turn, leaving the hull as it is: the additions are judged by addPoint's own
    /// tests. Cost per point: O(log h) to find where it falls plus the vertices it would
    /// hide; after each change of the hull the first query also pays O(h) to refresh the
    /// running sums it reads.
    double getAreaWith(const double* xs, const double* ys, int count) const;
    /// Area-weighted mean of the edge midpoints (weights: triangles with the vertex mean);
    /// the head vertex when all weights are 0; nothing is written without vertices. Either
    /// pointer may be null.
    void getBaricenter(double* x, double* y) const;
    /// (x, 0, z) of getBaricenter.
    Sorvex::M3d getBaricenter() const;
    /// Centre of the axis-aligned bounds of the vertices, (0, 0) when empty.
    void getMiddle(double* x, double* y) const;
    Sorvex::M3d getMiddle() const;
    /// Extent of the vertices along the direction of angle (width) and across it (height);
    /// an empty hull writes the original centre instead.
    void getBounds(double* width, double* height, double angle) const;
    /// Tries 33 angles from 0 to pi in steps of pi/32 and returns the one of largest width
    /// (the earliest on ties), writing its width and height. 0 for an empty hull.
    double getLongestAxis(double* width, double* height) const;

    /// Starts a journal of the additions from here on (forgetting any earlier one), so
    /// that rollBack() can take them back. Cost: O(1), plus freeing what the earlier
    /// journal kept.
    void mark();
    /// Restores the hull exactly as it was at the last mark(): the same vertex objects in
    /// the same order, the same head, centre and pending points. The cost grows with the
    /// changes made since the mark, not with the hull. False, changing nothing, without a
    /// mark; a reset or copy forgets the mark.
    bool rollBack();
    /// Counts every change (an accepted point, a reset, a roll-back, a deferred batch), so
    /// that a caller can tell whether anyone else changed the hull since it looked.
    unsigned long long getRevision() const { return m_revision; }

private:
    /// Carries out a deferred batch, if one waits. Every reader calls it first; it runs
    /// in const readers too, because the batch is part of the hull's value already (a
    /// hull defined const never holds one: copies take the settled hull).
    void settle() const {
        if (!m_deferred.empty())
            const_cast<PlanarConvexHull*>(this)->addDeferred();
    }
    void addDeferred();
    /// addPoint for a finite point, without counting the change.
    bool addAcceptedPoint(double x, double y, void* data);
    bool addFirstTriangle(double x, double y, void* data);
    bool isDuplicate(double x, double y) const;
    Node* firstNotBelow(double angle) const;
    /// Steps 2 to 4 of an insertion: the N and M the point sits between, or false when
    /// the point is a duplicate or inside.
    bool locate(double x, double y, double angle, double dist, Node** n, Node** m) const;
    void removeVertex(Node* node);
    void insertBefore(Node* node, Node* before, bool becomesHead);
    void copyFrom(const PlanarConvexHull& hull);
    /// Brings the list-order arrays of the index up to the hull's revision.
    void refreshOrder() const;

public:
    /// The lookup structures (defined where the hull's sources share them).
    struct Index;

private:
    Node* m_head = nullptr;
    int m_length = 0;
    double m_centerX = 0.0;
    double m_centerY = 0.0;
    double m_pendingX[2] = {0.0, 0.0};
    double m_pendingY[2] = {0.0, 0.0};
    void* m_pendingData[2] = {nullptr, nullptr};
    int m_pointsSeen = 0;
    /// Lookup structures over the vertices; they give the same answers as scanning the
    /// list, without visiting every vertex.
    std::unique_ptr<Index> m_index;
    unsigned long long m_revision = 0;
    /// The points of a deferred batch still to be added, and the index before which its
    /// mark goes (NoDeferredMark: the mark, if any, is on the settled hull).
    static constexpr std::size_t NoDeferredMark = ~std::size_t(0);
    std::vector<Point> m_deferred;
    std::size_t m_deferredMark = NoDeferredMark;
};
