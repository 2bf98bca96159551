#include "vorn/app/CMainFrame.h"

#include "common/IdleLoop.h"
#include "scene/SceneObj.h"
#include "scene/SceneRoot.h"

#include <gtest/gtest.h>

namespace {

/// Counts its calls, ticks again from inside its own slice (as a handler that pumps
/// events would) and queues the deletion of an object.
struct NestingHandler : SystemIdleHandler {
    NestingHandler() { RegisterSystemIdleHandler(this); }
    ~NestingHandler() override { UnregisterSystemIdleHandler(this); }
    void onSystemIdle() override {
        ++calls;
        CMainFrame::IdleTick();
        if (doomed) {
            SceneObj::DelayedDelete(doomed);
            doomed = nullptr;
        }
    }
    int calls = 0;
    SceneObj* doomed = nullptr;
};

TEST(IdleTickTest, NoReentryAndDelayedWorkAfterTheTick) {
    SceneRoot root;
    auto* child = new SceneObj;
    ASSERT_TRUE(child->setParent(&root));
    NestingHandler handler;
    handler.doomed = child;

    CMainFrame::IdleTick();
    EXPECT_EQ(1, handler.calls) << "a nested tick must not run the handlers again";
    EXPECT_TRUE(root.getChildren().empty()) << "queued deletions are carried out after the tick";

    CMainFrame::IdleTick();
    EXPECT_EQ(2, handler.calls) << "the guard is released after each tick";
}

} // namespace
