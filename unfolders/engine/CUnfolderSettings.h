#pragma once

#include "common/IdleLoop.h"
#include "scene/settings/CSettingsDlg.h"

#include <chrono>
#include <string>

class Unfolder;

/// The panel every unfolder shows while selected: its display switches (each
/// also stored as the default for new unfolders), the buttons that turn the
/// net into an animation, two small views, and the progress and face counts,
/// refreshed on idle ticks.
class CUnfolderSettings : public CSettingsDlg, public SystemIdleHandler {
    VORN_DECLARE_FACTORY(CUnfolderSettings)

    CUnfolderSettings();
    ~CUnfolderSettings() override;

    /// "Success", the progress or the failure share; then the face counts.
    void refresh() override;
    void onSystemIdle() override { refresh(); }

    /// Whether "Animate" also deletes the source (the host sets this while
    /// the Control key is held).
    void setDeleteSourceOnAnimate(bool b) { deleteSourceOnAnimate = b; }

    /// "Screenshot": writes the "Unfolding" view of the panel as a PNG, numbered after the
    /// class name in the data folder's "Capture" folder. Returns the file written, or an
    /// empty text (the reason on the status line).
    std::string captureUnfoldingView();

protected:
    void buildControls() override;

private:
    Unfolder* unfolder() const;
    void addSwitch(const char* label, const char* key, bool on, void (Unfolder::*set)(bool));
    /// The canvas's picture: the net, or the cut graph (the "Unfolding" /
    /// "Cut Graph" choice, stored as "UnfoldingDisplayMode").
    void drawNet(Renderer& r);
    void drawCutGraph(Renderer& r);

    /// Frames the "Unfolding" view anew as the net grows: once it has grown by a quarter
    /// since the last framing, and once more when it has not changed for SettledAfter.
    /// The net has a face or two when the panel is made, so the first framing shows only
    /// those.
    void frameGrowingNet(Unfolder& u);
    static constexpr std::chrono::milliseconds SettledAfter{300};

    bool deleteSourceOnAnimate = false;
    int displayMode = 0;
    std::size_t framedFaces = 0;
    std::size_t seenFaces = 0;
    std::chrono::steady_clock::time_point seenChange;
};
