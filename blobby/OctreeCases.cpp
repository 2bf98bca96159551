#include "blobby/OctreeCases.h"

#include <algorithm>
#include <vector>

namespace {

using Polygon = std::vector<int>;

// Corner k's triangle of edges; its winding points the normal away from the corner.
constexpr int CornerTriangles[8][3] = {{0, 3, 4},   {1, 0, 5},  {2, 1, 6}, {3, 2, 7},
                                       {10, 11, 7}, {9, 10, 6}, {8, 9, 5}, {11, 8, 4}};

int at(const Polygon& p, int i) {
    const int n = int(p.size());
    return p[((i % n) + n) % n];
}

bool contains(const Polygon& p, int start, int length, int value) {
    for (int k = 0; k < length; ++k)
        if (at(p, start + k) == value)
            return true;
    return false;
}

// Merges B into A along their first shared run of edges; false (nothing changed) when they
// share nothing or share edges outside the run as well.
bool mergeInto(Polygon& a, const Polygon& b) {
    const int na = int(a.size()), nb = int(b.size());
    int bi = -1, aj = -1;
    for (int i = 0; i < nb && bi < 0; ++i)
        for (int j = 0; j < na; ++j)
            if (b[i] == a[j]) {
                bi = i;
                aj = j;
                break;
            }
    if (bi < 0)
        return false;
    const int limit = std::min(na, nb);
    int length = 1, bStart = bi, aStart = aj;
    // B read backwards along A read forwards, then B forwards along A backwards.
    while (length < limit && at(b, bStart - 1) == at(a, aStart + length)) {
        --bStart;
        ++length;
    }
    int bEnd = bi;
    while (length < limit && at(b, bEnd + 1) == at(a, aStart - 1)) {
        ++bEnd;
        --aStart;
        ++length;
    }
    for (int k = length; k < nb; ++k)
        if (contains(a, aStart + length, na - length, at(b, bStart + k)))
            return false;

    const int follower = at(a, aStart + length);
    Polygon rest;
    for (int k = 0; k < na; ++k)
        if (!contains(a, aStart, length, a[k]))
            rest.push_back(a[k]);
    Polygon inserted;
    for (int k = length; k < nb; ++k)
        inserted.push_back(at(b, bStart + k));
    auto pos = std::find(rest.begin(), rest.end(), follower);
    rest.insert(pos, inserted.begin(), inserted.end());
    a = std::move(rest);
    return true;
}

std::vector<Polygon> mergedPolygons(int flags) {
    std::vector<Polygon> polys;
    for (int k = 0; k < 8; ++k)
        if (flags & (1 << k))
            polys.push_back({CornerTriangles[k][0], CornerTriangles[k][1], CornerTriangles[k][2]});
    bool changed = true;
    while (changed) {
        changed = false;
        for (size_t ia = 0; ia < polys.size(); ++ia)
            for (size_t ib = ia + 1; ib < polys.size();) {
                if (mergeInto(polys[ia], polys[ib])) {
                    polys.erase(polys.begin() + long(ib));
                    changed = true;
                } else {
                    ++ib;
                }
            }
    }
    return polys;
}

void fillCase(OctreeCaseTable& table, int flags) {
    int t = 0;
    for (const Polygon& p : mergedPolygons(flags))
        for (size_t k = 1; k + 1 < p.size() && t < 5; ++k, ++t)
            table[flags][t] = {static_cast<signed char>(p[0]), static_cast<signed char>(p[k]),
                               static_cast<signed char>(p[k + 1])};
}

OctreeCaseTable buildTable() {
    OctreeCaseTable table;
    for (auto& c : table)
        for (auto& tri : c)
            tri = {-1, -1, -1};
    // Six inside corners whose two outside corners are diagonally opposite would merge into
    // six triangles; they are the complement's two corner triangles, reversed instead.
    constexpr int Reversed[] = {123, 183, 222, 237};
    for (int k = 0; k < 256; ++k)
        if (std::find(std::begin(Reversed), std::end(Reversed), k) == std::end(Reversed))
            fillCase(table, k);
    for (int k : Reversed) {
        table[k] = table[255 - k];
        for (auto& tri : table[k])
            if (tri[0] >= 0)
                std::swap(tri[1], tri[2]);
    }
    return table;
}

} // namespace

const OctreeCaseTable& OctreeFaceVertices() {
    static const OctreeCaseTable table = buildTable();
    return table;
}
