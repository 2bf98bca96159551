#include "SceneTestObjects.h"

#include "scene/SceneObj.h"

#include <gtest/gtest.h>

using Sorvex::M3d;
using Sorvex::M4x4;

namespace {

bool near(const M3d& a, const M3d& b) {
    return std::abs(a.x() - b.x()) < 1e-12 && std::abs(a.y() - b.y()) < 1e-12 &&
           std::abs(a.z() - b.z()) < 1e-12;
}

} // namespace

TEST(SceneObjTree, SetParentAppendsInOrderAndReparentingDetaches) {
    SceneObj a, b;
    auto* x = new SceneObj;
    auto* y = new SceneObj;
    EXPECT_TRUE(x->setParent(&a));
    EXPECT_TRUE(y->setParent(&a));
    ASSERT_EQ(2u, a.getChildren().size());
    EXPECT_EQ(x, a.getChildren()[0]);
    EXPECT_EQ(y, a.getChildren()[1]);
    EXPECT_EQ(&a, x->getParent());

    EXPECT_TRUE(x->setParent(&b));
    EXPECT_EQ(&b, x->getParent());
    ASSERT_EQ(1u, a.getChildren().size());
    EXPECT_EQ(y, a.getChildren()[0]);
    ASSERT_EQ(1u, b.getChildren().size());

    // Attaching to the same parent again does not duplicate the child.
    EXPECT_TRUE(x->setParent(&b));
    EXPECT_EQ(1u, b.getChildren().size());

    // addChild also moves a child from its old parent.
    EXPECT_TRUE(a.addChild(x));
    EXPECT_EQ(0u, b.getChildren().size());
    EXPECT_EQ(2u, a.getChildren().size());
    EXPECT_EQ(x, a.getChildren()[1]);
}

TEST(SceneObjTree, CyclesAreRefusedAndChangeNothing) {
    SceneObj root;
    auto* mid = new SceneObj;
    auto* leaf = new SceneObj;
    mid->setParent(&root);
    leaf->setParent(mid);

    EXPECT_FALSE(mid->setParent(leaf));
    EXPECT_FALSE(mid->setParent(mid));
    EXPECT_FALSE(leaf->addChild(&root));
    EXPECT_FALSE(root.addChild(nullptr));
    EXPECT_EQ(&root, mid->getParent());
    EXPECT_EQ(mid, leaf->getParent());
    EXPECT_TRUE(root.isAncestorOf(leaf));
    EXPECT_FALSE(leaf->isAncestorOf(&root));
}

TEST(SceneObjTree, RemChildHandsOwnershipBackAndDetachedParentIsNull) {
    SceneObj root;
    auto* child = new SceneObj;
    child->setParent(&root);
    SceneObj other;
    EXPECT_FALSE(other.remChild(child));
    EXPECT_TRUE(root.remChild(child));
    EXPECT_EQ(nullptr, child->getParent());
    EXPECT_TRUE(root.getChildren().empty());
    EXPECT_TRUE(child->setParent(nullptr));
    delete child;
}

TEST(SceneObjTree, DeletingAParentDeletesItsSubtreeAndAChildLeavesItsParent) {
    const int liveBefore = TestShape::s_live;
    auto* parent = new TestShape;
    auto* child = new TestShape;
    (new TestShape)->setParent(child);
    child->setParent(parent);
    auto* sibling = new TestShape;
    sibling->setParent(parent);
    EXPECT_EQ(liveBefore + 4, TestShape::s_live);

    delete sibling;
    ASSERT_EQ(1u, parent->getChildren().size());
    EXPECT_EQ(child, parent->getChildren()[0]);

    delete parent;
    EXPECT_EQ(liveBefore, TestShape::s_live);
}

TEST(SceneObjTransform, TranslateMovesInTheParentFrame) {
    SceneObj obj;
    obj.translate(M3d(1, 2, 3));
    obj.translate(M3d(1, 0, -1));
    EXPECT_TRUE(near(M3d(2, 2, 2), obj.getTranslation()));

    // With a rotation, a translation still moves along the parent's axes.
    M4x4 turned = M4x4::Rotation(M3d(0, 0, 1), 1.0);
    obj.setTransform(turned);
    obj.translate(M3d(5, 0, 0));
    EXPECT_TRUE(near(M3d(5, 0, 0), obj.getTranslation()));
    M3d origin(0, 0, 0);
    EXPECT_TRUE(near(M3d(5, 0, 0), obj.getTransform() * origin));
}

TEST(SceneObjTransform, WorldTransformComposesFromTheRootDown) {
    SceneObj root;
    auto* arm = new SceneObj;
    auto* hand = new SceneObj;
    arm->setParent(&root);
    hand->setParent(arm);
    root.translate(M3d(10, 0, 0));
    M4x4 quarter = M4x4::Rotation(M3d(0, 0, 1), 1.5707963267948966);
    arm->setTransform(quarter);
    hand->translate(M3d(1, 0, 0));

    const M3d p = hand->getWorldTransform() * M3d(0, 0, 0);
    // The hand's offset is turned by the arm's rotation, then moved by the root.
    const M3d expected = M3d(10, 0, 0) + quarter * M3d(1, 0, 0);
    EXPECT_TRUE(near(expected, p));
    EXPECT_NEAR(1.0, std::abs(p.y()), 1e-12);
}
