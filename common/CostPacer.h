#pragma once

#include <chrono>

/// Paces work that a timer would repeat on every tick but whose cost grows with the
/// data: writing a whole scene to see whether it still matches the saved file, redrawing
/// a preview of a net of a million faces. After a run that took d, the next run is due
/// `spacing` times d after it ended, so the work takes at most 1 / (1 + spacing) of the
/// time however large the data grows. Runs shorter than `freeBelow` impose no wait:
/// small scenes keep their immediate answers.
class CostPacer {
public:
    using Clock = std::chrono::steady_clock;

    CostPacer(double spacing, Clock::duration freeBelow)
        : m_spacing(spacing), m_freeBelow(freeBelow) {}

    /// Whether a run may start at `now`.
    bool isDue(Clock::time_point now) const { return now >= m_nextDue; }
    /// How long after `now` a run becomes due; zero when it is due.
    Clock::duration waitFrom(Clock::time_point now) const;
    /// Records a run that started at `start` and ended at `end`.
    void ran(Clock::time_point start, Clock::time_point end);

private:
    double m_spacing;
    Clock::duration m_freeBelow;
    Clock::time_point m_nextDue{};
};
