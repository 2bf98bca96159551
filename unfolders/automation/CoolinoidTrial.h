#pragma once

#include <string>

class LocalCache;

/// The strategy the sweeps judge coolinoids with unless told otherwise.
inline constexpr const char* kDefaultSweepStrategy = "FastUnravelUnfolder";

/// How one point of a sweep was answered.
struct CoolinoidTrialResult {
    bool unfoldable = false;
    /// A coolinoid was built and unfolded (false: the cache answered).
    bool computed = false;
    /// The coolinoid or the strategy could not be built by name (then nothing is recorded).
    bool unavailable = false;
};

/// Is-unfoldable(dim, h, k): the cached answer when the cache (or its database) knows the
/// point; otherwise builds a "Coolinoid" with du = dv = dim and the strategy by name, steps
/// the strategy until it is done or its net holds more than half the faces (which counts as
/// unfoldable), records the answer in the cache and returns it. Safe to call from several
/// threads at once; status messages are shown only when `showStatus` is set.
CoolinoidTrialResult IsUnfoldable(LocalCache& cache, int dim, double h, double k,
                                  const std::string& strategy = kDefaultSweepStrategy,
                                  bool showStatus = true);
