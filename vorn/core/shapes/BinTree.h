#pragma once

#include "scene/mesh/PolyMesh.h"

#include <unordered_set>

/// A pyramid over a regular polygon whose base corners are cut off recursively, each cut
/// giving rise to two more; optionally twisted about y, chopped by a fixed plane and
/// mirrored in its base. Parameters are not saved: documents hold it as a plain "PolyMesh".
class BinTree : public PolyMesh {
    VORN_DECLARE_FACTORY(BinTree)

    /// Built with valence 3, no subdivision, no chop, no dual, twist 0.
    BinTree();

    /// Valence is clamped to at least 3 and subdivisions to at least 0; a non-finite twist
    /// counts as 0. Rebuilds unless all values equal the current ones.
    void rebuild(int valence, int subdivisions, bool chop, bool dual, double twist);

    int getValence() const { return m_valence; }
    int getSubdivisions() const { return m_subdivisions; }
    bool getChop() const { return m_chop; }
    bool getDual() const { return m_dual; }
    double getTwist() const { return m_twist; }

    /// Writes the mesh under the element name "PolyMesh".
    void write(XML& xml) override;
    /// Remembers corners taken away while subdividing, so none is used as a cut's seed.
    void onVertexDestroyedInTruncation(Vertex* v) override;

private:
    void subdivide(int times);
    void twist(double amount);
    void mirror();

    int m_valence = 0;
    int m_subdivisions = -1;
    bool m_chop = false;
    bool m_dual = false;
    double m_twist = 0;
    std::unordered_set<const Vertex*> m_cutAway; // during subdivide only
};
