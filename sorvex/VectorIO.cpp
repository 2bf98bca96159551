#include "sorvex/VectorIO.h"

#include "sorvex/M2d.h"
#include "sorvex/M3d.h"
#include "sorvex/M4d.h"
#include "sorvex/M4x4.h"
#include "sorvex/MQuat.h"

#include <ostream>

namespace Sorvex {

std::ostream& operator<<(std::ostream& os, const M2d& v) {
    return os << "(" << v.x() << ", " << v.y() << ")";
}

std::ostream& operator<<(std::ostream& os, const M3d& v) {
    return os << "(" << v.x() << ", " << v.y() << ", " << v.z() << ")";
}

std::ostream& operator<<(std::ostream& os, const M4d& v) {
    return os << "(" << v.x() << ", " << v.y() << ", " << v.z() << "," << v.w() << ")";
}

std::ostream& operator<<(std::ostream& os, const MQuat& q) {
    return os << "(" << q.x() << ", " << q.y() << ", " << q.z() << "," << q.w() << ")";
}

std::ostream& operator<<(std::ostream& os, const M4x4& m) {
    for (int block = 0; block < 4; ++block) {
        const double* column = m[block];
        os << column[0] << " " << column[1] << " " << column[2] << " " << column[3] << "\n";
    }
    return os;
}

} // namespace Sorvex
