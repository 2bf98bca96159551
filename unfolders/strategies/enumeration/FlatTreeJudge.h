#pragma once

#include <array>
#include <vector>

#include "sorvex/M4x4.h"
#include "unfolders/engine/FaceOverlap.h"
#include "unfolders/strategies/enumeration/SpanningTreeEnumerator.h"

class Poly;

/// Judges whether a spanning tree of a mesh's face graph lays out without overlap, without
/// making the net. What never changes between trees is prepared once: each face's outline
/// in a planar frame of its own (with its convexity and ear-clipping triangles), and for
/// every face-graph edge the rigid motion of the plane that lays one face beside the other
/// across their shared edge. A tree then costs one composition of motions per face, the
/// outlines moved into the net plane, and the pairs of faces tested, boxes first.
///
/// The verdict is the engine's: the net is placed from the same starting face with the same
/// transform, and two faces overlap exactly when the engine's face test says so (boxes
/// overlapping with area, faces joined by a fold edge apart unless one is not convex, depth
/// beyond the tolerance). Nets differ from the engine's only by rounding, far below the
/// tolerance.
///
/// Faces without area are laid by the engine against the plane of a neighbour, which
/// depends on the path they are reached by; a mesh with such faces cannot be judged here
/// (canJudge() false) and must be laid out by the engine.
class FlatTreeJudge {
public:
    /// `faces` and `edges` as numbered for the spanning-tree enumerator (edges join faces
    /// that share a mesh edge); `root` is the number of the face every net starts from and
    /// `rootPlacement` the transform that carried it into the net.
    FlatTreeJudge(const std::vector<Poly*>& faces,
                  const std::vector<SpanningTreeEnumerator::Edge>& edges, int root,
                  const Sorvex::M4x4& rootPlacement);

    bool canJudge() const { return judgeable; }
    /// Whether the tree made of these edges (indices into the edge list) gives a net in
    /// which no two faces overlap. Only for judgeable meshes and edges of a spanning tree.
    bool isOverlapFree(const std::vector<int>& treeEdges);

private:
    /// A rigid motion of the net plane: (x, z) -> (xx x + xz z + tx, zx x + zz z + tz).
    struct Motion {
        double xx = 1, xz = 0, zx = 0, zz = 1, tx = 0, tz = 0;
        NetPoint apply(const NetPoint& p) const;
        /// This motion after `inner`.
        Motion after(const Motion& inner) const;
    };
    /// A face in its own plane, as the engine's outline sees it once laid.
    struct Shape {
        int corners = 0;
        std::vector<NetPoint> outline;
        bool convex = true;
        double doubleArea = 0;
        /// Ear-clipping triangles (indices into the outline) and twice their area.
        std::vector<std::array<int, 3>> triangles;
        std::vector<double> triangleTurns;
    };
    /// One face-graph edge: the motions that carry face b's frame into face a's and back.
    struct Hinge {
        int a = 0, b = 0;
        Motion bIntoA;
        Motion aIntoB;
    };
    struct Box {
        double minX, maxX, minZ, maxZ;
    };

    /// The face's outline in its own frame; false when it has none to judge.
    bool prepareShape(Poly& face, Shape& shape) const;
    /// Lays every face of the tree; false when the edges do not span the faces.
    bool place(const std::vector<int>& treeEdges);
    bool facesOverlap(int a, int b, bool joined);

    bool judgeable = true;
    int root = 0;
    Motion rootMotion;
    std::vector<Shape> shapes;
    /// Where each face's frame sits relative to its neighbours' for every face-graph edge.
    std::vector<Hinge> hinges;

    // Per tree, reused: the tree's neighbours of each face as (face, hinge) pairs.
    std::vector<int> adjacencyStart;
    std::vector<int> adjacencyFill;
    std::vector<std::pair<int, int>> adjacency;
    std::vector<int> parent;
    std::vector<int> order;
    std::vector<Motion> placed;
    /// Each face's outline laid into the net plane.
    std::vector<std::vector<NetPoint>> laid;
    std::vector<Box> boxes;
    std::vector<int> byMinX;
    std::vector<std::array<NetPoint, 3>> piecesA;
    std::vector<std::array<NetPoint, 3>> piecesB;
};
