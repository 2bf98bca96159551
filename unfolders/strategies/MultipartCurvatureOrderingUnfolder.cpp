#include "unfolders/strategies/MultipartCurvatureOrderingUnfolder.h"

#include <algorithm>
#include <cmath>
#include <unordered_set>

#include "common/StatusLine.h"

using Sorvex::M3d;
using Sorvex::M4x4;

VORN_DEFINE_OFFERED_FACTORY(MultipartCurvatureOrderingUnfolder, "Unfolder")

namespace {

constexpr int AttemptBudget = 10;

} // namespace

MultipartCurvatureOrderingUnfolder::~MultipartCurvatureOrderingUnfolder() = default;

// ----- Parts -----

void MultipartCurvatureOrderingUnfolder::activate(int part) {
    if (part == activePart)
        return;
    if (activePart >= 0)
        std::swap(faceBoxTree, parts[size_t(activePart)].index);
    std::swap(faceBoxTree, parts[size_t(part)].index);
    activePart = part;
}

int MultipartCurvatureOrderingUnfolder::newPart(Poly* root) {
    Part& part = parts.emplace_back();
    part.root = root;
    part.index = std::make_unique<FaceBSP>();
    return int(parts.size()) - 1;
}

void MultipartCurvatureOrderingUnfolder::join(Poly* f, int part) {
    partOf[f] = part;
    parts[size_t(part)].faces.push_back(f);
}

int MultipartCurvatureOrderingUnfolder::getPartCount() const {
    return int(std::count_if(parts.begin(), parts.end(), [](const Part& p) { return p.alive; }));
}

int MultipartCurvatureOrderingUnfolder::getPartOf(Poly* f) const {
    auto it = partOf.find(f);
    return it == partOf.end() ? -1 : it->second;
}

std::vector<std::vector<Poly*>> MultipartCurvatureOrderingUnfolder::getParts() const {
    std::vector<std::vector<Poly*>> result;
    for (const Part& part : parts) {
        if (!part.alive)
            continue;
        std::vector<Poly*>& faces = result.emplace_back();
        for (Poly* f : part.faces)
            if (f)
                faces.push_back(f);
    }
    return result;
}

Poly* MultipartCurvatureOrderingUnfolder::setStartingFace(Poly* f) {
    // The old parts' indices go; the fresh current index becomes the first part's.
    resetFaceBoxTree();
    parts.clear();
    partOf.clear();
    refusedSplices.clear();
    activePart = -1;
    partsStarted = 0;
    splices = 0;
    Poly* placed = CurvatureOrderingUnfolder::setStartingFace(f);
    if (placed) {
        Part& first = parts.emplace_back();
        first.root = placed;
        activePart = 0;
        join(placed, 0);
    }
    return placed;
}

void MultipartCurvatureOrderingUnfolder::clear() {
    parts.clear();
    partOf.clear();
    refusedSplices.clear();
    activePart = -1;
    CurvatureOrderingUnfolder::clear();
}

M3d MultipartCurvatureOrderingUnfolder::shiftToCenter() {
    const M3d s = CurvatureOrderingUnfolder::shiftToCenter();
    for (Part& part : parts)
        if (part.index)
            part.index->shift(-s.x(), -s.z());
    return s;
}

bool MultipartCurvatureOrderingUnfolder::isSuccesful() {
    return CurvatureOrderingUnfolder::isSuccesful() && getPartCount() <= 1;
}

// ----- Growing -----

void MultipartCurvatureOrderingUnfolder::unfold() {
    for (int attempt = 0; attempt < AttemptBudget && !isDone(); ++attempt) {
        Candidate c;
        if (!findNext(c)) {
            finish();
            done = true;
            StatusMessage("Ready");
            break;
        }
        Poly* from = c.first->getNeighbor(c.second);
        activate(partOf.at(from));
        if (Poly* copy = copyAndFlatten(*c.first, c.second, nullptr)) {
            addTwin(*c.first, *copy);
            join(c.first, activePart);
            onPolyAdded(c);
        } else {
            placeElsewhere(c);
        }
        spliceAround(c.first);
    }
}

void MultipartCurvatureOrderingUnfolder::placeElsewhere(Candidate& c) {
    Poly& f = *c.first;
    const int refusedBy = activePart;
    // Another part it touches may take it as it stands.
    for (int e = 0; e < f.getVertexCount(); ++e) {
        Poly* q = f.getNeighbor(e);
        if (!q || !q->getTwin() || partOf.at(q) == refusedBy || q->getNeighborIndex(&f) == -1)
            continue;
        activate(partOf.at(q));
        if (Poly* copy = copyAndFlatten(f, e, nullptr)) {
            addTwin(f, *copy);
            join(&f, activePart);
            onPolyAdded(c);
            return;
        }
    }
    // Else it starts a part of its own, where it would have been laid.
    Poly* copy = detachedCopy(f, c.second);
    if (!copy)
        return;
    const int part = newPart(&f);
    ++partsStarted;
    activate(part);
    addTwin(f, *copy);
    join(&f, part);
    onPolyAdded(c);
}

Poly* MultipartCurvatureOrderingUnfolder::detachedCopy(Poly& f, int e) {
    const bool wasChecking = checkIntersections;
    checkIntersections = false;
    Poly* hinged = copyAndFlatten(f, e, nullptr);
    checkIntersections = wasChecking;
    if (!hinged)
        return nullptr;
    const int n = f.getVertexCount();
    const int hingeA = ((e % n) + n) % n;
    const int hingeB = (hingeA + 1) % n;
    std::vector<Vertex*> ring;
    for (int k = 0; k < n; ++k) {
        Vertex* v = hinged->getVertex(k);
        if (k == hingeA || k == hingeB) {
            v = new Vertex(*v);
            addVertex(v);
        }
        ring.push_back(v);
    }
    delete hinged;
    return new Poly(ring);
}

void MultipartCurvatureOrderingUnfolder::spliceAround(Poly* f) {
    if (!f->getTwin())
        return;
    for (int e = 0; e < f->getVertexCount(); ++e) {
        Poly* q = f->getNeighbor(e);
        if (!q || !q->getTwin() || partOf.at(q) == partOf.at(f) || refusedSplices.count({f, e}))
            continue;
        const int k = q->getNeighborIndex(f);
        // The smaller part moves: less to lay again, and the same answer either way.
        const bool moveF =
            parts[size_t(partOf.at(f))].faces.size() <= parts[size_t(partOf.at(q))].faces.size();
        Poly* spliced = moveF ? splice(f, q) : splice(q, f);
        if (!spliced) {
            refusedSplices.insert({f, e});
            refusedSplices.insert({q, k});
        }
    }
}

// ----- Splicing -----

Poly* MultipartCurvatureOrderingUnfolder::splice(Poly* p, Poly* q) {
    // Once the run has ended the parts' indices are gone and the pieces are set apart.
    if (activePart < 0 || !p || !q || !p->getTwin() || !q->getTwin() || !partOf.count(p) ||
        !partOf.count(q))
        return nullptr;
    const int moving = partOf.at(p);
    const int staying = partOf.at(q);
    if (moving == staying || p->getNeighborIndex(q) == -1)
        return nullptr;
    activate(staying);

    // One re-laid face: its source, the net face it replaces, the transform it had
    // and the new face.
    struct Relaid {
        Poly* source;
        Poly* oldNet;
        M4x4 oldTransform;
        Poly* newNet;
    };
    std::vector<Relaid> relaid;
    auto rollBack = [&]() {
        // The new faces are in no mesh yet, so their corners list no faces but the
        // net's own; those made for them go once every new face is gone.
        std::unordered_set<Vertex*> corners;
        for (Relaid& r : relaid) {
            for (Vertex* v : r.newNet->getVertices())
                corners.insert(v);
            delete r.newNet;
            r.source->setTwin(r.oldNet);
            faceTransforms[r.source] = r.oldTransform;
        }
        for (Vertex* v : corners)
            if (v->getPolys().empty() && remVertex(v))
                delete v;
    };

    // Outwards from p over the old part's fold edges, each face against the one
    // it hangs from (already re-laid).
    std::vector<std::pair<Poly*, Poly*>> pending{{p, q}};
    std::unordered_set<Poly*> seen{p};
    for (size_t next = 0; next < pending.size(); ++next) {
        auto [s, parent] = pending[next];
        Poly* oldNet = s->getTwin();
        const M4x4 oldTransform = faceTransforms.at(s);
        Poly* copy = copyAndFlatten(*s, s->getNeighborIndex(parent), nullptr);
        if (!copy) {
            // The refused copy left its transform behind: s stays where it was.
            faceTransforms[s] = oldTransform;
            rollBack();
            return nullptr;
        }
        // Twinned one way only while laying, so the faces beyond hinge on it.
        s->setTwin(copy);
        relaid.push_back({s, oldNet, oldTransform, copy});
        for (int e = 0; e < oldNet->getVertexCount(); ++e) {
            Poly* netNeighbor = oldNet->getNeighbor(e);
            Poly* child = netNeighbor ? netNeighbor->getTwin() : nullptr;
            if (child && partOf.count(child) && partOf.at(child) == moving &&
                seen.insert(child).second)
                pending.emplace_back(child, s);
        }
    }

    // Every face fits: the old faces go and the new ones join the staying part.
    prepareToReplaceNetFaces();
    std::vector<Poly*> moved;
    moved.reserve(relaid.size());
    for (Relaid& r : relaid) {
        if (unfoldingRoot == r.oldNet)
            unfoldingRoot = r.newNet;
        r.oldNet->setTwin(nullptr);
        remPolyClean(r.oldNet);
        moved.push_back(r.source);
    }
    onNetFacesTakenOut(moved);
    for (Relaid& r : relaid) {
        addTwin(*r.source, *r.newNet);
        join(r.source, staying);
    }
    Part& gone = parts[size_t(moving)];
    gone.alive = false;
    gone.index.reset();
    gone.faces.clear();
    ++splices;
    return p->getTwin();
}

// ----- The end -----

void MultipartCurvatureOrderingUnfolder::finish() {
    // The first part left stays where it is; the others go on shelves beside it.
    std::vector<int> order;
    for (size_t i = 0; i < parts.size(); ++i)
        if (parts[i].alive)
            order.push_back(int(i));
    struct Box {
        double minX = 1e300, maxX = -1e300, minZ = 1e300, maxZ = -1e300;
    };
    auto boxOf = [&](const Part& part) {
        Box b;
        for (Poly* f : part.faces)
            if (f && f->getTwin())
                for (Vertex* v : f->getTwin()->getVertices()) {
                    b.minX = std::min(b.minX, v->x());
                    b.maxX = std::max(b.maxX, v->x());
                    b.minZ = std::min(b.minZ, v->z());
                    b.maxZ = std::max(b.maxZ, v->z());
                }
        return b;
    };
    if (order.size() > 1) {
        // Shelves of pieces, about as wide as the pieces would be tall when stacked
        // square, starting at the first piece's corner; a gap of a tenth of the
        // largest piece keeps them apart.
        std::vector<Box> boxes;
        double area = 0, gap = 0, widest = 0;
        for (int i : order) {
            const Box& b = boxes.emplace_back(boxOf(parts[size_t(i)]));
            area += (b.maxX - b.minX) * (b.maxZ - b.minZ);
            gap = std::max({gap, (b.maxX - b.minX) / 10, (b.maxZ - b.minZ) / 10});
            widest = std::max(widest, b.maxX - b.minX);
        }
        const double shelfWidth = std::max(widest, 1.5 * std::sqrt(area));
        double x = boxes.front().maxX + gap, z = boxes.front().minZ;
        double shelfDepth = boxes.front().maxZ - boxes.front().minZ;
        const double left = boxes.front().minX;
        for (size_t j = 1; j < order.size(); ++j) {
            const Box& b = boxes[j];
            if (x > left && x + (b.maxX - b.minX) > left + shelfWidth) {
                x = left;
                z += shelfDepth + gap;
                shelfDepth = 0;
            }
            const M3d shift(x - b.minX, 0, z - b.minZ);
            std::unordered_set<Vertex*> moved;
            for (Poly* f : parts[size_t(order[j])].faces) {
                if (!f || !f->getTwin())
                    continue;
                for (Vertex* v : f->getTwin()->getVertices())
                    if (moved.insert(v).second)
                        v->setPosition(*v + shift);
                faceTransforms[f] = M4x4::Translation(shift) * faceTransforms[f];
            }
            markDrawingChanged();
            x += (b.maxX - b.minX) + gap;
            shelfDepth = std::max(shelfDepth, b.maxZ - b.minZ);
        }
    }
    // One index over the whole net, for the overlaps of the finished net.
    activePart = -1;
    for (Part& part : parts)
        part.index.reset();
    resetFaceBoxTree();
    for (Poly* f : getPolys())
        addToFaceBoxTree(f);
    onChanged(true);
}
