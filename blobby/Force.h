#pragma once

#include "sorvex/M3d.h"

/// A scalar field. The implicit surface is the 0.5 level set of the sum of the forces
/// below a MetaSurface; the polygoniser sees only this interface.
class Force {
public:
    virtual ~Force() = default;
    /// The field value at `p` (in the frame of the force's parent).
    virtual double F(Sorvex::M3d& p) = 0;
    double operator()(Sorvex::M3d& p) { return F(p); }
};
