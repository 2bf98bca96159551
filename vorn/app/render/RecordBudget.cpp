#include "vorn/app/render/RecordBudget.h"

#include <algorithm>

void RecordBudget::noteRecording(double recordMs, double budgetMs) {
    // An unbounded recording (budget 0) stopped nothing: all of it counts as past budget.
    m_pastBudgetMs = std::max(0.0, recordMs - budgetMs);
}

void RecordBudget::noteDraw(double drawMs) {
    m_drawMs = std::max(0.0, drawMs);
}

double RecordBudget::nextMs() const {
    return std::clamp(m_targetMs - m_drawMs - m_pastBudgetMs, m_floorMs, m_ceilingMs);
}
