#include "unfolders/engine/HullTranslate.h"

#include <vector>

#include "sorvex/PlanarConvexHull.h"

void TranslateHull(PlanarConvexHull& hull, double dx, double dy) {
    struct Point {
        double x, y;
        void* data;
    };
    std::vector<Point> points;
    points.reserve(size_t(hull.getLength()));
    const PlanarConvexHull::Node* node = hull.getHead();
    for (int i = 0; node && i < hull.getLength(); ++i, node = node->next)
        points.push_back({node->x + dx, node->y + dy, node->data});
    hull.reset();
    for (const Point& p : points)
        hull.addPoint(p.x, p.y, p.data);
}
