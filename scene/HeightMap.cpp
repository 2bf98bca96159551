#include "scene/HeightMap.h"

#include "common/TextUtil.h"
#include "common/XML.h"
#include "scene/Renderer.h"

#include <algorithm>
#include <cmath>
#include <sstream>

VORN_DEFINE_FACTORY(HeightMap, "SceneObj")

HeightMap::HeightMap() = default;

void HeightMap::setRange(double x0, double z0, double x1, double z1) {
    m_range[0] = x0;
    m_range[1] = z0;
    m_range[2] = x1;
    m_range[3] = z1;
    onChanged(false);
}

void HeightMap::setSize(int columns, int rows) {
    m_columns = columns > 0 ? columns : 0;
    m_rows = rows > 0 ? rows : 0;
    m_heights.assign(size_t(m_columns) * size_t(m_rows), 0.0);
    m_known.assign(m_heights.size(), 0);
    onChanged(true);
}

void HeightMap::setHeight(int i, int j, double height) {
    if (i < 0 || j < 0 || !std::isfinite(height))
        return;
    if (i >= m_columns || j >= m_rows) {
        const int columns = std::max(m_columns, i + 1), rows = std::max(m_rows, j + 1);
        std::vector<double> heights(size_t(columns) * size_t(rows), 0.0);
        std::vector<char> known(heights.size(), 0);
        for (int jj = 0; jj < m_rows; ++jj)
            for (int ii = 0; ii < m_columns; ++ii) {
                heights[size_t(jj) * size_t(columns) + size_t(ii)] = m_heights[index(ii, jj)];
                known[size_t(jj) * size_t(columns) + size_t(ii)] = m_known[index(ii, jj)];
            }
        m_columns = columns;
        m_rows = rows;
        m_heights.swap(heights);
        m_known.swap(known);
    }
    m_heights[index(i, j)] = height;
    m_known[index(i, j)] = 1;
    onChanged(false);
}

double HeightMap::getHeight(int i, int j) const {
    return isKnown(i, j) ? m_heights[index(i, j)] : 0.0;
}

bool HeightMap::isKnown(int i, int j) const {
    return i >= 0 && j >= 0 && i < m_columns && j < m_rows && m_known[index(i, j)];
}

void HeightMap::renderSelf(Renderer* r) {
    if (m_columns == 0 || m_rows == 0)
        return;
    const double dx = (m_range[2] - m_range[0]) / m_columns;
    const double dz = (m_range[3] - m_range[1]) / m_rows;
    r->beginTriangles();
    r->normal(Sorvex::M3d(0, 1, 0));
    for (int j = 0; j < m_rows; ++j)
        for (int i = 0; i < m_columns; ++i) {
            const double h = getHeight(i, j);
            if (!isKnown(i, j))
                r->color(0.5, 0.5, 0.5);
            else
                r->color(1 - h, 0.3 + 0.5 * h, 0.2); // red (0) to green (1)
            const double x = m_range[0] + i * dx, z = m_range[1] + j * dz;
            const Sorvex::M3d a(x, h, z), b(x + dx, h, z), c(x + dx, h, z + dz), d(x, h, z + dz);
            for (const Sorvex::M3d* p : {&a, &b, &c, &a, &c, &d})
                r->vertex(*p);
        }
    r->end();
}

void HeightMap::read(XML& xml) {
    double range[4] = {m_range[0], m_range[1], m_range[2], m_range[3]};
    if (const XML* text = xml.child("Range")) {
        std::istringstream in(text->getText());
        for (double& v : range)
            if (!(in >> v) || !std::isfinite(v))
                throw SceneReadError("Range: \"" + text->getText() + "\" is not four numbers");
    }
    const int columns = readInt(xml, "Columns", m_columns);
    const int rows = readInt(xml, "Rows", m_rows);
    if (columns < 0 || rows < 0 || double(columns) * rows > 1e8)
        throw SceneReadError("Columns, Rows: not a usable grid size");
    std::vector<double> heights(size_t(columns) * size_t(rows), 0.0);
    std::vector<char> known(heights.size(), 0);
    if (const XML* text = xml.child("Heights")) {
        std::istringstream in(text->getText());
        std::string word;
        size_t n = 0;
        while (in >> word) {
            if (n >= heights.size())
                throw SceneReadError("Heights: more values than cells");
            double v = 0;
            if (word != "-") {
                if (!parseDouble(word, v) || !std::isfinite(v))
                    throw SceneReadError("Heights: \"" + word + "\" is not a number");
                known[n] = 1;
                heights[n] = v;
            }
            ++n;
        }
        if (n != heights.size())
            throw SceneReadError("Heights: fewer values than cells");
    }
    SceneObj::read(xml);
    std::copy(range, range + 4, m_range);
    m_columns = columns;
    m_rows = rows;
    m_heights.swap(heights);
    m_known.swap(known);
}

void HeightMap::write(XML& xml) {
    SceneObj::write(xml);
    std::string range;
    for (double v : m_range)
        range += (range.empty() ? "" : " ") + formatDouble(v);
    xml.add("Range", range);
    xml.add("Columns", m_columns);
    xml.add("Rows", m_rows);
    std::string heights;
    for (size_t n = 0; n < m_heights.size(); ++n)
        heights += (n ? " " : "") + (m_known[n] ? formatDouble(m_heights[n]) : std::string("-"));
    xml.add("Heights", heights);
}
