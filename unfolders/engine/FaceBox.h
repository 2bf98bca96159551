#pragma once

class Poly;

/// Axis-aligned box of one net face in the net plane (x, z).
struct FaceBox {
    /// Start value of an empty box: the largest single-precision value.
    static constexpr double Empty = 3.4028234663852886e38;

    double minX = Empty;
    double maxX = -Empty;
    double minZ = Empty;
    double maxZ = -Empty;
    Poly* face = nullptr;

    FaceBox() = default;
    FaceBox(double minX, double maxX, double minZ, double maxZ, Poly* face = nullptr)
        : minX(minX), maxX(maxX), minZ(minZ), maxZ(maxZ), face(face) {}
    /// The box of the face's current vertex positions; a face without
    /// vertices gets the empty box (minimum above maximum).
    explicit FaceBox(Poly* face);

    /// Positive-area overlap with `other`; boxes that only touch do not count.
    bool overlapsArea(const FaceBox& other) const {
        return other.maxX > minX && other.maxZ > minZ && other.minX < maxX && other.minZ < maxZ;
    }
};

/// Whether net face `query` (with box `queryBox`) overlaps the stored face of
/// `stored`: the boxes overlap with positive area, the faces differ, they are
/// not fold neighbours, and some edge of one properly crosses an edge of the
/// other. Touching, shared end points and collinear edges never count, and a
/// face wholly inside another without crossing edges is not reported.
bool FacesOverlap(const FaceBox& queryBox, const FaceBox& stored);

/// Whether segments p1-p2 and q1-q2 in the (x, z) plane cross properly: each
/// segment's ends lie strictly on opposite sides of the other's line.
bool EdgesCrossProperly(double p1x, double p1z, double p2x, double p2z, double q1x, double q1z,
                        double q2x, double q2z);
