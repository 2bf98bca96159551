#pragma once

#include "vorn/core/sweep/SweepRunner.h"

#include <string>
#include <vector>

/// The maps as CSV text: the header "dim,h,k,unfoldable", then one line per point in dim,
/// k, h order ("unfoldable" is 1, 0, or empty when unknown).
std::string SweepMapsCsv(const std::vector<SweepMap>& maps);
/// The maps as text for a terminal: per dim a block of rows (k from the top down to k.min),
/// '#' unfoldable, '.' not, '?' unknown.
std::string SweepMapsText(const std::vector<SweepMap>& maps);
/// Writes the maps side by side as one PNG height map (green unfoldable, dark red not, grey
/// unknown; h to the right, k upwards, `cellPixels` per point); false with `error` set.
bool WriteSweepMapsPng(const std::vector<SweepMap>& maps, const std::string& path, int cellPixels,
                       std::string& error);
