#pragma once

#include "scene/Renderer.h"
#include "scene/SceneObj.h"

#include <utility>
#include <vector>

/// A scene object that draws given polygons, strokes and tubes in one colour each.
class ShapeObj : public SceneObj {
public:
    struct Polygon {
        std::vector<Sorvex::M3d> points;
        RGBAColor color;
    };
    struct Tube {
        Sorvex::M3d a, b;
        double radius;
    };
    std::vector<Polygon> polygons;
    std::vector<Tube> tubes;

    void renderSelf(Renderer* r) override {
        for (const Polygon& p : polygons) {
            r->beginPolygon();
            r->color(p.color);
            for (const Sorvex::M3d& v : p.points)
                r->vertex(v);
            r->end();
        }
        r->color(0, 0, 0);
        for (const Tube& t : tubes)
            r->renderTube(t.a, t.b, t.radius);
    }
};

/// A square of side 2 * `half` centred on (0, 0, z), facing +z.
inline std::vector<Sorvex::M3d> squareAt(double z, double half = 1.0) {
    return {{-half, -half, z}, {half, -half, z}, {half, half, z}, {-half, half, z}};
}
