#include "vorn/app/unfoldamatic/ResultsTable.h"

#include "vorn/core/batch/BatchResults.h"
#include "vorn/core/batch/BatchTestRun.h"

#include <QHeaderView>

#include <cstdio>

namespace {
constexpr int kNameColumnWidth = 180;
// Room beside a label's text so neighbouring columns do not run together.
constexpr int kLabelPadding = 10;
} // namespace

ResultsTable::ResultsTable(QWidget* parent) : QTableWidget(parent) {
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::NoSelection);
    verticalHeader()->setVisible(false);
    reset({});
}

void ResultsTable::reset(const std::vector<std::string>& strategies) {
    clear();
    m_rows.clear();
    m_columns.clear();
    setRowCount(0);
    setColumnCount(1);
    setHorizontalHeaderItem(0, new QTableWidgetItem(QStringLiteral("Unfolder")));
    setColumnWidth(0, kNameColumnWidth);
    for (const std::string& name : strategies) {
        if (m_rows.count(name))
            continue;
        const int row = rowCount();
        insertRow(row);
        setItem(row, 0, new QTableWidgetItem(QString::fromStdString(name)));
        fitColumnTo(0, QString::fromStdString(name));
        m_rows[name] = row;
    }
}

int ResultsTable::columnFor(const std::string& label) {
    auto found = m_columns.find(label);
    if (found != m_columns.end())
        return found->second;
    const int column = columnCount();
    insertColumn(column);
    const QString text = QString::fromStdString(label);
    setHorizontalHeaderItem(column, new QTableWidgetItem(text));
    setColumnWidth(column,
                   horizontalHeader()->fontMetrics().horizontalAdvance(text) + kLabelPadding);
    m_columns[label] = column;
    return column;
}

void ResultsTable::showOutcome(const BatchTestOutcome& outcome, const BatchResults& results) {
    const int column = columnFor(outcome.label);
    for (const BatchUnfolding& unfolding : outcome.unfoldings) {
        auto row = m_rows.find(unfolding.strategy);
        auto values = results.getValues().find(unfolding.strategy);
        if (row == m_rows.end() || values == results.getValues().end())
            continue;
        auto value = values->second.find(outcome.label);
        if (value == values->second.end())
            continue;
        char text[32];
        if (outcome.counting)
            std::snprintf(text, sizeof text, "%d", int(value->second));
        else
            std::snprintf(text, sizeof text, "%4.2f%%", double(value->second));
        setItem(row->second, column, new QTableWidgetItem(QString::fromLatin1(text)));
        fitColumnTo(column, QString::fromLatin1(text));
    }
}

void ResultsTable::fitColumnTo(int column, const QString& text) {
    const int needed = fontMetrics().horizontalAdvance(text) + kLabelPadding;
    if (columnWidth(column) < needed)
        setColumnWidth(column, needed);
}

std::string ResultsTable::cellText(const std::string& strategy, const std::string& label) const {
    auto row = m_rows.find(strategy);
    auto column = m_columns.find(label);
    if (row == m_rows.end() || column == m_columns.end())
        return {};
    const QTableWidgetItem* cell = item(row->second, column->second);
    return cell ? cell->text().toStdString() : std::string();
}

std::vector<std::string> ResultsTable::columnLabels() const {
    std::vector<std::string> labels;
    for (int c = 0; c < columnCount(); ++c)
        if (const QTableWidgetItem* header = horizontalHeaderItem(c))
            labels.push_back(header->text().toStdString());
    return labels;
}
