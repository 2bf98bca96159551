#pragma once

#include "scene/ChangeListener.h"

#include <functional>
#include <memory>
#include <string_view>
#include <vector>

class CSettingsDlg;
class SceneObj;

/// The bar of settings panels for the selected object. For the selection it builds the
/// panel `C<Class>Settings` of its class and of each factory in its "listed under" chain
/// that has one (most specific first), and drops them when the selection changes or the
/// object is destroyed.
class CSettingsListDlg : public ChangeListener {
public:
    CSettingsListDlg();
    ~CSettingsListDlg() override;
    CSettingsListDlg(const CSettingsListDlg&) = delete;
    CSettingsListDlg& operator=(const CSettingsListDlg&) = delete;

    /// Shows the panels of `obj` (null: none). The object then hears `onSelected(this)`.
    /// Selecting the shown object again keeps its panels.
    void setSelection(SceneObj* obj);
    SceneObj* getSelection() const { return m_selection; }

    /// The panels shown, in building order (owned by the bar).
    std::vector<CSettingsDlg*> getPanels() const;
    /// The shown panel of class `className`, or null.
    CSettingsDlg* findPanel(std::string_view className) const;
    /// Refreshes every panel (the host calls it on idle ticks).
    void refreshAll();
    /// Called after the set of panels changed, so the host can rebuild its widgets.
    void setPanelsChangedCallback(std::function<void()> callback) {
        m_panelsChanged = std::move(callback);
    }

    void onTargetChanged(SceneObj* target, bool structural) override;
    void onTargetDestroyed(SceneObj* target) override;

private:
    void dropPanels();
    void buildPanels(SceneObj* obj);

    SceneObj* m_selection = nullptr;
    std::vector<std::unique_ptr<CSettingsDlg>> m_panels;
    std::function<void()> m_panelsChanged;
};
