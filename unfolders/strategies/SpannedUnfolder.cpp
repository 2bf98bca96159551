#include "unfolders/strategies/SpannedUnfolder.h"

#include <algorithm>
#include <limits>

#include "common/StatusLine.h"
#include "common/XML.h"

VORN_DEFINE_OFFERED_FACTORY(SpannedUnfolder, "Unfolder")

bool SpannedUnfolder::setParent(SceneObj* parent) {
    if (!Unfolder::setParent(parent))
        return false;
    done = false;
    successes.clear();
    successCount = 0;
    index = 0;
    shown = -1;
    position = -1;
    treeCount = 0;
    trees.reset();
    faceGraph.reset();
    flatJudge.reset();
    flatJudgeMade = false;
    if (!source)
        return true;
    Graph<Poly*> faces;
    for (Poly* f : source->getPolys()) {
        faces.getNeighbors(f); // a face without neighbours is still a vertex
        for (int i = 0; i < f->getVertexCount(); ++i)
            if (Poly* n = f->getNeighbor(i))
                faces.addEdge(f, n);
    }
    faceGraph = std::make_unique<NumberedGraph<Poly*>>(faces);
    trees = std::make_unique<SpanningTreeEnumerator>(faceGraph->makeEnumerator());
    countTrees();
    if (!budget.announce() && treeCount == 0 && source->getPolyCount() > 0)
        StatusMessage("The faces are in several parts: no spanning tree joins them all");
    return true;
}

void SpannedUnfolder::countTrees() {
    const SpanningTreeCount count = faceGraph->countTrees(budget.getLimit());
    budget.setEstimate(count);
    treeCount = (long long)std::min(count.count, 9.0e18);
}

bool SpannedUnfolder::seek(long long i) {
    if (!trees)
        return false;
    if (i <= position) {
        trees->restart();
        position = -1;
    }
    while (position < i) {
        if (!trees->next()) {
            // The enumeration is the authority on how many trees there are.
            treeCount = position + 1;
            return false;
        }
        ++position;
    }
    return true;
}

void SpannedUnfolder::judge(Tree<Poly*>& tree, long long i) {
    // Laying out chooses the starting face again, which would restart the idle count.
    const int ticks = idleCount;
    unfoldToNet(tree);
    idleCount = ticks;
    if (getDrawHull())
        rebuildHull();
    findConflicts();
    shown = i;
    if (isSuccesful() && i >= 0)
        recordSuccess(i);
}

void SpannedUnfolder::recordSuccess(long long i) {
    if (size_t(i) >= successes.size())
        successes.resize(size_t(i) + 1, false);
    if (!successes[size_t(i)]) {
        successes[size_t(i)] = true;
        ++successCount;
    }
}

void SpannedUnfolder::onSpanningFound(Tree<Poly*>& tree) {
    judge(tree, index);
}

void SpannedUnfolder::unfold() {
    if (!source || budget.isRefused() || treeCount == 0) {
        done = true;
        return;
    }
    if (judgeOnly && judgeWithoutLayouts())
        return;
    if (seek(index)) {
        Tree<Poly*> tree;
        faceGraph->buildTree(trees->getTreeEdges(), tree);
        onSpanningFound(tree);
        ++index;
    }
    if (index >= treeCount || position + 1 > treeCount) {
        index = 0;
        done = true;
    }
    onChanged(true);
}

bool SpannedUnfolder::judgeWithoutLayouts() {
    if (!flatJudgeMade) {
        flatJudgeMade = true;
        Poly* start = unfoldingRoot ? unfoldingRoot->getTwin() : nullptr;
        const Sorvex::M4x4* placement = start ? getFaceTransform(start) : nullptr;
        const std::vector<Poly*>& faces = faceGraph->getVertices();
        const auto at = std::find(faces.begin(), faces.end(), start);
        if (placement && at != faces.end()) {
            flatJudge = std::make_unique<FlatTreeJudge>(faces, faceGraph->getEdges(),
                                                        int(at - faces.begin()), *placement);
            if (!flatJudge->canJudge())
                flatJudge.reset();
        }
    }
    if (!flatJudge)
        return false;
    for (int k = 0; k < TreesPerJudgingStep && !done; ++k) {
        if (seek(index)) {
            if (flatJudge->isOverlapFree(trees->getTreeEdges()))
                recordSuccess(index);
            ++index;
        }
        if (index >= treeCount || position + 1 > treeCount) {
            index = 0;
            done = true;
        }
    }
    if (done)
        showFirstSuccess();
    return true;
}

void SpannedUnfolder::showFirstSuccess() {
    long long first = 0;
    while (first < (long long)successes.size() && !successes[size_t(first)])
        ++first;
    if (first == (long long)successes.size())
        first = 0;
    if (seek(first)) {
        Tree<Poly*> tree;
        faceGraph->buildTree(trees->getTreeEdges(), tree);
        judge(tree, first);
    }
    onChanged(true);
}

void SpannedUnfolder::read(XML& xml) {
    Unfolder::read(xml);
    judgeOnly = readBool(xml, "JudgeOnly", judgeOnly);
}

bool SpannedUnfolder::isSuccesful() {
    // Judged for every tree laid, not only once the run is done.
    return source && getPolyCount() == source->getPolyCount() && conflictsValid &&
           conflicts.isEmpty();
}

bool SpannedUnfolder::isSuccess(long long i) const {
    return i >= 0 && size_t(i) < successes.size() && successes[size_t(i)];
}

int SpannedUnfolder::getNumUnfoldings() {
    return int(std::min<long long>(treeCount, std::numeric_limits<int>::max()));
}

float SpannedUnfolder::getProgress() {
    if (done)
        return 1.0f;
    return treeCount > 0 ? float(double(index) / double(treeCount)) : 0.0f;
}

void SpannedUnfolder::nextSuccess() {
    if (successCount == 0 || treeCount == 0)
        return;
    // The first success at or after the index, going round once.
    const long long n = (long long)successes.size();
    const long long start = index < n ? index : 0; // none lie beyond the last success
    for (long long step = 0; step < n; ++step) {
        const long long i = (start + step) % n;
        if (successes[size_t(i)]) {
            index = i;
            break;
        }
    }
    unfold();
}

void SpannedUnfolder::selectUnfolding(long long i) {
    if (treeCount <= 0)
        return;
    index = ((i % treeCount) + treeCount) % treeCount;
}

void SpannedUnfolder::setCandidateLimit(double limit) {
    budget.setLimit(limit);
    // A bound found for the old limit says nothing about the new one.
    if (faceGraph && budget.getEstimate().lowerBound)
        countTrees();
    budget.announce();
}

void SpannedUnfolder::onDone() {
    Unfolder::onDone();
    rebuildHull();
    budget.announce();
}
