#pragma once

#include <string>

#include "scene/mesh/Poly.h"
#include "unfolders/engine/Graph.h"

/// The text key of a graph over source faces, equal for equal graphs: for every
/// face with neighbours, "name<->n1,n2,..." with the neighbours' names sorted,
/// the entries joined by ";". Names are the faces' HandyNames, so keys compare
/// only within the life of the mesh.
std::string NetKey(const Graph<Poly*>& net);
