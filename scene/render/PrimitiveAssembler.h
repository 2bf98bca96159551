#pragma once

#include "sorvex/M3d.h"
#include "sorvex/M4x4.h"

#include <cstddef>
#include <vector>

class Renderer;

/// Receives what a `PrimitiveAssembler` completes. Lines name their ends by position among
/// the assembler's pending points, so that a receiver can find what it kept beside each
/// point (a colour, say) at the same position.
class PrimitiveSink {
public:
    virtual ~PrimitiveSink() = default;
    /// A filled polygon of every pending point, in order: one triangle of a triangle list,
    /// or a whole polygon.
    virtual void onFace(const std::vector<Sorvex::M3d>& points) = 0;
    /// A straight line from pending point `from` to pending point `to`. `provoking` is the
    /// point whose attributes the line takes: the closing point of a separate line, the
    /// starting point of each line of a loop.
    virtual void onSegment(std::size_t from, std::size_t to, std::size_t provoking) = 0;
    /// The pending points were dropped: a primitive was completed, or a bracket began or ended.
    virtual void onPendingCleared() {}
};

/// Turns the immediate-mode brackets of a renderer (a begin call, points, `end`) into whole
/// primitives: triangle lists into triangles, a polygon into one face, line lists into
/// lines and a line loop into a closed chain of lines. Points are kept as given (renderers
/// pass world coordinates); points outside a bracket are ignored. The pending points keep
/// their capacity, so assembling allocates nothing once warm.
class PrimitiveAssembler {
public:
    enum class Mode { None, Lines, LineLoop, Triangles, Polygon };

    /// Starts a bracket of the given kind, dropping whatever was pending.
    void begin(Mode mode, PrimitiveSink& sink);
    bool isOpen() const { return m_mode != Mode::None; }
    /// Adds a point to the open bracket and hands on the triangle or line it completes.
    void vertex(const Sorvex::M3d& p, PrimitiveSink& sink);
    /// Closes the bracket, handing on the polygon (three points or more) or the loop (two or
    /// more); fewer points give nothing.
    void end(PrimitiveSink& sink);
    /// Drops the bracket without telling anyone (for a renderer starting afresh).
    void reset();

    const std::vector<Sorvex::M3d>& getPending() const { return m_pending; }

private:
    void clearPending(PrimitiveSink& sink);

    Mode m_mode = Mode::None;
    std::vector<Sorvex::M3d> m_pending;
};

/// True when every coordinate of `p` is finite.
bool IsFinitePoint(const Sorvex::M3d& p);
/// How much `m` stretches lengths, measured along its first axis: tubes and spheres drawn
/// under it are scaled by this.
double LengthScaleOf(const Sorvex::M4x4& m);
/// Draws the cubic Bezier from `a` to `b` (control points a + ta and b + tb) on `r` as a
/// chain of 16 tubes of the given radius.
void RenderSplineAsTubes(Renderer& r, const Sorvex::M3d& a, const Sorvex::M3d& ta,
                         const Sorvex::M3d& b, const Sorvex::M3d& tb, double radius);
