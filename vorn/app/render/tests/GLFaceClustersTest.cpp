#include "vorn/app/render/GLFaceClusters.h"

#include <gtest/gtest.h>

#include <cmath>

using Sorvex::M3d;
using Primitive = GLBatchRecorder::Primitive;

namespace {

/// A closed sphere of `stacks` x `slices` squares, each two triangles wound
/// counter-clockwise seen from outside; only stacks [firstStack, endStack) are recorded.
void recordSphere(GLBatchRecorder& r, int stacks, int slices, int firstStack, int endStack) {
    auto point = [&](int i, int j) {
        const double phi = M_PI * i / stacks - M_PI / 2;
        const double theta = 2 * M_PI * j / slices;
        return M3d(std::cos(phi) * std::cos(theta), std::sin(phi), -std::cos(phi) * std::sin(theta));
    };
    r.begin(Primitive::Triangles, true, 1.0f, true);
    for (int i = firstStack; i < endStack; ++i)
        for (int j = 0; j < slices; ++j) {
            const M3d a = point(i, j), b = point(i, j + 1), c = point(i + 1, j + 1), d = point(i + 1, j);
            for (const M3d& p : {a, b, c, a, c, d})
                r.vertex(p);
        }
    r.end();
}

M3d corner(const GLVertex& v) {
    return M3d(v.position[0], v.position[1], v.position[2]);
}

TEST(GLFaceClustersTest, HiddenClustersHoldOnlyFacesSeenFromBehind) {
    GLBatchRecorder r;
    recordSphere(r, 40, 80, 0, 40);
    GLFaceClusters clusters;
    clusters.extend(r.getVertices(), r.getBatches());
    ASSERT_FALSE(clusters.clusters().empty());
    const auto& vertices = r.getVertices();
    // Eyes near and far in several directions, and parallel views; mirrored faces show
    // their other side.
    std::vector<GLFaceClusters::Eye> eyes;
    for (double distance : {1.3, 3.0, 40.0})
        for (const M3d& direction : {M3d(1, 0.4, 0.2), M3d(-0.3, -1, 0.5), M3d(0, 0.1, -1)}) {
            const M3d at = direction * (distance / direction.length());
            eyes.push_back({{at.x(), at.y(), at.z()}, false});
            const M3d towards = direction * (1.0 / direction.length());
            eyes.push_back({{towards.x(), towards.y(), towards.z()}, true});
        }
    for (const GLFaceClusters::Eye& eye : eyes)
        for (const bool mirrored : {false, true}) {
            const double sign = mirrored ? -1.0 : 1.0;
            const M3d e(eye.at[0], eye.at[1], eye.at[2]);
            int hidden = 0;
            for (const GLFaceClusters::Cluster& c : clusters.clusters()) {
                if (!GLFaceClusters::hidden(c, eye, mirrored))
                    continue;
                ++hidden;
                for (int k = c.first; k < c.first + c.count; k += 3) {
                    const M3d a = corner(vertices[std::size_t(k)]);
                    M3d n;
                    n.cross(corner(vertices[std::size_t(k + 1)]) - a,
                            corner(vertices[std::size_t(k + 2)]) - a);
                    const double facing = sign * n.dot(eye.parallel ? e : e - a);
                    ASSERT_LT(facing, 0.0) << "triangle " << k / 3 << " faces the eye";
                }
            }
            // Unmirrored, the back of the sphere is half of it or more from every eye.
            if (!mirrored) {
                EXPECT_GT(hidden, int(clusters.clusters().size()) / 4)
                    << "eye " << e.x() << " " << e.y() << " " << e.z();
            }
        }
}

TEST(GLFaceClustersTest, AppendingGivesTheClustersOfOneRecording) {
    GLBatchRecorder whole;
    recordSphere(whole, 24, 30, 0, 24);
    GLFaceClusters once;
    once.extend(whole.getVertices(), whole.getBatches());

    // Grown a few stacks at a time, the last cluster is cut short at every step.
    GLBatchRecorder growing;
    GLFaceClusters stepwise;
    for (int stack = 0; stack < 24; stack += 5) {
        recordSphere(growing, 24, 30, stack, std::min(24, stack + 5));
        stepwise.extend(growing.getVertices(), growing.getBatches());
    }
    ASSERT_EQ(1u, growing.getBatches().size());
    ASSERT_EQ(once.clusters().size(), stepwise.clusters().size());
    for (std::size_t i = 0; i < once.clusters().size(); ++i) {
        const GLFaceClusters::Cluster& a = once.clusters()[i];
        const GLFaceClusters::Cluster& b = stepwise.clusters()[i];
        EXPECT_EQ(a.first, b.first);
        EXPECT_EQ(a.count, b.count);
        EXPECT_EQ(a.radius, b.radius) << "cluster " << i;
        EXPECT_EQ(a.cosAngle, b.cosAngle) << "cluster " << i;
    }
}

} // namespace
