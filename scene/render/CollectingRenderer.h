#pragma once

#include "scene/Renderer.h"
#include "scene/render/PrimitiveAssembler.h"
#include "sorvex/M3d.h"
#include "sorvex/M4x4.h"

#include <functional>
#include <string>
#include <vector>

/// A filled convex polygon in world coordinates.
struct DrawnFace {
    std::vector<Sorvex::M3d> points;
    RGBAColor color;
    SceneObj* owner = nullptr;
};

/// A straight stroke in world coordinates: a line (`radius` 0, `width` in pixels) or a tube
/// (`radius` in world units).
struct DrawnStroke {
    Sorvex::M3d a, b;
    RGBAColor color;
    double width = 1.0;
    double radius = 0.0;
    SceneObj* owner = nullptr;
};

struct DrawnSphere {
    Sorvex::M3d centre;
    double radius = 0.0;
    RGBAColor color;
    SceneObj* owner = nullptr;
};

struct DrawnText {
    Sorvex::M3d at;
    std::string text;
    RGBAColor color;
};

/// A renderer that turns the immediate-mode calls of `renderSelf` into primitives in world
/// coordinates: faces, strokes, spheres and texts. File output and picking build on it, so
/// what they show or hit is exactly what the objects draw. Splines become chains of tubes.
class CollectingRenderer : public Renderer, private PrimitiveSink {
public:
    CollectingRenderer();

    /// Forgets everything collected; the transform stack restarts at `base` (the world
    /// transform of the parent of what is drawn next).
    void reset(const Sorvex::M4x4& base = Sorvex::M4x4());
    /// Keeps only primitives whose points all lie between `yLow` and `yHigh` (world y).
    void setHeightWindow(double yLow, double yHigh);
    void clearHeightWindow() { m_windowed = false; }

    void beginLines() override;
    void beginLineLoop() override;
    void beginTriangles() override;
    void beginPolygon() override;
    void vertex(const Sorvex::M3d& p) override;
    void normal(const Sorvex::M3d& n) override;
    void color(double r, double g, double b, double a = 1.0) override;
    using Renderer::color;
    void end() override;
    void pushTransform(const Sorvex::M4x4& m) override;
    void popTransform() override;
    void renderTube(const Sorvex::M3d& a, const Sorvex::M3d& b, double radius) override;
    void renderSpline(const Sorvex::M3d& a, const Sorvex::M3d& ta, const Sorvex::M3d& b,
                      const Sorvex::M3d& tb, double radius) override;
    void renderSphere(const Sorvex::M3d& centre, double radius) override;
    void renderText(const Sorvex::M3d& at, const std::string& text) override;
    void beginObject(SceneObj* obj) override;
    void endObject(SceneObj* obj) override;

    const std::vector<DrawnFace>& getFaces() const { return m_faces; }
    const std::vector<DrawnStroke>& getStrokes() const { return m_strokes; }
    const std::vector<DrawnSphere>& getSpheres() const { return m_spheres; }
    const std::vector<DrawnText>& getTexts() const { return m_texts; }
    /// The box round everything collected (tubes and spheres with their radius); false
    /// when nothing with a finite position was collected.
    bool getBounds(Sorvex::M3d& lo, Sorvex::M3d& hi) const;

    /// Adds a primitive directly (world coordinates), for drawings made by the caller.
    void addStroke(const DrawnStroke& stroke);
    /// Drops the collected strokes for which `drop` is true.
    void dropStrokes(const std::function<bool(const DrawnStroke&)>& drop);

private:
    void onFace(const std::vector<Sorvex::M3d>& points) override;
    void onSegment(std::size_t from, std::size_t to, std::size_t provoking) override;
    void onPendingCleared() override { m_pendingColors.clear(); }
    Sorvex::M3d toWorld(const Sorvex::M3d& p) const;
    RGBAColor currentColor() const;
    SceneObj* currentOwner() const;
    bool inWindow(const Sorvex::M3d& p) const;
    void addFace(std::vector<Sorvex::M3d> points, const RGBAColor& c);
    void addLine(const Sorvex::M3d& a, const Sorvex::M3d& b, const RGBAColor& c);

    std::vector<Sorvex::M4x4> m_stack;
    std::vector<SceneObj*> m_owners;
    PrimitiveAssembler m_assembler;
    /// The colour of each pending point of the assembler, at the same position.
    std::vector<RGBAColor> m_pendingColors;
    RGBAColor m_color{0.7, 0.7, 0.7, 1.0};
    bool m_windowed = false;
    double m_yLow = 0.0, m_yHigh = 0.0;

    std::vector<DrawnFace> m_faces;
    std::vector<DrawnStroke> m_strokes;
    std::vector<DrawnSphere> m_spheres;
    std::vector<DrawnText> m_texts;
};
