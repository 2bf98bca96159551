#pragma once

#include <string>

namespace Sorvex {
class MRect;
}

/// Sets the `%%BoundingBox`, `%%HiResBoundingBox` and `%%PageBoundingBox` comments of the
/// EPS text `eps` to `box` (PostScript points, y up), leaving every other byte as it was.
/// False, with `eps` unchanged, when it has no `%%BoundingBox` line (not an EPS text).
bool RewriteEPSBoundingBox(std::string& eps, const Sorvex::MRect& box);
