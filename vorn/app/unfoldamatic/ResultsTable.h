#pragma once

#include <QTableWidget>

#include <map>
#include <string>
#include <vector>

class BatchResults;
struct BatchTestOutcome;

/// The on-screen results of a batch run: column 0 "Unfolder" names one strategy per row,
/// and each test label gets a column the first time it is needed. Cells show counted
/// successes as whole numbers and scores as percentages ("87.50%"); a column widens to
/// show the whole of every value and name put in it.
class ResultsTable : public QTableWidget {
public:
    explicit ResultsTable(QWidget* parent = nullptr);

    /// Drops every row and column and starts over with one row per strategy.
    void reset(const std::vector<std::string>& strategies);
    /// The column of `label`, added at the end (as wide as its text) when it has none.
    int columnFor(const std::string& label);
    /// Shows what `outcome` changed, reading the cells' values from `results`.
    void showOutcome(const BatchTestOutcome& outcome, const BatchResults& results);

    /// The text of the cell of `strategy` under `label`; empty when there is none.
    std::string cellText(const std::string& strategy, const std::string& label) const;
    std::vector<std::string> columnLabels() const;

private:
    void fitColumnTo(int column, const QString& text);

    std::map<std::string, int> m_rows;
    std::map<std::string, int> m_columns;
};
