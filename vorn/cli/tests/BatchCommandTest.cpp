// Runs "vorn-cli batch" on the example models and on random polyhedra.
#include <gtest/gtest.h>

#include "tests/support/TempDir.h"
#include "vorn/cli/tests/CliRun.h"

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace fs = std::filesystem;

namespace {

class BatchCommand : public ::testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(dir / "config");
        fs::create_directories(dir / "data");
    }

    /// Runs the command with its own settings and data folders.
    CliResult run(const std::string& args) {
        return runCli("batch " + args, dir,
                      "VORN_CONFIG_DIR='" + (dir / "config").string() + "' VORN_DATA_DIR='" +
                          (dir / "data").string() + "'");
    }
    std::string outDir(const char* name) const { return "'" + (dir / name).string() + "'"; }
    std::string csv(const char* name) const { return ReadFileText(dir / name / "results.csv"); }

    TempDir m_tmp;
    fs::path dir{m_tmp.path()};
};

} // namespace

TEST_F(BatchCommand, ModelFolderRunWritesResultsAndSummary) {
    fs::create_directories(dir / "models");
    for (const char* name : {"cube.off", "icosahedron.xml", "l-prism.ply", "octahedron.stl",
                             "tetrahedron.obj", "two-meshes.xml"})
        fs::copy_file(fs::path(VORN_SOURCE_DIR) / "examples" / name, dir / "models" / name);
    std::ofstream(dir / "models" / "notes.txt") << "not a model\n";
    CliResult result = run("--strategies 'Breadth First,LeastHeightUnfolder' --models " +
                           outDir("models") + " --out " + outDir("a"));
    ASSERT_EQ(0, result.exitCode) << result.err;
    const std::string text = csv("a");
    EXPECT_EQ(0u, text.rfind("Unfolder, Cube.off, Icosahedron.xml, L-prism.ply, "
                             "Octahedron.stl, Tetrahedron.obj, Two-meshes.xml, \n",
                             0))
        << text;
    EXPECT_NE(std::string::npos, text.find("\nBreadth First, "));
    EXPECT_NE(std::string::npos, text.find("\nLeast Height, "));
    EXPECT_NE(std::string::npos, text.find("\nStatus, 6 of 6\n"));
    EXPECT_NE(std::string::npos, text.find("\nTotals, 1, 1, 1, 1, 1, 1, \n"));
    EXPECT_NE(std::string::npos, result.out.find("Success rates (%) after 6 tests:"));
    EXPECT_NE(std::string::npos, result.out.find("Least Height"));

    // The choices are stored, and a run without them takes them back.
    const std::string settings = ReadFileText(dir / "config" / "settings.ini");
    EXPECT_NE(std::string::npos, settings.find("[Breadth First][Least Height]"));
    CliResult again = run("--random 2 --out " + outDir("b"));
    ASSERT_EQ(0, again.exitCode) << again.err;
    EXPECT_NE(std::string::npos, csv("b").find("\nLeast Height, "));
}

TEST_F(BatchCommand, SameSeedSameResultsWhateverTheJobs) {
    const std::string common =
        "--strategies 'Breadth First,Depth First' --random 24 --vary-randoms --seed 5 ";
    CliResult one = run(common + "--jobs 1 --out " + outDir("one"));
    CliResult two = run(common + "--jobs 2 --out " + outDir("two"));
    ASSERT_EQ(0, one.exitCode) << one.err;
    ASSERT_EQ(0, two.exitCode) << two.err;
    EXPECT_EQ(csv("one"), csv("two"));
    EXPECT_NE(std::string::npos, csv("one").find("\nStatus, 24 of 24\n"));
    EXPECT_EQ(0u, csv("one").rfind("Unfolder, [", 0));
}

TEST_F(BatchCommand, RandomAndRepairStrategiesGiveTheSameResultsWhateverTheJobs) {
    // "Quick Random Cut" alone repeats the tests, here for two rounds.
    for (const char* strategies :
         {"Quick Random Cut", "Steepest Ascent,Collision Repair,Random Cut"}) {
        const std::string common = std::string("--strategies '") + strategies +
                                   "' --random 4 --vary-randoms --seed 3 --max-rounds 2 ";
        CliResult one = run(common + "--jobs 1 --out " + outDir("one"));
        CliResult two = run(common + "--jobs 2 --out " + outDir("two"));
        ASSERT_EQ(0, one.exitCode) << one.err;
        ASSERT_EQ(0, two.exitCode) << two.err;
        EXPECT_EQ(csv("one"), csv("two")) << strategies;
        EXPECT_NE(std::string::npos, csv("one").find("\nTotals, ")) << csv("one");
    }
}

TEST_F(BatchCommand, UnreadableModelsFailAndAreNamed) {
    fs::create_directories(dir / "models");
    std::ofstream(dir / "models" / "broken.off") << "OFF\n8 6 0\n1 2 oops\n";
    fs::copy_file(fs::path(VORN_SOURCE_DIR) / "examples" / "cube.off", dir / "models" / "cube.off");
    CliResult result =
        run("--strategies 'Depth First' --models " + outDir("models") + " --out " + outDir("out"));
    ASSERT_EQ(0, result.exitCode) << result.err;
    const std::string text = csv("out");
    EXPECT_EQ(0u, text.rfind("Unfolder, Broken.off, Cube.off, \n", 0)) << text;
    EXPECT_NE(std::string::npos, text.find("\nDepth First, 0.00, 100.00, \n")) << text;
    EXPECT_NE(std::string::npos, text.find("\nTotals, 1, 1, \n"));
    EXPECT_NE(std::string::npos, result.err.find((dir / "models" / "broken.off").string() + ":"))
        << result.err;
}

TEST_F(BatchCommand, NetsAreWrittenAsPdfsWhenAsked) {
    fs::create_directories(dir / "models");
    fs::copy_file(fs::path(VORN_SOURCE_DIR) / "examples" / "cube.off", dir / "models" / "cube.off");
    CliResult result = run("--strategies 'Breadth First' --models " + outDir("models") +
                           " --random 3 --write-pdfs --jobs 2 --out " + outDir("out"));
    ASSERT_EQ(0, result.exitCode) << result.err;
    EXPECT_EQ(0u, ReadFileText(dir / "out" / "Cube-BreadthFirst.pdf").rfind("%PDF", 0));
    size_t files = 0;
    for ([[maybe_unused]] const auto& entry : fs::directory_iterator(dir / "out"))
        ++files;
    // The scored cube's net and results.csv: the counted series draws none.
    EXPECT_EQ(size_t(2), files);
}

TEST_F(BatchCommand, StoredChoicesAreNamedFoldersStoredAbsoluteAndWideTablesWrap) {
    const std::string folders = "VORN_CONFIG_DIR='" + (dir / "config").string() +
                                "' VORN_DATA_DIR='" + (dir / "data").string() + "'";
    CliResult first = runCli("batch --strategies 'Breadth First,Least Height' --random 40 "
                             "--vary-randoms --no-capture-fails --no-write-pdfs --out relative",
                             dir, "cd '" + dir.string() + "' && " + folders);
    ASSERT_EQ(0, first.exitCode) << first.err;
    EXPECT_EQ(std::string::npos, first.err.find("stored choices")) << "every choice was given";
    const std::string absolute = (dir / "relative").string();
    EXPECT_NE(std::string::npos, ReadFileText(dir / "config" / "settings.ini").find(absolute));
    // Face-count buckets make many columns: blocks of at most 100 characters.
    size_t blocks = 0;
    std::istringstream lines(first.out);
    for (std::string line; std::getline(lines, line);) {
        EXPECT_LE(line.size(), 100u) << line;
        blocks += line.rfind("Strategy ", 0) == 0;
    }
    EXPECT_GT(blocks, 1u) << first.out;

    CliResult again = run("--random 1");
    ASSERT_EQ(0, again.exitCode) << again.err;
    EXPECT_NE(std::string::npos,
              again.err.find("vorn-cli: stored choices applied: Record to '" + absolute +
                             "', strategies [Breadth First][Least Height], Vary Randoms on"))
        << again.err;
    EXPECT_NE(std::string::npos, csv("relative").find("\nStatus, 1 of 1\n"));
}

TEST_F(BatchCommand, BadChoicesFailWithOneLine) {
    CliResult unknown = run("--strategies 'No Such' --random 1 --out " + outDir("x"));
    EXPECT_EQ(1, unknown.exitCode);
    EXPECT_NE(std::string::npos, unknown.err.find("unknown strategy 'No Such'"));

    CliResult noTests = run("--strategies 'Breadth First' --out " + outDir("x"));
    EXPECT_EQ(2, noTests.exitCode);
    EXPECT_NE(std::string::npos, noTests.err.find("no tests chosen"));

    CliResult badJobs = run("--strategies 'Breadth First' --random 1 --jobs 0");
    EXPECT_EQ(2, badJobs.exitCode);
    EXPECT_FALSE(fs::exists(dir / "config" / "settings.ini"));
}
