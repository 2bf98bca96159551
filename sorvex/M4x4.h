#pragma once

#include "sorvex/M3d.h"
#include "sorvex/M4d.h"
#include "sorvex/MQuat.h"
#include "sorvex/MRect.h"
#include "sorvex/MRot.h"

namespace Sorvex {

/// 4x4 homogeneous transform acting on column vectors.
///
/// Storage: four blocks of four doubles, one block per column; element (row r, column c)
/// is at index 4*c + r, so the translation sits at 12, 13, 14 and the corner at 15.
/// The builders without "load" multiply on the right (this = this * T), so the last one
/// called is the first applied to a point, as with a fixed-function matrix stack.
class M4x4 {
public:
    M4x4() { identity(); }
    explicit M4x4(const double* v16);

    static M4x4 Translation(const M3d& v);
    static M4x4 Rotation(const M3d& axis, double angle);

    // Inline: every default-constructed transform starts here, millions per big unfold.
    void identity() {
        zero();
        m_m[0] = m_m[5] = m_m[10] = m_m[15] = 1;
    }
    void zero() {
        for (double& e : m_m)
            e = 0;
    }
    void copy(const M4x4& m) { *this = m; }

    /// Block (column) i.
    double* operator[](int i) { return m_m + 4 * i; }
    const double* operator[](int i) const { return m_m + 4 * i; }
    /// Stores value at index 4*i + j (column i, row j).
    void set(int i, int j, double value) { m_m[4 * i + j] = value; }
    /// Value at index 4*i + j (column i, row j).
    double get(int i, int j) const { return m_m[4 * i + j]; }
    double* data() { return m_m; }
    const double* data() const { return m_m; }

    /// Row i = (v, 0) for i < 3; row 3 = v with the corner set to 1.
    void setRow(int i, const M3d& v);
    /// Column i = (v, 0) for i < 3; column 3 = translation v with the corner set to 1.
    void setCol(int i, const M3d& v);
    void setRow(int i, const M4d& v);
    void setCol(int i, const M4d& v);
    /// First three values of row / column i.
    M3d getRow(int i) const;
    M3d getCol(int i) const;

    /// this = a * b (either may be this).
    void mul(const M4x4& a, const M4x4& b);
    M4x4 operator*(const M4x4& m) const;
    M4x4& operator*=(const M4x4& m);
    M4x4& operator+=(const M4x4& m);
    M4x4& operator-=(const M4x4& m);
    void add(const M4x4& a, const M4x4& b);
    void sub(const M4x4& a, const M4x4& b);
    M4x4 operator+(const M4x4& m) const;
    M4x4 operator-(const M4x4& m) const;
    M4x4 operator+() const { return *this; }
    M4x4 operator-() const;
    M4x4 operator*(double s) const;
    M4x4& operator*=(double s);
    M4x4& scalar(double s) { return *this *= s; }
    M4x4& neg();
    M4x4& abs();
    void transpose();
    /// Determinant by cofactor expansion.
    double det() const;
    /// Replaces the matrix by its adjugate (transposed cofactor matrix).
    void adjoint();
    /// In-place inverse by Gauss-Jordan elimination with full pivoting. Returns false, and
    /// leaves the matrix as it was, when the running pivot product falls below 1e-7 in
    /// absolute value (an absolute bound) or a pivot is not finite.
    bool inv();

    /// v = this * (v, 1), first three results kept (no division by the fourth).
    void transform(M3d& v) const;
    M3d operator*(const M3d& v) const;
    /// v = this * v.
    void transform(M4d& v) const;
    M4d operator*(const M4d& v) const;

    /// True when no element differs by more than eps (a difference of exactly eps is equal).
    bool cmp(const M4x4& m, double eps) const;
    bool operator==(const M4x4& m) const { return cmp(m, 1e-10); }
    bool operator!=(const M4x4& m) const { return !cmp(m, 1e-10); }

    void loadTranslate(double x, double y, double z);
    void loadTranslate(const M3d& v) { loadTranslate(v.x(), v.y(), v.z()); }
    void translate(double x, double y, double z);
    void translate(const M3d& v) { translate(v.x(), v.y(), v.z()); }
    void translateNeg(const M3d& v) { translate(-v.x(), -v.y(), -v.z()); }
    void loadScale(double x, double y, double z);
    void scale(double x, double y, double z);
    void scale(const M3d& v) { scale(v.x(), v.y(), v.z()); }

    /// Rotation by +a about x in the right-handed sense: (y, z) -> (y cos - z sin, y sin + z cos).
    void loadRotateX(double a);
    /// Rotation by +a about y: (z, x) -> (z cos - x sin, z sin + x cos).
    void loadRotateY(double a);
    /// Rotation by +a about z: (x, y) -> (x cos - y sin, x sin + y cos).
    void loadRotateZ(double a);
    void rotateX(double a);
    void rotateY(double a);
    void rotateZ(double a);
    /// Rotation matrix of q (normalised on the fly).
    void loadRotate(const MQuat& q);
    void rotate(const MQuat& q);
    /// Matrix of MQuat(axis, angle): the rotation by -angle about the axis, the opposite
    /// sense from loadRotateX/Y/Z.
    void loadRotate(const M3d& axis, double angle) { loadRotate(MQuat(axis, angle)); }
    void loadRotate(const MRot& r) { loadRotate(r.quat()); }
    void rotate(const M3d& axis, double angle) { rotate(MQuat(axis, angle)); }
    void rotate(const MRot& r) { rotate(r.quat()); }
    /// A rotation whose column 1 is the unit vector of v: it maps the y axis onto v.
    void loadRotateToY(const M3d& v);

    /// Perspective projection for field of view fov (radians): 2/tan(fov/2) at index 0, that
    /// times aspect at 5, -(n+f)/(f-n) at 10, -2nf/(f-n) at 11 and -1 at 14.
    void loadProj(double fov, double nearDist, double farDist, double aspect);
    void proj(double fov, double nearDist, double farDist, double aspect);
    /// Picking region: pick is given by its centre and size, viewport by corner and size.
    void loadPick(const MRect& pick, const MRect& viewport);
    void pick(const MRect& pick, const MRect& viewport);

    /// Pulls the matrix towards orthogonality with count - 1 terms (at most nine) of the
    /// binomial series of (R^T R)^(-1/2); count <= 1 leaves it unchanged.
    void reorthogonalize(int count);

private:
    double m_m[16];
};

} // namespace Sorvex
