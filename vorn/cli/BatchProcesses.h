#pragma once

#include "vorn/core/batch/BatchShare.h"

#include <memory>
#include <string>

/// The processes one "vorn-cli batch" runs in: this one alone, or the ranks of an MPI
/// job when the program was started by mpirun (and built with MPI). Process 0 reads
/// the command line and the stored choices, hands the choices to the others and
/// keeps the results; the others only run their share of the tests.
class BatchProcesses {
public:
    virtual ~BatchProcesses() = default;
    virtual int rank() const = 0;
    virtual int size() const = 0;
    /// Process 0 gives `choices`, the others receive them into it. An empty text
    /// tells the others the run will not take place.
    virtual bool shareChoices(std::string& choices, std::string& error) = 0;
    /// The messages of the shared run (only when size() > 1).
    virtual BatchPeers& peers() = 0;
    /// Ends every process of the job after a failure that leaves the others waiting.
    [[noreturn]] virtual void abortAll(int exitCode) = 0;
};

/// The number of processes the MPI launcher that started this process says the job
/// has (Open MPI's, PMIx's or PMI's variables); 0 when no launcher started it.
int LaunchedJobSize();

/// This process alone, as a batch run without MPI has it.
std::unique_ptr<BatchProcesses> MakeAloneProcess();

/// Joins the MPI job this program runs in, or stands alone: MPI is started only
/// when mpirun (or another launcher) started this process, so a plain run does
/// not depend on an MPI runtime. False with `error` when MPI could not start.
std::unique_ptr<BatchProcesses> JoinBatchProcesses(std::string& error);
