#pragma once

#include <cstdint>
#include <memory>

#include "common/XML.h"
#include "unfolders/engine/Unfolder.h"

class ClickableLine;

/// The unfolder whose cuts the user chooses by hand. Every edge of the source is
/// a `ClickableLine` child; clicking one adds the edge to, or removes it from,
/// the requested cut graph, and the whole net is laid out again at once from that
/// graph through the cut-graph layout. It is never stepped: done from the start,
/// successful when the last layout held every face without an overlap.
///
/// The requested graph may hold edges from a vertex to a null marker: in cut-path
/// mode with "only known" on, the starting face's vertices get one so that they
/// count as known and are never tips of the path.
///
/// Sources: ManualUnfolder.cpp (binding, layout, drawing), ManualUnfolderToggle.cpp
/// (clicks), ManualUnfolderPersistence.cpp, ManualUnfolderBevel.cpp (smartBevel).
class ManualUnfolder : public Unfolder {
    VORN_DECLARE_FACTORY(ManualUnfolder)

    ManualUnfolder();
    ~ManualUnfolder() override;

    /// Rebinds: new clickable lines, requests from a stored document element,
    /// then a fresh layout.
    bool setParent(SceneObj* parent) override;
    /// A structural change of the source keeps the requested cuts by vertex
    /// position in the vertex list and lays the net out again.
    void onTargetChanged(SceneObj* target, bool structural) override;
    void renderSelf(Renderer* r) override;
    void read(XML& xml) override;
    void write(XML& xml) override;
    bool canSave() override { return true; }
    /// The complete flag of the last layout.
    bool isSuccesful() override { return complete; }
    bool isDone() override { return true; }
    bool autoUpdateHull() override { return true; }
    /// A folding animation of the current net under the source's parent; the manual
    /// unfolder stays, so it can fold again after more clicks.
    SceneObj* convertToAnimation();
    /// Double-click and the panel's "Animate" come here too: the manual unfolder is
    /// never deleted by a conversion (nor its mesh, which holds it).
    SceneObj* convertToAnimation(bool) override { return convertToAnimation(); }

    Graph<Vertex*>& getRequestedCutGraph() { return requested; }
    bool getOnlyKnown() const { return onlyKnown; }
    /// Stores the flag as the user's setting too, and lays the net out again.
    void setOnlyKnown(bool b);
    bool getCutPathMode() const { return cutPathMode; }
    void setCutPathMode(bool b);

    /// Lays the net out from the requested cut graph and rebuilds the unfolder's
    /// own cut graph from the net laid.
    void pseudoflatten();
    /// Lays out, judges completeness, finds overlaps and reports the change.
    void onUpdated();
    /// Cuts off every tip of the requested cut graph that has three mesh edges,
    /// letting the cut continue to the new corners.
    void smartBevel();

    /// The "Edit" command of every unfolder's panel: a manual unfolder takes the
    /// place of `old` under the same mesh, with its display switches and its cut
    /// graph as the requests, and is selected after the current event; `old`
    /// lets go of the source at once and is deleted after the current event.
    /// Null (and nothing changed) when `old` is not bound to a mesh.
    static ManualUnfolder* ReplaceUnfolder(Unfolder& old);

    /// Adds the edge (a, b) to the requested graph when absent, else removes it,
    /// and lays the net out again. What a click on a line does. A toggle that
    /// provably leaves the layout as it is (cutting an edge the net does not fold
    /// across; joining one the flood would still pass over) keeps the net.
    void toggleRequestedEdge(Vertex* a, Vertex* b);
    /// The line under the mouse, drawn highlighted; null for none.
    ClickableLine* getHoveredLine() const { return hovered; }
    void setHoveredLine(ClickableLine* line);
    /// Maps points of the source's frame into this unfolder's frame: the inverse of its
    /// transform (identity when that has none). Every line asks on every drawing, so it is
    /// kept for the transform it was worked out from.
    const Sorvex::M4x4& getFromSourceFrame();

private:
    void deleteLines();
    /// One line per undirected source edge, in face order.
    void makeLines();
    /// Adds the requested edges of the stored "ManualCutGraph" element, then drops it.
    void applyStoredCutGraph();
    /// Whether source vertex v counts as known in the only-known layout.
    bool isKnown(Vertex* v) const;
    void rebuildCutGraphFromNet();
    /// Whether toggling (a, b) leaves the net of the full-mesh flood unchanged,
    /// judged on the net laid from the requests before the toggle.
    bool toggleKeepsNet(Vertex* a, Vertex* b, bool cutting);
    /// Changes whenever the requested graph changes (a hash of its edges).
    std::uint64_t requestsStamp() const;
    void renderNetEdges(Renderer* r);

    bool complete = false;
    Graph<Vertex*> requested;
    bool onlyKnown;
    bool cutPathMode;
    std::unique_ptr<XML> storedCutGraph;
    ClickableLine* hovered = nullptr;
    /// Whether the net is the layout of the requests stamped `laidRequests`; any
    /// change of the source clears it.
    bool netFollowsRequests = false;
    std::uint64_t laidRequests = 0;
    /// `fromSource` is the inverse of `fromSourceOf`, when `hasFromSource`.
    bool hasFromSource = false;
    Sorvex::M4x4 fromSourceOf, fromSource;
};
