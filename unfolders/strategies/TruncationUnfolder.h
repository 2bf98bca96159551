#pragma once

#include <memory>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "sorvex/MPlane.h"
#include "sorvex/PointSorter.h"
#include "unfolders/engine/Unfolder.h"

class CarvedSolid;

/// Unfolds a convex mesh by carving it out of an enclosing tetrahedron. Binding builds the
/// tetrahedron and lays its net; each step cuts the carved solid by the plane of one mesh
/// face, the highest-facing first, keeps the cut tree a spanning tree of the carved solid's
/// vertices through the truncation notifications (the tree of steepest edges upwards), and
/// lays the carved solid's net again. When every face plane is applied the carved solid is
/// the mesh: its cut tree is carried over to the mesh's vertices and the mesh's own net is
/// laid from it.
///
/// Binding throws one of the "ERROR: ..." texts for an empty, flat or unusable model. A mesh
/// that is open, in several parts, not convex or without volume is refused instead: the
/// reason goes to the status line and `getRefusal`, and the run ends with an empty net.
///
/// Sources: TruncationUnfolder.cpp (binding, steps, the cut tree), TruncationTetrahedron.cpp
/// (the enclosing tetrahedron), TruncationFinish.cpp (the mesh's net).
class TruncationUnfolder : public Unfolder {
    VORN_DECLARE_FACTORY(TruncationUnfolder)

    TruncationUnfolder();
    ~TruncationUnfolder() override;

    bool setParent(SceneObj* parent) override;
    /// Applies one pending face plane and lays the net again.
    void unfold() override;
    /// No face is pending (or the mesh was refused).
    bool isDone() override;
    /// The net is exactly what the carving gives; gaps are never filled.
    bool allowAutoComplete() override { return false; }
    void renderSelf(Renderer* r) override;
    /// 0.7 while the carved solid is shown through the net, 1.0 once carving ended.
    double getTransparency(Renderer* r) override;
    /// The net stays where the carving laid it.
    Sorvex::M3d shiftToCenter() override { return {}; }
    std::string getRefusal() override { return refusal; }
    /// The net's outline is kept only for the mesh's net, or while it is on show: the
    /// carved solid's nets are laid again at every step.
    bool autoUpdateHull() override { return finished || drawHull; }

    /// The truncation notifications of the carved solid.
    void onEdgeTruncation(Vertex* a, Vertex* b, Vertex* created) override;
    void onFaceDestroyedInTruncation(Poly* face) override;
    void onVertexDestroyedInTruncation(Vertex* v) override;

    // ----- What the carving has reached (for panels and tests) -----

    /// The carved solid; null before binding.
    PolyMesh* getCarvedSolid() const;
    /// The cut tree over the carved solid's vertices.
    const Graph<Vertex*>& getCarvedCuts() const { return carvedCuts; }
    /// The tetrahedron face in the bottom plane, null once a cut destroyed it.
    Poly* getBottomFace() const { return bottomFace; }
    std::size_t getPendingCount() const { return pending.size(); }
    /// Mesh faces whose planes have been applied (or matched by the tetrahedron).
    std::size_t getAppliedCount() const { return applied.size(); }
    /// The mesh vertex at a carved vertex's place, or null.
    Vertex* getMeshVertex(Vertex* carvedVertex) const;
    /// The mesh face whose plane made a carved face, or null (tetrahedron faces the mesh
    /// does not share).
    Poly* getMeshFace(Poly* carvedFace) const;

protected:
    /// The bottom face while it lasts when laying the carved solid, the base's choice
    /// otherwise.
    Poly* chooseStartingFace() override;

private:
    void reset();
    /// The reason the mesh cannot be carved into, or "" (TruncationTetrahedron.cpp).
    static std::string findUnusableMesh(PolyMesh& mesh);
    /// Builds the tetrahedron into the carved solid, matches its faces, queues the first
    /// faces and sets the initial cut tree; throws the "ERROR: ..." texts.
    void buildTetrahedron();
    void refuse(const std::string& why);

    Poly* takeBestPending();
    void queue(Poly* meshFace);
    void queueNeighbours(Poly& meshFace);
    /// Cuts the carved solid by the plane of `meshFace`; true when a new face was made.
    bool applyFacePlane(Poly& meshFace);
    /// Cuts `v`'s steepest edge upwards (none for the highest corner) in place of its old one.
    void chooseAscent(Vertex* v);
    /// The carved vertex farthest along `direction`, by climbing from the last cut.
    Vertex* farthestCarvedVertex(const Sorvex::M3d& direction);
    void layCarvedNet();
    /// Carries the cut tree to the mesh and lays the mesh's net (TruncationFinish.cpp).
    void finish();
    /// The cut tree over mesh vertices; "" or why it cannot be carried over.
    std::string mapCutsToMesh(Graph<Vertex*>& meshCuts);

    std::unique_ptr<CarvedSolid> carved;
    Poly* bottomFace = nullptr;
    Graph<Vertex*> carvedCuts;
    /// Each carved corner's cut edge upwards: the tree's edges, from their lower ends.
    std::unordered_map<Vertex*, Vertex*> ascent;
    std::unordered_map<Vertex*, Vertex*> vertexMap;
    std::unordered_map<Poly*, Poly*> faceMap;
    Sorvex::PointSorter meshPoints{0.0001};
    /// Mesh faces not yet applied, in queueing order; `seen` holds every face ever queued.
    std::vector<Poly*> pending;
    std::unordered_set<Poly*> seen;
    std::unordered_set<Poly*> applied;
    /// The plane being applied, so that a split edge knows which end stays.
    Sorvex::MPlane cutting;
    Vertex* climbStart = nullptr;
    /// The diagonal of the mesh's bounding box: the scale of every tolerance.
    double modelSize = 1;
    bool finished = false;
    std::string refusal;
};
