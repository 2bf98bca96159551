#pragma once

#include <vector>

class CSettingsDlg;
class CSettingsListDlg;

/// The part of a scene object that settings panels attach to. The object keeps the panels
/// that show it so that, when it is destroyed, each panel learns that its target is gone.
class Selectable {
public:
    Selectable() = default;
    Selectable(const Selectable&) = delete;
    Selectable& operator=(const Selectable&) = delete;
    virtual ~Selectable();

    /// Remember a panel that shows this object (not owned; ignored when already listed).
    virtual void addSettingsDlg(CSettingsDlg* dlg);
    virtual void remSettingsDlg(CSettingsDlg* dlg);
    virtual const std::vector<CSettingsDlg*>& getSettingsDlgList() const;
    /// Called when the object becomes the selection shown by `bar` (may be null), after the
    /// bar has built the object's panels.
    virtual void onSelected(CSettingsListDlg* bar);

private:
    std::vector<CSettingsDlg*> m_settingsDlgs;
};
