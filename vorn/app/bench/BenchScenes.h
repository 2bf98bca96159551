#pragma once

#include "scene/render/Camera.h"

class SceneRoot;

/// A scene holding one red geodesic sphere of 20 × frequency² faces, built once per
/// frequency and kept for the life of the program.
SceneRoot& SphereScene(int frequency);
/// A camera on a three-quarter view of the unit sphere, for a `width` × `height` picture.
Camera SphereCamera(int width, int height);
