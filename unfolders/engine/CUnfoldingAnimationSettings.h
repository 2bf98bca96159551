#pragma once

#include "common/IdleLoop.h"
#include "scene/settings/CSettingsDlg.h"

#include <string>

class Renderer;
class UnfoldingAnimation;

/// The panel of a folding animation: its face count and efficiency, a preview of the flat
/// net, the buttons that print the preview ("Print"), record the fold as a movie ("Movie",
/// which reads "Stop" while recording) and take a picture ("Pix"), and the playback
/// controls: a slider holding the fold percentage and "Stop" / "Play". Refreshed on idle
/// ticks so the slider follows the animation.
class CUnfoldingAnimationSettings : public CSettingsDlg, public SystemIdleHandler {
    VORN_DECLARE_FACTORY(CUnfoldingAnimationSettings)

    CUnfoldingAnimationSettings();
    ~CUnfoldingAnimationSettings() override;

    void refresh() override;
    void onSystemIdle() override { refresh(); }

    /// Draws the flat net as the preview shows it: the net plane's (x, z) as the picture's
    /// (x, y).
    void drawPreview(Renderer& r) const;
    /// Writes the preview picture (PNG, PDF, EPS or SVG by extension), framed to fit on
    /// white; false with `error` set when it could not be written.
    bool writePreview(const std::string& path, int width, int height, std::string& error) const;
    /// The hull area of the flat net divided by the faces' total area; 0 without faces.
    double getEfficiency() const;
    /// "Movie": where movies go, the data folder's "Capture.avi".
    static std::string MoviePath();
    /// "Pix": writes a picture of the animation as it stands to the next free
    /// "Capture%03i.png" of the data folder's "Capture" folder; the file, or empty (the
    /// reason on the status line).
    std::string takePicture();

protected:
    void buildControls() override;

private:
    UnfoldingAnimation* animation() const;
    /// "Print": the preview as a picture, through the host's printer
    /// (`CSettingsDlg::PrintPicture`); a failure shows "Printer error encountered.".
    bool print();
    void toggleMovie();
};
