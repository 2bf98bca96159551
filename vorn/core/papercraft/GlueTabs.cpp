#include "vorn/core/papercraft/GlueTabs.h"

#include "vorn/core/papercraft/FlatOverlap.h"
#include "vorn/core/papercraft/PapercraftOptions.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>

using Sorvex::M2d;

std::vector<M2d> TabOutline(const M2d& a, const M2d& b, double heightMm, double angleDegrees) {
    return TabOutline(a, b, heightMm, angleDegrees, angleDegrees);
}

std::vector<M2d> TabOutline(const M2d& a, const M2d& b, double heightMm, double angleAtA,
                            double angleAtB) {
    M2d u = b - a;
    const double length = u.length();
    u.normalize();
    const M2d outward(u.y(), -u.x());
    // Inset along the edge per unit of height at either end.
    const double slopeA = 1.0 / std::tan(angleAtA * M_PI / 180.0);
    const double slopeB = 1.0 / std::tan(angleAtB * M_PI / 180.0);
    double height = heightMm;
    if (height * (slopeA + slopeB) >= length) {
        height = length / (slopeA + slopeB);
        return {a, a + u * (height * slopeA) + outward * height, b};
    }
    return {a, a + outward * height + u * (height * slopeA),
            b + outward * height - u * (height * slopeB), b};
}

double NarrowestTabSlit(const PapercraftOptions& options) {
    // Narrower than the ends of the lowest tab still of a useful size tried below.
    return options.tabs ? 0.35 * options.tabAngleDegrees * M_PI / 180.0 : 0.0;
}

namespace {

/// One side of a numbered cut edge.
struct EdgeSide {
    int piece = -1;
    int face = -1; // index in the piece
};

} // namespace

int PlaceGlueTabs(std::vector<PaperPiece>& pieces, const std::vector<std::vector<int>>& numbers,
                  const PapercraftOptions& options, double toleranceMm,
                  std::vector<std::string>& warnings) {
    // Both sides of every number, in the order the numbers were given.
    std::map<int, std::vector<std::pair<EdgeSide, int>>> sides; // number -> (side, edge)
    double edgeSum = 0.0;
    size_t edgeCount = 0;
    for (size_t p = 0; p < pieces.size(); ++p) {
        for (size_t i = 0; i < pieces[p].faces.size(); ++i) {
            const auto& mine = numbers[size_t(pieces[p].faces[i].sourceFace)];
            for (size_t e = 0; e < mine.size(); ++e)
                if (mine[e] > 0)
                    sides[mine[e]].push_back({{int(p), int(i)}, int(e)});
        }
    }
    std::vector<std::unique_ptr<FlatOverlapGrid>> grids;
    for (const PaperPiece& piece : pieces)
        for (const PaperFace& f : piece.faces)
            for (size_t i = 0; i < f.corners.size(); ++i, ++edgeCount)
                edgeSum += (f.corners[(i + 1) % f.corners.size()] - f.corners[i]).length();
    const double cell = edgeCount ? 2.0 * edgeSum / double(edgeCount) : 10.0;
    for (const PaperPiece& piece : pieces) {
        grids.push_back(std::make_unique<FlatOverlapGrid>(cell, toleranceMm));
        std::vector<FlatTriangle> tris;
        for (size_t i = 0; i < piece.faces.size(); ++i)
            AppendFlatTriangles(piece.faces[i].corners, int(i), tris);
        for (const FlatTriangle& t : tris)
            grids.back()->add(t);
    }

    const double h = options.tabHeightMm, angle = options.tabAngleDegrees;
    // Lower tabs first, then sides meeting the edge at smaller angles (a tab in the
    // wedge between two faces of one piece only fits with sides flatter than the
    // wedge), at one end only where the other end is free, and last narrow triangles.
    struct Variant {
        double height, atA, atB;
    };
    const Variant variants[] = {{h, angle, angle},
                                {0.6 * h, angle, angle},
                                {0.6 * h, 0.6 * angle, 0.6 * angle},
                                {0.4 * h, 0.35 * angle, 0.35 * angle},
                                {0.4 * h, angle, 0.2 * angle},
                                {0.4 * h, 0.2 * angle, angle},
                                {0.25 * h, 0.2 * angle, 0.2 * angle},
                                {0.25 * h, 0.6 * angle, 0.1 * angle},
                                {0.25 * h, 0.1 * angle, 0.6 * angle},
                                {0.15 * h, 0.1 * angle, 0.1 * angle}};
    int placed = 0;
    for (auto& [number, both] : sides) {
        if (both.size() != 2)
            continue;
        std::stable_sort(both.begin(), both.end(), [](const auto& x, const auto& y) {
            return x.first.piece < y.first.piece;
        });
        bool done = false;
        for (const Variant& variant : variants) {
            for (const auto& [side, edge] : both) {
                PaperPiece& piece = pieces[size_t(side.piece)];
                const auto& corners = piece.faces[size_t(side.face)].corners;
                const M2d a = corners[size_t(edge)];
                const M2d b = corners[(size_t(edge) + 1) % corners.size()];
                GlueTab tab;
                tab.corners = TabOutline(a, b, variant.height, variant.atA, variant.atB);
                tab.number = number;
                tab.sourceFace = piece.faces[size_t(side.face)].sourceFace;
                tab.edge = edge;
                std::vector<FlatTriangle> tris;
                // Tabs own the numbers after the faces'.
                AppendFlatTriangles(tab.corners, int(piece.faces.size() + piece.tabs.size()), tris);
                const FlatOverlapGrid& grid = *grids[size_t(side.piece)];
                if (tris.empty() || std::any_of(tris.begin(), tris.end(), [&](const auto& t) {
                        return grid.findOverlap(t) != -1;
                    }))
                    continue;
                for (const FlatTriangle& t : tris)
                    grids[size_t(side.piece)]->add(t);
                for (PaperLine& line : piece.lines)
                    if (line.sourceFace == tab.sourceFace && line.edge == edge &&
                        line.kind == PaperLineKind::Cut)
                        line.kind = PaperLineKind::Mountain;
                piece.tabs.push_back(std::move(tab));
                ++placed;
                done = true;
                break;
            }
            if (done)
                break;
        }
        if (!done)
            warnings.push_back(
                "no room for the glue tab of edge " + std::to_string(number) + " (pieces " +
                std::to_string(pieces[size_t(both[0].first.piece)].number) + " and " +
                std::to_string(pieces[size_t(both[1].first.piece)].number) +
                "): glue it with a strip");
    }
    return placed;
}
