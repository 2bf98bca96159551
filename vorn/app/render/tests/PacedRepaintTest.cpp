#include "vorn/app/render/PacedRepaint.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace {

using namespace std::chrono_literals;

/// A widget whose paint costs `paintCost`, counting its paints.
class CostlyWidget : public QWidget {
public:
    std::chrono::milliseconds paintCost{0};
    int paints = 0;
    PacedRepaint repaint{*this, 10, 4ms};

protected:
    void paintEvent(QPaintEvent*) override {
        repaint.paintStarted();
        std::this_thread::sleep_for(paintCost);
        ++paints;
        repaint.paintEnded();
    }
};

/// Runs the event loop for `ms` milliseconds.
void runEvents(int ms) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        std::this_thread::sleep_for(1ms);
    }
}

TEST(PacedRepaintTest, RequestsAfterACostlyPaintBecomeOneLaterRepaint) {
    CostlyWidget widget;
    widget.resize(40, 30);
    widget.show();
    runEvents(100);
    ASSERT_GT(widget.paints, 0) << "the widget paints on this platform";

    // Cheap paints never hold a request back.
    widget.repaint.request();
    EXPECT_FALSE(widget.repaint.isWaiting());
    runEvents(50);

    // A 20 ms paint: requests within the next 200 ms wait, and all of them make one paint.
    widget.paintCost = 20ms;
    const int beforeCostly = widget.paints;
    widget.repaint.request();
    QElapsedTimer clock;
    clock.start();
    while (widget.paints == beforeCostly && clock.elapsed() < 5000)
        runEvents(1);
    const int afterCostly = widget.paints;
    ASSERT_EQ(beforeCostly + 1, afterCostly);
    widget.paintCost = 0ms;
    for (int i = 0; i < 5; ++i)
        widget.repaint.request();
    EXPECT_TRUE(widget.repaint.isWaiting());
    runEvents(30);
    EXPECT_EQ(afterCostly, widget.paints) << "held back by the pace";
    runEvents(400);
    EXPECT_FALSE(widget.repaint.isWaiting());
    EXPECT_EQ(afterCostly + 1, widget.paints) << "one repaint for the five requests";
}

} // namespace
