// Runs "vorn-cli papercraft" on the example and test models.
#include <gtest/gtest.h>

#include "tests/support/TempDir.h"
#include "vorn/cli/tests/CliRun.h"

#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace {

class PapercraftCommand : public ::testing::Test {
protected:
    CliResult run(const std::string& args) { return runCli("papercraft " + args, dir); }
    static std::string model(const char* path) {
        return std::string("'") + VORN_SOURCE_DIR + "/" + path + "'";
    }

    TempDir m_tmp;
    fs::path dir{m_tmp.path()};
};

} // namespace

TEST_F(PapercraftCommand, PrintsPiecesTabsAndPagesAndWritesEveryFormat) {
    const std::string pdf = (dir / "cube.pdf").string();
    CliResult cube = run(model("examples/cube.off") + " --mm-per-unit 50 --out '" + pdf + "'");
    ASSERT_EQ(0, cube.exitCode) << cube.err;
    EXPECT_NE(std::string::npos, cube.out.find("Strategy: BreadthFirstUnfolder\n")) << cube.out;
    EXPECT_NE(std::string::npos, cube.out.find("Pieces: 1\nGlue tabs: 7\nPages: 1\n")) << cube.out;
    EXPECT_EQ("%PDF", ReadFileText(pdf).substr(0, 4));
    EXPECT_EQ(std::string::npos, cube.out.find("Numbers under")) << cube.out;
    // A cube a millimetre wide: its numbers are printed, too small to read, and counted.
    CliResult tiny = run(model("examples/cube.off") + " --mm-per-unit 1 --out '" + pdf + "'");
    ASSERT_EQ(0, tiny.exitCode) << tiny.err;
    EXPECT_NE(std::string::npos, tiny.out.find("Numbers under 0.6 mm tall: ")) << tiny.out;

    // A non-convex part as SVG pages, without tabs, on landscape Letter.
    const std::string svg = (dir / "bracket.svg").string();
    CliResult bracket = run(model("tests/data/channel-bracket.off") +
                            " --strategy 'Depth First' --edge-mm 60 --page letter --landscape"
                            " --tabs off --valley dot --out '" +
                            svg + "'");
    ASSERT_EQ(0, bracket.exitCode) << bracket.err;
    EXPECT_NE(std::string::npos, bracket.out.find("Glue tabs: 0\n")) << bracket.out;
    const std::string first = fs::exists(svg) ? svg : (dir / "bracket-1.svg").string();
    const std::string text = ReadFileText(first);
    EXPECT_NE(std::string::npos, text.find("width=\"279.400mm\" height=\"215.900mm\""));
    EXPECT_NE(std::string::npos, text.find("stroke-dasharray=\"0.4,1\""));
}

TEST_F(PapercraftCommand, BadInputIsRefusedAndNothingIsWritten) {
    const std::string out = (dir / "x.pdf").string();
    const std::string cube = model("examples/cube.off");
    CliResult noOut = run(cube);
    EXPECT_EQ(2, noOut.exitCode);
    EXPECT_NE(std::string::npos, noOut.err.find("--out FILE is required")) << noOut.err;
    EXPECT_EQ(2, run(cube + " --out x.eps").exitCode);
    EXPECT_EQ(2, run(cube + " --page B7 --out '" + out + "'").exitCode);
    EXPECT_EQ(2, run(cube + " --tabs maybe --out '" + out + "'").exitCode);
    EXPECT_EQ(2, run(cube + " --height-mm nan --out '" + out + "'").exitCode);

    CliResult tooLarge = run(cube + " --mm-per-unit 400 --out '" + out + "'");
    EXPECT_EQ(1, tooLarge.exitCode);
    EXPECT_NE(std::string::npos, tooLarge.err.find("mm per unit")) << tooLarge.err;

    const std::string broken = (dir / "broken.off").string();
    std::ofstream(broken) << "OFF\n3 1 0\n0 0 0\n1 0 nan\n0 1 0\n3 0 1 2\n";
    EXPECT_EQ(1, run("'" + broken + "' --out '" + out + "'").exitCode);
    EXPECT_FALSE(fs::exists(out));
}
