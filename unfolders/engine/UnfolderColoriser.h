#pragma once

#include "scene/Coloriser.h"

/// The face colouring shared by every unfolder: overlapping faces in a dull
/// red while conflicts are shown, and, while height bands are shown, shading
/// on and each net vertex tinted by the height of its source vertex.
class UnfolderColoriser : public Coloriser {
public:
    /// Colour of a face in the overlap graph.
    static constexpr RGBAColor ConflictColor{0.45, 0.25, 0.25, 1.0};

    /// The one instance all unfolders push onto their coloriser stacks.
    static UnfolderColoriser& Shared();

    void preDraw(Renderer* r, PolyMesh& mesh) override;
    bool getFaceColor(Renderer* r, PolyMesh& mesh, Poly& face, RGBAColor& out) override;
    bool getVertexColor(Renderer* r, PolyMesh& mesh, Poly& face, int vertexIndex,
                        RGBAColor& out) override;
    void postDraw(Renderer* r, PolyMesh& mesh) override;
    /// Tells while overlaps are not shown (or not known) and height bands are off: the
    /// colours then follow the mesh's colour and the white-faces switch alone.
    bool getColourKey(Renderer* r, PolyMesh& mesh, std::uint64_t& key) override;
};
