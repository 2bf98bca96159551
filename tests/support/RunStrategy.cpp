#include "tests/support/RunStrategy.h"

namespace testshapes {

bool runToEnd(Unfolder& u, int maxTicks) {
    for (int tick = 0; tick < maxTicks; ++tick) {
        if (u.isDone() && tick > 0)
            return true;
        u.onSystemIdle();
    }
    return u.isDone();
}

} // namespace testshapes
