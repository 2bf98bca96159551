#include "vorn/app/render/PacedRepaint.h"

#include <QWidget>

PacedRepaint::PacedRepaint(QWidget& widget, double spacing, CostPacer::Clock::duration freeBelow)
    : m_widget(widget), m_pacer(spacing, freeBelow) {
    m_waiting.setSingleShot(true);
    QObject::connect(&m_waiting, &QTimer::timeout, &widget, [this] { m_widget.update(); });
}

void PacedRepaint::request() {
    const CostPacer::Clock::time_point now = CostPacer::Clock::now();
    if (m_pacer.isDue(now)) {
        m_widget.update();
        return;
    }
    if (!m_waiting.isActive()) {
        const auto wait = std::chrono::ceil<std::chrono::milliseconds>(m_pacer.waitFrom(now));
        m_waiting.start(int(wait.count()));
    }
}
