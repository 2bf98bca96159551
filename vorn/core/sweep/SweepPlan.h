#pragma once

#include <string>
#include <vector>

/// One swept parameter: `steps` equal steps from `min` to `max` (steps + 1 values).
struct SweepRange {
    double min = 0;
    double max = 0;
    int steps = 0;
};

/// What a coolinoid sweep covers and how it runs; the same for `vorn-cli sweep` and the
/// Coolinoid panel.
struct SweepPlan {
    /// 2D: one (h, k) map per dim from dimMin to dimMax. 3D: the unfoldable region's
    /// boundary over the whole (h, k, dim) box.
    bool threeD = false;
    SweepRange h{4, 16, 50};
    SweepRange k{0.75, 10, 50};
    int dimMin = 20;
    int dimMax = 20;
    /// The strategy's class name; empty for the sweeps' default.
    std::string strategy;
    /// "sqlite:FILE" or "mariadb://HOST:PORT"; empty for the one the settings name.
    std::string database;
    /// 3D: the scene file the surface streams into; empty for the default name.
    std::string streamTo;
    /// 3D: the finest octree level (each level up to eight times the points).
    int refineLevel = 3;
    /// 2D: points evaluated at once.
    int jobs = 1;

    /// Points a 2D sweep evaluates (every dim).
    long pointCount() const;
};

/// Reads "MIN:MAX:STEPS" (finite numbers, 1 to 10000 steps); false with one line in `error`.
bool ParseSweepRange(const std::string& text, SweepRange& out, std::string& error);
/// Reads "N" or "N:M" (3 <= N <= M <= 1000); false with one line in `error`.
bool ParseDimRange(const std::string& text, int& min, int& max, std::string& error);
