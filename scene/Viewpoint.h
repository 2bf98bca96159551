#pragma once

#include "sorvex/M3d.h"

#include <string>

/// A stored camera position: the point looked at, the eye, the up direction and the
/// diameter of what is framed. A default viewpoint is not valid.
class Viewpoint {
public:
    Viewpoint() = default;
    /// A valid viewpoint with the given values.
    Viewpoint(const Sorvex::M3d& target, const Sorvex::M3d& eye, const Sorvex::M3d& up,
              double diameter);

    bool isValid() const { return m_valid; }
    void invalidate() { m_valid = false; }

    const Sorvex::M3d& getTarget() const { return m_target; }
    const Sorvex::M3d& getEye() const { return m_eye; }
    const Sorvex::M3d& getUp() const { return m_up; }
    double getDiameter() const { return m_diameter; }
    /// Same validity and, when valid, the same values (points within M3d's tolerance).
    bool sameAs(const Viewpoint& other) const {
        return m_valid == other.m_valid &&
               (!m_valid || (m_target == other.m_target && m_eye == other.m_eye &&
                             m_up == other.m_up && m_diameter == other.m_diameter));
    }

    /// The text stored in the settings ("ViewpointA", "ViewpointB"): the `M3d` text forms of
    /// target, eye and up, then the diameter, separated by ";". Empty for an invalid one.
    std::string toText() const;
    /// Reads `toText()` output. Returns false and leaves the viewpoint unchanged when the
    /// text is empty or malformed (wrong field count, non-finite values).
    bool fromText(const std::string& text);

private:
    Sorvex::M3d m_target;
    Sorvex::M3d m_eye;
    Sorvex::M3d m_up{0.0, 1.0, 0.0};
    double m_diameter = 0.0;
    bool m_valid = false;
};
