#pragma once

#include "scene/Renderer.h"

#include <cstdint>

class PolyMesh;
class Poly;

/// Decides how a mesh's faces are coloured. A mesh keeps a stack of colourisers; the top
/// one is asked first and a colouriser that has no opinion returns false so the next one
/// (and finally the mesh's own colour) decides. One colouriser may serve many meshes.
class Coloriser {
public:
    virtual ~Coloriser() = default;

    /// Called once before `mesh` draws its faces.
    virtual void preDraw(Renderer* /*r*/, PolyMesh& /*mesh*/) {}
    /// The colour of `face`; false to leave the decision to the next colouriser.
    virtual bool getFaceColor(Renderer* r, PolyMesh& mesh, Poly& face, RGBAColor& out) = 0;
    /// The colour of the face's `vertexIndex`-th vertex; false for no per-vertex colour.
    virtual bool getVertexColor(Renderer* /*r*/, PolyMesh& /*mesh*/, Poly& /*face*/,
                                int /*vertexIndex*/, RGBAColor& /*out*/) {
        return false;
    }
    /// Called once after `mesh` has drawn its faces.
    virtual void postDraw(Renderer* /*r*/, PolyMesh& /*mesh*/) {}
    /// Sets `key` to a value that stays the same only while every colour this colouriser
    /// gives `mesh`'s faces stays the same, but for faces whose twin changed; false when
    /// it cannot tell (then a renderer that keeps the faces drawn takes all their colours
    /// anew on every drawing).
    virtual bool getColourKey(Renderer* /*r*/, PolyMesh& /*mesh*/, std::uint64_t& /*key*/) {
        return false;
    }
};
