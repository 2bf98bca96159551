#pragma once

#include "scene/mesh/PolyMesh.h"

#include <string>
#include <vector>

/// A gallery of surfaces chosen by shape number (1007 Saddlepoint ... 1050 e-banded
/// Icosahedron) with du × dv samples. Only the mesh is saved: documents hold it as a plain
/// "PolyMesh".
class MathFn : public PolyMesh {
    VORN_DECLARE_FACTORY(MathFn)

    /// Built from the profile ("Settings\MathFn": which 1010, du 4, dv 3).
    MathFn();

    /// Clamps du and dv to at least 2 (fewer samples have no cells), then, unless all three
    /// equal the current values, stores them in the profile and rebuilds. A number that is
    /// no shape leaves the mesh empty. The Ill-flattened cube (1018) also makes two
    /// children, its flat net and a label; the next rebuild deletes them.
    void rebuild(int which, int du, int dv);

    int getWhich() const { return m_which; }
    int getDU() const { return m_du; }
    int getDV() const { return m_dv; }

    /// Writes the mesh under the element name "PolyMesh".
    void write(XML& xml) override;
    /// Reads as a plain mesh does. Used by cloning, whose copy was first built from the
    /// profile: that build's children go first, so a clone of the Ill-flattened cube has one
    /// net and one label (the copies read, which later rebuilds replace).
    void read(XML& xml) override;
    /// Forgets a child this shape made when something else deletes it.
    void onTargetDestroyed(SceneObj* target) override;

private:
    /// Deletes the children the last build made (the Ill-flattened cube's net and label);
    /// children attached by anyone else stay.
    void deleteMadeChildren();
    /// Takes the children from position `first` on as made by this shape (only nets and
    /// labels when `netAndLabelOnly`).
    void adoptChildrenFrom(std::size_t first, bool netAndLabelOnly);

    std::vector<SceneObj*> m_madeChildren;
    int m_which = 0;
    int m_du = 0;
    int m_dv = 0;
};

/// One shape of the gallery: its number (the radio button's id) and its button label.
struct MathFnShape {
    int number;
    const char* label;
};
/// The 18 shapes in button order.
const std::vector<MathFnShape>& GetMathFnShapes();

/// The profile section holding the MathFn values.
inline constexpr const char* kMathFnSection = "Settings\\MathFn";
