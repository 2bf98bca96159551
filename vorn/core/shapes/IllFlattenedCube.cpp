// The Ill-flattened cube: a corner whose three faces cannot all be laid flat side by side
// for some positions of its moved corner point.
//
// Construction (cube of side 5, coordinates ±2.5, y the depth, z up). The moved point is
// M = (5p − 2.5, 5q − 2.5, 2.5) on the top face. Three faces meet at M:
//
//   top      the pentagon D E R M L in the plane z = 2.5, with the front corners
//            D = (−2.5, −2.5), E = (2.5, −2.5), R = (2.5, 7/8 · My) on the right edge and
//            L = (−2.5, My) on the left edge;
//   back     the back face hinged on its bottom edge and leaned forward until its top edge
//            runs through M: the pentagon L M V K A with K = (2.5, 2.5, −2.5),
//            A = (−2.5, 2.5, −2.5) and V the midpoint of its right edge (from (2.5, My, 2.5)
//            down to K); its corner at (2.5, My, 2.5) is cut off by
//   chamfer  the triangle M R V.
//
// R lies a little in front of M when My > 0 and a little behind it when My < 0. In front, the
// chamfer is an ordinary bevelled corner: the angles at M add up to less than 2π and the
// faces flatten without overlap. Behind, the top's angle at M is reflex, the angles at M add
// up to more than 2π, and once the chamfer and the back are rotated flat about the edges
// they share with the top, the two copies of their common edge M V cross: the flat chamfer
// and the flat back overlap in the triangle M, V (chamfer's copy), X, where X is where the
// back's copy of M V crosses the chamfer's far edge R V. R's 7/8 keeps that overlap below
// about 0.51 over the sliders' range, just inside the colour ramp's scale of 0.518.
#include "vorn/core/shapes/IllFlattenedCube.h"

#include "scene/TextLabel.h"
#include "scene/mesh/PolyMesh.h"
#include "sorvex/M4x4.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <numbers>

using Sorvex::M3d;

namespace {

constexpr double kHalf = 2.5;
const M3d kUp{0, 0, 1};

/// A slider position (du or dv, 2 ... 27) as a share of the cube's side, 0.05 ... 0.95.
double sliderShare(int steps) {
    const double share = double(steps - 2) / 25 * 0.9 + 0.05;
    return std::clamp(share, 0.05, 0.95);
}

/// The corners of the three faces for one position of the moved point.
struct Corner {
    M3d d, e, r, m, l; // the top, in ring order
    M3d v, k, a;       // the chamfer's and the back's corners below the top
};

Corner makeCorner(double mx, double my) {
    Corner c;
    c.d = {-kHalf, -kHalf, kHalf};
    c.e = {kHalf, -kHalf, kHalf};
    c.r = {kHalf, my * 7 / 8, kHalf};
    c.m = {mx, my, kHalf};
    c.l = {-kHalf, my, kHalf};
    c.k = {kHalf, kHalf, -kHalf};
    c.a = {-kHalf, kHalf, -kHalf};
    c.v = (M3d{kHalf, my, kHalf} + c.k) * 0.5;
    return c;
}

/// `x`, a corner of a face hinged on the top's edge from `from` to `to`, rotated about that
/// edge into the top's plane on the far side from the top. The top runs counter-clockwise
/// seen from above, so its inside lies left of each of its edges and the far side right.
M3d flatten(const M3d& x, const M3d& from, const M3d& to) {
    const M3d along = (to - from).normalized();
    M3d outward;
    outward.cross(along, kUp);
    const M3d offset = x - from;
    const double t = offset.dot(along);
    const double h = (offset - along * t).length();
    return from + along * t + outward * h;
}

/// Where segment p-q crosses segment a-b, both in a plane with normal `n`; false when they
/// do not meet (or are parallel).
bool crossing(const M3d& p, const M3d& q, const M3d& a, const M3d& b, const M3d& n, M3d& at) {
    M3d pq, ab, pa;
    pq.cross(q - p, b - a);
    const double denominator = pq.dot(n);
    if (std::fabs(denominator) < 1e-15)
        return false;
    pa.cross(a - p, b - a);
    const double s = pa.dot(n) / denominator;
    pa.cross(a - p, q - p);
    const double t = pa.dot(n) / denominator;
    if (s < 0 || s > 1 || t < 0 || t > 1)
        return false;
    at = p + (q - p) * s;
    return true;
}

void addFace(PolyMesh& mesh, std::initializer_list<Vertex*> ring) {
    mesh.addPoly(new Poly(ring));
}

PolyMesh* buildNet(const Corner& c) {
    auto* net = new PolyMesh;
    net->setRenderFaceEdges(true);
    net->setRenderBackFaces(true);
    Vertex* d = net->addVertexAt(c.d);
    Vertex* e = net->addVertexAt(c.e);
    Vertex* r = net->addVertexAt(c.r);
    Vertex* m = net->addVertexAt(c.m);
    Vertex* l = net->addVertexAt(c.l);
    // The cut edge M V appears twice: once on the chamfer, once on the back.
    Vertex* chamferV = net->addVertexAt(flatten(c.v, c.r, c.m));
    Vertex* backV = net->addVertexAt(flatten(c.v, c.m, c.l));
    Vertex* k = net->addVertexAt(flatten(c.k, c.m, c.l));
    Vertex* a = net->addVertexAt(flatten(c.a, c.m, c.l));
    addFace(*net, {d, e, r, m, l});
    addFace(*net, {m, r, chamferV});
    addFace(*net, {l, m, backV, k, a});
    return net;
}

} // namespace

void BuildIllFlattenedCube(PolyMesh& mesh, int du, int dv) {
    const double mx = 5 * sliderShare(du) - kHalf;
    const double my = 5 * sliderShare(dv) - kHalf;
    const Corner c = makeCorner(mx, my);

    Vertex* d = mesh.addVertexAt(c.d);
    Vertex* e = mesh.addVertexAt(c.e);
    Vertex* r = mesh.addVertexAt(c.r);
    Vertex* m = mesh.addVertexAt(c.m);
    Vertex* l = mesh.addVertexAt(c.l);
    Vertex* v = mesh.addVertexAt(c.v);
    Vertex* k = mesh.addVertexAt(c.k);
    Vertex* a = mesh.addVertexAt(c.a);
    // Rings run counter-clockwise seen from outside; neighbours use shared edges opposite ways.
    addFace(mesh, {d, e, r, m, l});
    addFace(mesh, {m, r, v});
    addFace(mesh, {l, m, v, k, a});

    PolyMesh* net = buildNet(c);
    net->setColor(IllFlattenedOverlapColor(IllFlattenedOverlapArea(*net)));
    Sorvex::M4x4 beside;
    beside.identity();
    beside.translate(2, 0, 0);
    beside.scale(0.25, 0.25, 0.25);
    beside.rotateY(std::numbers::pi / 2);
    net->setTransform(beside);
    net->setParent(&mesh);

    char text[64];
    std::snprintf(text, sizeof text, "%4.3f, %4.3f", mx, my);
    auto* label = new TextLabel(text);
    Sorvex::M4x4 place;
    place.identity();
    place.translate(1.4, 0.8, 0.75);
    place.scale(0.1, 0.1, 0.1);
    place.rotateX(std::numbers::pi);
    label->setTransform(place);
    label->setParent(&mesh);
}

double IllFlattenedOverlapArea(const PolyMesh& net) {
    if (net.getPolyCount() != 3)
        return 0;
    const Poly* chamfer = net.getPoly(1);
    const Poly* back = net.getPoly(2);
    if (chamfer->getVertexCount() != 3 || back->getVertexCount() != 5)
        return 0;
    const M3d& m = *chamfer->getVertex(0);
    const M3d& r = *chamfer->getVertex(1);
    const M3d& chamferV = *chamfer->getVertex(2);
    const M3d& backV = *back->getVertex(2);
    M3d crossAt;
    if (!crossing(m, backV, r, chamferV, net.getPoly(0)->getNormal(), crossAt))
        return 0;
    M3d twice;
    twice.cross(chamferV - m, crossAt - m);
    return twice.length() / 2;
}

RGBAColor IllFlattenedOverlapColor(double area) {
    if (!(area > 0))
        return {0, 0.25, 1, 1};
    const double red = 0.75 * std::min(area / kIllFlattenedOverlapScale, 1.0) + 0.25;
    return {red, 0.25, 1 - red, 1};
}
