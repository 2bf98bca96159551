#pragma once

#include <functional>
#include <string>

class PolyMesh;

/// What one run of an exhaustive strategy found.
struct EnumerationResult {
    std::string strategy;
    /// The candidates of the run: spanning trees, tree maps or attachment orders.
    double candidates = 0;
    /// Candidates laid out without overlap.
    long long successes = 0;
    double seconds = 0;
    /// The run went through every candidate.
    bool finished = false;
};

/// How the run went so far, for a progress line.
struct EnumerationProgress {
    float share = 0;
    double candidates = 0;
    long long successes = 0;
    double seconds = 0;
};

struct EnumerationOptions {
    /// The class or display name of a strategy that tries candidates one by one.
    std::string strategy = "SpannedUnfolder";
    /// The most candidates to try; 0 keeps the strategy's own limit.
    double limit = 0;
    /// Called about every `progressSeconds` while the run goes on.
    std::function<void(const EnumerationProgress&)> progress;
    double progressSeconds = 1.0;
};

/// Runs an exhaustive strategy over `mesh` until it has tried every candidate, counting
/// every success rather than stopping at the first. The same service backs
/// "vorn-cli enumerate" and the workbench. The strategy is attached to the mesh, as by
/// Unfold With, and stays there with the last net it laid. False with `error` when the
/// strategy is unknown or not a search, the mesh cannot be unfolded into one net, or the
/// candidates exceed the limit (the strategy's reason).
bool RunEnumeration(PolyMesh& mesh, const EnumerationOptions& options, EnumerationResult& result,
                    std::string& error);

/// The strategies RunEnumeration runs, by class name.
bool IsEnumeratingStrategy(const std::string& className);
