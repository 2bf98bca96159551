#pragma once

#include <list>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "common/HeapReserve.h"
#include "common/IdleLoop.h"
#include "scene/mesh/PolyMesh.h"
#include "sorvex/M4x4.h"
#include "sorvex/PlanarConvexHull.h"
#include "unfolders/engine/FaceBSP.h"
#include "unfolders/engine/FaceTransformStore.h"
#include "unfolders/engine/Graph.h"
#include "unfolders/engine/Tree.h"

/// Base class of every unfolding strategy. The unfolder is itself a mesh: the
/// flat net that grows as faces of its source mesh (its parent in the scene)
/// are laid into a horizontal plane below the source. Each net face is twinned
/// both ways with the source face it was made from.
///
/// The base binds to a source, places the lowest face, lays further faces
/// against placed neighbours, finds overlaps, converts between nets and cut
/// graphs, steps the strategy's `unfold()` from the idle loop, fills gaps when
/// the strategy is done, and reports progress and success. Built by its
/// factory as "Unfolder" it places the starting face and stops.
///
/// Sources: Unfolder.cpp (binding, idle step, gaps, switches), UnfolderLayout.cpp
/// (flattening and net layout), UnfolderConflicts.cpp (overlaps), UnfolderCutGraph.cpp
/// (nets and cut graphs), UnfolderDisplay.cpp (drawing), UnfolderPersistence.cpp.
class Unfolder : public PolyMesh, public SystemIdleHandler {
    VORN_DECLARE_FACTORY(Unfolder)

    Unfolder();
    ~Unfolder() override;
    Unfolder(const Unfolder&) = delete;
    Unfolder& operator=(const Unfolder&) = delete;

    // ----- Scene object and mesh operations -----

    /// Binds to `parent` when it is a mesh: reads the twins setting, places
    /// the starting face and restarts the idle count. Any other parent leaves
    /// the unfolder unbound.
    bool setParent(SceneObj* parent) override;
    /// Also recomputes the height bands after a structural change once done.
    void onChanged(bool structural) override;
    /// Clears the net when the source changed structurally.
    void onTargetChanged(SceneObj* target, bool structural) override;
    void renderSelf(Renderer* r) override;
    /// A plain unfolder is not written into scene documents.
    bool canSave() override { return false; }
    SceneObj* doDefaultAction() override;
    void read(XML& xml) override;
    void write(XML& xml) override;
    void limnFace(Renderer* r, Poly& face) override;
    /// The hovered face (here or on the source) draws a link to its source face.
    MeshDrawStamp::Inputs faceDrawingInputs() override;
    bool autoMergePolys() override { return false; }
    bool canUserUnfold() override { return false; }
    /// Also takes the face out of the overlap index and the hull. Taking out the face
    /// added last restores both exactly as they were before it, at the cost of adding
    /// it (strategies that attach a face on trial rely on it); any other face makes the
    /// hull be rebuilt from the whole net.
    bool remPoly(Poly* f) override;
    /// Empties the net and the overlap index; hull, transforms, conflicts and
    /// cut graph stay until the next layout rebuilds them.
    void clear() override;
    /// Moves the net's centre to the origin, with the hull and the index.
    Sorvex::M3d shiftToCenter() override;

    // ----- The strategy interface -----

    /// Lays out a whole face tree from scratch, starting at the starting
    /// face; true when every face of the tree was placed.
    virtual bool unfoldToNet(Tree<Poly*>& tree);
    /// Lays out the whole net from a cut graph over source vertices. Mode 0
    /// floods over all faces; mode 1 and 2 only over faces touched by the
    /// cut graph (see touchedByAnAngle, flag = mode == 1). Several pieces are
    /// arranged in a grid.
    virtual void unfoldToCutGraph(Graph<Vertex*>& cut, int mode);
    /// One step of work; called once per idle tick from the fifth tick on.
    virtual void unfold() {}
    /// Recomputes the overlap graph from scratch; true when any overlap exists.
    virtual bool findConflicts();
    /// Called once when the strategy reports done: fills gaps, finds overlaps.
    virtual void onDone();
    virtual bool allowAutoComplete() { return true; }
    /// Done, every source face placed and no overlaps.
    virtual bool isSuccesful();
    /// Net faces per source face; 0 without a source.
    virtual float getProgress();
    virtual bool isDone() { return true; }
    virtual int getSuccessCount() { return isSuccesful() ? 1 : 0; }
    virtual int getNumUnfoldings() { return 1; }
    /// Whether addPoly/remPoly keep the convex hull up to date.
    virtual bool autoUpdateHull() { return true; }

    // ----- Searches over many candidate nets -----

    /// Strategies that try candidate nets one by one refuse a run whose candidates,
    /// counted or estimated when they were bound, exceed this limit, instead of running
    /// the machine out of time or memory. 0 for the strategies that do not search.
    virtual double getCandidateLimit() { return 0; }
    /// Takes effect at the next step; a refused run may go ahead under a higher limit.
    virtual void setCandidateLimit(double /*limit*/) {}
    /// The candidates of this run, counted or estimated when bound (0: not a search).
    virtual double getCandidateEstimate() { return 0; }
    /// Why the run is refused ("" when it is not).
    virtual std::string getRefusal() { return {}; }
    /// The cut edges of the current net, as edges between source vertices.
    virtual Graph<Vertex*>& getCutGraph();
    /// Fills `net` with the fold edges of the current net, over source faces.
    virtual void getNet(Graph<Poly*>& net);
    /// Turns the net into a folding animation under the source's parent and
    /// schedules this unfolder (and, when asked, the source) for deletion.
    virtual SceneObj* convertToAnimation(bool deleteSource);

    void onSystemIdle() override;

    // ----- Queries and switches -----

    PolyMesh* getSource() const { return source; }
    Poly* getUnfoldingRoot() const { return unfoldingRoot; }
    /// The hull of the net's points (see hull()).
    PlanarConvexHull& getConvexHull() { return hull(); }
    const std::list<PlanarConvexHull>& getHeightBands() const { return heightBands; }
    const FaceBSP& getFaceBoxTree() const { return *faceBoxTree; }
    /// The transform that carried a source face into the net, or null.
    const Sorvex::M4x4* getFaceTransform(Poly* sourceFace) const;
    int getIdleCount() const { return idleCount; }

    bool getDrawLines() const { return drawLines; }
    bool getDrawBSP() const { return drawBSP; }
    bool getDrawHull() const { return drawHull; }
    bool getDrawCutGraph() const { return drawCutGraph; }
    bool getDrawConflict() const { return drawConflict; }
    bool getDrawArcs() const { return drawArcs; }
    bool getDrawLocalConvexity() const { return drawLocalConvexity; }
    bool getDrawHeightBands() const { return drawHeightBands; }
    bool getCheckIntersections() const { return checkIntersections; }
    bool getShowUnfoldingInScene() const { return showUnfoldingInScene; }
    bool getAutoAnimate() const { return autoAnimate; }
    /// The source's render-twinned-in-blue switch; false without a source.
    bool getDrawTwins() const;

    void setDrawBSP(bool b) { drawBSP = b; }
    void setDrawHull(bool b) { drawHull = b; }
    void setDrawCutGraph(bool b) { drawCutGraph = b; }
    void setDrawConflict(bool b) { drawConflict = b; }
    void setDrawArcs(bool b) { drawArcs = b; }
    void setDrawLocalConvexity(bool b) { drawLocalConvexity = b; }
    void setShowUnfoldingInScene(bool b) { showUnfoldingInScene = b; }
    /// Also switches mouse tracking of the net and the source.
    void setDrawLines(bool b);
    void setDrawTwins(bool b);
    void setCheckIntersections(bool b);
    /// On: computes the bands when none exist and the unfolding is done.
    /// Off: forgets them.
    void setDrawHeightBands(bool b);

    /// The overlap graph, recomputed first when stale and bound to a source.
    /// Inline (like the other accessors) so that programs that load this
    /// library by name can call it through the virtual findConflicts.
    Graph<Poly*>& getConflicts() {
        if (!conflictsValid && source)
            findConflicts();
        return conflicts;
    }
    /// Whether `f` is in the overlap graph; never recomputes.
    bool getConflicted(Poly* f) const { return conflictsValid && conflicts.hasVertex(f); }
    /// Appends one graph per connected component of the overlap graph.
    void getConflicted(std::list<Graph<Poly*>>& components);
    bool isConflictsValid() const { return conflictsValid; }
    /// Moves on whenever the overlap graph may have changed (found again, an overlap
    /// added, cleared for a new start): colours drawn from it hold while it stands still.
    std::uint64_t getConflictsRevision() const { return conflictsRevision; }
    bool isCutGraphValid() const { return cutGraphValid; }

    /// Adds the face's vertices to `hull` in ring order, queued until the hull is read
    /// (PlanarConvexHull::addPointLater).
    void addPolyToHull(Poly* f, PlanarConvexHull* hull);

    /// Curvature sums flowing inwards from the leaves of the cut graph. The
    /// flag has no effect.
    void sumCutGraph(std::map<Vertex*, double>& sums, bool unused);
    /// Adds to `cut` every source edge that is not a fold edge of `net`.
    void unfoldedNet2cutGraph(Graph<Poly*>& net, Graph<Vertex*>& cut);
    /// Adds to `net` every pair of faces joined by an edge `cut` lacks.
    void cutGraph2unfoldedNet(std::list<Poly*>& faces, Graph<Vertex*>& cut, Graph<Poly*>& net);

    /// The arc shown where a cut path ends at source vertex `leaf` (whose one
    /// cut edge leads to `next`): the net images of `leaf` (the centre) and of
    /// `next` on either side of the cut (the two ends). False unless both
    /// faces along the cut edge are placed.
    static bool FindArc(Vertex* leaf, Vertex* next, Vertex** centre, Vertex** end1, Vertex** end2);
    /// Draws the arc round `centre` from `end1` to `end2` in the net plane.
    static void RenderArc(Renderer* r, const Vertex* centre, const Vertex* end1,
                          const Vertex* end2);

protected:
    // ----- Operations for strategies -----

    /// Adds a net face: stale caches, normal (0, -1, 0), overlap index, hull.
    virtual void addPoly(Poly* f);
    /// Places the lowest untwinned, non-degenerate source face.
    virtual Poly* chooseStartingFace();
    /// Places source face `f` flat below the model; returns `f`.
    virtual Poly* setStartingFace(Poly* f);
    /// Places source face `f` across edge `e` despite an overlap, recording
    /// the overlaps it makes. The new face is not twinned.
    virtual void onConflict(Poly& f, int e);
    /// Records the overlap of net faces a and b.
    virtual void onConflict(Poly* a, Poly* b);

    Sorvex::M4x4 getRotationToPlane(Poly& f);
    /// A copy of `f` turned into the net plane with its centre at `target`.
    Poly* copyToCenter(Poly& f, const Sorvex::M3d& target);
    /// A net copy of source face `f` unfolded against its placed neighbour
    /// across edge `e`; null when the neighbour is missing or unplaced, or
    /// when the copy would overlap while the check is on (then `blocker`, if
    /// given, receives the source face of an overlapping net face).
    Poly* copyAndFlatten(Poly& f, int e, Poly** blocker);
    /// Unfolds the neighbour of placed face `f` across edge `e`.
    Poly* unfoldFromEdge(Poly& f, int e);
    /// Unfolds unplaced face `f` against its neighbour across edge `e`.
    Poly* unfoldToEdge(Poly& f, int e);
    /// Twins source and net face both ways and adds the net face.
    void addTwin(Poly& src, Poly& net);
    /// Places the subtree below `node`; stops at the first refusal.
    bool unfoldToNet(TreeNode<Poly*>& node);
    void findHeightBands();
    /// Mean of the distinct net images of source vertex `v`.
    Sorvex::M3d findDevelopmentCenter(Vertex* v);

    /// Whether face `f` touches the cut graph: with `anyVertex` at any of
    /// its vertices, otherwise at a vertex with more than one cut edge.
    bool touchedByAnAngle(Graph<Vertex*>& cut, Poly* f, bool anyVertex);
    /// Floods one piece across uncut edges from `seed`, placing the seed on
    /// the starting face when it is not placed yet. The faces it places are
    /// neither in the overlap index nor in the hull: see indexWholeNet.
    void unfoldToCutGraph(Graph<Vertex*>& cut, Poly* seed, int mode, std::list<Poly*>* placed);
    /// addTwin without the overlap index and the hull, for layouts that build
    /// both once at the end.
    void addTwinUnindexed(Poly& src, Poly& net);
    /// Rebuilds the overlap index and (with `hull`, else empties it) the hull
    /// from the whole net in list order, as adding the faces one by one would
    /// leave them (the index with the same region; boxes sharing a node may be
    /// listed in another order).
    void indexWholeNet(bool hull);

    void renderHull(Renderer* r, PlanarConvexHull& hull);

    /// Inserts a face's box, growing the index first when needed.
    void addToFaceBoxTree(Poly* f);
    void resetFaceBoxTree();
    void rebuildHull();

    PolyMesh* source = nullptr;
    bool drawLines;
    bool drawBSP;
    bool drawHull;
    bool drawCutGraph;
    bool drawConflict;
    bool drawArcs;
    bool drawLocalConvexity;
    bool drawHeightBands;
    bool showUnfoldingInScene;
    bool checkIntersections = true;
    /// Builds a folding animation of the current net and attaches it under the source's
    /// parent; null when there is no such parent or it refuses the child. The unfolder
    /// stays as it is.
    SceneObj* attachAnimation();

    /// The net's convex hull, with the faces added since it was last used handed to it
    /// first. Every use of the hull goes through here, and code that moves or deletes net
    /// vertices in place calls it before (see hullPending).
    PlanarConvexHull& hull() {
        if (!hullPending.empty())
            feedHull();
        return convexHull;
    }

    std::unique_ptr<FaceBSP> faceBoxTree;
    std::list<PlanarConvexHull> heightBands;
    Poly* unfoldingRoot = nullptr;
    bool autoAnimate = false;
    SceneObj* animation = nullptr;
    FaceTransformStore faceTransforms;
    int idleCount = 0;
    bool cutGraphValid = false;
    Graph<Vertex*> cutGraph;
    bool conflictsValid = false;
    std::uint64_t conflictsRevision = 0;
    Graph<Poly*> conflicts;
    /// Readies the heap for the net while a huge one grows (see HeapReserve): taken at
    /// the first step, let go when the strategy is done or the unfolder goes.
    std::unique_ptr<HeapReserve> growthHeap;
    bool growthHeapTaken = false;
    /// The face whose hull points addPoly journaled last, and the hull's revision then.
    Poly* lastHullFace = nullptr;
    unsigned long long lastHullRevision = 0;

private:
    /// Hands the waiting faces to the hull, each with the hull operations addPoly would
    /// otherwise make at once: a mark, then its points queued.
    void feedHull();

    /// Reached only through hull().
    PlanarConvexHull convexHull;
    /// Net faces added since the hull was last used, in order, whose points it has not
    /// been given yet. A face costs eight bytes here instead of 24 per point in the hull's
    /// own queue, and a net that nobody measures (a batch, a benchmark) never hands them
    /// over. Their vertices keep their places until then: anything that moves or deletes
    /// net vertices (remPoly, clear, shiftToCenter, a cut-graph layout) uses the hull first.
    std::vector<Poly*> hullPending;

    void fillGaps();
    void renderCutGraph(Renderer* r);
    void renderArcs(Renderer* r);
    void renderLocalConvexity(Renderer* r);

    /// Whether edge `i` of net face `f` is cut: no net neighbour across it, a source one.
    bool isCutEdge(Poly& f, int i);
    /// The net face that cuts the same source edge as edge `i` of net face `f` from the
    /// other side (its edge in `j`), or null when that side is not cut by a placed face.
    Poly* otherCut(Poly& f, int i, int* j);

    /// What the net and its source were when a cache of the cut edges was brought up to
    /// date: faces only added since are told from the rest as MeshDrawStamp tells them.
    struct NetCounts {
        std::uint64_t revision = 0;
        std::uint64_t faces = 0;
        std::uint64_t vertices = 0;
        std::uint64_t structural = 0;
        std::uint64_t inPlace = 0;
        std::uint64_t sourceRevision = 0;
    };
    NetCounts getNetCounts() const;
    /// Whether faces were only added to the net since `then` (and the source is the same).
    bool onlyAddedSince(const NetCounts& then) const;

    /// Adds the cut edges of net face `f` to the cut graph.
    void addCutEdgesOf(Poly& f);
    /// Builds the cut graph from the whole net.
    void rebuildCutGraph();
    /// Takes the faces added to the net since the graph was last built or grown into it;
    /// false (nothing changed) when anything else changed since, or the graph was edited.
    bool growCutGraph();
    /// Brings the rim up to date with the net, taking in only the faces added since.
    void updateCutRim();
    /// Draws the cut edges that net face `f` closed: those whose other side was cut by a
    /// face placed before `f`.
    void renderClosedCuts(Renderer* r, Poly& f);

    /// The cut graph was last built or grown from the net as `cutGraphAt` says (valid
    /// while `cutGraphAtValid`), and then had `cutGraphVertices` vertices: an edit through
    /// getCutGraph's reference shows there.
    bool cutGraphAtValid = false;
    NetCounts cutGraphAt;
    std::size_t cutGraphVertices = 0;
    /// The cut edges (net face, edge) no placed face cuts from the other side: the open
    /// rim of the growing net, in net order, for the net as `cutRimAt` says.
    std::vector<std::pair<Poly*, int>> cutRim;
    bool cutRimAtValid = false;
    NetCounts cutRimAt;
    /// Set before the drawing asks for the cut graph, cleared by this class's getCutGraph,
    /// which then leaves the graph as it is: a strategy that keeps a graph of its own
    /// answers instead, and that graph is drawn.
    bool cutGraphProbe = false;
    /// The stamp of the cut edges' drawing, kept while faces are only added.
    MeshDrawStamp cutDrawStamp;
};
