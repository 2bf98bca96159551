#pragma once

#include <cstddef>
#include <vector>

class Poly;
class PolyMesh;

/// The net faces, in net face order, that may still offer a candidate edge
/// to a scanning strategy. A face that offers none never offers one again as
/// long as the net only grows (placed faces stay placed, blocked edges stay
/// blocked), so scanning only these faces gives the same candidates in the
/// same order as scanning the whole net, at the cost of the frontier.
class ScanFrontier {
public:
    /// Appends the net faces added since the last call; starts over from the
    /// whole net when faces were removed or replaced.
    void sync(const PolyMesh& net);
    /// Keeps only the faces for which `isActive(face)` is true, in order.
    template <typename Pred> void prune(Pred isActive) {
        std::size_t kept = 0;
        for (Poly* f : m_faces)
            if (isActive(f))
                m_faces[kept++] = f;
        m_faces.resize(kept);
    }
    const std::vector<Poly*>& faces() const { return m_faces; }
    void reset();

private:
    std::vector<Poly*> m_faces;
    std::size_t m_indexed = 0; // net faces seen so far
    Poly* m_last = nullptr;    // the last of them, to notice replaced faces
};
