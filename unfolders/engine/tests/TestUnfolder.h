#pragma once

#include "unfolders/engine/Unfolder.h"

/// A strategy for tests: exposes the protected operations and reports done
/// once `unfold()` has run `stepsUntilDone` times.
class TestUnfolder : public Unfolder {
public:
    using Unfolder::addPoly;
    using Unfolder::chooseStartingFace;
    using Unfolder::copyAndFlatten;
    using Unfolder::copyToCenter;
    using Unfolder::findDevelopmentCenter;
    using Unfolder::findHeightBands;
    using Unfolder::getRotationToPlane;
    using Unfolder::onConflict;
    using Unfolder::touchedByAnAngle;
    using Unfolder::unfoldFromEdge;
    using Unfolder::unfoldToCutGraph;
    using Unfolder::unfoldToEdge;
    using Unfolder::unfoldToNet;

    int stepsUntilDone = 0;
    int unfoldCalls = 0;
    int doneCalls = 0;

    bool isDone() override { return unfoldCalls >= stepsUntilDone; }
    void unfold() override { ++unfoldCalls; }
    void onDone() override {
        ++doneCalls;
        Unfolder::onDone();
    }
};
