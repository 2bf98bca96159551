#pragma once

#include "scene/mesh/PolyMesh.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

/// One parameter of a shape as users set it by name (command line, batch scripts).
struct ShapeParam {
    enum class Kind { Int, Double, Bool };
    const char* name;
    Kind kind;
    /// The value used when none is given, as text.
    const char* def;
    /// Whole numbers above this are refused: they would need more memory than a test mesh
    /// should (0 for no limit).
    long max = 0;
};

/// A parametric shape that can be built by name with its parameters.
struct ShapeInfo {
    const char* className;
    const char* summary;
    std::vector<ShapeParam> params;
};

/// Coolinoid, WitchHat, BinTree and MathFn with their parameters and defaults.
const std::vector<ShapeInfo>& GetShapeCatalogue();
const ShapeInfo* FindShape(const std::string& className);

/// Builds the shape `className` with `values` (parameter name to text; missing ones take
/// their defaults) rebuilt once. Null with the reason in `error` for an unknown shape or
/// parameter, or a value that is not a number of the parameter's kind, is negative where
/// a count is meant, is not finite or exceeds the parameter's limit; the message names the
/// parameter. Values the shape clamps (a Coolinoid du of 1) are clamped, not refused.
std::unique_ptr<PolyMesh> BuildShape(const std::string& className,
                                     const std::map<std::string, std::string>& values,
                                     std::string& error);
