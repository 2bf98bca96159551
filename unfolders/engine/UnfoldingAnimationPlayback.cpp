// Playing an unfolding animation: the play modes, the idle step and frame captures.
#include "unfolders/engine/UnfoldingAnimation.h"

#include "common/StatusLine.h"

namespace {

/// Two degrees of phase per idle tick, in single precision like the phase itself.
constexpr float kPhaseStep = 0.03490658476948738f;
/// A single run stops on the tick whose count before the increment reaches this: 91 ticks.
constexpr int kLastFrameOfRun = 90;

} // namespace

void UnfoldingAnimation::play() {
    if (playing || playingOnce)
        pause();
    frame = 0;
    playing = true;
    playingOnce = false;
}

void UnfoldingAnimation::playOnce() {
    if (playing || playingOnce)
        pause();
    frame = 0;
    playing = false;
    playingOnce = true;
}

void UnfoldingAnimation::pause() {
    playing = false;
    playingOnce = false;
    if (!captureFile.empty()) {
        captureFile.clear();
        onCapRequest(std::string(), captureWidth, captureHeight, captureFlag);
        onChanged(false);
    }
}

void UnfoldingAnimation::setScreenCap(const std::string& file, int w, int h, bool flag) {
    if (file.empty() && !captureFile.empty())
        onCapRequest(std::string(), -1, -1, false);
    captureFile = file;
    captureWidth = w;
    captureHeight = h;
    captureFlag = flag;
    if (!file.empty())
        captureFailure.clear();
    onChanged(false);
}

RGBAColor UnfoldingAnimation::getColor() {
    RGBAColor c = PolyMesh::getColor();
    if (!captureFile.empty()) {
        c.r *= 0.5;
        c.g *= 0.5;
        c.b *= 0.5;
    }
    return c;
}

void UnfoldingAnimation::onSystemIdle() {
    if (!playing && !playingOnce)
        return;
    time += kPhaseStep;
    flexFaces(getFoldPercent(time));
    onChanged(false);
    if (!captureFile.empty() &&
        !onCapRequest(captureFile, captureWidth, captureHeight, captureFlag)) {
        // The movie cannot grow: it ends here (the capture removes what it could not
        // finish) and the animation plays on without it.
        captureFailure = "The frame could not be added to " + captureFile;
        StatusMessage("%s", captureFailure.c_str());
        setScreenCap(std::string(), -1, -1, false);
    }
    const int before = frame++;
    if (before >= kLastFrameOfRun && playingOnce)
        pause();
}
