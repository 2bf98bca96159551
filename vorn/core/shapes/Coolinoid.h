#pragma once

#include "scene/mesh/PolyMesh.h"

/// An open tube whose radius grows from 1 at its waist to 2 at both rims: the test shape of
/// the parameter sweeps. Parameters: du columns around, dv rows along, height scale h and
/// profile exponent k (radius 1 + |v|^k for v from 1 to -1). The parameters are kept in the
/// user settings ("Settings\Coolinoid") by the panel and saved with the mesh.
class Coolinoid : public PolyMesh {
    VORN_DECLARE_FACTORY(Coolinoid)

    /// Built from the stored settings (defaults du 20, dv 20, h 3, k 2.5).
    Coolinoid();

    /// Clamps du and dv to at least 3, h to at least 0.00001 and k to at least 0 (NaN is
    /// treated as too small), then rebuilds unless the clamped values equal the current ones.
    void rebuild(int du, int dv, double h, double k);

    int getDU() const { return m_du; }
    int getDV() const { return m_dv; }
    double getH() const { return m_h; }
    double getK() const { return m_k; }

    /// Reads the mesh, then "du", "dv", "h", "k" (the current values as defaults), then
    /// rebuilds; when they equal the current values the mesh read is kept.
    void read(XML& xml) override;
    void write(XML& xml) override;

private:
    int m_du = 0;
    int m_dv = 0;
    double m_h = 0;
    double m_k = 0;
};

/// The settings section holding the Coolinoid values.
inline constexpr const char* kCoolinoidSection = "Settings\\Coolinoid";
