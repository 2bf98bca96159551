#pragma once

// Umbrella header: every value type of the vector math library.
#include "sorvex/Angles.h"
#include "sorvex/M2d.h"
#include "sorvex/M3Frame.h"
#include "sorvex/M3d.h"
#include "sorvex/M4d.h"
#include "sorvex/M4x4.h"
#include "sorvex/MLookAt.h"
#include "sorvex/MQuat.h"
#include "sorvex/MRect.h"
#include "sorvex/MRot.h"
#include "sorvex/VectorIO.h"
