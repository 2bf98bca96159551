#pragma once

#include <limits>
#include <list>
#include <unordered_map>
#include <vector>

#include "unfolders/engine/Unfolder.h"

/// What the strategies that grow their own cut graph edge by edge share (the outward
/// facing and the alpha-beta cuts): the cut graph they own, the placing of the faces
/// round a vertex up to the cuts there, cuts tried and taken back, and the distance of a
/// vertex's net images from the centre of the starting face.
///
/// Faces are only ever folded across edges the cut graph lacks, so the cut graph they
/// report is exactly what the net leaves cut (plus the edges where a ring of faces closes
/// without a cut). A cut that would close a cycle of cuts is never taken: the faces
/// inside could not be reached.
class FanCutUnfolder : public Unfolder {
public:
    /// The distance of a vertex with no net image.
    static constexpr float NoImage = std::numeric_limits<float>::max();

    bool setParent(SceneObj* parent) override;
    /// The cut graph grown so far (not derived from the net).
    Graph<Vertex*>& getCutGraph() override { return cuts; }
    bool autoUpdateHull() override { return !trying; }

    /// The smallest distance from the centre of the starting net face to a net image of
    /// `v`; NoImage when no placed face has it.
    float radius(Vertex* v);
    /// The net images of source vertex `v`, one per placed face round it (repeats
    /// where faces share an image).
    void netImages(Vertex* v, std::vector<Vertex*>& images);

    /// Walks round `v` from every placed face in one direction (0: across each face's
    /// edge leaving v, -1: across the edge arriving at v), placing every unplaced face on
    /// the way, until a cut edge, a border or the start. `u`, when given, is the cut just
    /// made at v, which the walk stops at like any other. Placed net faces are appended to
    /// `placed` when given; returns how many were placed.
    int unfoldFan(Vertex* v, Vertex* u, int direction, std::list<Poly*>* placed);
    /// Adds the cut (v, u) (none when u is null) and places the faces round v on both
    /// sides of it.
    void cut(Vertex* v, Vertex* u) { cut(v, u, nullptr); }
    void cut(Vertex* v, Vertex* u, std::list<Poly*>* placed);
    /// Takes back a cut made with `placed`: the edge leaves the cut graph and the faces
    /// it placed leave the net (and are destroyed), with the corners no face uses.
    void uncut(Vertex* v, Vertex* u, std::list<Poly*>& placed);
    /// Whether v and u are joined by cuts already, so that cutting (v, u) closes a cycle.
    bool joinedByCuts(Vertex* v, Vertex* u);

    /// Places every unplaced face that can be reached from the net across edges the cut
    /// graph lacks (the last resort when no vertex is left to cut from). Returns how many.
    int floodAcrossUncut();

protected:
    /// Records a cut taken for good (the cycle check's components).
    void commitCut(Vertex* v, Vertex* u);
    /// The source faces round `v` that are placed, in incidence order.
    std::vector<Poly*> placedFacesAround(Vertex* v) const;

    Graph<Vertex*> cuts;
    /// True while a cut is being tried: the hull is left alone.
    bool trying = false;

private:
    Vertex* findRoot(Vertex* v);
    /// Union-find over the cuts taken for good.
    std::unordered_map<Vertex*, Vertex*> cutComponent;
};
