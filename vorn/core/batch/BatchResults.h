#pragma once

#include <map>
#include <set>
#include <string>
#include <utility>

/// The results table of a batch run: for each strategy (by display name) and
/// test label one value, plus how many test meshes ran under each label.
/// Both levels are ordered by text comparison, as the CSV file lists them.
class BatchResults {
public:
    /// One more test mesh prepared under `label`.
    void countRun(const std::string& label);
    /// Counting cell (random series, repeat mode): one more success when
    /// `success`; the cell is created (at 0) either way.
    void addCount(const std::string& strategy, const std::string& label, bool success);
    /// Scored cell: stores `score` (0 to 1) as a percentage, replacing any
    /// earlier value.
    void setScore(const std::string& strategy, const std::string& label, double score);

    void clear();
    bool empty() const { return m_values.empty(); }

    using Row = std::map<std::string, float>;
    const std::map<std::string, Row>& getValues() const { return m_values; }
    const std::map<std::string, int>& getRunCounts() const { return m_runCounts; }
    /// The success rate of a cell in percent, or a negative value when its
    /// label has no runs. A counting cell is successes * 100 / runs; a scored
    /// cell already holds a percentage and is given as it is.
    double successRate(const std::string& strategy, const std::string& label) const;

    /// The text of results.csv; `progress` is the progress text shown on the
    /// status row.
    std::string toCsv(const std::string& progress) const;

private:
    std::map<std::string, Row> m_values;
    std::map<std::string, int> m_runCounts;
    std::set<std::pair<std::string, std::string>> m_counting;
};
