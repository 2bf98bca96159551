#include "scene/loaders/OFFLoader.h"

VORN_DEFINE_FACTORY(OFFLoader, "Loader")
