// Random series give the results files they gave before the batch engine was made
// faster: the files in tests/data/batch were written once the random polyhedra came
// in their canonical face and corner order, so any later change to the polyhedra,
// their order or the counting shows here.
#include "vorn/core/batch/BatchRunner.h"
#include "vorn/core/shapes/RandomConvex.h"

#include "tests/support/FileText.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;

namespace {

std::string runSeries(const std::vector<const char*>& strategies, const char* test,
                      bool varyRandoms, unsigned seed) {
    TempDir tmp;
    BatchOptions options;
    for (const char* name : strategies) {
        options.strategies.push_back(FindOfferedStrategy(name));
        EXPECT_NE(nullptr, options.strategies.back().factory) << name;
    }
    options.tests = {test};
    options.varyRandoms = varyRandoms;
    options.seed = seed;
    options.randomBuilder = BuildRandomConvex;
    options.recordTo = tmp.path();
    BatchRunner runner;
    runner.start(options);
    runner.run(1);
    return ReadFileText(fs::path(tmp.path()) / "results.csv");
}

std::string fixture(const char* name) {
    return ReadFileText(fs::path(VORN_SOURCE_DIR) / "tests" / "data" / "batch" / name);
}

} // namespace

TEST(BatchFixture, HundredPointSeriesCountsAsBefore) {
    EXPECT_EQ(fixture("breadth-first-500-seed1.csv"),
              runSeries({"Breadth First"}, "<<500 Random Polyhedra>>", false, 1));
}

TEST(BatchFixture, VariedSeriesOfFourStrategiesCountsAsBefore) {
    EXPECT_EQ(fixture("four-strategies-300-varied-seed5.csv"),
              runSeries({"Breadth First", "Least Height", "Curvature Ordering", "Random Cut"},
                        "<<300 Random Polyhedra>>", true, 5));
}
