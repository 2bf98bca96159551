#pragma once

#include "common/CostPacer.h"

#include <QTimer>

class QWidget;

/// Repaints a widget when asked, paced by what its last paint cost (CostPacer): a small
/// pane showing a net of hundreds of thousands of faces would otherwise redraw it on every
/// change of a growing net and leave the workbench no time for anything else. Requests
/// made while the pace holds become one repaint when it allows; cheap paints are never
/// held back. The widget times its paints with `paintStarted` and `paintEnded`.
class PacedRepaint {
public:
    /// After a paint that took d, the next asked-for repaint waits until `spacing` times d
    /// after it; paints under `freeBelow` never hold one back.
    PacedRepaint(QWidget& widget, double spacing, CostPacer::Clock::duration freeBelow);
    PacedRepaint(const PacedRepaint&) = delete;
    PacedRepaint& operator=(const PacedRepaint&) = delete;

    /// Repaints now, or once the pace allows (at most one repaint waits).
    void request();
    void paintStarted() { m_paintStart = CostPacer::Clock::now(); }
    void paintEnded() { m_pacer.ran(m_paintStart, CostPacer::Clock::now()); }
    /// Whether a repaint is waiting for the pace.
    bool isWaiting() const { return m_waiting.isActive(); }

private:
    QWidget& m_widget;
    CostPacer m_pacer;
    QTimer m_waiting;
    CostPacer::Clock::time_point m_paintStart{};
};
