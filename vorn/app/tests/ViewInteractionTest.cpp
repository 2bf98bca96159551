#include "vorn/app/CVornDoc.h"
#include "vorn/app/CVornView.h"
#include "vorn/app/ViewGeometry.h"

#include "scene/SceneRoot.h"
#include "scene/mesh/Poly.h"
#include "scene/mesh/PolyMesh.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <memory>

namespace {

using Sorvex::M3d;

/// A flat 2 x 2 square in the plane z = 0 that counts what the view tells it.
class CountingSquare : public PolyMesh {
public:
    CountingSquare() {
        Vertex* a = addVertexAt(M3d(-1, -1, 0));
        Vertex* b = addVertexAt(M3d(1, -1, 0));
        Vertex* c = addVertexAt(M3d(1, 1, 0));
        Vertex* d = addVertexAt(M3d(-1, 1, 0));
        addPoly(new Poly{a, b, c, d});
    }
    void onBeginDrag() override { ++begins; }
    void onEndDrag() override { ++ends; }
    void onLButtonUp(const M3d& hit) override {
        ++clicks;
        lastClick = hit;
    }
    void onMouseOver(const M3d& hit) override {
        ++hovers;
        lastHover = hit;
    }
    int begins = 0, ends = 0, clicks = 0, hovers = 0;
    M3d lastClick, lastHover;
};

void expectNear(const M3d& expected, const M3d& actual, double tolerance = 1e-6) {
    EXPECT_NEAR(expected.x(), actual.x(), tolerance) << "x";
    EXPECT_NEAR(expected.y(), actual.y(), tolerance) << "y";
    EXPECT_NEAR(expected.z(), actual.z(), tolerance) << "z";
}

/// A 400 x 300 view of one square looked at from (0, 0, 10), the square selected.
class ViewInteractionTest : public testing::Test {
protected:
    void SetUp() override {
        doc.onNewDocument();
        square = new CountingSquare;
        ASSERT_TRUE(square->setParent(doc.getRoot()));
        view = std::make_unique<CVornView>(doc);
        view->resize(400, 300);
        view->getCamera().setLookAt(M3d(0, 0, 10), M3d(0, 0, 0), M3d(0, 1, 0));
        view->getCamera().setViewport(400, 300);
        doc.getRoot()->select(square);
    }
    void TearDown() override {
        view.reset();
        SceneObj::ProcessDelayedOperations();
    }

    void send(QEvent::Type type, QPoint pos, Qt::MouseButton button, Qt::MouseButtons held,
              Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QMouseEvent event(type, QPointF(pos), QPointF(pos), button, held, mods);
        QCoreApplication::sendEvent(view.get(), &event);
    }
    /// Left press at `from`, moves through `path`, release at the last point.
    void leftDrag(QPoint from, std::initializer_list<QPoint> path,
                  Qt::KeyboardModifiers mods = Qt::NoModifier) {
        send(QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton, mods);
        QPoint last = from;
        for (QPoint p : path) {
            send(QEvent::MouseMove, p, Qt::NoButton, Qt::LeftButton, mods);
            last = p;
        }
        send(QEvent::MouseButtonRelease, last, Qt::LeftButton, Qt::NoButton, mods);
    }
    Camera camera() const {
        Camera c = view->getCamera();
        c.setViewport(400, 300);
        return c;
    }

    CVornDoc doc;
    CountingSquare* square = nullptr;
    std::unique_ptr<CVornView> view;
};

TEST_F(ViewInteractionTest, DragMovesTheSelectionInTheViewPlane) {
    const M3d expected =
        ViewGeometry::dragMove(camera(), 200, 150, 240, 130, square->getCenter(), false);
    ASSERT_GT(expected.length(), 0.1);
    // The first step stays within the click slop; the drag still covers the whole way.
    leftDrag({200, 150}, {{202, 149}, {220, 140}, {240, 130}});
    expectNear(expected, square->getTranslation());
    EXPECT_EQ(1, square->begins);
    EXPECT_EQ(1, square->ends);
    EXPECT_EQ(0, square->clicks) << "a drag is not a click";
    EXPECT_EQ(square, doc.getRoot()->getSelection());

    // With Ctrl, vertical motion moves along the view direction (away from the eye when up).
    const M3d before = square->getTranslation();
    leftDrag({200, 150}, {{200, 130}}, Qt::ControlModifier);
    const M3d moved = square->getTranslation() - before;
    EXPECT_NEAR(0.0, moved.x(), 1e-9);
    EXPECT_NEAR(0.0, moved.y(), 1e-9);
    EXPECT_LT(moved.z(), -0.1);
}

TEST_F(ViewInteractionTest, SmallMoveIsAClick) {
    leftDrag({210, 150}, {{213, 147}});
    expectNear(M3d(0, 0, 0), square->getTranslation());
    EXPECT_EQ(0, square->begins);
    EXPECT_EQ(1, square->clicks);
    const M3d hit = square->lastClick;
    EXPECT_GT(hit.x(), 0.0) << "the hit point is where the mouse was released";
    EXPECT_NEAR(0.0, hit.z(), 1e-9);

    // A click on empty space clears the selection; a click on the square selects it again.
    leftDrag({5, 5}, {});
    EXPECT_EQ(nullptr, doc.getRoot()->getSelection());
    leftDrag({200, 150}, {});
    EXPECT_EQ(square, doc.getRoot()->getSelection());
}

TEST_F(ViewInteractionTest, DragOffTheSelectionOrbitsTheCamera) {
    doc.getRoot()->select(nullptr);
    const M3d eye = view->getCamera().getEye();
    leftDrag({200, 150}, {{260, 150}});
    expectNear(M3d(0, 0, 0), square->getTranslation());
    EXPECT_EQ(nullptr, doc.getRoot()->getSelection()) << "an orbit selects nothing";
    EXPECT_GT((view->getCamera().getEye() - eye).length(), 0.1);
    EXPECT_NEAR(10.0, view->getCamera().getDistance(), 1e-6) << "orbiting keeps the distance";
}

TEST_F(ViewInteractionTest, TheCameraMovesFromTheFirstOrbitStepUntilTheRelease) {
    doc.getRoot()->select(nullptr);
    send(QEvent::MouseButtonPress, {200, 150}, Qt::LeftButton, Qt::LeftButton);
    EXPECT_FALSE(view->isCameraMoving()) << "a press alone may still be a click";
    send(QEvent::MouseMove, {240, 150}, Qt::NoButton, Qt::LeftButton);
    EXPECT_TRUE(view->isCameraMoving());
    send(QEvent::MouseButtonRelease, {240, 150}, Qt::LeftButton, Qt::NoButton);
    EXPECT_FALSE(view->isCameraMoving()) << "the frame after the release draws every face";

    // The wheel has no release: the camera holds still once no notch followed for a moment.
    QWheelEvent wheel(QPointF(200, 150), QPointF(200, 150), QPoint(), QPoint(0, 120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(view.get(), &wheel);
    EXPECT_TRUE(view->isCameraMoving());
    QElapsedTimer clock;
    clock.start();
    while (view->isCameraMoving() && clock.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_FALSE(view->isCameraMoving());
}

TEST_F(ViewInteractionTest, CtrlShiftDragMovesAClone) {
    leftDrag({200, 150}, {{240, 150}}, Qt::ControlModifier | Qt::ShiftModifier);
    const auto& children = doc.getRoot()->getChildren();
    ASSERT_EQ(2u, children.size());
    SceneObj* copy = doc.getRoot()->getSelection();
    ASSERT_NE(nullptr, copy);
    EXPECT_NE(square, copy);
    expectNear(M3d(0, 0, 0), square->getTranslation());
    EXPECT_GT(copy->getTranslation().x(), 0.1);
    EXPECT_EQ(0, square->begins) << "the clone is dragged, not the original";
}

TEST_F(ViewInteractionTest, CtrlClickFliesToFaceTheSurface) {
    // Seen at a slant, the flight still ends looking straight at the square.
    view->getCamera().setLookAt(M3d(6, 0, 8), M3d(0, 0, 0), M3d(0, 1, 0));
    const ScreenPoint centre = camera().project(M3d(0, 0, 0));
    const QPoint at(int(centre.x + 10), int(centre.y));
    leftDrag(at, {}, Qt::ControlModifier);
    ASSERT_TRUE(view->getCamera().isMoving());
    view->getCamera().advance(2000);
    const M3d hit = square->lastClick;
    expectNear(hit, view->getCamera().getTarget());
    expectNear(M3d(0, 0, -1), view->getCamera().getViewDirection());
    EXPECT_NEAR((M3d(6, 0, 8) - hit).length(), view->getCamera().getDistance(), 1e-6);
}

TEST_F(ViewInteractionTest, HoverReportsThePointUnderTheMouse) {
    send(QEvent::MouseMove, {5, 5}, Qt::NoButton, Qt::NoButton);
    EXPECT_EQ(0, square->hovers) << "nothing under the mouse";
    // Moves in quick succession are folded into one report of the last point.
    send(QEvent::MouseMove, {150, 100}, Qt::NoButton, Qt::NoButton);
    send(QEvent::MouseMove, {200, 150}, Qt::NoButton, Qt::NoButton);
    QElapsedTimer clock;
    clock.start();
    while (square->hovers == 0 && clock.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    EXPECT_EQ(1, square->hovers);
    expectNear(M3d(0, 0, 0), square->lastHover, 1e-2);
}

TEST_F(ViewInteractionTest, AGrowingSceneStaysInSightUntilTheUserMovesTheCamera) {
    ASSERT_TRUE(view->recenter());
    EXPECT_TRUE(view->isFollowingScene());
    // The 2 x 2 square's sphere (radius sqrt 2) with the margin: farther than a tight fit.
    Camera tight = view->getCamera();
    tight.oversight(M3d(-1, -1, 0), M3d(1, 1, 0));
    EXPECT_GT(view->getCamera().getDistance(), tight.getDistance() * 1.1);

    const double before = view->getCamera().getDistance();
    EXPECT_FALSE(view->keepInSight(M3d(-1, -1, 0), M3d(1, 1, 0))) << "nothing grew";
    EXPECT_TRUE(view->keepInSight(M3d(-1, -1, 0), M3d(7, 1, 0)));
    EXPECT_GT(view->getCamera().getDistance(), before * 2);
    EXPECT_NEAR(3.0, view->getCamera().getTarget().x(), 1e-9) << "aimed at the grown net";

    QWheelEvent wheel(QPointF(200, 150), QPointF(200, 150), QPoint(), QPoint(0, 120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(view.get(), &wheel);
    EXPECT_FALSE(view->isFollowingScene());
    const double zoomed = view->getCamera().getDistance();
    EXPECT_FALSE(view->keepInSight(M3d(-1, -1, 0), M3d(20, 1, 0)));
    EXPECT_DOUBLE_EQ(zoomed, view->getCamera().getDistance()) << "the user's camera is kept";

    view->recenter();
    EXPECT_TRUE(view->isFollowingScene()) << "Recenter follows the scene again";
}

} // namespace
