#include "common/AtomicFile.h"
#include "common/StatusLine.h"
#include "common/UserPaths.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

TEST(AtomicFile, WritesReplaceKeepModeAndFollowLinks) {
    TempDir dir;
    const std::string path = dir.file("a.txt");
    std::string error;
    ASSERT_TRUE(WriteFileAtomically(path, "one", &error)) << error;
    ASSERT_EQ(0, chmod(path.c_str(), 0640));
    ASSERT_TRUE(WriteFileAtomically(path, "two", &error)) << error;
    std::string text;
    ASSERT_TRUE(ReadWholeFile(path, text, &error));
    EXPECT_EQ("two", text);
    struct stat info {};
    ASSERT_EQ(0, stat(path.c_str(), &info));
    EXPECT_EQ(0640u, info.st_mode & 07777) << "permissions of the old file are kept";

    const std::string link = dir.file("link.txt");
    ASSERT_EQ(0, symlink(path.c_str(), link.c_str()));
    ASSERT_TRUE(WriteFileAtomically(link, "three", &error)) << error;
    ASSERT_EQ(0, lstat(link.c_str(), &info));
    EXPECT_TRUE(S_ISLNK(info.st_mode)) << "the link is not replaced by a file";
    ASSERT_TRUE(ReadWholeFile(path, text, &error));
    EXPECT_EQ("three", text);
    EXPECT_EQ(2, dir.entryCount());
}

TEST(AtomicFile, PipesAndDevicesAreNeitherReadNorReplaced) {
    TempDir dir;
    const std::string fifo = dir.file("model.off");
    ASSERT_EQ(0, mkfifo(fifo.c_str(), 0600));
    const std::string link = dir.file("link.off");
    ASSERT_EQ(0, symlink(fifo.c_str(), link.c_str()));
    std::string error, text = "unchanged";
    // Opening a FIFO without a writer would block; reading /dev/zero would never end.
    EXPECT_FALSE(ReadWholeFile(fifo, text, &error));
    EXPECT_EQ(fifo + ": cannot read a pipe (FIFO), only regular files", error);
    EXPECT_FALSE(ReadWholeFile("/dev/zero", text, &error));
    EXPECT_EQ("/dev/zero: cannot read a device, only regular files", error);
    EXPECT_EQ("unchanged", text);

    for (const std::string& target : {fifo, link}) {
        EXPECT_FALSE(WriteFileAtomically(target, "x", &error));
        EXPECT_EQ(target + ": cannot replace a pipe (FIFO), only regular files", error);
    }
    struct stat info {};
    ASSERT_EQ(0, lstat(fifo.c_str(), &info));
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
    EXPECT_EQ(2, dir.entryCount()) << "no temporary file is left";
}

TEST(AtomicFile, TemporariesOfInterruptedWritesAreRemovedByTheNextWrite) {
    TempDir dir;
    // A process that has ended: its temporary files can only be leftovers.
    const pid_t child = fork();
    if (child == 0)
        _exit(0);
    ASSERT_GT(child, 0);
    ASSERT_EQ(child, waitpid(child, nullptr, 0));
    const std::string stale = dir.file(".a.txt.tmp-" + std::to_string(child) + "-0");
    const std::string mine = dir.file(".a.txt.tmp-" + std::to_string(getpid()) + "-77");
    const std::string other = dir.file(".b.txt.tmp-" + std::to_string(child) + "-0");
    for (const std::string& path : {stale, mine, other})
        std::ofstream(path) << "half";
    std::string error;
    ASSERT_TRUE(WriteFileAtomically(dir.file("a.txt"), "whole", &error)) << error;
    EXPECT_FALSE(std::filesystem::exists(stale)) << "left by a process that is gone";
    EXPECT_TRUE(std::filesystem::exists(mine)) << "this process may still be writing it";
    EXPECT_TRUE(std::filesystem::exists(other)) << "another file's temporary";
}

TEST(AtomicFile, FailuresNameTheFileAndKeepOutputUnchanged) {
    TempDir dir;
    std::string error, text = "unchanged";
    EXPECT_FALSE(ReadWholeFile(dir.file("none"), text, &error));
    EXPECT_EQ(dir.file("none") + ": No such file or directory", error);
    EXPECT_FALSE(ReadWholeFile(dir.path(), text, &error));
    EXPECT_NE(std::string::npos, error.find("Is a directory"));
    EXPECT_EQ("unchanged", text);

    EXPECT_FALSE(WriteFileAtomically(dir.path(), "x", &error));
    EXPECT_NE(std::string::npos, error.find(dir.path()));
    EXPECT_FALSE(WriteFileAtomically(dir.file("missing/folder/f"), "x", &error));
    EXPECT_NE(std::string::npos, error.find("missing/folder/f"));
    EXPECT_FALSE(WriteFileAtomically("", "x", &error));
}

TEST(AtomicFile, MovedAndQuickFilesKeepModeAndLinksLikeWrittenOnes) {
    TempDir dir;
    const std::string path = dir.file("net.pdf");
    const std::string link = dir.file("latest.pdf");
    std::string error, text;
    ASSERT_TRUE(WriteFileAtomically(path, "old", &error, FileSync::Quick)) << error;
    ASSERT_EQ(0, chmod(path.c_str(), 0604));
    ASSERT_EQ(0, symlink(path.c_str(), link.c_str()));

    const std::string finished = dir.file(".1-net.pdf");
    ASSERT_TRUE(WriteFileAtomically(finished, "new", &error, FileSync::Quick)) << error;
    ASSERT_TRUE(MoveFileOver(finished, link, &error)) << error;
    struct stat info {};
    ASSERT_EQ(0, lstat(link.c_str(), &info));
    EXPECT_TRUE(S_ISLNK(info.st_mode)) << "the link is not replaced by a file";
    ASSERT_EQ(0, stat(path.c_str(), &info));
    EXPECT_EQ(0604u, info.st_mode & 07777) << "permissions of the old file are kept";
    ASSERT_TRUE(ReadWholeFile(path, text, &error));
    EXPECT_EQ("new", text);
    EXPECT_EQ(2, dir.entryCount()) << "the moved file is gone";

    // A failed move leaves the destination as it was and the finished file gone.
    ASSERT_TRUE(WriteFileAtomically(finished, "newer", &error, FileSync::Quick)) << error;
    EXPECT_FALSE(MoveFileOver(finished, dir.path(), &error));
    EXPECT_NE(std::string::npos, error.find(dir.path())) << error;
    EXPECT_EQ(2, dir.entryCount());
}

TEST(UserPaths, FoldersFollowTheEnvironment) {
    EXPECT_EQ("a/b", JoinPath("a", "b"));
    EXPECT_EQ("a/b", JoinPath("a/", "/b"));
    EXPECT_EQ("/b", JoinPath("/", "b"));
    EXPECT_EQ("b", JoinPath("", "b"));
    EXPECT_EQ("a", JoinPath("a", ""));

    TempDir dir;
    {
        ScopedEnv config("VORN_CONFIG_DIR", dir.file("cfg/nested"));
        EXPECT_EQ(dir.file("cfg/nested"), GetConfigDir());
        EXPECT_TRUE(FileExists(dir.file("cfg/nested"))) << "created on demand";
    }
    {
        ScopedEnv data("VORN_DATA_DIR", "");
        ScopedEnv xdg("XDG_DATA_HOME", dir.file("xdg"));
        EXPECT_EQ(dir.file("xdg/vorn"), GetUserDataDir(false));
        EXPECT_FALSE(FileExists(dir.file("xdg/vorn")));
    }
    {
        ScopedEnv config("VORN_CONFIG_DIR", "");
        ScopedEnv xdg("XDG_CONFIG_HOME", "");
        ScopedEnv home("HOME", dir.path());
        EXPECT_EQ(dir.file(".config/vorn"), GetConfigDir());
    }
}

TEST(StatusLine, FormatsOneLineAndCallsTheDisplay) {
    std::string shown;
    RegisterStatusMessageFn([&](const char* text) { shown = text; });
    StatusMessage("Filling in the gaps - %i polys to go...", 12);
    EXPECT_EQ("Filling in the gaps - 12 polys to go...", shown);
    StatusMessage("first\nsecond");
    EXPECT_EQ("first", GetLastStatusMessage());
    const std::string longText(2000, 'z');
    StatusMessage("%s!", longText.c_str());
    EXPECT_EQ(longText + "!", shown);
    RegisterStatusMessageFn(nullptr);
    StatusMessage("Ready");
    EXPECT_EQ("Ready", GetLastStatusMessage());
    EXPECT_EQ(longText + "!", shown) << "a removed display is not called";
}
