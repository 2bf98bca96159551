// Runs "vorn-cli animate" and reads the movies back with ffprobe.
#include <gtest/gtest.h>

#include "tests/support/MovieProbe.h"
#include "tests/support/TempDir.h"

#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;

namespace {

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

std::string cli(const std::string& args) {
    return std::string("'") + VORN_CLI_PATH + "' animate " + args;
}

std::string example(const char* name) {
    return std::string("'") + VORN_SOURCE_DIR + "/examples/" + name + "'";
}

} // namespace

TEST(AnimateCommand, WritesMoviesAndVectorFramesOfTheFold) {
    TempDir dir;
    std::string out;
    ASSERT_EQ(0, run(cli(example("cube.off") + " --out '" + dir.file("fold.avi") + "'"), &out))
        << out;
    EXPECT_NE(std::string::npos, out.find("Wrote")) << out;
    MovieProbe probe = ProbeMovie(dir.file("fold.avi"));
    EXPECT_EQ(91, probe.frames);
    EXPECT_EQ(640, probe.width);
    EXPECT_EQ(480, probe.height);

    ASSERT_EQ(0, run(cli(example("cube.off") +
                         " --strategy 'Depth First' --size 200x150 "
                         "--frames 12 --out '" +
                         dir.file("fold.gif") + "' --pdf-frames '" + dir.file("frames") + "'"),
                     &out))
        << out;
    probe = ProbeMovie(dir.file("fold.gif"));
    EXPECT_EQ(12, probe.frames);
    EXPECT_EQ(200, probe.width);
    EXPECT_EQ(150, probe.height);
    EXPECT_EQ(0, run("pdfinfo '" + dir.file("frames/fold011.pdf") + "'", &out)) << out;
    EXPECT_NE(std::string::npos, out.find("200 x 150 pts")) << out;
    EXPECT_FALSE(fs::exists(dir.file("frames/fold012.pdf")));

    ASSERT_EQ(
        0, run(cli(example("cube.off") + " --frames 5 --out '" + dir.file("fold.MP4") + "'"), &out))
        << out;
    EXPECT_EQ(5, ProbeMovie(dir.file("fold.MP4")).frames);
}

TEST(AnimateCommand, BadRequestsSayWhyAndWriteNothing) {
    TempDir dir;
    std::string out;
    EXPECT_EQ(2, run(cli(example("cube.off") + " --out '" + dir.file("fold.mov") + "'"), &out));
    EXPECT_NE(std::string::npos, out.find("use .avi, .mp4 or .gif")) << out;
    EXPECT_EQ(2, run(cli(example("cube.off")), &out));
    EXPECT_NE(std::string::npos, out.find("--out")) << out;
    EXPECT_EQ(2, run(cli(example("cube.off") + " --frames 0 --out x.avi"), &out));
    EXPECT_EQ(2, run(cli(example("cube.off") + " --size 10 --out x.avi"), &out));
    EXPECT_EQ(
        1, run(cli(example("cube.off") + " --out '" + dir.file("no/such/fold.avi") + "'"), &out));
    EXPECT_NE(std::string::npos, out.find("cannot write")) << out;
    EXPECT_EQ(1, run(cli(example("cube.off") + " --strategy Nonsense --out x.avi"), &out));
    EXPECT_EQ(0, dir.entryCount());
}

TEST(AnimateCommand, OnlyWritingAMovieLoadsTheVideoLibraries) {
    // The dynamic loader lists every library it opens, at start-up or later.
    TempDir dir;
    const std::string loads = "LD_DEBUG=files ";
    std::string out;
    ASSERT_EQ(0, run(loads + cli(example("cube.off") + " --frames 3 --pdf-frames '" +
                                 dir.file("frames") + "'"),
                     &out))
        << out;
    EXPECT_EQ(std::string::npos, out.find("libavcodec")) << "vector frames need no encoder";

    ASSERT_EQ(0, run(loads + cli(example("cube.off") + " --frames 3 --out '" +
                                 dir.file("fold.gif") + "'"),
                     &out))
        << out;
    EXPECT_NE(std::string::npos, out.find("libavcodec"));
    EXPECT_EQ(3, ProbeMovie(dir.file("fold.gif")).frames);
}
