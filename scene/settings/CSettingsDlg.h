#pragma once

#include "scene/ChangeListener.h"
#include "scene/Factory.h"
#include "scene/settings/SettingsControl.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

/// A toolkit-neutral settings panel: a title and declared controls with the code that runs
/// on each, shown for one target object. A host (the GUI) turns the model into widgets and
/// forwards user input through the `click`/`set*`/`selectRadio` operations; tests call the
/// same operations. Panels of class `C<Class>Settings` register factories listed under
/// "CSettingsDlg" and are built by `CSettingsListDlg` for the selected object.
class CSettingsDlg : public Factorable, public ChangeListener {
    VORN_DECLARE_FACTORY(CSettingsDlg)

    CSettingsDlg();
    ~CSettingsDlg() override;
    CSettingsDlg(const CSettingsDlg&) = delete;
    CSettingsDlg& operator=(const CSettingsDlg&) = delete;

    /// Attaches the panel to `target` (which keeps it in its panel list and reports its
    /// changes to it), declares the controls (`buildControls`) and refreshes. Done once;
    /// a second call does nothing and returns false.
    bool create(SceneObj* target);
    /// The object shown; null before `create` and after the object is destroyed.
    SceneObj* getTarget() const { return m_target; }

    const std::string& getTitle() const { return m_title; }
    void setTitle(std::string title) { m_title = std::move(title); }

    /// Updates the shown values from the target. Called after creation, when the target
    /// changes and by the host on idle ticks.
    virtual void refresh() {}

    // ----- User input (from the host or a test); false when there is no such enabled
    // control, and then nothing runs -----

    bool click(std::string_view label);
    /// A click with the Control key held: some buttons do more then (the panel reads
    /// `isControlKeyHeld` while the button's code runs).
    bool clickWithControl(std::string_view label);
    bool isControlKeyHeld() const { return m_controlKeyHeld; }
    bool setCheck(std::string_view label, bool checked);
    /// Chooses the radio button labelled `option` in whichever group holds it.
    bool selectRadio(std::string_view option);
    /// The value is limited to the slider's range before it is stored.
    bool setSlider(std::string_view label, int value);
    bool setEdit(std::string_view label, std::string_view text);
    /// The pointer over a canvas at (x, y) in drawing units; `released`: the left button
    /// was just released there. False when the canvas takes no pointer input.
    bool pointAt(std::string_view label, double x, double y, bool released);

    // ----- The model -----

    const std::vector<std::unique_ptr<SettingsControl>>& getControls() const { return m_controls; }
    /// The control of `kind` with `label`, or null. For radio groups `label` may also be
    /// one of the options.
    SettingsControl* findControl(ControlKind kind, std::string_view label) const;
    /// Called by the panel whenever code (not the user) changed a control's value, so the
    /// host can update its widget.
    void setViewListener(std::function<void(const SettingsControl&)> listener) {
        m_viewListener = std::move(listener);
    }

    /// "BreadthFirstUnfolder" -> "Breadth First Unfolder": a blank before every capital
    /// letter except the first character.
    static std::string SpacedClassName(std::string_view name);

    /// Prints a picture file (a PNG) for a panel; false with `error` set when nothing was
    /// printed. Panels draw what they print headless; the host that can talk to printers
    /// installs the function (the workbench asks for the printer first).
    using PicturePrinter = std::function<bool(const std::string& picture, std::string& error)>;
    static void SetPicturePrinter(PicturePrinter printer);
    /// Prints `picture` through the installed printer; false (with `error` set) when there
    /// is none or it failed.
    static bool PrintPicture(const std::string& picture, std::string& error);

    void onTargetChanged(SceneObj* target, bool structural) override;
    void onTargetDestroyed(SceneObj* target) override;

protected:
    /// Declares the controls; called once by `create`, with the target set.
    virtual void buildControls() {}

    /// Controls are added in display order into the current group.
    void beginGroup(std::string caption) { m_group = std::move(caption); }
    SettingsControl& addCheckBox(std::string label, bool checked,
                                 std::function<void(bool)> onChange);
    SettingsControl& addButton(std::string label, std::function<void()> onClick);
    SettingsControl& addRadioGroup(std::string caption, std::vector<std::string> options,
                                   int selected, std::function<void(int)> onChange);
    SettingsControl& addSlider(std::string label, int minValue, int maxValue, int value,
                               std::function<void(int)> onChange);
    SettingsControl& addEdit(std::string label, std::string text,
                             std::function<void(const std::string&)> onChange);
    /// A text the panel updates; `label` is its initial text and stays its name.
    SettingsControl& addStaticText(std::string label);
    SettingsControl& addRendererPane(std::string label, SceneObj* shown, const Viewpoint& vp);
    SettingsControl& addCanvas(std::string label, std::function<void(Renderer&)> draw);

    /// Updates shown values from code; they run no control code. False when not found.
    /// `showText` also changes the caption a button shows (its label stays its name).
    bool showCheck(std::string_view label, bool checked);
    bool showText(std::string_view label, std::string text);
    bool showRadio(std::string_view anyOption, int selected);
    bool showSlider(std::string_view label, int value);
    /// The viewpoint of the renderer pane `label`, for when what it frames has grown.
    bool showViewpoint(std::string_view label, const Viewpoint& vp);
    bool enableControl(ControlKind kind, std::string_view label, bool enabled);

private:
    SettingsControl& add(ControlKind kind, std::string label);
    SettingsControl* findEnabled(ControlKind kind, std::string_view label) const;
    void changed(const SettingsControl& control);

    /// Runs the control's action, then asks the scene to redraw the target.
    void run(SettingsControl& c);

    SceneObj* m_target = nullptr;
    bool m_controlKeyHeld = false;
    bool m_created = false;
    std::string m_title;
    std::string m_group;
    std::vector<std::unique_ptr<SettingsControl>> m_controls;
    std::function<void(const SettingsControl&)> m_viewListener;
};
