// Attaching a strategy from the workbench: one net per mesh, refusals change nothing.
#include "vorn/core/AttachStrategy.h"

#include "scene/Factory.h"
#include "scene/SceneRoot.h"
#include "scene/mesh/PolyMesh.h"
#include "tests/support/RunStrategy.h"
#include "tests/support/TestShapes.h"
#include "unfolders/engine/Unfolder.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

size_t strategyChildren(PolyMesh& mesh) {
    size_t n = 0;
    for (SceneObj* child : mesh.getChildren())
        n += IsUnfoldingStrategy(child) ? 1 : 0;
    return n;
}

} // namespace

TEST(AttachStrategy, ANewStrategyReplacesTheOldNetAndUnfolds) {
    SceneRoot root;
    auto* mesh = new PolyMesh;
    ASSERT_TRUE(mesh->fromMeshData(testshapes::cube()));
    ASSERT_TRUE(mesh->setParent(&root));
    Factory* base = Factory::GetFactory("BreadthFirstUnfolder");
    ASSERT_NE(nullptr, base);

    std::string error;
    auto* first = dynamic_cast<Unfolder*>(AttachStrategy(*mesh, *base, &error));
    ASSERT_NE(nullptr, first) << error;
    testshapes::runToEnd(*first);
    EXPECT_TRUE(first->isSuccesful());

    auto* second = dynamic_cast<Unfolder*>(AttachStrategy(*mesh, *base, &error));
    ASSERT_NE(nullptr, second) << error;
    EXPECT_EQ(1u, strategyChildren(*mesh)) << "the first net is gone";
    testshapes::runToEnd(*second);
    EXPECT_TRUE(second->isSuccesful()) << "the source faces were free for the new net";
    EXPECT_EQ(6u, second->getPolyCount());
}

TEST(AttachStrategy, RefusalsLeaveTheMeshAsItWas) {
    PolyMesh mesh;
    ASSERT_TRUE(mesh.fromMeshData(testshapes::cube()));
    std::string error;
    EXPECT_EQ(nullptr, AttachStrategy(mesh, *Factory::GetFactory("PolyMesh"), &error));
    EXPECT_NE(std::string::npos, error.find("not an unfolding strategy"));
    EXPECT_TRUE(mesh.getChildren().empty());

    auto* net = dynamic_cast<Unfolder*>(AttachStrategy(mesh, *Factory::GetFactory("Unfolder")));
    ASSERT_NE(nullptr, net);
    EXPECT_EQ(nullptr, AttachStrategy(*net, *Factory::GetFactory("Unfolder"), &error))
        << "a net is not unfolded again";
    EXPECT_TRUE(net->getChildren().empty());
}
