#pragma once

#include <cstddef>
#include <map>
#include <vector>

namespace Sorvex {

/// All-pairs shortest paths over an undirected weighted graph whose nodes are arbitrary
/// pointers. Edges are entered with setDist; the Floyd-Warshall relaxation then runs one
/// pivot node per calc() call so that a caller can spread it over idle ticks. Every
/// shortest path is kept as its full node sequence.
class DjikstraDistance {
public:
    using Path = std::vector<void*>;

    /// The distance of node pairs with no known path.
    static constexpr float NoPath = 3.4028235e38f;

    DjikstraDistance() = default;
    DjikstraDistance(const DjikstraDistance& other) = default;
    DjikstraDistance& operator=(const DjikstraDistance& other) = default;
    ~DjikstraDistance() = default;

    /// Prepares tables for n nodes. False, with a "Memory exception thrown" line on the
    /// debug output and the object left cleared, when the tables (n * n floats plus n * n
    /// paths) cannot be allocated or would take more than half the machine's memory.
    bool init(int n);
    /// Frees both tables and forgets every node.
    void clear();

    /// Enters the edge p-q with weight d in both directions. Ignored when either pointer
    /// is null, or when a new node would exceed the capacity given to init.
    void setDist(void* p, void* q, double d);

    /// One pivot step; returns done().
    bool calc();
    bool done() const { return m_pivot >= m_size; }
    /// Fraction of the pivot steps done; 1 when there is nothing to do.
    float getProgress() const;

    /// NoPath when either node is unknown.
    float getDist(void* p, void* q) const;
    /// The stored path from p to q, both ends included; an empty path for unknown nodes.
    const Path& getPath(void* p, void* q) const;

    /// Largest number of nodes on any stored path.
    int getLongestPath() const;
    /// Largest number of nodes on a stored path starting at p; 0 for an unknown node.
    int getLongestPath(void* p) const;
    /// The node (in pointer order, the first on ties) whose longest path is shortest;
    /// null when there is no node.
    void* getLeastLongestPath() const;
    /// Writes the node count of every stored path, row by row, to the debug output.
    void printPathLengths() const;

    int getSize() const { return m_size; }

    /// Caps the bytes init may request; 0 (the default) means half the physical memory.
    static void SetMemoryLimit(std::size_t bytes);

private:
    int indexOf(void* p) const;
    /// Index of p, assigning the next free one to a new node; -1 when the table is full.
    int lookupOrAdd(void* p);
    std::size_t cell(int row, int col) const {
        return static_cast<std::size_t>(row) * static_cast<std::size_t>(m_size) +
               static_cast<std::size_t>(col);
    }
    int longestFrom(int row) const;

    int m_size = 0;
    std::map<void*, int> m_nodes;
    int m_nextIndex = 0;
    int m_pivot = 0;
    std::vector<float> m_dist;
    /// 1 where the path is not empty: the relaxation reads these rather than the paths.
    std::vector<unsigned char> m_known;
    std::vector<Path> m_paths;
};

} // namespace Sorvex
