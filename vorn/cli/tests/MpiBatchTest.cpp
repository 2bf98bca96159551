// "mpirun -np 3 vorn-cli batch": the ranks share the tests and the first writes the
// results file a run on one thread writes.
#include <gtest/gtest.h>

#include "tests/support/TempDir.h"
#include "vorn/cli/tests/CliRun.h"

#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace {

class MpiBatch : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* folder : {"config", "data", "models"})
            fs::create_directories(dir / folder);
        for (const char* name : {"cube.off", "l-prism.ply", "octahedron.stl"})
            fs::copy_file(fs::path(VORN_SOURCE_DIR) / "examples" / name, dir / "models" / name);
    }

    std::string environment() const {
        // Open MPI refuses to start as root (CI runs as root) unless told it may.
        return "OMPI_ALLOW_RUN_AS_ROOT=1 OMPI_ALLOW_RUN_AS_ROOT_CONFIRM=1 "
               "VORN_CONFIG_DIR='" +
               (dir / "config").string() + "' VORN_DATA_DIR='" + (dir / "data").string() + "'";
    }
    /// Runs "vorn-cli batch ARGS" alone, or under mpirun with `ranks` processes.
    CliResult batch(const std::string& args, int ranks = 0) {
        const std::string launcher =
            ranks == 0 ? ""
                       : std::string("'") + VORN_MPIEXEC + "' --oversubscribe -np " +
                             std::to_string(ranks) + " ";
        return runCli("batch " + args, dir, environment() + " " + launcher);
    }
    std::string csv(const char* folder) const {
        return ReadFileText(dir / folder / "results.csv");
    }
    std::string quoted(const char* name) const { return "'" + (dir / name).string() + "'"; }

    TempDir m_tmp;
    fs::path dir{m_tmp.path()};
};

} // namespace

TEST_F(MpiBatch, RanksShareTheTestsAndTheFirstWritesTheSameFile) {
    const std::string tests = "--strategies 'Breadth First,Least Height' --random 40 "
                              "--vary-randoms --seed 9 --current '" VORN_SOURCE_DIR
                              "/examples/icosahedron.xml' --models " +
                              quoted("models");
    const CliResult alone = batch(tests + " --jobs 1 --out " + quoted("one"));
    ASSERT_EQ(0, alone.exitCode) << alone.err;
    const CliResult shared = batch(tests + " --out " + quoted("three"), 3);
    ASSERT_EQ(0, shared.exitCode) << shared.err << shared.out;
    const std::string expected = csv("one");
    ASSERT_NE(std::string::npos, expected.find("\nStatus, 44 of 44\n")) << expected;
    EXPECT_EQ(expected, csv("three"));
    // One summary, from the first process.
    const std::string summary = "Success rates (%) after 44 tests:";
    const size_t at = shared.out.find(summary);
    ASSERT_NE(std::string::npos, at) << shared.out;
    EXPECT_EQ(std::string::npos, shared.out.find(summary, at + 1)) << shared.out;
}

TEST_F(MpiBatch, ARefusedCommandEndsEveryRank) {
    // The first process refuses the strategy; the others must not wait for choices
    // that never come (the test's time-out would catch a hang).
    const CliResult refused =
        batch("--strategies 'No Such Strategy' --random 3 --out " + quoted("x"), 3);
    EXPECT_NE(0, refused.exitCode);
    const std::string message = "unknown strategy 'No Such Strategy'";
    const size_t at = refused.err.find(message);
    ASSERT_NE(std::string::npos, at) << refused.err;
    EXPECT_EQ(std::string::npos, refused.err.find(message, at + 1)) << "said once";
    EXPECT_FALSE(fs::exists(dir / "x" / "results.csv"));
}
