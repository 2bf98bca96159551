#pragma once

#include "sorvex/M3d.h"
#include "sorvex/M4x4.h"

#include <bitset>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class SceneObj;

namespace Sorvex {
class MRect;
}

/// A colour with opacity, components from 0 to 1.
struct RGBAColor {
    double r = 1.0;
    double g = 1.0;
    double b = 1.0;
    double a = 1.0;
};

/// State switches a renderer carries for the objects it draws.
enum class RenderFlag {
    Shading,     ///< lit, smooth-shaded faces
    Picking,     ///< drawing only to find what lies under a point
    WhiteFaces,  ///< faces drawn white (print-style output)
    SurfacePass, ///< the pass that draws filled surfaces (objects may draw see-through)
    LineState,   ///< cleared while an object draws line overlays on a surface
    /// The faces that follow bound a solid and turn counter-clockwise seen from outside it,
    /// so their back sides are only ever seen from inside: a renderer may skip them then.
    ClosedSurface,
    Count
};

/// Immediate-mode drawing interface through which scene objects draw themselves.
/// Geometry goes through begin*/vertex/end; `pushTransform` multiplies onto a stack that
/// applies to everything drawn until the matching `popTransform`.
class Renderer {
public:
    Renderer();
    virtual ~Renderer();

    virtual void beginLines() = 0;
    /// A closed outline through the vertices that follow.
    virtual void beginLineLoop() = 0;
    virtual void beginTriangles() = 0;
    /// One convex polygon through the vertices that follow.
    virtual void beginPolygon() = 0;
    virtual void vertex(const Sorvex::M3d& p) = 0;
    /// The normal for the vertices that follow.
    virtual void normal(const Sorvex::M3d& n) = 0;
    virtual void color(double r, double g, double b, double a = 1.0) = 0;
    void color(const RGBAColor& c) { color(c.r, c.g, c.b, c.a); }
    virtual void end() = 0;

    virtual void pushTransform(const Sorvex::M4x4& m) = 0;
    virtual void popTransform() = 0;

    /// A cylinder of `radius` from `a` to `b`.
    virtual void renderTube(const Sorvex::M3d& a, const Sorvex::M3d& b, double radius) = 0;
    /// A tube along the cubic Bezier curve from `a` to `b` with control points `a + ta` and
    /// `b + tb`.
    virtual void renderSpline(const Sorvex::M3d& a, const Sorvex::M3d& ta, const Sorvex::M3d& b,
                              const Sorvex::M3d& tb, double radius) = 0;
    virtual void renderSphere(const Sorvex::M3d& centre, double radius) = 0;
    /// `text` placed at `at`, facing the viewer.
    virtual void renderText(const Sorvex::M3d& at, const std::string& text) = 0;

    virtual void setLineWidth(double width);
    double getLineWidth() const { return m_lineWidth; }
    /// Opacity applied to the colours that follow (1 is opaque).
    virtual void setTransparency(double alpha);
    double getTransparency() const { return m_transparency; }

    /// Whether a face drawn once already shows its back side, lit as seen from behind; a
    /// mesh that wants both sides seen then needs no reversed copy of each face.
    virtual bool showsBackSides() const { return false; }

    virtual void setFlag(RenderFlag flag, bool on);
    bool getFlag(RenderFlag flag) const { return m_flags.test(static_cast<size_t>(flag)); }
    bool isPicking() const { return getFlag(RenderFlag::Picking); }

    virtual void setSelection(SceneObj* obj);
    SceneObj* getSelection() const { return m_selection; }

    /// Marks which object the following drawing belongs to (picking attributes hits to it).
    virtual void beginObject(SceneObj* obj);
    virtual void endObject(SceneObj* obj);

    // ----- Kept drawings -----
    // A renderer that keeps drawings between frames lets objects skip what it still has.
    // An object draws a part as: `from = beginPart(...)`, then for each item from `from`
    // on `markItem()` and the item's drawing, then `endPart()`. Other renderers keep
    // nothing: `beginPart` returns 0 and every item is drawn.

    /// The part number `renderScene` uses for the whole drawing of an object that
    /// `reusesDrawing`.
    static constexpr int kWholeObjectPart = -1;
    /// Starts part `part` of `obj`'s drawing: `items` items drawn in order, which only ever
    /// change together with `stamp`, except that items may be appended while it stays.
    /// Returns the first item to draw: 0 when nothing is kept, `items` when all are.
    virtual std::size_t beginPart(SceneObj& obj, int part, std::uint64_t stamp,
                                  std::size_t items);
    /// Precedes each item drawn in a part. False when the renderer takes no more items of
    /// this drawing: the object then draws none of the rest and ends the part at once, and
    /// the renderer asks for the rest in a later drawing (it keeps what was drawn).
    virtual bool markItem() { return true; }
    /// Whether kept items of the open part take new colours through `recolourItem`.
    virtual bool recoloursItems() const { return false; }
    /// The current corner colours of kept item `item`, a convex polygon; false when the
    /// item was not kept as one polygon of `corners` corners (then `restartPart`).
    virtual bool recolourItem(std::size_t item, const RGBAColor* colors, int corners);
    /// Forgets what is kept of the open part; returns 0, the first item to draw.
    virtual std::size_t restartPart() { return 0; }
    virtual void endPart() {}
    /// The state switches as bits, in RenderFlag order.
    unsigned long getFlagBits() const { return m_flags.to_ulong(); }

    /// Draws `obj` and its children: for each object, under its transform, `preRender`,
    /// then (when it draws, see below) `renderSelf`, then its children in order. While
    /// picking, objects that are not pickable do not draw and the children of objects that
    /// are not family-pickable are skipped.
    void renderScene(SceneObj& obj);

    /// Frames `obj` in the view. False (see `getLastError`) when this renderer has no view.
    virtual bool oversight(SceneObj* obj);
    /// Writes a picture of `root` to a file; true on success. A renderer that cannot write
    /// the format returns false and says why in `getLastError`. `sharedBox`, when given, is
    /// the bounding box shared by a numbered EPS series (grown to hold this picture).
    virtual bool render_png(SceneObj& root, const std::string& path);
    virtual bool render_eps(SceneObj& root, const std::string& path, Sorvex::MRect* sharedBox);
    virtual bool render_pdf(SceneObj& root, const std::string& path);
    virtual bool render_svg(SceneObj& root, const std::string& path);
    /// Sets the bounding box of each EPS file in `paths` to `box` (PostScript points, y up),
    /// so a numbered series shares one box. Each file is rewritten whole or left as it was;
    /// false, with the first failure in `error`, when one could not be rewritten.
    static bool updateEPSBBoxes(const std::vector<std::string>& paths, const Sorvex::MRect& box,
                                std::string* error = nullptr);
    /// Why the last failing operation failed.
    const std::string& getLastError() const { return m_lastError; }

protected:
    void setLastError(const std::string& text) { m_lastError = text; }

private:
    void renderObject(SceneObj& obj);

    double m_lineWidth = 1.0;
    double m_transparency = 1.0;
    std::bitset<static_cast<size_t>(RenderFlag::Count)> m_flags;
    SceneObj* m_selection = nullptr;
    std::string m_lastError;
};
