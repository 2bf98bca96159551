#pragma once

/// How long the next recording of a changing scene may spend drawing new items (see
/// GLRenderer::setRecordBudgetMs), so that one paint, recording and drawing together, stays
/// near a frame target while a huge net grows. The target is shared out from what the last
/// recording paint measured: what its recording spent past its budget (recolouring kept
/// faces, drawing that is never kept, copying to OpenGL: work the budget cannot stop
/// part-way, which the next recording will mostly meet again) and what drawing the scene
/// took are taken off the target, and the items get the rest. Never less than the floor,
/// so that a scene that alone takes longer than the target to draw still makes headway;
/// never more than the ceiling. Times are in milliseconds.
class RecordBudget {
public:
    RecordBudget(double targetMs, double floorMs, double ceilingMs)
        : m_targetMs(targetMs), m_floorMs(floorMs), m_ceilingMs(ceilingMs) {}

    /// A recording under a budget of `budgetMs` took `recordMs` in all.
    void noteRecording(double recordMs, double budgetMs);
    /// Drawing the scene just recorded took `drawMs` (may be noted again as the frame
    /// completes, with the whole time).
    void noteDraw(double drawMs);
    /// The budget for the next recording.
    double nextMs() const;

private:
    double m_targetMs;
    double m_floorMs;
    double m_ceilingMs;
    double m_pastBudgetMs = 0.0;
    double m_drawMs = 0.0;
};
