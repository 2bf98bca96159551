#pragma once

#include "sorvex/M2d.h"
#include "sorvex/M3d.h"

#include <string>
#include <vector>

class PolyMesh;

/// The faces of a closed mesh as plain indexed data, with the fold tree of a net over
/// them: what papercraft needs of a mesh and of a strategy's net, free of the scene.
/// Edge i of a face runs from corner i to corner i + 1.
struct PaperSurface {
    struct Face {
        std::vector<Sorvex::M3d> corners;
        std::vector<int> vertexIds;
        /// The face across each edge and that edge's index in it; -1 on a border.
        std::vector<int> neighbor;
        std::vector<int> neighborEdge;
        Sorvex::M3d normal; ///< unit, outwards; zero for a face without area
    };
    std::vector<Face> faces;

    /// Per face: the face it hangs from in the fold tree and across which of its own
    /// edges, or -1 for a tree's root.
    std::vector<int> parent;
    std::vector<int> parentEdge;

    /// The mesh's vertical extent and longest edge, in model units.
    double height = 0.0;
    double longestEdge = 0.0;
    double meanEdge = 0.0;

    /// Builds the faces of `mesh` (face order kept) with every face its own root. False
    /// with `error` when the mesh has no faces, a coordinate that is not finite, or an
    /// edge shared by more than two faces.
    bool build(const PolyMesh& mesh, std::string& error);
    /// Sets the fold tree from fold edges between faces (by face index): a spanning forest
    /// is taken breadth first from each face not yet reached, in face order; fold edges
    /// between faces that are no neighbours, and those closing a cycle, are ignored.
    void setFolds(const std::vector<std::pair<int, int>>& foldEdges);
};

/// The corners of face `f` laid flat so that its edge `edge` runs from `a` to `b` (the
/// images of its corners `edge` and `edge + 1`), the face on the left of that direction:
/// counter-clockwise seen from outside. Lengths and angles are kept; a face's neighbour
/// across the edge, laid with the edge reversed, lands on the other side.
std::vector<Sorvex::M2d> LayFace(const PaperSurface::Face& f, int edge, const Sorvex::M2d& a,
                                 const Sorvex::M2d& b);
