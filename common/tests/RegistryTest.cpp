#include "common/Registry.h"
#include "common/RegistryFlags.h"

#include "common/AtomicFile.h"
#include "common/SettingsFile.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

namespace {

// Every test gets its own empty settings folder.
class Registry : public ::testing::Test {
protected:
    TempDir dir;
    ScopedEnv env{"VORN_CONFIG_DIR", dir.path()};

    std::string fileText() const {
        std::string text;
        ReadWholeFile(dir.file("settings.ini"), text, nullptr);
        return text;
    }
};

} // namespace

TEST_F(Registry, StoresTextUnderAnySectionAndReadsItBackFromTheFile) {
    EXPECT_EQ("SpiralUnfolder", GetRegistryString("Settings", "DefaultUnfolder", "SpiralUnfolder"));
    ASSERT_TRUE(SetRegistryString("Settings", "DefaultUnfolder", "BreadthFirstUnfolder"));
    ASSERT_TRUE(SetRegistryString("Settings\\MetaSurface", "SmoothPMeshXY", "true"));
    ASSERT_TRUE(SetRegistryString("", "WindowPlacement", "10 20 300 400"));
    const std::string tricky = "  C:\\Models\\new=\"x\"\nsecond line\r\\n ";
    ASSERT_TRUE(SetRegistryString("Settings", "Folder", tricky));
    EXPECT_EQ(dir.file("settings.ini"), GetRegistryPath());

    ReloadRegistry();
    EXPECT_EQ("BreadthFirstUnfolder", GetRegistryString("Settings", "DefaultUnfolder", ""));
    EXPECT_EQ("true", GetRegistryString("Settings\\MetaSurface", "SmoothPMeshXY", ""));
    EXPECT_EQ("", GetRegistryString("Settings", "SmoothPMeshXY", "")) << "sections are distinct";
    EXPECT_EQ("10 20 300 400", GetRegistryString("", "WindowPlacement", ""));
    EXPECT_EQ(tricky, GetRegistryString("Settings", "Folder", ""));
    EXPECT_EQ("true", GetRegistryString("settings\\metasurface", "smoothpmeshxy", ""))
        << "names ignore case";

    // Every line of the file is a header, or an entry of one line.
    const std::string text = fileText();
    EXPECT_NE(std::string::npos, text.find("[Settings\\MetaSurface]\n"));
    EXPECT_EQ(0u, text.find("WindowPlacement=10 20 300 400\n")) << "the unnamed section is first";
}

TEST_F(Registry, FlagsAndProfileIntegers) {
    SetRegistryString("Settings", "On", "true");
    SetRegistryString("Settings", "Capital", "True");
    SetRegistryString("Settings", "One", "1");
    SetRegistryString("Settings", "Blank", "");
    EXPECT_TRUE(GetRegistryFlag("Settings", "On", false));
    EXPECT_FALSE(GetRegistryFlag("Settings", "Capital", true));
    EXPECT_FALSE(GetRegistryFlag("Settings", "One", true));
    EXPECT_FALSE(GetRegistryFlag("Settings", "Blank", true)) << "an empty value is not absent";
    EXPECT_TRUE(GetRegistryFlag("Settings", "Absent", true));
    // Read together, each flag reads as it does alone, from the defaults it was given.
    bool on = false, capital = true, one = true, blank = true, absentOn = true, absentOff = false;
    GetRegistryFlags("settings", {{"On", &on},
                                  {"Capital", &capital},
                                  {"One", &one},
                                  {"Blank", &blank},
                                  {"Absent", &absentOn},
                                  {"AbsentToo", &absentOff}});
    EXPECT_TRUE(on);
    EXPECT_FALSE(capital);
    EXPECT_FALSE(one);
    EXPECT_FALSE(blank);
    EXPECT_TRUE(absentOn);
    EXPECT_FALSE(absentOff);
    ASSERT_TRUE(SetRegistryFlag("Settings", "Stored", false));
    EXPECT_EQ("false", GetRegistryString("Settings", "Stored", ""));

    EXPECT_EQ(1010, GetProfileInt("Settings\\MathFn", "which", 1010));
    ASSERT_TRUE(WriteProfileInt("Settings\\MathFn", "which", -42));
    EXPECT_EQ(-42, GetProfileInt("Settings\\MathFn", "which", 1010));
    SetRegistryString("Settings\\MathFn", "du", "four");
    EXPECT_EQ(4, GetProfileInt("Settings\\MathFn", "du", 4));
}

TEST_F(Registry, FollowsTheConfigFolderAndOtherWriters) {
    ASSERT_TRUE(SetRegistryString("Settings", "Key", "first folder"));
    {
        TempDir other;
        ScopedEnv moved("VORN_CONFIG_DIR", other.path());
        EXPECT_EQ("none", GetRegistryString("Settings", "Key", "none"));
        ASSERT_TRUE(SetRegistryString("Settings", "Key", "second folder"));
    }
    EXPECT_EQ("first folder", GetRegistryString("Settings", "Key", "none"));

    // A value another process wrote is kept when this one stores a new key.
    ASSERT_TRUE(WriteFileAtomically(dir.file("settings.ini"),
                                    "; edited by hand\r\n[Settings]\r\nKey = C:\\Models\r\n"
                                    "garbage line\r\n",
                                    nullptr));
    ASSERT_TRUE(SetRegistryString("Settings", "Other", "x"));
    EXPECT_EQ(" C:\\Models", GetRegistryString("Settings", "Key", ""));
    EXPECT_EQ("x", GetRegistryString("Settings", "Other", ""));
}

TEST_F(Registry, FailedWritesChangeNothing) {
    ASSERT_TRUE(SetRegistryString("Settings", "Kept", "old"));
    const std::string before = fileText();
    {
        FileSizeLimit limit(before.size() + 10);
        EXPECT_FALSE(SetRegistryString("Settings", "Big", std::string(5000, 'v')));
    }
    EXPECT_NE(std::string::npos, GetRegistryError().find("settings.ini"));
    EXPECT_EQ(before, fileText());
    EXPECT_EQ("absent", GetRegistryString("Settings", "Big", "absent"));
    EXPECT_EQ(1, dir.entryCount()) << "no temporary file is left behind";

    EXPECT_FALSE(SetRegistryString("Settings", "two\nlines", "v"));
    EXPECT_FALSE(SetRegistryString("Settings", "a=b", "v"));
    EXPECT_FALSE(SetRegistryString("Settings", "[Section]", "v"));
    EXPECT_FALSE(SetRegistryString("Bad\nSection", "k", "v"));
    EXPECT_EQ(before, fileText());

    // Keys saved together land together or not at all.
    {
        FileSizeLimit limit(before.size() + 10);
        EXPECT_FALSE(SetRegistryStrings("Settings", {{"A", "1"}, {"B", std::string(5000, 'v')}}));
    }
    EXPECT_EQ(before, fileText());
    EXPECT_EQ("absent", GetRegistryString("Settings", "A", "absent"));
    EXPECT_FALSE(SetRegistryStrings("Settings", {{"C", "1"}, {"bad=key", "2"}}));
    EXPECT_EQ("absent", GetRegistryString("Settings", "C", "absent"));
    ASSERT_TRUE(SetRegistryStrings("Settings", {{"A", "1"}, {"B", "2"}}));
    EXPECT_EQ("1", GetRegistryString("Settings", "A", ""));
    EXPECT_EQ("2", GetRegistryString("Settings", "B", ""));
}

TEST_F(Registry, ConcurrentWritersLoseNothing) {
    std::vector<std::thread> writers;
    for (int t = 0; t < 4; ++t)
        writers.emplace_back([t] {
            for (int i = 0; i < 25; ++i)
                SetRegistryString("Threads", std::to_string(t) + "-" + std::to_string(i), "v");
        });
    for (auto& w : writers)
        w.join();
    ReloadRegistry();
    for (int t = 0; t < 4; ++t)
        for (int i = 0; i < 25; ++i)
            EXPECT_EQ("v", GetRegistryString("Threads", std::to_string(t) + "-" + std::to_string(i),
                                             "lost"));
}

TEST(SettingsFile, TextFormRoundTrip) {
    SettingsFile file;
    file.set("", "k", "unnamed");
    file.set("A\\B]", "x", "\\n is not a line break");
    file.set("A", "", "empty key");
    SettingsFile back = SettingsFile::Parse(file.toText());
    ASSERT_NE(nullptr, back.find("", "k"));
    EXPECT_EQ("unnamed", *back.find("", "k"));
    ASSERT_NE(nullptr, back.find("A\\B]", "x"));
    EXPECT_EQ("\\n is not a line break", *back.find("A\\B]", "x"));
    ASSERT_NE(nullptr, back.find("a", ""));
    EXPECT_EQ("empty key", *back.find("a", ""));
    EXPECT_EQ(file.toText(), back.toText());
}
