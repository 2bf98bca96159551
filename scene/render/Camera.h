#pragma once

#include "scene/Viewpoint.h"
#include "sorvex/M3d.h"

#include <string>

/// A point projected by a `Camera`: pixel coordinates (x right, y down) and the distance in
/// front of the eye along the view direction.
struct ScreenPoint {
    double x = 0.0;
    double y = 0.0;
    double depth = 0.0;
};

/// The eye of a view: where it stands, what it looks at, which way is up, the picture size
/// in pixels and the projection. Perspective pictures use a vertical field of view of 40
/// degrees; orthographic ones show, at the target, the same height a perspective picture
/// would, so moving the eye closer zooms either way.
class Camera {
public:
    Camera();

    void setLookAt(const Sorvex::M3d& eye, const Sorvex::M3d& target, const Sorvex::M3d& up);
    const Sorvex::M3d& getEye() const { return m_eye; }
    const Sorvex::M3d& getTarget() const { return m_target; }
    const Sorvex::M3d& getUp() const { return m_up; }
    /// Unit vector from the eye toward the target.
    Sorvex::M3d getViewDirection() const;
    double getDistance() const;

    /// Picture size in pixels; sizes below 1 are raised to 1.
    void setViewport(int width, int height);
    int getWidth() const { return m_width; }
    int getHeight() const { return m_height; }

    void setOrthographic(bool on) { m_orthographic = on; }
    bool isOrthographic() const { return m_orthographic; }

    /// The current position as a viewpoint; `diameter` is the height seen at the target.
    Viewpoint getViewpoint() const;
    /// Moves at once to `vp` (ignored when it is not valid).
    void setViewpoint(const Viewpoint& vp);

    /// Starts a flight to `to` lasting `durationMs`; `advance` moves along it. A duration
    /// of 0 or less jumps at once. An invalid viewpoint is ignored.
    void interpolateTo(const Viewpoint& to, double durationMs);
    /// Moves the flight on by `elapsedMs`; true while it is still under way.
    bool advance(double elapsedMs);
    bool isMoving() const { return m_flightDuration > 0.0; }

    /// Keeps the view direction and up, aims at the centre of the box from `lo` to `hi`
    /// and stands back so the whole box is in the picture. An empty box (lo > hi) does
    /// nothing and returns false.
    bool oversight(const Sorvex::M3d& lo, const Sorvex::M3d& hi);
    /// Stands back from the target so the picture's height shows `worldHeight` units at
    /// the target (orthographic pictures: everywhere).
    void setVisibleHeight(double worldHeight);
    /// Moves the eye along the view direction: negative `delta` comes closer. The eye never
    /// passes the target.
    void adjustDistance(double delta);

    /// Looks along `axis` (0 = x, 1 = y, 2 = z) in the positive (`positive`) or negative
    /// direction at the same target and distance. Up stays +y, except along y where it is
    /// -z looking down and +z looking up.
    void viewAlong(int axis, bool positive);
    /// Turns the eye about the target round the up vector by `angle` radians (the
    /// turntable spin: pi/64 per tick, 128 ticks a full turn).
    void orbit(double angle);
    /// The named views of the command line: "front", "back", "left", "right", "top",
    /// "bottom", "iso". False for any other name.
    bool setNamedView(const std::string& name);

    ScreenPoint project(const Sorvex::M3d& world) const;
    /// The ray through pixel (x, y): its origin and unit direction.
    void rayThrough(double x, double y, Sorvex::M3d& origin, Sorvex::M3d& direction) const;
    /// The world length of one pixel at `depth` in front of the eye.
    double pixelSizeAt(double depth) const;

private:
    void updateBasis();

    Sorvex::M3d m_eye{0, 0, 10};
    Sorvex::M3d m_target{0, 0, 0};
    Sorvex::M3d m_up{0, 1, 0};
    // Orthonormal view frame: right, true up, forward.
    Sorvex::M3d m_right{1, 0, 0}, m_trueUp{0, 1, 0}, m_forward{0, 0, -1};
    int m_width = 640;
    int m_height = 480;
    bool m_orthographic = false;

    Viewpoint m_flightFrom;
    Viewpoint m_flightTo;
    double m_flightDuration = 0.0;
    double m_flightElapsed = 0.0;
};
