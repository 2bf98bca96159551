// The batch command's processes in a build with MPI: the ranks of the job mpirun
// started, or this process alone when it was started without a launcher.
#include "vorn/cli/BatchProcesses.h"

#include <mpi.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <vector>

namespace {

/// The one tag of the results messages: MPI keeps messages between two ranks in
/// order, so each block is simply the next message from its rank.
constexpr int kResultsTag = 1;

std::string mpiError(const char* what, int code) {
    char text[MPI_MAX_ERROR_STRING];
    int length = 0;
    if (MPI_Error_string(code, text, &length) != MPI_SUCCESS)
        length = 0;
    return std::string(what) + ": " + std::string(text, size_t(length));
}

class MpiProcesses final : public BatchProcesses, private BatchPeers {
public:
    MpiProcesses(int rank, int size) : m_rank(rank), m_size(size) {}
    ~MpiProcesses() override {
        std::string ignored;
        // Process 0 that stopped before sharing the choices releases the waiting ranks.
        if (m_rank == 0 && !m_shared) {
            std::string none;
            shareChoices(none, ignored);
        }
        finishSending(ignored);
        MPI_Finalize();
    }

    int rank() const override { return m_rank; }
    int size() const override { return m_size; }
    BatchPeers& peers() override { return *this; }
    [[noreturn]] void abortAll(int exitCode) override {
        MPI_Abort(MPI_COMM_WORLD, exitCode);
        std::exit(exitCode); // MPI_Abort does not return; this keeps the promise if it did
    }

    bool shareChoices(std::string& choices, std::string& error) override {
        m_shared = true;
        unsigned long long length = choices.size();
        if (int code = MPI_Bcast(&length, 1, MPI_UNSIGNED_LONG_LONG, 0, MPI_COMM_WORLD))
            return (error = mpiError("sharing the batch choices", code)), false;
        if (length > INT_MAX)
            return (error = "the batch choices are too long to share"), false;
        choices.resize(size_t(length));
        if (length == 0)
            return true;
        if (int code = MPI_Bcast(choices.data(), int(length), MPI_CHAR, 0, MPI_COMM_WORLD))
            return (error = mpiError("sharing the batch choices", code)), false;
        return true;
    }

private:
    bool sendToFirst(const std::string& bytes, std::string& error) override {
        // One send in flight: this rank works on its next block while process 0 has
        // not yet taken the last, but never runs further ahead (a synchronous send
        // completes only once the receive has begun).
        if (!finishSending(error))
            return false;
        if (bytes.size() > INT_MAX)
            return (error = "a block of results is too long to send"), false;
        m_sending = bytes;
        if (int code = MPI_Issend(m_sending.data(), int(m_sending.size()), MPI_CHAR, 0,
                                  kResultsTag, MPI_COMM_WORLD, &m_request))
            return (error = mpiError("sending results", code)), false;
        m_pending = true;
        return true;
    }

    bool receiveFrom(int from, std::string& bytes, std::string& error) override {
        MPI_Status status;
        if (int code = MPI_Probe(from, kResultsTag, MPI_COMM_WORLD, &status))
            return (error = mpiError("waiting for results", code)), false;
        int count = 0;
        MPI_Get_count(&status, MPI_CHAR, &count);
        bytes.resize(size_t(std::max(count, 0)));
        if (int code = MPI_Recv(bytes.data(), count, MPI_CHAR, from, kResultsTag,
                                MPI_COMM_WORLD, MPI_STATUS_IGNORE))
            return (error = mpiError("receiving results", code)), false;
        return true;
    }

    bool finishSending(std::string& error) override {
        if (!m_pending)
            return true;
        m_pending = false;
        if (int code = MPI_Wait(&m_request, MPI_STATUS_IGNORE))
            return (error = mpiError("sending results", code)), false;
        return true;
    }

    int m_rank = 0;
    int m_size = 1;
    bool m_shared = false;
    bool m_pending = false;
    std::string m_sending;
    MPI_Request m_request = MPI_REQUEST_NULL;
};

} // namespace

std::unique_ptr<BatchProcesses> JoinBatchProcesses(std::string& error) {
    if (LaunchedJobSize() == 0)
        return MakeAloneProcess(); // started without a launcher: MPI is not started
    // Errors come back as codes, so that each can be reported as one line.
    if (int code = MPI_Init(nullptr, nullptr)) {
        error = mpiError("MPI could not start", code);
        return nullptr;
    }
    MPI_Comm_set_errhandler(MPI_COMM_WORLD, MPI_ERRORS_RETURN);
    int rank = 0, size = 1;
    MPI_Comm_rank(MPI_COMM_WORLD, &rank);
    MPI_Comm_size(MPI_COMM_WORLD, &size);
    return std::make_unique<MpiProcesses>(rank, size);
}
