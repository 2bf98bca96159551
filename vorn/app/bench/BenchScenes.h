#pragma once

#include "scene/render/Camera.h"

class Factory;
class SceneRoot;

namespace benchmark {
class State;
}

/// A scene holding one red geodesic sphere of 20 × frequency² faces, built once per
/// frequency and kept for the life of the program.
SceneRoot& SphereScene(int frequency);
/// A camera on a three-quarter view of the unit sphere, for a `width` × `height` picture.
Camera SphereCamera(int width, int height);
/// The factory of the strategy the Unfold With menu offers as `displayName`, with the
/// unfolding library loaded; null, with the benchmark skipped and told why, when there is none.
Factory* OfferedStrategyOrSkip(benchmark::State& state, const char* displayName);
