#pragma once

#include "vorn/app/render/GLBatchRecorder.h"
#include "vorn/app/render/GLViewVolume.h"

#include <vector>

/// Bounds of short stretches of a closed surface's triangles, so that stretches whose
/// faces all turn their backs to the eye are not sent to OpenGL at all.
///
/// Back-face culling drops a hidden back side only after its corners were shaded and the
/// triangle was set up, which on a software renderer costs about as much as drawing it. A
/// cluster of consecutive triangles keeps a cone that holds all its face normals and a
/// sphere that holds all its corners; from an eye that sees every face of the cluster from
/// behind, with a margin, none of them would be drawn, so leaving the whole cluster out
/// gives the same picture. So does leaving out a cluster whose sphere lies outside the view
/// volume, which OpenGL would clip whole. Face normals come from the corners and their winding
/// (what OpenGL culls by), not from the normals the faces are lit with.
class GLFaceClusters {
public:
    /// Triangles in one cluster: small enough that a curved surface's clusters have narrow
    /// cones (the clusters along the silhouette are sent whole, back sides and all), large
    /// enough that the clusters of a huge mesh are few to test.
    static constexpr int kTriangles = 16;

    struct Cluster {
        /// Vertices [first, first + count) of one batch, whole triangles.
        int first = 0;
        int count = 0;
        /// Sphere around the corners, and how far the corners reach from its centre
        /// against the cone's axis and along it (at most the radius): a curved strip of
        /// faces is much thinner across than it is long.
        float centre[3] = {0, 0, 0};
        float radius = 0;
        float behind = 0;
        float ahead = 0;
        /// Unit axis of the normal cone (the side the winding turns counter-clockwise to)
        /// and the cosine and sine of its half angle. A cone too wide to ever be hidden
        /// whole has cosine -2.
        float axis[3] = {0, 0, 1};
        float cosAngle = -2;
        float sinAngle = 0;
        /// How far a face's plane may pass the centre towards the side the axis points
        /// away from (`spread[0]`) or to (`spread[1]`, mirrored): `behind` or `ahead` plus
        /// the cone's spread over the radius, worked out once (rounded up) because every
        /// frame tests every cluster.
        float spread[2] = {0, 0};
    };

    /// Forgets every cluster (the vertices were recorded again).
    void clear();
    /// Brings the clusters up to date with `vertices`, which may only have grown since the
    /// last call (their earlier vertices unchanged). Only triangle batches of closed
    /// surfaces are clustered: nothing else is ever culled.
    void extend(const std::vector<GLVertex>& vertices, const std::vector<GLBatch>& batches);
    const std::vector<Cluster>& clusters() const { return m_clusters; }

    /// The eye a frame is seen from: a point, or for a parallel projection the direction
    /// towards the viewer.
    struct Eye {
        double at[3] = {0, 0, 0};
        bool parallel = false;
    };
    /// Whether every face of `cluster` is seen from behind from `eye`, with a margin that
    /// leaves faces seen almost edge-on to OpenGL. `mirrored`: the batch's front side
    /// turns clockwise (glFrontFace(GL_CW)).
    static bool hidden(const Cluster& cluster, const Eye& eye, bool mirrored);

    /// Appends to `firsts` and `counts` the stretches of vertices [first, first + count)
    /// (one batch) that are neither in a cluster outside `volume` (when given: null for a
    /// batch wholly in view) nor, given an `eye`, in a hidden one; neighbouring stretches
    /// joined. False when nothing of the batch is clustered (draw it whole).
    bool visibleSpans(int first, int count, const Eye* eye, bool mirrored,
                      const GLViewVolume* volume, std::vector<int>& firsts,
                      std::vector<int>& counts) const;

private:
    void clusterBatch(const std::vector<GLVertex>& vertices, const GLBatch& batch, int from);

    std::vector<Cluster> m_clusters;
    /// Vertices looked at so far.
    int m_extended = 0;
};
