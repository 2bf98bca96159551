#include "unfolders/automation/CoolinoidTrial.h"

#include "common/StatusLine.h"
#include "common/XML.h"
#include "scene/Factory.h"
#include "scene/mesh/PolyMesh.h"
#include "unfolders/automation/LocalCache.h"
#include "unfolders/engine/Unfolder.h"

#include <memory>

CoolinoidTrialResult IsUnfoldable(LocalCache& cache, int dim, double h, double k,
                                  const std::string& strategy, bool showStatus) {
    CoolinoidTrialResult result;
    if (const auto known = cache.find(h, k, dim)) {
        result.unfoldable = *known;
        return result;
    }
    if (const auto shared = cache.findInDatabase(h, k, dim)) {
        result.unfoldable = *shared;
        return result;
    }
    std::unique_ptr<Factorable> built(Factory::BuildObj("Coolinoid"));
    auto* coolinoid = dynamic_cast<PolyMesh*>(built.get());
    std::unique_ptr<Factorable> builtUnfolder(Factory::BuildObj(strategy));
    auto* unfolder = dynamic_cast<Unfolder*>(builtUnfolder.get());
    if (!coolinoid || !unfolder) {
        result.unavailable = true;
        return result;
    }
    if (showStatus)
        StatusMessage("[%i] AutoUnfolding : (%f, %f, %i) :", int(cache.getQueueLength()), h, k,
                      dim);
    XML params("Coolinoid");
    params.add("h", h);
    params.add("k", k);
    params.add("du", dim);
    params.add("dv", dim);
    coolinoid->read(params);
    const size_t half = coolinoid->getPolyCount() / 2;

    // The coolinoid owns the unfolder once attached; it is deleted first all the same.
    unfolder->setParent(coolinoid);
    builtUnfolder.release();
    bool answer = false;
    bool overHalf = false;
    while (!unfolder->isDone()) {
        if (unfolder->getPolyCount() > half) {
            overHalf = true;
            break;
        }
        unfolder->unfold();
    }
    answer = overHalf || unfolder->getPolyCount() > half || unfolder->isSuccesful();
    delete unfolder;

    cache.record(h, k, dim, answer);
    if (showStatus)
        StatusMessage("[%i] AutoUnfolding : (%f, %f, %i) : %s", int(cache.getQueueLength()), h,
                      k, dim, answer ? "Success" : "Failed");
    result.unfoldable = answer;
    result.computed = true;
    return result;
}
