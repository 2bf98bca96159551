// The strategy catalogue: display names, which classes are strategies and which are
// offered, and lookup by any spelling. The unfolding library is linked in, so its
// strategies are registered.
#include "vorn/core/StrategyCatalogue.h"

#include "scene/Factory.h"
#include "unfolders/engine/Unfolder.h"

#include <gtest/gtest.h>

#include <algorithm>

/// A strategy only code builds: listed under "Unfolder" but not offered.
class HiddenTestUnfolder : public Unfolder {
    VORN_DECLARE_FACTORY(HiddenTestUnfolder)
};
VORN_DEFINE_FACTORY(HiddenTestUnfolder, "Unfolder")

TEST(StrategyCatalogue, DisplayNamesFollowTheClassName) {
    EXPECT_EQ("Breadth First", StrategyDisplayName("BreadthFirstUnfolder"));
    EXPECT_EQ("Multiseed [~]", StrategyDisplayName("MultiseedUnfolder"));
    EXPECT_EQ("Quick Random Cut", StrategyDisplayName("QuickRandomCutUnfolder"));
    EXPECT_EQ("Collision Repair", StrategyDisplayName("CollisionRepairUnfolder"));
    EXPECT_EQ("Intelligent Breadth First [~]",
              StrategyDisplayName("IntelligentBreadthFirstUnfolder"));
    EXPECT_EQ("Multipart Curvature Ordering [~]",
              StrategyDisplayName("MultipartCurvatureOrderingUnfolder"));
    EXPECT_EQ("Cross Section [~]", StrategyDisplayName("CrossSectionUnfolder"));
    // Every upper-case letter gets its blank, runs of capitals included.
    EXPECT_EQ("L B L Unfolding", StrategyDisplayName("LBLUnfolding"));
    EXPECT_EQ("", StrategyDisplayName("Unfolder"));
}

TEST(StrategyCatalogue, OnlyDeclaredStrategiesAreOfferedSortedByDisplayName) {
    const std::vector<Factory*> all = ListStrategies();
    const auto has = [&](const char* name) {
        return std::find(all.begin(), all.end(), Factory::GetFactory(name)) != all.end();
    };
    EXPECT_TRUE(has("Unfolder"));
    EXPECT_TRUE(has("HiddenTestUnfolder"));
    EXPECT_TRUE(has("BreadthFirstUnfolder"));
    EXPECT_FALSE(has("CUnfolderSettings"));
    EXPECT_FALSE(has("PolyMesh"));

    const std::vector<OfferedStrategy> offered = ListOfferedStrategies();
    ASSERT_FALSE(offered.empty());
    for (size_t i = 0; i < offered.size(); ++i) {
        EXPECT_TRUE(IsStrategy(*offered[i].factory)) << offered[i].displayName;
        EXPECT_EQ(StrategyDisplayName(offered[i].factory->getClassName()), offered[i].displayName);
        EXPECT_NE("Unfolder", offered[i].factory->getClassName());
        EXPECT_NE("HiddenTestUnfolder", offered[i].factory->getClassName());
        if (i > 0) {
            EXPECT_LE(offered[i - 1].displayName, offered[i].displayName);
        }
    }
}

TEST(StrategyCatalogue, StrategiesAreFoundByAnySpelling) {
    Factory* breadth = Factory::GetFactory("BreadthFirstUnfolder");
    ASSERT_NE(nullptr, breadth);
    for (const char* name :
         {"BreadthFirstUnfolder", "Breadth First", "breadth-first", "breadth first unfolder"}) {
        EXPECT_EQ(breadth, FindOfferedStrategy(name).factory) << name;
        EXPECT_EQ(breadth, FindStrategy(name)) << name;
    }
    // The base and hidden strategies are built by name but never offered.
    EXPECT_EQ(nullptr, FindOfferedStrategy("Unfolder").factory);
    EXPECT_EQ(Factory::GetFactory("Unfolder"), FindStrategy("unfolder"));
    EXPECT_EQ(nullptr, FindOfferedStrategy("HiddenTestUnfolder").factory);
    EXPECT_EQ(Factory::GetFactory("HiddenTestUnfolder"), FindStrategy("hidden test unfolder"));
    EXPECT_EQ(nullptr, FindStrategy("PolyMesh"));
    EXPECT_EQ(nullptr, FindStrategy("No Such"));
}
