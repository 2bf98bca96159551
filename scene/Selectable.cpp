#include "scene/Selectable.h"

#include <algorithm>

// Panels remove themselves when their target goes away (they listen to it), so nothing
// is left to tell here.
Selectable::~Selectable() = default;

void Selectable::addSettingsDlg(CSettingsDlg* dlg) {
    if (dlg && std::find(m_settingsDlgs.begin(), m_settingsDlgs.end(), dlg) == m_settingsDlgs.end())
        m_settingsDlgs.push_back(dlg);
}

void Selectable::remSettingsDlg(CSettingsDlg* dlg) {
    std::erase(m_settingsDlgs, dlg);
}

const std::vector<CSettingsDlg*>& Selectable::getSettingsDlgList() const {
    return m_settingsDlgs;
}

void Selectable::onSelected(CSettingsListDlg* /*bar*/) {}
