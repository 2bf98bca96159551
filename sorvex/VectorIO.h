#pragma once

#include <iosfwd>

namespace Sorvex {

class M2d;
class M3d;
class M4d;
class MQuat;
class M4x4;

/// "(x, y)" in the stream's current number format.
std::ostream& operator<<(std::ostream& os, const M2d& v);
/// "(x, y, z)".
std::ostream& operator<<(std::ostream& os, const M3d& v);
/// "(x, y, z,w)": the last separator has no blank.
std::ostream& operator<<(std::ostream& os, const M4d& v);
/// "(x, y, z,w)", as for M4d.
std::ostream& operator<<(std::ostream& os, const MQuat& q);
/// Four lines, one per storage block (column), values separated by single blanks.
std::ostream& operator<<(std::ostream& os, const M4x4& m);

} // namespace Sorvex
