#pragma once

#include <functional>
#include <memory>
#include <string>

class MetaSurface;
class PolyMesh;
class SceneObj;

/// The first MetaSurface in `root`'s tree (depth first, `root` included), or null.
MetaSurface* FindMetaSurface(SceneObj& root);

/// Refines `surface` to completion headlessly and returns the generated mesh, detached from
/// the scene and owned by the caller (translated as generatePolyMesh places it). `maxLevel` > 0
/// replaces the surface's maximum level first. `progress`, when given, hears the latest level and
/// the queued cells after every step. Returns null with one line in `error` when the level is
/// refused (above the limit: the memory grows eightfold per level), the surface has no field
/// sources or empty extents, or no surface was found; the surface's level is then unchanged.
std::unique_ptr<PolyMesh> PolygonizeToEnd(MetaSurface& surface, int maxLevel,
                                          const std::function<void(int, size_t)>& progress,
                                          std::string& error);
