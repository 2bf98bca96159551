#include "blobby/Polygonize.h"
#include "blobby/MetaBall.h"
#include "blobby/MetaSurface.h"
#include "scene/SceneRoot.h"
#include "scene/mesh/PolyMesh.h"

#include <gtest/gtest.h>

using Sorvex::M3d;

TEST(PolygonizeTest, RunsToTheEndOrRefusesWithAReason) {
    SceneRoot root;
    auto* group = new SceneObj;
    group->setParent(&root);
    auto* surface = new MetaSurface;
    surface->setParent(group);
    ASSERT_EQ(surface, FindMetaSurface(root));

    std::string error;
    EXPECT_EQ(nullptr, PolygonizeToEnd(*surface, 0, nullptr, error));
    EXPECT_EQ("the MetaSurface has no field sources (MetaBall or MetaLine)", error);

    (new MetaBall(M3d(0, 0, 0), 2.0))->setParent(surface);
    EXPECT_EQ(nullptr, PolygonizeToEnd(*surface, 0, nullptr, error));
    EXPECT_EQ("the MetaSurface has empty extents", error);

    surface->setExtents(M3d(2, 2, 2), true);
    EXPECT_EQ(nullptr, PolygonizeToEnd(*surface, 11, nullptr, error));
    EXPECT_NE(std::string::npos, error.find("memory"));
    EXPECT_EQ(5, surface->getMaxLevel());

    int calls = 0;
    auto mesh = PolygonizeToEnd(
        *surface, 4, [&](int, size_t) { ++calls; }, error);
    ASSERT_NE(nullptr, mesh);
    EXPECT_TRUE(surface->isDone());
    EXPECT_EQ(4, surface->getMaxLevel());
    EXPECT_GT(calls, 0);
    EXPECT_GT(mesh->getPolyCount(), 50u);
    EXPECT_EQ(nullptr, mesh->getParent());
    EXPECT_EQ(1u, root.getChildren().size()) << "the scene is left as it was";
}
