#pragma once

#include "scene/settings/CSettingsListDlg.h"

#include <QDockWidget>

#include <functional>
#include <vector>

class CSettingsDlg;
class QScrollArea;
class QVBoxLayout;
class QWidget;
struct SettingsControl;

/// The docked settings bar: shows every settings panel of the selected object, each
/// control of a panel model as a Qt widget with the model's label. User input goes to the
/// model (`setCheck`, `click`, ...); `refresh` brings the widgets up to date with it.
class SettingsBar : public QDockWidget {
    Q_OBJECT
public:
    explicit SettingsBar(QWidget* parent = nullptr);
    ~SettingsBar() override;

    void setSelection(SceneObj* obj);
    CSettingsListDlg& getList() { return m_list; }
    /// Refreshes the panel models and shows their values (called on idle ticks). Renderer
    /// panes and canvases draw again only when `sceneChanged` or a control was used since
    /// the last refresh: redrawing an unchanged net of a million faces ten times a second
    /// would keep a core busy while nothing happens.
    void refresh(bool sceneChanged = true);
    /// Runs a panel command (its name, then the command) as one undoable step of the
    /// document shown; without a runner commands just run.
    using StepRunner = std::function<void(const QString& name, const std::function<void()>& run)>;
    void setStepRunner(StepRunner runner) { m_stepRunner = std::move(runner); }
    /// The widget showing the control labelled `label` of `panel`, or null.
    QWidget* findWidget(const CSettingsDlg* panel, const std::string& label) const;

private:
    struct Binding {
        const CSettingsDlg* panel = nullptr;
        const SettingsControl* control = nullptr;
        QWidget* widget = nullptr;
    };

    void rebuild();
    /// The widget of `control`; renderer panes and canvases are made under `parent`, where
    /// they will stay.
    QWidget* buildControl(CSettingsDlg& panel, const SettingsControl& control, QWidget* parent);
    /// Shows the control's value; panes and canvases draw again when `repaint`.
    static void show(const Binding& binding, bool repaint = true);
    void runStep(const std::string& label, const std::function<void()>& run);

    CSettingsListDlg m_list;
    QScrollArea* m_scroll = nullptr;
    QWidget* m_content = nullptr;
    QVBoxLayout* m_layout = nullptr;
    std::vector<Binding> m_bindings;
    StepRunner m_stepRunner;
    /// A control was used since the last refresh: its panes may show something new.
    bool m_controlsUsed = false;
};
