#include "vorn/app/render/GLFaceClusters.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

using Sorvex::M3d;
using Primitive = GLBatchRecorder::Primitive;

namespace {

/// A closed sphere of `stacks` x `slices` squares, each two triangles wound
/// counter-clockwise seen from outside; only stacks [firstStack, endStack) are recorded.
void recordSphere(GLBatchRecorder& r, int stacks, int slices, int firstStack, int endStack) {
    auto point = [&](int i, int j) {
        const double phi = M_PI * i / stacks - M_PI / 2;
        const double theta = 2 * M_PI * j / slices;
        return M3d(std::cos(phi) * std::cos(theta), std::sin(phi),
                   -std::cos(phi) * std::sin(theta));
    };
    r.begin(Primitive::Triangles, true, 1.0f, true);
    for (int i = firstStack; i < endStack; ++i)
        for (int j = 0; j < slices; ++j) {
            const M3d a = point(i, j), b = point(i, j + 1), c = point(i + 1, j + 1),
                      d = point(i + 1, j);
            for (const M3d& p : {a, b, c, a, c, d})
                r.vertex(p);
        }
    r.end();
}

M3d corner(const GLVertex& v) {
    return M3d(v.position[0], v.position[1], v.position[2]);
}

/// How far the largest cosine between a face normal of `c` and the eye lies above the
/// bound below which every face is hidden, by angles (negative: hidden; the margin is
/// GLFaceClusters' one degree). Positive where the cone does not allow the test.
double plainHiddenSlack(const GLFaceClusters::Cluster& c, const GLFaceClusters::Eye& eye,
                        bool mirrored) {
    if (c.cosAngle < -1.0f)
        return 1.0;
    const double sign = mirrored ? -1.0 : 1.0;
    const M3d axis(sign * c.axis[0], sign * c.axis[1], sign * c.axis[2]);
    M3d toEye(eye.at[0], eye.at[1], eye.at[2]);
    double reach = 0.0;
    if (!eye.parallel) {
        toEye = toEye - M3d(c.centre[0], c.centre[1], c.centre[2]);
        const double distance = toEye.length();
        if (!(distance > c.radius))
            return 1.0;
        toEye = toEye * (1.0 / distance);
        reach = c.spread[mirrored ? 1 : 0] / distance;
    }
    const double cosEye = axis.dot(toEye);
    if (cosEye >= c.cosAngle)
        return 1.0;
    const double sinEye = std::sqrt(std::max(0.0, 1.0 - cosEye * cosEye));
    return cosEye * c.cosAngle + sinEye * c.sinAngle + reach + 0.02;
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
                // The plain rule, by angles: the test scaled by the distance must agree
                // wherever rounding cannot tip it.
                const double slack = plainHiddenSlack(c, eye, mirrored);
                if (std::abs(slack) > 1e-9) {
                    ASSERT_EQ(slack < 0.0, GLFaceClusters::hidden(c, eye, mirrored))
                        << "cluster at " << c.first;
                }
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

TEST(GLFaceClustersTest, ClustersLeftOutOfTheViewHaveNoTriangleInIt) {
    GLBatchRecorder r;
    recordSphere(r, 60, 120, 0, 60);
    GLFaceClusters clusters;
    clusters.extend(r.getVertices(), r.getBatches());
    const auto& vertices = r.getVertices();
    const int n = int(vertices.size());
    struct View {
        M3d eye, target;
        int width, height;
        double parallelHeight; // 0: perspective
    };
    // Close over the surface along it and into it, wide and tall, from inside, parallel.
    const View views[] = {{M3d(0, 1.3, 0.2), M3d(1, 0.8, 0), 320, 160, 0},
                          {M3d(2.5, 0.3, 0.4), M3d(0.9, 0.2, 0.1), 160, 320, 0},
                          {M3d(0.1, 0, 0.2), M3d(1, 0.3, 0), 200, 200, 0},
                          {M3d(0.2, -0.1, 3), M3d(0.5, 0.5, 0), 300, 200, 0.4}};
    const double tangent = std::tan(GLViewVolume::kFovDegrees * M_PI / 360.0);
    for (const View& view : views) {
        Camera camera;
        camera.setViewport(view.width, view.height);
        camera.setLookAt(view.eye, view.target, M3d(0, 1, 0));
        if (view.parallelHeight > 0) {
            camera.setOrthographic(true);
            camera.setVisibleHeight(view.parallelHeight);
        }
        std::vector<int> firsts, counts;
        const GLViewVolume volume(camera);
        ASSERT_TRUE(clusters.visibleSpans(0, n, nullptr, false, &volume, firsts, counts));
        std::vector<bool> drawn(std::size_t(n), false);
        for (std::size_t i = 0; i < firsts.size(); ++i)
            std::fill_n(drawn.begin() + firsts[i], counts[i], true);
        // Brute force: a triangle left out has all its corners outside one clip plane.
        const M3d f = camera.getViewDirection().normalized();
        M3d s;
        s.cross(f, camera.getUp());
        s.normalize();
        M3d u;
        u.cross(s, f);
        const double aspect = double(view.width) / view.height;
        const double zNear = GLViewVolume::nearPlane(camera), zFar = GLViewVolume::farPlane(camera);
        int leftOut = 0;
        for (int k = 0; k < n; k += 3) {
            if (drawn[std::size_t(k)])
                continue;
            ++leftOut;
            int outside[6] = {0, 0, 0, 0, 0, 0};
            for (int c = k; c < k + 3; ++c) {
                const M3d q = corner(vertices[std::size_t(c)]) - camera.getEye();
                const double d = q.dot(f), x = q.dot(s), y = q.dot(u);
                const double h =
                    view.parallelHeight > 0 ? tangent * camera.getDistance() : tangent * d;
                outside[0] += d < zNear;
                outside[1] += d > zFar;
                outside[2] += x < -h * aspect;
                outside[3] += x > h * aspect;
                outside[4] += y < -h;
                outside[5] += y > h;
            }
            ASSERT_TRUE(std::find(outside, outside + 6, 3) != outside + 6)
                << "triangle " << k / 3 << " may be in view from " << view.eye.x() << " "
                << view.eye.y() << " " << view.eye.z();
        }
        EXPECT_GT(leftOut, n / 3 / 10) << "a close view leaves much out";
        EXPECT_FALSE(volume.holds(M3d(-1, -1, -1), M3d(1, 1, 1)));
    }
    // From afar the whole sphere is in view: its box is held, and no cluster is left out.
    for (const M3d& eye : {M3d(0, 0, 6), M3d(-4, 3, 2)}) {
        Camera camera;
        camera.setViewport(300, 200);
        camera.setLookAt(eye, M3d(0, 0, 0), M3d(0, 1, 0));
        const GLViewVolume volume(camera);
        EXPECT_TRUE(volume.holds(M3d(-1, -1, -1), M3d(1, 1, 1)));
        std::vector<int> firsts, counts;
        ASSERT_TRUE(clusters.visibleSpans(0, n, nullptr, false, &volume, firsts, counts));
        EXPECT_EQ(std::vector<int>{0}, firsts);
        EXPECT_EQ(std::vector<int>{n}, counts);
    }
}

} // namespace
