#pragma once

// Small scene classes, registered through factories, shared by the object-model tests.

#include "scene/SceneObj.h"
#include "scene/settings/CSettingsDlg.h"

#include <string>
#include <vector>

/// A scene object with two stored values; counts live instances.
class TestShape : public SceneObj {
    VORN_DECLARE_FACTORY(TestShape)

    TestShape();
    ~TestShape() override;
    void read(XML& xml) override;
    void write(XML& xml) override;

    double size = 1.0;
    std::string label = "shape";
    static int s_live;
};

/// Listed under "TestShape"; adds one value written after its base's.
class TestCube : public TestShape {
    VORN_DECLARE_FACTORY(TestCube)

    void read(XML& xml) override;
    void write(XML& xml) override;

    int edges = 12;
};

/// Never written into documents.
class TestScratch : public SceneObj {
    VORN_DECLARE_FACTORY(TestScratch)

    bool canSave() override { return false; }
};

/// Rejects any stored "Bad" element, the way a mesh rejects bad vertex text.
class TestStrict : public SceneObj {
    VORN_DECLARE_FACTORY(TestStrict)

    void read(XML& xml) override;
};

/// Records the change notices it hears.
class TestWatcher : public SceneObj {
    VORN_DECLARE_FACTORY(TestWatcher)

    void onTargetChanged(SceneObj* target, bool structural) override;
    void onSelected(CSettingsListDlg* bar) override;

    struct Notice {
        SceneObj* target;
        bool structural;
    };
    std::vector<Notice> notices;
    int selectedCount = 0;
};

/// The panel of `TestShape`: a check box, a button, a slider, a radio group, an edit and a
/// status text showing the shape's size.
class CTestShapeSettings : public CSettingsDlg {
    VORN_DECLARE_FACTORY(CTestShapeSettings)

    void refresh() override;
    int refreshCount = 0;

protected:
    void buildControls() override;

private:
    TestShape* shape() const;
};

/// The panel of `TestCube`.
class CTestCubeSettings : public CSettingsDlg {
    VORN_DECLARE_FACTORY(CTestCubeSettings)

protected:
    void buildControls() override;
};
