#pragma once

#include <array>
#include <optional>
#include <vector>

class Poly;
struct FaceBox;

/// When two net faces overlap, robustly.
///
/// Net coordinates carry rounding: fold angles are held in single precision,
/// source files (STL above all) store single-precision coordinates, and every
/// fold composes another transform. Faces that touch along an edge or at a
/// corner, or lie side by side on one line, therefore come out overlapping or
/// apart by 1e-16 to about 1e-8 of their size. An exact sign test would call
/// such contacts overlaps; this test counts an overlap only when it is deeper
/// than `OverlapTolerance` times the size of the two faces (the largest side
/// of their two boxes). 1e-6 lies two orders above that rounding and far
/// below any overlap that matters on paper (a tenth of a micrometre on a face
/// of ten centimetres).
///
/// Depth: each face is taken as one convex piece, or, when it is not convex,
/// as the triangles of an ear clipping. Two convex pieces overlap when no
/// edge line of either separates them, allowing the other piece to reach up
/// to the tolerance past the line. Crossing faces, one face inside another
/// and coincident faces therefore all overlap; faces that only touch do not.
constexpr double OverlapTolerance = 1e-6;

/// A point of the net plane: the (x, z) of a net vertex.
struct NetPoint {
    double x = 0;
    double z = 0;
};

/// The outline of a face in the net plane, turned counter-clockwise in
/// (x, z), with its convexity and twice its area. Outlines of up to eight
/// points need no heap memory.
class NetOutline {
public:
    explicit NetOutline(const Poly& face);
    NetOutline(const NetOutline&) = delete;
    NetOutline& operator=(const NetOutline&) = delete;

    int size() const { return count; }
    const NetPoint& operator[](int i) const { return points[i]; }
    /// Twice the area enclosed (never negative).
    double getDoubleArea() const { return doubleArea; }
    /// No reflex corner; collinear corners are allowed.
    bool isConvex() const { return convex; }
    /// The ear-clipping triangles as index triples into the outline, in
    /// counter-clockwise order; they tile the outline.
    std::vector<std::array<int, 3>> triangulate() const;

private:
    static constexpr int LocalPoints = 8;
    std::array<NetPoint, LocalPoints> local;
    std::vector<NetPoint> heap;
    NetPoint* points;
    int count = 0;
    double doubleArea = 0;
    bool convex = true;
};

/// Whether two convex counter-clockwise polygons of `na` and `nb` points
/// overlap deeper than `tolerance` (an absolute length): no edge line of
/// either has the whole of the other within `tolerance` past it.
bool ConvexPiecesOverlap(const NetPoint* a, int na, const NetPoint* b, int nb, double tolerance);

/// One face asked about against many stored faces (FacesOverlap for each):
/// its outline is made once, when a stored face first gets past the boxes.
class OverlapQuery {
public:
    explicit OverlapQuery(const FaceBox& box) : box(box) {}
    OverlapQuery(const OverlapQuery&) = delete;
    OverlapQuery& operator=(const OverlapQuery&) = delete;

    const FaceBox& getBox() const { return box; }
    /// Whether the face overlaps the stored face, as FacesOverlap says.
    bool overlaps(const FaceBox& stored);

private:
    /// The outline work, out of line: most calls end at the box test, and
    /// the outlines on this part's stack would slow every one of them.
    bool overlapsInDepth(const FaceBox& stored);

    const FaceBox& box;
    std::optional<NetOutline> outline;
};
