// Drives an exhaustive strategy from the idle loop to its end. The unfolding library is
// loaded by name, so the strategy is used only through the base's virtual operations.
#include "vorn/core/EnumerationRun.h"

#include <chrono>
#include <cmath>

#include "common/IdleLoop.h"
#include "common/XML.h"
#include "scene/Factory.h"
#include "scene/mesh/MeshData.h"
#include "scene/mesh/PolyMesh.h"
#include "unfolders/engine/Unfolder.h"
#include "vorn/core/AttachStrategy.h"
#include "vorn/core/StrategyCatalogue.h"

bool IsEnumeratingStrategy(const std::string& className) {
    return className == "SpannedUnfolder" || className == "IterativeTreeUnfolder" ||
           className == "PrecomputedTreeUnfolder" || className == "TotalUnfolder";
}

bool RunEnumeration(PolyMesh& mesh, const EnumerationOptions& options, EnumerationResult& result,
                    std::string& error) {
    Factory* factory = FindStrategy(options.strategy);
    if (!factory) {
        error = UnknownStrategyMessage(options.strategy);
        return false;
    }
    const std::string name(factory->getClassName());
    if (!IsEnumeratingStrategy(name)) {
        error = name + " does not enumerate candidate nets; choose SpannedUnfolder, "
                       "IterativeTreeUnfolder, PrecomputedTreeUnfolder or TotalUnfolder";
        return false;
    }
    if (mesh.getPolyCount() == 0) {
        error = "the mesh has no faces to unfold";
        return false;
    }
    if (const int parts = mesh.toMeshData().countComponents(); parts > 1) {
        error = "the mesh has " + std::to_string(parts) + " components: no net joins all its faces";
        return false;
    }
    SceneObj* attached = AttachStrategy(mesh, *factory, &error);
    if (!attached)
        return false;
    auto* u = static_cast<Unfolder*>(attached);
    if (options.limit > 0)
        u->setCandidateLimit(options.limit);
    if (!u->getRefusal().empty()) {
        error = u->getRefusal() + " (raise it with --limit)";
        return false;
    }
    // Every success is counted and the search goes on to the end.
    XML countAll(name);
    countAll.add("DisableTerminateOnSuccess", true);
    // Only the counts are wanted: a strategy that can judge a candidate without laying
    // it out does so, and lays out a net only to show at the end.
    countAll.add("JudgeOnly", true);
    u->read(countAll);

    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    Clock::time_point lastReport = start;
    auto seconds = [&](Clock::time_point t) {
        return std::chrono::duration<double>(t - start).count();
    };
    long long ticks = 0;
    while (!u->isDone()) {
        OnSystemIdle();
        SceneObj::ProcessDelayedOperations();
        // The clock is read now and then: a tick may take well under a microsecond.
        if (options.progress && (++ticks & 0xFF) == 0) {
            const Clock::time_point now = Clock::now();
            if (std::chrono::duration<double>(now - lastReport).count() >=
                options.progressSeconds) {
                lastReport = now;
                options.progress({u->getProgress(), double(u->getNumUnfoldings()),
                                  u->getSuccessCount(), seconds(now)});
            }
        }
    }
    result.strategy = name;
    result.candidates = u->getNumUnfoldings();
    result.successes = u->getSuccessCount();
    result.seconds = seconds(Clock::now());
    result.finished = u->getRefusal().empty();
    return true;
}
