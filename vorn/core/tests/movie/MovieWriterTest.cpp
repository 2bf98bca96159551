#include "vorn/core/movie/MovieWriter.h"

#include "tests/support/MovieProbe.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <vector>

namespace {

/// A frame of `width` x `height` with a bar that moves with `index`.
std::vector<std::uint32_t> frameOf(int width, int height, int index) {
    std::vector<std::uint32_t> pixels(size_t(width) * height, 0xffffffffu);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width / 8; ++x)
            pixels[size_t(y) * width + (x + index * 3) % width] = 0xffc03020u;
    return pixels;
}

bool writeMovie(MovieWriter& movie, const std::string& path, int width, int height, int frames,
                MovieCodec codec = MovieCodec::Mpeg4) {
    if (!movie.open(path, width, height, codec))
        return false;
    for (int i = 0; i < frames; ++i) {
        const std::vector<std::uint32_t> pixels = frameOf(width, height, i);
        if (!movie.addFrame(pixels.data(), width * 4))
            return false;
    }
    return movie.finish();
}

} // namespace

TEST(MovieWriter, WritesEveryFormatWithTheFramesAndSizeGiven) {
    TempDir dir;
    struct Case {
        std::string name;
        MovieCodec codec;
        std::string codecRead;
    };
    std::vector<Case> cases = {{"mpeg4.avi", MovieCodec::Mpeg4, "mpeg4"},
                               {"mjpeg.AVI", MovieCodec::Mjpeg, "mjpeg"},
                               {"lossless.avi", MovieCodec::Ffv1, "ffv1"},
                               {"fold.gif", MovieCodec::Mpeg4, "gif"}};
    cases.push_back({"fold.mp4", MovieCodec::Mpeg4,
                     IsMovieEncoderInstalled(MovieCodec::H264) ? "h264" : "mpeg4"});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MovieWriter movie;
        ASSERT_TRUE(writeMovie(movie, dir.file(c.name), 160, 120, 17, c.codec)) << movie.getError();
        EXPECT_EQ(17, movie.getFrameCount());
        const MovieProbe probe = ProbeMovie(dir.file(c.name));
        ASSERT_TRUE(probe.ok);
        EXPECT_EQ(17, probe.frames);
        EXPECT_EQ(160, probe.width);
        EXPECT_EQ(120, probe.height);
        EXPECT_EQ(c.codecRead, probe.codec);
    }
    EXPECT_EQ(int(cases.size()), dir.entryCount()) << "no hidden files are left";
}

TEST(MovieWriter, OddSizesAreRoundedUpForHalfResolutionColour) {
    TempDir dir;
    MovieWriter movie;
    ASSERT_TRUE(writeMovie(movie, dir.file("odd.avi"), 81, 45, 3)) << movie.getError();
    const MovieProbe probe = ProbeMovie(dir.file("odd.avi"));
    EXPECT_EQ(82, probe.width);
    EXPECT_EQ(46, probe.height);
    MovieWriter lossless;
    ASSERT_TRUE(writeMovie(lossless, dir.file("odd-ffv1.avi"), 81, 45, 3, MovieCodec::Ffv1));
    EXPECT_EQ(81, ProbeMovie(dir.file("odd-ffv1.avi")).width) << "lossless keeps the size";
}

TEST(MovieWriter, FailuresSayWhyAndLeaveNoFile) {
    TempDir dir;
    MovieWriter movie;
    EXPECT_FALSE(movie.open(dir.file("fold.mov"), 64, 48));
    EXPECT_NE(std::string::npos, movie.getError().find("use .avi, .mp4 or .gif"));
    EXPECT_FALSE(movie.open(dir.path() + "/missing/fold.avi", 64, 48));
    EXPECT_NE(std::string::npos, movie.getError().find("cannot write"));
    EXPECT_FALSE(movie.open(dir.file("huge.avi"), 0, 48));
    EXPECT_NE(std::string::npos, movie.getError().find("0 x 48"));
    std::filesystem::create_directory(dir.file("folder.avi"));
    EXPECT_FALSE(movie.open(dir.file("folder.avi"), 64, 48));
    EXPECT_NE(std::string::npos, movie.getError().find("it is a folder"));
    std::filesystem::remove(dir.file("folder.avi"));
    EXPECT_FALSE(movie.addFrame(nullptr, 0)) << "nothing open";
    EXPECT_FALSE(movie.finish());
    EXPECT_EQ(0, dir.entryCount());

    // An abandoned movie leaves nothing, and an older file of the name stays whole.
    const std::string path = dir.file("kept.avi");
    { std::ofstream(path) << "old movie"; }
    {
        MovieWriter unfinished;
        ASSERT_TRUE(unfinished.open(path, 64, 48));
        const std::vector<std::uint32_t> pixels = frameOf(64, 48, 0);
        ASSERT_TRUE(unfinished.addFrame(pixels.data(), 64 * 4));
    }
    EXPECT_EQ(1, dir.entryCount());
    EXPECT_EQ(std::uintmax_t(9), std::filesystem::file_size(path));
    // Finished, the new movie takes the old one's place.
    MovieWriter finished;
    ASSERT_TRUE(writeMovie(finished, path, 64, 48, 2));
    EXPECT_EQ(2, ProbeMovie(path).frames);
    EXPECT_EQ(1, dir.entryCount());
}

TEST(MovieFormat, ExtensionsAndTheStoredAviCodec) {
    std::string error;
    EXPECT_EQ("avi", MovieFormatForPath("a/b.Avi", MovieCodec::Mjpeg, error)->container);
    EXPECT_EQ(MovieCodec::Mjpeg, MovieFormatForPath("b.avi", MovieCodec::Mjpeg, error)->codec);
    EXPECT_EQ(MovieCodec::Gif, MovieFormatForPath("b.GIF", MovieCodec::Mjpeg, error)->codec);
    EXPECT_FALSE(MovieFormatForPath("b.avi.png", MovieCodec::Mpeg4, error));
    EXPECT_FALSE(MovieFormatForPath("dir.avi/b", MovieCodec::Mpeg4, error));
    EXPECT_FALSE(IsMoviePath("b.pdf"));

    // The test's private settings folder starts without a stored choice.
    EXPECT_FALSE(LoadStoredAviCodec());
    ASSERT_TRUE(StoreAviCodec(MovieCodec::Ffv1, error)) << error;
    EXPECT_EQ(MovieCodec::Ffv1, LoadStoredAviCodec());
    { std::ofstream(AviCodecSettingsPath()) << "codec=divx\n"; }
    EXPECT_FALSE(LoadStoredAviCodec()) << "an unknown codec is no choice";
    std::filesystem::remove(AviCodecSettingsPath());
}
