#include "sorvex/PlanarConvexHull.h"

#include "sorvex/PlanarConvexHullIndex.h"

#include <limits>
#include <utility>

using Node = PlanarConvexHull::Node;
using namespace hulldetail;

namespace {

/// 1 when the pair (node, node->next) is out of angular order, the tail-to-head pair
/// excepted.
int inversionAt(const Node* node, const Node* head) {
    return node->next != head && node->next->angle < node->angle ? 1 : 0;
}

void setEdge(Node* node) {
    node->edgeAngle = direction(node->x, node->y, node->next->x, node->next->y);
}

} // namespace

PlanarConvexHull::PlanarConvexHull() : m_index(std::make_unique<Index>()) {}

PlanarConvexHull::PlanarConvexHull(const PlanarConvexHull& hull)
    : m_index(std::make_unique<Index>()) {
    copyFrom(hull);
}

PlanarConvexHull& PlanarConvexHull::operator=(const PlanarConvexHull& hull) {
    if (this != &hull) {
        reset();
        copyFrom(hull);
    }
    return *this;
}

PlanarConvexHull::~PlanarConvexHull() {
    reset();
}

void PlanarConvexHull::reset() {
    if (m_head) {
        Node* node = m_head;
        do {
            Node* next = node->next;
            delete node;
            node = next;
        } while (node != m_head);
    }
    m_head = nullptr;
    m_length = 0;
    m_centerX = m_centerY = 0.0;
    for (int i = 0; i < 2; ++i) {
        m_pendingX[i] = m_pendingY[i] = 0.0;
        m_pendingData[i] = nullptr;
    }
    m_pointsSeen = 0;
    m_index->clear();
    m_index->dropJournal();
    m_deferred.clear();
    m_deferredMark = NoDeferredMark;
    ++m_revision;
}

void PlanarConvexHull::resetDeferred(std::vector<Point> points, std::size_t markAt) {
    reset();
    if (points.empty())
        return;
    m_deferredMark = markAt < points.size() ? markAt : NoDeferredMark;
    m_deferred = std::move(points);
    ++m_revision;
}

void PlanarConvexHull::addPointLater(double x, double y, void* data) {
    m_deferred.push_back({x, y, data});
    ++m_revision;
}

void PlanarConvexHull::addDeferred() {
    // Taken out first, so that the mark and the additions below find nothing waiting.
    const std::vector<Point> points = std::move(m_deferred);
    m_deferred.clear();
    const std::size_t markAt = std::exchange(m_deferredMark, NoDeferredMark);
    for (std::size_t i = 0; i < points.size(); ++i) {
        if (i == markAt)
            mark();
        const Point& p = points[i];
        if (std::isfinite(p.x) && std::isfinite(p.y))
            addAcceptedPoint(p.x, p.y, p.data);
    }
    if (markAt == points.size())
        mark(); // taken after the last queued point, before anything else was queued
    // The batch kept the revision it was given when deferred: the area queries' list
    // must not be taken for current.
    m_index->order.revision = ~0ull;
}

void PlanarConvexHull::copyFrom(const PlanarConvexHull& hull) {
    hull.settle();
    m_centerX = hull.m_centerX;
    m_centerY = hull.m_centerY;
    for (int i = 0; i < 2; ++i) {
        m_pendingX[i] = hull.m_pendingX[i];
        m_pendingY[i] = hull.m_pendingY[i];
        m_pendingData[i] = hull.m_pendingData[i];
    }
    m_pointsSeen = hull.m_pointsSeen;
    const Node* source = hull.m_head;
    for (int i = 0; i < hull.m_length; ++i, source = source->next) {
        Node* node = new Node(*source);
        if (!m_head) {
            m_head = node->next = node->prev = node;
        } else {
            node->next = m_head;
            node->prev = m_head->prev;
            m_head->prev->next = node;
            m_head->prev = node;
        }
        m_index->add(node);
        ++m_length;
    }
    m_index->inversions = hull.m_index->inversions;
}

bool PlanarConvexHull::addFirstTriangle(double x, double y, void* data) {
    const double xs[3] = {m_pendingX[0], m_pendingX[1], x};
    const double ys[3] = {m_pendingY[0], m_pendingY[1], y};
    void* const datas[3] = {m_pendingData[0], m_pendingData[1], data};
    m_centerX = (xs[0] + xs[1] + xs[2]) / 3.0;
    m_centerY = (ys[0] + ys[1] + ys[2]) / 3.0;
    Node* nodes[3];
    for (int i = 0; i < 3; ++i) {
        nodes[i] = new Node;
        nodes[i]->x = xs[i];
        nodes[i]->y = ys[i];
        nodes[i]->data = datas[i];
        nodes[i]->angle = polarAngle(xs[i] - m_centerX, ys[i] - m_centerY);
        nodes[i]->dist = std::hypot(xs[i] - m_centerX, ys[i] - m_centerY);
    }
    std::stable_sort(nodes, nodes + 3,
                     [](const Node* a, const Node* b) { return a->angle < b->angle; });
    for (int i = 0; i < 3; ++i) {
        nodes[i]->next = nodes[(i + 1) % 3];
        nodes[i]->prev = nodes[(i + 2) % 3];
    }
    m_head = nodes[0];
    for (Node* node : nodes) {
        setEdge(node);
        m_index->add(node);
        m_index->inversions += inversionAt(node, m_head);
    }
    m_length = 3;
    m_pointsSeen = 3;
    return true;
}

bool PlanarConvexHull::isDuplicate(double x, double y) const {
    auto near = [x, y](const Node* node) {
        return std::fabs(node->x - x) < Tolerance && std::fabs(node->y - y) < Tolerance;
    };
    if (m_length <= ScanLimit) {
        const Node* node = m_head;
        for (int i = 0; i < m_length; ++i, node = node->next) {
            if (near(node))
                return true;
        }
        return false;
    }
    const std::int64_t cx = cellOf(x);
    const std::int64_t cy = cellOf(y);
    for (std::int64_t dx = -1; dx <= 1; ++dx) {
        for (std::int64_t dy = -1; dy <= 1; ++dy) {
            auto cells = m_index->grid.equal_range(cellKey(cx + dx, cy + dy));
            for (auto it = cells.first; it != cells.second; ++it) {
                if (near(it->second))
                    return true;
            }
        }
    }
    return false;
}

Node* PlanarConvexHull::firstNotBelow(double angle) const {
    if (m_index->inversions > 0 || m_length <= ScanLimit) {
        Node* node = m_head;
        for (int i = 0; i < m_length; ++i, node = node->next) {
            if (node->angle >= angle)
                return node;
        }
        return m_head;
    }
    auto it = m_index->byAngle.lower_bound(angle);
    if (it == m_index->byAngle.end())
        return m_head;
    // Among equal angles the map's order is arbitrary; the list's first one counts.
    Node* node = it->second;
    while (node != m_head && node->prev->angle >= angle)
        node = node->prev;
    return node;
}

bool PlanarConvexHull::locate(double x, double y, double angle, double dist, Node** n,
                              Node** m) const {
    if (isDuplicate(x, y))
        return false;
    Node* next = firstNotBelow(angle);
    if (std::fabs(next->angle - angle) < Tolerance) {
        if (dist < next->dist + Tolerance)
            return false;
        next = next->next;
    }
    Node* prev = next->prev;
    if (leftOf(direction(prev->x, prev->y, x, y), prev->edgeAngle))
        return false;
    if (!leftOf(direction(x, y, next->x, next->y), prev->edgeAngle))
        return false;
    *n = next;
    *m = prev;
    return true;
}

void PlanarConvexHull::removeVertex(Node* node) {
    Node* before = node->prev;
    Node* after = node->next;
    m_index->inversions -= inversionAt(before, m_head) + inversionAt(node, m_head);
    before->next = after;
    after->prev = before;
    if (node == m_head)
        m_head = after;
    m_index->inversions += inversionAt(before, m_head);
    setEdge(before);
    m_index->remove(node);
    if (m_index->journal.open)
        m_index->journal.edits.push_back({node, false});
    else
        delete node;
    --m_length;
}

void PlanarConvexHull::insertBefore(Node* node, Node* before, bool becomesHead) {
    Node* after = before->prev;
    m_index->inversions -= inversionAt(after, m_head);
    node->prev = after;
    node->next = before;
    after->next = node;
    before->prev = node;
    if (becomesHead)
        m_head = node;
    m_index->inversions += inversionAt(after, m_head) + inversionAt(node, m_head);
    setEdge(node);
    setEdge(after);
    m_index->add(node);
    if (m_index->journal.open)
        m_index->journal.edits.push_back({node, true});
    ++m_length;
}

bool PlanarConvexHull::addPoint(double x, double y, void* data) {
    settle();
    if (!std::isfinite(x) || !std::isfinite(y))
        return false;
    const bool added = addAcceptedPoint(x, y, data);
    if (added)
        ++m_revision;
    return added;
}

bool PlanarConvexHull::addAcceptedPoint(double x, double y, void* data) {
    if (m_pointsSeen < 2) {
        m_pendingX[m_pointsSeen] = x;
        m_pendingY[m_pointsSeen] = y;
        m_pendingData[m_pointsSeen] = data;
        ++m_pointsSeen;
        return true;
    }
    if (m_pointsSeen == 2)
        return addFirstTriangle(x, y, data);

    const double angle = polarAngle(x - m_centerX, y - m_centerY);
    const double dist = std::hypot(x - m_centerX, y - m_centerY);
    Node* n = nullptr;
    Node* m = nullptr;
    if (!locate(x, y, angle, dist, &n, &m))
        return false;

    // Remove the vertices the new point hides, never the two it is inserted between.
    for (Node* k = m->prev; k != n && m != n; k = m->prev) {
        if (leftOf(direction(k->x, k->y, x, y), k->edgeAngle))
            break;
        removeVertex(m);
        m = k;
    }
    for (Node* s = n->next; s != m && n != m; s = n->next) {
        if (!leftOf(direction(x, y, s->x, s->y), n->edgeAngle))
            break;
        removeVertex(n);
        n = s;
    }

    Node* node = new Node;
    node->x = x;
    node->y = y;
    node->angle = angle;
    node->dist = dist;
    node->data = data;
    insertBefore(node, n, n == m_head && angle < n->angle);
    return true;
}

void PlanarConvexHull::mark() {
    if (!m_deferred.empty()) {
        // The journal starts after the queued points: whatever the settled hull journaled
        // is forgotten now, as it would be by a mark on the built hull.
        m_index->dropJournal();
        m_deferredMark = m_deferred.size();
        return;
    }
    Index::Journal& j = m_index->journal;
    m_index->dropJournal();
    j.open = true;
    j.head = m_head;
    j.length = m_length;
    j.inversions = m_index->inversions;
    j.pointsSeen = m_pointsSeen;
    j.centerX = m_centerX;
    j.centerY = m_centerY;
    for (int i = 0; i < 2; ++i) {
        j.pendingX[i] = m_pendingX[i];
        j.pendingY[i] = m_pendingY[i];
        j.pendingData[i] = m_pendingData[i];
    }
}

bool PlanarConvexHull::rollBack() {
    if (m_deferredMark != NoDeferredMark) {
        // Everything since the mark is still queued: drop it unbuilt.
        m_deferred.resize(m_deferredMark);
        m_deferredMark = NoDeferredMark;
        ++m_revision;
        return true;
    }
    settle();
    Index::Journal& j = m_index->journal;
    if (!j.open)
        return false;
    if (j.pointsSeen < 3) {
        // Before the first triangle there were no vertices: what was made since goes.
        std::vector<Node*> made;
        Node* node = m_head;
        for (int i = 0; i < m_length; ++i, node = node->next)
            made.push_back(node);
        for (Node* n : made)
            delete n;
        m_index->dropJournal(); // frees the vertices taken out since the mark
        m_index->clear();
        m_head = nullptr;
    } else {
        for (auto it = j.edits.rbegin(); it != j.edits.rend(); ++it) {
            Node* node = it->node;
            if (it->inserted) {
                node->prev->next = node->next;
                node->next->prev = node->prev;
                m_index->remove(node);
                setEdge(node->prev);
                delete node;
            } else {
                node->prev->next = node;
                node->next->prev = node;
                m_index->add(node);
                setEdge(node->prev);
            }
        }
        m_head = j.head;
        m_index->inversions = j.inversions;
    }
    j.edits.clear();
    j.open = false;
    m_length = j.length;
    m_pointsSeen = j.pointsSeen;
    m_centerX = j.centerX;
    m_centerY = j.centerY;
    for (int i = 0; i < 2; ++i) {
        m_pendingX[i] = j.pendingX[i];
        m_pendingY[i] = j.pendingY[i];
        m_pendingData[i] = j.pendingData[i];
    }
    ++m_revision;
    return true;
}

bool PlanarConvexHull::contains(double x, double y) const {
    settle();
    if (m_length < 3 || !std::isfinite(x) || !std::isfinite(y))
        return false;
    const double angle = polarAngle(x - m_centerX, y - m_centerY);
    const double dist = std::hypot(x - m_centerX, y - m_centerY);
    Node* n = nullptr;
    Node* m = nullptr;
    return !locate(x, y, angle, dist, &n, &m);
}

void PlanarConvexHull::fillArray(void** out) const {
    settle();
    const Node* node = m_head;
    for (int i = 0; i < m_length; ++i, node = node->next)
        out[i] = node->data;
}

void PlanarConvexHull::getOriginalCenter(double* x, double* y) const {
    settle();
    if (x)
        *x = m_centerX;
    if (y)
        *y = m_centerY;
}

double PlanarConvexHull::getArea() const {
    settle();
    double sum = 0.0;
    const Node* a = m_head;
    for (int i = 0; i < m_length; ++i, a = a->next) {
        const Node* b = a->next;
        sum += std::fabs((a->x - m_centerX) * (b->y - m_centerY) -
                         (a->y - m_centerY) * (b->x - m_centerX));
    }
    return sum / 2.0;
}

void PlanarConvexHull::getBaricenter(double* x, double* y) const {
    settle();
    if (!m_head)
        return;
    double meanX = 0.0, meanY = 0.0;
    const Node* a = m_head;
    for (int i = 0; i < m_length; ++i, a = a->next) {
        meanX += a->x;
        meanY += a->y;
    }
    meanX /= m_length;
    meanY /= m_length;
    double sumX = 0.0, sumY = 0.0, total = 0.0;
    a = m_head;
    for (int i = 0; i < m_length; ++i, a = a->next) {
        const Node* b = a->next;
        const double w =
            std::fabs((a->x - meanX) * (b->y - meanY) - (a->y - meanY) * (b->x - meanX)) / 2.0;
        sumX += w * (a->x + b->x) / 2.0;
        sumY += w * (a->y + b->y) / 2.0;
        total += w;
    }
    const double rx = total == 0.0 ? m_head->x : sumX / total;
    const double ry = total == 0.0 ? m_head->y : sumY / total;
    if (x)
        *x = rx;
    if (y)
        *y = ry;
}

Sorvex::M3d PlanarConvexHull::getBaricenter() const {
    double x = 0.0, y = 0.0;
    getBaricenter(&x, &y);
    return {x, 0.0, y};
}

void PlanarConvexHull::getMiddle(double* x, double* y) const {
    settle();
    double lowX = 0.0, highX = 0.0, lowY = 0.0, highY = 0.0;
    const Node* node = m_head;
    for (int i = 0; i < m_length; ++i, node = node->next) {
        if (i == 0) {
            lowX = highX = node->x;
            lowY = highY = node->y;
        }
        lowX = std::min(lowX, node->x);
        highX = std::max(highX, node->x);
        lowY = std::min(lowY, node->y);
        highY = std::max(highY, node->y);
    }
    if (x)
        *x = (lowX + highX) / 2.0;
    if (y)
        *y = (lowY + highY) / 2.0;
}

Sorvex::M3d PlanarConvexHull::getMiddle() const {
    double x = 0.0, y = 0.0;
    getMiddle(&x, &y);
    return {x, 0.0, y};
}

void PlanarConvexHull::getBounds(double* width, double* height, double angle) const {
    settle();
    if (!m_head) {
        if (width)
            *width = m_centerX;
        if (height)
            *height = m_centerY;
        return;
    }
    const double c = std::cos(angle);
    const double s = std::sin(angle);
    double lowU = std::numeric_limits<double>::max(), highU = -lowU;
    double lowV = lowU, highV = highU;
    const Node* node = m_head;
    for (int i = 0; i < m_length; ++i, node = node->next) {
        const double u = node->x * c + node->y * s;
        const double v = node->y * c - node->x * s;
        lowU = std::min(lowU, u);
        highU = std::max(highU, u);
        lowV = std::min(lowV, v);
        highV = std::max(highV, v);
    }
    if (width)
        *width = highU - lowU;
    if (height)
        *height = highV - lowV;
}

double PlanarConvexHull::getLongestAxis(double* width, double* height) const {
    settle();
    if (!m_head) {
        if (width)
            *width = 0.0;
        if (height)
            *height = 0.0;
        return 0.0;
    }
    double bestAngle = 0.0, bestWidth = -1.0, bestHeight = 0.0;
    for (double angle = 0.0; angle <= 3.141692653589793; angle += 0.09817477042468103) {
        double w = 0.0, h = 0.0;
        getBounds(&w, &h, angle);
        if (w > bestWidth) {
            bestWidth = w;
            bestHeight = h;
            bestAngle = angle;
        }
    }
    if (width)
        *width = bestWidth;
    if (height)
        *height = bestHeight;
    return bestAngle;
}
