// The batch command's processes in a build without MPI: this process alone.
#include "vorn/cli/BatchProcesses.h"

std::unique_ptr<BatchProcesses> JoinBatchProcesses(std::string& error) {
    // Under mpirun every rank would run the whole batch and write the same file.
    if (LaunchedJobSize() > 1) {
        error = "this vorn-cli was built without MPI and cannot share a batch between "
                "processes; run it without mpirun, or build it with Open MPI installed";
        return nullptr;
    }
    return MakeAloneProcess();
}
