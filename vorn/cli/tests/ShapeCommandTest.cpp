// "vorn-cli shape": meshes written with their parameters, bad values refused by name.
#include "vorn/cli/tests/CliRun.h"

#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

TEST(ShapeCommand, WritesTheShapeWithItsParameters) {
    TempDir dir;
    const std::string off = dir.file("tube.off");
    CliResult r = runCli("shape Coolinoid --set du=3 --set dv=3 --set k=0 --out '" + off + "'",
                         dir.path());
    ASSERT_EQ(0, r.exitCode) << r.err;
    // 12 vertices, 9 quads.
    EXPECT_EQ(0u, ReadFileText(off).find("OFF\n12 9 "));

    const std::string xml = dir.file("sphere.xml");
    r = runCli("shape MathFn --set which=1010 --set du=4 --set dv=3 --out '" + xml + "'",
               dir.path());
    ASSERT_EQ(0, r.exitCode) << r.err;
    const std::string scene = ReadFileText(xml);
    EXPECT_NE(std::string::npos, scene.find("<PolyMesh>"));
    EXPECT_EQ(std::string::npos, scene.find("MathFn"));
    r = runCli("info '" + xml + "'", dir.path());
    EXPECT_EQ(0, r.exitCode) << r.err;
}

TEST(ShapeCommand, RefusesBadValuesByName) {
    TempDir dir;
    const std::string out = " --out '" + dir.file("x.off") + "'";
    const struct {
        const char* args;
        const char* named;
    } bad[] = {{"Coolinoid --set du=-4", "du"},
               {"Coolinoid --set h=nan", "h"},
               {"WitchHat --set belt=inf", "belt"},
               {"BinTree --set subdivisions=99", "subdivisions"},
               {"BinTree --set chop=maybe", "chop"},
               {"MathFn --set size=3", "size"},
               {"Coolinoid --set du", "du"},
               {"Teapot", "Teapot"}};
    for (const auto& b : bad) {
        const CliResult r = runCli(std::string("shape ") + b.args + out, dir.path());
        EXPECT_EQ(2, r.exitCode) << b.args;
        EXPECT_NE(std::string::npos, r.err.find(b.named)) << r.err;
    }
    EXPECT_FALSE(std::filesystem::exists(dir.file("x.off")));
    // Counts below a shape's minimum are raised to it, as the panels do.
    EXPECT_EQ(0, runCli("shape Coolinoid --set du=1" + out, dir.path()).exitCode);
}

TEST(ShapeCommand, HelpListsShapesAndDefaults) {
    TempDir dir;
    const CliResult r = runCli("shape --help", dir.path());
    EXPECT_EQ(0, r.exitCode);
    for (const char* text : {"Coolinoid", "WitchHat", "BinTree", "MathFn", "du [20]", "--set"})
        EXPECT_NE(std::string::npos, r.out.find(text)) << text;
}
