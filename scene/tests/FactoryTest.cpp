#include "SceneTestObjects.h"

#include "scene/Factory.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <string>
#include <thread>

namespace {

class LocalFactory final : public Factory {
public:
    LocalFactory(std::string_view name, std::string_view listedUnder)
        : Factory(name, listedUnder) {}
    Factorable* newInstance() const override { return new TestShape(); }
};

ptrdiff_t positionOf(std::string_view name) {
    const std::vector<Factory*> list = Factory::GetFactoryList();
    auto it = std::find_if(list.begin(), list.end(),
                           [&](Factory* f) { return f->getClassName() == name; });
    return it == list.end() ? -1 : it - list.begin();
}

} // namespace

TEST(Factory, ListKeepsRegistrationOrderAndFollowsLoadAndUnload) {
    // Static factories of one source file register in definition order.
    ASSERT_GE(positionOf("TestShape"), 0);
    EXPECT_LT(positionOf("TestShape"), positionOf("TestCube"));
    EXPECT_LT(positionOf("TestCube"), positionOf("CTestShapeSettings"));

    const size_t before = Factory::GetFactoryList().size();
    {
        LocalFactory late("LateClass", "SceneObj");
        const std::vector<Factory*> list = Factory::GetFactoryList();
        ASSERT_EQ(before + 1, list.size());
        EXPECT_EQ(&late, list.back());
        EXPECT_EQ(&late, Factory::GetFactory("LateClass"));
    }
    EXPECT_EQ(before, Factory::GetFactoryList().size());
    EXPECT_EQ(nullptr, Factory::GetFactory("LateClass"));
}

TEST(Factory, BuildsByNameAndAnswersItsOwnClass) {
    std::unique_ptr<Factorable> cube(Factory::BuildObj("TestCube"));
    ASSERT_NE(nullptr, dynamic_cast<TestCube*>(cube.get()));
    EXPECT_EQ("TestCube", cube->getClassName());
    EXPECT_EQ(&TestCube::g_TestCubeBuilder, cube->getClassFactory());
    EXPECT_EQ("TestCube", TestCube::g_TestCubeBuilder.getClassName());

    std::unique_ptr<Factorable> plain(Factory::BuildObj("SceneObj"));
    EXPECT_EQ("SceneObj", plain->getClassName());
}

TEST(Factory, UnknownAndAbstractNamesBuildNothing) {
    EXPECT_EQ(nullptr, Factory::GetFactory("NoSuchClass"));
    EXPECT_EQ(nullptr, Factory::BuildObj("NoSuchClass"));
    EXPECT_EQ(nullptr, Factory::BuildObj(""));
    EXPECT_EQ(nullptr, Factory::GetFactory("testcube")) << "names are case-sensitive";
    ASSERT_NE(nullptr, Factory::GetFactory("CSettingsDlg"));
    EXPECT_EQ(nullptr, Factory::BuildObj("CSettingsDlg"));
}

TEST(Factory, ListedUnderChainIsWalkedToTheTop) {
    Factory& cube = TestCube::g_TestCubeBuilder;
    EXPECT_EQ(&TestShape::g_TestShapeBuilder, cube.getListedUnder());
    EXPECT_EQ(&SceneObj::g_SceneObjBuilder, TestShape::g_TestShapeBuilder.getListedUnder());
    EXPECT_EQ(nullptr, SceneObj::g_SceneObjBuilder.getListedUnder());

    EXPECT_TRUE(cube.isListedUnder("TestCube"));
    EXPECT_TRUE(cube.isListedUnder("TestShape"));
    EXPECT_TRUE(cube.isListedUnder("SceneObj"));
    EXPECT_FALSE(cube.isListedUnder("CSettingsDlg"));
    EXPECT_FALSE(TestShape::g_TestShapeBuilder.isListedUnder("TestCube"));
    EXPECT_TRUE(CTestShapeSettings::g_CTestShapeSettingsBuilder.isListedUnder("CSettingsDlg"));
}

TEST(Factory, ListedUnderResolvesLateAndSurvivesMistakes) {
    // A factory listed under one that loads later sees it once it is there.
    LocalFactory child("OrphanChild", "LaterParent");
    EXPECT_EQ(nullptr, child.getListedUnder());
    EXPECT_FALSE(child.isListedUnder("SceneObj"));
    {
        LocalFactory parent("LaterParent", "SceneObj");
        EXPECT_EQ(&parent, child.getListedUnder());
        EXPECT_TRUE(child.isListedUnder("SceneObj"));
    }
    EXPECT_EQ(nullptr, child.getListedUnder());

    // A chain that loops must not hang the walk.
    LocalFactory a("LoopA", "LoopB");
    LocalFactory b("LoopB", "LoopA");
    EXPECT_FALSE(a.isListedUnder("SceneObj"));
    EXPECT_TRUE(a.isListedUnder("LoopB"));
}

TEST(Factory, FirstRegisteredWinsForADuplicateName) {
    LocalFactory duplicate("TestShape", "");
    EXPECT_EQ(&TestShape::g_TestShapeBuilder, Factory::GetFactory("TestShape"));
}

TEST(Factory, OnlySettingsPanelsAreCreatedForATarget) {
    TestShape target;
    EXPECT_EQ(nullptr, TestShape::g_TestShapeBuilder.createSettingsDlg(&target));
    std::unique_ptr<CSettingsDlg> dlg(
        CTestShapeSettings::g_CTestShapeSettingsBuilder.createSettingsDlg(&target));
    ASSERT_NE(nullptr, dlg);
    EXPECT_EQ(&target, dlg->getTarget());
    EXPECT_EQ(1u, target.getSettingsDlgList().size());
}

TEST(Factory, RegistrationIsSafeFromSeveralThreads) {
    const size_t before = Factory::GetFactoryList().size();
    constexpr int Threads = 4;
    constexpr int PerThread = 200;
    std::atomic<int> lookupsFailed{0};
    std::vector<std::thread> workers;
    for (int t = 0; t < Threads; ++t) {
        workers.emplace_back([t, &lookupsFailed] {
            std::vector<std::unique_ptr<LocalFactory>> mine;
            for (int i = 0; i < PerThread; ++i) {
                const std::string name = "Threaded" + std::to_string(t) + "_" + std::to_string(i);
                mine.push_back(std::make_unique<LocalFactory>(name, "SceneObj"));
                if (Factory::GetFactory(name) != mine.back().get() ||
                    !Factory::GetFactory("TestCube"))
                    ++lookupsFailed;
            }
        });
    }
    for (std::thread& w : workers)
        w.join();
    EXPECT_EQ(0, lookupsFailed.load());
    EXPECT_EQ(before, Factory::GetFactoryList().size());
}
