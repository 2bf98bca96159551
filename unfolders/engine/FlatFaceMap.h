#pragma once

#include "common/FlatPointerMap.h"

class Poly;

/// A flat map from faces to values (see FlatPointerMap): what the unfolders keep per
/// source face over a whole net, such as the faces' transforms and curvatures.
template <typename Value> using FlatFaceMap = FlatPointerMap<Poly, Value>;
