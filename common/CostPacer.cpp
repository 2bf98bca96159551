#include "common/CostPacer.h"

CostPacer::Clock::duration CostPacer::waitFrom(Clock::time_point now) const {
    return isDue(now) ? Clock::duration::zero() : m_nextDue - now;
}

void CostPacer::ran(Clock::time_point start, Clock::time_point end) {
    const Clock::duration took = end - start;
    if (took < m_freeBelow) {
        m_nextDue = end;
        return;
    }
    m_nextDue = end + std::chrono::duration_cast<Clock::duration>(took * m_spacing);
}
