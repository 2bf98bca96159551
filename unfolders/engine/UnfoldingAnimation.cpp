#include "unfolders/engine/UnfoldingAnimation.h"

#include <algorithm>
#include <cmath>
#include <unordered_map>
#include <unordered_set>

#include "unfolders/engine/Unfolder.h"

using Sorvex::M3d;
using Sorvex::M4x4;

VORN_DEFINE_FACTORY(UnfoldingAnimation, "PolyMesh")

namespace {

const char* const RecordKey = "ua";
const M3d NetNormal(0, -1, 0);

void deleteRecord(void* data) {
    delete static_cast<AnimationFace*>(data);
}

M3d crossOf(const M3d& a, const M3d& b) {
    M3d c;
    c.cross(a, b);
    return c;
}

/// The signed angle that turns a face with normal `from` about the shared edge `edge`
/// until its normal is `to`. atan2 of the sine and cosine stays exact for the nearly flat
/// hinges of fine meshes, where the arc cosine of the dot product would lose half the
/// digits, so a closed model stays closed however deep its trees are.
double foldAngle(const M3d& from, const M3d& to, const M3d& edge) {
    const M3d c = crossOf(from, to);
    const double angle = std::atan2(c.length(), from.dot(to));
    return c.dot(edge) < 0 ? -angle : angle;
}

/// A blank before every capital letter A to Z, the first one included.
std::string spacedName(std::string_view name) {
    std::string spaced;
    for (char c : name) {
        if (c >= 'A' && c <= 'Z')
            spaced += ' ';
        spaced += c;
    }
    return spaced;
}

} // namespace

M3d AnimationFace::referenceCentre() const {
    M3d sum;
    for (const M3d& p : reference)
        sum += p;
    return reference.empty() ? sum : sum / double(reference.size());
}

M3d AnimationFace::referenceNormal() const {
    return normal;
}

struct UnfoldingAnimation::Build {
    std::unordered_set<const Poly*> visited;
    /// Net vertex to one of its copies; copies of one net vertex stay together as the
    /// faces fold, so any of them will do.
    std::unordered_map<const Vertex*, Vertex*> vertexCopies;
    std::unordered_map<const Poly*, int> sourceIndex;
};

UnfoldingAnimation::UnfoldingAnimation() {
    setRenderBackFaces(true);
    setRenderFaceEdges(true);
    setColor(1, 1, 1);
    RegisterSystemIdleHandler(this);
}

UnfoldingAnimation::UnfoldingAnimation(Unfolder* u) : UnfoldingAnimation() {
    if (!u)
        return;
    drawArcs = u->getDrawArcs();
    Build build;
    if (PolyMesh* source = u->getSource()) {
        int index = 0;
        for (Poly* f : source->getPolys())
            build.sourceIndex.emplace(f, index++);
    }
    const M3d unfolderShift = u->getTranslation();
    if (Poly* root = u->getUnfoldingRoot()) {
        roots.emplace_back(buildTree(root, build), unfolderShift + root->getCenter());
        if (getPolyCount() < u->getPolyCount()) {
            severalPieces = true;
            for (Poly* f : u->getPolys())
                if (!build.visited.count(f))
                    roots.emplace_back(buildTree(f, build), unfolderShift + f->getCenter());
        }
        // Arcs where cut paths end, on this mesh's copies of the net vertices.
        for (const auto& [v, next] : u->getCutGraph()) {
            Vertex *centre = nullptr, *end1 = nullptr, *end2 = nullptr;
            if (next.size() != 1 || !Unfolder::FindArc(v, next.front(), &centre, &end1, &end2))
                continue;
            auto c = build.vertexCopies.find(centre);
            auto a = build.vertexCopies.find(end1);
            auto b = build.vertexCopies.find(end2);
            if (c != build.vertexCopies.end() && a != build.vertexCopies.end() &&
                b != build.vertexCopies.end())
                arcs.push_back({c->second, a->second, b->second});
        }
    }
    if (SceneObj* source = u->getParent())
        translate(source->getTranslation());
    panelTitle = spacedName(u->getClassName()) + " Animation Settings";
}

UnfoldingAnimation::~UnfoldingAnimation() {
    UnregisterSystemIdleHandler(this);
}

AnimationFace* UnfoldingAnimation::GetRecord(const Poly* f) {
    return f ? static_cast<AnimationFace*>(f->getUserData(RecordKey)) : nullptr;
}

Poly* UnfoldingAnimation::buildTree(Poly* rootNet, Build& build) {
    auto copyOf = [&](Poly* net, Poly* parent, int parentEdge) {
        auto* copy = new Poly(*net, this);
        PolyMesh::addPoly(copy, false);
        for (int i = 0; i < net->getVertexCount(); ++i)
            build.vertexCopies[net->getVertex(i)] = copy->getVertex(i);
        auto* record = new AnimationFace;
        auto it = build.sourceIndex.find(net->getTwin());
        record->sourceIndex = it == build.sourceIndex.end() ? -1 : it->second;
        for (const Vertex* v : net->getVertices())
            record->reference.push_back(*v);
        record->normal = net->getNormal();
        record->parent = parent;
        record->parentEdge = parentEdge;
        record->children.assign(size_t(net->getVertexCount()), nullptr);
        record->angles.assign(size_t(net->getVertexCount()), 0.0f);
        copy->setUserData(RecordKey, record, deleteRecord);
        build.visited.insert(net);
        return copy;
    };

    // Depth first with an explicit stack: a depth-first net of a large mesh is one long
    // chain of faces.
    struct Step {
        Poly* net;
        Poly* copy;
        Poly* parentSource;
        int edge;
    };
    Poly* rootCopy = copyOf(rootNet, nullptr, -1);
    std::vector<Step> stack{{rootNet, rootCopy, nullptr, 0}};
    while (!stack.empty()) {
        Step& top = stack.back();
        if (top.edge == top.net->getVertexCount()) {
            stack.pop_back();
            continue;
        }
        const int i = top.edge++;
        Poly* f = top.net;
        Poly* fCopy = top.copy;
        Poly* g = f->getNeighbor(i);
        Poly* fs = f->getTwin();
        if (!g || !fs || !g->getTwin() || g->getTwin() == top.parentSource ||
            build.visited.count(g))
            continue;
        Poly* gs = g->getTwin();
        const M3d edge = *fs->getVertex(i + 1) - *fs->getVertex(i);
        const float angle = float(foldAngle(fs->getNormal(), gs->getNormal(), edge));
        Poly* gCopy = copyOf(g, fCopy, g->getNeighborIndex(f));
        AnimationFace* record = GetRecord(fCopy);
        record->children[size_t(i)] = gCopy;
        record->angles[size_t(i)] = angle;
        stack.push_back({g, gCopy, fs, 0});
    }
    return rootCopy;
}

bool UnfoldingAnimation::hasNeighbor(Poly& f, int edge) {
    const AnimationFace* record = GetRecord(&f);
    const int n = f.getVertexCount();
    if (!record || n == 0)
        return PolyMesh::hasNeighbor(f, edge);
    const int k = ((edge % n) + n) % n;
    return record->parentEdge == k || record->children[size_t(k)] != nullptr;
}

float UnfoldingAnimation::getFoldPercent(float t) {
    return (1.0f - std::cos(t)) * 0.5f;
}

void UnfoldingAnimation::setFoldPercent(float p) {
    p = std::clamp(p, 0.0f, 1.0f);
    time = std::acos(1.0f - 2.0f * p);
}

void UnfoldingAnimation::flexFaces(float p) {
    for (const auto& [root, position] : roots) {
        const AnimationFace* record = GetRecord(root);
        const M3d n = record->referenceNormal();
        const M3d q = record->referenceCentre();
        const M3d axis = crossOf(n, NetNormal);
        const float angle = std::acos(float(n.dot(NetNormal)));
        M4x4 m;
        // A root off the net plane (a face laid some other way) is first turned flat, so
        // every piece closes resting on its root face.
        if (axis.length() > 0 && angle != 0)
            m = M4x4::Translation(q) * M4x4::Rotation(axis, -double(p) * angle) *
                M4x4::Translation(-q);
        if (severalPieces)
            m = M4x4::Translation((position - q) * double(p)) * m;
        foldTree(root, m, p);
    }
}

void UnfoldingAnimation::foldTree(Poly* root, const M4x4& rootMatrix, float p) {
    std::vector<std::pair<Poly*, M4x4>> stack{{root, rootMatrix}};
    while (!stack.empty()) {
        auto [f, m] = stack.back();
        stack.pop_back();
        const AnimationFace* record = GetRecord(f);
        const std::vector<M3d>& ref = record->reference;
        for (int i = 0; i < f->getVertexCount(); ++i)
            f->getVertex(i)->setPosition(m * ref[size_t(i)]);
        f->onVerticesChanged();
        const int n = int(ref.size());
        for (int k = 0; k < n; ++k) {
            Poly* child = record->children[size_t(k)];
            if (!child)
                continue;
            const M3d& a = ref[size_t(k)];
            const M3d& b = ref[size_t((k + 1) % n)];
            // A positive fold angle turns the child counter-clockwise about its hinge
            // (seen with the edge pointing at the viewer), which carries the parent's
            // normal onto the child's. M4x4::Rotation turns clockwise, hence the minus.
            const double turn = -double(record->angles[size_t(k)]) * double(p);
            stack.emplace_back(child, m * M4x4::Translation(a) * M4x4::Rotation(b - a, turn) *
                                          M4x4::Translation(-a));
        }
    }
}

void UnfoldingAnimation::renderSelf(Renderer* r) {
    PolyMesh::renderSelf(r);
    if (!drawArcs)
        return;
    r->color(0.8, 0.2, 0.2);
    for (const Arc& arc : arcs)
        renderArc(r, arc);
}

void UnfoldingAnimation::renderArc(Renderer* r, const Arc& arc) {
    // The arc turns from one end to the other in the plane of the three points, so it
    // follows the faces as they fold.
    const M3d a = *arc.end1 - *arc.centre;
    const M3d b = *arc.end2 - *arc.centre;
    const double radius = 0.3 * std::min(a.length(), b.length());
    if (radius <= 0)
        return;
    const M3d u = a.normalized();
    M3d v = b - u * b.dot(u);
    if (v.length() == 0)
        return;
    v.normalize();
    const double sweep = std::atan2(b.dot(v), b.dot(u));
    const int steps = 16;
    r->beginLines();
    for (int i = 0; i < steps; ++i) {
        for (int k : {i, i + 1}) {
            const double angle = sweep * k / steps;
            r->vertex(*arc.centre + (u * std::cos(angle) + v * std::sin(angle)) * radius);
        }
    }
    r->end();
}
