#include "vorn/core/batch/BatchTestRun.h"

#include "common/IdleLoop.h"
#include "common/Random.h"
#include "common/XML.h"
#include "scene/Factory.h"
#include "unfolders/engine/Unfolder.h"
#include "vorn/core/FiniteNet.h"
#include "vorn/core/batch/BatchPlan.h"
#include "vorn/core/batch/TestLabels.h"

#include <filesystem>

BatchTestRun::BatchTestRun(const BatchPlan& plan, size_t index)
    : m_plan(plan), m_mesh(std::make_unique<PolyMesh>()) {
    m_outcome.index = index;
    vornSrand(BatchTestSeed(plan.options.seed, index));
    prepareMesh();
}

BatchTestRun::~BatchTestRun() {
    // The mesh deletes its unfolder child with it.
    m_mesh.reset();
}

void BatchTestRun::prepareMesh() {
    const BatchTestEntry& entry = m_plan.entryOf(m_outcome.index);
    const BatchOptions& options = m_plan.options;
    m_outcome.testName = entry.testName;
    m_outcome.label = entry.testName;
    m_outcome.counting = m_plan.repeatMode;
    switch (entry.kind) {
    case BatchTestKind::RandomSeries:
        MakeRandomPolyhedron(*m_mesh, options.varyRandoms, options.randomBuilder);
        m_outcome.counting = true;
        if (options.varyRandoms)
            m_outcome.label = FaceCountBucket(int(m_mesh->getPolyCount()));
        break;
    case BatchTestKind::RandomSingle:
        MakeRandomPolyhedron(*m_mesh, options.varyRandoms, options.randomBuilder);
        break;
    case BatchTestKind::CurrentModel:
        m_plan.copyCurrentModel(*m_mesh);
        break;
    case BatchTestKind::ModelFile:
        // The file is found by its own name: the test name's upper-cased
        // first letter would miss it on a case-sensitive file system.
        if (std::string why;
            auto loaded = LoadTestModel(options.modelPath + "/" + entry.listText, &why)) {
            m_mesh = std::move(loaded);
        } else {
            // Every strategy fails this test without running: an empty net is no success.
            m_outcome.messages.push_back(why);
            m_unusable = true;
        }
        break;
    }
}

bool BatchTestRun::isFinished() const {
    return !m_unfolder && m_strategy >= m_plan.options.strategies.size();
}

std::string BatchTestRun::getCurrentStrategy() const {
    return isFinished() ? std::string() : m_plan.options.strategies[m_strategy].displayName;
}

bool BatchTestRun::work(Clock::time_point deadline) {
    // At least one idle step per call, so that even a spent budget makes progress.
    bool stepped = false;
    while (!isFinished()) {
        if (!m_unfolder)
            startUnfolder();
        while (m_unfolder && !m_unfolder->isDone()) {
            if (stepped && Clock::now() >= deadline)
                return false;
            try {
                m_unfolder->onSystemIdle();
                SceneObj::ProcessDelayedOperations();
            } catch (...) {
                // A strategy that throws is a failed unfolding, not the end of the run.
                m_threw = true;
                break;
            }
            stepped = true;
        }
        finishUnfolder();
    }
    return true;
}

void BatchTestRun::startUnfolder() {
    const OfferedStrategy& strategy = m_plan.options.strategies[m_strategy];
    if (onStrategyStart)
        onStrategyStart(strategy.displayName);
    if (m_unusable)
        return; // recorded as a failure with no progress
    Factorable* built = strategy.factory ? strategy.factory->newInstance() : nullptr;
    if (!built)
        return; // an abstract class: recorded as a failure with no progress
    // Only factories listed under "Unfolder" are offered, so this is one.
    auto* unfolder = static_cast<Unfolder*>(built);
    // This run steps its unfolder itself; the process-wide idle loop must
    // not step it too, possibly from another thread.
    UnregisterSystemIdleHandler(unfolder);
    bool attached = false;
    try {
        attached = unfolder->setParent(m_mesh.get());
    } catch (...) {
        // Strategies refuse input they cannot use by throwing out of setParent.
    }
    if (!attached) {
        delete unfolder;
        return;
    }
    m_unfolder = unfolder;
    m_threw = false;
}

void BatchTestRun::finishUnfolder() {
    const OfferedStrategy& strategy = m_plan.options.strategies[m_strategy];
    BatchUnfolding result;
    result.strategy = strategy.displayName;
    if (m_unfolder) {
        const bool finite = HasFinitePositions(*m_unfolder);
        if (!finite)
            m_outcome.messages.push_back(m_outcome.testName + ": the net of " +
                                         strategy.displayName +
                                         " has positions that are not "
                                         "finite; it counts as a failure");
        result.success = !m_threw && finite && m_unfolder->isSuccesful();
        const float progress = m_unfolder->getProgress();
        const size_t sourceFaces = m_mesh->getPolyCount();
        if (result.success)
            result.score = 1;
        else if (progress < 1 || sourceFaces == 0)
            result.score = progress;
        else if (m_threw)
            result.score = 0;
        else
            result.score = (double(m_unfolder->getPolyCount()) -
                            double(m_unfolder->getConflicts().getVertexCount())) /
                           double(sourceFaces);
        // Only scored tests are drawn; counted ones (series, repeat mode) are not.
        if (m_plan.options.writePdfs && !m_threw && finite && !m_outcome.counting)
            writePdf(strategy.displayName);
    }
    if (!result.success && !m_unusable &&
        (m_plan.options.captureFails || strategy.displayName == "Collision Repair")) {
        XML node("PolyMesh");
        m_mesh->write(node);
        m_outcome.failureXml = node.toString();
    }
    m_outcome.unfoldings.push_back(result);
    delete m_unfolder; // detaches itself from the mesh
    m_unfolder = nullptr;
    m_threw = false;
    ++m_strategy;
}

void BatchTestRun::writePdf(const std::string& strategy) {
    const std::string& folder = m_plan.options.recordTo;
    std::error_code error;
    if (!m_plan.options.pdfWriter || !std::filesystem::is_directory(folder, error))
        return;
    std::string name =
        m_outcome.testName.substr(0, m_outcome.testName.find('.')) + "-" + strategy + ".pdf";
    std::erase_if(name, [](char c) { return c == ' ' || c == '\''; });
    const std::string temporary = folder + "/." + std::to_string(m_outcome.index) + "-" + name;
    std::string reason;
    if (m_plan.options.pdfWriter(*m_unfolder, temporary, reason))
        m_outcome.pdfs.emplace_back(temporary, folder + "/" + name);
    else
        m_outcome.messages.push_back(reason);
}
