#include <algorithm>
#include <cmath>
#include <span>
#include <utility>
#include <vector>

#include "unfolders/engine/HullTranslate.h"
#include "unfolders/engine/Unfolder.h"

using Sorvex::M3d;
using Sorvex::M4x4;

namespace {

const M3d NetNormal(0, -1, 0);

/// translate(pivot) * rotation * translate(-pivot), with the library's rotation
/// convention (see M4x4::rotate): the products M4x4::rotate(axis, angle) makes.
M4x4 turnAbout(const M3d& pivot, const M4x4& rotation) {
    M4x4 m;
    m.loadTranslate(pivot);
    m *= rotation;
    m.translateNeg(pivot);
    return m;
}

M4x4 turnAbout(const M3d& pivot, const M3d& axis, double angle) {
    M4x4 rotation;
    rotation.loadRotate(Sorvex::MQuat(axis, angle));
    return turnAbout(pivot, rotation);
}

/// How well `rotation` carries `n` onto `target` (the cosine between them).
double turnedNormalFit(const M4x4& rotation, const M3d& n, const M3d& target) {
    return (rotation * n).dot(target);
}

/// The direction a face placed by `placement` had on the source: the one the placement
/// turns onto the net normal.
M3d sourceDirectionOf(const M4x4& placement) {
    M4x4 back = placement;
    back.inv();
    M3d d = back * NetNormal - back * M3d(0, 0, 0);
    d.normalize();
    return d;
}

/// The normal a face is laid flat by. A face without area has no direction of its own:
/// its corners lie on one line, which lies in the plane of every face beside it, so it
/// borrows the normal of a neighbour that has area (and is laid as a segment).
M3d layingNormal(const Poly& f) {
    if (!f.hasNoArea())
        return f.getNormal();
    for (int e = 0; e < f.getVertexCount(); ++e)
        if (const Poly* g = f.getNeighbor(e); g && !g->hasNoArea())
            return g->getNormal();
    return f.getNormal();
}

} // namespace

M4x4 Unfolder::getRotationToPlane(Poly& f) {
    const M3d n = layingNormal(f);
    const double d = n.dot(NetNormal);
    const M3d q = f.getCenter();
    // The two thresholds differ on purpose: the layouts depend on them.
    if (d > 0.9999)
        return M4x4();
    if (d < -0.99999)
        return turnAbout(q, M3d(1, 0, 0), M_PI);
    // M4x4::rotate(axis, a) turns by -a about the axis, so the axis t x n
    // is the one about which the turn carries n onto t.
    M3d axis;
    axis.cross(NetNormal, n);
    axis.normalize();
    return turnAbout(q, axis, std::acos(d));
}

Poly* Unfolder::copyToCenter(Poly& f, const M3d& target) {
    auto* copy = new Poly(f, this);
    // The source face, not its copy, knows its neighbours (a face without area borrows
    // one's normal); both have the same corners, so the turn is the same.
    M4x4 m = M4x4::Translation(target - copy->getCenter()) * getRotationToPlane(f);
    faceTransforms.assign(&f, m);
    copy->transform(m);
    return copy;
}

Poly* Unfolder::copyAndFlatten(Poly& f, int e, Poly** blocker) {
    Poly* g = f.getNeighbor(e);
    if (!g || !g->getTwin())
        return nullptr;
    const M4x4* placedTransform = faceTransforms.find(g);
    if (!placedTransform)
        return nullptr;
    Poly* gNet = g->getTwin();
    const int n = f.getVertexCount();
    const int hingeA = ((e % n) + n) % n;
    const int hingeB = (hingeA + 1) % n;
    const M3d p0 = *f.getVertex(hingeA);
    const M3d p1 = *f.getVertex(hingeB);

    // A face without area lies along its hinge: it is laid in the plane of the face it
    // is unfolded from, and the faces beyond it fold from that plane, which the placed
    // neighbour's transform remembers.
    const M3d ng = g->hasNoArea() ? sourceDirectionOf(*placedTransform) : g->getNormal();
    const bool flat = f.hasNoArea();
    const M3d nf = flat ? ng : f.getNormal();
    M3d axis;
    axis.cross(nf, ng);
    axis.normalize();
    // Rounding can push the dot of two unit normals just past 1, where acos
    // has no value; the fold angle is held in single precision.
    float theta = float(std::acos(std::clamp(nf.dot(ng), -1.0, 1.0)));

    // Every corner but the two hinge ends is a vertex of the copy's own. The ring is
    // copied into the face: most rings fit on the stack.
    Vertex* shortRing[8];
    std::vector<Vertex*> longRing;
    if (n > 8)
        longRing.resize(size_t(n));
    const std::span<Vertex*> ring(n > 8 ? longRing.data() : shortRing, size_t(n));
    for (int k = 0; k < n; ++k) {
        if (k == hingeA || k == hingeB) {
            ring[size_t(k)] = gNet->getVertex(g->getVertexIndex(f.getVertex(k)));
        } else {
            auto* v = new Vertex(*f.getVertex(k));
            addVertex(v);
            ring[size_t(k)] = v;
        }
    }

    // Both tests flip the turn; together they fold across convex and reflex
    // edges alike onto the far side of the hinge.
    if (axis.dot(p1 - p0) > 0)
        theta = -theta;
    if ((g->getCenter() - (p0 + p1) * 0.5).dot(nf) > 0)
        theta = -theta;
    // The neighbour's centre can lie on the wrong side of the hinge when the
    // neighbour is not convex. The turn that lays the face flat is the one
    // that carries its normal onto the neighbour's, so that decides; the
    // margin keeps the centre's choice where both turns are about equally
    // good (nearly coplanar faces), which keeps those nets as they were.
    // The turn by -theta is the transpose of the turn by theta, to the bit (the sine is
    // odd, the cosine even), so one sine and cosine serve both fits and the layout.
    M4x4 turn, turnBack;
    turn.loadRotate(Sorvex::MQuat(axis, theta));
    turnBack = turn;
    turnBack.transpose();
    if (turnedNormalFit(turnBack, nf, ng) > turnedNormalFit(turn, nf, ng) + 1e-14)
        std::swap(turn, turnBack);
    // A face without area is not turned: it stays in its neighbour's plane.
    M4x4 t = flat ? *placedTransform : *placedTransform * turnAbout(p0, turn);
    faceTransforms.assign(&f, t);

    // transform computes the normal and area once the face is in place.
    auto* face = new Poly(ring, Poly::NormalLater{});
    face->transform(t, hingeA, hingeB);

    if (checkIntersections) {
        if (Poly* hit = faceBoxTree->findFirst(FaceBox(face))) {
            // The refused copy's own vertices are dropped so that they do not
            // distort the net's extent.
            for (int k = 0; k < n; ++k)
                if (k != hingeA && k != hingeB)
                    if (Vertex* v = face->getVertex(k); remVertex(v))
                        delete v;
            delete face;
            if (blocker)
                *blocker = hit->getTwin();
            return nullptr;
        }
    }
    return face;
}

Poly* Unfolder::unfoldFromEdge(Poly& f, int e) {
    Poly* g = f.getNeighbor(e);
    if (!g || g->getTwin())
        return nullptr;
    const int k = g->getNeighborIndex(&f);
    if (k == -1)
        return nullptr;
    Poly* copy = copyAndFlatten(*g, k, nullptr);
    if (!copy)
        return nullptr;
    addTwin(*g, *copy);
    return g;
}

Poly* Unfolder::unfoldToEdge(Poly& f, int e) {
    if (e == -1)
        return nullptr;
    Poly* copy = copyAndFlatten(f, e, nullptr);
    if (!copy)
        return nullptr;
    addTwin(f, *copy);
    return &f;
}

bool Unfolder::unfoldToNet(TreeNode<Poly*>& node) {
    // Depth first in child order, as a recursion would go; the explicit
    // stack keeps long chains of faces off the call stack.
    using ChildIt = std::list<TreeNode<Poly*>*>::const_iterator;
    struct Frame {
        TreeNode<Poly*>* node;
        ChildIt next;
    };
    std::vector<Frame> stack{{&node, node.getChildren().begin()}};
    while (!stack.empty()) {
        Frame& top = stack.back();
        if (top.next == top.node->getChildren().end()) {
            stack.pop_back();
            continue;
        }
        TreeNode<Poly*>* child = *top.next++;
        Poly* face = child->getValue();
        const int k = face->getNeighborIndex(top.node->getValue());
        if (k < 0)
            return false;
        Poly* copy = copyAndFlatten(*face, k, nullptr);
        if (!copy)
            return false;
        addTwin(*face, *copy);
        stack.push_back({child, child->getChildren().begin()});
    }
    return true;
}

bool Unfolder::unfoldToNet(Tree<Poly*>& tree) {
    cutGraphValid = false;
    conflictsValid = false;
    hull().reset();
    translate(-getTranslation());
    clear();
    if (source)
        faceTransforms.reserve(source->getPolyCount());
    chooseStartingFace();
    bool placedAll = false;
    if (unfoldingRoot && tree.setRoot(unfoldingRoot->getTwin()))
        placedAll = unfoldToNet(*tree.getRoot());
    onChanged(true);
    return placedAll;
}

void Unfolder::addPolyToHull(Poly* f, PlanarConvexHull* hull) {
    // Queued: most nets are never measured (a batch reads only success and progress),
    // and a hull that is read is built exactly as adding the points now would build it.
    for (Vertex* v : f->getVertices())
        hull->addPointLater(v->x(), v->z(), v);
}

M3d Unfolder::shiftToCenter() {
    // The hull takes its waiting faces before their vertices move.
    PlanarConvexHull& netHull = hull();
    const M3d s = PolyMesh::shiftToCenter();
    TranslateHull(netHull, -s.x(), -s.z());
    faceBoxTree->shift(-s.x(), -s.z());
    return s;
}

void Unfolder::findHeightBands() {
    heightBands.clear();
    if (!source)
        return;
    double low = 0, high = 0;
    source->getHeightRange(low, high);
    const double range = high - low;
    if (range == 0)
        return;
    // Single precision on purpose: ten additions of 0.1f end just above 1,
    // so the last band takes in the highest vertices.
    for (float t = 0.1f; t <= 1.0001; t += 0.1f) {
        PlanarConvexHull& band = heightBands.emplace_back();
        for (Poly* f : source->getPolys()) {
            Poly* net = f->getTwin();
            if (!net)
                continue;
            for (int i = 0; i < f->getVertexCount(); ++i) {
                if ((f->getVertex(i)->y() - low) / range <= t) {
                    const Vertex* image = net->getVertex(i);
                    band.addPoint(image->x(), image->z(), nullptr);
                }
            }
        }
    }
}

M3d Unfolder::findDevelopmentCenter(Vertex* v) {
    std::vector<M3d> images;
    for (Poly* f : v->getPolys()) {
        Poly* net = f->getTwin();
        if (!net)
            continue;
        const M3d p = *net->getVertex(f->getVertexIndex(v));
        if (std::find(images.begin(), images.end(), p) == images.end())
            images.push_back(p);
    }
    // A vertex with no placed face has no image; the origin beats a NaN.
    if (images.empty())
        return M3d();
    M3d sum;
    for (const M3d& p : images)
        sum += p;
    return sum / double(unsigned(images.size()));
}
