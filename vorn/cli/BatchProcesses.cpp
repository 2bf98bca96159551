#include "vorn/cli/BatchProcesses.h"

#include <cstdlib>
#include <string>

namespace {

class AloneProcess final : public BatchProcesses, private BatchPeers {
public:
    int rank() const override { return 0; }
    int size() const override { return 1; }
    bool shareChoices(std::string&, std::string&) override { return true; }
    BatchPeers& peers() override { return *this; }
    [[noreturn]] void abortAll(int exitCode) override { std::exit(exitCode); }

private:
    // Alone, there is nobody to send to: RunSharedBatch never calls these.
    bool sendToFirst(const std::string&, std::string& error) override {
        error = "no other process to send to";
        return false;
    }
    bool receiveFrom(int, std::string&, std::string& error) override {
        error = "no other process to receive from";
        return false;
    }
    bool finishSending(std::string&) override { return true; }
};

} // namespace

int LaunchedJobSize() {
    for (const char* name : {"OMPI_COMM_WORLD_SIZE", "PMIX_SIZE", "PMI_SIZE"}) {
        const char* value = std::getenv(name);
        if (!value || !*value)
            continue;
        char* end = nullptr;
        const long size = std::strtol(value, &end, 10);
        if (*end == '\0' && size > 0 && size < 1L << 24)
            return int(size);
    }
    return 0;
}

std::unique_ptr<BatchProcesses> MakeAloneProcess() {
    return std::make_unique<AloneProcess>();
}
