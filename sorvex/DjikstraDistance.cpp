#include "sorvex/DjikstraDistance.h"

#include <algorithm>
#include <cstdio>
#include <limits>
#include <new>
#include <unistd.h>

namespace Sorvex {

namespace {

std::size_t g_memoryLimit = 0;

std::size_t memoryLimit() {
    if (g_memoryLimit != 0)
        return g_memoryLimit;
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGE_SIZE);
    if (pages <= 0 || pageSize <= 0)
        return std::numeric_limits<std::size_t>::max();
    return static_cast<std::size_t>(pages) / 2 * static_cast<std::size_t>(pageSize);
}

/// Debug output goes to standard error.
void reportMemoryFailure(const char* what, std::size_t pathBytes, std::size_t distBytes) {
    std::fprintf(stderr, "Memory exception thrown: %s\nMemory requested: %zul + %zul = %zul\n",
                 what, pathBytes, distBytes, pathBytes + distBytes);
}

const DjikstraDistance::Path g_noPath;

} // namespace

void DjikstraDistance::SetMemoryLimit(std::size_t bytes) {
    g_memoryLimit = bytes;
}

bool DjikstraDistance::init(int n) {
    clear();
    if (n < 0) {
        reportMemoryFailure(std::bad_array_new_length().what(), 0, 0);
        return false;
    }
    const std::size_t cells = static_cast<std::size_t>(n) * static_cast<std::size_t>(n);
    const std::size_t pathBytes = cells * sizeof(Path);
    const std::size_t distBytes = cells * sizeof(float);
    // Beside the distances, one flag per pair tells whether a path is known.
    const std::size_t flagBytes = cells * sizeof(unsigned char);
    // Check before allocating: building n * n paths touches every byte, so an oversized
    // request would exhaust the machine instead of failing.
    if (pathBytes + distBytes + flagBytes > memoryLimit()) {
        reportMemoryFailure(std::bad_alloc().what(), pathBytes, distBytes);
        return false;
    }
    try {
        m_dist.assign(cells, NoPath);
        m_known.assign(cells, 0);
        m_paths.resize(cells);
    } catch (const std::bad_alloc& e) {
        clear();
        reportMemoryFailure(e.what(), pathBytes, distBytes);
        return false;
    }
    m_size = n;
    for (int i = 0; i < n; ++i)
        m_dist[cell(i, i)] = 0.0f;
    return true;
}

void DjikstraDistance::clear() {
    std::vector<float>().swap(m_dist);
    std::vector<unsigned char>().swap(m_known);
    std::vector<Path>().swap(m_paths);
    m_nodes.clear();
    m_size = 0;
    m_nextIndex = 0;
    m_pivot = 0;
}

int DjikstraDistance::indexOf(void* p) const {
    auto it = m_nodes.find(p);
    return it == m_nodes.end() ? -1 : it->second;
}

int DjikstraDistance::lookupOrAdd(void* p) {
    const int known = indexOf(p);
    if (known >= 0)
        return known;
    if (m_nextIndex >= m_size)
        return -1;
    const int index = m_nextIndex++;
    m_nodes.emplace(p, index);
    m_dist[cell(index, index)] = 0.0f;
    return index;
}

void DjikstraDistance::setDist(void* p, void* q, double d) {
    if (!p || !q)
        return;
    // A full table cannot take a new node; check both before entering either.
    const int known = (indexOf(p) >= 0 ? 1 : 0) + (p != q && indexOf(q) >= 0 ? 1 : 0);
    const int needed = (p == q ? 1 : 2) - known;
    if (m_nextIndex + needed > m_size)
        return;
    const int i = lookupOrAdd(p);
    const int j = lookupOrAdd(q);
    m_dist[cell(i, j)] = m_dist[cell(j, i)] = static_cast<float>(d);
    m_paths[cell(i, j)].clear();
    m_paths[cell(j, i)].clear();
    m_known[cell(i, j)] = m_known[cell(j, i)] = p != q ? 1 : 0;
    if (p != q) {
        m_paths[cell(i, j)] = {p, q};
        m_paths[cell(j, i)] = {q, p};
    }
}

bool DjikstraDistance::calc() {
    if (done())
        return true;
    const int a = m_pivot++;
    // Only entries (k, i) with k != a and i != a change, so row a and column a stay fixed
    // during the step: the targets reachable from the pivot are gathered once, and the
    // inner loop reads plain rows of distances and flags, touching a path only when it
    // stores one.
    std::vector<int> targets;
    targets.reserve(static_cast<std::size_t>(m_size));
    for (int i = 0; i < m_size; ++i)
        if (i != a && m_known[cell(a, i)])
            targets.push_back(i);
    const float* fromPivotDist = &m_dist[cell(a, 0)];
    for (int k = 0; k < m_size; ++k) {
        if (k == a || !m_known[cell(k, a)])
            continue;
        const Path& toPivot = m_paths[cell(k, a)];
        const float toPivotDist = m_dist[cell(k, a)];
        float* rowDist = &m_dist[cell(k, 0)];
        unsigned char* rowKnown = &m_known[cell(k, 0)];
        for (const int i : targets) {
            if (i == k)
                continue;
            const float x = fromPivotDist[i] + toPivotDist;
            if (rowKnown[i] && !(x < rowDist[i]))
                continue;
            rowDist[i] = x;
            rowKnown[i] = 1;
            const Path& fromPivot = m_paths[cell(a, i)];
            Path& path = m_paths[cell(k, i)];
            // One allocation of the exact size: the tables hold n² paths, so growth by
            // doubling would cost both time and up to twice the memory.
            const std::size_t length = toPivot.size() + fromPivot.size() - 1;
            if (path.capacity() < length) {
                Path joined;
                joined.reserve(length);
                path.swap(joined);
            }
            path.assign(toPivot.begin(), toPivot.end());
            path.insert(path.end(), fromPivot.begin() + 1, fromPivot.end());
        }
    }
    return done();
}

float DjikstraDistance::getProgress() const {
    if (m_size == 0)
        return 1.0f;
    return static_cast<float>(m_pivot) / static_cast<float>(m_size);
}

float DjikstraDistance::getDist(void* p, void* q) const {
    const int i = indexOf(p);
    const int j = indexOf(q);
    if (i < 0 || j < 0)
        return NoPath;
    return m_dist[cell(i, j)];
}

const DjikstraDistance::Path& DjikstraDistance::getPath(void* p, void* q) const {
    const int i = indexOf(p);
    const int j = indexOf(q);
    if (i < 0 || j < 0)
        return g_noPath;
    return m_paths[cell(i, j)];
}

int DjikstraDistance::longestFrom(int row) const {
    std::size_t longest = 0;
    for (int j = 0; j < m_size; ++j)
        longest = std::max(longest, m_paths[cell(row, j)].size());
    return static_cast<int>(longest);
}

int DjikstraDistance::getLongestPath() const {
    int longest = 0;
    for (int i = 0; i < m_size; ++i)
        longest = std::max(longest, longestFrom(i));
    return longest;
}

int DjikstraDistance::getLongestPath(void* p) const {
    const int i = indexOf(p);
    return i < 0 ? 0 : longestFrom(i);
}

void* DjikstraDistance::getLeastLongestPath() const {
    void* best = nullptr;
    int bestLength = 0;
    for (const auto& [node, index] : m_nodes) {
        const int length = longestFrom(index);
        if (!best || length < bestLength) {
            best = node;
            bestLength = length;
        }
    }
    return best;
}

void DjikstraDistance::printPathLengths() const {
    for (int i = 0; i < m_size; ++i) {
        for (int j = 0; j < m_size; ++j)
            std::fprintf(stderr, "%3i ", static_cast<int>(m_paths[cell(i, j)].size()));
        std::fprintf(stderr, "\n");
    }
}

} // namespace Sorvex
