#pragma once

#include "scene/render/Camera.h"
#include "sorvex/M3d.h"

/// The part of the world a camera's OpenGL projection shows: six planes in world
/// coordinates, so that whole stretches of a huge mesh that lie outside can be left out
/// before OpenGL transforms and clips every one of their vertices.
class GLViewVolume {
public:
    /// Vertical field of view of the projection, shared with the scene library's camera
    /// so that picks match the picture.
    static constexpr double kFovDegrees = 40.0;
    /// Near and far planes of the projection for `camera`: the near plane cuts this close
    /// in front of the eye (behind it for a parallel view, which spans -far to far).
    static double nearPlane(const Camera& camera);
    static double farPlane(const Camera& camera);

    explicit GLViewVolume(const Camera& camera);

    /// Whether every point of the ball lies outside one of the planes, with a margin for
    /// the rounding of OpenGL's single-precision transform: nothing in it can be drawn.
    bool excludes(const float centre[3], float radius) const;
    /// Whether every point of the box [lo, hi] lies inside every plane, with the same
    /// margin: no ball that holds a point of the box is then excluded, so a batch inside
    /// needs no test per cluster.
    bool holds(const Sorvex::M3d& lo, const Sorvex::M3d& hi) const;

private:
    /// Inside is where normal · p + offset >= 0; normals are unit length.
    Sorvex::M3d m_normals[6];
    double m_offsets[6] = {0, 0, 0, 0, 0, 0};
    Sorvex::M3d m_eye;
};
