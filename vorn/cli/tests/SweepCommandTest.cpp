// "vorn-cli sweep": maps as text, CSV and PNG, the same answers with any number of jobs, a 3D
// surface that reads back, and bad ranges refused by name.
#include "vorn/cli/tests/CliRun.h"

#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

/// Width and height from a PNG's header.
std::pair<int, int> pngSize(const std::string& png) {
    auto word = [&png](size_t at) {
        return (int((unsigned char)png[at]) << 24) | (int((unsigned char)png[at + 1]) << 16) |
               (int((unsigned char)png[at + 2]) << 8) | int((unsigned char)png[at + 3]);
    };
    return png.size() > 24 ? std::pair{word(16), word(20)} : std::pair{0, 0};
}

} // namespace

TEST(SweepCommand, MapsAsTextCsvAndPngAgreeWhateverTheJobs) {
    TempDir dir;
    const std::string grid = "sweep --h 0.5:8:4 --k 0:12:2 --dim 6:7 --strategy 'Breadth First' ";
    CliResult serial = runCli(grid + "--db 'sqlite:" + dir.file("a.sqlite") + "' --out '" +
                                  dir.file("a.csv") + "' --png '" + dir.file("a.png") + "'",
                              dir.path());
    ASSERT_EQ(serial.exitCode, 0) << serial.err;
    EXPECT_NE(serial.err.find("Points 30/30"), std::string::npos) << serial.err;
    EXPECT_NE(serial.err.find("left"), std::string::npos) << "time left is shown";
    const std::string csv = ReadFileText(dir.file("a.csv"));
    EXPECT_EQ(csv.rfind("dim,h,k,unfoldable\n6,0.5,0,", 0), 0u) << csv;
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 31);
    // Two maps of 5 x 3 cells of 32 pixels, 32 pixels apart.
    EXPECT_EQ(pngSize(ReadFileText(dir.file("a.png"))), std::pair(352, 96));

    CliResult parallel = runCli(grid + "--jobs 2 --db 'sqlite:" + dir.file("b.sqlite") +
                                    "' --out '" + dir.file("b.csv") + "'",
                                dir.path());
    ASSERT_EQ(parallel.exitCode, 0) << parallel.err;
    EXPECT_EQ(ReadFileText(dir.file("b.csv")), csv);

    // Without outputs the maps are printed, k upwards: the last row printed is k = 0.
    CliResult shown = runCli(grid + "--db 'sqlite:" + dir.file("a.sqlite") + "'", dir.path());
    ASSERT_EQ(shown.exitCode, 0) << shown.err;
    EXPECT_NE(shown.out.find("dim 6: h 0.5 .. 8 to the right, k 0 .. 12 upwards\n"),
              std::string::npos)
        << shown.out;
    // The CSV's first five points (dim 6, k = 0) are the bottom row of the first map.
    std::string bottomRow;
    size_t line = csv.find('\n');
    for (int i = 0; i < 5; ++i) {
        const size_t end = csv.find('\n', line + 1);
        bottomRow += csv[end - 1] == '1' ? '#' : '.';
        line = end;
    }
    const size_t dim7 = shown.out.find("dim 7");
    ASSERT_NE(dim7, std::string::npos);
    EXPECT_EQ(shown.out.substr(dim7 - 6, 6), bottomRow + "\n") << shown.out;
    EXPECT_EQ(std::count(shown.out.begin(), shown.out.end(), '\n'), 8);
}

TEST(SweepCommand, UnreachableDatabasesKeepAnswersAndBadInputIsRefused) {
    TempDir dir;
    CliResult away = runCli("sweep --h 1:2:1 --k 1:2:1 --dim 5 --strategy BreadthFirstUnfolder "
                            "--db mariadb://127.0.0.1:1",
                            dir.path());
    EXPECT_EQ(away.exitCode, 0) << away.err;
    EXPECT_NE(away.err.find("mariadb://127.0.0.1:1"), std::string::npos) << away.err;
    EXPECT_NE(away.err.find("kept in memory"), std::string::npos) << away.err;

    const struct {
        const char* args;
        const char* named;
    } bad[] = {{"--h 1:2", "--h"},
               {"--h a:b:3", "--h"},
               {"--k 1:2:0", "--k"},
               {"--k 1:nan:4", "--k"},
               {"--dim 2", "--dim"},
               {"--dim 9:5", "--dim"},
               {"--jobs 0", "--jobs"},
               {"--db postgres://x", "--db"},
               {"--strategy Nope", "Nope"},
               {"--3d --out m.csv", "--out"},
               {"--stream s.xml", "--stream"},
               {"--2d --3d", "--2d"}};
    for (const auto& b : bad) {
        CliResult r = runCli(std::string("sweep --strategy BreadthFirstUnfolder ") + b.args,
                             dir.path());
        EXPECT_EQ(r.exitCode, 2) << b.args << ": " << r.err;
        EXPECT_NE(r.err.find(b.named), std::string::npos) << b.args << ": " << r.err;
    }
}

TEST(SweepCommand, ThreeDimensionalSweepWritesASceneThatOpens) {
    TempDir dir;
    const std::string stream = dir.file("region.xml");
    CliResult r = runCli("sweep --3d --h 0.5:8:1 --k 0:12:1 --dim 5:12 --refine 3 --strategy "
                         "BreadthFirstUnfolder --db 'sqlite:" + dir.file("s.sqlite") +
                             "' --stream '" + stream + "'",
                         dir.path());
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("Wrote the boundary surface ("), std::string::npos) << r.out;
    CliResult info = runCli("info '" + stream + "'", dir.path());
    EXPECT_EQ(info.exitCode, 0) << info.err;
    EXPECT_NE(info.out.find("(PolyMesh)"), std::string::npos) << info.out;
}
