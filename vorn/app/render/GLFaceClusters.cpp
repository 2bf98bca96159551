#include "vorn/app/render/GLFaceClusters.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

/// How far past edge-on (as the cosine of the angle between face normal and eye, about a
/// degree) every face of a cluster must be turned away before the cluster is left out:
/// what OpenGL decides for faces seen almost edge-on is left to it.
constexpr double kMargin = 0.02;

struct Vec {
    double x, y, z;
    Vec operator-(const Vec& o) const { return {x - o.x, y - o.y, z - o.z}; }
    Vec operator+(const Vec& o) const { return {x + o.x, y + o.y, z + o.z}; }
    Vec operator*(double s) const { return {x * s, y * s, z * s}; }
    double dot(const Vec& o) const { return x * o.x + y * o.y + z * o.z; }
    Vec cross(const Vec& o) const {
        return {y * o.z - z * o.y, z * o.x - x * o.z, x * o.y - y * o.x};
    }
    double length() const { return std::sqrt(dot(*this)); }
};

Vec at(const GLVertex& v) {
    return {v.position[0], v.position[1], v.position[2]};
}

} // namespace

void GLFaceClusters::clear() {
    m_clusters.clear();
    m_extended = 0;
}

void GLFaceClusters::extend(const std::vector<GLVertex>& vertices,
                            const std::vector<GLBatch>& batches) {
    int from = m_extended;
    const int end = int(vertices.size());
    if (end <= from)
        return;
    // The last cluster may have been cut short by the end of what was recorded: its batch
    // may have grown since, so it is made again.
    if (!m_clusters.empty() && m_clusters.back().count < 3 * kTriangles) {
        from = std::min(from, m_clusters.back().first);
        m_clusters.pop_back();
    }
    for (const GLBatch& batch : batches)
        if (batch.first + batch.count > from && batch.kind == GLBatch::Kind::Triangles &&
            batch.closedSurface)
            clusterBatch(vertices, batch, from);
    m_extended = end;
}

void GLFaceClusters::clusterBatch(const std::vector<GLVertex>& vertices, const GLBatch& batch,
                                  int from) {
    constexpr int kSpan = 3 * kTriangles;
    // Clusters start every kSpan vertices from the batch's first.
    int first = batch.first + std::max(0, from - batch.first) / kSpan * kSpan;
    const int end = batch.first + batch.count;
    for (; first < end; first += kSpan) {
        Cluster cluster;
        cluster.first = first;
        cluster.count = std::min(kSpan, end - first);
        Vec lo = at(vertices[std::size_t(first)]);
        Vec hi = lo;
        for (int k = first; k < first + cluster.count; ++k) {
            const Vec p = at(vertices[std::size_t(k)]);
            lo = {std::min(lo.x, p.x), std::min(lo.y, p.y), std::min(lo.z, p.z)};
            hi = {std::max(hi.x, p.x), std::max(hi.y, p.y), std::max(hi.z, p.z)};
        }
        const Vec centre = (lo + hi) * 0.5;
        double radius = 0.0;
        for (int k = first; k < first + cluster.count; ++k)
            radius = std::max(radius, (at(vertices[std::size_t(k)]) - centre).length());
        // Face normals by winding; a face without one (no area) can turn either way.
        bool cullable = true;
        Vec sum{0, 0, 0};
        thread_local std::vector<Vec> normals;
        normals.clear();
        for (int k = first; k + 2 < first + cluster.count; k += 3) {
            const Vec a = at(vertices[std::size_t(k)]);
            const Vec n =
                (at(vertices[std::size_t(k + 1)]) - a).cross(at(vertices[std::size_t(k + 2)]) - a);
            const double length = n.length();
            if (!(length > 0.0)) {
                cullable = false;
                break;
            }
            normals.push_back(n * (1.0 / length));
            sum = sum + normals.back();
        }
        const double sumLength = sum.length();
        if (cullable && sumLength > 1e-9 * double(normals.size())) {
            const Vec axis = sum * (1.0 / sumLength);
            double cosAngle = 1.0;
            for (const Vec& n : normals)
                cosAngle = std::min(cosAngle, n.dot(axis));
            if (cosAngle > 0.0) {
                // Stored as floats: widened a little so that rounding never narrows them.
                cosAngle = std::max(0.0, cosAngle - 1e-6);
                cluster.cosAngle = float(cosAngle);
                cluster.sinAngle = float(std::sqrt(1.0 - cosAngle * cosAngle) + 1e-6);
                cluster.axis[0] = float(axis.x);
                cluster.axis[1] = float(axis.y);
                cluster.axis[2] = float(axis.z);
                double behind = 0.0, ahead = 0.0;
                for (int k = first; k < first + cluster.count; ++k) {
                    const double along = axis.dot(at(vertices[std::size_t(k)]) - centre);
                    behind = std::max(behind, -along);
                    ahead = std::max(ahead, along);
                }
                cluster.behind = float(behind * (1.0 + 1e-5) + 1e-6);
                cluster.ahead = float(ahead * (1.0 + 1e-5) + 1e-6);
            }
        }
        cluster.radius = float(radius * (1.0 + 1e-5) + 1e-6);
        if (cluster.cosAngle >= -1.0f) {
            // |n - u| <= 2 sin(a / 2) for a face normal n within the cone (see hidden).
            const double halfSine = std::sqrt(std::max(0.0, (1.0 - cluster.cosAngle) / 2.0));
            const double cone = 2.0 * halfSine * double(cluster.radius);
            const float up = std::numeric_limits<float>::infinity();
            cluster.spread[0] = std::nextafter(float(double(cluster.behind) + cone), up);
            cluster.spread[1] = std::nextafter(float(double(cluster.ahead) + cone), up);
        }
        cluster.centre[0] = float(centre.x);
        cluster.centre[1] = float(centre.y);
        cluster.centre[2] = float(centre.z);
        m_clusters.push_back(cluster);
    }
}

bool GLFaceClusters::hidden(const Cluster& cluster, const Eye& eye, bool mirrored) {
    if (cluster.cosAngle < -1.0f)
        return false;
    const double sign = mirrored ? -1.0 : 1.0;
    const Vec axis{sign * cluster.axis[0], sign * cluster.axis[1], sign * cluster.axis[2]};
    // For a face of unit normal n within the cone's angle a of its axis u, and a corner q:
    // n·(eye − q) = n·(eye − centre) + u·(centre − q) + (n − u)·(centre − q), where the
    // second term is at most how far the corners reach against the axis and the third at
    // most |n − u| · radius ≤ 2 sin(a / 2) · radius. Every face is seen from behind when
    // the first term, which the angle between the axis and the eye bounds, outweighs them.
    // The same test times the distance d to the eye, which needs no division and, for the
    // clusters that face the eye at all (most of those drawn), no square root:
    // along · cos a + across · sin a < −spread − margin · d, where along and across are
    // the eye's offset along the axis and away from it.
    Vec toEye{eye.at[0], eye.at[1], eye.at[2]};
    if (!eye.parallel)
        toEye = toEye - Vec{cluster.centre[0], cluster.centre[1], cluster.centre[2]};
    const double along = axis.dot(toEye);
    if (along >= 0.0)
        return false;
    double distance = 1.0;
    double spread = 0.0;
    if (!eye.parallel) {
        const double squared = toEye.dot(toEye);
        const double radius = cluster.radius;
        if (!(squared > radius * radius))
            return false;
        distance = std::sqrt(squared);
        spread = cluster.spread[mirrored ? 1 : 0];
    }
    const double cosAngle = cluster.cosAngle;
    const double sinAngle = cluster.sinAngle;
    // The eye within the cone sees some face from the front.
    if (along >= cosAngle * distance)
        return false;
    const double bound = -spread - kMargin * distance - along * cosAngle;
    if (!(bound > 0.0))
        return false;
    const double acrossSquared = std::max(0.0, distance * distance - along * along);
    return acrossSquared * sinAngle * sinAngle < bound * bound;
}

bool GLFaceClusters::visibleSpans(int first, int count, const Eye* eye, bool mirrored,
                                  const GLViewVolume* volume, std::vector<int>& firsts,
                                  std::vector<int>& counts) const {
    const int end = first + count;
    auto it = std::lower_bound(m_clusters.begin(), m_clusters.end(), first,
                               [](const Cluster& c, int i) { return c.first < i; });
    if (it == m_clusters.end() || it->first >= end)
        return false;
    int spanFirst = first;
    for (; it != m_clusters.end() && it->first < end; ++it) {
        if (!(eye && hidden(*it, *eye, mirrored)) &&
            !(volume && volume->excludes(it->centre, it->radius)))
            continue;
        if (it->first > spanFirst) {
            firsts.push_back(spanFirst);
            counts.push_back(it->first - spanFirst);
        }
        spanFirst = std::min(end, it->first + it->count);
    }
    if (end > spanFirst) {
        firsts.push_back(spanFirst);
        counts.push_back(end - spanFirst);
    }
    return true;
}
