#pragma once

#include "blobby/MetaBall.h"

#include <memory>
#include <vector>

/// Connection record of a MetaLine, alive only while a tree of lines is saved or loaded:
/// the ids stand for the lines, which are re-linked as they are attached to a common parent.
struct IOStructure {
    /// A fresh id from the process-wide counter (0, 1, 2, ...).
    IOStructure();
    IOStructure(int id, int sourceId) : id(id), sourceId(sourceId) {}

    int id = 0;
    int sourceId = -1;
    std::vector<int> destIds;
    bool written = false;
};

/// A source spread along a tree of connected segments. Each line hangs from at most one
/// source line and holds its destinations in insertion order; the anchor (root) carries the
/// field of the whole tree, the distance being that to the nearest segment. A whole tree
/// always has one strength.
class MetaLine : public MetaBall {
    VORN_DECLARE_FACTORY(MetaLine)

    explicit MetaLine(double strength = 1.0);
    /// Leaves the tree: the source forgets it, the destinations become anchors.
    ~MetaLine() override;

    MetaLine* getSource() const { return m_source; }
    const std::vector<MetaLine*>& getDestinations() const { return m_destinations; }
    /// The root of this line's tree.
    MetaLine* getAnchor();
    IOStructure* getIOStructure() const { return m_io.get(); }

    double F(Sorvex::M3d& p) override;
    /// Distance from `p` to the nearest segment below this line (single precision).
    float findClosestDistance(const Sorvex::M3d& p);

    /// Lines with a source pass the request to it; the anchor sets the whole tree.
    void setStrength(double s) override;
    /// Re-roots the tree at this line, keeping its edges.
    void becomeAnchor();
    /// Appends `dest` (an anchor of another tree) to the destinations. Refused (false) when
    /// `dest` is null, already has a source or belongs to this line's tree.
    bool connect(MetaLine* dest);
    /// Hangs this line's destinations from its source and leaves the tree.
    void disconnect();

    void onSelected(CSettingsListDlg* bar) override;
    /// Splits the segment to the source at its midpoint; returns the new line.
    SceneObj* doDefaultAction() override;
    void renderSelf(Renderer* r) override;
    void onBeingCloned(SceneObj* original) override;
    void onBeingPasted() override { m_io.reset(); }
    /// Re-links saved connections with the other lines of the new parent.
    bool setParent(SceneObj* parent) override;
    void read(XML& xml) override;
    void write(XML& xml) override;

    /// The line that waits to be connected to the next line selected (null: none).
    static MetaLine* g_pAwaitingConnection;
    static void SetConnectionAwaiter(MetaLine* line) { g_pAwaitingConnection = line; }

private:
    void internalSetStrength(double s);
    IOStructure& ensureIO();
    void relinkSaved(MetaLine& other);
    void removeDestination(MetaLine* dest);

    MetaLine* m_source = nullptr;
    std::vector<MetaLine*> m_destinations;
    std::unique_ptr<IOStructure> m_io;
};
