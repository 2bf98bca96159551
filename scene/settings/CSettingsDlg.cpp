#include "scene/settings/CSettingsDlg.h"

#include "scene/SceneObj.h"

#include <algorithm>
#include <cctype>

VORN_DEFINE_ABSTRACT_FACTORY(CSettingsDlg, "")

CSettingsDlg::CSettingsDlg() = default;

CSettingsDlg::~CSettingsDlg() {
    if (m_target) {
        m_target->remChangeListener(this);
        m_target->remSettingsDlg(this);
    }
}

bool CSettingsDlg::create(SceneObj* target) {
    if (m_created)
        return false;
    m_created = true;
    m_target = target;
    if (m_target) {
        m_target->addSettingsDlg(this);
        m_target->addChangeListener(this);
    }
    buildControls();
    refresh();
    return true;
}

void CSettingsDlg::onTargetChanged(SceneObj* /*target*/, bool /*structural*/) {
    refresh();
}

void CSettingsDlg::onTargetDestroyed(SceneObj* target) {
    if (target == m_target)
        m_target = nullptr;
}

namespace {
CSettingsDlg::PicturePrinter& picturePrinter() {
    static CSettingsDlg::PicturePrinter printer;
    return printer;
}
} // namespace

void CSettingsDlg::SetPicturePrinter(PicturePrinter printer) {
    picturePrinter() = std::move(printer);
}

bool CSettingsDlg::PrintPicture(const std::string& picture, std::string& error) {
    if (!picturePrinter()) {
        error = "no printer is available here";
        return false;
    }
    return picturePrinter()(picture, error);
}

std::string CSettingsDlg::SpacedClassName(std::string_view name) {
    std::string spaced;
    for (size_t i = 0; i < name.size(); ++i) {
        if (i > 0 && std::isupper(static_cast<unsigned char>(name[i])))
            spaced += ' ';
        spaced += name[i];
    }
    return spaced;
}

// ----- Declaring controls -----

SettingsControl& CSettingsDlg::add(ControlKind kind, std::string label) {
    auto control = std::make_unique<SettingsControl>();
    control->kind = kind;
    control->label = std::move(label);
    control->group = m_group;
    m_controls.push_back(std::move(control));
    return *m_controls.back();
}

SettingsControl& CSettingsDlg::addCheckBox(std::string label, bool checked,
                                           std::function<void(bool)> onChange) {
    SettingsControl& c = add(ControlKind::CheckBox, std::move(label));
    c.checked = checked;
    if (onChange)
        c.onAction = [f = std::move(onChange)](SettingsControl& self) { f(self.checked); };
    return c;
}

SettingsControl& CSettingsDlg::addButton(std::string label, std::function<void()> onClick) {
    SettingsControl& c = add(ControlKind::Button, std::move(label));
    if (onClick)
        c.onAction = [f = std::move(onClick)](SettingsControl&) { f(); };
    return c;
}

SettingsControl& CSettingsDlg::addRadioGroup(std::string caption, std::vector<std::string> options,
                                             int selected, std::function<void(int)> onChange) {
    SettingsControl& c = add(ControlKind::RadioGroup, std::move(caption));
    c.options = std::move(options);
    c.selected = (selected >= 0 && selected < int(c.options.size())) ? selected : -1;
    if (onChange)
        c.onAction = [f = std::move(onChange)](SettingsControl& self) { f(self.selected); };
    return c;
}

SettingsControl& CSettingsDlg::addSlider(std::string label, int minValue, int maxValue, int value,
                                         std::function<void(int)> onChange) {
    SettingsControl& c = add(ControlKind::Slider, std::move(label));
    c.minValue = std::min(minValue, maxValue);
    c.maxValue = std::max(minValue, maxValue);
    c.value = std::clamp(value, c.minValue, c.maxValue);
    if (onChange)
        c.onAction = [f = std::move(onChange)](SettingsControl& self) { f(self.value); };
    return c;
}

SettingsControl& CSettingsDlg::addEdit(std::string label, std::string text,
                                       std::function<void(const std::string&)> onChange) {
    SettingsControl& c = add(ControlKind::Edit, std::move(label));
    c.text = std::move(text);
    if (onChange)
        c.onAction = [f = std::move(onChange)](SettingsControl& self) { f(self.text); };
    return c;
}

SettingsControl& CSettingsDlg::addStaticText(std::string label) {
    SettingsControl& c = add(ControlKind::StaticText, std::move(label));
    c.text = c.label;
    return c;
}

SettingsControl& CSettingsDlg::addRendererPane(std::string label, SceneObj* shown,
                                               const Viewpoint& vp) {
    SettingsControl& c = add(ControlKind::RendererPane, std::move(label));
    c.shown = shown;
    c.viewpoint = vp;
    return c;
}

SettingsControl& CSettingsDlg::addCanvas(std::string label, std::function<void(Renderer&)> draw) {
    SettingsControl& c = add(ControlKind::Canvas, std::move(label));
    c.draw = std::move(draw);
    return c;
}

// ----- Finding controls -----

SettingsControl* CSettingsDlg::findControl(ControlKind kind, std::string_view label) const {
    for (const auto& c : m_controls) {
        if (c->kind != kind)
            continue;
        if (c->label == label)
            return c.get();
        if (kind == ControlKind::RadioGroup &&
            std::find(c->options.begin(), c->options.end(), label) != c->options.end())
            return c.get();
    }
    return nullptr;
}

SettingsControl* CSettingsDlg::findEnabled(ControlKind kind, std::string_view label) const {
    SettingsControl* c = findControl(kind, label);
    return (c && c->enabled) ? c : nullptr;
}

// ----- User input -----

void CSettingsDlg::run(SettingsControl& c) {
    if (c.onAction)
        c.onAction(c);
    // What the user changed may change how the object looks; views keeping drawings
    // between frames hear of it through the scene.
    if (m_target)
        m_target->requestSceneRedraw();
}

bool CSettingsDlg::click(std::string_view label) {
    SettingsControl* c = findEnabled(ControlKind::Button, label);
    if (!c)
        return false;
    run(*c);
    return true;
}

bool CSettingsDlg::clickWithControl(std::string_view label) {
    m_controlKeyHeld = true;
    const bool clicked = click(label);
    m_controlKeyHeld = false;
    return clicked;
}

bool CSettingsDlg::pointAt(std::string_view label, double x, double y, bool released) {
    SettingsControl* c = findEnabled(ControlKind::Canvas, label);
    if (!c || !c->onPointer)
        return false;
    c->onPointer(x, y, released);
    return true;
}

bool CSettingsDlg::setCheck(std::string_view label, bool checked) {
    SettingsControl* c = findEnabled(ControlKind::CheckBox, label);
    if (!c)
        return false;
    c->checked = checked;
    run(*c);
    return true;
}

bool CSettingsDlg::selectRadio(std::string_view option) {
    SettingsControl* c = findEnabled(ControlKind::RadioGroup, option);
    if (!c)
        return false;
    const auto it = std::find(c->options.begin(), c->options.end(), option);
    if (it == c->options.end())
        return false; // the group's caption is not one of its buttons
    c->selected = int(it - c->options.begin());
    run(*c);
    return true;
}

bool CSettingsDlg::setSlider(std::string_view label, int value) {
    SettingsControl* c = findEnabled(ControlKind::Slider, label);
    if (!c)
        return false;
    c->value = std::clamp(value, c->minValue, c->maxValue);
    run(*c);
    return true;
}

bool CSettingsDlg::setEdit(std::string_view label, std::string_view text) {
    SettingsControl* c = findEnabled(ControlKind::Edit, label);
    if (!c)
        return false;
    c->text = text;
    run(*c);
    return true;
}

// ----- Updates from code -----

void CSettingsDlg::changed(const SettingsControl& control) {
    if (m_viewListener)
        m_viewListener(control);
}

bool CSettingsDlg::showCheck(std::string_view label, bool checked) {
    SettingsControl* c = findControl(ControlKind::CheckBox, label);
    if (!c)
        return false;
    if (c->checked != checked) {
        c->checked = checked;
        changed(*c);
    }
    return true;
}

bool CSettingsDlg::showText(std::string_view label, std::string text) {
    SettingsControl* c = findControl(ControlKind::StaticText, label);
    if (!c)
        c = findControl(ControlKind::Edit, label);
    if (!c)
        c = findControl(ControlKind::Button, label);
    if (!c)
        return false;
    if (c->text != text) {
        c->text = std::move(text);
        changed(*c);
    }
    return true;
}

bool CSettingsDlg::showViewpoint(std::string_view label, const Viewpoint& vp) {
    SettingsControl* c = findControl(ControlKind::RendererPane, label);
    if (!c)
        return false;
    if (!c->viewpoint.sameAs(vp)) {
        c->viewpoint = vp;
        changed(*c);
    }
    return true;
}

bool CSettingsDlg::showRadio(std::string_view anyOption, int selected) {
    SettingsControl* c = findControl(ControlKind::RadioGroup, anyOption);
    if (!c || selected < -1 || selected >= int(c->options.size()))
        return false;
    if (c->selected != selected) {
        c->selected = selected;
        changed(*c);
    }
    return true;
}

bool CSettingsDlg::showSlider(std::string_view label, int value) {
    SettingsControl* c = findControl(ControlKind::Slider, label);
    if (!c)
        return false;
    value = std::clamp(value, c->minValue, c->maxValue);
    if (c->value != value) {
        c->value = value;
        changed(*c);
    }
    return true;
}

bool CSettingsDlg::enableControl(ControlKind kind, std::string_view label, bool enabled) {
    SettingsControl* c = findControl(kind, label);
    if (!c)
        return false;
    if (c->enabled != enabled) {
        c->enabled = enabled;
        changed(*c);
    }
    return true;
}
