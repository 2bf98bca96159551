// Runs "vorn-cli enumerate" on the example models.
#include <gtest/gtest.h>

#include "tests/support/TempDir.h"
#include "vorn/cli/tests/CliRun.h"

#include <filesystem>
#include <string>

namespace {

class EnumerateCommand : public ::testing::Test {
protected:
    CliResult run(const std::string& args) { return runCli("enumerate " + args, m_tmp.path()); }
    static std::string example(const char* name) {
        return std::string("'") + VORN_SOURCE_DIR + "/examples/" + name + "'";
    }

    TempDir m_tmp;
};

/// The output up to the timing lines, which vary.
std::string counts(const std::string& out) {
    return out.substr(0, out.find("Time: "));
}

} // namespace

TEST_F(EnumerateCommand, CountsEverySpanningTreeOrEveryCandidateOfAStrategy) {
    const CliResult cube = run(example("cube.off"));
    EXPECT_EQ(0, cube.exitCode) << cube.err;
    EXPECT_EQ("Strategy: SpannedUnfolder\nSpanning trees: 384\nOverlap-free nets: 384\n",
              counts(cube.out));
    EXPECT_NE(std::string::npos, cube.out.find("candidates/s\n"));

    const CliResult total = run(example("tetrahedron.obj") + " --strategy TotalUnfolder");
    EXPECT_EQ(0, total.exitCode) << total.err;
    EXPECT_EQ("Strategy: TotalUnfolder\nCandidates: 36\nOverlap-free nets: 36\n",
              counts(total.out));

    // The non-convex prism: some spanning trees overlap.
    const CliResult prism = run(example("l-prism.ply"));
    EXPECT_EQ(0, prism.exitCode) << prism.err;
    EXPECT_EQ(std::string::npos, prism.out.find("Overlap-free nets: 0\n")) << prism.out;
}

TEST_F(EnumerateCommand, RefusesTooManyCandidatesAndOtherStrategies) {
    const CliResult big = run(example("icosahedron.xml") + " --limit 1000");
    EXPECT_EQ(1, big.exitCode);
    EXPECT_NE(std::string::npos,
              big.err.find("Too many spanning trees to try: 5184000, more than the limit of "
                           "1000 (raise it with --limit)"))
        << big.err;
    EXPECT_EQ("", big.out);

    const CliResult greedy = run(example("cube.off") + " --strategy BreadthFirstUnfolder");
    EXPECT_EQ(1, greedy.exitCode);
    EXPECT_NE(std::string::npos, greedy.err.find("does not enumerate candidate nets"));

    EXPECT_EQ(2, run(example("cube.off") + " --limit none").exitCode);
    EXPECT_EQ(2, run("").exitCode);
    EXPECT_EQ(1, run("'" + m_tmp.path() + "/missing.off'").exitCode);
}
