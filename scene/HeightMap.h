#pragma once

#include "scene/SceneObj.h"

#include <vector>

/// A grid of heights over a rectangle of the xz plane, drawn as a coloured relief: the
/// picture of a 2D parameter sweep (cell (i, j) is column i along x, row j along z).
/// Cells never set are "unknown" and drawn grey.
class HeightMap : public SceneObj {
    VORN_DECLARE_FACTORY(HeightMap)

    HeightMap();

    /// The rectangle the grid covers, from (x0, z0) to (x1, z1).
    void setRange(double x0, double z0, double x1, double z1);
    double getRange(int index) const { return m_range[index]; }
    /// Resizes to `columns` × `rows` cells, all unknown. Negative sizes count as 0.
    void setSize(int columns, int rows);
    int getColumns() const { return m_columns; }
    int getRows() const { return m_rows; }
    /// Sets cell (i, j), growing the grid when it lies outside; non-finite heights and
    /// negative indices are ignored.
    void setHeight(int i, int j, double height);
    /// The height of cell (i, j); 0 for cells outside or unknown.
    double getHeight(int i, int j) const;
    bool isKnown(int i, int j) const;

    void renderSelf(Renderer* r) override;
    /// Reads "Range" (x0 z0 x1 z1), "Columns", "Rows" and "Heights" (one number or "-" per
    /// cell, row by row); a grid whose heights do not match its size throws SceneReadError.
    void read(XML& xml) override;
    void write(XML& xml) override;

private:
    size_t index(int i, int j) const { return size_t(j) * size_t(m_columns) + size_t(i); }

    double m_range[4] = {-5, -5, 5, 5};
    int m_columns = 0;
    int m_rows = 0;
    std::vector<double> m_heights;
    std::vector<char> m_known;
};
