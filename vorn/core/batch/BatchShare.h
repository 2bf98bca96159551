#pragma once

#include <cstddef>
#include <string>

class BatchRunner;

/// The messages between the processes that share one batch run (the ranks of an
/// MPI job, or threads standing in for them in a test). Process 0 keeps the
/// results; the others send it what they found. Messages from one process arrive
/// in the order they were sent.
class BatchPeers {
public:
    virtual ~BatchPeers() = default;
    virtual int rank() const = 0;
    virtual int size() const = 0;
    /// From a process other than 0: sends `bytes` to process 0. May return before
    /// process 0 has taken it, but not long before: a process runs at most a block
    /// or two ahead of the one keeping the results. False with `error` on failure.
    virtual bool sendToFirst(const std::string& bytes, std::string& error) = 0;
    /// On process 0: the next message from process `from`. False with `error`.
    virtual bool receiveFrom(int from, std::string& bytes, std::string& error) = 0;
    /// Waits until every message sent has been taken. False with `error`.
    virtual bool finishSending(std::string& error) = 0;
};

/// Tests are dealt in blocks, block b to process b mod P: large enough that few
/// messages are sent, small enough that every process gets several (one test a
/// block when there are only a few tests). `totalTests` may be BatchPlan::kEndless.
size_t BatchBlockSize(size_t totalTests, int processes);

/// Runs this process's share of the run `runner` was started with. Every test keeps
/// the seed it has in a run on one thread, and process 0 takes the tests into its
/// results in test order, so its results.csv is the one `run(1)` writes. Process 0
/// ends when every test is taken in or a stop was requested (the other processes
/// are then left waiting and must be ended by the caller); the others when they
/// have no more blocks. False with `error` when a message failed or did not parse.
bool RunSharedBatch(BatchRunner& runner, BatchPeers& peers, std::string& error);
