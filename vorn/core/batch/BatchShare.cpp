#include "vorn/core/batch/BatchShare.h"

#include "vorn/core/batch/BatchPlan.h"
#include "vorn/core/batch/BatchRunner.h"
#include "vorn/core/batch/BatchWire.h"

#include <algorithm>
#include <vector>

namespace {

/// A block of at most this many tests: a small polyhedron unfolds in well under a
/// millisecond, so a message per test would cost more than the test.
constexpr size_t kLargestBlock = 64;
/// Each process should get about this many blocks, so that the last ones to finish
/// do not leave the others idle for long.
constexpr size_t kBlocksPerProcess = 16;

size_t blockEnd(size_t first, size_t blockSize, size_t total) {
    return blockSize > total - first ? total : first + blockSize;
}

bool sendShare(BatchRunner& runner, BatchPeers& peers, size_t total, size_t blockSize,
               std::string& error) {
    const size_t processes = size_t(peers.size());
    for (size_t block = size_t(peers.rank());; block += processes) {
        if (block > total / blockSize)
            break;
        const size_t first = block * blockSize;
        if (first >= total)
            break;
        std::vector<BatchTestOutcome> outcomes;
        for (size_t index = first; index < blockEnd(first, blockSize, total); ++index)
            outcomes.push_back(runner.runTest(index));
        if (!peers.sendToFirst(EncodeBatchOutcomes(outcomes), error))
            return false;
    }
    return peers.finishSending(error);
}

bool keepResults(BatchRunner& runner, BatchPeers& peers, size_t total, size_t blockSize,
                 std::string& error) {
    const size_t processes = size_t(peers.size());
    for (size_t block = 0; runner.isRunning(); ++block) {
        const size_t first = block * blockSize;
        const size_t end = blockEnd(first, blockSize, total);
        const int owner = int(block % processes);
        std::vector<BatchTestOutcome> outcomes;
        if (owner == 0) {
            for (size_t index = first; index < end; ++index)
                outcomes.push_back(runner.runTest(index));
        } else {
            std::string bytes;
            if (!peers.receiveFrom(owner, bytes, error))
                return false;
            if (!DecodeBatchOutcomes(bytes, outcomes) || outcomes.size() != end - first) {
                error = "the results of process " + std::to_string(owner) + " for tests " +
                        std::to_string(first + 1) + " to " + std::to_string(end) +
                        " arrived damaged";
                return false;
            }
        }
        for (const BatchTestOutcome& outcome : outcomes) {
            if (!runner.takeOutcome(outcome)) {
                error = "process " + std::to_string(owner) + " sent test " +
                        std::to_string(outcome.index + 1) + " where test " +
                        std::to_string(runner.getTestsDone() + 1) + " was due";
                return false;
            }
        }
    }
    return true;
}

} // namespace

size_t BatchBlockSize(size_t totalTests, int processes) {
    if (totalTests == BatchPlan::kEndless)
        return kLargestBlock;
    const size_t share = totalTests / (size_t(std::max(processes, 1)) * kBlocksPerProcess);
    return std::clamp<size_t>(share, 1, kLargestBlock);
}

bool RunSharedBatch(BatchRunner& runner, BatchPeers& peers, std::string& error) {
    const size_t total = runner.getTotalTests();
    const size_t blockSize = BatchBlockSize(total, peers.size());
    if (peers.rank() == 0)
        return keepResults(runner, peers, total, blockSize, error);
    return sendShare(runner, peers, total, blockSize, error);
}
