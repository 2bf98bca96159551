#pragma once

// The plane cut of a mesh lives with the meshes; the shapes keep using it from here.
#include "scene/mesh/MeshTruncate.h"
