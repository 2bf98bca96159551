#pragma once

namespace Sorvex {

/// Axis-aligned 2D rectangle: position (x, y) and size (width, height).
class MRect {
public:
    MRect() = default;
    MRect(double x, double y, double width, double height) : m_v{x, y, width, height} {}
    /// From (x, y, width, height).
    explicit MRect(const double* v) : m_v{v[0], v[1], v[2], v[3]} {}

    void setRect(double x, double y, double width, double height) {
        m_v[0] = x;
        m_v[1] = y;
        m_v[2] = width;
        m_v[3] = height;
    }
    void setPos(double x, double y) {
        m_v[0] = x;
        m_v[1] = y;
    }
    void setSize(double width, double height) {
        m_v[2] = width;
        m_v[3] = height;
    }
    /// From two corners: the size is (x2 - x1, y2 - y1), negative when reversed.
    void setCoord(double x1, double y1, double x2, double y2) { setRect(x1, y1, x2 - x1, y2 - y1); }

    double x() const { return m_v[0]; }
    double y() const { return m_v[1]; }
    double x1() const { return m_v[0]; }
    double y1() const { return m_v[1]; }
    double x2() const { return m_v[0] + m_v[2]; }
    double y2() const { return m_v[1] + m_v[3]; }
    double width() const { return m_v[2]; }
    double height() const { return m_v[3]; }

private:
    double m_v[4] = {0, 0, 0, 0};
};

} // namespace Sorvex
