#include "vorn/app/SettingsBar.h"

#include "scene/mesh/PolyMesh.h"
#include "scene/settings/CSettingsDlg.h"
#include "vorn/app/SceneObjPane.h"
#include "vorn/app/render/CanvasPane.h"
#include "vorn/core/AttachStrategy.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>

namespace {

/// What the bar says when the selection has no panels, so an empty bar is never a puzzle.
std::string settingsHint(SceneObj* selection) {
    if (!selection)
        return "Click an object in the view to see its settings here.";
    std::string hint = "This " + std::string(selection->getClassName()) + " has no settings.";
    if (dynamic_cast<PolyMesh*>(selection)) {
        bool unfolding = false;
        for (SceneObj* child : selection->getChildren())
            unfolding = unfolding || IsUnfoldingStrategy(child);
        hint += unfolding ? " Click its net to see the unfolding strategy's settings."
                          : " Unfolding > Unfold With attaches a strategy that unfolds it.";
    }
    return hint;
}

// Size of the small views a panel shows inside the bar.
constexpr int kPaneWidth = 200;
constexpr int kPaneHeight = 150;

QString qs(const std::string& text) {
    return QString::fromStdString(text);
}

/// A caption above `pane`, both in one widget made under `parent`. The widget is made in
/// its place rather than moved there later: an OpenGL pane whose caption widget started
/// without a parent and joined a shown window afterwards is never composed into that window
/// on screen (it shows black, though it draws when grabbed or when the bar floats).
QWidget* captioned(const std::string& label, QWidget* pane, QWidget* parent) {
    auto* box = new QWidget(parent);
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    if (!label.empty())
        layout->addWidget(new QLabel(qs(label), box));
    pane->setParent(box);
    pane->setFixedSize(kPaneWidth, kPaneHeight);
    layout->addWidget(pane);
    return box;
}

/// Cuts the panes of widgets on their way out from the objects and panels they draw,
/// which may go before the widgets do.
void detachPanes(QWidget* old) {
    for (SceneObjPane* pane : old->findChildren<SceneObjPane*>())
        pane->setObject(nullptr);
    for (CanvasPane* canvas : old->findChildren<CanvasPane*>()) {
        canvas->setDraw({});
        canvas->setPointer({});
        canvas->setResize({});
    }
}

} // namespace

SettingsBar::SettingsBar(QWidget* parent) : QDockWidget(parent) {
    setObjectName("SettingsBar");
    setWindowTitle("Settings");
    // Wide enough for the panels' labels and sliders.
    setMinimumWidth(240);
    m_scroll = new QScrollArea(this);
    m_scroll->setWidgetResizable(true);
    setWidget(m_scroll);
    m_list.setPanelsChangedCallback([this] { rebuild(); });
    rebuild();
}

SettingsBar::~SettingsBar() {
    // The panels go before the widgets that point at them.
    m_list.setPanelsChangedCallback({});
    m_bindings.clear();
    if (m_content)
        detachPanes(m_content);
}

void SettingsBar::setSelection(SceneObj* obj) {
    m_list.setSelection(obj);
    rebuild();
}

void SettingsBar::rebuild() {
    m_bindings.clear();
    // The old widgets may be the ones whose signal led here: delete them later.
    // Their panels may be gone already, so they must not reach them any more (a line edit
    // losing focus as it goes still reports it).
    if (QWidget* old = m_scroll->takeWidget()) {
        for (QObject* child : old->findChildren<QObject*>())
            child->blockSignals(true);
        detachPanes(old);
        old->deleteLater();
    }
    // The new content joins the window first, so that the renderer panes are made in the
    // window (see `captioned`).
    m_content = new QWidget;
    m_scroll->setWidget(m_content);
    m_layout = new QVBoxLayout(m_content);
    for (CSettingsDlg* panel : m_list.getPanels()) {
        auto* box = new QGroupBox(qs(panel->getTitle()), m_content);
        auto* boxLayout = new QVBoxLayout(box);
        std::string group;
        QVBoxLayout* target = boxLayout;
        for (const auto& control : panel->getControls()) {
            // Consecutive controls with the same group caption share one group box.
            if (control->group != group) {
                group = control->group;
                target = boxLayout;
                if (!group.empty()) {
                    auto* groupBox = new QGroupBox(qs(group), box);
                    target = new QVBoxLayout(groupBox);
                    boxLayout->addWidget(groupBox);
                }
            }
            if (QWidget* w = buildControl(*panel, *control, target->parentWidget())) {
                target->addWidget(w);
                m_bindings.push_back({panel, control.get(), w});
                show(m_bindings.back());
            }
        }
        panel->setViewListener([this, panel](const SettingsControl& changed) {
            for (const Binding& b : m_bindings)
                if (b.panel == panel && b.control == &changed)
                    show(b);
        });
        m_layout->addWidget(box);
    }
    if (m_list.getPanels().empty()) {
        auto* hint = new QLabel(qs(settingsHint(m_list.getSelection())), m_content);
        hint->setObjectName("settingsHint");
        hint->setWordWrap(true);
        m_layout->addWidget(hint);
    }
    m_layout->addStretch(1);
}

void SettingsBar::runStep(const std::string& label, const std::function<void()>& run) {
    m_controlsUsed = true;
    if (m_stepRunner)
        m_stepRunner(QString::fromStdString(label), run);
    else
        run();
}

QWidget* SettingsBar::buildControl(CSettingsDlg& panel, const SettingsControl& control,
                                   QWidget* parent) {
    const std::string label = control.label;
    switch (control.kind) {
    case ControlKind::CheckBox: {
        auto* box = new QCheckBox(qs(label));
        connect(box, &QCheckBox::toggled, this, [this, &panel, label](bool on) {
            runStep(label, [&panel, label, on] { panel.setCheck(label, on); });
        });
        return box;
    }
    case ControlKind::Button: {
        auto* button = new QPushButton(qs(label));
        connect(button, &QPushButton::clicked, this, [this, &panel, label] {
            // Some buttons do more with Control held ("Animate" also deletes the source).
            const bool control = QGuiApplication::keyboardModifiers() & Qt::ControlModifier;
            runStep(label, [&panel, label, control] {
                if (control)
                    panel.clickWithControl(label);
                else
                    panel.click(label);
            });
        });
        return button;
    }
    case ControlKind::RadioGroup: {
        auto* box = new QGroupBox(qs(label));
        auto* layout = new QVBoxLayout(box);
        auto* group = new QButtonGroup(box);
        for (const std::string& option : control.options) {
            auto* radio = new QRadioButton(qs(option), box);
            group->addButton(radio);
            layout->addWidget(radio);
            connect(radio, &QRadioButton::toggled, this, [this, &panel, option](bool on) {
                m_controlsUsed = true;
                if (on)
                    panel.selectRadio(option);
            });
        }
        return box;
    }
    case ControlKind::Slider: {
        auto* row = new QWidget;
        auto* layout = new QHBoxLayout(row);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(new QLabel(qs(label), row));
        auto* slider = new QSlider(Qt::Horizontal, row);
        slider->setRange(control.minValue, control.maxValue);
        layout->addWidget(slider);
        connect(slider, &QSlider::valueChanged, this, [this, &panel, label](int value) {
            m_controlsUsed = true;
            panel.setSlider(label, value);
        });
        return row;
    }
    case ControlKind::Edit: {
        auto* row = new QWidget;
        auto* layout = new QHBoxLayout(row);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->addWidget(new QLabel(qs(label), row));
        auto* edit = new QLineEdit(row);
        layout->addWidget(edit);
        connect(edit, &QLineEdit::editingFinished, this, [this, &panel, label, edit] {
            m_controlsUsed = true;
            panel.setEdit(label, edit->text().toStdString());
        });
        return row;
    }
    case ControlKind::StaticText:
        return new QLabel(qs(label));
    case ControlKind::RendererPane: {
        auto* pane = new SceneObjPane;
        pane->setFixedViewpoint(control.viewpoint);
        pane->setObject(control.shown);
        return captioned(label, pane, parent);
    }
    case ControlKind::Canvas: {
        auto* canvas = new CanvasPane;
        canvas->setDraw(control.draw);
        if (control.onPointer)
            canvas->setPointer(control.onPointer);
        if (control.onResize)
            canvas->setResize(control.onResize);
        return captioned(label, canvas, parent);
    }
    }
    return nullptr;
}

void SettingsBar::show(const Binding& binding, bool repaint) {
    const SettingsControl& c = *binding.control;
    QWidget* w = binding.widget;
    w->setEnabled(c.enabled);
    switch (c.kind) {
    case ControlKind::CheckBox: {
        auto* box = static_cast<QCheckBox*>(w);
        const QSignalBlocker block(box);
        box->setChecked(c.checked);
        break;
    }
    case ControlKind::RadioGroup: {
        const auto radios = w->findChildren<QRadioButton*>();
        for (int i = 0; i < radios.size(); ++i) {
            const QSignalBlocker block(radios[i]);
            radios[i]->setChecked(i == c.selected);
        }
        break;
    }
    case ControlKind::Slider: {
        auto* slider = w->findChild<QSlider*>();
        const QSignalBlocker block(slider);
        slider->setRange(c.minValue, c.maxValue);
        slider->setValue(c.value);
        break;
    }
    case ControlKind::Edit: {
        auto* edit = w->findChild<QLineEdit*>();
        if (!edit->hasFocus()) {
            const QSignalBlocker block(edit);
            edit->setText(qs(c.text));
        }
        break;
    }
    case ControlKind::StaticText:
        static_cast<QLabel*>(w)->setText(qs(c.text.empty() ? c.label : c.text));
        break;
    case ControlKind::Button:
        static_cast<QPushButton*>(w)->setText(qs(c.text.empty() ? c.label : c.text));
        break;
    case ControlKind::RendererPane: {
        auto* pane = w->findChild<SceneObjPane*>();
        if (pane->getObject() != c.shown)
            pane->setObject(c.shown);
        if (!pane->getFixedViewpoint().sameAs(c.viewpoint))
            pane->setFixedViewpoint(c.viewpoint);
        if (repaint)
            pane->refresh();
        break;
    }
    case ControlKind::Canvas:
        if (repaint)
            w->findChild<CanvasPane*>()->refresh();
        break;
    default:
        break;
    }
}

void SettingsBar::refresh(bool sceneChanged) {
    const bool repaint = sceneChanged || m_controlsUsed;
    m_controlsUsed = false;
    m_list.refreshAll();
    for (const Binding& b : m_bindings)
        show(b, repaint);
}

QWidget* SettingsBar::findWidget(const CSettingsDlg* panel, const std::string& label) const {
    for (const Binding& b : m_bindings)
        if (b.panel == panel && b.control->label == label)
            return b.widget;
    return nullptr;
}
