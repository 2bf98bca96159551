// Runs "vorn-cli unfold" on the example models.
#include <gtest/gtest.h>

#include "tests/support/TempDir.h"
#include "vorn/cli/tests/CliRun.h"

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

namespace fs = std::filesystem;

namespace {

class UnfoldCommand : public ::testing::Test {
protected:
    CliResult run(const std::string& args) { return runCli("unfold " + args, dir); }
    static std::string example(const char* name) {
        return std::string("'") + VORN_SOURCE_DIR + "/examples/" + name + "'";
    }

    TempDir m_tmp;
    fs::path dir{m_tmp.path()};
};

} // namespace

TEST_F(UnfoldCommand, BaseStrategyPlacesTheStartingFaceAndReports) {
    CliResult run1 = run(example("cube.off"));
    EXPECT_EQ(0, run1.exitCode) << run1.err;
    EXPECT_EQ("Strategy: Unfolder\nFaces placed: 1 / 6\nProgress: 16.67%\n"
              "Overlapping faces: 0\nSuccess: no\n",
              run1.out);

    // Display names match too, and the net can be saved with the scene.
    const std::string saved = (dir / "net.xml").string();
    CliResult run2 =
        run(example("tetrahedron.obj") + " --strategy 'unfolder' --steps 10 --out '" + saved + "'");
    EXPECT_EQ(0, run2.exitCode) << run2.err;
    const std::string scene = ReadFileText(saved);
    EXPECT_NE(std::string::npos, scene.find("<SceneRoot>"));
    // The tetrahedron's four faces plus the one net face.
    size_t faces = 0;
    for (size_t at = scene.find("<Face>"); at != std::string::npos;
         at = scene.find("<Face>", at + 1))
        ++faces;
    EXPECT_EQ(size_t(5), faces);
}

TEST_F(UnfoldCommand, StrategiesAreFoundByDisplayName) {
    CliResult shown = run(example("cube.off") + " --strategy 'Breadth First' --steps 200");
    EXPECT_EQ(0, shown.exitCode) << shown.err;
    EXPECT_NE(std::string::npos, shown.out.find("Strategy: BreadthFirstUnfolder\n")) << shown.out;
    EXPECT_NE(std::string::npos, shown.out.find("Faces placed: 6 / 6\n")) << shown.out;
}

TEST_F(UnfoldCommand, AStoredStrategyRunsOrIsReplacedNeverJoined) {
    // The icosahedron with a strategy stored under its mesh, as the demo scene holds one.
    std::ifstream in(std::string(VORN_SOURCE_DIR) + "/examples/icosahedron.xml");
    std::string scene((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const size_t end = scene.rfind("</PolyMesh>");
    ASSERT_NE(std::string::npos, end);
    scene.insert(end, "<Children><LeastHeightUnfolder /></Children>");
    std::ofstream(dir / "stored.xml") << scene;
    const std::string model = "'" + (dir / "stored.xml").string() + "'";

    CliResult stored = run(model);
    EXPECT_EQ(0, stored.exitCode) << stored.err;
    EXPECT_NE(std::string::npos, stored.out.find("Strategy: LeastHeightUnfolder\n")) << stored.out;
    EXPECT_NE(std::string::npos, stored.out.find("Faces placed: 20 / 20\n")) << stored.out;
    EXPECT_NE(std::string::npos, stored.out.find("Success: yes\n")) << stored.out;

    CliResult replaced =
        run(model + " --strategy BreadthFirstUnfolder --out '" + (dir / "net.xml").string() + "'");
    EXPECT_EQ(0, replaced.exitCode) << replaced.err;
    EXPECT_NE(std::string::npos, replaced.out.find("Strategy: BreadthFirstUnfolder\n"))
        << replaced.out;
    EXPECT_NE(std::string::npos, replaced.out.find("Faces placed: 20 / 20\n")) << replaced.out;
    EXPECT_NE(std::string::npos, replaced.out.find("Success: yes\n")) << replaced.out;
}

TEST_F(UnfoldCommand, StrategiesAreListedByBothNamesAndEachUnfolds) {
    const CliResult list = runCli("strategies", dir);
    ASSERT_EQ(0, list.exitCode) << list.err;
    EXPECT_NE(std::string::npos, list.out.find("Breadth First ")) << list.out;
    EXPECT_NE(std::string::npos, list.out.find("  BreadthFirstUnfolder\n")) << list.out;
    EXPECT_NE(std::string::npos, list.out.find("  Unfolder\n")) << "the base is listed too";
    // Every listed display name is one unfold accepts.
    std::istringstream lines(list.out);
    std::string line;
    std::getline(lines, line); // the heading
    int offered = 0;
    while (std::getline(lines, line)) {
        const std::string display = line.substr(0, line.find("  "));
        if (display == "-")
            continue;
        ++offered;
        const CliResult one = run(example("tetrahedron.obj") + " --strategy '" + display + "'");
        EXPECT_EQ(0, one.exitCode) << display << ": " << one.err;
        EXPECT_NE(std::string::npos, one.out.find("Faces placed: 4 / 4\n")) << display;
    }
    EXPECT_GE(offered, 10);
}

TEST_F(UnfoldCommand, BadArgumentsAndModelsFailWithOneLine) {
    CliResult unknown = run(example("cube.off") + " --strategy NoSuchUnfolder");
    EXPECT_EQ(1, unknown.exitCode);
    EXPECT_EQ(0u, unknown.err.find("vorn-cli: unknown strategy 'NoSuchUnfolder'; the strategies are: "))
        << unknown.err;
    EXPECT_NE(std::string::npos, unknown.err.find("Border Avoider, Breadth Depth Hybrid, Breadth First"));

    EXPECT_EQ(2, run(example("cube.off") + " --steps 0").exitCode);
    EXPECT_EQ(2, run(example("cube.off") + " --steps").exitCode);
    EXPECT_EQ(2, run("").exitCode);

    // A mesh without faces has no net: a failure, not a success.
    std::ofstream(dir / "empty.xml") << "<PolyMesh/>";
    CliResult empty = run("'" + (dir / "empty.xml").string() + "' --strategy BreadthFirstUnfolder");
    EXPECT_EQ(1, empty.exitCode);
    EXPECT_NE(std::string::npos, empty.err.find("empty.xml: the mesh has no faces")) << empty.err;
    EXPECT_EQ(std::string::npos, empty.out.find("Success: yes"));

    // Coordinates whose squares overflow are refused before any net is made.
    std::ofstream(dir / "huge.off") << "OFF\n4 4 0\n0 0 0\n1e155 0 0\n0 1e155 0\n0 0 1e155\n"
                                       "3 0 2 1\n3 0 1 3\n3 0 3 2\n3 1 2 3\n";
    CliResult huge =
        run("'" + (dir / "huge.off").string() + "' --svg '" + (dir / "huge.svg").string() + "'");
    EXPECT_EQ(1, huge.exitCode);
    EXPECT_NE(std::string::npos,
              huge.err.find("huge.off: vertex 1: coordinate 1e+155 is too large"))
        << huge.err;
    EXPECT_FALSE(fs::exists(dir / "huge.svg"));

    CliResult missing = run("'" + (dir / "absent.off").string() + "'");
    EXPECT_EQ(1, missing.exitCode);
    EXPECT_NE(std::string::npos, missing.err.find("absent.off"));
    EXPECT_TRUE(missing.out.empty());
}

TEST_F(UnfoldCommand, CutListsLayOutTheNetOfTheirEdgesAndBadListsChangeNothing) {
    auto write = [&](const char* name, const std::string& text) {
        std::ofstream(dir / name) << text;
        return "'" + (dir / name).string() + "'";
    };
    // A path through all eight corners cuts the cube into one net.
    const std::string path = write("path.txt", "# corners of cube.off\n0 1\n1,2\n\n2 3\n0 4\n"
                                               "4 5\n5 6\n6 7\n");
    const std::string saved = (dir / "net.xml").string();
    CliResult good = run(example("cube.off") + " --cuts " + path + " --out '" + saved + "'");
    EXPECT_EQ(0, good.exitCode) << good.err;
    EXPECT_EQ("Strategy: ManualUnfolder\nFaces placed: 6 / 6\nProgress: 100.00%\n"
              "Overlapping faces: 0\nSuccess: yes\n",
              good.out);
    EXPECT_TRUE(fs::exists(saved));

    // No cuts at all: the flood from the starting face.
    CliResult none = run(example("cube.off") + " --cuts " + write("none.txt", ""));
    EXPECT_EQ(0, none.exitCode) << none.err;
    EXPECT_NE(std::string::npos, none.out.find("Faces placed: 6 / 6\n")) << none.out;

    const std::string out = (dir / "never.xml").string();
    const std::pair<std::string, std::string> bad[] = {
        {"0 1\n1 99\n", "range.txt:2: vertex 99 is out of range (the mesh has 8 vertices, "
                        "counted from 0)"},
        {"0 6\n", "diagonal.txt:1: vertices 0 and 6 are not joined by an edge of the mesh"},
        {"0 1\n# fine\n2 x\n", "words.txt:3: expected two vertex indices, found '2 x'"},
        {"1 2 3\n", "three.txt:1: expected two vertex indices, found '1 2 3'"},
        {"-1 2\n", "negative.txt:1: vertex -1 is out of range"}};
    const char* names[] = {"range.txt", "diagonal.txt", "words.txt", "three.txt", "negative.txt"};
    for (size_t i = 0; i < std::size(bad); ++i) {
        CliResult failed = run(example("cube.off") + " --cuts " + write(names[i], bad[i].first) +
                               " --out '" + out + "'");
        EXPECT_EQ(1, failed.exitCode) << names[i];
        EXPECT_NE(std::string::npos, failed.err.find(bad[i].second)) << failed.err;
        EXPECT_EQ("", failed.out) << names[i];
    }
    EXPECT_FALSE(fs::exists(out));

    CliResult missing = run(example("cube.off") + " --cuts '" + (dir / "absent.txt").string() + "'");
    EXPECT_EQ(1, missing.exitCode);
    EXPECT_NE(std::string::npos, missing.err.find("absent.txt: cannot read the cut list"));
    CliResult other = run(example("cube.off") + " --cuts " + path + " --strategy 'Breadth First'");
    EXPECT_EQ(2, other.exitCode);
    EXPECT_NE(std::string::npos,
              other.err.find("--cuts lays out a net with the Manual strategy, not Breadth First"))
        << other.err;
}
