#pragma once

#include "sorvex/M4x4.h"
#include "unfolders/engine/FlatFaceMap.h"

/// The transform that carried each placed source face into the net, by face; a new
/// entry is the identity.
using FaceTransformStore = FlatFaceMap<Sorvex::M4x4>;
