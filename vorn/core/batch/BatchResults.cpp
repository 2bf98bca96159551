#include "vorn/core/batch/BatchResults.h"

#include <cstdio>

namespace {

std::string format(const char* fmt, double value) {
    char text[64];
    std::snprintf(text, sizeof text, fmt, value);
    return text;
}

} // namespace

void BatchResults::countRun(const std::string& label) {
    ++m_runCounts[label];
}

void BatchResults::addCount(const std::string& strategy, const std::string& label, bool success) {
    m_counting.emplace(strategy, label);
    float& cell = m_values[strategy][label];
    // The cell holds a whole number of successes; read and written as one.
    cell = float(int(cell) + (success ? 1 : 0));
}

void BatchResults::setScore(const std::string& strategy, const std::string& label, double score) {
    m_counting.erase({strategy, label});
    m_values[strategy][label] = float(score * 100.0);
}

void BatchResults::clear() {
    m_values.clear();
    m_runCounts.clear();
    m_counting.clear();
}

double BatchResults::successRate(const std::string& strategy, const std::string& label) const {
    const auto runs = m_runCounts.find(label);
    const auto row = m_values.find(strategy);
    if (runs == m_runCounts.end() || runs->second == 0 || row == m_values.end())
        return -1;
    const auto cell = row->second.find(label);
    if (cell == row->second.end())
        return -1;
    if (m_counting.count({strategy, label}))
        return cell->second * 100.0 / runs->second;
    return cell->second;
}

std::string BatchResults::toCsv(const std::string& progress) const {
    std::string csv = "Unfolder, ";
    if (!m_values.empty())
        for (const auto& [label, value] : m_values.begin()->second)
            csv += label + ", ";
    csv += "\n";
    for (const auto& [strategy, row] : m_values) {
        csv += strategy + ", ";
        for (const auto& [label, value] : row)
            csv += format("%4.2f, ", value);
        csv += "\n";
    }
    csv += "\nStatus, " + progress + "\n";
    csv += "\n\nSuccess rates:\n";
    for (const auto& [strategy, row] : m_values) {
        csv += strategy + ", ";
        for (const auto& [label, value] : row) {
            const double rate = successRate(strategy, label);
            csv += rate >= 0 ? format("%4.2f, ", rate) : std::string(", ");
        }
        csv += "\n";
    }
    csv += "\nTotals, ";
    for (const auto& [label, runs] : m_runCounts)
        csv += std::to_string(runs) + ", ";
    csv += "\n";
    return csv;
}
