#include "vorn/core/sweep/SweepRunner.h"

#include "blobby/MetaSurface.h"
#include "common/IdleLoop.h"
#include "common/XML.h"
#include "scene/Factory.h"
#include "scene/HeightMap.h"
#include "scene/mesh/PolyMesh.h"
#include "vorn/core/StrategyCatalogue.h"

#include <memory>

namespace {

/// The XML node the sweep objects read: the panel's ranges plus the runner's own choices.
std::unique_ptr<XML> sweepNode(const SweepPlan& plan, const char* name, int dim) {
    auto xml = std::make_unique<XML>(name);
    XML* h = xml->add("h");
    h->add("min", plan.h.min);
    h->add("max", plan.h.max);
    h->add("steps", plan.h.steps);
    XML* k = xml->add("k");
    k->add("min", plan.k.min);
    k->add("max", plan.k.max);
    k->add("steps", plan.k.steps);
    XML* d = xml->add("dim", double(dim));
    d->add("min", plan.dimMin);
    d->add("max", plan.dimMax);
    if (!plan.strategy.empty())
        xml->add("strategy", plan.strategy);
    if (!plan.database.empty())
        xml->add("database", plan.database);
    xml->add("jobs", plan.jobs);
    if (!plan.streamTo.empty())
        xml->add("stream", plan.streamTo);
    return xml;
}

/// A coolinoid for the sweep object to hang under, as in the workbench.
std::unique_ptr<SceneObj> buildHolder(std::string& error) {
    std::unique_ptr<Factorable> built(Factory::BuildObj("Coolinoid"));
    if (!dynamic_cast<SceneObj*>(built.get())) {
        error = "the Coolinoid shape is not in this build";
        return nullptr;
    }
    return std::unique_ptr<SceneObj>(static_cast<SceneObj*>(built.release()));
}

} // namespace

bool SweepRunner::Check(const SweepPlan& plan, std::string& error) {
    const char* sweepClass = plan.threeD ? "UnfolderAutomator3D" : "UnfolderAutomator";
    if (!Factory::GetFactory(sweepClass)) {
        error = std::string("the parameter sweeps (") + sweepClass +
                ") are not in this build: the unfolding library did not load";
        return false;
    }
    const std::string strategy = plan.strategy.empty() ? "FastUnravelUnfolder" : plan.strategy;
    if (!Factory::GetFactory(strategy)) {
        error = "the strategy " + strategy + " is not in this build; choose one with --strategy";
        return false;
    }
    if (plan.threeD && (plan.h.min == plan.h.max || plan.k.min == plan.k.max ||
                        plan.dimMin == plan.dimMax)) {
        error = "a 3D sweep needs h, k and dim ranges that are not empty";
        return false;
    }
    return true;
}

std::vector<SweepMap> SweepRunner::Run2D(const SweepPlan& plan, const SweepProgress& progress,
                                         std::string& error) {
    std::vector<SweepMap> maps;
    if (!Check(plan, error))
        return maps;
    std::unique_ptr<SceneObj> holder = buildHolder(error);
    if (!holder)
        return maps;
    const long total = plan.pointCount();
    long done = 0;
    for (int dim = plan.dimMin; dim <= plan.dimMax; ++dim) {
        std::unique_ptr<Factorable> built(Factory::BuildObj("UnfolderAutomator"));
        auto* map = dynamic_cast<HeightMap*>(built.get());
        auto* sweep = dynamic_cast<SystemIdleHandler*>(built.get());
        if (!map || !sweep) {
            error = "the 2D sweep could not be built";
            return {};
        }
        built.release();
        map->setParent(holder.get());
        map->read(*sweepNode(plan, "UnfolderAutomator", dim));
        // Each tick is one row of h values; the sweep objects are driven directly rather
        // than through the idle loop, so no other handler runs in between.
        for (int row = 0; row <= plan.k.steps; ++row) {
            sweep->onSystemIdle();
            done += plan.h.steps + 1;
            if (progress)
                progress(done, total);
        }
        SweepMap result{dim, plan.h, plan.k, {}};
        for (int j = 0; j <= plan.k.steps; ++j)
            for (int i = 0; i <= plan.h.steps; ++i)
                result.cells.push_back(map->isKnown(i, j) ? int(map->getHeight(i, j)) : -1);
        maps.push_back(std::move(result));
        delete map;
    }
    // Sends every answer to the database before the run is over.
    CleanupIdleHandlers();
    return maps;
}

std::unique_ptr<PolyMesh> SweepRunner::Run3D(const SweepPlan& plan, const SweepProgress& progress,
                                             std::string& streamedTo, std::string& error) {
    if (!Check(plan, error))
        return nullptr;
    std::unique_ptr<SceneObj> holder = buildHolder(error);
    if (!holder)
        return nullptr;
    std::unique_ptr<Factorable> built(Factory::BuildObj("UnfolderAutomator3D"));
    auto* surface = dynamic_cast<MetaSurface*>(built.get());
    if (!surface) {
        error = "the 3D sweep could not be built";
        return nullptr;
    }
    built.release();
    surface->setParent(holder.get());
    SweepPlan streaming = plan;
    if (streaming.streamTo.empty())
        streaming.streamTo = "coolinoid-unfoldability.xml";
    surface->setMaxLevel(plan.refineLevel);
    surface->read(*sweepNode(streaming, "UnfolderAutomator3D", plan.dimMin));
    streamedTo = streaming.streamTo;
    // Cells streamed to the file do not stay in the surface: count the steps instead.
    long steps = 0;
    do {
        surface->refine(1);
        ++steps;
        if (progress)
            progress(steps, steps + long(surface->getOctreesInProgress().size()));
    } while (!surface->isDone());
    CleanupIdleHandlers();
    // The surface read back from the stream is the automator's plain PolyMesh child.
    for (SceneObj* child : surface->getChildren())
        if (child->getClassName() == "PolyMesh") {
            auto* mesh = static_cast<PolyMesh*>(child);
            mesh->setParent(nullptr);
            return std::unique_ptr<PolyMesh>(mesh);
        }
    error = "no boundary between unfoldable and not-unfoldable coolinoids was found in the box "
            "(or the stream file " + streamedTo + " could not be written)";
    return nullptr;
}
