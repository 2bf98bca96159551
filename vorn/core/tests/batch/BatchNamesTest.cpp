// Test labels, the results table and stored choices.
#include "vorn/core/batch/BatchPlan.h"
#include "vorn/core/batch/BatchResults.h"
#include "vorn/core/batch/BatchSettings.h"
#include "vorn/core/batch/BatchTests.h"
#include "vorn/core/batch/TestLabels.h"

#include "common/Registry.h"

#include <gtest/gtest.h>

TEST(BatchNames, FaceCountBuckets) {
    EXPECT_EQ("[004..005]", FaceCountBucket(4));
    EXPECT_EQ("[006..010]", FaceCountBucket(5));
    EXPECT_EQ("[006..010]", FaceCountBucket(9));
    EXPECT_EQ("[011..015]", FaceCountBucket(10));
    EXPECT_EQ("[196..200]", FaceCountBucket(199));
    const std::vector<std::string> buckets = VaryRandomsBuckets();
    ASSERT_EQ(size_t(40), buckets.size());
    EXPECT_EQ("[004..005]", buckets.front());
    EXPECT_EQ("[006..010]", buckets[1]);
    EXPECT_EQ("[196..200]", buckets.back());
}

TEST(BatchNames, TestNamesAndListTexts) {
    EXPECT_EQ("Icosahedron", SceneTestName("icosahedron.xml"));
    EXPECT_EQ("Two", SceneTestName("two.meshes.xml"));
    EXPECT_EQ("[Scene]", SceneTestName("untitled"));
    EXPECT_EQ("Cube.off", ModelTestName("cube.off"));
    EXPECT_EQ("_cube.off", ModelTestName("_cube.off"));

    EXPECT_EQ("<<1 Random Polyhedron>>", RandomTestText(1));
    EXPECT_EQ("<<100 Random Polyhedra>>", RandomTestText(100));
    BatchTestEntry series = ParseTestText("<<100 Random Polyhedra>>", "Scene");
    EXPECT_EQ(BatchTestKind::RandomSeries, series.kind);
    EXPECT_EQ(size_t(100), series.count);
    EXPECT_EQ("RandomSeries", series.testName);
    BatchTestEntry single = ParseTestText("<<1 Random Polyhedron>>", "Scene");
    EXPECT_EQ(BatchTestKind::RandomSingle, single.kind);
    EXPECT_EQ("RandomPoly", single.testName);
    EXPECT_EQ("Scene", ParseTestText("<<Current Model>>", "Scene").testName);
    EXPECT_EQ(BatchTestKind::ModelFile, ParseTestText("cube.off", "Scene").kind);

    BatchTestList list;
    list.add(ParseTestText("a.off", ""));
    list.add(ParseTestText("<<0 Random Polyhedra>>", ""));
    list.add(ParseTestText("<<3 Random Polyhedra>>", ""));
    list.add(ParseTestText("b.off", ""));
    ASSERT_EQ(size_t(5), list.size());
    EXPECT_EQ("A.off", list.at(0).testName);
    EXPECT_EQ("RandomSeries", list.at(1).testName);
    EXPECT_EQ("RandomSeries", list.at(3).testName);
    EXPECT_EQ("B.off", list.at(4).testName);
}

TEST(BatchNames, FoldersLoseTrailingSeparators) {
    EXPECT_EQ("/tmp/results", StripTrailingSeparators("/tmp/results//"));
    EXPECT_EQ("C:\\results", StripTrailingSeparators("C:\\results\\\\"));
    EXPECT_EQ("/", StripTrailingSeparators("/"));
}

TEST(BatchResultsTable, CsvLayout) {
    BatchResults results;
    results.countRun("RandomSeries");
    results.countRun("RandomSeries");
    results.countRun("Cube.off");
    results.countRun("Empty.off");
    results.addCount("Breadth First", "RandomSeries", true);
    results.addCount("Breadth First", "RandomSeries", false);
    results.setScore("Breadth First", "Cube.off", 1.0);
    results.setScore("Breadth First", "Empty.off", 0.0);
    results.addCount("Alpha Beta", "RandomSeries", true);
    results.addCount("Alpha Beta", "RandomSeries", true);
    results.setScore("Alpha Beta", "Cube.off", 1.0 / 6.0);
    results.setScore("Alpha Beta", "Empty.off", 0.0);
    EXPECT_EQ("Unfolder, Cube.off, Empty.off, RandomSeries, \n"
              "Alpha Beta, 16.67, 0.00, 2.00, \n"
              "Breadth First, 100.00, 0.00, 1.00, \n"
              "\nStatus, 3 of 3\n"
              "\n\nSuccess rates:\n"
              "Alpha Beta, 16.67, 0.00, 100.00, \n"
              "Breadth First, 100.00, 0.00, 50.00, \n"
              "\nTotals, 1, 1, 2, \n",
              results.toCsv("3 of 3"));
}

TEST(BatchResultsTable, LabelsWithoutRunsHaveNoRate) {
    BatchResults results;
    results.addCount("Breadth First", "[004..005]", false);
    results.countRun("[006..010]");
    results.addCount("Breadth First", "[006..010]", true);
    EXPECT_LT(results.successRate("Breadth First", "[004..005]"), 0);
    EXPECT_DOUBLE_EQ(100.0, results.successRate("Breadth First", "[006..010]"));
    EXPECT_NE(std::string::npos,
              results.toCsv("1").find("Success rates:\nBreadth First, , 100.00, \n"));
    EXPECT_EQ("Unfolder, \n\nStatus, \n\n\nSuccess rates:\n\nTotals, \n", BatchResults().toCsv(""));
}

TEST(BatchStoredChoices, BracketListsAndSettingsRoundTrip) {
    const std::vector<std::string> items =
        SplitBracketList("[Multiseed [~]][Breadth First][<<100 Random Polyhedra>>]");
    ASSERT_EQ(size_t(3), items.size());
    EXPECT_EQ("Multiseed [~]", items[0]);
    EXPECT_EQ("Breadth First", items[1]);
    EXPECT_EQ("<<100 Random Polyhedra>>", items[2]);
    EXPECT_TRUE(SplitBracketList("").empty());
    EXPECT_TRUE(BracketListHas("[Multiseed [~]][Breadth First]", "Multiseed [~]"));
    EXPECT_FALSE(BracketListHas("[Breadth First]", "Breadth"));

    BatchOptions options;
    options.strategies = {{nullptr, "Breadth First"}, {nullptr, "Multiseed [~]"}};
    options.tests = {"<<100 Random Polyhedra>>", "cube.off"};
    options.recordTo = "/tmp/vorn-batch-results/";
    options.modelPath = "/tmp/vorn-batch-models";
    options.varyRandoms = true;
    ASSERT_TRUE(WriteBatchSettings(BatchSettingsFrom(options)));
    EXPECT_EQ("[Breadth First][Multiseed [~]]",
              GetRegistryString("Settings", "UnfoldAMatic/Filter", ""));
    EXPECT_EQ("[<<100 Random Polyhedra>>][cube.off]",
              GetRegistryString("Settings", "UnfoldAMatic/Tests", ""));
    EXPECT_EQ("true", GetRegistryString("Settings", "UnfoldAMatic/VaryRandoms", ""));
    EXPECT_EQ("false", GetRegistryString("Settings", "UnfoldAMatic/CaptureFails", ""));
    const BatchSettings read = ReadBatchSettings();
    EXPECT_EQ("/tmp/vorn-batch-results", read.path);
    EXPECT_EQ("/tmp/vorn-batch-models", read.modelPath);
    EXPECT_TRUE(read.varyRandoms);
    EXPECT_FALSE(read.writePdfs);
}
