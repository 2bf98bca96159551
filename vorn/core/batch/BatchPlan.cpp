#include "vorn/core/batch/BatchPlan.h"

#include "scene/mesh/PolyMesh.h"

std::string StripTrailingSeparators(std::string folder) {
    while (folder.size() > 1 && (folder.back() == '/' || folder.back() == '\\'))
        folder.pop_back();
    return folder;
}

unsigned BatchTestSeed(unsigned runSeed, size_t index) {
    // SplitMix64 of the pair: neighbouring indices get unrelated seeds.
    uint64_t z = (uint64_t(runSeed) << 32) ^ uint64_t(index);
    z += 0x9e3779b97f4a7c15ULL;
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return unsigned(z ^ (z >> 31));
}

size_t BatchPlan::totalTests() const {
    if (!repeatMode)
        return tests.size();
    if (options.maxRounds == 0 || tests.size() == 0)
        return tests.size() == 0 ? 0 : kEndless;
    if (options.maxRounds > kEndless / tests.size())
        return kEndless;
    return tests.size() * options.maxRounds;
}

void BatchPlan::copyCurrentModel(PolyMesh& mesh) const {
    std::lock_guard<std::mutex> lock(currentModelMutex);
    if (currentModel)
        currentModel->copy(mesh);
    else
        mesh.clear();
}

std::unique_ptr<BatchPlan> MakeBatchPlan(const BatchOptions& options) {
    auto plan = std::make_unique<BatchPlan>();
    plan->options = options;
    plan->options.recordTo = StripTrailingSeparators(options.recordTo);
    plan->options.modelPath = StripTrailingSeparators(options.modelPath);
    for (const std::string& text : options.tests)
        plan->tests.add(ParseTestText(text, options.sceneName));
    plan->repeatMode = options.strategies.size() == 1 &&
                       options.strategies.front().displayName == "Quick Random Cut";
    if (options.currentModel) {
        plan->currentModel = std::make_unique<PolyMesh>();
        options.currentModel->copy(*plan->currentModel);
    }
    return plan;
}
