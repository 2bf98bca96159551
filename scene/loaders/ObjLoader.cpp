#include "scene/loaders/ObjLoader.h"

VORN_DEFINE_FACTORY(OBJLoader, "Loader")
