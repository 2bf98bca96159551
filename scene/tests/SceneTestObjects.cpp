#include "SceneTestObjects.h"

#include "common/XML.h"

#include <cstdio>

VORN_DEFINE_FACTORY(TestShape, "SceneObj")
VORN_DEFINE_FACTORY(TestCube, "TestShape")
VORN_DEFINE_FACTORY(TestScratch, "SceneObj")
VORN_DEFINE_FACTORY(TestStrict, "SceneObj")
VORN_DEFINE_FACTORY(TestWatcher, "SceneObj")
VORN_DEFINE_FACTORY(CTestShapeSettings, "CSettingsDlg")
VORN_DEFINE_FACTORY(CTestCubeSettings, "CSettingsDlg")

int TestShape::s_live = 0;

TestShape::TestShape() {
    ++s_live;
}
TestShape::~TestShape() {
    --s_live;
}

void TestShape::read(XML& xml) {
    SceneObj::read(xml);
    size = readDouble(xml, "Size", size);
    if (const XML* e = xml.child("Label"))
        label = e->getText();
}

void TestShape::write(XML& xml) {
    SceneObj::write(xml);
    xml.add("Size", size);
    xml.add("Label", std::string_view(label));
}

void TestCube::read(XML& xml) {
    TestShape::read(xml);
    edges = readInt(xml, "Edges", edges);
}

void TestCube::write(XML& xml) {
    TestShape::write(xml);
    xml.add("Edges", edges);
}

void TestStrict::read(XML& xml) {
    if (const XML* e = xml.child("Bad"))
        throw SceneReadError("Bad: '" + e->getText() + "' is not allowed");
    SceneObj::read(xml);
}

void TestWatcher::onTargetChanged(SceneObj* target, bool structural) {
    notices.push_back({target, structural});
}

void TestWatcher::onSelected(CSettingsListDlg* /*bar*/) {
    ++selectedCount;
}

TestShape* CTestShapeSettings::shape() const {
    return dynamic_cast<TestShape*>(getTarget());
}

void CTestShapeSettings::buildControls() {
    setTitle(SpacedClassName(getClassName()));
    beginGroup("Details");
    addCheckBox("Visible", true, [this](bool on) {
        if (TestShape* s = shape())
            s->label = on ? "visible" : "hidden";
    });
    addButton("Next", [this] {
        if (TestShape* s = shape()) {
            s->size += 1.0;
            s->onChanged(true);
        }
    });
    addSlider("Repeat", 1, 10, 1, [this](int v) {
        if (TestShape* s = shape())
            s->size = v;
    });
    addRadioGroup("", {"Small", "Large"}, 0, [this](int i) {
        if (TestShape* s = shape())
            s->size = i == 0 ? 1.0 : 100.0;
    });
    addEdit("Label", shape() ? shape()->label : "", [this](const std::string& text) {
        if (TestShape* s = shape())
            s->label = text;
    });
    addStaticText("size goes here");
}

void CTestShapeSettings::refresh() {
    ++refreshCount;
    if (TestShape* s = shape()) {
        char text[64];
        std::snprintf(text, sizeof text, "Size %4.2f", s->size);
        showText("size goes here", text);
    }
}

void CTestCubeSettings::buildControls() {
    setTitle("Cube");
    addButton("Reset", [this] {
        if (auto* cube = dynamic_cast<TestCube*>(getTarget()))
            cube->edges = 12;
    });
}
