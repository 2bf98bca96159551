#include "unfolders/strategies/support/ScanFrontier.h"

#include "scene/mesh/PolyMesh.h"

void ScanFrontier::reset() {
    m_faces.clear();
    m_indexed = 0;
    m_last = nullptr;
}

void ScanFrontier::sync(const PolyMesh& net) {
    const std::size_t count = net.getPolyCount();
    if (count < m_indexed || (m_indexed > 0 && net.getPoly(m_indexed - 1) != m_last))
        reset();
    for (std::size_t i = m_indexed; i < count; ++i)
        m_faces.push_back(net.getPoly(i));
    m_indexed = count;
    m_last = count > 0 ? net.getPoly(count - 1) : nullptr;
}
