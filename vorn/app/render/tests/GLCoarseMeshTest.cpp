#include "vorn/app/render/GLCoarseMesh.h"

#include "tests/support/TestShapes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <limits>
#include <map>
#include <set>
#include <vector>

namespace {

using Point = std::array<float, 3>;

Point pointOf(const GLVertex& v) {
    return {v.position[0], v.position[1], v.position[2]};
}

/// A recording of a closed icosphere: one flat batch, each triangle a colour of its own
/// (its index), as a kept mesh is recorded.
struct Recording {
    std::vector<GLVertex> vertices;
    std::vector<GLBatch> batches;
};

Recording sphere(int levels) {
    const MeshData mesh = testshapes::icosphere(levels);
    Recording r;
    GLBatch batch;
    batch.lit = true;
    batch.closedSurface = true;
    for (std::size_t f = 0; f < mesh.faces.size(); ++f)
        for (int corner : mesh.faces[f]) {
            GLVertex v{};
            for (int a = 0; a < 3; ++a)
                v.position[a] = float(mesh.vertices[std::size_t(corner)][a]);
            v.normal = {0, 0, 127, 0};
            v.color[0] = std::uint8_t(f);
            v.color[1] = std::uint8_t(f >> 8);
            v.color[2] = std::uint8_t(f >> 16);
            v.color[3] = 255;
            r.vertices.push_back(v);
        }
    batch.count = int(r.vertices.size());
    for (const GLVertex& v : r.vertices)
        for (int a = 0; a < 3; ++a) {
            batch.lo[a] = std::min(batch.lo[a], double(v.position[a]));
            batch.hi[a] = std::max(batch.hi[a], double(v.position[a]));
        }
    r.batches.push_back(batch);
    return r;
}

std::size_t colourIndex(const GLVertex& v) {
    return std::size_t(v.color[0]) | std::size_t(v.color[1]) << 8 | std::size_t(v.color[2]) << 16;
}

} // namespace

TEST(GLCoarseMeshTest, CoarseSphereStaysClosedAndNearItsFaces) {
    const Recording fine = sphere(5); // 20,480 triangles, edges about 0.035 long
    GLCoarseMesh coarse;
    const double cell = 0.15;
    coarse.build(fine.vertices, fine.batches, cell);
    ASSERT_EQ(1u, coarse.batches.size());
    EXPECT_EQ(0, coarse.sourceBatch[0]);
    EXPECT_EQ(20480u, coarse.trianglesBefore);
    EXPECT_EQ(coarse.vertices.size(), 3 * coarse.trianglesAfter);
    EXPECT_LT(coarse.trianglesAfter * 5, coarse.trianglesBefore) << "big cells drop most faces";
    EXPECT_GT(coarse.trianglesAfter, 100u);
    EXPECT_TRUE(coarse.isWorthDrawing());

    std::set<Point> finePoints;
    for (const GLVertex& v : fine.vertices)
        finePoints.insert(pointOf(v));
    // Each edge is walked as often one way as the other: no crack opens between faces
    // whose corners moved to the points of their cells.
    std::map<std::pair<Point, Point>, int> walks;
    const double reach = std::sqrt(3.0) * cell * (1 + 1e-6);
    for (std::size_t t = 0; t < coarse.trianglesAfter; ++t) {
        const GLVertex* c = &coarse.vertices[3 * t];
        const std::size_t face = colourIndex(c[0]);
        ASSERT_LT(face, coarse.trianglesBefore);
        for (int k = 0; k < 3; ++k) {
            EXPECT_TRUE(finePoints.count(pointOf(c[k]))) << "corners move to points of the mesh";
            EXPECT_EQ(face, colourIndex(c[k])) << "a triangle keeps its face's colour";
            // Corner k of the kept triangle is corner k of its face, moved within its cell.
            const GLVertex& source = fine.vertices[3 * face + std::size_t(k)];
            double squared = 0;
            for (int a = 0; a < 3; ++a)
                squared += std::pow(double(c[k].position[a]) - source.position[a], 2);
            EXPECT_LE(std::sqrt(squared), reach);
            ++walks[{pointOf(c[k]), pointOf(c[(k + 1) % 3])}];
        }
    }
    for (const auto& [edge, count] : walks) {
        const auto back = walks.find({edge.second, edge.first});
        EXPECT_EQ(count, back == walks.end() ? 0 : back->second);
    }
}

TEST(GLCoarseMeshTest, LargeFacesAndOtherBatchesAreLeftAsRecorded) {
    Recording r = sphere(4); // 5,120 triangles
    // Cells far smaller than any edge: every face is kept where it was.
    GLCoarseMesh coarse;
    coarse.build(r.vertices, r.batches, 1e-4);
    ASSERT_EQ(1u, coarse.batches.size());
    ASSERT_EQ(r.vertices.size(), coarse.vertices.size());
    for (std::size_t k = 0; k < r.vertices.size(); ++k)
        EXPECT_EQ(0, std::memcmp(&r.vertices[k], &coarse.vertices[k], sizeof(GLVertex)));
    EXPECT_FALSE(coarse.isWorthDrawing()) << "nothing is saved";

    // Lines, corners of different looks and small batches are never coarsened.
    const int whole = r.batches[0].count;
    r.batches[0].count = 3 * (GLCoarseMesh::kMinTriangles - 1);
    GLBatch lines = r.batches[0];
    lines.first = r.batches[0].count;
    lines.count = whole - lines.first;
    lines.kind = GLBatch::Kind::Lines;
    r.batches.push_back(lines);
    coarse.build(r.vertices, r.batches, 0.5);
    EXPECT_TRUE(coarse.batches.empty());
    r.batches.assign(1, r.batches[0]);
    r.batches[0].count = whole;
    r.batches[0].uniform = false;
    coarse.build(r.vertices, r.batches, 0.5);
    EXPECT_TRUE(coarse.batches.empty());

    // No cell, or cells too small for the mesh's reach to be counted in: nothing.
    r.batches[0].uniform = true;
    for (double cell : {0.0, -1.0, std::numeric_limits<double>::quiet_NaN(), 1e-12}) {
        coarse.build(r.vertices, r.batches, cell);
        EXPECT_TRUE(coarse.batches.empty()) << cell;
        EXPECT_FALSE(coarse.isWorthDrawing());
    }
}
