#include "blobby/ExtentsControl.h"
#include "blobby/Falloff.h"
#include "blobby/MetaBall.h"
#include "blobby/MetaLine.h"
#include "blobby/MetaSurface.h"
#include "common/XML.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>

using Sorvex::M3d;

namespace {

double fieldAt(Force& f, M3d p) {
    return f(p);
}

// Builds lines at the given points under `parent`, each hanging from the previous one.
std::vector<MetaLine*> chain(SceneObj& parent, std::initializer_list<M3d> points) {
    std::vector<MetaLine*> lines;
    for (const M3d& p : points) {
        auto* line = new MetaLine(2.0);
        line->translate(p);
        line->setParent(&parent);
        if (!lines.empty()) {
            EXPECT_TRUE(lines.back()->connect(line));
        }
        lines.push_back(line);
    }
    return lines;
}

} // namespace

TEST(FalloffTest, SoftObjectProfileAndSign) {
    EXPECT_DOUBLE_EQ(1.0, JimBlynn(0, 2));
    EXPECT_DOUBLE_EQ(2.0 / 3.0, JimBlynn(1, 2));
    EXPECT_DOUBLE_EQ(0.0, JimBlynn(3, 2));
    EXPECT_DOUBLE_EQ(0.0, JimBlynn(7, 2));
    EXPECT_DOUBLE_EQ(-2.0 / 3.0, JimBlynn(1, -2));
    EXPECT_EQ(0.0, JimBlynn(0, 0));
    EXPECT_EQ(0.0, JimBlynn(1, 0));
    // Continuous at the joint b = 1 of the two pieces.
    EXPECT_NEAR(JimBlynn(1 - 1e-9, 2), JimBlynn(1 + 1e-9, 2), 1e-8);
    EXPECT_DOUBLE_EQ(1.0, Wyvill(0));
    EXPECT_NEAR(1 - 2.444444 + 1.888889 - 0.444444, Wyvill(1), 1e-15);
    EXPECT_EQ(0.0, Wyvill(2));
}

TEST(MetaBallTest, FieldRadiusAndRefusedValues) {
    MetaBall ball(M3d(1, 0, 0), 2.0);
    EXPECT_EQ(M3d(1, 0, 0), ball.getCenter());
    EXPECT_DOUBLE_EQ(1.0, fieldAt(ball, M3d(1, 0, 0)));
    EXPECT_DOUBLE_EQ(2.0 / 3.0, fieldAt(ball, M3d(1, 1, 0)));
    EXPECT_DOUBLE_EQ(2 * 0.0625 + 0.125, ball.getRadius());
    ball.setStrength(std::nan(""));
    EXPECT_EQ(2.0, ball.getStrength());
    ball.translate(M3d(std::numeric_limits<double>::infinity(), 0, 0));
    EXPECT_EQ(M3d(1, 0, 0), ball.getCenter()) << "non-finite moves are refused";
    ball.setStrength(0);
    EXPECT_DOUBLE_EQ(0.125, ball.getRadius());
    EXPECT_EQ(0.0, fieldAt(ball, M3d(1, 0, 0)));

    XML bad("MetaBall");
    bad["Strength"] = "nan";
    MetaBall fresh;
    EXPECT_THROW(fresh.read(bad), SceneReadError);
    EXPECT_EQ(1.0, fresh.getStrength());
}

TEST(MetaBallTest, ChangesRestartTheSurface) {
    MetaSurface surface;
    surface.setExtents(M3d(2, 2, 2), true);
    auto* ball = new MetaBall(2.0);
    ball->setParent(&surface);
    surface.refine(1000);
    ASSERT_NE(nullptr, surface.getRoot());
    ball->translate(M3d(0, 0, 0));
    EXPECT_NE(nullptr, surface.getRoot()) << "a zero move changes nothing";
    ball->translate(M3d(0.1, 0, 0));
    EXPECT_EQ(nullptr, surface.getRoot());
    surface.refine(1000);
    ball->setStrength(3);
    EXPECT_EQ(nullptr, surface.getRoot());
    surface.refine(1000);
    delete ball;
    EXPECT_EQ(nullptr, surface.getRoot());
}

TEST(MetaLineTest, TreeFieldStrengthAndConnections) {
    MetaSurface surface;
    auto lines = chain(surface, {M3d(0, 0, 0), M3d(4, 0, 0), M3d(4, 4, 0)});
    MetaLine& a = *lines[0];
    MetaLine& b = *lines[1];
    MetaLine& c = *lines[2];
    EXPECT_DOUBLE_EQ(1.0, fieldAt(a, M3d(2, 0, 0)));
    EXPECT_DOUBLE_EQ(1.0, fieldAt(a, M3d(4, 2, 0)));
    EXPECT_DOUBLE_EQ(2.0 / 3.0, fieldAt(a, M3d(2, 1, 0)));
    EXPECT_EQ(0.0, fieldAt(b, M3d(4, 0, 0)));
    EXPECT_FLOAT_EQ(1.0f, a.findClosestDistance(M3d(-1, 0, 0)));

    c.setStrength(3);
    for (MetaLine* l : lines)
        EXPECT_EQ(3.0, l->getStrength());

    // A line of the same tree is never connected; the awaiting line is cleared anyway.
    MetaLine::SetConnectionAwaiter(&c);
    a.onSelected(nullptr);
    EXPECT_EQ(nullptr, MetaLine::g_pAwaitingConnection);
    EXPECT_EQ(nullptr, a.getSource());

    c.becomeAnchor();
    EXPECT_EQ(nullptr, c.getSource());
    EXPECT_EQ(&c, b.getSource());
    EXPECT_EQ(&b, a.getSource());
    EXPECT_DOUBLE_EQ(1.0, fieldAt(c, M3d(2, 0, 0))) << "same edges after re-rooting";

    // Another tree joins under the awaiting line through selection.
    auto other = chain(surface, {M3d(0, 8, 0), M3d(1, 8, 0)});
    MetaLine::SetConnectionAwaiter(&a);
    other[1]->onSelected(nullptr);
    EXPECT_EQ(&a, other[1]->getSource());
    EXPECT_EQ(other[1], other[0]->getSource());

    b.disconnect();
    EXPECT_EQ(nullptr, b.getSource());
    EXPECT_TRUE(b.getDestinations().empty());
    EXPECT_EQ(&c, a.getSource());

    delete &c;
    EXPECT_EQ(nullptr, a.getSource());
}

TEST(MetaLineTest, DefaultActionSplitsTheSegment) {
    MetaSurface surface;
    auto lines = chain(surface, {M3d(0, 0, 0), M3d(2, 0, 0)});
    auto* split = dynamic_cast<MetaLine*>(lines[0]->doDefaultAction());
    ASSERT_NE(nullptr, split) << "an anchor with one destination splits that segment";
    EXPECT_EQ(M3d(1, 0, 0), split->getCenter());
    EXPECT_EQ(lines[0], split->getSource());
    EXPECT_EQ(split, lines[1]->getSource());
    ASSERT_EQ(1u, lines[0]->getDestinations().size());
    EXPECT_EQ(split, lines[0]->getDestinations()[0]);
    MetaLine lonely;
    EXPECT_EQ(nullptr, lonely.doDefaultAction());
}

TEST(MetaLineTest, SavedTreeRelinksInAnyOrder) {
    MetaSurface surface;
    auto lines = chain(surface, {M3d(0, 0, 0), M3d(1, 0, 0), M3d(2, 0, 0)});
    XML saved[3] = {XML("MetaLine"), XML("MetaLine"), XML("MetaLine")};
    for (int i = 0; i < 3; ++i)
        lines[i]->write(saved[i]);
    for (const auto& order : {std::vector<int>{0, 1, 2}, {2, 1, 0}, {1, 2, 0}, {2, 0, 1}}) {
        MetaSurface target;
        MetaLine* read[3];
        for (int i = 0; i < 3; ++i) {
            read[i] = new MetaLine;
            read[i]->read(saved[i]);
        }
        for (int i : order)
            read[i]->setParent(&target);
        EXPECT_EQ(nullptr, read[0]->getSource());
        EXPECT_EQ(read[0], read[1]->getSource());
        EXPECT_EQ(read[1], read[2]->getSource());
        for (MetaLine* l : read)
            EXPECT_EQ(nullptr, l->getIOStructure()) << "records are dropped once linked";
    }
}

TEST(MetaLineTest, CyclicConnectionsInAFileAreRefused) {
    XML doc("MetaSurface");
    XML* children = doc.add("Children");
    for (int i = 0; i < 2; ++i) {
        XML* line = children->add("MetaLine");
        XML* info = line->add("ConnectionInfo");
        info->add("nID", i);
        info->add("nSrcID", 1 - i);
    }
    MetaSurface surface;
    EXPECT_THROW(surface.read(doc), SceneReadError);
    EXPECT_EQ(1u, surface.getChildren().size()) << "only the extents control";
}

TEST(ExtentsControlTest, DraggingSetsExtentsAndStopsAtMinimum) {
    MetaSurface surface;
    surface.setExtents(M3d(1, 2, 3), true);
    ExtentsControl* control = surface.getExtentsControl();
    ASSERT_NE(nullptr, control);
    EXPECT_EQ(M3d(1, 2, 3), control->getTranslation());
    control->translate(M3d(0.5, -5, 0));
    EXPECT_EQ(M3d(1.5, 0.01, 3), surface.getExtents());
    EXPECT_EQ(M3d(1.5, 0.01, 3), control->getTranslation());
    XML xml("MetaSurface");
    surface.write(xml);
    EXPECT_EQ(nullptr, xml.child("Children")) << "the control is never saved";
    surface.hideBoundingCube();
    EXPECT_EQ(nullptr, surface.getExtentsControl());
}
