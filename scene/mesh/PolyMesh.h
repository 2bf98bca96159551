#pragma once

#include "scene/mesh/MeshData.h"
#include "scene/mesh/Poly.h"
#include "scene/Renderer.h"
#include "scene/SceneObj.h"
#include "scene/mesh/MeshDrawStamp.h"
#include "scene/mesh/Vertex.h"
#include "scene/mesh/SlotList.h"
#include "sorvex/PointSorter.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class Coloriser;
class CurvatureArmature;
class MeshShortestPaths;

/// A polygon mesh in the scene: vertices and faces in insertion order, with
/// face adjacency kept current on every add and remove, so
/// `Poly::getNeighbor` is O(1). The mesh owns its vertices and faces.
///
/// Faces and vertices are iterated with range-for over getPolys() /
/// getVertices(). Removing faces or vertices during such a loop is safe.
///
/// Sources: PolyMesh.cpp (lists, mesh operations, colourisers), PolyMeshIO.cpp
/// (read, write, MeshData), PolyMeshDraw.cpp (drawing), PolyMeshConvexify.cpp (convexify).
class PolyMesh : public SceneObj {
    VORN_DECLARE_FACTORY(PolyMesh)

    using PolyList = SlotList<Poly>;
    using VertexList = SlotList<Vertex>;

    PolyMesh();
    /// Deletes the children first (they may refer to the faces), then every
    /// face and vertex.
    ~PolyMesh() override;

    // ----- Scene object -----

    /// Centre of the vertices' bounding box; the origin for an empty mesh.
    Sorvex::M3d getCenter() override;
    /// Marks cached results (curvature) stale, then reports the change.
    void onChanged(bool structural) override;
    /// Draws every face through limnFace, then the face edges when switched on.
    void renderSelf(Renderer* r) override;
    /// While tracking the mouse, the face nearest the point is highlighted.
    void onMouseOver(const Sorvex::M3d& hitPoint) override;
    /// Reads "Vertices", "Faces", "DrawEdges" and "Color" (missing ones keep the
    /// current value), validating all of it first: on bad data it throws
    /// SceneReadError and the mesh keeps its faces, vertices and switches.
    void read(XML& xml) override;
    /// Writes the base's elements, then "Vertices", "Faces", "DrawEdges", "Color".
    void write(XML& xml) override;

    // ----- Mesh operations (virtual, in slot order) -----

    /// Draws one face: colour from the highlight, the colouriser stack, the
    /// twinned-in-blue switch or the mesh colour, in that order of precedence.
    virtual void limnFace(Renderer* r, Poly& face);
    /// Whether a renderer may keep the faces as drawn and only append new ones or take
    /// new colours: true when limnFace draws each face as one polygon in the colours
    /// faceColor and the colourisers give, plus only what faceDrawingInputs covers.
    virtual bool keepsFaceDrawing();
    /// What else the faces' drawing depends on: they are drawn anew when it changes.
    virtual MeshDrawStamp::Inputs faceDrawingInputs();
    /// Truncation notifications: edge (a, b) was split at `created`; a face or
    /// vertex is about to be destroyed; a face was created. Nothing by default.
    virtual void onEdgeTruncation(Vertex* a, Vertex* b, Vertex* created);
    virtual void onFaceDestroyedInTruncation(Poly* face);
    virtual void onVertexDestroyedInTruncation(Vertex* v);
    virtual void onFaceCreatedInTruncation(Poly* face);
    /// The colour faces are drawn in when nothing else decides.
    virtual RGBAColor getColor();
    /// Whether tools may merge coplanar neighbouring faces of this mesh (true;
    /// nets and animations, whose faces map one-to-one to a source, say no).
    virtual bool autoMergePolys();
    /// Whether the user may attach an unfolding strategy to this mesh (true).
    virtual bool canUserUnfold();

    /// Appends `v` to the vertex list and takes ownership. Returns `v`; null
    /// (nothing changed) when `v` is null or belongs to another mesh. A vertex
    /// already in this mesh is returned unchanged.
    virtual Vertex* addVertex(Vertex* v);
    /// Takes `v` out of the vertex list; ownership passes to the caller. False
    /// when `v` is not in this mesh or a face still uses it.
    virtual bool remVertex(Vertex* v);
    /// Appends face `f` (taking ownership) and links it to the faces it shares
    /// edges with. Vertices of `f` that belong to no mesh are added first.
    /// `updateNormal` true recomputes f's normal and area from its ring; false
    /// keeps the stored ones (net faces whose normal the caller has set).
    /// Returns false, changing nothing, when `f` is null, already in a mesh, has
    /// fewer than 3 vertices, a null or repeated vertex, or a vertex of another
    /// mesh.
    virtual bool addPoly(Poly* f, bool updateNormal = true);
    /// Takes `f` out of the face list and unlinks it from its neighbours and
    /// vertices; ownership passes to the caller. O(sides x valence); removing
    /// the most recently added face leaves no trace in the list. False when
    /// `f` is not in this mesh.
    virtual bool remPoly(Poly* f);
    /// remPoly(f), then deletes `f` and every vertex of it no face uses any more.
    virtual bool remPolyClean(Poly* f);
    /// Replaces ring positions [first, first + count) of face `f` (taken cyclically) by
    /// `inserted`, editing the face in place: it keeps its place in the face list, its twin
    /// and user data, and only the edges around the span are linked again, so the cost
    /// grows with the edit, not with the face's other edges. When the span runs past the
    /// ring's end the inserted vertices are appended (the ring then starts after the span).
    /// Vertices of `inserted` that belong to no mesh are added. `updateNormal` false keeps
    /// the stored normal and area for the caller to set (a walk round the whole ring is
    /// what the edit otherwise saves). Returns false, changing nothing, when `f` is not in
    /// this mesh, the span does not fit the ring, or the new ring would have fewer than 3
    /// vertices or a null, repeated or foreign vertex.
    virtual bool spliceRing(Poly& f, int first, int count, const std::vector<Vertex*>& inserted,
                            bool updateNormal = true);
    /// True when `f` has a neighbour across edge `edge` in this mesh.
    virtual bool hasNeighbor(Poly& f, int edge);
    /// The face whose centre is nearest to `p` (local coordinates); the first
    /// one on ties; null for a mesh without faces. O(faces).
    virtual Poly* findNearestFace(const Sorvex::M3d& p);
    /// Deletes every face and vertex.
    virtual void clear();
    /// Moves every vertex so that getCenter() becomes the origin; returns the
    /// centre that was removed.
    virtual Sorvex::M3d shiftToCenter();

    // ----- Lists -----

    const PolyList& getPolys() const { return m_polys; }
    const VertexList& getVertices() const { return m_vertices; }
    std::size_t getPolyCount() const { return m_polys.size(); }
    std::size_t getVertexCount() const { return m_vertices.size(); }
    /// Face / vertex at a list position, or null; O(1) amortised.
    Poly* getPoly(std::size_t i) const { return m_polys.at(i); }
    Vertex* getVertex(std::size_t i) const { return m_vertices.at(i); }
    /// Position of `f` in the face list, or -1.
    int getPolyIndex(const Poly* f) const { return int(m_polys.indexOf(f)); }
    /// Position of `v` in the vertex list (the index files store), or -1.
    /// O(1) amortised.
    int getIOIndex(const Vertex* v) const { return int(m_vertices.indexOf(v)); }
    /// The vertex at list position `index`, or null.
    Vertex* getIOIndex(int index) const {
        return index < 0 ? nullptr : m_vertices.at(std::size_t(index));
    }
    /// Adds a new vertex at `p` and returns it.
    Vertex* addVertexAt(const Sorvex::M3d& p);
    /// The vertex `sorter` finds within its tolerance of `p`, else a new vertex at `p` added
    /// to the mesh and to `sorter` (which must hold only this mesh's vertices).
    Vertex* findBestVertex(const Sorvex::M3d& p, Sorvex::PointSorter& sorter);

    // ----- Whole-mesh operations -----

    /// Replaces `target`'s faces and vertices with copies of this mesh's, in
    /// the same order (stored normals and areas included).
    void copy(PolyMesh& target) const;
    /// Lowest and highest y of the vertices; both 0 for an empty mesh.
    void getHeightRange(double& low, double& high) const;
    /// Sum of the stored areas of the faces in `polys`.
    template <typename Range> static double getPolyListArea(const Range& polys) {
        double sum = 0;
        for (const Poly* p : polys)
            sum += p->getArea();
        return sum;
    }
    /// The mesh's curvature data, recomputed when `recompute` is true or the
    /// mesh changed since the last computation. `needFlow` false lets a caller that
    /// reads only curvatures and angle deficits skip the flows (see
    /// CurvatureArmature::compute); they are computed when a later call needs them.
    CurvatureArmature& getCurvature(bool recompute, bool needFlow = true);
    /// The mesh's shortest-path state over its edge graph, started afresh (nothing computed
    /// yet) when asked for the first time, when `restart` is true or when the mesh changed
    /// since it was started; callers advance it (MeshShortestPaths::advance).
    MeshShortestPaths& getShortestPaths(bool restart = false);

    /// Replaces the faces and vertices with `data` after validating it. On
    /// invalid data returns false with the reason in `error` (when given) and
    /// changes nothing. Reports a structural change on success.
    bool fromMeshData(const MeshData& data, std::string* error = nullptr);
    /// The same for packed rings: what loaders of huge meshes hand over.
    bool fromMeshData(const PackedMeshData& data, std::string* error = nullptr);
    MeshData toMeshData() const;
    /// Replaces the mesh by the convex hull of its vertices, faces counter-clockwise seen from
    /// outside. `mergeCoplanar` false gives a triangulated hull; true merges coplanar triangles
    /// into one polygon. False, changing nothing, for fewer than 4 points, flat or non-finite
    /// input.
    bool convexify(bool mergeCoplanar);
    MeshTopology getTopology() const { return toMeshData().topology(); }
    /// Splits every face once (PolyMeshRefine.cpp): a triangle into four through its edge
    /// midpoints, any other polygon into quads round a new centre vertex. Midpoints are
    /// shared by the two faces of an edge, so a closed mesh stays closed.
    void subdivide();
    /// Turns every edge into a band: each face shrinks about its centre to `keep` of its
    /// size, each edge between two faces becomes a quad joining the two shrunk copies of
    /// the edge, and each inner vertex becomes a face joining its copies in the faces
    /// round it. Orientation is kept. Faces that do not close round a vertex (open
    /// borders) get no vertex face there. Nothing changes for `keep` outside (0, 1).
    void bandify(double keep = kBandKeep);
    /// The default share: on an icosahedron the bands come out square.
    static constexpr double kBandKeep = 0.35;

    /// Whether every edge is shared by two faces that run along it in opposite directions
    /// and the faces turn counter-clockwise seen from outside (the enclosed volume is
    /// positive). O(corners) once per revision, then cached.
    bool isClosedOutward();

    /// Counts structural changes (faces or vertices added or removed,
    /// onChanged); cached results compare it to know they are stale.
    std::uint64_t getRevision() const { return m_revision; }

    // ----- Drawing switches -----

    void setRenderFaceEdges(bool on) {
        m_renderFaceEdges = on;
        requestSceneRedraw();
    }
    bool getRenderFaceEdges() const { return m_renderFaceEdges; }
    /// Draws each face a second time with reversed winding, so that renderers
    /// that cull back-facing polygons still show the inside.
    void setRenderBackFaces(bool on) {
        m_renderBackFaces = on;
        requestSceneRedraw();
    }
    bool getRenderBackFaces() const { return m_renderBackFaces; }
    /// Draws faces that have a twin in blue.
    void setRenderTwinnedInBlue(bool on) {
        m_renderTwinnedInBlue = on;
        requestSceneRedraw();
    }
    bool getRenderTwinnedInBlue() const { return m_renderTwinnedInBlue; }
    /// While on, the face under the mouse is highlighted (getHighlightedPoly).
    void setTrackMouse(bool on);
    bool getTrackMouse() const { return m_trackMouse; }
    /// The highlighted face while tracking the mouse, else null.
    Poly* getHighlightedPoly() const { return m_trackMouse ? m_highlighted : nullptr; }
    void setHighlightedPoly(Poly* f);
    void setColor(double r, double g, double b) { setColor(RGBAColor{r, g, b, 1.0}); }
    void setColor(const RGBAColor& c) {
        m_color = c;
        requestSceneRedraw();
    }

    /// Colourisers decide face colours, the last pushed first. Not owned.
    void pushColoriser(Coloriser* c);
    /// Removes the last pushed colouriser (nothing when the stack is empty).
    void popColoriser();
    const std::vector<Coloriser*>& getColorisers() const { return m_colorisers; }

private:
    /// Swaps in the geometry of `data` (already validated), deleting the old
    /// faces and vertices. No change report.
    void replaceGeometry(const MeshData& data);
    void replaceGeometry(const PackedMeshData& data);
    /// What both replaceGeometry do; `Faces` gives face rings by index.
    template <typename Faces>
    void buildGeometry(const std::vector<Sorvex::M3d>& positions, const Faces& faces);
    void deleteGeometry(PolyList& polys, VertexList& vertices);
    RGBAColor faceColor(Renderer* r, Poly& face);
    /// The colour of corner `k` of `face` whose colour is `base`.
    RGBAColor cornerColor(Renderer* r, Poly& face, int k, const RGBAColor& base);
    /// Gives the renderer the colours of the first `count` faces, which it keeps drawn;
    /// false when it kept them differently.
    bool recolourKeptFaces(Renderer* r, std::size_t count);
    /// `keep`: as a part the renderer may keep under `stamp`.
    void renderFaceEdges(Renderer* r, bool keep, std::uint64_t stamp);

    PolyList m_polys;
    VertexList m_vertices;
    std::uint64_t m_revision = 0;
    std::unique_ptr<CurvatureArmature> m_curvature;
    std::uint64_t m_curvatureRevision = 0;
    std::unique_ptr<MeshShortestPaths> m_shortestPaths;
    std::vector<Coloriser*> m_colorisers;
    /// isClosedOutward's answer and the revision it was found at (none yet: ~0).
    std::uint64_t m_closedRevision = ~std::uint64_t(0);
    bool m_closedOutward = false;
    Poly* m_highlighted = nullptr;
    RGBAColor m_color{0.75, 0.75, 0.75, 1.0};
    bool m_renderFaceEdges = false;
    bool m_renderBackFaces = false;
    bool m_renderTwinnedInBlue = false;
    bool m_trackMouse = false;
    MeshDrawStamp m_drawStamp;

    friend class Poly;
    /// Called by a face of this mesh whose twin was set or cleared.
    void noteTwinChanged(Poly& f);
    /// What the colours of the faces a renderer keeps were last taken from: the end of the
    /// twin journal then and what else decides a face's colour. False when it cannot tell
    /// (a colouriser that cannot).
    struct ColourMark {
        const Renderer* renderer = nullptr;
        std::uint64_t journalEnd = 0;
        RGBAColor color;
        const Poly* highlighted = nullptr;
        bool twinnedInBlue = false;
        double transparency = 1.0;
        std::vector<std::uint64_t> coloriserKeys;
        bool operator==(const ColourMark& other) const;
    };
    bool getColourMark(Renderer* r, ColourMark& mark);
    /// Notes that the faces `r` keeps have the colours of `mark` (false: of nothing known).
    void rememberColours(Renderer* r, bool known, const ColourMark& mark);
    /// Faces whose twin was set or cleared, in order, the first being the `m_twinJournalBase`-th
    /// since the mesh was made: a renderer that keeps the faces drawn recolours only these
    /// when nothing else that decides colours changed. Started afresh (the base moved on)
    /// rather than grown past the face count.
    std::vector<Poly*> m_twinJournal;
    std::uint64_t m_twinJournalBase = 0;
    /// One mark for each of the last few renderers that kept the faces drawn.
    std::vector<ColourMark> m_colourMarks;
};
