#include "vorn/core/papercraft/PagePacker.h"

#include "vorn/core/papercraft/EdgeNumbering.h"
#include "vorn/core/papercraft/PapercraftOptions.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <numeric>

using Sorvex::M2d;

namespace {

double cross(const M2d& o, const M2d& a, const M2d& b) {
    return (a.x() - o.x()) * (b.y() - o.y()) - (a.y() - o.y()) * (b.x() - o.x());
}

/// A turn by `angle` and a mirror of y (piece to page), then a shift.
struct PageTransform {
    double c = 1, s = 0;
    M2d shift;
    M2d apply(const M2d& p) const {
        return M2d(c * p.x() - s * p.y(), -(s * p.x() + c * p.y())) + shift;
    }
};

struct Box {
    double minX, minY, maxX, maxY;
    double width() const { return maxX - minX; }
    double height() const { return maxY - minY; }
};

Box boxTurned(const std::vector<M2d>& points, double angle) {
    const double c = std::cos(angle), s = std::sin(angle);
    Box b{std::numeric_limits<double>::max(), std::numeric_limits<double>::max(),
          -std::numeric_limits<double>::max(), -std::numeric_limits<double>::max()};
    for (const M2d& p : points) {
        const double x = c * p.x() - s * p.y(), y = s * p.x() + c * p.y();
        b.minX = std::min(b.minX, x), b.maxX = std::max(b.maxX, x);
        b.minY = std::min(b.minY, y), b.maxY = std::max(b.maxY, y);
    }
    return b;
}

bool fitsEitherWay(const Box& b, double w, double h) {
    return (b.width() <= w && b.height() <= h) || (b.height() <= w && b.width() <= h);
}

/// The turn giving the smallest bounding box that fits a `w` x `h` area (either way
/// round): one of the hull's edges along x, or no turn at all (the frame the piece was
/// kept within the page in). When none fits, the smallest box.
double bestTurn(const std::vector<M2d>& hull, double w, double h) {
    double best = 0.0, bestArea = std::numeric_limits<double>::max();
    bool bestFits = false;
    const size_t step = std::max<size_t>(1, hull.size() / 360);
    const auto consider = [&](double angle) {
        const Box b = boxTurned(hull, angle);
        const bool fits = fitsEitherWay(b, w, h);
        const double area = b.width() * b.height();
        if ((fits && !bestFits) || (fits == bestFits && area < bestArea - 1e-9)) {
            bestArea = area;
            best = angle;
            bestFits = fits;
        }
    };
    consider(0.0);
    for (size_t i = 0; i < hull.size(); i += step) {
        const M2d d = hull[(i + 1) % hull.size()] - hull[i];
        consider(-std::atan2(d.y(), d.x()));
    }
    return best;
}

void transformPiece(PaperPiece& piece, const PageTransform& t, double angle) {
    for (PaperFace& f : piece.faces)
        for (M2d& c : f.corners)
            c = t.apply(c);
    for (PaperLine& l : piece.lines)
        l.a = t.apply(l.a), l.b = t.apply(l.b);
    for (GlueTab& tab : piece.tabs)
        for (M2d& c : tab.corners)
            c = t.apply(c);
    for (PaperLabel& label : piece.labels) {
        label.position = t.apply(label.position);
        // Whole angle steps on the page: see kLabelSizeRatio.
        label.angle = RoundLabelAngle(-(label.angle + angle));
    }
}

struct Shelf {
    double y, height, used;
};

struct Sheet {
    std::vector<Shelf> shelves;
    double used = 0.0; // height taken by shelves
};

} // namespace

std::vector<M2d> ConvexHull2d(std::vector<M2d> p) {
    std::sort(p.begin(), p.end(), [](const M2d& a, const M2d& b) {
        return a.x() < b.x() || (a.x() == b.x() && a.y() < b.y());
    });
    if (p.size() < 3)
        return p;
    std::vector<M2d> h(2 * p.size());
    size_t k = 0;
    for (size_t i = 0; i < p.size(); ++i) {
        while (k >= 2 && cross(h[k - 2], h[k - 1], p[i]) <= 0)
            --k;
        h[k++] = p[i];
    }
    for (size_t i = p.size() - 1, t = k + 1; i > 0; --i) {
        while (k >= t && cross(h[k - 2], h[k - 1], p[i - 1]) <= 0)
            --k;
        h[k++] = p[i - 1];
    }
    h.resize(k - 1);
    return h;
}

bool PackPages(std::vector<PaperPiece> pieces, const PapercraftOptions& options, double mmPerUnit,
               PaperLayout& layout, std::string& error) {
    const double areaW = options.pageWidthMm - 2.0 * options.marginMm;
    const double areaH = options.pageHeightMm - 2.0 * options.marginMm;
    const double gap = options.spacingMm;
    std::vector<double> turn(pieces.size());
    std::vector<Box> box(pieces.size());
    for (size_t i = 0; i < pieces.size(); ++i) {
        std::vector<M2d> points;
        for (const PaperFace& f : pieces[i].faces)
            points.insert(points.end(), f.corners.begin(), f.corners.end());
        for (const GlueTab& t : pieces[i].tabs)
            points.insert(points.end(), t.corners.begin(), t.corners.end());
        const std::vector<M2d> hull = ConvexHull2d(points);
        turn[i] = bestTurn(hull, areaW, areaH);
        Box b = boxTurned(hull, turn[i]);
        // Lie like the page (long side along long side), or however it fits.
        const bool pageTall = areaH >= areaW;
        if (((b.height() > b.width()) != pageTall && b.height() != b.width()) ||
            b.width() > areaW || b.height() > areaH) {
            turn[i] += M_PI / 2;
            b = boxTurned(hull, turn[i]);
        }
        if (b.width() > areaW || b.height() > areaH) {
            const double fit = std::max(std::min(areaW / b.width(), areaH / b.height()),
                                        std::min(areaW / b.height(), areaH / b.width()));
            char text[400];
            std::snprintf(text, sizeof text,
                          "piece %d is %.1f x %.1f mm, larger than the printable %.1f x %.1f mm "
                          "of the page; at most %.4g mm per unit (%.3g times the size) would fit",
                          pieces[i].number, b.width(), b.height(), areaW, areaH,
                          0.98 * fit * mmPerUnit, 0.98 * fit);
            error = text;
            return false;
        }
        box[i] = b;
    }

    std::vector<size_t> order(pieces.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return box[a].height() > box[b].height(); });
    std::vector<Sheet> sheets;
    std::vector<PaperPage> pages;
    for (size_t i : order) {
        const auto tryPlace = [&](Sheet& sheet, double w, double h, double& x, double& y) {
            for (Shelf& shelf : sheet.shelves) {
                if (h <= shelf.height + 1e-9 && shelf.used + w <= areaW + 1e-9) {
                    x = shelf.used, y = shelf.y;
                    shelf.used += w + gap;
                    return true;
                }
            }
            const double top = sheet.used;
            if (top + h <= areaH + 1e-9 && w <= areaW + 1e-9) {
                sheet.shelves.push_back({top, h, w + gap});
                sheet.used = top + h + gap;
                x = 0.0, y = top;
                return true;
            }
            return false;
        };
        size_t page = 0;
        double x = 0, y = 0;
        bool turned = false;
        for (; page < sheets.size(); ++page) {
            if (tryPlace(sheets[page], box[i].width(), box[i].height(), x, y))
                break;
            if (box[i].height() <= areaW && box[i].width() <= areaH &&
                tryPlace(sheets[page], box[i].height(), box[i].width(), x, y)) {
                turned = true;
                break;
            }
        }
        if (page == sheets.size()) {
            sheets.emplace_back();
            pages.emplace_back();
            tryPlace(sheets.back(), box[i].width(), box[i].height(), x, y);
        }
        if (turned) {
            turn[i] += M_PI / 2;
            // A quarter turn maps the box (minX, minY, maxX, maxY) to (-maxY, minX, -minY, maxX).
            const Box b = box[i];
            box[i] = {-b.maxY, b.minX, -b.minY, b.maxX};
        }
        PageTransform t;
        t.c = std::cos(turn[i]);
        t.s = std::sin(turn[i]);
        // Turned coordinates (x, y up) land at page (x - minX, maxY - y) plus the place.
        t.shift = M2d(options.marginMm + x - box[i].minX, options.marginMm + y + box[i].maxY);
        transformPiece(pieces[i], t, turn[i]);
        pages[page].pieces.push_back(std::move(pieces[i]));
    }
    for (PaperPage& page : pages)
        std::sort(page.pieces.begin(), page.pieces.end(),
                  [](const PaperPiece& a, const PaperPiece& b) { return a.number < b.number; });
    layout.pageWidthMm = options.pageWidthMm;
    layout.pageHeightMm = options.pageHeightMm;
    layout.marginMm = options.marginMm;
    layout.pages = std::move(pages);
    layout.pieceCount = int(pieces.size());
    return true;
}
