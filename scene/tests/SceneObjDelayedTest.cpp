#include "SceneTestObjects.h"

#include "scene/SceneRoot.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

/// A root with a shape under it; the pump is emptied before and after each test.
class DelayedOps : public ::testing::Test {
protected:
    void SetUp() override {
        SceneObj::ProcessDelayedOperations();
        liveBefore = TestShape::s_live;
    }
    void TearDown() override { SceneObj::Cleanup(); }

    TestShape* addShape(SceneObj* parent) {
        auto* s = new TestShape;
        s->setParent(parent);
        return s;
    }

    SceneRoot root;
    int liveBefore = 0;
};

} // namespace

TEST_F(DelayedOps, NothingHappensBeforeThePump) {
    TestShape* shape = addShape(&root);
    SceneObj::DelayedDelete(shape);
    SceneObj::DelayedSelect(addShape(&root));
    EXPECT_EQ(2u, root.getChildren().size());
    EXPECT_EQ(nullptr, root.getSelection());

    SceneObj::ProcessDelayedOperations();
    ASSERT_EQ(1u, root.getChildren().size());
    EXPECT_EQ(root.getChildren()[0], root.getSelection());
    EXPECT_EQ(liveBefore + 1, TestShape::s_live);
}

TEST_F(DelayedOps, QueuingTheSameDeletionTwiceDeletesOnce) {
    TestShape* shape = addShape(&root);
    SceneObj::DelayedDelete(shape);
    SceneObj::DelayedDelete(shape);
    SceneObj::ProcessDelayedOperations();
    EXPECT_EQ(liveBefore, TestShape::s_live);
    EXPECT_TRUE(root.getChildren().empty());
}

TEST_F(DelayedOps, DeletedObjectWithPendingSelectIsNotSelected) {
    TestShape* doomed = addShape(&root);
    SceneObj::DelayedSelect(doomed);
    SceneObj::DelayedDelete(doomed);
    SceneObj::ProcessDelayedOperations();
    EXPECT_EQ(nullptr, root.getSelection());
    EXPECT_EQ(liveBefore, TestShape::s_live);

    // Deleted directly, before the pump runs.
    TestShape* gone = addShape(&root);
    SceneObj::DelayedSelect(gone);
    SceneObj::DelayedDelete(gone);
    delete gone;
    SceneObj::ProcessDelayedOperations();
    EXPECT_EQ(nullptr, root.getSelection());
    EXPECT_EQ(liveBefore, TestShape::s_live);
}

TEST_F(DelayedOps, DeletingAParentDropsItsQueuedDescendants) {
    TestShape* parent = addShape(&root);
    TestShape* child = addShape(parent);
    TestShape* grandchild = addShape(child);
    // The parent comes first in the queue; its descendants go with it.
    SceneObj::DelayedDelete(parent);
    SceneObj::DelayedDelete(grandchild);
    SceneObj::DelayedSelect(child);
    SceneObj::DelayedDelete(child);
    SceneObj::ProcessDelayedOperations();
    EXPECT_EQ(liveBefore, TestShape::s_live);
    EXPECT_TRUE(root.getChildren().empty());
    EXPECT_EQ(nullptr, root.getSelection());

    // Child first, then its parent: each is deleted once.
    TestShape* p = addShape(&root);
    TestShape* c = addShape(p);
    SceneObj::DelayedDelete(c);
    SceneObj::DelayedDelete(p);
    SceneObj::ProcessDelayedOperations();
    EXPECT_EQ(liveBefore, TestShape::s_live);
}

TEST_F(DelayedOps, DeletingTheSelectionOrItsAncestorClearsIt) {
    TestShape* parent = addShape(&root);
    TestShape* child = addShape(parent);
    root.select(child);
    ASSERT_EQ(child, root.getSelection());
    SceneObj::DelayedDelete(parent);
    SceneObj::ProcessDelayedOperations();
    EXPECT_EQ(nullptr, root.getSelection());

    // A direct delete clears it too.
    TestShape* direct = addShape(&root);
    root.select(direct);
    delete direct;
    EXPECT_EQ(nullptr, root.getSelection());
}

TEST_F(DelayedOps, SelectionsRunInOrderAndTheLastWins) {
    TestShape* a = addShape(&root);
    TestShape* b = addShape(&root);
    SceneObj::DelayedSelect(a);
    SceneObj::DelayedSelect(b);
    SceneObj::ProcessDelayedOperations();
    EXPECT_EQ(b, root.getSelection());
}

TEST_F(DelayedOps, CleanupCarriesOutWhatIsQueued) {
    SceneObj::DelayedDelete(addShape(&root));
    SceneObj::Cleanup();
    EXPECT_EQ(liveBefore, TestShape::s_live);
    SceneObj::ProcessDelayedOperations(); // nothing left to do
    EXPECT_TRUE(root.getChildren().empty());
}

TEST_F(DelayedOps, QueuesBelongToTheThreadThatFilledThem) {
    TestShape* shape = addShape(&root);
    SceneObj::DelayedDelete(shape);
    std::thread other([] { SceneObj::ProcessDelayedOperations(); });
    other.join();
    EXPECT_EQ(1u, root.getChildren().size()) << "another thread's pump must not delete it";
    SceneObj::ProcessDelayedOperations();
    EXPECT_TRUE(root.getChildren().empty());
}
