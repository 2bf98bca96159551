#pragma once

#include "vorn/core/sweep/SweepPlan.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class PolyMesh;

/// The answers of one 2D sweep at one dim: cell (i, j) is h = h.min + i * step,
/// k = k.min + j * step; 1 unfoldable, 0 not, -1 unknown.
struct SweepMap {
    int dim = 0;
    SweepRange h, k;
    std::vector<int> cells; ///< row by row (j), h.steps + 1 per row
    int at(int i, int j) const { return cells[size_t(j) * size_t(h.steps + 1) + size_t(i)]; }
};

/// Progress of a running sweep: points (2D) or octree cells (3D) done and known so far.
using SweepProgress = std::function<void(long done, long total)>;

/// Runs the sweeps of a plan headlessly through the sweep objects the unfolding library
/// registers ("UnfolderAutomator", "UnfolderAutomator3D"), as the Coolinoid panel builds
/// them. The answers go to the shared result cache; it is flushed when the run ends.
class SweepRunner {
public:
    /// False, with one line in `error`, when the unfolding library or the strategy is
    /// missing or the plan cannot be run.
    static bool Check(const SweepPlan& plan, std::string& error);

    /// One map per dim, in dim order. Empty with `error` set when the sweep could not start.
    static std::vector<SweepMap> Run2D(const SweepPlan& plan, const SweepProgress& progress,
                                       std::string& error);
    /// The boundary surface, streamed to the plan's file and read back from it; null with
    /// `error` set when no surface was found or the file could not be written.
    static std::unique_ptr<PolyMesh> Run3D(const SweepPlan& plan, const SweepProgress& progress,
                                           std::string& streamedTo, std::string& error);
};
