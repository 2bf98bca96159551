#include "scene/settings/CSettingsListDlg.h"

#include "scene/Factory.h"
#include "scene/SceneObj.h"
#include "scene/settings/CSettingsDlg.h"

#include <string>

CSettingsListDlg::CSettingsListDlg() = default;

CSettingsListDlg::~CSettingsListDlg() {
    dropPanels();
    if (m_selection)
        m_selection->remChangeListener(this);
}

void CSettingsListDlg::setSelection(SceneObj* obj) {
    if (obj == m_selection)
        return;
    dropPanels();
    if (m_selection)
        m_selection->remChangeListener(this);
    m_selection = obj;
    if (obj) {
        obj->addChangeListener(this);
        buildPanels(obj);
    }
    if (m_panelsChanged)
        m_panelsChanged();
    if (obj)
        obj->onSelected(this);
}

void CSettingsListDlg::buildPanels(SceneObj* obj) {
    std::vector<std::string> built;
    // The step bound keeps a mistakenly circular chain finite.
    Factory* f = obj->getClassFactory();
    for (int steps = 0; f && steps < 1000; ++steps, f = f->getListedUnder()) {
        std::string name = "C" + std::string(f->getClassName()) + "Settings";
        bool seen = false;
        for (const std::string& b : built)
            seen = seen || b == name;
        Factory* panelFactory = seen ? nullptr : Factory::GetFactory(name);
        if (!panelFactory)
            continue;
        if (CSettingsDlg* dlg = panelFactory->createSettingsDlg(obj)) {
            m_panels.emplace_back(dlg);
            built.push_back(std::move(name));
        }
    }
}

void CSettingsListDlg::dropPanels() {
    // Each panel unhooks itself from the object as it is destroyed.
    std::vector<std::unique_ptr<CSettingsDlg>> panels;
    panels.swap(m_panels);
    panels.clear();
}

std::vector<CSettingsDlg*> CSettingsListDlg::getPanels() const {
    std::vector<CSettingsDlg*> panels;
    for (const auto& p : m_panels)
        panels.push_back(p.get());
    return panels;
}

CSettingsDlg* CSettingsListDlg::findPanel(std::string_view className) const {
    for (const auto& p : m_panels)
        if (p->getClassName() == className)
            return p.get();
    return nullptr;
}

void CSettingsListDlg::refreshAll() {
    for (const auto& p : m_panels)
        p->refresh();
}

// Panels listen to the object themselves and refresh on their own.
void CSettingsListDlg::onTargetChanged(SceneObj* /*target*/, bool /*structural*/) {}

void CSettingsListDlg::onTargetDestroyed(SceneObj* target) {
    if (target != m_selection)
        return;
    dropPanels();
    m_selection = nullptr;
    if (m_panelsChanged)
        m_panelsChanged();
}
