#include "scene/mesh/Poly.h"

#include "common/BlockRecycler.h"

#include "scene/mesh/MeshData.h"
#include "scene/mesh/PolyMesh.h"
#include "scene/mesh/Vertex.h"
#include "sorvex/M4x4.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

using Sorvex::M3d;

namespace {

using PolyBlocks = BlockRecycler<Poly, sizeof(Poly)>;

} // namespace

void* Poly::operator new(std::size_t size) {
    return size == sizeof(Poly) ? PolyBlocks::take() : ::operator new(size);
}

void Poly::operator delete(void* p, std::size_t size) noexcept {
    if (size == sizeof(Poly))
        PolyBlocks::give(p);
    else
        ::operator delete(p);
}

Poly::Poly(std::span<Vertex* const> ring) {
    m_vertices.assign(ring);
    m_neighbors.assign(ring.size(), nullptr);
    computeNormal();
}

Poly::Poly(std::span<Vertex* const> ring, NormalLater) {
    m_vertices.assign(ring);
    m_neighbors.assign(ring.size(), nullptr);
}

Poly::Poly(const Poly& source, PolyMesh* mesh)
    : m_normal(source.m_normal), m_scalar(source.m_scalar) {
    const std::size_t n = source.m_vertices.size();
    m_vertices.assign(n, nullptr);
    m_neighbors.assign(n, nullptr);
    for (std::size_t k = 0; k < n; ++k) {
        auto* copy = new Vertex(*source.m_vertices[k]);
        if (mesh)
            mesh->addVertex(copy);
        m_vertices[k] = copy;
    }
}

Poly::~Poly() {
    // A face deleted while still in a mesh must not leave dangling links.
    if (m_mesh)
        m_mesh->remPoly(this);
    // The faces twinned with this one lose the link (and, drawn in blue, the colour).
    auto untwin = [](Poly* p) {
        p->m_twin = nullptr;
        if (p->m_mesh)
            p->m_mesh->noteTwinChanged(*p);
    };
    if (m_twinnedBy)
        untwin(m_twinnedBy);
    if (m_extras)
        for (Poly* p : m_extras->moreTwinnedBy)
            untwin(p);
    setTwin(nullptr);
    if (m_extras)
        while (!m_extras->userData.empty())
            dropUserDatum(m_extras->userData.size() - 1);
}

Poly::Extras& Poly::extras() {
    if (!m_extras)
        m_extras = std::make_unique<Extras>();
    return *m_extras;
}

void Poly::addTwinnedBy(Poly* p) {
    if (!m_twinnedBy)
        m_twinnedBy = p;
    else
        extras().moreTwinnedBy.push_back(p);
}

void Poly::removeTwinnedBy(Poly* p) {
    std::vector<Poly*>* more = m_extras ? &m_extras->moreTwinnedBy : nullptr;
    if (m_twinnedBy == p) {
        // The first of the others, if any, moves up.
        m_twinnedBy = nullptr;
        if (more && !more->empty()) {
            m_twinnedBy = more->front();
            more->erase(more->begin());
        }
    } else if (more) {
        auto it = std::find(more->begin(), more->end(), p);
        if (it != more->end())
            more->erase(it);
    }
}

int Poly::getVertexIndex(const Vertex* v) const {
    const int n = int(m_vertices.size());
    // A ring in a mesh never repeats a vertex (addPoly and spliceRing refuse that), so a
    // hit near the last answer is the first occurrence. Rings edited in place shift their
    // indices by a few places, hence the small window.
    constexpr int kWindow = 8;
    if (m_mesh && n > 2 * kWindow) {
        const int hint = m_indexHint.load(std::memory_order_relaxed);
        for (int d = 0; d <= kWindow; ++d)
            for (int k : {hint + d, hint - d}) {
                const int at = ((k % n) + n) % n;
                if (m_vertices[std::size_t(at)] == v) {
                    m_indexHint.store(at, std::memory_order_relaxed);
                    return at;
                }
            }
    }
    for (int k = 0; k < n; ++k) {
        if (m_vertices[std::size_t(k)] == v) {
            m_indexHint.store(k, std::memory_order_relaxed);
            return k;
        }
    }
    return -1;
}

int Poly::getNeighborIndex(const Poly* p) const {
    if (!p)
        return -1;
    for (std::size_t k = 0; k < m_neighbors.size(); ++k) {
        if (m_neighbors[k] == p)
            return int(k);
    }
    return -1;
}

M3d Poly::getCenter() const {
    M3d sum;
    if (m_vertices.empty())
        return sum;
    for (const Vertex* v : m_vertices) {
        if (v)
            sum += *v;
    }
    return sum / double(m_vertices.size());
}

void Poly::computeNormal() {
    // Newell's sum is twice the vector area; relative to the first vertex to
    // keep precision for faces far from the origin.
    M3d sum;
    const std::size_t n = m_vertices.size();
    const bool complete =
        std::find(m_vertices.begin(), m_vertices.end(), nullptr) == m_vertices.end();
    if (n >= 3 && complete) {
        const M3d origin = *m_vertices[0];
        // The next corner without a division: this runs for every face a batch builds.
        for (std::size_t k = 0; k < n; ++k) {
            const M3d a = *m_vertices[k] - origin;
            const M3d b = *m_vertices[k + 1 == n ? 0 : k + 1] - origin;
            M3d c;
            c.cross(a, b);
            sum += c;
        }
    }
    const double length = sum.length();
    m_scalar = 0.5 * length;
    m_normal = sum.normalized();
}

bool Poly::hasNoArea() const {
    const std::size_t n = m_vertices.size();
    if (n < 3 || std::find(m_vertices.begin(), m_vertices.end(), nullptr) != m_vertices.end())
        return true;
    // One root of the longest square: the root is monotonic and correctly rounded, so
    // this is the longest of the rooted lengths to the bit.
    double longestSquared = 0;
    for (std::size_t k = 0; k < n; ++k)
        longestSquared = std::max(longestSquared,
                                  (*m_vertices[k + 1 == n ? 0 : k + 1] - *m_vertices[k]).squared());
    const double longest = std::sqrt(longestSquared);
    return longest == 0 || m_scalar <= MeshData::kFlatFaceShare * longest * longest;
}

void Poly::transform(const Sorvex::M4x4& m, int skipA, int skipB) {
    if (m_vertices.empty())
        return;
    const int a = skipA == -1 ? -1 : wrap(skipA);
    const int b = skipB == -1 ? -1 : wrap(skipB);
    for (int k = 0; k < int(m_vertices.size()); ++k) {
        if (k == a || k == b)
            continue;
        Vertex* v = m_vertices[k];
        M3d p = *v;
        m.transform(p);
        v->setPosition(p);
    }
    computeNormal();
}

void Poly::setTwin(Poly* twin) {
    if (m_twin == twin)
        return;
    if (m_twin)
        m_twin->removeTwinnedBy(this);
    m_twin = twin;
    if (twin)
        twin->addTwinnedBy(this);
    if (m_mesh)
        m_mesh->noteTwinChanged(*this);
}

void Poly::setUserData(const char* key, void* data, UserDataDeleter deleter) {
    if (!key)
        return;
    if (!m_extras && !data && !deleter)
        return;
    std::vector<UserDatum>& userData = extras().userData;
    for (std::size_t k = 0; k < userData.size(); ++k) {
        UserDatum& d = userData[k];
        if (d.key != key)
            continue;
        if (d.deleter && d.data && d.data != data)
            d.deleter(d.data);
        if (!data && !deleter) {
            userData.erase(userData.begin() + long(k));
        } else {
            d.data = data;
            d.deleter = deleter;
        }
        return;
    }
    if (data || deleter)
        userData.push_back({key, data, deleter});
}

void* Poly::getUserData(const char* key) const {
    if (!key || !m_extras)
        return nullptr;
    for (const UserDatum& d : m_extras->userData) {
        if (d.key == key)
            return d.data;
    }
    return nullptr;
}

void Poly::dropUserDatum(std::size_t index) {
    std::vector<UserDatum>& userData = m_extras->userData;
    UserDatum d = std::move(userData[index]);
    userData.erase(userData.begin() + long(index));
    if (d.deleter && d.data)
        d.deleter(d.data);
}
