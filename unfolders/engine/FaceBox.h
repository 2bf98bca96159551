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
/// `stored`: the boxes overlap with positive area, the faces differ, and
/// their interiors overlap deeper than the tolerance of FaceOverlap.h.
/// Crossing, nested and coincident faces overlap; faces that touch do not,
/// nor do convex faces joined along a fold edge.
bool FacesOverlap(const FaceBox& queryBox, const FaceBox& stored);
