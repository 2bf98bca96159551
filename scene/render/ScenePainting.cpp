#include "scene/render/ScenePainting.h"

#include "scene/render/PolygonTriangles.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <tuple>
#include <unordered_map>

using Sorvex::M3d;

namespace {

constexpr double kNearest = 1e-9;
// Faces are outlined in their own colour this wide, so neighbours meet without seams.
constexpr double kSeamWidth = 0.5;

M3d cross(const M3d& a, const M3d& b) {
    return {a.y() * b.z() - a.z() * b.y(), a.z() * b.x() - a.x() * b.z(),
            a.x() * b.y() - a.y() * b.x()};
}

/// An undirected edge between two exact points, for finding the faces a stroke outlines.
struct EdgeKey {
    M3d a, b;
    bool operator==(const EdgeKey& o) const {
        return a.x() == o.a.x() && a.y() == o.a.y() && a.z() == o.a.z() && b.x() == o.b.x() &&
               b.y() == o.b.y() && b.z() == o.b.z();
    }
};

EdgeKey makeKey(const M3d& p, const M3d& q) {
    const bool less = std::make_tuple(p.x(), p.y(), p.z()) < std::make_tuple(q.x(), q.y(), q.z());
    return less ? EdgeKey{p, q} : EdgeKey{q, p};
}

struct EdgeHash {
    size_t operator()(const EdgeKey& k) const {
        size_t h = 0;
        for (double v : {k.a.x(), k.a.y(), k.a.z(), k.b.x(), k.b.y(), k.b.z()})
            h = h * 1000003u ^ std::hash<double>()(v);
        return h;
    }
};

enum class Kind { Face, Sphere, Stroke };

struct PaintItem {
    double depth;
    Kind kind;
    size_t index;
};

double strokeWidth(const DrawnStroke& s, const Camera& camera, double depth) {
    if (s.radius > 0.0)
        return std::max(kSeamWidth, 2.0 * s.radius / camera.pixelSizeAt(depth));
    return std::max(kSeamWidth, s.width);
}

void growInk(InkBox& ink, double x, double y, double reach) {
    if (!ink.any) {
        ink = {x - reach, y - reach, x + reach, y + reach, true};
        return;
    }
    ink.x1 = std::min(ink.x1, x - reach);
    ink.y1 = std::min(ink.y1, y - reach);
    ink.x2 = std::max(ink.x2, x + reach);
    ink.y2 = std::max(ink.y2, y + reach);
}

bool sameColor(const RGBAColor& a, const RGBAColor& b) {
    return a.r == b.r && a.g == b.g && a.b == b.b && a.a == b.a;
}

void setSource(cairo_t* cr, const RGBAColor& c) {
    cairo_set_source_rgba(cr, c.r, c.g, c.b, c.a);
}

/// The depth each stroke is painted at: just in front of the nearest face it borders, so a
/// face's outline is never covered by the face itself; otherwise its nearer end.
std::vector<double> strokeDepths(const CollectingRenderer& scene, const Camera& camera,
                                 const std::vector<double>& faceDepths) {
    std::unordered_map<EdgeKey, double, EdgeHash> nearestFace;
    const auto& faces = scene.getFaces();
    if (!scene.getStrokes().empty())
        for (size_t i = 0; i < faces.size(); ++i) {
            const auto& pts = faces[i].points;
            for (size_t k = 0; k < pts.size(); ++k) {
                auto [it, added] = nearestFace.try_emplace(
                    makeKey(pts[k], pts[(k + 1) % pts.size()]), faceDepths[i]);
                if (!added)
                    it->second = std::min(it->second, faceDepths[i]);
            }
        }
    // A stroke lying on a face (a fold line drawn over a net, say) must beat the face
    // despite rounding in the depths: pull strokes a hair toward the eye.
    M3d lo, hi;
    const double bias = scene.getBounds(lo, hi) ? 1e-6 * (hi - lo).length() : 0.0;
    std::vector<double> depths;
    depths.reserve(scene.getStrokes().size());
    for (const DrawnStroke& s : scene.getStrokes()) {
        const double own = std::min(camera.project(s.a).depth, camera.project(s.b).depth);
        auto it = nearestFace.find(makeKey(s.a, s.b));
        depths.push_back((it != nearestFace.end() ? std::min(own, it->second) : own) - bias);
    }
    return depths;
}

double rasterKey(double depth, const Camera& camera) {
    return camera.isOrthographic() ? -depth : 1.0 / std::max(depth, kNearest);
}

} // namespace

RGBAColor ShadeFace(const DrawnFace& face, const Camera& camera) {
    const auto& p = face.points;
    M3d n;
    for (size_t k = 1; k + 1 < p.size(); ++k)
        n += cross(p[k] - p[0], p[k + 1] - p[0]);
    const double len = n.length();
    // The light sits just above and left of the eye, so faces at equal angles to the view
    // still differ in shade.
    const M3d toLight = camera.getEye() - camera.getTarget();
    M3d right = cross(camera.getViewDirection(), camera.getUp()).normalized();
    const M3d light =
        (toLight.normalized() * 2.0 + camera.getUp().normalized() * 0.5 - right * 0.35)
            .normalized();
    const double facing = len > 0.0 ? std::fabs(n.dot(light)) / len : 1.0;
    const double brightness = 0.35 + 0.65 * facing;
    return {face.color.r * brightness, face.color.g * brightness, face.color.b * brightness,
            face.color.a};
}

InkBox PaintVector(cairo_t* cr, const CollectingRenderer& scene, const Camera& camera) {
    InkBox ink;
    const bool ortho = camera.isOrthographic();
    std::vector<PaintItem> items;
    std::vector<double> faceDepths(scene.getFaces().size(), 0.0);
    for (size_t i = 0; i < scene.getFaces().size(); ++i) {
        double sum = 0.0, nearest = 1e300;
        for (const M3d& p : scene.getFaces()[i].points) {
            const double d = camera.project(p).depth;
            sum += d;
            nearest = std::min(nearest, d);
        }
        faceDepths[i] = sum / scene.getFaces()[i].points.size();
        if (ortho || nearest > kNearest)
            items.push_back({faceDepths[i], Kind::Face, i});
    }
    const std::vector<double> sd = strokeDepths(scene, camera, faceDepths);
    for (size_t i = 0; i < sd.size(); ++i)
        if (ortho || sd[i] > kNearest)
            items.push_back({sd[i], Kind::Stroke, i});
    for (size_t i = 0; i < scene.getSpheres().size(); ++i) {
        const double d = camera.project(scene.getSpheres()[i].centre).depth;
        if (ortho || d > kNearest)
            items.push_back({d, Kind::Sphere, i});
    }
    // Back to front; at equal depth faces go first so their outlines stay on top.
    std::stable_sort(items.begin(), items.end(), [](const PaintItem& a, const PaintItem& b) {
        return a.depth != b.depth ? a.depth > b.depth : a.kind < b.kind;
    });
    cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    bool pending = false;
    double pendingWidth = 0.0;
    RGBAColor pendingColor;
    auto flush = [&] {
        cairo_set_line_width(cr, pendingWidth);
        setSource(cr, pendingColor);
        cairo_stroke(cr);
        pending = false;
    };
    for (const PaintItem& item : items) {
        if (pending && item.kind != Kind::Stroke)
            flush();
        if (item.kind == Kind::Face) {
            const DrawnFace& f = scene.getFaces()[item.index];
            for (const M3d& p : f.points) {
                const ScreenPoint s = camera.project(p);
                cairo_line_to(cr, s.x, s.y);
                growInk(ink, s.x, s.y, kSeamWidth);
            }
            cairo_close_path(cr);
            const RGBAColor c = ShadeFace(f, camera);
            setSource(cr, c);
            if (c.a < 1.0) {
                cairo_fill(cr);
                continue;
            }
            cairo_fill_preserve(cr);
            cairo_set_line_width(cr, kSeamWidth);
            cairo_stroke(cr);
        } else if (item.kind == Kind::Stroke) {
            const DrawnStroke& s = scene.getStrokes()[item.index];
            const ScreenPoint a = camera.project(s.a), b = camera.project(s.b);
            const double width = strokeWidth(s, camera, std::max(item.depth, kNearest));
            // Strokes that follow each other in the same style share one path: far
            // fewer drawing operations in the file.
            if (pending && !(width == pendingWidth && sameColor(s.color, pendingColor)))
                flush();
            cairo_move_to(cr, a.x, a.y);
            cairo_line_to(cr, b.x, b.y);
            pending = true;
            pendingWidth = width;
            pendingColor = s.color;
            growInk(ink, a.x, a.y, width / 2);
            growInk(ink, b.x, b.y, width / 2);
        } else {
            const DrawnSphere& s = scene.getSpheres()[item.index];
            const ScreenPoint c = camera.project(s.centre);
            const double r = s.radius / camera.pixelSizeAt(std::max(c.depth, kNearest));
            cairo_new_path(cr);
            cairo_arc(cr, c.x, c.y, r, 0, 2 * M_PI);
            setSource(cr, s.color);
            cairo_fill(cr);
            growInk(ink, c.x, c.y, r);
        }
    }
    if (pending)
        flush();
    return ink;
}

void PaintRaster(ZBufferRaster& raster, const CollectingRenderer& scene, const Camera& camera,
                 double scale) {
    const bool ortho = camera.isOrthographic();
    auto toRaster = [&](const M3d& p, double towardEye, bool& visible) {
        const ScreenPoint s = camera.project(p);
        const double depth = s.depth - towardEye;
        visible = visible && (ortho || depth > kNearest);
        return RasterVertex{s.x * scale, s.y * scale, rasterKey(depth, camera)};
    };
    std::vector<RasterVertex> pts;
    std::vector<int> corners;
    for (const DrawnFace& f : scene.getFaces()) {
        bool visible = true;
        pts.clear();
        for (const M3d& p : f.points)
            pts.push_back(toRaster(p, 0.0, visible));
        if (!visible)
            continue;
        const RGBAColor c = ShadeFace(f, camera);
        // Cut in the face's own plane: a fan would fill a non-convex face's notches.
        corners.clear();
        TriangulatePolygon(f.points, corners);
        for (size_t k = 0; k + 2 < corners.size(); k += 3)
            raster.fillTriangle(pts[size_t(corners[k])], pts[size_t(corners[k + 1])],
                                pts[size_t(corners[k + 2])], c);
    }
    // Strokes are pulled slightly toward the eye so outlines win over the faces they lie on.
    M3d lo, hi;
    const double bias = scene.getBounds(lo, hi) ? 2e-3 * (hi - lo).length() : 0.0;
    for (const DrawnStroke& s : scene.getStrokes()) {
        bool visible = true;
        const RasterVertex a = toRaster(s.a, bias, visible);
        const RasterVertex b = toRaster(s.b, bias, visible);
        if (!visible)
            continue;
        const double depth = (camera.project(s.a).depth + camera.project(s.b).depth) / 2;
        raster.fillStroke(a, b, strokeWidth(s, camera, std::max(depth, kNearest)) * scale, s.color);
    }
    for (const DrawnSphere& s : scene.getSpheres()) {
        const ScreenPoint c = camera.project(s.centre);
        if (!ortho && c.depth <= kNearest)
            continue;
        const double unit = camera.pixelSizeAt(c.depth) / scale; // world length of a pixel
        raster.fillBall({c.x * scale, c.y * scale, rasterKey(c.depth, camera)}, s.radius / unit,
                        s.color,
                        [&](double bulge) { return rasterKey(c.depth - bulge * unit, camera); });
    }
}

void PaintTexts(cairo_t* cr, const CollectingRenderer& scene, const Camera& camera) {
    if (scene.getTexts().empty())
        return;
    cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    cairo_set_font_size(cr, 12.0);
    for (const DrawnText& t : scene.getTexts()) {
        const ScreenPoint s = camera.project(t.at);
        if (!camera.isOrthographic() && s.depth <= kNearest)
            continue;
        setSource(cr, t.color);
        cairo_move_to(cr, s.x, s.y);
        cairo_show_text(cr, t.text.c_str());
    }
}
