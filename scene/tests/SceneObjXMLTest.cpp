#include "SceneTestObjects.h"

#include "common/XML.h"
#include "scene/SceneRoot.h"

#include <gtest/gtest.h>

#include <memory>

using Sorvex::M3d;

namespace {

/// Writes `obj` into a node named by its class, as a document does.
XML written(SceneObj& obj) {
    XML xml(obj.getClassName());
    obj.write(xml);
    return xml;
}

XML parsed(const char* text) {
    XML xml;
    EXPECT_TRUE(xml.parse(text)) << xml.getError();
    return xml;
}

} // namespace

TEST(SceneObjXML, SmallTreeRoundTripsThroughText) {
    SceneRoot root;
    auto* shape = new TestShape;
    shape->size = 2.5;
    shape->label = "outer <&> shape";
    shape->translate(M3d(0.1, -2, 1e-300));
    shape->setParent(&root);
    auto* cube = new TestCube;
    cube->edges = 7;
    cube->setParent(shape);
    (new TestScratch)->setParent(shape); // not saved
    (new SceneObj)->setParent(&root);

    XML reread;
    ASSERT_TRUE(reread.parse(written(root).toString()));
    SceneRoot copy;
    copy.read(reread);

    ASSERT_EQ(2u, copy.getChildren().size());
    auto* shape2 = dynamic_cast<TestShape*>(copy.getChildren()[0]);
    ASSERT_NE(nullptr, shape2);
    EXPECT_EQ("SceneObj", copy.getChildren()[1]->getClassName());
    EXPECT_EQ(2.5, shape2->size);
    EXPECT_EQ("outer <&> shape", shape2->label);
    // The transform comes back bit for bit.
    for (int i = 0; i < 16; ++i)
        EXPECT_EQ(shape->getTransform().data()[i], shape2->getTransform().data()[i]) << i;
    ASSERT_EQ(1u, shape2->getChildren().size());
    auto* cube2 = dynamic_cast<TestCube*>(shape2->getChildren()[0]);
    ASSERT_NE(nullptr, cube2);
    EXPECT_EQ(7, cube2->edges);
    EXPECT_EQ(shape2, cube2->getParent());
}

TEST(SceneObjXML, WritesValuesAfterTheBaseAndOnlyWhatIsNeeded) {
    TestCube cube;
    XML xml = written(cube);
    // Identity transform and no savable children: no Transform, no Children.
    ASSERT_EQ(3u, xml.getChildCount());
    EXPECT_EQ("Size", xml.getChild(0).getName());
    EXPECT_EQ("Label", xml.getChild(1).getName());
    EXPECT_EQ("Edges", xml.getChild(2).getName());

    (new TestScratch)->setParent(&cube);
    EXPECT_EQ(nullptr, written(cube).child("Children"));
}

TEST(SceneObjXML, UnknownAndNonSceneElementsAreSkipped) {
    XML xml = parsed("<SceneRoot><Children>"
                     "<NoSuchClass><Size>3</Size></NoSuchClass>"
                     "<TestShape><Size>4</Size></TestShape>"
                     "<CTestShapeSettings/>"
                     "<TestCube/>"
                     "</Children></SceneRoot>");
    SceneRoot root;
    root.read(xml);
    ASSERT_EQ(2u, root.getChildren().size());
    EXPECT_EQ("TestShape", root.getChildren()[0]->getClassName());
    EXPECT_EQ(4.0, dynamic_cast<TestShape*>(root.getChildren()[0])->size);
    EXPECT_EQ("TestCube", root.getChildren()[1]->getClassName());
}

TEST(SceneObjXML, ReadHelpersGiveTheValueOrTheDefault) {
    XML xml = parsed("<X><On>true</On><Caps>TRUE</Caps><One>1</One><Off>false</Off>"
                     "<Spaced> true</Spaced><N>42</N><Junk>4x2</Junk><D>-2.5e3</D>"
                     "<V>1.5 2 -3</V><NotV>none</NotV></X>");
    EXPECT_TRUE(SceneObj::readBool(xml, "On", false));
    EXPECT_FALSE(SceneObj::readBool(xml, "Caps", true));
    EXPECT_FALSE(SceneObj::readBool(xml, "One", true));
    EXPECT_FALSE(SceneObj::readBool(xml, "Off", true));
    EXPECT_FALSE(SceneObj::readBool(xml, "Spaced", true));
    EXPECT_TRUE(SceneObj::readBool(xml, "Missing", true));
    EXPECT_FALSE(SceneObj::readBool(xml, "Missing", false));

    EXPECT_EQ(42, SceneObj::readInt(xml, "N", 7));
    EXPECT_EQ(7, SceneObj::readInt(xml, "Missing", 7));
    EXPECT_EQ(-2500.0, SceneObj::readDouble(xml, "D", 0.0));
    EXPECT_EQ(0.25, SceneObj::readDouble(xml, "Missing", 0.25));

    const M3d def(9, 9, 9);
    EXPECT_EQ(M3d(1.5, 2, -3), SceneObj::readVector(xml, "V", def));
    EXPECT_EQ(def, SceneObj::readVector(xml, "NotV", def));
    EXPECT_EQ(def, SceneObj::readVector(xml, "Missing", def));

    // A vector written in the text form reads back bit for bit.
    const M3d exact(0.1, 1.0 / 3.0, -1e-17);
    XML stored("X");
    stored.add("P", std::string_view(exact.toString()));
    const M3d back = SceneObj::readVector(stored, "P", def);
    EXPECT_EQ(exact.x(), back.x());
    EXPECT_EQ(exact.y(), back.y());
    EXPECT_EQ(exact.z(), back.z());
}

TEST(SceneObjXML, BadTransformThrowsAndLeavesTheObjectAsItWas) {
    for (const char* text :
         {"1 0 0 0 0 1 0 0 0 0 1 0 5 5 5", "1 0 0 0 0 1 0 0 0 0 1 0 nan 0 0 1",
          "1 0 0 0 0 1 0 0 0 0 1 0 inf 0 0 1", "a b c", "1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1 9", ""}) {
        SceneObj obj;
        obj.translate(M3d(1, 2, 3));
        (new SceneObj)->setParent(&obj);
        XML xml("SceneObj");
        xml.add("Transform", text);
        xml.add("Children")->add("TestShape");
        EXPECT_THROW(obj.read(xml), SceneReadError) << text;
        EXPECT_EQ(M3d(1, 2, 3), obj.getTranslation()) << text;
        EXPECT_EQ(1u, obj.getChildren().size()) << text;
    }
}

TEST(SceneObjXML, FailingChildLeavesTheParentWithoutNewChildren) {
    const int liveBefore = TestShape::s_live;
    XML xml = parsed("<SceneRoot><Children><TestShape/><TestStrict><Bad>x</Bad></TestStrict>"
                     "</Children></SceneRoot>");
    SceneRoot root;
    try {
        root.read(xml);
        FAIL() << "expected a SceneReadError";
    } catch (const SceneReadError& e) {
        EXPECT_STREQ("Bad: 'x' is not allowed", e.what());
    }
    EXPECT_TRUE(root.getChildren().empty());
    EXPECT_EQ(liveBefore, TestShape::s_live) << "objects built before the failure are freed";
}

TEST(SceneObjXML, CloneIsADeepCopyBesideTheOriginal) {
    SceneObj parent;
    auto* shape = new TestShape;
    shape->size = 3;
    shape->translate(M3d(1, 0, 0));
    shape->setParent(&parent);
    (new TestCube)->setParent(shape);

    SceneObj* copy = shape->clone();
    ASSERT_NE(nullptr, copy);
    EXPECT_NE(shape, copy);
    EXPECT_EQ(&parent, copy->getParent());
    ASSERT_EQ(2u, parent.getChildren().size());
    EXPECT_EQ(3.0, dynamic_cast<TestShape*>(copy)->size);
    EXPECT_EQ(M3d(1, 0, 0), copy->getTranslation());
    ASSERT_EQ(1u, copy->getChildren().size());
    EXPECT_NE(shape->getChildren()[0], copy->getChildren()[0]);
}
