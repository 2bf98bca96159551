// Runs "vorn-cli render" and "vorn-cli unfold --pdf/--svg/--png" and checks the files with
// their own readers.
#include <gtest/gtest.h>

#include "tests/support/TempDir.h"

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;

namespace {

/// Runs a shell command; its exit code and what it printed (both streams).
int run(const std::string& command, std::string* output = nullptr) {
    std::string text;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    if (!pipe)
        return -1;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe))
        text += buffer;
    const int status = pclose(pipe);
    if (output)
        *output = text;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class RenderCommandTest : public ::testing::Test {
protected:
    std::string file(const std::string& name) const { return (m_dir / name).string(); }
    std::string cli(const std::string& args) const {
        return std::string("'") + VORN_CLI_PATH + "' " + args;
    }
    static std::string example(const char* name) {
        return std::string("'") + VORN_SOURCE_DIR + "/examples/" + name + "'";
    }

    TempDir m_tmp;
    fs::path m_dir{m_tmp.path()};
};

TEST_F(RenderCommandTest, EveryFormatIsReadBackByItsReader) {
    const std::string scene = example("two-meshes.xml");
    ASSERT_EQ(0, run(cli("render " + scene + " '" + file("s.png") + "' --size 320x200")));
    ASSERT_EQ(0, run(cli("render " + scene + " '" + file("s.pdf") + "' --view top")));
    ASSERT_EQ(0, run(cli("render " + scene + " '" + file("s.eps") + "'")));
    ASSERT_EQ(0, run(cli("render " + scene + " '" + file("s.svg") + "'")));
    std::string info;
    EXPECT_EQ(0, run("file '" + file("s.png") + "'", &info));
    EXPECT_NE(std::string::npos, info.find("320 x 200"));
    EXPECT_EQ(0, run("pdfinfo '" + file("s.pdf") + "'", &info));
    EXPECT_NE(std::string::npos, info.find("Page size:       1024 x 768 pts"));
    EXPECT_EQ(0, run("gs -q -dSAFER -dBATCH -dNOPAUSE -sDEVICE=nullpage '" + file("s.eps") + "'"));
    EXPECT_EQ(0, run("file '" + file("s.svg") + "'", &info));
    EXPECT_NE(std::string::npos, info.find("SVG"));
}

TEST_F(RenderCommandTest, BadRequestsAreUsageErrorsAndWriteNothing) {
    const std::string scene = example("cube.off");
    std::string out;
    EXPECT_EQ(2, run(cli("render " + scene + " '" + file("s.gif") + "'"), &out));
    EXPECT_NE(std::string::npos, out.find("picture type"));
    EXPECT_EQ(2, run(cli("render " + scene + " '" + file("s.png") + "' --view sideways")));
    EXPECT_EQ(2, run(cli("render " + scene + " '" + file("s.png") + "' --size 0x10")));
    EXPECT_EQ(1, run(cli("render '" + file("missing.off") + "' '" + file("s.png") + "'")));
    EXPECT_TRUE(fs::is_empty(m_dir));
}

TEST_F(RenderCommandTest, UnfoldWritesTheNetAtTrueScale) {
    std::string out;
    ASSERT_EQ(0,
              run(cli("unfold " + example("cube.off") +
                      " --strategy Unfolder --steps 20 --edge-mm 40 --pdf '" + file("n.pdf") + "'"),
                  &out))
        << out;
    // A lone cube face: 40 mm across plus 10 mm margins, 60 mm = 170.08 pt.
    EXPECT_EQ(0, run("pdfinfo '" + file("n.pdf") + "'", &out));
    EXPECT_NE(std::string::npos, out.find("Page size:       171 x 171 pts")) << out;
    EXPECT_EQ(2, run(cli("unfold " + example("cube.off") + " --pdf '" + file("n.png") + "'")));
}

} // namespace
