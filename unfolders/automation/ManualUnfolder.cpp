#include "unfolders/automation/ManualUnfolder.h"

#include <cstring>
#include <set>
#include <unordered_set>
#include <utility>
#include <vector>

#include "common/Registry.h"
#include "scene/Renderer.h"
#include "unfolders/automation/ClickableLine.h"

using Sorvex::M3d;

VORN_DEFINE_OFFERED_FACTORY(ManualUnfolder, "Unfolder")

namespace {

const char* const Section = "Settings";
const char* const OnlyKnownKey = "ManualUnfoldingOnlyKnown";
const char* const CutPathKey = "ManualUnfoldingCutPathMode";
/// Marker tubes of the only-known layout: radius and length along the normal.
constexpr double MarkerRadius = 0.01;
constexpr double MarkerLength = 0.05;

} // namespace

ManualUnfolder::ManualUnfolder()
    : onlyKnown(GetRegistryFlag(Section, OnlyKnownKey, false)),
      cutPathMode(GetRegistryFlag(Section, CutPathKey, false)) {
    // The user decides every cut: the layout never refuses a face.
    checkIntersections = false;
}

ManualUnfolder::~ManualUnfolder() {
    // The lines ask this unfolder about the hover while they go.
    deleteLines();
}

// ----- Binding and source changes -----

bool ManualUnfolder::setParent(SceneObj* parent) {
    if (parent && isAncestorOf(parent))
        return false;
    deleteLines();
    clear();
    requested.clear();
    netFollowsRequests = false;
    if (!Unfolder::setParent(parent))
        return false;
    if (source && source->getPolyCount() > 0)
        makeLines();
    if (source)
        applyStoredCutGraph();
    onUpdated();
    return true;
}

void ManualUnfolder::onTargetChanged(SceneObj* target, bool structural) {
    netFollowsRequests = false;
    if (!source || target != source || !structural) {
        Unfolder::onTargetChanged(target, structural);
        return;
    }
    // Requested cuts survive by vertex: keep the edges whose two ends are still
    // vertices of the source. Vertices that went may be freed already, so they
    // are compared by address only, never read.
    const std::unordered_set<const Vertex*> alive(source->getVertices().begin(),
                                                  source->getVertices().end());
    std::vector<std::pair<Vertex*, Vertex*>> kept;
    for (const auto& [v, around] : requested)
        for (Vertex* w : around)
            if (v < w && v && alive.count(v) && alive.count(w))
                kept.emplace_back(v, w);
    deleteLines();
    Unfolder::onTargetChanged(target, structural);
    requested.clear();
    for (const auto& [v, w] : kept)
        requested.addEdge(v, w);
    makeLines();
    onUpdated();
}

void ManualUnfolder::deleteLines() {
    hovered = nullptr;
    const std::vector<SceneObj*> children = getChildren();
    for (SceneObj* child : children)
        if (dynamic_cast<ClickableLine*>(child))
            delete child;
}

void ManualUnfolder::makeLines() {
    std::set<std::pair<Vertex*, Vertex*>> made;
    for (Poly* f : source->getPolys()) {
        for (int i = 0; i < f->getVertexCount(); ++i) {
            Vertex* a = f->getVertex(i);
            Vertex* b = f->getVertex(i + 1);
            // The neighbouring face meets the same edge the other way round.
            const auto key = a < b ? std::make_pair(a, b) : std::make_pair(b, a);
            if (made.insert(key).second)
                (new ClickableLine(key.first, key.second))->setParent(this);
        }
    }
}

// ----- Layout -----

bool ManualUnfolder::isKnown(Vertex* v) const {
    // In cut-path mode a tip (one requested neighbour) does not count.
    return requested.hasVertex(v) && (!cutPathMode || requested.getDegree(v) >= 2);
}

void ManualUnfolder::pseudoflatten() {
    if (!source)
        return;
    const M3d translation = getTranslation();
    if (!unfoldingRoot)
        chooseStartingFace();
    Poly* start = unfoldingRoot ? unfoldingRoot->getTwin() : nullptr;
    if (onlyKnown && start) {
        for (Vertex* v : start->getVertices()) {
            if (cutPathMode)
                requested.addEdge(v, nullptr);
            else
                requested.removeEdge(v, nullptr);
        }
    }
    unfoldToCutGraph(requested, onlyKnown ? (cutPathMode ? 2 : 1) : 0);
    rebuildCutGraphFromNet();
    cutGraphValid = true;
    translate(translation - getTranslation());
}

void ManualUnfolder::rebuildCutGraphFromNet() {
    cutGraph.clear();
    int position = 0;
    for (Poly* q : getPolys()) {
        Poly* s = q->getTwin();
        const int here = position++;
        if (!s)
            continue;
        for (int i = 0; i < q->getVertexCount(); ++i) {
            if (hasNeighbor(*q, i) || !source->hasNeighbor(*s, i))
                continue;
            // A cut edge between two placed faces was added from the one listed first;
            // adding it again would change nothing.
            if (Poly* across = s->getNeighbor(i)->getTwin();
                across && across->getMesh() == this && getPolyIndex(across) < here)
                continue;
            Vertex* a = s->getVertex(i + 1);
            Vertex* b = s->getVertex(i);
            if (!onlyKnown || isKnown(a) || isKnown(b))
                cutGraph.addEdge(a, b);
        }
    }
}

void ManualUnfolder::onUpdated() {
    if (!source)
        return;
    pseudoflatten();
    // findConflicts asks the face-box index about every net face, so an empty
    // overlap graph says what a separate pass stopping at the first overlap
    // would, at half the cost.
    const bool overlaps = findConflicts();
    complete = getPolyCount() == source->getPolyCount() && !overlaps;
    netFollowsRequests = true;
    laidRequests = requestsStamp();
    onChanged(true);
}

ManualUnfolder* ManualUnfolder::ReplaceUnfolder(Unfolder& old) {
    PolyMesh* mesh = old.getSource();
    if (!mesh)
        return nullptr;
    const Graph<Vertex*> cuts = old.getCutGraph();
    const bool twins = old.getDrawTwins();
    auto* manual = new ManualUnfolder;
    manual->setDrawLines(old.getDrawLines());
    manual->setDrawBSP(old.getDrawBSP());
    manual->setDrawHull(old.getDrawHull());
    manual->setDrawCutGraph(old.getDrawCutGraph());
    manual->setDrawConflict(old.getDrawConflict());
    manual->setDrawArcs(old.getDrawArcs());
    manual->setDrawLocalConvexity(old.getDrawLocalConvexity());
    manual->setShowUnfoldingInScene(old.getShowUnfoldingInScene());
    // Two nets cannot share the source faces' twin links: the old net goes now,
    // the old object (whose panel may be running this) after the event.
    old.clear();
    old.setParent(nullptr);
    DelayedDelete(&old);
    manual->setParent(mesh);
    manual->requested = cuts;
    manual->setDrawTwins(twins);
    manual->setDrawHeightBands(old.getDrawHeightBands());
    manual->onUpdated();
    DelayedSelect(manual);
    return manual;
}

void ManualUnfolder::setOnlyKnown(bool b) {
    onlyKnown = b;
    // A full update, not only the layout: success and overlaps follow the net.
    onUpdated();
    SetRegistryFlag(Section, OnlyKnownKey, b);
}

void ManualUnfolder::setCutPathMode(bool b) {
    cutPathMode = b;
    onUpdated();
    SetRegistryFlag(Section, CutPathKey, b);
}

void ManualUnfolder::setHoveredLine(ClickableLine* line) {
    if (line == hovered)
        return;
    hovered = line;
    requestSceneRedraw();
}

const Sorvex::M4x4& ManualUnfolder::getFromSourceFrame() {
    // Compared bit for bit, so the kept inverse is exactly the one worked out afresh.
    const Sorvex::M4x4& m = getTransform();
    if (!hasFromSource || std::memcmp(m.data(), fromSourceOf.data(), sizeof(double) * 16) != 0) {
        fromSourceOf = m;
        fromSource = m;
        if (!fromSource.inv())
            fromSource.identity();
        hasFromSource = true;
    }
    return fromSource;
}

SceneObj* ManualUnfolder::convertToAnimation() {
    SceneObj* parent = getParent();
    if (!parent || !parent->getParent())
        return nullptr;
    // The manual unfolder stays, so the user can change cuts and fold again; the new
    // animation is selected once the current event is over.
    SceneObj* made = attachAnimation();
    if (made)
        SceneObj::DelayedSelect(made);
    return made;
}

// ----- Drawing -----

void ManualUnfolder::renderSelf(Renderer* r) {
    Unfolder::renderSelf(r);
    if (!r->isPicking() && showUnfoldingInScene)
        renderNetEdges(r);
    if (!onlyKnown || !unfoldingRoot || r->isPicking())
        return;
    // The starting face, where the only-known layout grows from.
    r->color(0.1, 0.4, 1.0);
    if (showUnfoldingInScene) {
        r->pushTransform(Sorvex::M4x4::Translation(-getTranslation()));
        r->renderTube(unfoldingRoot->getCenter(),
                      unfoldingRoot->getCenter() + unfoldingRoot->getNormal() * MarkerLength,
                      MarkerRadius);
        r->popTransform();
    }
    Poly* start = unfoldingRoot->getTwin();
    if (start && source && source->getHighlightedPoly()) {
        Sorvex::M4x4 toSource = getTransform();
        if (!toSource.inv())
            toSource.identity();
        r->pushTransform(toSource);
        r->renderTube(start->getCenter(), start->getCenter() + start->getNormal() * MarkerLength,
                      MarkerRadius);
        r->popTransform();
    }
    r->color(1, 1, 1);
}

void ManualUnfolder::renderNetEdges(Renderer* r) {
    // The net's outline: cut edges (no net neighbour) in the cut colour, fold
    // edges in grey, so the two read apart in the view as they do on paper.
    r->pushTransform(Sorvex::M4x4::Translation(-getTranslation()));
    for (const bool cut : {false, true}) {
        if (cut)
            r->color(1.0, 0.15, 0.0);
        else
            r->color(0.35, 0.35, 0.35);
        r->beginLines();
        for (Poly* q : getPolys()) {
            for (int i = 0; i < q->getVertexCount(); ++i) {
                if ((q->getNeighbor(i) != nullptr) == cut)
                    continue;
                // Each fold edge is met from both faces: draw it from one.
                if (!cut && q->getNeighbor(i) < q)
                    continue;
                r->vertex(*q->getVertex(i));
                r->vertex(*q->getVertex(i + 1));
            }
        }
        r->end();
    }
    r->color(1, 1, 1);
    r->popTransform();
}
